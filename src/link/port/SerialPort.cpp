// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/port/SerialPort.h"

#include "link/port/LinkTrace.h"
#include "link/port/PortHolderScan.h"
#include "link/port/PortMap.h"
#include "core/port/PortName.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Input drained from the driver is held here up to this size; beyond it the
// kernel's own buffer takes over, so a burst the program reads late is kept.
constexpr int RxCap = 64 * 1024;

// A pty and some USB adapters have no modem lines or break: the request is
// refused as unsupported, which for us means there is nothing to do.
bool unsupported(int err)
{
    return err == ENOTTY || err == EINVAL;
}

// The device has gone (USB pulled, pty master closed).
bool vanished(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV;
}

} // namespace

SerialPort::SerialPort(QObject *parent) : QObject(parent) {}

SerialPort::~SerialPort()
{
    releaseFd();
}

void SerialPort::fail(ComErrorCode code, int err) const
{
    PortError e(code, err, m_device.isEmpty() ? m_port : m_device);
    // Only worth the scan of /proc when the user will be told who to ask.
    if (e.busy() && !m_device.isEmpty())
        e.setHolders(PortHolderScan::diagnose(m_device));
    throw e;
}

void SerialPort::setPort(const QString &name)
{
    const QString normal = normalisePortName(name);
    if (normal == m_port)
        return;
    const bool wasOpen = isOpen();
    if (wasOpen)
        close();
    m_port = normal;
    emit portNameChanged(m_port);
    if (wasOpen)
        open();
}

QString SerialPort::devicePath() const
{
    return deviceForPort(m_port);
}

void SerialPort::open()
{
    if (m_fd >= 0)
        return;
    m_device = devicePath();
    if (m_device.isEmpty())
        fail(ComErrorCode::Open, ENOENT);

    const QByteArray path = QFile::encodeName(m_device);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(ComErrorCode::Open, errno);

    auto abandon = [&](ComErrorCode code, int err) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        fail(code, err);
    };

    // TIOCEXCL keeps later openers out, except root; the flock covers root
    // and every program that locks the same way.
    if (::flock(fd, LOCK_EX | LOCK_NB) < 0)
        abandon(ComErrorCode::Open, errno);
    if (::ioctl(fd, TIOCEXCL) < 0 && !unsupported(errno))
        abandon(ComErrorCode::Open, errno);

    // Queue sizes: the tty layer sizes its own buffers; nothing to request.

    termios tio {};
    if (::tcgetattr(fd, &tio) < 0)
        abandon(ComErrorCode::SetState, errno);
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    if (::cfsetispeed(&tio, B9600) < 0 || ::cfsetospeed(&tio, B9600) < 0)
        abandon(ComErrorCode::SetState, errno);
    if (::tcsetattr(fd, TCSANOW, &tio) < 0)
        abandon(ComErrorCode::SetState, errno);
    int dtr = TIOCM_DTR;
    if (::ioctl(fd, TIOCMBIS, &dtr) < 0 && !unsupported(errno))
        abandon(ComErrorCode::SetState, errno);
    int rts = TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &rts) < 0 && !unsupported(errno))
        abandon(ComErrorCode::SetState, errno);

    // A read returns at once with whatever has arrived.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) < 0)
        abandon(ComErrorCode::SetTimeouts, errno);

    m_fd = fd;
    m_rx.clear();
    m_hangErrno = 0;
    ++m_activity;
    m_notifier = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SerialPort::onReadable);
    LinkTrace::op(QStringLiteral("open ") + m_device);
}

void SerialPort::releaseFd()
{
    if (m_notifier) {
        // It may be the sender of the signal we are in; it must not watch
        // the descriptor after the close below.
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_fd >= 0) {
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        m_fd = -1;
    }
    m_rx.clear();
    m_hangErrno = 0;
    ++m_activity;
}

void SerialPort::close()
{
    if (m_fd < 0)
        return;
    int err = 0;
    // Unread input is abandoned; what was written still goes out, so a
    // command written just before an abort reaches the phone whole, not
    // torn (nor, on a pseudo-terminal, taken back unread).
    if (::tcflush(m_fd, TCIFLUSH) < 0)
        err = errno;
    // A device that is gone has nothing left to abandon; reporting that
    // would only raise a second error for the failure already reported.
    if (m_hangErrno != 0 || vanished(err))
        err = 0;
    releaseFd();
    LinkTrace::op(QStringLiteral("close"));
    if (err != 0)
        fail(ComErrorCode::Purge, err);
}

int SerialPort::write(const QByteArray &data)
{
    if (m_fd < 0)
        fail(ComErrorCode::Write, EBADF);
    const QDeadlineTimer deadline(100 * qint64(data.size()) + 1000);
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(m_fd, data.constData() + done, size_t(data.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            const int err = errno;
            LinkTrace::bytes('>', data.left(done));
            fail(ComErrorCode::Write, err);
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            break;
        pollfd p {m_fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0 && errno != EINTR) {
            const int err = errno;
            LinkTrace::bytes('>', data.left(done));
            fail(ComErrorCode::Write, err);
        }
        if (r == 0)
            break; // the write time-out: the caller sees the short count
        if ((p.revents & (POLLERR | POLLHUP)) && !(p.revents & POLLOUT)) {
            LinkTrace::bytes('>', data.left(done));
            fail(ComErrorCode::Write, EIO);
        }
    }
    LinkTrace::bytes('>', data.left(done));
    if (done < data.size())
        LinkTrace::op(QStringLiteral("write time-out after %1 of %2 bytes").arg(done).arg(data.size()));
    while (::tcdrain(m_fd) < 0) {
        if (errno != EINTR)
            fail(ComErrorCode::Write, errno);
    }
    ++m_activity;
    return int(done);
}

bool SerialPort::pullInput()
{
    if (m_fd < 0 || m_hangErrno != 0)
        return false;
    int avail = 0;
    if (::ioctl(m_fd, FIONREAD, &avail) < 0) {
        markHungUp(errno);
        return false;
    }
    const int room = RxCap - int(m_rx.size());
    if (avail <= 0 || room <= 0)
        return false;
    const int want = qMin(avail, room);
    const qsizetype old = m_rx.size();
    m_rx.resize(old + want);
    ssize_t n;
    do {
        n = ::read(m_fd, m_rx.data() + old, size_t(want));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        m_rx.resize(old);
        if (n < 0 && errno != EAGAIN)
            markHungUp(errno);
        return false;
    }
    m_rx.resize(old + n);
    LinkTrace::bytes('<', m_rx.mid(old));
    ++m_activity;
    return true;
}

void SerialPort::markHungUp(int err)
{
    if (m_hangErrno != 0)
        return;
    m_hangErrno = err ? err : EIO;
    if (m_notifier)
        m_notifier->setEnabled(false);
    LinkTrace::op(QStringLiteral("hang-up (%1)").arg(m_hangErrno));
    ++m_activity;
}

void SerialPort::onReadable()
{
    if (m_fd < 0 || !m_notifier)
        return;
    const bool got = pullInput();
    if (!got && m_hangErrno == 0) {
        pollfd p {m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            markHungUp(EIO);
    }
    if (m_hangErrno == 0 && (!got || m_rx.size() >= RxCap)) {
        // Readable with nothing to take (or no room): never let that turn
        // into a wake-up loop. Look again a little later, or after a read.
        m_notifier->setEnabled(false);
        if (!got && !m_rearmPending) {
            m_rearmPending = true;
            QTimer::singleShot(10, this, [this] {
                m_rearmPending = false;
                rearmNotifier();
            });
        }
    }
    emit readyRead();
}

void SerialPort::rearmNotifier()
{
    if (m_notifier && m_hangErrno == 0 && m_rx.size() < RxCap && !m_notifier->isEnabled())
        m_notifier->setEnabled(true);
}

QByteArray SerialPort::read(int count)
{
    if (m_fd < 0)
        fail(ComErrorCode::Read, EBADF);
    if (count <= 0)
        return {};
    if (m_rx.size() < count)
        pullInput();
    if (m_rx.isEmpty()) {
        if (m_hangErrno != 0)
            fail(ComErrorCode::Read, m_hangErrno);
        return {};
    }
    const QByteArray out = m_rx.left(count);
    m_rx.remove(0, out.size());
    ++m_activity;
    rearmNotifier();
    return out;
}

int SerialPort::bytesWaiting()
{
    if (m_fd < 0)
        fail(ComErrorCode::ClearCommError, EBADF);
    pullInput();
    if (m_hangErrno == 0 && m_rx.isEmpty()) {
        pollfd p {m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            markHungUp(EIO);
    }
    // Once the device is gone the remains of a reply are worth nothing:
    // say so at once rather than hand out bytes that can never be completed.
    if (m_hangErrno != 0)
        fail(ComErrorCode::ClearCommError, m_hangErrno);
    return int(m_rx.size());
}

void SerialPort::purge(bool input, bool output)
{
    if (m_fd < 0)
        fail(ComErrorCode::Purge, EBADF);
    if (!input && !output)
        return;
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    LinkTrace::op(QStringLiteral("purge%1%2").arg(input ? " in" : "", output ? " out" : ""));
    if (::tcflush(m_fd, which) < 0)
        fail(ComErrorCode::Purge, errno);
    if (input && !m_rx.isEmpty()) {
        m_rx.clear();
        rearmNotifier();
        ++m_activity;
    }
}

void SerialPort::setDtr(bool on)
{
    if (m_fd < 0)
        fail(ComErrorCode::Escape, EBADF);
    LinkTrace::op(QStringLiteral("dtr %1").arg(on ? 1 : 0));
    int bit = TIOCM_DTR;
    if (::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bit) < 0 && !unsupported(errno))
        fail(ComErrorCode::Escape, errno);
}

void SerialPort::setBreak(bool on)
{
    if (m_fd < 0)
        fail(ComErrorCode::Escape, EBADF);
    LinkTrace::op(on ? QStringLiteral("break on") : QStringLiteral("break off"));
    if (::ioctl(m_fd, on ? TIOCSBRK : TIOCCBRK) < 0 && !unsupported(errno))
        fail(ComErrorCode::Escape, errno);
}

// write returns only once the driver has sent everything, so no output
// of ours is ever queued when this is called: "ahead of queued output" is
// simply "now".
void SerialPort::sendAhead(char byte)
{
    if (m_fd < 0)
        fail(ComErrorCode::TransmitChar, EBADF);
    LinkTrace::op(QStringLiteral("send-ahead ") + QString::fromLatin1(QByteArray(1, byte).toHex().toUpper()));
    const QDeadlineTimer deadline(1100);
    for (;;) {
        const ssize_t n = ::write(m_fd, &byte, 1);
        if (n == 1)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            fail(ComErrorCode::TransmitChar, errno);
        pollfd p {m_fd, POLLOUT, 0};
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || ::poll(&p, 1, int(left)) == 0)
            fail(ComErrorCode::TransmitChar, ETIMEDOUT);
    }
    LinkTrace::bytes('>', QByteArray(1, byte));
    ++m_activity;
}

QStringList SerialPort::availablePorts()
{
    QStringList names;
    for (const PortMapping &m : systemPorts()) {
        if (m.name.left(3) != QLatin1String("COM"))
            continue;
        const QString shortName = m.name.left(4);
        if (!names.contains(shortName))
            names << shortName;
    }
    return names;
}
