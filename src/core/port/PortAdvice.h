// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Who holds a serial device, told in words: the program and its process
// number, and what the user can do about it. The facts come from /proc and
// sysfs (link/port/PortHolderScan); turning them into advice is pure logic here.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace PortAdvice {

// The holders users run into, each with its own remedy.
enum class Kind { ModemManager, Brltty, Mirvak, Terminal, Other };

struct Process {
    qint64 pid = 0;
    QString program;     // the kernel's short name (comm), else argv[0]'s file name
    QStringList arguments;
};

// From the texts of /proc/PID/comm and /proc/PID/cmdline (NUL-separated).
Process fromProc(qint64 pid, const QByteArray &comm, const QByteArray &cmdline);
Kind kindOf(const Process &process);

// Whether a descriptor's link text (/proc/PID/fd/N) is the device, named by
// its own path or by the path a symlink to it resolves to.
bool linkNamesDevice(const QByteArray &linkTarget, const QString &device, const QString &canonicalDevice);

// A USB adapter's vendor and product as sysfs spells them (idVendor and
// idProduct: four hex digits).
struct UsbId {
    QString vendor;
    QString product;
    friend bool operator==(const UsbId &, const UsbId &) = default;
};
std::optional<UsbId> usbId(const QByteArray &idVendor, const QByteArray &idProduct);

struct Diagnosis {
    // Processes seen holding the device.
    QList<Process> holders;
    // Known holders that run but whose descriptors this user may not read
    // (ModemManager and brltty run as root): named as likely holders when
    // no holder could be seen.
    QList<Process> suspects;
    std::optional<UsbId> usb;
};

// "ModemManager (PID 812)"
QString name(const Process &process);
// What to do about one kind of holder of `device`.
QString advice(Kind kind, const Process &process, const std::optional<UsbId> &usb);
// The reason a busy open failed, to follow "device: ": who holds it and what
// to do, or "in use by another program" when nobody could be named.
QString busyText(const Diagnosis &diagnosis);
// The short form for a list of ports: "busy (held by ModemManager (PID 812))".
QString busyShort(const Diagnosis &diagnosis);

} // namespace PortAdvice
