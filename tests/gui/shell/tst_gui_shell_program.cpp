// SPDX-License-Identifier: GPL-2.0-or-later
// The built program: its options without a display, and --demo with the
// simulated phone started, used and stopped again.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "HeldTerminal.h"
#include "Scratch.h"

namespace {

QProcessEnvironment headless()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("MIRVAK_COM1"));
    return env;
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runToEnd(const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MIRVAK_BIN), args);
    Run r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// Reads stderr until `pattern` matches; the match, or an empty one on time-out.
QRegularExpressionMatch waitForStderr(QProcess &p, const QRegularExpression &pattern, QString *seen)
{
    QDeadlineTimer deadline(30000);
    p.setReadChannel(QProcess::StandardError);
    for (;;) {
        *seen += QString::fromLocal8Bit(p.readAllStandardError());
        const auto m = pattern.match(*seen);
        if (m.hasMatch() || deadline.hasExpired() || p.state() == QProcess::NotRunning)
            return m;
        p.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
}

} // namespace

class TstShellProgram : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersionWithoutDisplay();
    void unknownArgumentIsRefused();
    void demoStartsAndStopsThePhone();
    void demoWithoutSimulatorRunsAnyway();
};

void TstShellProgram::helpAndVersionWithoutDisplay()
{
    const Run help = runToEnd({QStringLiteral("--help")}, headless());
    QCOMPARE(help.exitCode, 0);
    QVERIFY2(help.out.startsWith(QStringLiteral("Usage: mirvak")), qPrintable(help.out));
    QVERIFY(help.out.contains(QStringLiteral("--demo")));
    QVERIFY(help.out.contains(QStringLiteral("--version")));

    const Run version = runToEnd({QStringLiteral("--version")}, headless());
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.out.startsWith(QStringLiteral("mirvak v1.7c")), qPrintable(version.out));
    QVERIFY(version.err.isEmpty());

    // Options after others are still seen before any window is made.
    const Run late = runToEnd({QStringLiteral("--demo"), QStringLiteral("--version")}, headless());
    QCOMPARE(late.exitCode, 0);
    QVERIFY(late.out.startsWith(QStringLiteral("mirvak v1.7c")));
}

void TstShellProgram::unknownArgumentIsRefused()
{
    Scratch dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.setProcessEnvironment(offscreen());
    p.start(QStringLiteral(MIRVAK_BIN), {QStringLiteral("--frobnicate")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("unknown argument \"--frobnicate\"")), qPrintable(err));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("QXsms.phb"))));
}

void TstShellProgram::demoStartsAndStopsThePhone()
{
    if (qEnvironmentVariableIsEmpty("MIRVAK_PHONESIM"))
        QSKIP("MIRVAK_PHONESIM is set by CTest");
    Scratch dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.setProcessEnvironment(offscreen());
    p.start(QStringLiteral(MIRVAK_BIN), {QStringLiteral("--demo")});
    QVERIFY(p.waitForStarted());

    QString seen;
    const auto m = waitForStderr(p, QRegularExpression(QStringLiteral("simulated phone on (\\S+) is COM1")), &seen);
    QVERIFY2(m.hasMatch(), qPrintable(seen));
    const QString device = m.captured(1);
    HeldTerminal held(device);
    QTRY_VERIFY_WITH_TIMEOUT(held.open(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dir.filePath(QStringLiteral("QXsms.phb"))), 20000);

    // A termination signal closes the window the ordinary way.
    p.terminate();
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(held.hungUp(), 10000); // the simulator is gone
}

void TstShellProgram::demoWithoutSimulatorRunsAnyway()
{
    Scratch dir;
    QProcessEnvironment env = offscreen();
    env.insert(QStringLiteral("MIRVAK_PHONESIM"), dir.filePath(QStringLiteral("no-such-simulator")));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MIRVAK_BIN), {QStringLiteral("--demo")});
    QVERIFY(p.waitForStarted());
    QString seen;
    const auto m = waitForStderr(p, QRegularExpression(QStringLiteral("running without it")), &seen);
    QVERIFY2(m.hasMatch(), qPrintable(seen));
    QVERIFY(seen.contains(QStringLiteral("could not be started")));
    QVERIFY(seen.contains(QStringLiteral("no-such-simulator")));
    QCOMPARE(p.state(), QProcess::Running); // the window is up, without a phone

    p.terminate();
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
}

QTEST_MAIN(TstShellProgram)
#include "tst_gui_shell_program.moc"
