// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/port/PortMap.h"

#include "core/port/PortName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int MaxPorts = 16;

// ttyUSB10 after ttyUSB9.
QStringList devicesLike(const QString &prefix)
{
    const QStringList entries = QDir(QStringLiteral("/dev"))
        .entryList({prefix + QLatin1Char('*')}, QDir::System | QDir::Files | QDir::Hidden);
    QList<std::pair<int, QString>> numbered;
    const QRegularExpression re(QLatin1Char('^') + prefix + QStringLiteral("(\\d+)$"));
    for (const QString &e : entries) {
        const auto m = re.match(e);
        if (m.hasMatch())
            numbered.append({m.captured(1).toInt(), QStringLiteral("/dev/") + e});
    }
    std::sort(numbered.begin(), numbered.end());
    QStringList out;
    for (const auto &n : numbered)
        out << n.second;
    return out;
}

// Every PC kernel registers a row of ttyS placeholders; only those with a
// UART behind them are worth offering. The UART type is in sysfs for anyone
// to read; without it, ask the driver (needs the right to open the device).
bool hasRealUart(const QString &device)
{
    const QString name = QFileInfo(device).fileName();
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(name));
    if (type.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const int t = type.readAll().trimmed().toInt(&ok);
        if (ok)
            return t != PORT_UNKNOWN;
    }
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        serial_struct ss {};
        const bool real = ::ioctl(fd, TIOCGSERIAL, &ss) == 0 && ss.type != PORT_UNKNOWN;
        ::close(fd);
        return real;
    }
    if (errno != EACCES && errno != EPERM)
        return false; // a placeholder refuses to open (EIO)
    // Not ours to open: a port bound by PnP or PCI is real, the platform
    // placeholders are not.
    const QString driver = QFileInfo(QStringLiteral("/sys/class/tty/%1/device/driver").arg(name)).canonicalFilePath();
    return !driver.isEmpty() && QFileInfo(driver).fileName() != QLatin1String("serial8250");
}

QString fromEnvironment(int n)
{
    return QString::fromLocal8Bit(qgetenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData()));
}

} // namespace

QList<PortMapping> systemPorts()
{
    QString devs[MaxPorts + 1];
    QStringList named;
    bool allNamed = true;
    for (int n = 1; n <= MaxPorts; ++n) {
        devs[n] = fromEnvironment(n);
        if (devs[n].isEmpty())
            allNamed = false;
        else
            named << devs[n];
    }
    if (!allNamed) {
        QStringList found = devicesLike(QStringLiteral("ttyUSB")) + devicesLike(QStringLiteral("ttyACM"));
        for (const QString &s : devicesLike(QStringLiteral("ttyS")))
            if (hasRealUart(s))
                found << s;
        // Devices already named through the environment keep their name and
        // do not take a second one.
        int next = 0;
        for (int n = 1; n <= MaxPorts; ++n) {
            if (!devs[n].isEmpty())
                continue;
            while (next < found.size() && named.contains(found.at(next)))
                ++next;
            if (next >= found.size())
                break;
            devs[n] = found.at(next++);
        }
    }
    QList<PortMapping> out;
    for (int n = 1; n <= MaxPorts; ++n)
        if (!devs[n].isEmpty())
            out.append({QStringLiteral("COM%1").arg(n), devs[n]});
    return out;
}

QString deviceForPort(const QString &comName)
{
    const QString name = normalisePortName(comName);
    const int n = name.mid(3).toInt();
    // The common case (and every test) names the device directly: no need
    // to look at the hardware at all.
    const QString direct = fromEnvironment(n);
    if (!direct.isEmpty())
        return direct;
    for (const PortMapping &m : systemPorts())
        if (m.name == name)
            return m.device;
    return {};
}
