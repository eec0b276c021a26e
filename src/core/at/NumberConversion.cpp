// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/at/NumberConversion.h"

namespace {
constexpr qsizetype MaxWork = 255;
}

QByteArray numberTophone(const QByteArray &typed)
{
    QByteArray input = typed.left(MaxWork);
    if (input.isEmpty())
        input = "   ";
    QByteArray suffix = "\",129";
    if (input.startsWith('+')) {
        input.remove(0, 1);
        suffix = "\",145";
    }
    QByteArray out;
    for (char c : input) {
        if ((c >= '0' && c <= '9') || c == '+')
            out.append(c);
    }
    return out + suffix;
}

QByteArray numberfromphone(const QByteArray &reply, bool abortRequested)
{
    if (reply.isEmpty() || abortRequested)
        return {};
    const qsizetype open = reply.indexOf('"');
    if (open < 0)
        return {};
    const QByteArray after = reply.mid(open + 1, MaxWork);
    const qsizetype close = after.indexOf('"');
    if (close < 0)
        return {};
    QByteArray number = after.left(close);
    // A phone that already writes the "+" of a type-145 number would
    // otherwise show "++"; the number is then shown as it came.
    if (reply.contains(",145") && !number.startsWith('+'))
        number.prepend('+');
    return number;
}
