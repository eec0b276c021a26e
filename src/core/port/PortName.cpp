// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/port/PortName.h"

QString normalisePortName(const QString &name)
{
    QString rest = name;
    if (rest.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) == 0)
        rest = rest.mid(3);
    bool ok = false;
    const int n = rest.toInt(&ok, 10);
    return QStringLiteral("COM%1").arg(ok && n >= 1 && n <= 16 ? n : 1);
}

int portNumberForBook(const QString &name)
{
    static const QString names[] = {"COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
    for (int i = 0; i < 7; ++i)
        if (name == names[i])
            return i + 2;
    return 1;
}
