// SPDX-License-Identifier: GPL-2.0-or-later
// The Calls tab read from the simulated phone with names from the books,
// a number dialled and hung up, a read aborted; a locked SIM unlocked
// through PinDialog with the operation going on, and the PIN in no trace.
#include <QAction>
#include <QJsonArray>
#include <QRegularExpression>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "FormRig.h"
#include "gui/common/PinDialog.h"
#include "gui/phonebooks/PhonebooksPage.h"

using guitest::FormRig;

class TestGuiCalls : public QObject {
    Q_OBJECT
private slots:
    void readListsAndCall();
    void pinUnlocksAndTheReadGoesOn();
    void phoneWithoutCallLists();
    void abortKeepsWhatWasShown();
    void cancelledPinIsAskedOnce();
};

namespace {
QStringList column(QTableWidget *grid, int c)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->item(r, c)->text();
    return out;
}
} // namespace

void TestGuiCalls::readListsAndCall()
{
    FormRig rig;
    // A phone that keeps its dialled calls as "LD" only.
    QVERIFY(rig.startPhone({}, QJsonObject{{"callLists", QJsonObject{{"dialledBook", "LD"}}}}));
    rig.openWindow(Tab::Phonebooks);
    QVERIFY(rig.ok());
    auto *tabs = rig.find<QTabWidget>(QStringLiteral("Tabs"));
    QCOMPARE(tabs->tabText(4), QStringLiteral("Calls"));
    // The books read in this session give the names.
    for (int tab : {2, 3}) {
        tabs->setCurrentIndex(tab);
        rig.click(QStringLiteral("btnRead"));
    }
    tabs->setCurrentIndex(4);
    // The Melodies page has a "CallList" combo box of its own (the call type
    // a ring is set for). Which one a plain search of the whole window meets
    // first follows the order the pages were last raised in, so the window's
    // finder refuses the name and this one is found within its page.
    QCOMPARE(rig.form->findChildren<QComboBox *>(QStringLiteral("CallList")).size(), 2);
    auto *list = guitest::find<QComboBox>(rig.form->phonebooksPage, QStringLiteral("CallList"));
    auto *grid = rig.find<QTableWidget>(QStringLiteral("CallsGrid"));
    list->setCurrentIndex(list->findText(QStringLiteral("Dialled")));
    const qsizetype before = rig.sim->commands().size();
    rig.click(QStringLiteral("btnCallsRead"));
    QCOMPARE(column(grid, 1), (QStringList{"+46701234567", "0812345678"}));
    QCOMPARE(column(grid, 2), (QStringList{"Anna", "Office"}));
    QCOMPARE(column(grid, 3).value(0), QStringLiteral("05/06/07,12:34:56"));
    const QStringList sent = rig.sim->commands().mid(before);
    // The books' read asked what the phone offers: this one asks its serial number alone.
    QCOMPARE(sent.mid(0, 2), (QStringList{"AT+CGSN", "AT+CPBS=\"LD\""}));
    QCOMPARE(sent.last(), QStringLiteral("AT+CPBS=\"SM\""));
    // Only the lists the phone offers.
    QStringList offered;
    for (int i = 0; i < list->count(); ++i)
        offered << list->itemText(i);
    QCOMPARE(offered, (QStringList{"Dialled", "Missed", "Received"}));

    list->setCurrentIndex(list->findText(QStringLiteral("Missed")));
    rig.click(QStringLiteral("btnCallsRead"));
    QCOMPARE(column(grid, 2), QStringList{"Bob"});

    // "Call" on the row, then "Hang up".
    grid->selectRow(0);
    rig.form->findChild<QAction *>(QStringLiteral("MenuCallsCall"))->trigger();
    QVERIFY(rig.sim->waitForCommand(QStringLiteral("ATD0701112233;")));
    QCOMPARE(rig.find<QLabel>(QStringLiteral("CallStatus"))->text(), QStringLiteral("Calling 0701112233"));
    QVERIFY(!rig.form->link.connected());
    rig.click(QStringLiteral("btnHangUp"));
    QCOMPARE(rig.sim->commands().last(), QStringLiteral("ATH"));
    QVERIFY(rig.find<QPushButton>(QStringLiteral("btnHangUp"))->isHidden());

    // "Call" in the menus of the SIM and SMS books: the Calls tab comes to
    // the front with its call line.
    rig.form->books->smsBook.setEntry(1, {"0701112233", "Bob"});
    const struct {
        const char *grid, *item, *dialled;
    } menus[] = {{"SimGrid", "MenuCallSim", "ATD+46701234567;"}, {"SMSgrid", "MenuCallSms", "ATD0701112233;"}};
    for (const auto &m : menus) {
        auto *view = rig.find<QTableView>(QString::fromLatin1(m.grid));
        view->setCurrentIndex(view->model()->index(1, 1));
        rig.form->findChild<QAction *>(QString::fromLatin1(m.item))->trigger();
        QCOMPARE(rig.sim->commands().last(), QString::fromLatin1(m.dialled));
        QCOMPARE(tabs->currentIndex(), 4);
        rig.click(QStringLiteral("btnHangUp"));
    }
}

void TestGuiCalls::pinUnlocksAndTheReadGoesOn()
{
    FormRig rig;
    QVERIFY(rig.startPhone({}, QJsonObject{{"pin", QJsonObject{{"state", "SIM PIN"}}}}));
    rig.traceLink();
    rig.openWindow(Tab::Phonebooks);
    QVERIFY(rig.ok());
    // The user types a wrong PIN first, then the right one.
    QStringList typed{"1111", "1234"};
    QStringList told;
    guitest::Dialogs answer([&](QWidget *d) {
        auto *pin = qobject_cast<PinDialog *>(d);
        QVERIFY(pin);
        QCOMPARE(pin->windowTitle(), QStringLiteral("SIM PIN"));
        told << guitest::find<QLabel>(d, QStringLiteral("PinText"))->text();
        auto *edit = guitest::find<QLineEdit>(d, QStringLiteral("editPin"));
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QTest::keyClicks(edit, typed.takeFirst());
        QTest::mouseClick(guitest::find<QPushButton>(d, QStringLiteral("btnPinOk")), Qt::LeftButton);
    });
    rig.find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(2);
    rig.click(QStringLiteral("btnRead"));
    QCOMPARE(answer.count, 2);
    QVERIFY2(told.value(1).startsWith(QLatin1String("Wrong PIN. 2 tries left.")), qPrintable(told.value(1)));
    // The read went on after the unlock: the SIM's entries are in the grid.
    QCOMPARE(rig.form->phonebooksPage->simBook.entry(1).name, QByteArray("Anna"));
    const QStringList sent = rig.sim->commands();
    // The first question that needs the SIM asks for it.
    QCOMPARE(sent.mid(0, 7), (QStringList{"AT+CGSN", "AT+CPBS=?", "AT+CPIN=\"1111\"", "AT+CPIN?", "AT+CPINR",
                                          "AT+CPIN=\"1234\"", "AT+CPBS=?"}));
    const QByteArray trace = rig.trace();
    QVERIFY(trace.contains("AT+CPIN=\"****\""));
    QVERIFY(!trace.contains("\"1234\"") && !trace.contains("\"1111\""));
}

// A phone that names no call list among its books: nothing left to choose,
// and the controls say why.
void TestGuiCalls::phoneWithoutCallLists()
{
    FormRig rig;
    QVERIFY(rig.startPhone({}, QJsonObject{{"overrides", QJsonObject{{"+CPBS=?", "+CPBS: (\"SM\",\"ME\")"}}}}));
    rig.openWindow(Tab::Phonebooks);
    QVERIFY(rig.ok());
    rig.find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(4);
    rig.click(QStringLiteral("btnCallsRead"));
    auto *list = guitest::find<QComboBox>(rig.form->phonebooksPage, QStringLiteral("CallList"));
    auto *read = rig.find<QPushButton>(QStringLiteral("btnCallsRead"));
    QCOMPARE(list->count(), 0);
    QVERIFY(!list->isEnabled() && !read->isEnabled());
    QCOMPARE(read->toolTip(), QStringLiteral("The phone keeps no call lists"));
    // Nothing read: the books were only sized.
    QVERIFY(rig.sim->commands().filter(QRegularExpression("^AT\\+CPBR=\\d")).isEmpty());
}

// Read runs with Abort in its place; an abort stops it, the grid keeps what
// it showed and says why.
void TestGuiCalls::abortKeepsWhatWasShown()
{
    FormRig rig;
    const QJsonObject received{{"size", 5}, {"entries", QJsonArray{QJsonObject{{"index", 1}, {"number", "0709"}}}}};
    QVERIFY(rig.startPhone({"--fault", "mute:AT+CPBR=1,5"}, QJsonObject{{"callLists", QJsonObject{{"RC", received}}}}));
    rig.openWindow(Tab::Phonebooks, 1.0); // no silence awaited: time-outs in full
    QVERIFY(rig.ok());
    rig.find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(4);
    auto *list = guitest::find<QComboBox>(rig.form->phonebooksPage, QStringLiteral("CallList"));
    auto *grid = rig.find<QTableWidget>(QStringLiteral("CallsGrid"));
    auto *read = rig.find<QPushButton>(QStringLiteral("btnCallsRead"));
    auto *abort = rig.find<QPushButton>(QStringLiteral("btnAbortCalls"));
    QVERIFY(read->isVisible() && abort->geometry() == read->geometry());
    rig.click(QStringLiteral("btnCallsRead"));
    QCOMPARE(grid->rowCount(), 2);

    list->setCurrentIndex(list->findText(QStringLiteral("Received")));
    bool aborted = false;
    QObject::connect(&rig.form->link, &PhoneLink::commandWritten, grid, [&](const QByteArray &command) {
        if (command != "AT+CPBR=1,5\r\n")
            return;
        QVERIFY(!read->isVisible() && abort->isVisible() && abort->isEnabled());
        QTest::mouseClick(abort, Qt::LeftButton);
        aborted = true;
    });
    rig.click(QStringLiteral("btnCallsRead"));
    QVERIFY(aborted);
    QCOMPARE(column(grid, 1), (QStringList{"+46701234567", "0812345678"}));
    QCOMPARE(rig.find<QLabel>(QStringLiteral("CallStatus"))->text(), QStringLiteral("Not read: aborted"));
    QVERIFY(read->isVisible() && read->isEnabled() && !rig.form->link.operationRunning());
    QCOMPARE(rig.sim->commands().last(), QStringLiteral("AT+CPBS=\"SM\""));
}

// The user cancels the PIN: the read ends there, and the commands after it
// that meet the locked SIM do not ask again.
void TestGuiCalls::cancelledPinIsAskedOnce()
{
    FormRig rig;
    QVERIFY(rig.startPhone({}, QJsonObject{{"pin", QJsonObject{{"state", "SIM PIN"}}}}));
    rig.openWindow(Tab::Phonebooks, 1.0); // no silence awaited: time-outs in full
    QVERIFY(rig.ok());
    guitest::Dialogs answer([](QWidget *d) {
        QTest::mouseClick(guitest::find<QPushButton>(d, QStringLiteral("btnPinCancel")), Qt::LeftButton);
    });
    rig.find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(4);
    rig.click(QStringLiteral("btnCallsRead"));
    QCOMPARE(answer.count, 1);
    QCOMPARE(rig.find<QLabel>(QStringLiteral("CallStatus"))->text(), QStringLiteral("Not read: the SIM waits for its PIN"));
    QCOMPARE(rig.sim->commands(), (QStringList{"AT+CGSN", "AT+CPBS=?", "AT+CPBS=\"SM\""}));
}

QTEST_MAIN(TestGuiCalls)
#include "tst_gui_calls.moc"
