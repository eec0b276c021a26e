// SPDX-License-Identifier: GPL-2.0-or-later
// mirvak-cli run as a script runs it, against the simulated phone on a
// pseudo-terminal: results on standard output, words on standard error,
// and the exit status a script goes by.
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <array>
#include <memory>
#include <csignal>

#include "PtyPeer.h"
#include "Scratch.h"
#include "SimPhone.h"
#include "core/messaging/BookFile.h"

namespace {

struct Result {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// No COM name left over from an earlier case.
void clearComNames()
{
    for (int n = 1; n <= 16; ++n)
        qunsetenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData());
}

class Cli {
public:
    explicit Cli(const QString &folder) { m_process.setWorkingDirectory(folder); }

    void start(const QStringList &args, const QByteArray &input = {})
    {
        m_process.start(QStringLiteral(MIRVAK_CLI), args);
        QVERIFY(m_process.waitForStarted());
        if (!input.isEmpty())
            m_process.write(input);
        m_process.closeWriteChannel();
    }
    Result finish()
    {
        QSignalSpy done(&m_process, &QProcess::finished);
        if (m_process.state() != QProcess::NotRunning && !done.wait(180000))
            m_process.kill();
        return {m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1,
                m_process.readAllStandardOutput(), m_process.readAllStandardError()};
    }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

// A short Python program run on `file` by Debian's interpreter; its
// standard output, or nothing (the reason logged) when it failed.
QByteArray python(const QString &program, const QString &file)
{
    QProcess p;
    p.start(QStringLiteral(MIRVAK_PYTHON3), {QStringLiteral("-c"), program, file});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("python: %s", p.readAllStandardError().constData());
        return {};
    }
    return p.readAllStandardOutput();
}

const QByteArray Book = "001:Anna\r\n+46701234567\r\n002:\r\n\r\n003:Bob\r\n0701112233\r\n004:\r\n\r\n";

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    Scratch m_dir;
    std::unique_ptr<SimPhone> m_quietPhone;

    Result run(const QStringList &args, const QByteArray &input = {})
    {
        Cli cli(m_dir.path());
        cli.start(args, input);
        return cli.finish();
    }

private slots:
    void init() { clearComNames(); }
    void cleanupTestCase() { m_quietPhone.reset(); }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("no command") << QStringList{} << "no command given";
        QTest::newRow("unknown command") << QStringList{"fax", "send"} << "unknown command \"fax send\"";
        QTest::newRow("no memory") << QStringList{"phonebook", "read"} << "needs --memory SM or --memory ME";
        QTest::newRow("bad memory") << QStringList{"phonebook", "read", "--memory", "XX"} << "needs --memory";
        QTest::newRow("bad format") << QStringList{"phonebook", "read", "--memory", "SM", "--format", "doc"}
                                    << "unknown format \"doc\"";
        QTest::newRow("foreign option") << QStringList{"phonebook", "read", "--memory", "SM", "--binary"}
                                        << "phonebook read takes no --binary";
        QTest::newRow("unknown option") << QStringList{"info", "--colour"} << "Unknown option 'colour'";
        QTest::newRow("bad port") << QStringList{"--port", "COM17", "info"} << "--port takes COM1..COM16";
        QTest::newRow("missing argument") << QStringList{"melody", "store", "1"} << "usage: mirvak-cli melody store";
        QTest::newRow("slot") << QStringList{"melody", "store", "5", "c"} << "the slot is 1 to 4";
        QTest::newRow("empty message") << QStringList{"sms", "send", "0701112233", ""} << "the message is empty";
        QTest::newRow("long message") << QStringList{"sms", "send", "0701112233", QString(919, QLatin1Char('x'))}
                                      << "the message has 919 characters and would take 7 SMS; at most 6 are sent";
        QTest::newRow("long message, dry run")
            << QStringList{"sms", "send", "0701112233", QStringLiteral("Ж").repeated(403), "--dry-run"} << "7 SMS";
        QTest::newRow("bad number") << QStringList{"sms", "send", "12", "hello"} << "\"12\" is no number";
        QTest::newRow("unknown extension") << QStringList{"phonebook", "write", "book.txt", "--memory", "SM"}
                                           << "cannot tell the format of book.txt";
        QTest::newRow("unreadable file") << QStringList{"phonebook", "write", "absent.pbk", "--memory", "SM"}
                                         << "cannot read absent.pbk";
        QTest::newRow("not a vCard") << QStringList{"phonebook", "write", "notes.vcf", "--memory", "SM"}
                                     << "notes.vcf is no phonebook";
        QTest::newRow("list memory") << QStringList{"sms", "list", "--memory", "XX"} << "SM, ME or both";
        QTest::newRow("list format") << QStringList{"sms", "list", "--format", "pbk"} << "unknown format \"pbk\"";
        // Checked before the phone is asked: a read marks messages read.
        QTest::newRow("output folder missing") << QStringList{"sms", "list", "-o", "missing/list.csv"}
                                               << "cannot write missing/list.csv";
        QTest::newRow("group alone") << QStringList{"sms"} << "sms needs one of:\n  sms send     Send a text message\n";
        QTest::newRow("get memory") << QStringList{"sms", "get", "4"} << "sms get needs --memory SM or --memory ME";
        QTest::newRow("delete memory") << QStringList{"sms", "delete", "--memory", "both", "1"}
                                       << "needs --memory SM or --memory ME";
        QTest::newRow("delete nothing") << QStringList{"sms", "delete", "--memory", "SM"}
                                        << "usage: mirvak-cli sms delete";
        // One bad location costs none of the others: nothing is sent.
        QTest::newRow("delete location") << QStringList{"sms", "delete", "--memory", "SM", "4", "7x"}
                                         << "a location is a number from 1 to 1000, not \"7x\"";
    }
    // Wrong usage is told before any port is touched: the phone sees nothing.
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        // One phone for every row: none of them may reach it.
        if (!m_quietPhone) {
            m_quietPhone = std::make_unique<SimPhone>();
            QVERIFY(m_quietPhone->start());
        }
        SimPhone &sim = *m_quietPhone;
        sim.useAsCom(1);
        QVERIFY(m_dir.write("notes.vcf", "Call Anna on Monday\n"));
        const Result r = run(args);
        QVERIFY2(r.code == 2, r.err.constData());
        QVERIFY2(QString::fromLocal8Bit(r.err).contains(said), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QVERIFY(sim.commands().isEmpty());
    }

    void helpAndVersion()
    {
        const Result help = run({"--help"});
        QCOMPARE(help.code, 0);
        for (const char *word : {"phonebook write FILE --memory SM|ME", "sms send NUMBER [TEXT|-] [--binary]",
                                 "--port", "--trace", "--dry-run", "--clear-others", "3 the port could not be used",
                                 "sms list [--memory SM|ME|both] [--format text|csv|mbox]",
                                 "sms delete --memory SM|ME LOCATION", "[--format pbk|vcf|csv]"})
            QVERIFY2(help.out.contains(word), word);
        const Result sms = run({"help", "sms"});
        QCOMPARE(sms.code, 0);
        QCOMPARE(sms.out.split('\n').size(), 7);
        QVERIFY(sms.out.contains("  sms get      Show the message stored at one location\n"));
        QVERIFY(run({"help"}).out.contains("  melody store     Store a tune"));
        QVERIFY(run({"help", "sms", "get"}).out.startsWith("usage: mirvak-cli sms get --memory SM|ME LOCATION"));
        const Result version = run({"--version"});
        QCOMPARE(version.code, 0);
        QVERIFY(version.out.startsWith("mirvak-cli "));
    }

    // The commands a write would send, and nothing sent.
    void phonebookWriteDryRun()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QVERIFY(m_dir.write("book.pbk", Book));

        Result r = run({"phonebook", "write", "book.pbk", "--memory", "SM", "--dry-run"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, QByteArray("AT+CPBS=\"SM\"\n"
                                   "AT+CPBW=1,\"46701234567\",145,\"Anna\"\n"
                                   "AT+CPBW=3,\"0701112233\",129,\"Bob\"\n"));

        // Clearing the others lists the empty locations too, and says that
        // the rest of the book follows.
        r = run({"phonebook", "write", "book.pbk", "--memory", "ME", "--dry-run", "--clear-others"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, QByteArray("AT+CPBS=\"ME\"\n"
                                   "AT+CPBW=1,\"46701234567\",145,\"Anna\"\n"
                                   "AT+CPBW=2,\"\",129,\"\"\n"
                                   "AT+CPBW=3,\"0701112233\",129,\"Bob\"\n"));
        // A saved book ends with the empty record past its last entry.
        QVERIFY(r.err.contains("every location after 3"));
        QVERIFY(sim.commands().isEmpty());
    }

    // An address book's file fitted to the phone as the page's load fits
    // it: one entry per number, the kept location honoured, names cut or
    // spelled out, and the report on standard error.
    void phonebookWriteVCardDryRun()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QVERIFY(m_dir.write("contacts.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\u0141ukasz Nowak\r\n"
                                            "TEL;TYPE=CELL:+48 600-100-200\r\nTEL;TYPE=HOME:022 334455\r\n"
                                            "END:VCARD\r\n"
                                            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No Number\r\nEND:VCARD\r\n"
                                            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nTEL:0701112233\r\n"
                                            "X-MIRVAK-LOCATION:5\r\nEND:VCARD\r\n"));
        const Result r = run({"phonebook", "write", "contacts.vcf", "--memory", "ME", "--dry-run"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, QByteArray("AT+CPBS=\"ME\"\n"
                                   "AT+CPBW=1,\"48600100200\",145,\"Lukasz Nowak/M\"\n"
                                   "AT+CPBW=2,\"022334455\",129,\"Lukasz Nowak/H\"\n"
                                   "AT+CPBW=5,\"0701112233\",129,\"Bob\"\n"));
        for (const char *said : {"3 entries read from contacts.vcf.", "2 names were cut or changed",
                                 "line 7: \"No Number\" has no phone number"})
            QVERIFY2(r.err.contains(said), r.err.constData());
        QVERIFY(sim.commands().isEmpty());
    }

    // The SIM book as vCards that python3-vobject reads with every name
    // intact and every entry's location kept.
    void phonebookReadVCard()
    {
        SimPhone sim({}, QJsonObject{{"sim", QJsonObject{{"size", 5},
                                                         {"entries", QJsonArray{
                                                              QJsonObject{{"index", 1}, {"number", "+46701234567"},
                                                                          {"name", QStringLiteral("\u00C5sa M\u00FCller")}},
                                                              QJsonObject{{"index", 4}, {"number", "0701112233"},
                                                                          {"name", "Bob"}}}}}}});
        QVERIFY(sim.start());
        sim.useAsCom(1);
        const Result r = run({"phonebook", "read", "--memory", "SM", "--format", "vcf", "-o", "sim.vcf"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.out.isEmpty());
        const QByteArray cards = python(QStringLiteral(
            "import sys, vobject\n"
            "for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):\n"
            "    print('|'.join([c.fn.value, c.tel.value, c.contents['x-mirvak-location'][0].value]))\n"),
            m_dir.filePath("sim.vcf"));
        QCOMPARE(QString::fromUtf8(cards), QStringLiteral("\u00C5sa M\u00FCller|+46701234567|1\nBob|0701112233|4\n"));
    }

    // Written location by location, read back whole into a file.
    void phonebookWriteThenRead()
    {
        SimPhone sim({}, QJsonObject{{"phonebook", QJsonObject{{"size", 6}, {"entries", QJsonArray{}}}}});
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QVERIFY(m_dir.write("book.pbk", Book));

        Result r = run({"phonebook", "write", "book.pbk", "--memory", "ME"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.err.isEmpty(), r.err.constData());
        QStringList writes = sim.commands().filter("CPBW");
        QCOMPARE(writes, (QStringList{"AT+CPBW=1,\"46701234567\",145,\"Anna\"",
                                      "AT+CPBW=3,\"0701112233\",129,\"Bob\""}));

        r = run({"phonebook", "read", "--memory", "ME", "-o", "back.pbk"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.out.isEmpty());
        const QByteArray back = m_dir.read("back.pbk");
        QVERIFY2(back.startsWith("001:Anna\r\n+46701234567\r\n002:\r\n\r\n003:Bob\r\n0701112233\r\n"), back.constData());
        // The phone's SIM book is selected again at the end, as other programs expect.
        QCOMPARE(sim.commands().last(), QStringLiteral("AT+CPBS=\"SM\""));
        // A result that cannot be saved is told, and the old file stays.
        QVERIFY(QFile::setPermissions(m_dir.filePath("back.pbk"), QFile::ReadOwner));
        r = run({"phonebook", "read", "--memory", "ME", "-o", "back.pbk"});
        QVERIFY2(r.code == 2 && r.err.contains("cannot write"), r.err.constData());
        QCOMPARE(m_dir.read("back.pbk"), back);

        // Clearing the others goes up to the last location the phone states.
        const qsizetype before = sim.commands().size();
        r = run({"phonebook", "write", "book.pbk", "--memory", "ME", "--clear-others"});
        QVERIFY2(r.code == 0, r.err.constData());
        writes = sim.commands().mid(before).filter("CPBW");
        QCOMPARE(writes.size(), 6);
        QCOMPARE(writes.at(1), QStringLiteral("AT+CPBW=2,\"\",129,\"\""));
        QCOMPARE(writes.last(), QStringLiteral("AT+CPBW=6,\"\",129,\"\""));

        // A location the book does not have is refused: told, and status 1,
        // the other locations written all the same.
        QVERIFY(m_dir.write("far.pbk", "001:Cid\r\n555123\r\n009:Dee\r\n555999\r\n010:\r\n\r\n"));
        r = run({"phonebook", "write", "far.pbk", "--memory", "ME"});
        QVERIFY2(r.code == 1, r.err.constData());
        QVERIFY2(r.err.contains("phone book (ME) on COM1"), r.err.constData());
        QVERIFY2(r.err.contains("Not written, past the book's last location 6: location 9."), r.err.constData());
        QVERIFY(sim.commands().contains("AT+CPBW=1,\"555123\",129,\"Cid\""));
        QVERIFY(!sim.commands().contains("AT+CPBW=9,\"555999\",129,\"Dee\""));
    }

    // A SIM of 14-character names: the file is fitted to what AT+CPBR=?
    // states, so every entry is stored; a file with nothing the book can
    // store is status 1 and writes nothing.
    void phonebookWriteToSmallSim()
    {
        SimPhone sim({}, QJsonObject{{"sim", QJsonObject{{"size", 250}, {"numberLength", 20}, {"nameLength", 14},
                                                         {"entries", QJsonArray{}}}}});
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QVERIFY(m_dir.write("google.csv", "Name,Phone 1 - Type,Phone 1 - Value\r\n"
                                          "Bartholomew Longname,Mobile,+46 70 111 22 33\r\n"
                                          "Office,Work,BusinessPhone\r\nShort,Home,555\r\n"));
        Result r = run({"phonebook", "write", "google.csv", "--memory", "SM"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(sim.commands().filter("CPBW"), (QStringList{"AT+CPBW=1,\"46701112233\",145,\"Bartholomew Lo\"",
                                                             "AT+CPBW=2,\"555\",129,\"Short\""}));
        for (const char *said : {"2 entries read from google.csv.", "1 name was cut or changed",
                                 "line 3: \"Office\": \"BusinessPhone\" is no phone number"})
            QVERIFY2(r.err.contains(said), r.err.constData());

        QVERIFY(m_dir.write("words.vcf", "BEGIN:VCARD\r\nFN:Desk\r\nTEL:phone work\r\nEND:VCARD\r\n"));
        const qsizetype before = sim.commands().size();
        r = run({"phonebook", "write", "words.vcf", "--memory", "SM"});
        QVERIFY2(r.code == 1 && r.err.contains("holds no entry the SIM book (SM) can store"), r.err.constData());
        QVERIFY(sim.commands().mid(before).filter("CPBW").isEmpty());
    }

    void smsSend_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QJsonObject>("phone");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mode");
        const QString hello = QStringLiteral("Hello there");
        QTest::newRow("text, AT mode") << QStringList{"sms", "send", "+46701234567", hello} << QByteArray()
                                       << QJsonObject() << hello << "at";
        QTest::newRow("standard input, binary") << QStringList{"sms", "send", "+46701234567", "-", "--binary"}
                                                << QByteArray("Hello there\n") << QJsonObject() << hello << "binary";
        // Refused by the binary mode, the message goes in AT mode, and the user hears of it.
        const QString russian = QStringLiteral("Привет ").repeated(20) + QString::fromUcs4(U"\U0001F600");
        QTest::newRow("Unicode in three parts, binary refused")
            << QStringList{"sms", "send", "+46701234567", "-", "--binary"} << (russian + "\n").toUtf8()
            << QJsonObject{{"binaryHeaders", false}} << russian << "at";
    }
    void smsSend()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QJsonObject, phone);
        QFETCH(QString, text);
        QFETCH(QString, mode);
        SimPhone sim({}, phone);
        QVERIFY(sim.start());
        sim.useAsCom(1);
        const Result r = run(args, input);
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, QByteArray("SMS sent OK.\n"));
        QCOMPARE(r.err.contains("it went in AT mode"), phone.contains("binaryHeaders"));
        if (args.contains("--binary") && mode == QLatin1String("binary"))
            QVERIFY(!sim.commands().contains("AT+CMGS=?"));
        const QJsonArray outbox = sim.stopAndDump().value("outbox").toArray();
        QString received;
        for (const QJsonValue &part : outbox) {
            received += part.toObject().value("text").toString();
            QVERIFY(part.toObject().value("number").toString().endsWith("46701234567"));
            QCOMPARE(part.toObject().value("mode").toString(), mode);
        }
        QCOMPARE(received, text);
    }

    // A send the phone did not carry through ends with status 1 and the
    // words the SMS page shows for it.
    void smsSendOutcomes_data()
    {
        QTest::addColumn<QString>("binary");
        QTest::addColumn<QJsonObject>("phone");
        QTest::addColumn<QString>("said");
        QTest::newRow("failed") << "--binary" << QJsonObject{{"submitReply", "&"}} << "SMS failed";
        QTest::newRow("no verdict, binary") << "--binary" << QJsonObject{{"submitReply", "x"}} << "SMS ???";
        QTest::newRow("no verdict, AT") << "" << QJsonObject{{"cmgsFail", true}} << "SMS status unknown.";
        QTest::newRow("never went out") << "" << QJsonObject{{"cmgfFail", true}} << "Aborted";
    }
    void smsSendOutcomes()
    {
        QFETCH(QString, binary);
        QFETCH(QJsonObject, phone);
        QFETCH(QString, said);
        SimPhone sim({}, phone);
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QStringList args{"sms", "send", "+46701234567", "hello"};
        if (!binary.isEmpty())
            args << binary;
        const Result r = run(args);
        QVERIFY2(r.code == 1, r.err.constData());
        QVERIFY2(r.err.trimmed().endsWith(": " + said.toLatin1()), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }

    // Both stores listed into a mailbox that Python's mailbox module reads
    // back with the same texts, a message in two parts as one mail, the name
    // from the SMS book of the book file.
    void smsListMbox()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QByteArray image = BookFile::newImage(QByteArray(16, ' '), QByteArray(16, ' '));
        std::array<BookFile::Entry, BookFile::Entries> sms;
        sms[0] = {"+46701234567", "Anna"};
        image.replace(0, BookFile::SmsRecord * BookFile::Entries, BookFile::smsBookBytes(sms));
        QVERIFY(m_dir.write("QXsms.phb", image));

        const Result r = run({"sms", "list", "--memory", "both", "--format", "mbox", "-o", "phone.mbox"});
        QVERIFY(QFile::remove(m_dir.filePath("QXsms.phb")));
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(sim.commands(), (QStringList{"AT+CMGF=0", "AT+CPMS=?", "AT+CPMS=\"SM\"", "AT+CMGL=4",
                                              "AT+CPMS=\"ME\"", "AT+CMGL=4"}));
        const QByteArray mails = python(QStringLiteral(
            "import sys, mailbox, email.header\n"
            "for m in mailbox.mbox(sys.argv[1]):\n"
            "    subject = str(email.header.make_header(email.header.decode_header(m['Subject'])))\n"
            "    body = m.get_payload(decode=True).decode('utf-8')\n"
            "    print(repr((m['From'], m['Date'], subject, body)))\n"),
            m_dir.filePath("phone.mbox"));
        const QStringList lines = QString::fromUtf8(mails).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines.at(0).contains(QStringLiteral("('0701112233', 'Mon, 07 Dec 2026 08:03:00 +0100', "
                                                     "'Costs 5\u20AC [ok] {x} ~^|\\\\ done', "
                                                     "'Costs 5\u20AC [ok] {x} ~^|\\\\ done\\n')")),
                 qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("('\"Anna\" <+46701234567>', 'Sun, 06 Dec 2026 17:50:00 +0100', "
                                                       "'Hi Anna here! The train is late again, s', "
                                                       "'Hi Anna here! The train is late again, so I will")),
                 qPrintable(lines.at(1)));
        QVERIFY2(lines.at(1).endsWith(QStringLiteral("tickets for Saturday.\\n')")), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(2).startsWith(QStringLiteral("('Telia', ")), qPrintable(lines.at(2)));
        QVERIFY2(lines.at(3).contains(QStringLiteral("'See you at eight\\n')")), qPrintable(lines.at(3)));
    }

    // fetch keeps what the phone holds and prints only what is new; a
    // message deleted from the phone stays in the archive, and a sent one
    // joins the conversation of the number it went to.
    void smsFetchAndArchive()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        const QStringList fetch{"--archive", "kept/messages.sqlite", "sms", "fetch", "--format", "csv"};
        Result r = run(fetch);
        QVERIFY2(r.code == 0, r.err.constData());
        const int found = int(r.out.count("\r\n")) - 1; // the header line
        QVERIFY2(found > 0 && r.err.contains(QByteArray::number(found) + " new messages"), r.err.constData());
        r = run(fetch);
        QVERIFY2(r.code == 0 && r.out.isEmpty() && r.err.contains("0 new messages"), r.err.constData());

        QVERIFY(run({"sms", "delete", "--memory", "SM", "1"}).code == 0);
        QVERIFY(run({"--archive", "kept/messages.sqlite", "sms", "send", "0701112233", "Thanks, 5\u20AC it is"}).code == 0);
        QVERIFY(run(fetch).out.isEmpty());
        r = run({"--archive", "kept/messages.sqlite", "sms", "archive", "--format", "csv"});
        QCOMPARE(int(r.out.count("\r\n")) - 1, found + 1);
        r = run({"--archive", "kept/messages.sqlite", "sms", "archive", "--with", "+46701112233"});
        QVERIFY2(r.code == 0 && r.out.contains("Costs 5\u20AC") && r.out.endsWith("Thanks, 5\u20AC it is\n"),
                 r.out.constData());
        r = run({"--archive", "kept/messages.sqlite", "sms", "archive", "--search", "thank"});
        QVERIFY2(r.out.contains("Thanks") && !r.out.contains("Costs"), r.out.constData());
    }

    // Exactly the locations named are deleted; one past the store's size
    // is named with the range, and then nothing is deleted.
    void smsDelete_data()
    {
        QTest::addColumn<QStringList>("locations");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QList<int>>("left");
        QTest::newRow("deleted") << QStringList{"4", "7"} << 0 << QString() << QStringList{"AT+CMGD=4", "AT+CMGD=7"}
                                 << QList<int>{1, 2};
        QTest::newRow("out of range") << QStringList{"4", "99"} << 2
                                      << "location 99 is out of range, nothing deleted: the SIM store (SM) has "
                                         "locations 1 to 20" << QStringList{} << QList<int>{1, 2, 4, 7};
    }
    void smsDelete()
    {
        QFETCH(QStringList, locations);
        QFETCH(int, code);
        QFETCH(QString, said);
        QFETCH(QStringList, sent);
        QFETCH(QList<int>, left);
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        const Result r = run(QStringList{"sms", "delete", "--memory", "SM"} + locations);
        QVERIFY2(r.code == code, r.err.constData());
        QVERIFY2(r.err.contains(said.toUtf8()), r.err.constData());
        QCOMPARE(sim.commands(), QStringList{"AT+CPMS=\"SM\""} + sent);
        QList<int> kept;
        for (const QJsonValue &m : sim.stopAndDump()["messageStores"].toObject()["SM"].toObject()["messages"].toArray())
            kept << m.toObject()["index"].toInt();
        QCOMPARE(kept, left);
    }

    // A status report and damaged PDUs from a phone without its own store:
    // the rows say what they are, the missing store is named, --unread
    // takes the unread ones, and a second --unread list finds none.
    void smsListReportsAndDamage()
    {
        const auto message = [](int index, int status, const char *pdu) {
            return QJsonObject{{"index", index}, {"status", status}, {"pdu", pdu}};
        };
        SimPhone sim({}, QJsonObject{{"messageStores", QJsonObject{
            {"ME", QJsonObject{{"size", 0}}},
            {"SM", QJsonObject{{"size", 10}, {"messages", QJsonArray{
                message(1, 0, "07914306073011F006270B913426565711F7012081111345400120811174054043"),
                message(2, 0, "07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741"),
                message(3, 2, "07914346466554F611000B914316565811F90000AA04E8373B")}}}}}}});
        QVERIFY(sim.start());
        sim.useAsCom(1);
        Result r = run({"--port", sim.device(), "sms", "list", "--memory", "both", "--unread", "--format", "csv"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.err.contains(("the phone on " + sim.device() + " has no phone store (ME)").toUtf8()), r.err.constData());
        QCOMPARE(r.out, QByteArray("Store,Index,Status,Number,Name,Date,Text\r\n"
                                   "SIM,1,Unread,+43626575117,,2010-02-18T11:47:50+01:00,"
                                   "\"Failed, taken by the centre 2010-02-18 11:31\"\r\n"
                                   "SIM,2,Unread,+31641600986,,2002-08-26T19:37:41+00:00,How are  (damaged)\r\n"));
        r = run({"sms", "list", "--unread"});
        QVERIFY2(r.code == 0 && r.out.isEmpty(), r.err.constData());
        QVERIFY2(r.err.contains("0 messages"), r.err.constData());
    }

    // One location read and printed; one past the store's size named with the range.
    void smsGet()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        Result r = run({"sms", "get", "--memory", "SM", "4"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.out.startsWith("From: Telia\nSent: 2026-12-05 09:15:00+01:00\n"));
        QVERIFY(r.out.endsWith("\n\nWelcome to Telia! Your balance is 100 SEK.\n"));
        r = run({"sms", "get", "--memory", "SM", "30"});
        QVERIFY2(r.code == 2, r.err.constData());
        QVERIFY2(r.err.contains("location 30 is out of range: the SIM store (SM) has locations 1 to 20"), r.err.constData());
        QCOMPARE(sim.commands(), (QStringList{"AT+CMGF=0", "AT+CPMS=\"SM\"", "AT+CMGR=4", "AT+CMGF=0", "AT+CPMS=\"SM\""}));
    }

    // 3: the port cannot be used (the device is missing); 1: the phone
    // does not answer. The port saved in the book file is the default.
    void exitCodes()
    {
        QByteArray image = BookFile::newImage(QByteArray(16, ' '), QByteArray(16, ' '));
        image[BookFile::PortOffset] = 2;
        QVERIFY(m_dir.write("QXsms.phb", image));
        const QString missing = m_dir.filePath("no-such-tty");
        qputenv("MIRVAK_COM2", QFile::encodeName(missing));
        Result r = run({"info"});
        QVERIFY2(r.code == 3, r.err.constData());
        QVERIFY2(r.err.contains(("cannot use COM2: " + missing + ": no such device").toLocal8Bit()), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QVERIFY(QFile::remove(m_dir.filePath("QXsms.phb")));

        PtyPeer silent;
        QVERIFY(silent.isOpen());
        r = run({"--port", silent.device(), "info"});
        QVERIFY2(r.code == 1, r.err.constData());
        QVERIFY2(r.err.contains("did not answer"), r.err.constData());
        QVERIFY2(r.err.contains(silent.device().toLocal8Bit()), r.err.constData());
        QVERIFY2(!r.err.contains("COM1"), r.err.constData());
        QCOMPARE(silent.received, QByteArray("AT+COPS?\r\n"));
        r = run({"--port", missing, "info"});
        QVERIFY2(r.code == 3 && r.err.contains(("cannot use " + missing + ": no such device").toLocal8Bit()),
                 r.err.constData());

        r = run({"--port", silent.device(), "sms", "send", "0701112233", "hi"});
        QVERIFY2(r.code == 1, r.err.constData());
        QVERIFY2(r.err.contains("Phone not found"), r.err.constData());
    }

    // Ctrl-C in the middle of a read: the exchange ends like Abort, the
    // phone gets its SIM book back, the port is closed and no file is left.
    void interruptLeavesNoFile()
    {
        SimPhone sim({"--pace", "960"});
        QVERIFY(sim.start());
        sim.useAsCom(1);
        const QString trace = m_dir.filePath("cli.trace");
        Cli cli(m_dir.path());
        cli.start({"--trace", trace, "phonebook", "read", "--memory", "SM", "-o", "partial.pbk"});
        QVERIFY(sim.waitFor([&] { return sim.commands().filter("AT+CPBR=").size() >= 3; }));
        ::kill(pid_t(cli.process().processId()), SIGINT);
        const Result r = cli.finish();
        QVERIFY2(r.code == 1, r.err.constData());
        QVERIFY2(r.err.contains("interrupted"), r.err.constData());
        QVERIFY(!QFile::exists(m_dir.filePath("partial.pbk")));
        QCOMPARE(QDir(m_dir.path()).entryList({"partial*"}, QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(sim.commands().last(), QStringLiteral("AT+CPBS=\"SM\""));
        QVERIFY(Scratch::readFile(trace).trimmed().endsWith("close"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
