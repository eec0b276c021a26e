// SPDX-License-Identifier: GPL-2.0-or-later
// The whole phone backed up and restored on the simulated phone: the round
// trip, a smaller phone of the family, and a fault in every section.
#include "LinkTestSupport.h"

#include "core/backup/BackupFile.h"
#include "link/backup/BackupService.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace linktest;
using namespace Backup;

namespace {

// A backup is hundreds of exchanges: time-outs at a tenth (150 ms for a
// reply) let one slow answer on a loaded machine pass for a fault.
constexpr double BackupTimeScale = 0.3;
// A phone with something in every section: 250 SIM locations and 100 of
// the phone's memory, every seventh and fifth filled.
QJsonObject fullPhone(int simSize = 250, int nameLength = 255)
{
    QJsonArray sim, memory;
    for (int k = 1; k <= simSize; k += 7)
        sim.append(QJsonObject{{"index", k}, {"number", QStringLiteral("+4670%1").arg(k, 7, 10, QChar('0'))},
                               {"name", QStringLiteral("Sim name %1").arg(k)}});
    for (int k = 2; k <= 100; k += 5)
        memory.append(QJsonObject{{"index", k}, {"number", QStringLiteral("08%1").arg(k)}, {"name", QStringLiteral("M%1").arg(k)}});
    // A name beyond ASCII: its bytes in the file, its text checked by the schema's reader.
    memory.append(QJsonObject{{"index", 1}, {"number", "+468123"}, {"name", QStringLiteral("\u00C5sa \u00D6berg")}});
    return {{"sim", QJsonObject{{"size", simSize}, {"nameLength", nameLength}, {"entries", sim}}},
            {"phonebook", QJsonObject{{"size", 100}, {"entries", memory}}},
            {"ownMelodies", QJsonObject{{"1", "cdef"}, {"3", "+#GA"}}},
            {"personalRings", QJsonArray{QJsonObject{{"index", 2}, {"number", "46701234567"}, {"type", 145}, {"ring", 12}}}},
            {"forwarding", QJsonArray{QJsonObject{{"reason", 1}, {"class", 1}, {"number", "46709998877"}, {"type", 145}}}},
            {"callWaiting", true},
            {"alarm", "07:30"}};
}

// Every written file as other programs read it: the schema and the checksum.
void validate(const QString &path)
{
    QProcess check;
    check.start(QStringLiteral(MIRVAK_DEBIAN_PYTHON3),
                {QStringLiteral(MIRVAK_SOURCE_DIR "/tests/link/check_backup.py"),
                 QStringLiteral(MIRVAK_SOURCE_DIR "/docs/backup.schema.json"), path});
    QVERIFY(check.waitForFinished(-1));
    QVERIFY2(check.exitCode() == 0, check.readAllStandardError().constData());
}

// The file apart from its time, and apart from the status of the messages:
// listing them is reading them, which the phone notes on each unread one.
QJsonObject withoutTime(Document d)
{
    QJsonObject phone = d.section(Section::Phone);
    phone.remove(QStringLiteral("time"));
    d.set(Section::Phone, phone);
    QJsonObject messages = d.section(Section::Messages);
    QJsonArray list;
    for (const QJsonValue &m : messages.value("messages").toArray()) {
        QJsonObject o = m.toObject();
        o.remove(QStringLiteral("status"));
        list.append(o);
    }
    messages.insert(QStringLiteral("messages"), list);
    d.set(Section::Messages, messages);
    return d.sections;
}

// The commands that change the phone.
const QRegularExpression Writes(QStringLiteral(
    "^AT(\\+CPBW=|\\*ESOM=\\d|\\*EPRW=\\d|\\+CCFC=\\d,[01]|\\+CCWA=1,[01]|\\+CSCA=|\\+CALA=|"
    "\\*ES(MM|KL|IL|AM|KS|MA|VM|BL|TF|DF)=|\\*EAPS=|\\*ERIL=\\d|\\+CVIB=|\\*ELAN=\"|\\*ETXT=)"));
QStringList writesIn(const QStringList &commands)
{
    return commands.filter(Writes);
}
} // namespace

class TestBackup : public QObject {
    Q_OBJECT
    TraceFile m_trace;

    BackupService::Outcome backUp(PhoneLink &link, const QString &path, const QList<Section> &sections = allSections())
    {
        BackupService service(link);
        BackupService::Options options;
        options.sections = sections;
        options.path = path;
        options.bookFile = m_trace.filePath(QStringLiteral("QXsms.phb"));
        options.version = QStringLiteral("test");
        return service.backup(options);
    }

    BackupService::RestoreOutcome restore(PhoneLink &link, const Document &document, bool replace,
                                          const QList<Section> &sections = allSections())
    {
        BackupService service(link);
        BackupService::RestoreOptions options;
        options.sections = sections;
        if (replace)
            for (Section s : sections)
                options.replace.insert(s);
        options.bookFile = m_trace.filePath(QStringLiteral("QXsms.phb"));
        return service.restore(document, options);
    }

private slots:
    void init() { m_trace.reset(); }

    // Back up, change and clear things, restore, back up again: the files
    // are equal apart from the time. Without Replace nothing is cleared;
    // a restore of what the phone holds sends only reads.
    void roundTrip()
    {
        SimulatedPhone phone({}, fullPhone());
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        const QString first = m_trace.filePath(QStringLiteral("first.json"));
        const BackupService::Outcome before = backUp(phone.link, first);
        QVERIFY2(before.ok(), qPrintable(before.failed.join('\n')));
        validate(first);
        QCOMPARE(before.document.section(Section::Sim).value("entries").toArray().size(), 36);
        QVERIFY(!phone.link.connected());

        // Changed, cleared and added on the phone.
        phone.link.runGuarded([&] {
            for (const char *command :
                 {"AT+CPBS=\"SM\"\r\n", "AT+CPBW=8,\"111\",129,\"Changed\"\r\n", "AT+CPBW=15\r\n",
                  "AT+CPBW=2,\"222\",129,\"New\"\r\n", "AT*ESOM=1,\"gggg\"\r\n", "AT*ESOM=2,\"ab\"\r\n",
                  "AT*EPRW=2,\"\",129,1\r\n", "AT+CCFC=1,0,,,1\r\n", "AT+CCWA=1,0\r\n", "AT*ESMM=1\r\n",
                  "AT+CALA=\"08:00\"\r\n", "AT*EAPS=2\r\n", "AT+CSCA=\"+4612345\",145\r\n"})
                QVERIFY2(phone.link.exchange(command).ok(), command);
            phone.link.closePort();
        });

        const int sent = phone.sim.commands().size();
        const BackupService::RestoreOutcome kept = restore(phone.link, before.document, false);
        QVERIFY(kept.started);
        const QStringList written = writesIn(phone.sim.commands().mid(sent));
        // Location 2 and melody slot 2 are not in the backup: left alone.
        QVERIFY2(!written.contains("AT+CPBW=2,\"\",129,\"\"") && written.filter("AT+CPBW=2,").isEmpty(),
                 qPrintable(written.join('\n')));
        QVERIFY(written.filter("AT*ESOM=2").isEmpty());
        QVERIFY2(written.contains("AT+CPBW=15,\"46700000015\",145,\"Sim name 15\""), qPrintable(written.join('\n')));
        for (const BackupService::StepResult &step : kept.steps)
            QVERIFY2(step.error.isEmpty() && !step.failed, qPrintable(step.summary() + step.problems.join('\n')));

        const BackupService::RestoreOutcome replaced = restore(phone.link, before.document, true);
        QVERIFY(replaced.ok());
        const QString second = m_trace.filePath(QStringLiteral("second.json"));
        const BackupService::Outcome after = backUp(phone.link, second);
        QVERIFY(after.ok());
        validate(second);
        QCOMPARE(withoutTime(after.document), withoutTime(before.document));

        // Nothing differs now: only reads go out.
        const int again = phone.sim.commands().size();
        QVERIFY(restore(phone.link, after.document, true).ok());
        QCOMPARE(writesIn(phone.sim.commands().mid(again)), QStringList());
        QVERIFY(!phone.link.connected());
    }

    // Onto a phone of the family with a shorter SIM book and shorter names:
    // what does not fit is named and skipped, the rest written.
    void smallerPhone()
    {
        SimulatedPhone source({}, fullPhone());
        source.link.setTiming(Timing().scaled(0.2));
        QVERIFY(source.start());
        const BackupService::Outcome saved = backUp(source.link, {}, {Section::Sim});
        QVERIFY(saved.ok());

        QJsonObject empty = fullPhone();
        empty.insert("sim", QJsonObject{{"size", 30}, {"nameLength", 10}, {"entries", QJsonArray()}});
        SimulatedPhone target({}, empty);
        target.link.setTiming(Timing().scaled(0.2));
        QVERIFY(target.start());
        const BackupService::RestoreOutcome out = restore(target.link, saved.document, false, {Section::Sim});
        QCOMPARE(out.steps.size(), 1);
        const BackupService::StepResult &sim = out.steps.first();
        // Locations 1, 8, 15, 22, 29 fit the book; the names of 15, 22, 29 are 11 long.
        QVERIFY2(sim.written == 2, qPrintable(sim.summary() + sim.problems.join('\n')));
        QCOMPARE(sim.skipped, 34);
        QVERIFY(sim.problems.filter("the phone's book ends at location 30").size() == 31);
        QVERIFY(sim.problems.filter("the name has 11 characters; the phone takes 10").size() == 3);
        QCOMPARE(writesIn(target.sim.commands()).size(), 2);
        QVERIFY(!out.ok());
    }

    // A restore onto a phone that refuses a value or falls silent: the
    // value is named and skipped (or the step ends), the steps after go on,
    // the port ends closed.
    void faultInARestore_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QJsonObject>("state");  // the target's, beyond an empty SIM book
        QTest::addColumn<QJsonObject>("values"); // settings the backup holds otherwise
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("problem");

        const QJsonObject minuteMinder{{"minuteMinder", "1"}};
        QTest::newRow("a location refused") << QStringList{"--fault", "error:AT+CPBW=8,"} << QJsonObject()
                                            << minuteMinder << "sim" << "8: the phone refused it (ERROR)";
        QTest::newRow("a ring code it lacks") << QStringList() << QJsonObject{{"ringCodes", "1-5"}} << minuteMinder
                                              << "personal rings" << "personal ring 2: the phone refused it (ERROR)";
        QTest::newRow("silence in the settings") << QStringList{"--fault", "mute:AT*ESMM="} << QJsonObject()
                                                 << minuteMinder << "settings"
                                                 << "minuteMinder: the phone did not answer";
        // Refused in AT mode and too short for a binary frame: this value
        // alone is skipped, the restore is not aborted.
        QTest::newRow("a centre no mode takes") << QStringList() << QJsonObject{{"cscaSetFail", true}}
                                                << QJsonObject{{"centre", "7"}} << "settings"
                                                << "centre: the phone refused \"7\", and it is too short for its binary mode";
    }

    void faultInARestore()
    {
        QFETCH(QStringList, args);
        QFETCH(QJsonObject, state);
        QFETCH(QJsonObject, values);
        QFETCH(QString, step);
        QFETCH(QString, problem);

        SimulatedPhone source({}, fullPhone(20));
        source.link.setTiming(Timing().scaled(BackupTimeScale));
        QVERIFY(source.start());
        BackupService::Outcome saved = backUp(source.link, {}, {Section::Sim, Section::Melodies, Section::Settings});
        QVERIFY(saved.ok());
        // The backup's values differ from the target's, and so do location 8 and ring 2.
        QJsonObject settings = saved.document.section(Section::Settings);
        QJsonObject held = settings.value("values").toObject();
        for (auto it = values.begin(); it != values.end(); ++it)
            held.insert(it.key(), it.value());
        settings.insert("values", held);
        saved.document.set(Section::Settings, settings);

        QJsonObject empty = state;
        empty.insert("sim", QJsonObject{{"size", 20}, {"entries", QJsonArray()}});
        SimulatedPhone target(args, empty);
        target.link.setTiming(Timing().scaled(BackupTimeScale));
        QVERIFY(target.start());
        const BackupService::RestoreOutcome out = restore(target.link, saved.document, false,
                                                          {Section::Sim, Section::Melodies, Section::Settings});
        QVERIFY(!out.ok());
        QVERIFY(!target.link.connected());
        QStringList said;
        for (const BackupService::StepResult &s : out.steps) {
            said << s.summary() + " " + s.problems.join("; ");
            if (stepName(s.step) == step)
                QVERIFY2(s.problems.contains(problem) || s.error == problem, qPrintable(said.join('\n')));
            else if (s.step == Step::Sim || s.step == Step::CallServices)
                QVERIFY2(s.error.isEmpty() && s.written + s.unchanged > 0, qPrintable(said.join('\n')));
        }
        QCOMPARE(out.steps.size(), 5); // settings, melodies, personal rings, sim, call services
    }

    // The book in ranges where the phone takes them: a range it refuses or
    // leaves unanswered is asked again in shorter ones, nothing lost.
    void rangesThePhoneRefuses_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("asked"); // the locations of every AT+CPBR= read

        const QString tens = "1,10 11,20 21,30 31,40";
        QTest::newRow("taken") << QString() << "1,25 26,40";
        QTest::newRow("a range refused") << "error:AT+CPBR=1,25" << "1,25 " + tens;
        QTest::newRow("a range unanswered") << "mute:AT+CPBR=1,25" << "1,25 " + tens;
    }

    void rangesThePhoneRefuses()
    {
        QFETCH(QString, fault);
        QFETCH(QString, asked);
        SimulatedPhone phone(fault.isEmpty() ? QStringList() : QStringList{"--fault", fault}, fullPhone(40));
        phone.link.setTiming(Timing().scaled(BackupTimeScale));
        QVERIFY(phone.start());
        const BackupService::Outcome out = backUp(phone.link, {}, {Section::Sim});
        QVERIFY2(out.ok(), qPrintable(out.failed.join('\n')));
        QStringList reads = phone.sim.commands().filter(QRegularExpression("^AT\\+CPBR=\\d"));
        reads.replaceInStrings("AT+CPBR=", QString());
        QCOMPARE(reads.join(' '), asked);
        QCOMPARE(out.document.section(Section::Sim).value("entries").toArray().size(), 6);
    }

    // A fault in one section: the sections before it are in the file, the
    // failed one says why, the others go on (unless the port is gone or
    // the user aborted), the port ends closed.
    void faultInASection_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("abortAt");
        QTest::addColumn<QString>("failed");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("absent");

        // Silent from location 26 on: for the range, the shorter range and the location alike.
        QTest::newRow("silence in the SIM book") << QStringList{"--fault", "mute:AT+CPBR=26"} << QString() << "sim"
                                                 << "location 26: the phone did not answer" << QStringList();
        QTest::newRow("ERROR for the phone book") << QStringList{"--fault", "error:AT+CPBS=\"ME"} << QString()
                                                  << "phone_book" << "the phone refused the book" << QStringList();
        QTest::newRow("ERROR for the messages") << QStringList{"--fault", "error:AT+CMGF"} << QString() << "messages"
                                                << "" << QStringList();
        QTest::newRow("+CME ERROR for the melodies") << QStringList{"--fault", "cme:AT*ESOM?:100"} << QString()
                                                     << "melodies" << "own melodies" << QStringList();
        QTest::newRow("device vanishes in the settings")
            << QStringList{"--fault", "cut:AT+CCFC=0,2,,,1"} << QString() << "settings" << ""
            << QStringList();
        QTest::newRow("abort in the melodies") << QStringList() << "melodies" << "melodies" << "aborted"
                                               << QStringList{"settings", "books"};
    }

    void faultInASection()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, abortAt);
        QFETCH(QString, failed);
        QFETCH(QString, reason);
        QFETCH(QStringList, absent);

        SimulatedPhone phone(args, fullPhone(40));
        phone.link.setTiming(Timing().scaled(BackupTimeScale));
        QVERIFY(phone.start());
        const QString path = m_trace.filePath(QStringLiteral("backup.json"));
        BackupService service(phone.link);
        connect(&service, &BackupService::progress, this, [&](const QString &section) {
            if (section == abortAt)
                phone.link.requestAbort();
        });
        BackupService::Options options;
        options.path = path;
        options.bookFile = m_trace.filePath(QStringLiteral("QXsms.phb"));
        const BackupService::Outcome out = service.backup(options);
        QVERIFY(!phone.link.connected());
        QVERIFY(!out.ok());
        QVERIFY2(out.failed.size() >= 1 && out.failed.first().startsWith(failed + ": "), qPrintable(out.failed.join('\n')));
        QVERIFY2(out.failed.first().contains(reason), qPrintable(out.failed.first()));

        // The file on disk holds every section before the failed one, whole.
        QString error;
        const std::optional<Opened> opened = Backup::open(path, &error);
        QVERIFY2(opened, qPrintable(error));
        QVERIFY(opened->checksumOk);
        validate(path);
        const Section failing = *sectionNamed(failed);
        for (Section s : allSections()) {
            if (absent.contains(key(s))) {
                QVERIFY(!opened->document.has(s));
                continue;
            }
            QVERIFY2(opened->document.has(s), qPrintable(key(s)));
            if (allSections().indexOf(s) < allSections().indexOf(failing))
                QVERIFY2(sectionOk(opened->document.section(s)), qPrintable(key(s)));
        }
        QVERIFY(!sectionOk(opened->document.section(failing)));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
