// SPDX-License-Identifier: GPL-2.0-or-later
#include "NoiseFaults.h"

namespace {

bool anyMatches(const QList<CommandFault> &faults, const QString &upperRest)
{
    for (const CommandFault &f : faults)
        if (f.matches(upperRest))
            return true;
    return false;
}

} // namespace

std::optional<QString> NoiseFaults::add(const QString &kind, const QString &arg, bool hasArg)
{
    QList<CommandFault> *list = kind == QLatin1String("garbage") ? &garbage
                                : kind == QLatin1String("cut")   ? &cut
                                                                 : nullptr;
    if (!list)
        return std::nullopt;
    if (!hasArg)
        return QStringLiteral("fault \"%1\" needs a command, e.g. %1:AT+CGMM").arg(kind);
    list->append(CommandFault{CommandFault::normalise(arg)});
    return QString();
}

bool NoiseFaults::garbles(const QString &upperRest) const
{
    return anyMatches(garbage, upperRest);
}

bool NoiseFaults::cuts(const QString &upperRest) const
{
    return anyMatches(cut, upperRest);
}

QByteArray NoiseFaults::noise()
{
    static const char bytes[] = "\xff\x00\x7f\x13\x11#~\x1b[0m\x02\x05\xfe\r\n"
                                "+CM\xe9 ER\r\n\x06\x15GA*RB@GE\r\n\x80\x1a";
    return QByteArray(bytes, int(sizeof bytes) - 1);
}

QByteArray NoiseFaults::firstHalf(const QByteArray &answer)
{
    if (answer.size() < 2)
        return {};
    return answer.left(answer.size() / 2);
}
