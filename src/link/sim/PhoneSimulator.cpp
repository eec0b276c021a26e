// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/sim/PhoneSimulator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr int StopTimeoutMs = 5000;

const QString StateFile = QStringLiteral("state.json");
const QString DumpFile = QStringLiteral("dump.json");
const QString LogFile = QStringLiteral("log.jsonl");

bool isExecutable(const QString &path)
{
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}

} // namespace

PhoneSimulator::PhoneSimulator() = default;

PhoneSimulator::~PhoneSimulator()
{
    stop();
}

QString PhoneSimulator::locate(const QString &programDir)
{
    const QString fromEnv = qEnvironmentVariable("MIRVAK_PHONESIM");
    if (!fromEnv.isEmpty())
        return fromEnv; // an explicit choice; start() says so if it is wrong
    const QString name = QStringLiteral("mirvak-phonesim");
    const QDir dir(programDir);
    // Installed side by side, or run from the build tree (src/app/mirvak or
    // tests/<area>/<test> next to tools/phonesim/mirvak-phonesim, or
    // bench/<bench> one level up).
    const QStringList candidates = {
        dir.filePath(name),
        dir.filePath(QStringLiteral("../../tools/phonesim/") + name),
        dir.filePath(QStringLiteral("../tools/phonesim/") + name),
    };
    for (const QString &c : candidates)
        if (isExecutable(c))
            return QDir::cleanPath(QFileInfo(c).absoluteFilePath());
    return QStandardPaths::findExecutable(name);
}

void PhoneSimulator::setState(const QJsonObject &state)
{
    m_state = state;
    m_hasState = true;
}

bool PhoneSimulator::fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    stop();
    return false;
}

bool PhoneSimulator::start(QString *error)
{
    stop();
    m_device.clear();
    if (m_program.isEmpty() && QCoreApplication::instance())
        m_program = locate(QCoreApplication::applicationDirPath());
    if (m_program.isEmpty())
        return fail(error, QStringLiteral("mirvak-phonesim was not found beside mirvak or on PATH "
                                          "(set MIRVAK_PHONESIM to its path)."));

    QStringList args;
    m_dir.reset();
    if (m_hasState || m_recording) {
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/mirvak-sim-XXXXXX"));
        if (!m_dir->isValid())
            return fail(error, QStringLiteral("no temporary folder for the simulator: %1").arg(m_dir->errorString()));
        m_dir->setAutoRemove(!m_keepFiles);
    }
    if (m_hasState) {
        QFile f(m_dir->filePath(StateFile));
        if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(m_state).toJson()) < 0 || !f.flush())
            return fail(error, QStringLiteral("cannot write %1: %2").arg(f.fileName(), f.errorString()));
        args << QStringLiteral("--state") << f.fileName();
    }
    if (m_recording)
        args << QStringLiteral("--dump") << m_dir->filePath(DumpFile)
             << QStringLiteral("--log") << m_dir->filePath(LogFile);
    args += m_args;

    m_proc = new QProcess;
    m_proc->setProgram(m_program);
    m_proc->setArguments(args);
    // The simulator's own complaints go straight to our stderr.
    m_proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // If we die without cleaning up, the simulator goes with us.
    m_proc->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_proc->start(QIODevice::ReadOnly);
    if (!m_proc->waitForStarted(StartTimeoutMs))
        return fail(error, QStringLiteral("%1 could not be started: %2").arg(m_program, m_proc->errorString()));

    // The first line on stdout is the pseudo-terminal's path. Each wait
    // blocks on the pipe until bytes come, the simulator ends or time is up.
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_proc->canReadLine()) {
        if (deadline.hasExpired() || m_proc->state() != QProcess::Running
            || !m_proc->waitForReadyRead(int(deadline.remainingTime()))) {
            if (m_proc->canReadLine())
                break;
            return fail(error, m_proc->state() == QProcess::Running
                                   ? QStringLiteral("%1 did not report its device within %2 s.")
                                         .arg(m_program).arg(StartTimeoutMs / 1000)
                                   : QStringLiteral("%1 stopped before reporting its device (exit code %2).")
                                         .arg(m_program).arg(m_proc->exitCode()));
        }
    }
    const QString line = QString::fromLocal8Bit(m_proc->readLine()).trimmed();
    if (line.isEmpty() || !QFileInfo::exists(line))
        return fail(error, QStringLiteral("%1 reported \"%2\", which is not a device.").arg(m_program, line));
    m_device = line;
    // Anything else it prints is of no interest; keep the pipe from filling.
    QObject::connect(m_proc, &QProcess::readyReadStandardOutput, m_proc,
                     [p = m_proc] { p->readAllStandardOutput(); });
    return true;
}

bool PhoneSimulator::running() const
{
    return m_proc && m_proc->state() == QProcess::Running;
}

void PhoneSimulator::useAsCom(int n) const
{
    qputenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData(), m_device.toLocal8Bit());
}

void PhoneSimulator::stop()
{
    if (!m_proc)
        return;
    // SIGTERM lets it write its dump and take its device away.
    if (m_proc->state() != QProcess::NotRunning) {
        m_proc->terminate();
        if (!m_proc->waitForFinished(StopTimeoutMs)) {
            qWarning("PhoneSimulator: %s ignored SIGTERM; killing it", qPrintable(m_program));
            m_proc->kill();
            m_proc->waitForFinished(StopTimeoutMs);
        }
    }
    delete m_proc;
    m_proc = nullptr;
}

QString PhoneSimulator::folder() const
{
    return m_dir ? m_dir->path() : QString();
}

QString PhoneSimulator::logFile() const
{
    return m_recording && m_dir ? m_dir->filePath(LogFile) : QString();
}

QList<QJsonObject> PhoneSimulator::log() const
{
    QList<QJsonObject> out;
    if (!m_recording || !m_dir)
        return out;
    QFile f(m_dir->filePath(LogFile));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    // Each line is written whole; one still being written does not parse.
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject())
            out.append(doc.object());
    }
    return out;
}

QJsonObject PhoneSimulator::dumpedState() const
{
    if (!m_recording || !m_dir)
        return {};
    QFile f(m_dir->filePath(DumpFile));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}
