// SPDX-License-Identifier: GPL-2.0-or-later
#include "PtyPeer.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    char name[128] = {};
    termios raw {};
    ::cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) < 0) {
        m_master = m_slave = -1;
        return;
    }
    m_device = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyPeer::onReadable);
}

PtyPeer::~PtyPeer()
{
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyPeer::useAsCom(int n) const
{
    qputenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData(), m_device.toLocal8Bit());
}

void PtyPeer::replyTo(const QByteArray &trigger, const QByteArray &reply, int delayMs)
{
    m_rules.append({trigger, reply, delayMs, false});
}

void PtyPeer::send(const QByteArray &bytes)
{
    if (m_master >= 0)
        writeAll(m_master, bytes);
}

void PtyPeer::sendLater(int ms, const QByteArray &bytes)
{
    QTimer::singleShot(ms, this, [this, bytes] { send(bytes); });
}

void PtyPeer::trickle(const QByteArray &bytes, int intervalMs)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        sendLater(int(i + 1) * intervalMs, bytes.mid(i, 1));
}

void PtyPeer::closeMaster()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        delete m_notifier;
        m_notifier = nullptr;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

void PtyPeer::onReadable()
{
    const QByteArray chunk = drain(m_master, m_notifier);
    if (chunk.isEmpty())
        return;
    received += chunk;
    if (onData)
        onData(chunk);
    for (Rule &r : m_rules) {
        if (r.done || !received.contains(r.trigger))
            continue;
        r.done = true;
        if (r.delayMs > 0)
            sendLater(r.delayMs, r.reply);
        else
            send(r.reply);
    }
}

QByteArray PtyPeer::drain(int fd, QSocketNotifier *watch)
{
    QByteArray out;
    char buf[512];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got > 0) {
            out.append(buf, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0 || errno != EAGAIN)
            watch->setEnabled(false); // the other side is gone
        return out;
    }
}

void PtyPeer::writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}
