// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/port/PortHolderScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

namespace PortHolderScan {

namespace {

QByteArray readSmall(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(4096);
}

QByteArray linkText(const QString &path)
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buf, sizeof buf);
    return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
}

} // namespace

PortAdvice::Diagnosis diagnose(const QString &device)
{
    using namespace PortAdvice;
    Diagnosis d;
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const qint64 self = ::getpid();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QString base = QStringLiteral("/proc/") + entry;
        const QDir fds(base + QStringLiteral("/fd"));
        // Unreadable for another user's process; gone if it just ended.
        const bool readable = fds.isReadable();
        bool holds = false;
        if (readable) {
            for (const QString &fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden)) {
                if (linkNamesDevice(linkText(fds.filePath(fd)), device, canonical)) {
                    holds = true;
                    break;
                }
            }
        }
        if (!holds && readable)
            continue;
        const Process p = fromProc(pid, readSmall(base + QStringLiteral("/comm")),
                                   readSmall(base + QStringLiteral("/cmdline")));
        if (holds) {
            d.holders << p;
        } else {
            const Kind kind = kindOf(p);
            if (kind == Kind::ModemManager || kind == Kind::Brltty)
                d.suspects << p;
        }
    }
    d.usb = usbIdOf(device);
    return d;
}

std::optional<PortAdvice::UsbId> usbIdOf(const QString &device)
{
    const QString name = QFileInfo(QFileInfo(device).canonicalFilePath()).fileName();
    if (name.isEmpty())
        return std::nullopt;
    // ttyUSB sits below the adapter's interface, ttyACM on it: walk up to
    // the USB device that carries the ids.
    QString dir = QFileInfo(QStringLiteral("/sys/class/tty/%1/device").arg(name)).canonicalFilePath();
    for (int up = 0; up < 4 && !dir.isEmpty() && dir != QLatin1String("/"); ++up) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor")))
            return PortAdvice::usbId(readSmall(dir + QStringLiteral("/idVendor")),
                                     readSmall(dir + QStringLiteral("/idProduct")));
        dir = QFileInfo(dir).path();
    }
    return std::nullopt;
}

} // namespace PortHolderScan
