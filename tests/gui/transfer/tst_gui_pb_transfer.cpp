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
#include <QTimer>
#include <QtTest>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/messaging/SmsPage.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "gui/common/BookTableModel.h"

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
        form->link.setTiming(Timing().scaled(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Phonebooks));
        page = form->phonebooksPage;
        page->Tabs->setCurrentIndex(tab);
    }
    QString cell(int row, int column) const
    {
        QTableView *grid = page->Tabs->currentIndex() == PhoneTab ? page->PhoneGrid : page->SimGrid;
        return grid->model()->index(row, column).data().toString();
    }
    PhonebooksPage *page = nullptr;
};

// Answers the next write confirmation with `button`, noting what it said.
struct BoxAnswer {
    QString caption, text;
    bool seen = false;
};
void answerConfirmation(QMessageBox::StandardButton button, BoxAnswer &seen)
{
    QTimer::singleShot(10, qApp, [button, &seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->objectName() != QLatin1String("confirmWrite")) {
            answerConfirmation(button, seen);
            return;
        }
        seen = {box->windowTitle(), box->text(), true};
        box->button(button)->click();
    });
}

// Transfer over: the page, the port and the SMS page's Exit as at rest.
void verifyAtRest(Window &w)
{
    PhonebooksPage *p = w.page;
    QVERIFY(!w.form->ComPort1.Connected());
    QCOMPARE(w.form->link.BusyPage(), 100);
    for (QPushButton *b : {p->btnRead, p->btnWrite, p->btnChanges, p->btnLoad, p->btnSave})
        QVERIFY(b->isVisible() && b->isEnabled());
    QVERIFY(p->SimGrid->isEnabled() && p->PhoneGrid->isEnabled() && p->Tabs->tabBar()->isEnabled());
    QVERIFY(w.form->smsPage->btnExit->isEnabledTo(w.form->smsPage));
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
        QVERIFY(w.page->btnRead->isEnabled());
        QCOMPARE(w.page->SimGrid->model()->rowCount(), 51);

        // While the read runs: Read hidden over its Abort, Exit and the
        // tabs locked.
        bool probed = false, busyLooked = false;
        guitest::Poller poller([&] {
            if (probed || !w.form->link.operationRunning())
                return;
            probed = true;
            w.form->mainTabs->setCurrentIndex(int(Tab::Sms));
            busyLooked = !w.page->btnRead->isVisible() && w.page->btnAbort4->isVisible()
                && !w.page->btnWrite->isEnabled() && !w.page->SimGrid->isEnabled()
                && !w.form->smsPage->btnExit->isEnabledTo(w.form->smsPage) && w.form->link.BusyPage() == 1
                && w.form->mainTabs->currentIndex() == int(Tab::Phonebooks);
        }, 1);
        QTest::mouseClick(w.page->btnRead, Qt::LeftButton);
        poller.stop();
        QVERIFY(probed && busyLooked);

        QCOMPARE(sim.commands(), (QStringList{"AT+CPBS=\"SM\"", "AT+CPBR=1", "AT+CPBR=2", "AT+CPBR=3",
                                              "AT+CPBR=4", "AT+CPBS=\"SM\""}));
        QCOMPARE(w.page->SimGrid->model()->rowCount(), 4);
        QCOMPARE(w.cell(0, 0), QStringLiteral("3"));
        QCOMPARE(w.cell(1, 1), QStringLiteral("+46701234567"));
        QCOMPARE(w.cell(1, 2), QStringLiteral("Anna"));
        QCOMPARE(w.cell(2, 1), QString());
        QCOMPARE(w.cell(2, 2), QString());
        QCOMPARE(w.cell(3, 1), QStringLiteral("0701234567"));
        QCOMPARE(w.page->SimCopy.at(1), (PhonebookEntry{"+46701234567", "Anna"}));
        QCOMPARE(w.page->SimCopy.at(3), (PhonebookEntry{"0701234567", "Bob"}));
        QCOMPARE(w.page->SimGrid->currentIndex().row(), 1);
        verifyAtRest(w);
    }

    void updateWritesOnlyEditedRows()
    {
        SimPhone sim({}, threeLocations());
        QVERIFY(sim.start());
        Window w(sim);
        QTest::mouseClick(w.page->btnRead, Qt::LeftButton);
        QVERIFY(w.page->simTable->setData(w.page->simTable->index(3, BookTableModel::NameColumn), "Bobby"));

        const QString once = "AT+CPBW=3,\"0701234567\",129,\"Bobby\"";
        for (int round = 0; round < 2; ++round) {
            const int before = sim.commands().size();
            QTest::mouseClick(w.page->btnChanges, Qt::LeftButton); // no confirmation asked
            QCOMPARE(since(sim, before), (QStringList{"AT+CPBS=\"SM\"", once, "AT+CPBS=\"SM\""}));
            verifyAtRest(w);
        }

        // A full Write after confirming sends every row, the empty one too.
        const int before = sim.commands().size();
        BoxAnswer box;
        answerConfirmation(QMessageBox::Ok, box);
        QTest::mouseClick(w.page->btnWrite, Qt::LeftButton);
        QVERIFY(box.seen);
        QCOMPARE(box.text, QStringLiteral("Write all entries to SIM, Are you sure?"));
        QCOMPARE(since(sim, before), (QStringList{"AT+CPBS=\"SM\"", "AT+CPBW=1,\"46701234567\",145,\"Anna\"",
                                                  "AT+CPBW=2,\"\",129,\"\"", once, "AT+CPBS=\"SM\""}));
        const QJsonArray stored = sim.stopAndDump().value("sim").toObject().value("entries").toArray();
        QCOMPARE(stored, (QJsonArray{entry(1, "46701234567", 145, "Anna"), entry(3, "0701234567", 129, "Bobby")}));
    }

    // On the Phone tab: Cancel sends nothing; OK writes the phone memory,
    // passing over the locations it refuses.
    void confirmationOnThePhoneTab()
    {
        SimPhone sim({}, {{"phonebook", QJsonObject{{"size", 2}, {"entries", QJsonArray{}}}}});
        QVERIFY(sim.start());
        Window w(sim, PhoneTab);
        w.page->phoneTable->setData(w.page->phoneTable->index(1, BookTableModel::NumberColumn), "+4612");
        w.page->phoneTable->setData(w.page->phoneTable->index(3, BookTableModel::NameColumn), "Past the end");

        BoxAnswer box;
        answerConfirmation(QMessageBox::Cancel, box);
        QTest::mouseClick(w.page->btnWrite, Qt::LeftButton);
        QVERIFY(box.seen);
        QCOMPARE(box.caption, QStringLiteral("Write all entries..."));
        QCOMPARE(box.text, QStringLiteral("Write all entries to Phone, Are you sure?"));
        QVERIFY(sim.commands().isEmpty());
        QCOMPARE(w.form->link.BusyPage(), 100);
        QVERIFY(w.page->btnWrite->isVisible() && w.page->btnWrite->isEnabled());

        answerConfirmation(QMessageBox::Ok, box);
        QTest::mouseClick(w.page->btnWrite, Qt::LeftButton);
        const QStringList sent = sim.commands();
        QCOMPARE(sent.size(), 52);
        QCOMPARE(sent.first(), QStringLiteral("AT+CPBS=\"ME\""));
        QCOMPARE(sent.at(1), QStringLiteral("AT+CPBW=1,\"4612\",145,\"\""));
        QCOMPARE(sent.at(50), QStringLiteral("AT+CPBW=50,\"\",129,\"\""));
        QCOMPARE(sent.last(), QStringLiteral("AT+CPBS=\"SM\""));
        verifyAtRest(w);
        const QJsonObject dump = sim.stopAndDump();
        QCOMPARE(dump.value("phonebook").toObject().value("entries").toArray(),
                 (QJsonArray{entry(1, "4612", 145, "")}));
        QCOMPARE(dump.value("storage").toString(), QStringLiteral("SM"));
    }

    void abortDuringRead()
    {
        QJsonArray entries;
        for (int i = 1; i <= 40; ++i)
            entries.append(entry(i, QString::number(1000 + i), 129, QStringLiteral("N%1").arg(i)));
        // At 9600 baud each location takes tens of milliseconds.
        SimPhone sim({"--pace", "960"}, simState(40, entries));
        QVERIFY(sim.start());
        Window w(sim);
        bool aborted = false;
        guitest::Poller poller([&] {
            if (!aborted && w.page->simBook.count() == 5 && w.page->btnAbort4->isVisible()) {
                aborted = true;
                QTest::mouseClick(w.page->btnAbort4, Qt::LeftButton);
            }
        }, 1);
        QTest::mouseClick(w.page->btnRead, Qt::LeftButton);
        poller.stop();

        const int read = w.page->simBook.count();
        QVERIFY2(read >= 5 && read < 40, qPrintable(QString::number(read)));
        QCOMPARE(w.cell(read, 1), QString::number(1000 + read));
        QCOMPARE(w.cell(read, 2), QStringLiteral("N%1").arg(read));
        QCOMPARE(w.page->SimCopy.at(read), (PhonebookEntry{QByteArray::number(1000 + read), "N" + QByteArray::number(read)}));
        QCOMPARE(sim.commands().last(), QStringLiteral("AT+CPBS=\"SM\""));
        QVERIFY(!sim.commands().contains("AT+CPBR=40"));
        verifyAtRest(w);
    }

    // A name read from the phone that holds line ends goes back as one
    // command, never as a command of its own.
    void nameCannotInjectACommand()
    {
        SimPhone sim({}, simState(1, {entry(1, "123", 129, "Bob\rAT+CCWA=1,1\rX")}));
        QVERIFY(sim.start());
        Window w(sim);
        QTest::mouseClick(w.page->btnRead, Qt::LeftButton);
        QCOMPARE(w.cell(1, 2), QStringLiteral("Bob\rAT+CCWA=1,1\rX"));

        BoxAnswer box;
        answerConfirmation(QMessageBox::Ok, box);
        QTest::mouseClick(w.page->btnWrite, Qt::LeftButton);
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
