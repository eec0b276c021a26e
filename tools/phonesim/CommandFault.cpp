// SPDX-License-Identifier: GPL-2.0-or-later
#include "CommandFault.h"

bool CommandFault::matches(const QString &upperRest) const
{
    if (command.isEmpty())
        return upperRest.isEmpty();
    return upperRest.startsWith(command);
}

QString CommandFault::normalise(QString cmd)
{
    cmd = cmd.trimmed().toUpper();
    if (cmd.startsWith(QLatin1String("AT")))
        cmd.remove(0, 2);
    return cmd;
}
