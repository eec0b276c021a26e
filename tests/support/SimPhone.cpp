// SPDX-License-Identifier: GPL-2.0-or-later
#include "SimPhone.h"

#include <QEventLoop>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {
// Only a simulator that hangs is this slow to log a line.
constexpr int HangGuardMs = 60000;
} // namespace

SimPhone::SimPhone(const QStringList &args, const QJsonObject &state)
{
    m_sim.setArguments(args);
    m_sim.setState(state);
    m_sim.setRecording(true);
    // A failing test can keep the simulator's files for a look afterwards.
    m_sim.setKeepFiles(!qEnvironmentVariableIsEmpty("MIRVAK_KEEP_SIM"));
}

bool SimPhone::start()
{
    if (m_started)
        return !m_sim.device().isEmpty();
    m_started = true;
    QString error;
    if (!m_sim.start(&error)) {
        qWarning("SimPhone: %s", qPrintable(error));
        return false;
    }
    return true;
}

QString SimPhone::device() const
{
    return m_sim.device();
}

void SimPhone::useAsCom(int n)
{
    m_sim.useAsCom(n);
}

QList<QJsonObject> SimPhone::log() const
{
    return m_sim.log();
}

QStringList SimPhone::commands() const
{
    QStringList out;
    for (const Received &r : received())
        out.append(r.line);
    return out;
}

bool SimPhone::waitFor(const std::function<bool()> &seen) const
{
    // Watched before the first look, so a line logged in between still wakes us.
    QFileSystemWatcher grew({m_sim.logFile()});
    QEventLoop loop;
    QObject::connect(&grew, &QFileSystemWatcher::fileChanged, &loop, &QEventLoop::quit);
    QTimer hang;
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, &loop, &QEventLoop::quit);
    hang.start(HangGuardMs);
    while (!seen()) {
        if (!m_sim.running() || !hang.isActive())
            return seen();
        loop.exec();
    }
    return true;
}

bool SimPhone::waitForCommand(const QString &line) const
{
    return waitFor([&] { return commands().contains(line); });
}

QList<SimPhone::Received> SimPhone::received() const
{
    QList<Received> out;
    const QList<QJsonObject> entries = log();
    for (const QJsonObject &o : entries)
        if (o.value(QStringLiteral("t")).toString() == QLatin1String("cmd"))
            out.append({o.value(QStringLiteral("line")).toString(), when(o)});
    return out;
}

std::chrono::steady_clock::time_point SimPhone::when(const QJsonObject &entry)
{
    // The simulator stamps in microseconds of the same monotonic clock.
    const auto us = std::chrono::microseconds(qint64(entry.value(QStringLiteral("us")).toDouble()));
    return std::chrono::steady_clock::time_point(std::chrono::duration_cast<std::chrono::steady_clock::duration>(us));
}

QJsonObject SimPhone::stopAndDump()
{
    stop();
    return m_sim.dumpedState();
}

void SimPhone::stop()
{
    m_sim.stop();
}

QStringList SimPhone::capabilityProbe(const QStringList &books)
{
    QStringList sent{"AT+CGSN", "AT+CPBS=?", "AT+CPMS=?", "AT+CSCS=?", "AT+CMGF=?"};
    for (const QString &book : books)
        sent << QStringLiteral("AT+CPBS=\"%1\"").arg(book) << QStringLiteral("AT+CPBR=?");
    if (books.contains(QLatin1String("SM")))
        sent << QStringLiteral("AT+CPBS=\"SM\"");
    return sent;
}
