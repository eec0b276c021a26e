// SPDX-License-Identifier: GPL-2.0-or-later
#include "Faults.h"

QString Faults::add(const QString &option)
{
    const int colon = option.indexOf(QLatin1Char(':'));
    const QString kind = colon < 0 ? option : option.left(colon);
    const QString arg = colon < 0 ? QString() : option.mid(colon + 1);
    auto noArg = [&](bool &flag) {
        if (colon >= 0)
            return QStringLiteral("fault \"%1\" takes no argument").arg(kind);
        flag = true;
        return QString();
    };
    auto needCmd = [&]() {
        return colon < 0 ? QStringLiteral("fault \"%1\" needs a command, e.g. %1:AT+CGMM").arg(kind) : QString();
    };

    if (kind == QLatin1String("silent"))
        return noArg(silent);
    if (kind == QLatin1String("stall-frame"))
        return noArg(stallFrame);
    if (kind == QLatin1String("no-prompt"))
        return noArg(noPrompt);
    if (kind == QLatin1String("binary-silent"))
        return noArg(binarySilent);
    if (kind == QLatin1String("aq-silent"))
        return noArg(aqSilent);
    if (kind == QLatin1String("error")) {
        if (const QString e = needCmd(); !e.isEmpty())
            return e;
        error.append(CommandFault{CommandFault::normalise(arg)});
        return {};
    }
    if (kind == QLatin1String("mute")) {
        if (const QString e = needCmd(); !e.isEmpty())
            return e;
        mute.append(CommandFault{CommandFault::normalise(arg)});
        return {};
    }
    if (kind == QLatin1String("hangup-after")) {
        if (const QString e = needCmd(); !e.isEmpty())
            return e;
        hangupAfter.append(CommandFault{CommandFault::normalise(arg)});
        return {};
    }
    if (kind == QLatin1String("cme")) {
        const int last = arg.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const int code = last < 0 ? 0 : arg.mid(last + 1).toInt(&ok);
        if (colon < 0 || last < 0 || !ok || code < 0)
            return QStringLiteral("fault \"cme\" needs a command and a code, e.g. cme:AT+CPBR:21");
        cme.append(CommandFault{CommandFault::normalise(arg.left(last)), code});
        return {};
    }
    if (kind == QLatin1String("trickle")) {
        bool ok = false;
        const int ms = arg.toInt(&ok);
        if (!ok || ms < 1 || ms > 10000)
            return QStringLiteral("fault \"trickle\" needs milliseconds from 1 to 10000, e.g. trickle:5");
        trickleMs = ms;
        return {};
    }
    if (const std::optional<QString> e = noise.add(kind, arg, colon >= 0))
        return *e;
    return QStringLiteral("unknown fault \"%1\" (known: silent, error:CMD, cme:CMD:N, mute:CMD, hangup-after:CMD, "
                          "trickle:MS, stall-frame, no-prompt, binary-silent, aq-silent, "
                          "garbage:CMD, cut:CMD)").arg(kind);
}
