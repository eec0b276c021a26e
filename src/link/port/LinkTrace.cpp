// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/port/LinkTrace.h"

#include "core/at/SecretMask.h"

#include <QFile>
#include <QTime>

namespace LinkTrace {
namespace {

QString tracePath()
{
    return QString::fromLocal8Bit(qgetenv("MIRVAK_TRACE"));
}

// Kept open between lines; reopened when the variable names another file.
QFile &traceFile()
{
    static QFile file;
    const QString path = tracePath();
    if (file.fileName() != path || !file.isOpen()) {
        file.close();
        file.setFileName(path);
        if (!path.isEmpty())
            file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    }
    return file;
}

void writeLine(const QByteArray &text)
{
    QFile &f = traceFile();
    if (!f.isOpen())
        return;
    f.write(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")).toLatin1() + ' ' + text + '\n');
    f.flush();
}

} // namespace

bool enabled()
{
    return !qEnvironmentVariableIsEmpty("MIRVAK_TRACE");
}

void op(const QString &what)
{
    if (enabled())
        writeLine(what.toUtf8());
}

void bytes(char direction, const QByteArray &raw)
{
    if (!enabled() || raw.isEmpty())
        return;
    // The SIM's codes never reach the file: the command and the phone's
    // echo of it are each masked as they go by.
    static SecretMask toPhone, fromPhone;
    const QByteArray data = (direction == '>' ? toPhone : fromPhone).feed(raw);
    QByteArray line(1, direction);
    line += ' ';
    line += data.toHex(' ').toUpper();
    line += "  |";
    for (char c : data)
        line += (uchar(c) >= 0x20 && uchar(c) < 0x7F) ? c : '.';
    line += '|';
    writeLine(line);
}

} // namespace LinkTrace
