// SPDX-License-Identifier: GPL-2.0-or-later
#include "PtyPort.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int kClosedPollMs = 50;
constexpr int kWriteRetryMs = 10;
}

PtyPort::PtyPort(QObject *parent) : QObject(parent)
{
    m_closedPoll.setInterval(kClosedPollMs);
    m_closedPoll.setSingleShot(true);
    connect(&m_closedPoll, &QTimer::timeout, this, &PtyPort::pollClosed);
    m_writeTimer.setSingleShot(true);
    connect(&m_writeTimer, &QTimer::timeout, this, [this] {
        m_delaying = false;
        pump();
    });
}

PtyPort::~PtyPort()
{
    hangup();
    if (m_reserve >= 0)
        ::close(m_reserve);
}

bool PtyPort::open(QString *error)
{
    auto fail = [&](const char *what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return fail("posix_openpt");
    if (grantpt(m_master) != 0)
        return fail("grantpt");
    if (unlockpt(m_master) != 0)
        return fail("unlockpt");
    const char *name = ptsname(m_master);
    if (!name)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);

    // Raw on both sides: a cooked slave would echo our own output back to us
    // and turn the program's CR into LF before we see it.
    termios tio{};
    if (tcgetattr(m_master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_master, TCSANOW, &tio);
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail("open slave");
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyPort::readAvailable);
    m_paceClock.start();
    // Nobody holds the slave yet; the first read tells.
    readAvailable();
    return true;
}

void PtyPort::readAvailable()
{
    if (m_master < 0)
        return;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            if (!m_clientPresent) {
                m_clientPresent = true;
                emit clientOpened();
            }
            emit received(QByteArray(buf, int(n)));
            if (m_master < 0)
                return; // a handler hung up
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!m_clientPresent) {
                m_clientPresent = true;
                emit clientOpened();
            }
            m_readNotifier->setEnabled(true);
            return;
        }
        // EIO (or end of file): no process holds the slave. The master stays
        // readable in that state, so watching it would spin; look again later.
        m_readNotifier->setEnabled(false);
        if (m_clientPresent) {
            m_clientPresent = false;
            emit clientClosed();
        }
        if (m_master >= 0)
            m_closedPoll.start();
        return;
    }
}

void PtyPort::pollClosed()
{
    readAvailable();
}

void PtyPort::send(const QByteArray &data, int delayMs, int tag, std::function<void()> done)
{
    if (m_master < 0)
        return;
    Segment s;
    s.data = data;
    s.delayMs = delayMs;
    s.tag = tag;
    s.done = std::move(done);
    m_queue.push_back(std::move(s));
    if (!m_writeTimer.isActive())
        pump();
}

void PtyPort::dropQueued(int tag)
{
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (it->tag == tag && !it->started && it->written == 0)
            it = m_queue.erase(it);
        else
            ++it;
    }
}

void PtyPort::clearOutput()
{
    m_queue.clear();
    m_writeTimer.stop();
    m_delaying = false;
}

void PtyPort::scheduleWrite(int ms)
{
    m_writeTimer.start(qMax(1, ms));
}

void PtyPort::pump()
{
    while (!m_queue.empty() && m_master >= 0) {
        Segment &s = m_queue.front();
        if (!s.started) {
            s.started = true;
            if (s.delayMs > 0) {
                m_delaying = true;
                m_writeTimer.start(s.delayMs);
                return;
            }
        }
        if (m_delaying)
            return;

        qsizetype allowed = s.data.size() - s.written;
        if (m_trickleMs > 0) {
            allowed = qMin<qsizetype>(allowed, 1);
        } else if (m_pace > 0) {
            // Nanoseconds, and never restarted: whole milliseconds cut
            // off at every byte would slow a long answer well below the pace.
            const qint64 now = m_paceClock.nsecsElapsed();
            const qint64 elapsedNs = now - m_paceSeenNs;
            m_paceSeenNs = now;
            // A small burst allowance, as a UART's FIFO would give.
            const double cap = qMax(1.0, m_pace / 100.0);
            m_tokens = qMin(cap, m_tokens + double(elapsedNs) * m_pace / 1e9);
            if (m_tokens < 1.0) {
                scheduleWrite(int((1.0 - m_tokens) * 1000.0 / m_pace) + 1);
                return;
            }
            allowed = qMin<qsizetype>(allowed, qsizetype(m_tokens));
        }

        qsizetype n = 0;
        if (allowed > 0) {
            n = ::write(m_master, s.data.constData() + s.written, size_t(allowed));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // The slave's input buffer is full or the pty is in flux:
                // try again shortly rather than wait on writability, which a
                // pty without a reader never reports.
                scheduleWrite(kWriteRetryMs);
                return;
            }
        }
        s.written += n;
        if (m_pace > 0 && m_trickleMs == 0)
            m_tokens -= double(n);
        if (s.written >= s.data.size()) {
            auto done = std::move(s.done);
            m_queue.pop_front();
            if (done)
                done();
            if (m_trickleMs > 0 && !m_queue.empty()) {
                scheduleWrite(m_trickleMs);
                return;
            }
            continue;
        }
        if (m_trickleMs > 0) {
            scheduleWrite(m_trickleMs);
            return;
        }
        if (n < allowed) {
            scheduleWrite(kWriteRetryMs);
            return;
        }
    }
}

void PtyPort::hangup()
{
    m_closedPoll.stop();
    m_writeTimer.stop();
    m_queue.clear();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    if (m_master >= 0) {
        // The kernel frees the pty's number only once every descriptor of
        // both sides is closed. Without this one, the program closing its
        // port after the hang-up would free it, the next simulator could get
        // the same /dev/pts/N, and a program still naming that device would
        // talk to someone else's phone. The device node still goes away with
        // the master and the program's reads and writes still fail.
        if (m_reserve < 0 && !m_slavePath.isEmpty())
            m_reserve = ::open(QFile::encodeName(m_slavePath).constData(),
                               O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ::close(m_master);
        m_master = -1;
    }
    m_clientPresent = false;
}
