// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/io/BoundedRead.h"

namespace BoundedRead {

QByteArray atMost(QIODevice &in, qint64 limit)
{
    constexpr qint64 Chunk = 64 * 1024;
    QByteArray out;
    if (!in.isSequential())
        out.reserve(qsizetype(qBound<qint64>(0, in.size() - in.pos(), limit)));
    while (out.size() < limit) {
        const QByteArray more = in.read(qMin(Chunk, limit - out.size()));
        if (more.isEmpty())
            break;
        out += more;
    }
    return out;
}

} // namespace BoundedRead
