// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's side of a pseudo-terminal, held open so a test can tell that
// the phone behind it went away. Its path can't tell: tests running beside
// this one may be handed the same terminal number the moment it is freed.
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

class HeldTerminal {
public:
    explicit HeldTerminal(const QString &device) : m_device(device) { open(); }
    ~HeldTerminal()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldTerminal(const HeldTerminal &) = delete;
    HeldTerminal &operator=(const HeldTerminal &) = delete;

    // Again while the program holds the port for itself (it asks for
    // exclusive use), this fails; a test can wait for it.
    bool open()
    {
        if (m_fd < 0)
            m_fd = ::open(QFile::encodeName(m_device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return m_fd >= 0;
    }
    bool isOpen() const { return m_fd >= 0; }
    // True once the other end has closed: the terminal is hung up.
    bool hungUp() const
    {
        pollfd watch{m_fd, POLLIN, 0};
        return m_fd >= 0 && ::poll(&watch, 1, 0) == 1 && (watch.revents & (POLLHUP | POLLERR));
    }

private:
    QString m_device;
    int m_fd = -1;
};
