// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/port/PortAdvice.h"

#include <QRegularExpression>

namespace PortAdvice {

namespace {

// Programs that open a serial line for a person at a keyboard.
const QStringList &terminalPrograms()
{
    static const QStringList names{"minicom", "picocom", "microcom", "screen", "tio", "cu", "putty",
                                   "gtkterm", "cutecom", "moserial", "miniterm", "miniterm.py", "kermit",
                                   "ckermit", "socat", "tmux", "serialterm"};
    return names;
}

QString baseName(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

// What the process would be called in a process list: its own name first,
// then what it runs (a Python terminal shows as "python3" in comm).
QStringList namesOf(const Process &process)
{
    QStringList names{process.program.toLower()};
    for (int i = 0; i < process.arguments.size() && i < 3; ++i) {
        const QString arg = process.arguments.at(i);
        if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-m"))
            continue;
        names << baseName(arg).toLower();
    }
    return names;
}

QString rule(const std::optional<UsbId> &usb)
{
    const QString vendor = usb ? usb->vendor : QStringLiteral("VVVV");
    const QString product = usb ? usb->product : QStringLiteral("PPPP");
    return QStringLiteral("ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"")
        .arg(vendor, product);
}

QString adapterWords(const std::optional<UsbId> &usb)
{
    return usb ? QStringLiteral("vendor %1, product %2").arg(usb->vendor, usb->product)
               : QStringLiteral("vendor and product as lsusb shows them");
}

bool isHex4(const QByteArray &text)
{
    static const QRegularExpression re(QStringLiteral("^[0-9a-fA-F]{4}$"));
    return re.match(QString::fromLatin1(text)).hasMatch();
}

QString names(const QList<Process> &processes)
{
    QStringList out;
    for (const Process &p : processes)
        out << name(p);
    return out.join(QStringLiteral(", "));
}

// One piece of advice per kind of holder, in the order they were found.
QString adviceFor(const QList<Process> &processes, const std::optional<UsbId> &usb)
{
    QStringList out;
    QList<Kind> told;
    for (const Process &p : processes) {
        const Kind kind = kindOf(p);
        if (told.contains(kind) && kind != Kind::Terminal && kind != Kind::Other)
            continue;
        told << kind;
        const QString text = advice(kind, p, usb);
        if (!out.contains(text))
            out << text;
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

Process fromProc(qint64 pid, const QByteArray &comm, const QByteArray &cmdline)
{
    Process p;
    p.pid = pid;
    QByteArray args = cmdline;
    while (args.endsWith('\0'))
        args.chop(1);
    if (!args.isEmpty()) {
        for (const QByteArray &a : args.split('\0'))
            p.arguments << QString::fromLocal8Bit(a);
    }
    p.program = QString::fromLocal8Bit(comm.trimmed());
    if (p.program.isEmpty() && !p.arguments.isEmpty())
        p.program = baseName(p.arguments.first());
    if (p.program.isEmpty())
        p.program = QStringLiteral("an unnamed program");
    return p;
}

Kind kindOf(const Process &process)
{
    const QStringList names = namesOf(process);
    for (const QString &n : names) {
        if (n == QLatin1String("modemmanager"))
            return Kind::ModemManager;
        if (n == QLatin1String("brltty"))
            return Kind::Brltty;
        if (n == QLatin1String("mirvak") || n == QLatin1String("mirvak-cli"))
            return Kind::Mirvak;
    }
    for (const QString &n : names)
        if (terminalPrograms().contains(n))
            return Kind::Terminal;
    return Kind::Other;
}

bool linkNamesDevice(const QByteArray &linkTarget, const QString &device, const QString &canonicalDevice)
{
    if (linkTarget.isEmpty() || !linkTarget.startsWith('/'))
        return false; // sockets, pipes, anonymous inodes
    const QString target = QString::fromLocal8Bit(linkTarget);
    return (!device.isEmpty() && target == device) || (!canonicalDevice.isEmpty() && target == canonicalDevice);
}

std::optional<UsbId> usbId(const QByteArray &idVendor, const QByteArray &idProduct)
{
    const QByteArray v = idVendor.trimmed();
    const QByteArray p = idProduct.trimmed();
    if (!isHex4(v) || !isHex4(p))
        return std::nullopt;
    return UsbId{QString::fromLatin1(v).toLower(), QString::fromLatin1(p).toLower()};
}

QString name(const Process &process)
{
    return QStringLiteral("%1 (PID %2)").arg(process.program).arg(process.pid);
}

QString advice(Kind kind, const Process &process, const std::optional<UsbId> &usb)
{
    switch (kind) {
    case Kind::ModemManager:
        return QStringLiteral("ModemManager probes serial adapters as modems. Tell it to leave this adapter (%1) "
                              "alone with a udev rule, e.g. in /etc/udev/rules.d/99-mirvak.rules:\n  %2\n"
                              "then run \"sudo udevadm control --reload\" and plug the cable in again; "
                              "or stop the service: \"sudo systemctl stop ModemManager\".")
            .arg(adapterWords(usb), rule(usb));
    case Kind::Brltty:
        return QStringLiteral("brltty takes some USB serial adapters for braille displays. Without a braille "
                              "display, remove it (\"sudo apt remove brltty\"); else remove its udev rule for this "
                              "adapter (%1) from /usr/lib/udev/rules.d/85-brltty.rules and plug the cable in again.")
            .arg(adapterWords(usb));
    case Kind::Mirvak:
        return QStringLiteral("Another Mirvak uses the port: close it first.");
    case Kind::Terminal:
        return QStringLiteral("Close the terminal program %1 first.").arg(process.program);
    case Kind::Other:
        break;
    }
    return QStringLiteral("Close %1 first, or choose another port.").arg(process.program);
}

QString busyText(const Diagnosis &diagnosis)
{
    if (!diagnosis.holders.isEmpty())
        return QStringLiteral("in use by %1. %2").arg(names(diagnosis.holders), adviceFor(diagnosis.holders, diagnosis.usb));
    if (!diagnosis.suspects.isEmpty())
        return QStringLiteral("in use by another program; %1 runs and may hold it (its open files are not "
                              "readable to you). %2")
            .arg(names(diagnosis.suspects), adviceFor(diagnosis.suspects, diagnosis.usb));
    return QStringLiteral("in use by another program");
}

QString busyShort(const Diagnosis &diagnosis)
{
    if (!diagnosis.holders.isEmpty())
        return QStringLiteral("busy (held by %1)").arg(names(diagnosis.holders));
    if (!diagnosis.suspects.isEmpty())
        return QStringLiteral("busy (held by another program; %1 runs)").arg(names(diagnosis.suspects));
    return QStringLiteral("busy (held by another program)");
}

} // namespace PortAdvice
