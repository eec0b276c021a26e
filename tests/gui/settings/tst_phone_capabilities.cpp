// SPDX-License-Identifier: GPL-2.0-or-later
// What the phone offers, learnt by the first phonebook read and shown where
// it matters: the Phone book's buttons off on a phone without one, the
// Inbox's phone memory off, the report under Settings -> Mirvak; the same
// phone is not asked again, another one is, and what a phone will not say
// leaves everything on.
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QtTest>

#include "FormRig.h"
#include "gui/settings/SettingsPage.h"

using guitest::FormRig;

class TestPhoneCapabilities : public QObject {
    Q_OBJECT
private slots:
    void phoneWithoutItsOwnMemory();
};

void TestPhoneCapabilities::phoneWithoutItsOwnMemory()
{
    FormRig rig;
    const QJsonObject none{{"size", 0}, {"entries", QJsonArray()}};
    QVERIFY(rig.startPhone({}, QJsonObject{{"phonebook", none},
                                           {"messageStores", QJsonObject{{"ME", QJsonObject{{"size", 0}}}}},
                                           {"characterSets", QJsonArray()}}));
    // Nothing here waits for a silence: time-outs in full, so a loaded
    // machine's slow phone is never taken for a silent one.
    rig.openWindow(Tab::Settings, 1.0);
    QVERIFY(rig.ok());
    QVERIFY(rig.form->settingsPage->selectNode(QStringLiteral("Mirvak")));
    auto *report = rig.find<QPlainTextEdit>(QStringLiteral("PhoneCapabilities"));
    QVERIFY(report->isReadOnly() && report->isVisible());
    QCOMPARE(rig.find<QGroupBox>(QStringLiteral("PhoneCapabilitiesBox"))->title(), QStringLiteral("Phone capabilities"));
    QVERIFY(report->toPlainText().startsWith(QLatin1String("Not read yet")));

    // Read on the Phone tab: the phone is asked what it offers first, and
    // says it has no such book.
    rig.form->mainTabs->setCurrentIndex(int(Tab::Phonebooks));
    auto *tabs = rig.find<QTabWidget>(QStringLiteral("Tabs"));
    tabs->setCurrentIndex(3);
    QString told;
    guitest::Dialogs answer([&](QWidget *d) {
        told = d->objectName() + u'|' + guitest::dialogText(d);
        guitest::answerAsUser(d);
    });
    rig.click(QStringLiteral("btnRead"));
    QCOMPARE(told, QStringLiteral("msgBookMissing|The phone has no phone-memory book (ME)."));
    const QStringList probe = SimPhone::capabilityProbe({"SM", "DC", "RC", "MC"});
    QCOMPARE(rig.sim->commands(), probe + QStringList{"AT+CPBS=\"SM\""});
    for (const char *name : {"btnRead", "btnWrite", "btnChanges"}) {
        auto *b = rig.find<QPushButton>(QString::fromLatin1(name));
        QVERIFY2(!b->isEnabled(), name);
        QCOMPARE(b->toolTip(), QStringLiteral("The phone has no phone-memory book (ME)"));
    }
    QVERIFY(rig.find<QPushButton>(QStringLiteral("btnLoad"))->isEnabled());

    // The SIM book is there; its read asks the serial number alone.
    tabs->setCurrentIndex(2);
    QVERIFY(rig.find<QPushButton>(QStringLiteral("btnRead"))->isEnabled());
    rig.click(QStringLiteral("btnRead"));
    QCOMPARE(rig.sim->commands().mid(probe.size() + 1, 2), (QStringList{"AT+CGSN", "AT+CPBS=\"SM\""}));

    // The Inbox offers no phone memory to read, and says why.
    auto *memory = rig.find<QComboBox>(QStringLiteral("InboxMemory"));
    const QStandardItem *phoneMemory = qobject_cast<QStandardItemModel *>(memory->model())->item(1);
    QVERIFY(!phoneMemory->isEnabled());
    QCOMPARE(phoneMemory->toolTip(), QStringLiteral("The phone keeps no messages in its own memory (ME)"));

    const QStringList lines = report->toPlainText().split(u'\n');
    QCOMPARE(lines.mid(0, 3), (QStringList{"Phone: IMEI 520001234567897", "Phonebooks: SM, DC, RC, MC",
                                           "  SM (SIM): locations 1-10, numbers of 40, names of 255"}));
    QVERIFY(lines.contains("Message stores: read from SM; written to SM; received into SM"));
    QVERIFY(lines.contains("Character sets: unknown (the phone did not answer AT+CSCS=?)"));

    // Another phone, which will not name its books: it is asked anew, and
    // nothing is taken for lacking.
    QVERIFY(rig.startPhone({"--fault", "error:AT+CPBS=?"}, QJsonObject{{"imei", "520009999999999"}}));
    rig.click(QStringLiteral("btnRead"));
    QCOMPARE(rig.sim->commands().mid(0, 3), (QStringList{"AT+CGSN", "AT+CPBS=?", "AT+CPMS=?"}));
    tabs->setCurrentIndex(3);
    QVERIFY(rig.find<QPushButton>(QStringLiteral("btnRead"))->isEnabled());
    QVERIFY(phoneMemory->isEnabled());
    QVERIFY(report->toPlainText().contains(QLatin1String("Phonebooks: unknown")));
}

QTEST_MAIN(TestPhoneCapabilities)
#include "tst_phone_capabilities.moc"
