// SPDX-License-Identifier: GPL-2.0-or-later
// The port chooser "cpa" on ptys named through MIRVAK_COMn.
#include "link/port/SerialPort.h"
#include "gui/common/PortChooser.h"
#include "PtyPeer.h"

#include <QRadioButton>
#include <QtTest>

class TestChooser : public QObject {
    Q_OBJECT

    static void clearNames()
    {
        for (int n = 1; n <= 16; ++n)
            qunsetenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData());
    }

    static QRadioButton *item(PortChooser &g, const QString &name)
    {
        for (QRadioButton *b : g.findChildren<QRadioButton *>())
            if (b->text() == name)
                return b;
        return nullptr;
    }

private slots:
    void init()
    {
        clearNames();
        qunsetenv("MIRVAK_TRACE");
    }

    void choosingAppliesAtOnce()
    {
        PtyPeer a, b, c;
        a.useAsCom(1);
        b.useAsCom(2);
        c.useAsCom(3);
        SerialPort port;
        PortChooser cpa(port);
        QCOMPARE(cpa.objectName(), QStringLiteral("cpa"));
        QCOMPARE(cpa.title(), QStringLiteral("Com Port"));
        for (const char *n : {"COM1", "COM2", "COM3"})
            QVERIFY2(item(cpa, QString::fromLatin1(n)), n);
        QCOMPARE(item(cpa, "COM2")->toolTip(), b.device());
        cpa.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cpa));

        cpa.UpdateSettings();
        QVERIFY(item(cpa, "COM1")->isChecked());

        // Chosen while open: the port moves to the new device at once.
        port.open();
        QTest::mouseClick(item(cpa, "COM3"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(port.name(), QStringLiteral("COM3"));
        QVERIFY(port.isOpen());
        port.write("X");
        QTRY_COMPARE(c.received, QByteArray("X"));

        // The same item again: nothing changes.
        QSignalSpy renamed(&port, &SerialPort::portNameChanged);
        QTest::mouseClick(item(cpa, "COM3"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(renamed.count(), 0);
        port.close();

        // A name without an item: none selected.
        port.setPort("COM14");
        cpa.UpdateSettings();
        for (QRadioButton *r : cpa.findChildren<QRadioButton *>())
            QVERIFY(!r->isChecked());
        port.setPort("COM2");
        cpa.UpdateSettings();
        QVERIFY(item(cpa, "COM2")->isChecked());
    }

    void emptyListStillOffersCom1()
    {
        if (!SerialPort::availablePorts().isEmpty())
            QSKIP("this machine has serial devices");
        SerialPort port;
        PortChooser cpa(port);
        const auto items = cpa.findChildren<QRadioButton *>();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first()->text(), QStringLiteral("COM1"));
    }
};

QTEST_MAIN(TestChooser)
#include "tst_chooser.moc"
