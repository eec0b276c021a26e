#include "app/DemoPhone.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/prctl.h>

namespace {
constexpr int StartTimeoutMs = 10000;

bool isExecutable(const QString &path)
{
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}
} // namespace

DemoPhone::~DemoPhone()
{
    stop();
}

QString DemoPhone::locate(const QString &programDir)
{
    const QString fromEnv = qEnvironmentVariable("MIRVAK_PHONESIM");
    if (!fromEnv.isEmpty())
        return fromEnv; // an explicit choice; start() says so if it is wrong
    const QString name = QStringLiteral("mirvak-phonesim");
    const QDir dir(programDir);
    // Installed side by side, or run from the build tree (src/app/mirvak
    // next to tools/phonesim/mirvak-phonesim).
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

bool DemoPhone::start(const QString &programDir, QString *error)
{
    stop();
    m_program = locate(programDir);
    if (m_program.isEmpty()) {
        if (error)
            *error = QStringLiteral("mirvak-phonesim was not found beside mirvak or on PATH "
                                    "(set MIRVAK_PHONESIM to its path).");
        return false;
    }

    m_proc = new QProcess;
    m_proc->setProgram(m_program);
    // The network takes its time, as a real one does: the long wait of call
    // forwarding and call waiting, and their Abort buttons, can be seen.
    m_proc->setArguments({QStringLiteral("--network-delay"), QStringLiteral("1500")});
    // The simulator's own complaints go straight to our stderr.
    m_proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // If Mirvak dies without cleaning up, the simulator goes with it.
    m_proc->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_proc->start(QIODevice::ReadOnly);
    if (!m_proc->waitForStarted(StartTimeoutMs)) {
        if (error)
            *error = QStringLiteral("%1 could not be started: %2").arg(m_program, m_proc->errorString());
        stop();
        return false;
    }

    // The first line on stdout is the pseudo-terminal's path.
    QElapsedTimer clock;
    clock.start();
    while (!m_proc->canReadLine()) {
        const qint64 left = StartTimeoutMs - clock.elapsed();
        if (left <= 0 || m_proc->state() != QProcess::Running
            || !m_proc->waitForReadyRead(int(left))) {
            if (m_proc->canReadLine())
                break;
            if (error)
                *error = m_proc->state() == QProcess::Running
                             ? QStringLiteral("%1 did not report its device within %2 s.")
                                   .arg(m_program).arg(StartTimeoutMs / 1000)
                             : QStringLiteral("%1 stopped before reporting its device (exit code %2).")
                                   .arg(m_program).arg(m_proc->exitCode());
            stop();
            return false;
        }
    }
    const QString line = QString::fromLocal8Bit(m_proc->readLine()).trimmed();
    if (line.isEmpty() || !QFileInfo::exists(line)) {
        if (error)
            *error = QStringLiteral("%1 reported \"%2\", which is not a device.").arg(m_program, line);
        stop();
        return false;
    }
    m_device = line;
    // Anything else it prints is of no interest; keep the pipe from filling.
    QObject::connect(m_proc, &QProcess::readyReadStandardOutput, m_proc,
                     [p = m_proc] { p->readAllStandardOutput(); });
    qputenv("MIRVAK_COM1", m_device.toLocal8Bit());
    return true;
}

bool DemoPhone::running() const
{
    return m_proc && m_proc->state() == QProcess::Running;
}

void DemoPhone::stop()
{
    if (!m_proc)
        return;
    if (m_proc->state() != QProcess::NotRunning) {
        m_proc->terminate();
        if (!m_proc->waitForFinished(3000)) {
            m_proc->kill();
            m_proc->waitForFinished(1000);
        }
    }
    delete m_proc;
    m_proc = nullptr;
    m_device.clear();
}
