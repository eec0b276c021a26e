// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/CliSession.h"

#include "core/io/AtomicFile.h"
#include "link/port/PortMap.h"

#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPair[2] = {-1, -1};
const int Signals[] = {SIGINT, SIGTERM, SIGHUP};

void onTerminationSignal(int sig)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPair[0], &byte, 1);
    // A second one ends the program at once, even where no event loop runs
    // to see the first (a message still being read from standard input).
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    ::sigaction(sig, &sa, nullptr);
}

} // namespace

CliSession::CliSession()
{
    // Failing to open is told by the exchange that tried; it ends the command.
    link.setOpenFailureHandler([this](const PortError &e) {
        // The reason names the device already.
        fail(Exit::Port, m_givenDevice.isEmpty() ? QStringLiteral("cannot use %1: %2").arg(port.name(), e.reason())
                                                 : QStringLiteral("cannot use %1").arg(e.reason()));
    });
    link.setPortFailureHandler([this](const PortError &e) {
        fail(Exit::Port, QStringLiteral("%1 failed: %2. %3").arg(where(), e.systemReason(), e.hint()));
    });
    link.setLinkFailureHandler([this] {
        fail(Exit::Phone, QStringLiteral("the phone on %1 did not answer in binary mode").arg(where()));
    });

    // The signal only leaves a byte in a socket; the wait loops of the
    // exchange wake on it and the abort ends the exchange the ordinary way,
    // so the port is closed and no file is left half written.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPair) == 0) {
        m_signals = new QSocketNotifier(signalPair[1], QSocketNotifier::Read, this);
        connect(m_signals, &QSocketNotifier::activated, this, &CliSession::onSignal);
        struct sigaction sa = {};
        sa.sa_handler = onTerminationSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (int sig : Signals)
            ::sigaction(sig, &sa, nullptr);
    }
}

CliSession::~CliSession()
{
    link.setOpenFailureHandler(nullptr);
    link.setPortFailureHandler(nullptr);
    link.setLinkFailureHandler(nullptr);
    try {
        link.closePort();
    } catch (const PortError &) {
        // Leaving anyway; the command has told its result.
    }
}

void CliSession::onSignal()
{
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(signalPair[1], &byte, 1);
    m_interrupted = true;
    link.requestAbort();
    // A second signal of any kind ends the program at once.
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int sig : Signals)
        ::sigaction(sig, &sa, nullptr);
}

QString CliSession::where() const
{
    if (!m_givenDevice.isEmpty())
        return m_givenDevice;
    const QString device = deviceForPort(port.name());
    return device.isEmpty() ? port.name() : QStringLiteral("%1 (%2)").arg(port.name(), device);
}

void CliSession::say(const QString &message)
{
    std::fprintf(stderr, "mirvak-cli: %s\n", qPrintable(message));
    std::fflush(stderr);
}

void CliSession::fail(int code, const QString &message)
{
    endProgress();
    say(message);
    if (m_exit == Exit::Ok)
        m_exit = code;
}

bool CliSession::stopIfInterrupted()
{
    if (!m_interrupted)
        return false;
    fail(Exit::Phone, QStringLiteral("interrupted; %1 is closed").arg(where()));
    return true;
}

void CliSession::run(const std::function<void()> &operation)
{
    const OperationGuard op(link, std::nullopt);
    link.runGuarded(operation);
    endProgress();
}

void CliSession::progress(const QString &text)
{
    if (!::isatty(STDERR_FILENO))
        return;
    std::fprintf(stderr, "\r%s\033[K", qPrintable(text));
    std::fflush(stderr);
    m_progressShown = true;
}

void CliSession::endProgress()
{
    if (!m_progressShown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_progressShown = false;
}

bool CliSession::deliver(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
            fail(Exit::Usage, QStringLiteral("cannot write to standard output: %1").arg(out.errorString()));
            return false;
        }
        return true;
    }
    return told(AtomicFile::write(path, bytes), path);
}

bool CliSession::told(const AtomicFile::Outcome &saved, const QString &path)
{
    if (!saved) {
        const QString reason = saved.kind == AtomicFile::Outcome::ReadOnly ? QStringLiteral("it is read-only")
                                                                           : saved.reason;
        fail(Exit::Usage, QStringLiteral("cannot write %1: %2").arg(path, reason));
    }
    return bool(saved);
}

bool CliSession::checkWritable(const QString &path)
{
    if (path.isEmpty() || path == QLatin1String("-"))
        return true;
    return told(AtomicFile::probe(path), path);
}

MessageArchive *CliSession::archive()
{
    if (!m_archiveTried) {
        m_archiveTried = true;
        m_archive = std::make_unique<MessageArchive>(m_archivePath.isEmpty() ? QStringLiteral("messages.sqlite")
                                                                              : m_archivePath);
        if (!m_archive->isOpen()) {
            say(m_archive->error());
            m_archive.reset();
        }
    }
    return m_archive.get();
}

std::optional<QList<ArchivedMessage>> CliSession::keep(const QList<ArchivedMessage> &messages, const QString &country)
{
    MessageArchive *kept = archive();
    if (!kept)
        return std::nullopt;
    const auto added = kept->add(messages, country);
    if (!added)
        say(kept->error());
    return added;
}
