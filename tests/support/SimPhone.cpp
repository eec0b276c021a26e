#include "SimPhone.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <sys/prctl.h>

namespace {

QString simBinary()
{
    const QString fromEnv = qEnvironmentVariable("MIRVAK_PHONESIM");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QStringLiteral("mirvak-phonesim");
}

QJsonObject readJsonFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

} // namespace

SimPhone::SimPhone(const QStringList &args, const QJsonObject &state)
    : m_args(args), m_state(state)
{
}

SimPhone::~SimPhone()
{
    stop();
    // A failing test can keep the simulator's files for a look afterwards.
    if (!m_dir.isEmpty() && qEnvironmentVariableIsEmpty("MIRVAK_KEEP_SIM"))
        QDir(m_dir).removeRecursively();
}

bool SimPhone::start()
{
    if (m_proc)
        return !m_device.isEmpty();

    QTemporaryDir tmp(QDir::tempPath() + QStringLiteral("/mirvak-sim-XXXXXX"));
    if (!tmp.isValid()) {
        qWarning("SimPhone: cannot create a temporary folder");
        return false;
    }
    tmp.setAutoRemove(false);
    m_dir = tmp.path();

    const QString statePath = m_dir + QStringLiteral("/state.json");
    {
        QFile f(statePath);
        if (!f.open(QIODevice::WriteOnly)) {
            qWarning("SimPhone: cannot write %s", qPrintable(statePath));
            return false;
        }
        f.write(QJsonDocument(m_state).toJson());
    }

    QStringList args{QStringLiteral("--state"), statePath,
                     QStringLiteral("--dump"), m_dir + QStringLiteral("/dump.json"),
                     QStringLiteral("--log"), m_dir + QStringLiteral("/log.jsonl")};
    args += m_args;

    m_proc = new QProcess;
    m_proc->setReadChannel(QProcess::StandardOutput);
    m_proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes must not leave its simulator running for ever.
    m_proc->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_proc->start(simBinary(), args);
    if (!m_proc->waitForStarted(5000)) {
        qWarning("SimPhone: cannot start %s: %s", qPrintable(simBinary()),
                 qPrintable(m_proc->errorString()));
        return false;
    }

    QDeadlineTimer deadline(5000);
    while (!m_proc->canReadLine() && !deadline.hasExpired()) {
        if (m_proc->state() != QProcess::Running)
            break;
        m_proc->waitForReadyRead(int(deadline.remainingTime()));
    }
    if (!m_proc->canReadLine()) {
        qWarning("SimPhone: the simulator gave no device path within 5 s");
        return false;
    }
    m_device = QString::fromLocal8Bit(m_proc->readLine()).trimmed();
    return !m_device.isEmpty();
}

QString SimPhone::device() const
{
    return m_device;
}

void SimPhone::useAsCom(int n)
{
    qputenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData(), m_device.toLocal8Bit());
}

QList<QJsonObject> SimPhone::log() const
{
    QList<QJsonObject> out;
    if (m_dir.isEmpty())
        return out;
    QFile f(m_dir + QStringLiteral("/log.jsonl"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject())
            out.append(doc.object());
    }
    return out;
}

QStringList SimPhone::commands() const
{
    QStringList out;
    const QList<QJsonObject> entries = log();
    for (const QJsonObject &o : entries)
        if (o.value(QStringLiteral("t")).toString() == QLatin1String("cmd"))
            out.append(o.value(QStringLiteral("line")).toString());
    return out;
}

QJsonObject SimPhone::stopAndDump()
{
    stop();
    if (m_dir.isEmpty())
        return {};
    return readJsonFile(m_dir + QStringLiteral("/dump.json"));
}

void SimPhone::stop()
{
    if (!m_proc)
        return;
    if (m_proc->state() != QProcess::NotRunning) {
        m_proc->terminate();
        if (!m_proc->waitForFinished(5000)) {
            qWarning("SimPhone: the simulator ignored SIGTERM; killing it");
            m_proc->kill();
            m_proc->waitForFinished(2000);
        }
    }
    delete m_proc;
    m_proc = nullptr;
}
