// SPDX-License-Identifier: GPL-2.0-or-later
// "Find phone" in Settings -> Mirvak, in the real window: COM1 silent, COM2
// the simulated phone. Only "AT" goes to each port, each is closed again,
// COM2 is chosen and the report says what each COM name showed.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "FormRig.h"
#include "PtyPeer.h"
#include "gui/common/Tab.h"
#include "gui/settings/SettingsPage.h"
#include "link/port/SerialPort.h"

class TestFindPhone : public QObject {
    Q_OBJECT
private slots:
    void findsTheAnsweringPort()
    {
        guitest::FormRig rig;
        QVERIFY(rig.startPhone());
        PtyPeer silent;
        QVERIFY(silent.isOpen());
        silent.useAsCom(1);
        rig.sim->useAsCom(2);
        rig.openWindow(Tab::Settings);
        QVERIFY(rig.ok());
        QVERIFY(rig.form->settingsPage->selectNode(QStringLiteral("Mirvak")));
        QCOMPARE(rig.form->link.portName(), QStringLiteral("COM1"));

        auto *find = rig.find<QPushButton>(QStringLiteral("btnFindPhone"));
        auto *report = rig.find<QLabel>(QStringLiteral("findPhoneReport"));
        QCOMPARE(find->text(), QStringLiteral("Find phone"));
        QVERIFY(find->isVisible());
        QSignalSpy operation(&rig.form->link, &PhoneLink::operationChanged);

        QTest::mouseClick(find, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!operation.isEmpty() && !operation.last().at(0).toBool(), 60000);
        // The tabs were locked on Settings while it ran.
        QCOMPARE(operation.first().at(0).toBool(), true);
        QCOMPARE(operation.first().at(1).toInt(), int(Tab::Settings));

        const QString text = report->text();
        QVERIFY2(text.contains(QStringLiteral("COM1: %1 — no answer").arg(silent.device())), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("COM2: %1 — phone answers").arg(rig.sim->device())), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("COM2 chosen.")), qPrintable(text));
        QVERIFY(report->wordWrap());

        // Chosen: the link's port and the chooser agree.
        QCOMPARE(rig.form->link.portName(), QStringLiteral("COM2"));
        QVERIFY(rig.find<QRadioButton>(QStringLiteral("COM2"))->isChecked());
        QVERIFY(find->isEnabled());

        // "AT" and nothing else (on the silent port once more with DTR low),
        // and every port closed again.
        QCOMPARE(silent.received, QByteArray("AT\r\nAT\r\n"));
        QCOMPARE(rig.sim->commands(), QStringList{QStringLiteral("AT")});
        QVERIFY(!rig.form->link.connected());
        SerialPort again;
        again.setPort(QStringLiteral("COM1"));
        again.open();
        QVERIFY(again.isOpen());
        again.close();

        rig.closeWindow();
        qunsetenv("MIRVAK_COM2");
    }
};

QTEST_MAIN(TestFindPhone)
#include "tst_find_phone.moc"
