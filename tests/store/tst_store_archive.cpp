// SPDX-License-Identifier: GPL-2.0-or-later
// The message archive: each message once however often and from wherever
// it is read, conversations by party, search, status reports, and files
// that are not (or not yet) this version's archive.
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "Scratch.h"
#include "core/messaging/InboxMessages.h"
#include "core/messaging/NumberKey.h"
#include "store/archive/MessageArchive.h"

namespace {

// Stored messages from public test suites of SMS libraries: a plain
// message, one from a UK mobile, the first of two parts from another, and
// a UCS-2 one.
const QByteArray Hello = "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37";
const QByteArray Uk = "0791448720900253040C914497035290960000500151614414400DD4F29C9E769F41E17338ED06";
const QByteArray UkPart1 =
    "0791449737709499440C91448773276057000080708031005340A005000347020189EFBA985D06B5CBF379F85C7681826E7A985D06"
    "B5CBF379F81C0691DF7531BB4C06B5CBF379F81C0685DDF430BB0C0ABBE9617619447FA7D9A0B09B0C9ABBEBE375590E7AB3C9A0F0"
    "B9CE9E83DA6C1B1DCD0699DF6CFA1BD466B7E96E503B4FBFD7F5F57B5D5FBFD7F5F57B5D5FBFD7F5F57B5D5FBFD7F5F57B5D5FBFD7"
    "F5F57B5D5FBFD7F5";
// A delivery report from a real phone's store (smslib's test capture): the
// message with reference 102 to +447988156550 was delivered.
const QByteArray Report = "079144973770939906660C91449788515605903021514363009030215143040000";
const QByteArray Ucs2 = "0791227167830001040C912271271640910008906012024514001C002E004020AC00A300680065006C006C006F002000E900EC006B00F0";

QList<ArchivedMessage> read(InboxAt::Store store, const QList<QByteArray> &pdus, InboxAt::Status status = InboxAt::Read)
{
    QList<InboxPart> parts;
    int location = 1;
    for (const QByteArray &pdu : pdus)
        parts << inboxPart(store, InboxAt::StoredPdu{location++, status, -1, pdu});
    QList<ArchivedMessage> out;
    for (const InboxMessage &m : Inbox::join(parts))
        out << MessageArchive::fromInbox(m);
    return out;
}

ArchivedMessage sent(const QString &number, const QString &text, int reference)
{
    ArchivedMessage m;
    m.direction = ArchivedMessage::Sent;
    m.number = number;
    m.text = text;
    m.status = QStringLiteral("sent");
    m.time = QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC);
    m.messageReference = reference;
    m.parts << ArchivedPart{1, "0011000B916407281553F80000AA0AE8329BFD4697D9EC37"};
    return m;
}

int added(MessageArchive &archive, const QList<ArchivedMessage> &messages, const QString &cc = QString())
{
    const auto stored = archive.add(messages, cc);
    if (!stored)
        qWarning("%s", qPrintable(archive.error()));
    return stored ? int(stored->size()) : -1;
}

} // namespace

class TestArchive : public QObject {
    Q_OBJECT

private slots:
    void storesEachMessageOnce()
    {
        Scratch dir;
        const QString path = dir.filePath(QStringLiteral("data/messages.sqlite"));
        {
            MessageArchive archive(path);
            QVERIFY2(archive.isOpen(), qPrintable(archive.error()));
            QCOMPARE(added(archive, read(InboxAt::Store::Sim, {Hello, Uk, UkPart1, Ucs2}, InboxAt::Unread)), 4);
            // Read again, now read; then the same messages found in the phone's store.
            QCOMPARE(added(archive, read(InboxAt::Store::Sim, {Hello, Uk, UkPart1, Ucs2})), 0);
            QCOMPARE(added(archive, read(InboxAt::Store::Phone, {Ucs2, Hello})), 0);
        }
        MessageArchive again(path);
        QCOMPARE(again.count(), 4);
        const QList<ArchivedMessage> all = again.all();
        for (const ArchivedMessage &m : all)
            QCOMPARE(m.status, QStringLiteral("read"));
        const auto part = std::find_if(all.cbegin(), all.cend(), [](const ArchivedMessage &m) { return m.total == 2; });
        QVERIFY(part != all.cend());
        QCOMPARE(part->reference, 71);
        QCOMPARE(part->parts, (QList<ArchivedPart>{{1, UkPart1}}));
        QVERIFY(part->text.contains(Inbox::Gap));
        // What the phone gave is there for python's sqlite3 too.
        QProcess py;
        py.start(QStringLiteral("python3"), {"-c", "import sqlite3, sys\n"
                                                   "c = sqlite3.connect(sys.argv[1])\n"
                                                   "print(c.execute('select count(*) from parts').fetchone()[0])\n"
                                                   "print(c.execute('select text from messages where number = ?', "
                                                   "('27838890001',)).fetchone()[0])",
                                             path});
        QVERIFY(py.waitForFinished(60000));
        QCOMPARE(py.readAllStandardOutput(), QByteArray("4\nhellohello\n"));
    }

    void conversationsBySameParty_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("countryCode");
        QTest::addColumn<bool>("same");
        QTest::newRow("national on its network") << "+46701234567" << "0701234567" << "46" << true;
        QTest::newRow("00 for +") << "+46701234567" << "0046701234567" << "" << true;
        QTest::newRow("national, network unknown") << "+46701234567" << "0701234567" << "" << false;
        QTest::newRow("national on another network") << "+46701234567" << "0701234567" << "44" << false;
        QTest::newRow("text sender") << "Telia" << "TELIA " << "" << true;
        QTest::newRow("text is no number") << "Telia" << "0701234567" << "46" << false;
    }

    void conversationsBySameParty()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, countryCode);
        QFETCH(bool, same);
        QCOMPARE(NumberKey::of(a, countryCode) == NumberKey::of(b, countryCode), same);
        QCOMPARE(NumberKey::countryCode(QStringLiteral("+46705008999")), QStringLiteral("46"));
        QCOMPARE(NumberKey::countryCode(QStringLiteral("+12025550123")), QStringLiteral("1"));
        QCOMPARE(NumberKey::countryCode(QStringLiteral("+358401234567")), QStringLiteral("358"));
    }

    void conversationsSearchAndReports()
    {
        Scratch dir;
        MessageArchive archive(dir.filePath(QStringLiteral("messages.sqlite")));
        QVERIFY2(archive.isOpen(), qPrintable(archive.error()));
        QCOMPARE(added(archive, read(InboxAt::Store::Sim, {Hello, Uk, UkPart1})), 3);
        QCOMPARE(added(archive, {sent(QStringLiteral("07930250969"), QStringLiteral("Back at six"), 17)}, "44"), 1);

        const QList<ArchivedConversation> list = archive.conversations();
        QCOMPARE(list.size(), 3);
        QCOMPARE(list.first().key, QStringLiteral("+447930250969")); // the sent one is newest
        QCOMPARE(list.first().count, 2);
        QCOMPARE(list.first().lastText, QStringLiteral("Back at six"));
        const QList<ArchivedMessage> talk = archive.conversation(list.first().key);
        QCOMPARE(talk.size(), 2);
        QCOMPARE(talk.last().direction, ArchivedMessage::Sent);

        QCOMPARE(archive.search(QStringLiteral("hellohel")).size(), 1);  // a word as it is typed
        QCOMPARE(archive.search(QStringLiteral("back six")).size(), 1);
        QCOMPARE(archive.search(QStringLiteral("\"six OR")).size(), 0);   // the index's syntax is no syntax here
        QCOMPARE(archive.search(QStringLiteral("7930250")).size(), 2);
        QCOMPARE(archive.search(QString()).size(), 4);

        const QDateTime at(QDate(2026, 12, 8), QTime(10, 1), Qt::UTC);
        QVERIFY(!archive.attachReport(QStringLiteral("+447930250969"), 18, QStringLiteral("Delivered"), at));
        QVERIFY(archive.attachReport(QStringLiteral("+447930250969"), 17, QStringLiteral("Delivered"), at));
        const ArchivedMessage reported = archive.conversation(list.first().key).last();
        QCOMPARE(reported.report, QStringLiteral("Delivered"));
        QCOMPARE(reported.reportTime, at);

        // A report read from the phone finds the message it answers, and is
        // kept on its own only while none is there.
        QList<InboxPart> parts{inboxPart(InboxAt::Store::Sim, InboxAt::StoredPdu{12, InboxAt::Read, 25, Report})};
        const auto lone = archive.addRead(Inbox::join(parts));
        QVERIFY(lone && lone->size() == 1);
        QCOMPARE(added(archive, {sent(QStringLiteral("+447988156550"), QStringLiteral("Running late"), 102)}), 1);
        const auto attached = archive.addRead(Inbox::join(parts));
        QVERIFY(attached && attached->isEmpty());
        const ArchivedMessage answered = archive.conversation(QStringLiteral("+447988156550")).last();
        QCOMPARE(answered.text, QStringLiteral("Running late"));
        QCOMPARE(answered.report, QStringLiteral("Delivered"));
        QVERIFY(answered.reportTime.isValid());
    }

    // A version-1 archive comes up to date with its messages searchable; a
    // file that is not an archive, a damaged one or a newer one is named
    // and left exactly as it was.
    void filesOfOtherVersionsAndKinds_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QString v1 = QStringLiteral(
            "CREATE TABLE messages (id INTEGER PRIMARY KEY, direction TEXT NOT NULL, number TEXT NOT NULL,"
            " conversation TEXT NOT NULL, time TEXT, sort_time INTEGER NOT NULL, stored_at TEXT NOT NULL,"
            " text TEXT NOT NULL, status TEXT NOT NULL, store TEXT, reference INTEGER, total INTEGER NOT NULL"
            " DEFAULT 1, message_reference INTEGER, dedupe BLOB NOT NULL UNIQUE)");
        QTest::newRow("version 1") << QStringList{
            v1, "CREATE TABLE parts (message INTEGER NOT NULL, part INTEGER NOT NULL, pdu TEXT NOT NULL,"
                " PRIMARY KEY (message, part))",
            "INSERT INTO messages VALUES (1, 'in', '+4670', '+4670', NULL, 0, '', 'old words', 'read', 'SM',"
            " NULL, 1, NULL, x'01')",
            "PRAGMA application_id=1297241675", "PRAGMA user_version=1"} << QByteArray() << QString();
        QTest::newRow("newer") << QStringList{v1, "PRAGMA application_id=1297241675", "PRAGMA user_version=3"}
                               << QByteArray() << "comes from a newer Mirvak";
        QTest::newRow("another program's") << QStringList{"CREATE TABLE notes (x)"} << QByteArray()
                                           << "another program's database";
        QTest::newRow("not a database") << QStringList() << QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n").repeated(200)
                                        << "not a message archive or is damaged";
    }

    void filesOfOtherVersionsAndKinds()
    {
        QFETCH(QStringList, sql);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        Scratch dir;
        const QString path = dir.filePath(QStringLiteral("messages.sqlite"));
        if (!sql.isEmpty()) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const QString &s : sql)
                QVERIFY2(q.exec(s), qPrintable(s));
            q = QSqlQuery();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("maker"));
        } else {
            QVERIFY(dir.write(QStringLiteral("messages.sqlite"), bytes));
        }
        const QByteArray before = Scratch::readFile(path);
        MessageArchive archive(path);
        if (error.isEmpty()) {
            QVERIFY2(archive.isOpen(), qPrintable(archive.error()));
            QCOMPARE(archive.search(QStringLiteral("words")).size(), 1);
            QCOMPARE(added(archive, read(InboxAt::Store::Sim, {Hello})), 1);
            return;
        }
        QVERIFY(!archive.isOpen());
        QVERIFY2(archive.error().contains(error) && archive.error().contains(path), qPrintable(archive.error()));
        QCOMPARE(added(archive, read(InboxAt::Store::Sim, {Hello})), -1);
        QCOMPARE(Scratch::readFile(path), before);
    }

    // Another program (cron's `sms fetch`) holds the file while the window
    // stores: the window waits its turn and nothing is lost.
    void secondWriterWaits()
    {
        Scratch dir;
        const QString path = dir.filePath(QStringLiteral("messages.sqlite"));
        MessageArchive archive(path);
        QVERIFY2(archive.isOpen(), qPrintable(archive.error()));
        QProcess other;
        other.start(QStringLiteral("python3"),
                    {"-c", "import sqlite3, sys, time\n"
                           "c = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
                           "c.execute('BEGIN IMMEDIATE')\n"
                           "c.execute(\"UPDATE messages SET status = 'x'\")\n"
                           "print('locked', flush=True)\n"
                           "time.sleep(0.5)\n"
                           "c.execute('COMMIT')\n",
                     path});
        QVERIFY(other.waitForReadyRead(60000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("locked"));
        QCOMPARE(added(archive, read(InboxAt::Store::Sim, {Hello, Uk})), 2);
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(MessageArchive(path).count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_store_archive.moc"
