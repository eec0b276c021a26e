// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/at/Quoted.h"

QByteArray quoted(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = uchar(c);
        if (u < 0x20 || u == 0x7f || c == '"')
            continue;
        out.append(c);
    }
    return out;
}
