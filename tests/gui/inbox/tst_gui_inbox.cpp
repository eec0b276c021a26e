// SPDX-License-Identifier: GPL-2.0-or-later
// The Inbox page driven through the real window against the simulated
// phone, one user flow a case: reading (listed, location by location, both
// stores), aborting, deleting, replying and saving.
#include <QComboBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTextBrowser>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "../books/Observers.h"
#include "FormRig.h"
#include "core/backup/BackupFile.h"
#include "core/messaging/InboxMessages.h"
#include "gui/common/Tab.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/phonebooks/PhonebooksPage.h"

namespace {
using pagetest::DialogSteps;

const QString LongText = QStringLiteral("Hi Anna here! The train is late again, so I will be at the station around "
                                        "half past six instead. Could you pick up bread and milk on your way home? "
                                        "And do not forget the tickets for Saturday.");
const QString ExtensionText = QStringLiteral("Costs 5\u20AC [ok] {x} ~^|\\ done");
const QString TeliaText = QStringLiteral("Welcome to Telia! Your balance is 100 SEK.");

// One window serves every case: building it is most of what a case costs
// under the sanitizers. Each case brings a phone of its own (use()), and
// what it connects to the window goes when the case ends (scope()).
class Window : public guitest::FormRig {
public:
    Window()
    {
        openWindow(Tab::Inbox);
        page = find<QWidget>(QStringLiteral("InboxPage"));
    }
    // A fresh phone as COM1, the Inbox in front, the books as every case has them.
    Window &use(const QStringList &args = {}, const QJsonObject &state = {})
    {
        m_scope = std::make_unique<QObject>();
        startPhone(args, state);
        form->mainTabs->setCurrentIndex(int(Tab::Inbox));
        // Anna is in the SMS book; Bob in the SIM book as if read this session.
        form->books->smsBook.setEntry(1, {"+46701234567", "Anna"});
        form->phonebooksPage->simBook.setEntry(3, {"0701112233", "Bob"});
        m_from = 0;
        return *this;
    }
    QObject *scope() const { return m_scope.get(); }
    void endCase() { m_scope.reset(); }
    template <typename T = QWidget> T *get(const char *name) const
    {
        return guitest::find<T>(page, QString::fromLatin1(name));
    }
    QTableWidget *list() const { return get<QTableWidget>("InboxList"); }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = list()->item(row, column);
        return item ? item->text() : QString();
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < list()->rowCount(); ++r)
            out << cell(r, c);
        return out;
    }
    void press(const char *name) const { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    void read(int memory)
    {
        get<QComboBox>("InboxMemory")->setCurrentIndex(memory);
        m_from = int(sim->commands().size());
        press("btnInboxRead");
    }
    // Everything the read sent.
    QStringList sent() const { return sim->commands().mid(m_from); }
    // What the read sent after asking the phone what it offers: the first
    // read asks everything, a later one the serial number alone.
    QStringList commands() const
    {
        const QStringList all = sent(), probe = SimPhone::capabilityProbe();
        if (all.mid(0, probe.size()) == probe)
            return all.mid(probe.size());
        return all.value(0) == QLatin1String("AT+CGSN") ? all.mid(1) : all;
    }
    void select(const QList<int> &rows) const
    {
        list()->clearSelection();
        for (int r : rows)
            list()->selectionModel()->select(list()->model()->index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list()->setCurrentCell(rows.first(), 0, QItemSelectionModel::NoUpdate);
    }
    // The operation over: controls back, tabs free, port closed.
    void verifyAtRest() const
    {
        QVERIFY(!form->ComPort1.isOpen());
        QCOMPARE(form->link.lockedPage(), PhoneLink::Idle);
        QVERIFY(get("btnInboxRead")->isVisible() && get("btnInboxRead")->isEnabled());
        QVERIFY(!get("btnInboxAbort")->isVisible());
        QVERIFY(get("InboxMemory")->isEnabled() && list()->isEnabled());
    }

    QWidget *page = nullptr;

private:
    int m_from = 0;
    std::unique_ptr<QObject> m_scope;
};

// The messages of one store in the phone's dump.
QJsonArray dumpedMessages(SimPhone &sim, const char *store)
{
    return sim.stopAndDump()["messageStores"].toObject()[store].toObject()["messages"].toArray();
}

QStringList reads(int from, int to)
{
    QStringList out;
    for (int n = from; n <= to; ++n)
        out << QStringLiteral("AT+CMGR=%1").arg(n);
    return out;
}

const QStringList SimRows{ExtensionText, LongText, TeliaText};
} // namespace

class TstGuiInbox : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Window> m_window;
    Window &window(const QStringList &args = {}, const QJsonObject &state = {}) { return m_window->use(args, state); }

private slots:
    void initTestCase()
    {
        qunsetenv("MIRVAK_COM1");
        m_window = std::make_unique<Window>();
        QVERIFY(m_window->ok());
    }
    void init() { qunsetenv("MIRVAK_COM1"); }
    void cleanup() { m_window->endCase(); }
    void cleanupTestCase() { m_window.reset(); }

    void readsWithTheList()
    {
        Window &w = window();
        QVERIFY(w.ok());
        QCOMPARE(w.form->mainTabs->tabText(int(Tab::Inbox)), QStringLiteral("Inbox"));
        QCOMPARE(w.form->mainTabs->tabText(int(Tab::About)), QStringLiteral("About"));
        bool probed = false;
        QObject::connect(&w.form->link, &PhoneLink::commandWritten, w.scope(), [&] {
            if (probed)
                return;
            probed = true;
            // As the read starts: Abort in Read's place, the tabs locked.
            QVERIFY(w.get("btnInboxAbort")->isVisible() && !w.get("btnInboxRead")->isVisible());
            QVERIFY(!w.get("btnInboxSave")->isEnabled() && !w.get("InboxMemory")->isEnabled());
            w.form->mainTabs->setCurrentIndex(int(Tab::Sms));
            QCOMPARE(w.form->mainTabs->currentIndex(), int(Tab::Inbox));
            QCOMPARE(w.form->link.lockedPage(), int(Tab::Inbox));
        });
        w.read(0);
        QVERIFY(probed);
        QCOMPARE(w.sent(), SimPhone::capabilityProbe() + (QStringList{"AT+CMGF=0", "AT+CPMS=\"SM\"", "AT+CMGL=4"}));
        w.verifyAtRest();

        // Newest first; the two parts as one row; names from both books.
        QCOMPARE(w.column(4), SimRows);
        QCOMPARE(w.column(0), (QStringList{"Unread", "Read", "Unread"}));
        QCOMPARE(w.column(1), (QStringList{"0701112233", "+46701234567", "Telia"}));
        QCOMPARE(w.column(2), (QStringList{"Bob", "Anna", ""}));
        QCOMPARE(w.column(3), (QStringList{"2026-12-07 08:03", "2026-12-06 17:50", "2026-12-05 09:15"}));
        auto *progress = w.get<QProgressBar>("InboxProgress");
        QCOMPARE(progress->value(), progress->maximum());

        w.select({1});
        const QString details = w.get<QPlainTextEdit>("InboxText")->toPlainText();
        for (const QString &part : {QStringLiteral("From: +46701234567 (Anna)"), QStringLiteral("Centre: +46705008999"),
                                    QStringLiteral("2026-12-06 17:50:00+01:00"), LongText})
            QVERIFY2(details.contains(part), qPrintable(details));

        // Reading marked the unread ones read in the phone.
        const QJsonArray stored = dumpedMessages(*w.sim, "SM");
        for (const QJsonValue &m : stored)
            QCOMPARE(m["status"].toInt(), 1);
    }

    void readsLocationByLocation()
    {
        // No list command, empty locations in error, no centre addresses.
        Window &w = window({}, {{"cmglRefused", true}, {"emptyLocationError", true}, {"storedWithoutCentre", true}});
        QVERIFY(w.ok());
        w.read(0);
        // The fourth message is at location 7: nothing is read after it.
        QCOMPARE(w.commands(), (QStringList{"AT+CMGF=0", "AT+CPMS=\"SM\"", "AT+CMGL=4"} + reads(1, 7)));
        w.verifyAtRest();
        QCOMPARE(w.column(4), SimRows);
        w.select({0});
        QVERIFY(!w.get<QPlainTextEdit>("InboxText")->toPlainText().contains(QStringLiteral("Centre:")));
    }

    void readsBothStores()
    {
        Window &w = window();
        QVERIFY(w.ok());
        w.read(2);
        QCOMPARE(w.commands(), (QStringList{"AT+CMGF=0", "AT+CPMS=?", "AT+CPMS=\"SM\"", "AT+CMGL=4",
                                            "AT+CPMS=\"ME\"", "AT+CMGL=4"}));
        QCOMPARE(w.column(4), SimRows + QStringList{"See you at eight"});
        QCOMPARE(w.cell(3, 0), QStringLiteral("Sent"));
        QVERIFY(w.cell(3, 3).isEmpty());

        // A phone without a store of its own: "Both" reads the SIM only.
        Window &simOnly = window({}, {{"messageStores", QJsonObject{{"ME", QJsonObject{{"size", 0}}}}}});
        QVERIFY(simOnly.ok());
        simOnly.read(2);
        QCOMPARE(simOnly.commands(), (QStringList{"AT+CMGF=0", "AT+CPMS=?", "AT+CPMS=\"SM\"", "AT+CMGL=4"}));
        QCOMPARE(simOnly.list()->rowCount(), 3);
    }

    void abortKeepsWhatWasRead()
    {
        Window &w = window({}, {{"cmglRefused", true}});
        QVERIFY(w.ok());
        QByteArrayList written;
        QObject::connect(&w.form->link, &PhoneLink::commandWritten, w.scope(), [&](const QByteArray &c) {
            written << c;
            if (c.startsWith("AT+CMGR=2"))
                w.press("btnInboxAbort");
        });
        w.read(0);
        // Nothing is sent after the abort; the phone has the command in its own time.
        QCOMPARE(written.last(), QByteArray("AT+CMGR=2\r\n"));
        QVERIFY(w.sim->waitForCommand(QStringLiteral("AT+CMGR=2")));
        QCOMPARE(w.sent().size(), written.size());
        w.verifyAtRest();
        // Part one, and the mark of the part not read.
        QCOMPARE(w.column(4), QStringList(LongText.left(148) + QString::fromUtf16(Inbox::Gap)));
        QVERIFY(w.get<QPlainTextEdit>("InboxText")->toPlainText().contains(QStringLiteral("stopped")));
    }

    void faultsEndTheRead_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("notice");
        QTest::newRow("line noise before the list") << QStringList{"--fault", "garbage:AT+CMGL"} << 3 << QString();
        QTest::newRow("silent phone") << QStringList{"--fault", "silent"} << 0 << "did not answer";
        QTest::newRow("device gone mid-list") << QStringList{"--fault", "cut:AT+CMGL"} << 0 << "stopped";
    }
    void faultsEndTheRead()
    {
        QFETCH(QStringList, args);
        QFETCH(int, rows);
        QFETCH(QString, notice);
        Window &w = window(args);
        QVERIFY(w.ok());
        const guitest::Dialogs answer(guitest::answerAsUser);
        w.read(0);
        w.verifyAtRest();
        QCOMPARE(w.list()->rowCount(), rows);
        QVERIFY(w.get<QPlainTextEdit>("InboxText")->toPlainText().contains(notice));
    }

    void deleteAsksFirst()
    {
        Window &w = window({"--fault", "error:AT+CMGD=4"});
        QVERIFY(w.ok());
        w.read(0);
        w.select({1}); // the message in two parts

        QString asked;
        {
            DialogSteps steps({[&](QWidget *d) {
                auto *box = qobject_cast<QMessageBox *>(d);
                asked = box->objectName() + '|' + box->text();
                box->button(QMessageBox::Cancel)->click();
            }});
            const int before = int(w.sim->commands().size());
            w.press("btnInboxDelete");
            QVERIFY(steps.allTaken());
            QCOMPARE(w.sim->commands().size(), before);
        }
        QCOMPARE(asked, QStringLiteral("confirmDelete|Delete this message from the phone?"));
        QCOMPARE(w.list()->rowCount(), 3);

        // Confirmed: every part goes; the one the phone refuses stays, and says so.
        w.select({1, 2});
        QString refusal;
        DialogSteps steps({[](QWidget *d) { qobject_cast<QMessageBox *>(d)->button(QMessageBox::Ok)->click(); },
                           [&](QWidget *d) {
                               refusal = d->objectName() + '|' + qobject_cast<QMessageBox *>(d)->text();
                               qobject_cast<QMessageBox *>(d)->button(QMessageBox::Ok)->click();
                           }});
        const int before = int(w.sim->commands().size());
        w.press("btnInboxDelete");
        QVERIFY(steps.allTaken());
        QCOMPARE(w.sim->commands().mid(before),
                 (QStringList{"AT+CPMS=\"SM\"", "AT+CMGD=1", "AT+CMGD=2", "AT+CMGD=4"}));
        QCOMPARE(refusal, QStringLiteral("inboxDeleteFailed|The phone did not delete SIM 4: they stay in the list."));
        QCOMPARE(w.column(4), (QStringList{ExtensionText, TeliaText}));
        w.verifyAtRest();
        const QJsonArray left = dumpedMessages(*w.sim, "SM");
        QCOMPARE(left.size(), 2);
    }

    void replyOpensTheSmsPage()
    {
        Window &w = window();
        QVERIFY(w.ok());
        w.read(0);
        w.select({2}); // from "Telia": no number to write to
        QVERIFY(!w.get("btnInboxReply")->isEnabled());
        w.select({1});
        QVERIFY(w.get("btnInboxReply")->isEnabled());
        w.press("btnInboxReply");
        QCOMPARE(w.form->mainTabs->currentIndex(), int(Tab::Sms));
        QCOMPARE(w.find<QComboBox>(QStringLiteral("ComboBox1"))->currentText(), QStringLiteral("+46701234567"));
    }

    void savesCsvAndMailbox()
    {
        Window &w = window();
        QVERIFY(w.ok());
        w.read(0);
        const QString csvPath = w.filePath(QStringLiteral("messages.csv"));
        const QString boxPath = w.filePath(QStringLiteral("messages"));
        QStringList filters;
        DialogSteps steps({[&](QWidget *d) {
                               auto *f = qobject_cast<QFileDialog *>(d);
                               filters = f->nameFilters();
                               f->selectNameFilter(filters.last()); // the typed extension wins
                               pagetest::typeAndAccept(f, csvPath);
                           },
                           [&](QWidget *d) {
                               auto *f = qobject_cast<QFileDialog *>(d);
                               f->selectNameFilter(filters.last());
                               pagetest::typeAndAccept(f, boxPath);
                           }});
        w.press("btnInboxSave");
        w.press("btnInboxSave");
        QVERIFY(steps.allTaken());
        QCOMPARE(filters, (QStringList{"CSV files (*.csv)", "Mailbox files (*.mbox)"}));
        w.verifyAtRest();

        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().split('\n');
        QCOMPARE(rows.value(0), QByteArray("Store,Index,Status,Number,Name,Date,Text\r"));
        QCOMPARE(rows.value(2), "SIM,1;2,Read,+46701234567,Anna,2026-12-06T17:50:00+01:00,\"" + LongText.toUtf8() + "\"\r");

        // Python's mailbox module reads the same texts back.
        QProcess python;
        python.start(QStringLiteral(MIRVAK_PYTHON3),
                     {QStringLiteral("-c"), QStringLiteral(
                          "import json, mailbox, sys, email.header\n"
                          "out = []\n"
                          "for m in mailbox.mbox(sys.argv[1]):\n"
                          "    subject = str(email.header.make_header(email.header.decode_header(m['Subject'])))\n"
                          "    sender = str(email.header.make_header(email.header.decode_header(m['From'])))\n"
                          "    body = m.get_payload(decode=True).decode(m.get_content_charset())\n"
                          "    out.append([sender, m['Date'] or '', subject, body.rstrip('\\n')])\n"
                          "print(json.dumps(out))\n"),
                      boxPath + QStringLiteral(".mbox")});
        QVERIFY(python.waitForFinished(60000));
        const QJsonArray mails = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
        QVERIFY2(mails.size() == 3, python.readAllStandardError().constData());
        QCOMPARE(mails[0].toArray()[0].toString(), QStringLiteral("\"Bob\" <0701112233>"));
        QCOMPARE(mails[0].toArray()[2].toString(), ExtensionText);
        QCOMPARE(mails[0].toArray()[3].toString(), ExtensionText);
        QCOMPARE(mails[1].toArray()[1].toString(), QStringLiteral("Sun, 06 Dec 2026 17:50:00 +0100"));
        QCOMPARE(mails[1].toArray()[2].toString(), LongText.left(40));
        QCOMPARE(mails[1].toArray()[3].toString(), LongText);
        QCOMPARE(mails[2].toArray()[3].toString(), TeliaText);
    }

    // Every message read is kept: the archive view shows it as a
    // conversation, finds it by a word as the user types, and exports it.
    void archiveShowsFindsAndExports()
    {
        Window &w = window();
        QVERIFY(w.ok());
        w.read(2);
        w.get<QComboBox>("InboxView")->setCurrentIndex(1);
        auto *conversations = w.get<QListView>("ConversationList");
        QVERIFY(conversations->isVisible());
        QCOMPARE(conversations->model()->rowCount(), 3); // Bob, Anna and Telia
        QTest::keyClicks(w.get<QLineEdit>("ArchiveSearch"), QStringLiteral("balan"));
        QCOMPARE(conversations->model()->rowCount(), 1);
        conversations->setCurrentIndex(conversations->model()->index(0, 0));
        QVERIFY(w.get<QTextBrowser>("ConversationView")->toPlainText().contains(TeliaText));

        const QString path = w.filePath(QStringLiteral("telia.csv"));
        {
            DialogSteps steps({[&](QWidget *d) { pagetest::typeAndAccept(qobject_cast<QFileDialog *>(d), path); }});
            w.get<QMenu>("ArchiveExportMenu")->actions().at(1)->trigger(); // "This conversation…"
            QVERIFY(steps.allTaken());
        }
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().split('\n');
        QCOMPARE(rows.size(), 3);
        QVERIFY2(rows.at(1).contains(TeliaText.toUtf8()), rows.at(1).constData());

        // A backup's messages join the archive; what it already holds, once.
        Backup::Document backup;
        backup.set(Backup::Section::Messages,
                   QJsonObject{{"status", "ok"},
                               {"messages", QJsonArray{
                                                QJsonObject{{"store", "SM"}, {"location", 3}, {"status", 1},
                                                            {"pdu", "0791448720900253040C914497035290960000500151614414400DD4F29C9E769F41E17338ED06"}},
                                                // Telia's, as the phone gave it to the read above.
                                                QJsonObject{{"store", "SM"}, {"location", 4}, {"status", 1},
                                                            {"pdu", "07916407058099F90409D0D4323B1D060000622150905100402AD7327BFC6E9741F437885A66A7C32150F65D9783C46176D83D2E83D273500C06034D8B4B17"}}}}});
        const QString file = w.filePath(QStringLiteral("phone.json"));
        QVERIFY(Scratch::writeFile(file, Backup::serialize(backup)));
        QString said;
        DialogSteps import({[&](QWidget *d) { pagetest::typeAndAccept(qobject_cast<QFileDialog *>(d), file); },
                            [&](QWidget *d) {
                                said = d->objectName() + '|' + qobject_cast<QMessageBox *>(d)->text();
                                qobject_cast<QMessageBox *>(d)->button(QMessageBox::Ok)->click();
                            }});
        w.press("btnArchiveImport");
        QVERIFY(import.allTaken());
        QCOMPARE(said, QStringLiteral("archiveImported|1 of 2 messages were new to the archive."));
        w.get<QLineEdit>("ArchiveSearch")->setText(QStringLiteral("testing"));
        QCOMPARE(conversations->model()->rowCount(), 1);
        w.get<QLineEdit>("ArchiveSearch")->clear();
        w.get<QComboBox>("InboxView")->setCurrentIndex(0);
    }
};

QTEST_MAIN(TstGuiInbox)
#include "tst_gui_inbox.moc"
