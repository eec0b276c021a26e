// SPDX-License-Identifier: GPL-2.0-or-later
// "mirvak-cli backup" and "restore" as a script runs them: a phone backed
// up and restored onto an emptied one, the dry run, and a damaged file.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "Scratch.h"
#include "SimPhone.h"
#include "core/backup/BackupFile.h"

namespace {
struct Ran {
    int code = -1;
    QString out;
    QString err;
};

// What every section holds on the phone the tests start from.
QJsonObject filledPhone()
{
    QJsonArray sim;
    for (int k = 1; k <= 250; k += 3)
        sim.append(QJsonObject{{"index", k}, {"number", QStringLiteral("07%1").arg(k)}, {"name", QStringLiteral("N%1").arg(k)}});
    return {{"sim", QJsonObject{{"size", 250}, {"entries", sim}}},
            {"ownMelodies", QJsonObject{{"2", "cdefg"}}},
            {"personalRings", QJsonArray{QJsonObject{{"index", 1}, {"number", "4670111"}, {"type", 145}, {"ring", 5}}}},
            {"forwarding", QJsonArray{QJsonObject{{"reason", 3}, {"class", 4}, {"number", "0812345"}, {"type", 129}}}},
            {"keyLock", true},
            {"language", "de"},
            {"timeFormat", 1}};
}

// The same phone with nothing of it left.
QJsonObject emptiedPhone()
{
    return {{"sim", QJsonObject{{"size", 250}, {"entries", QJsonArray()}}},
            {"phonebook", QJsonObject{{"size", 20}, {"entries", QJsonArray()}}}};
}

QJsonObject sectionsOf(const QString &path, const QStringList &without)
{
    QString error;
    const auto opened = Backup::open(path, &error);
    if (!opened)
        return {{"error", error}};
    QJsonObject sections = opened->document.sections;
    for (const QString &s : without)
        sections.remove(s);
    return sections;
}
} // namespace

class TestCliBackup : public QObject {
    Q_OBJECT
    Scratch m_dir;

    Ran run(const SimPhone &phone, const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(QStringLiteral(MIRVAK_CLI), QStringList{"--port", phone.device()} + args);
        if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    // Backed up, restored onto an emptied phone of the same kind: every
    // phonebook entry, melody, personal ring, setting and forwarding back.
    void ontoAnEmptiedPhone()
    {
        SimPhone source({}, filledPhone());
        QVERIFY(source.start());
        const QString file = m_dir.filePath("phone.json");
        const Ran saved = run(source, {"backup", "-o", file});
        QVERIFY2(saved.code == 0, qPrintable(saved.err));
        QCOMPARE(saved.out.trimmed(), file);

        SimPhone target({}, emptiedPhone());
        QVERIFY(target.start());
        // The dry run says what would be written and writes nothing.
        const Ran dry = run(target, {"restore", file, "--dry-run", "--only", "sim,melodies"});
        QVERIFY2(dry.code == 0, qPrintable(dry.err));
        QVERIFY2(dry.out.contains("sim added 250: (empty) -> 07250 N250\n"), qPrintable(dry.out));
        QVERIFY(dry.out.contains("melodies added melody 2: (empty) -> cdefg\n"));
        QCOMPARE(target.commands().filter(QRegularExpression("^AT(\\+CPBW|\\*ESOM=\\d|\\*EPRW=\\d)")), QStringList());

        const Ran restored = run(target, {"restore", file});
        QVERIFY2(restored.code == 0, qPrintable(restored.err + restored.out));
        QVERIFY2(restored.out.contains("sim: 84 written, 0 unchanged, 0 skipped, 0 failed\n"), qPrintable(restored.out));
        const QString again = m_dir.filePath("again.json");
        QCOMPARE(run(target, {"backup", "-o", again}).code, 0);
        // The phone section names the time; the messages are not restored.
        QCOMPARE(sectionsOf(again, {"phone", "messages"}), sectionsOf(file, {"phone", "messages"}));
    }

    // A file changed after it was written restores nothing without
    // --force; a file that is no backup sends nothing at all.
    void damagedFiles()
    {
        SimPhone phone({}, filledPhone());
        QVERIFY(phone.start());
        const QString file = m_dir.filePath("small.json");
        QCOMPARE(run(phone, {"backup", "-o", file, "--only", "sim"}).code, 0);
        QByteArray bytes = Scratch::readFile(file);
        bytes.replace("N100", "X100");
        QVERIFY(m_dir.write("changed.json", bytes));
        QVERIFY(m_dir.write("cut.json", bytes.left(bytes.size() - 40)));
        const int sent = phone.commands().size();

        const Ran changed = run(phone, {"restore", m_dir.filePath("changed.json")});
        QCOMPARE(changed.code, 2);
        QVERIFY2(changed.err.contains("Sections that still read: sim."), qPrintable(changed.err));
        const Ran cut = run(phone, {"restore", m_dir.filePath("cut.json")});
        QCOMPARE(cut.code, 2);
        QVERIFY2(cut.err.contains("ends too early"), qPrintable(cut.err));
        QCOMPARE(run(phone, {"restore", file, "--only", "contacts"}).code, 2);
        QCOMPARE(phone.commands().size(), sent);

        // Confirmed: the changed entry is written, the rest stays.
        const Ran forced = run(phone, {"restore", m_dir.filePath("changed.json"), "--force"});
        QVERIFY2(forced.code == 0, qPrintable(forced.err));
        QVERIFY2(forced.out.contains("sim: 1 written, 83 unchanged, 0 skipped, 0 failed"), qPrintable(forced.out + forced.err));
        QCOMPARE(phone.commands().filter("AT+CPBW="), QStringList{"AT+CPBW=100,\"07100\",129,\"X100\""});
    }
};

QTEST_GUILESS_MAIN(TestCliBackup)
#include "tst_cli_backup.moc"
