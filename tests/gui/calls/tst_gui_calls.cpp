// SPDX-License-Identifier: GPL-2.0-or-later
// The Calls tab read from the simulated phone with names from the books,
// a number dialled and hung up; a locked SIM unlocked through PinDialog
// with the operation going on, and the PIN in no trace.
#include <QAction>
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
    // The Melodies page has a "CallList" of its own.
    auto *list = guitest::find<QComboBox>(rig.form->phonebooksPage, QStringLiteral("CallList"));
    auto *grid = rig.find<QTableWidget>(QStringLiteral("CallsGrid"));
    list->setCurrentIndex(list->findText(QStringLiteral("Dialled")));
    const qsizetype before = rig.sim->commands().size();
    rig.click(QStringLiteral("btnCallsRead"));
    QCOMPARE(column(grid, 1), (QStringList{"+46701234567", "0812345678"}));
    QCOMPARE(column(grid, 2), (QStringList{"Anna", "Office"}));
    QCOMPARE(column(grid, 3).value(0), QStringLiteral("05/06/07,12:34:56"));
    const QStringList sent = rig.sim->commands().mid(before);
    QCOMPARE(sent.mid(0, 2), (QStringList{"AT+CPBS=?", "AT+CPBS=\"LD\""}));
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
    QCOMPARE(sent.mid(0, 6), (QStringList{"AT+CPBS=\"SM\"", "AT+CPIN=\"1111\"", "AT+CPIN?", "AT+CPINR",
                                          "AT+CPIN=\"1234\"", "AT+CPBS=\"SM\""}));
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
    QVERIFY(!rig.sim->commands().join(u' ').contains(QLatin1String("CPBR")));
}

QTEST_MAIN(TestGuiCalls)
#include "tst_gui_calls.moc"
