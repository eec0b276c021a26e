// SPDX-License-Identifier: GPL-2.0-or-later
// The Read, Write and Update buttons of the Phonebooks page, driven through
// the real window against the simulated phone.
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <QtTest>

#include "../books/Observers.h"
#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/BookTableModel.h"
#include "gui/common/Tab.h"

namespace {
enum { SimTab = 2, PhoneTab = 3 };

QJsonObject entry(int index, const QString &number, int type, const QString &name)
{
    return {{"index", index}, {"number", number}, {"type", type}, {"name", name}};
}

QJsonObject simState(int size, const QJsonArray &entries)
{
    return {{"sim", QJsonObject{{"size", size}, {"entries", entries}}}};
}

// Anna (type 145) at 1, nothing at 2, Bob (type 129) at 3.
QJsonObject threeLocations()
{
    return simState(3, {entry(1, "46701234567", 145, "Anna"), entry(3, "0701234567", 129, "Bob")});
}

// The main window on the Phonebooks page, a tab of its books showing, the
// phone as COM1 and the link's times at a fifth.
class Window : public guitest::FormRig {
public:
    explicit Window(SimPhone &sim, int tab = SimTab)
    {
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(guitest::testTiming(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Phonebooks));
        page = guitest::find<QWidget>(form.get(), QStringLiteral("Panel2"));
        tabs()->setCurrentIndex(tab);
    }
    template <typename T = QWidget> T *find(const char *name) const
    {
        return guitest::find<T>(page, QString::fromLatin1(name));
    }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QTabWidget *tabs() const { return find<QTabWidget>("Tabs"); }
    QTableView *grid() const { return find<QTableView>(tabs()->currentIndex() == PhoneTab ? "PhoneGrid" : "SimGrid"); }
    QString cell(int row, int column) const { return grid()->model()->index(row, column).data().toString(); }
    void setCell(int row, int column, const QString &text) const
    {
        QVERIFY(grid()->model()->setData(grid()->model()->index(row, column), text));
    }
    // Whether the SMS page's Exit, which a transfer locks, is enabled on its page.
    bool exitEnabled() const
    {
        auto *smsPage = guitest::find<QWidget>(form.get(), QStringLiteral("Panel1"));
        return guitest::find<QPushButton>(smsPage, QStringLiteral("btnExit"))->isEnabledTo(smsPage);
    }
    // Runs `act` each time a command goes to the port.
    void onCommand(const std::function<void(const QByteArray &)> &act) const
    {
        QObject::connect(&form->link, &PhoneLink::commandWritten, page, act);
    }

    QWidget *page = nullptr;
};

// Answers the write confirmation with `button`, noting what it said.
struct BoxAnswer {
    QString name, caption, text;
};
pagetest::DialogSteps::Step answerConfirmation(QMessageBox::StandardButton button, BoxAnswer &seen)
{
    return [button, &seen](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        seen = {box->objectName(), box->windowTitle(), box->text()};
        box->button(button)->click();
    };
}

// Transfer over: the page, the port and the SMS page's Exit as at rest.
void verifyAtRest(Window &w)
{
    QVERIFY(!w.form->ComPort1.isOpen());
    QCOMPARE(w.form->link.lockedPage(), 100);
    for (const char *b : {"btnRead", "btnWrite", "btnChanges", "btnLoad", "btnSave"})
        QVERIFY2(w.button(b)->isVisible() && w.button(b)->isEnabled(), b);
    QVERIFY(w.find("SimGrid")->isEnabled() && w.find("PhoneGrid")->isEnabled() && w.tabs()->tabBar()->isEnabled());
    QVERIFY(w.exitEnabled());
}

QStringList since(const SimPhone &sim, int from)
{
    return sim.commands().mid(from);
}
} // namespace

class GuiPbTransfer : public QObject {
    Q_OBJECT
private slots:
    void init() { qunsetenv("MIRVAK_COM1"); }

    void readThreeLocationSim()
    {
        SimPhone sim({}, threeLocations());
        QVERIFY(sim.start());
        Window w(sim);
        QVERIFY(w.button("btnRead")->isEnabled());
        QCOMPARE(w.grid()->model()->rowCount(), 51);

        // As the read starts: Read hidden over its Abort, Exit and the tabs
        // locked.
        bool probed = false;
        w.onCommand([&](const QByteArray &) {
            if (probed)
                return;
            probed = true;
            w.form->mainTabs->setCurrentIndex(int(Tab::Sms));
            QVERIFY(!w.button("btnRead")->isVisible() && w.button("btnAbort4")->isVisible());
            QVERIFY(!w.button("btnWrite")->isEnabled() && !w.find("SimGrid")->isEnabled());
            QVERIFY(!w.exitEnabled());
            QCOMPARE(w.form->link.lockedPage(), int(Tab::Phonebooks));
            QCOMPARE(w.form->mainTabs->currentIndex(), int(Tab::Phonebooks));
        });
        QTest::mouseClick(w.button("btnRead"), Qt::LeftButton);
        QVERIFY(probed);

        // What the phone offers first, once; the book ends where the phone says it does.
        QCOMPARE(sim.commands(), SimPhone::capabilityProbe() + (QStringList{"AT+CPBS=\"SM\"", "AT+CPBR=?", "AT+CPBR=1",
                                                                            "AT+CPBR=2", "AT+CPBR=3", "AT+CPBS=\"SM\""}));
        QCOMPARE(w.grid()->model()->rowCount(), 4);
        QCOMPARE(w.cell(0, 0), QStringLiteral("3"));
        QCOMPARE(w.cell(1, 1), QStringLiteral("+46701234567"));
        QCOMPARE(w.cell(1, 2), QStringLiteral("Anna"));
        QCOMPARE(w.cell(2, 1), QString());
        QCOMPARE(w.cell(2, 2), QString());
        QCOMPARE(w.cell(3, 1), QStringLiteral("0701234567"));
        QCOMPARE(w.grid()->currentIndex().row(), 1);
        verifyAtRest(w);
    }

    // Update writes what differs from the last read: an edited row, each
    // time; a row put back as read, never.
    void updateWritesOnlyEditedRows()
    {
        SimPhone sim({}, threeLocations());
        QVERIFY(sim.start());
        Window w(sim);
        QTest::mouseClick(w.button("btnRead"), Qt::LeftButton);
        w.setCell(3, BookTableModel::NameColumn, "Bobby");
        w.setCell(1, BookTableModel::NameColumn, "Ann");
        w.setCell(1, BookTableModel::NameColumn, "Anna");

        const QString once = "AT+CPBW=3,\"0701234567\",129,\"Bobby\"";
        for (int round = 0; round < 2; ++round) {
            const int before = sim.commands().size();
            pagetest::DialogSteps none;
            QTest::mouseClick(w.button("btnChanges"), Qt::LeftButton);
            QCOMPARE(none.shown, 0); // no confirmation asked
            QCOMPARE(since(sim, before), (QStringList{"AT+CGSN", "AT+CPBS=\"SM\"", "AT+CPBR=?", once, "AT+CPBS=\"SM\""}));
            verifyAtRest(w);
        }

        // A full Write after confirming sends every row, the empty one too.
        const int before = sim.commands().size();
        BoxAnswer box;
        {
            pagetest::DialogSteps confirm({answerConfirmation(QMessageBox::Ok, box)});
            QTest::mouseClick(w.button("btnWrite"), Qt::LeftButton);
            QVERIFY(confirm.allTaken());
        }
        QCOMPARE(box.name, QStringLiteral("confirmWrite"));
        QCOMPARE(box.text, QStringLiteral("Write all entries to SIM, Are you sure?"));
        QCOMPARE(since(sim, before), (QStringList{"AT+CGSN", "AT+CPBS=\"SM\"", "AT+CPBR=?", "AT+CPBW=1,\"46701234567\",145,\"Anna\"",
                                                  "AT+CPBW=2,\"\",129,\"\"", once, "AT+CPBS=\"SM\""}));
        const QJsonArray stored = sim.stopAndDump().value("sim").toObject().value("entries").toArray();
        QCOMPARE(stored, (QJsonArray{entry(1, "46701234567", 145, "Anna"), entry(3, "0701234567", 129, "Bobby")}));
    }

    // On the Phone tab: Cancel sends nothing; OK writes the phone memory up
    // to the last location it states, and says what lay past it.
    void confirmationOnThePhoneTab()
    {
        SimPhone sim({}, {{"phonebook", QJsonObject{{"size", 2}, {"entries", QJsonArray{}}}}});
        QVERIFY(sim.start());
        Window w(sim, PhoneTab);
        w.setCell(1, BookTableModel::NumberColumn, "+4612");
        w.setCell(3, BookTableModel::NameColumn, "Past the end");

        BoxAnswer box;
        {
            pagetest::DialogSteps cancel({answerConfirmation(QMessageBox::Cancel, box)});
            QTest::mouseClick(w.button("btnWrite"), Qt::LeftButton);
            QVERIFY(cancel.allTaken());
        }
        QCOMPARE(box.caption, QStringLiteral("Write all entries..."));
        QCOMPARE(box.text, QStringLiteral("Write all entries to Phone, Are you sure?"));
        QVERIFY(sim.commands().isEmpty());
        QCOMPARE(w.form->link.lockedPage(), 100);
        QVERIFY(w.button("btnWrite")->isVisible() && w.button("btnWrite")->isEnabled());

        BoxAnswer report;
        {
            pagetest::DialogSteps confirm(
                {answerConfirmation(QMessageBox::Ok, box), answerConfirmation(QMessageBox::Ok, report)});
            QTest::mouseClick(w.button("btnWrite"), Qt::LeftButton);
            QVERIFY(confirm.allTaken());
        }
        QCOMPARE(sim.commands(), SimPhone::capabilityProbe() + (QStringList{"AT+CPBS=\"ME\"", "AT+CPBR=?",
                                                                            "AT+CPBW=1,\"4612\",145,\"\"",
                                                                            "AT+CPBW=2,\"\",129,\"\"", "AT+CPBS=\"SM\""}));
        QCOMPARE(report.name, QStringLiteral("msgWriteReport"));
        QCOMPARE(report.text, QStringLiteral("Not written, past the book's last location 2: location 3."));
        verifyAtRest(w);
        const QJsonObject dump = sim.stopAndDump();
        QCOMPARE(dump.value("phonebook").toObject().value("entries").toArray(),
                 (QJsonArray{entry(1, "4612", 145, "")}));
        QCOMPARE(dump.value("storage").toString(), QStringLiteral("SM"));
    }

    // Abort as location 6 is asked for: the five rows read stay, the SIM
    // book is selected again and the port closed.
    void abortDuringRead()
    {
        QJsonArray entries;
        for (int i = 1; i <= 40; ++i)
            entries.append(entry(i, QString::number(1000 + i), 129, QStringLiteral("N%1").arg(i)));
        SimPhone sim({}, simState(40, entries));
        QVERIFY(sim.start());
        Window w(sim);
        w.onCommand([&](const QByteArray &command) {
            if (command == "AT+CPBR=6\r\n")
                QTest::mouseClick(w.button("btnAbort4"), Qt::LeftButton);
        });
        QTest::mouseClick(w.button("btnRead"), Qt::LeftButton);

        QCOMPARE(w.cell(0, 0), QStringLiteral("5"));
        QCOMPARE(w.grid()->model()->rowCount(), 6);
        QCOMPARE(w.cell(5, 1), QStringLiteral("1005"));
        QCOMPARE(w.cell(5, 2), QStringLiteral("N5"));
        QCOMPARE(sim.commands().last(), QStringLiteral("AT+CPBS=\"SM\""));
        QVERIFY(!sim.commands().contains("AT+CPBR=7"));
        verifyAtRest(w);

        // The rows read are what the phone holds: Update writes none of them.
        const int before = sim.commands().size();
        QTest::mouseClick(w.button("btnChanges"), Qt::LeftButton);
        QCOMPARE(since(sim, before), (QStringList{"AT+CGSN", "AT+CPBS=\"SM\"", "AT+CPBS=\"SM\""}));
    }

    // A name read from the phone that holds line ends goes back as one
    // command, never as a command of its own.
    void nameCannotInjectACommand()
    {
        SimPhone sim({}, simState(1, {entry(1, "123", 129, "Bob\rAT+CCWA=1,1\rX")}));
        QVERIFY(sim.start());
        Window w(sim);
        QTest::mouseClick(w.button("btnRead"), Qt::LeftButton);
        QCOMPARE(w.cell(1, 2), QStringLiteral("Bob\rAT+CCWA=1,1\rX"));

        BoxAnswer box;
        pagetest::DialogSteps confirm({answerConfirmation(QMessageBox::Ok, box)});
        QTest::mouseClick(w.button("btnWrite"), Qt::LeftButton);
        const QStringList sent = sim.commands();
        QCOMPARE(sent.filter(QRegularExpression("^AT\\+CPBW")).size(), 1);
        QVERIFY(sent.filter("CCWA").size() == 1 && sent.filter("CCWA").first().startsWith("AT+CPBW=1,"));
        QVERIFY(sent.filter(QRegularExpression("^AT\\+CCWA")).isEmpty());
        QCOMPARE(sim.stopAndDump().value("sim").toObject().value("entries").toArray(),
                 (QJsonArray{entry(1, "123", 129, "BobAT+CCWA=1,1X")}));
    }
};

QTEST_MAIN(GuiPbTransfer)
#include "tst_gui_pb_transfer.moc"
