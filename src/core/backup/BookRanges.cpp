// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/backup/BookRanges.h"

namespace BookRanges {

QByteArray readCommand(int first, int last)
{
    return "AT+CPBR=" + QByteArray::number(first) + ',' + QByteArray::number(last) + "\r\n";
}

QList<Line> parse(const QByteArray &reply)
{
    QList<Line> lines;
    for (QByteArray text : reply.split('\n')) {
        text = text.trimmed();
        if (!text.startsWith("+CPBR:"))
            continue;
        text = text.mid(6).trimmed();
        // location
        const qsizetype comma = text.indexOf(',');
        bool ok = false;
        Line line;
        line.location = text.left(comma).trimmed().toInt(&ok);
        if (comma < 0 || !ok || line.location < 1)
            continue;
        // "number"
        const qsizetype open = text.indexOf('"', comma);
        const qsizetype close = open < 0 ? -1 : text.indexOf('"', open + 1);
        if (close < 0)
            continue;
        line.number = text.mid(open + 1, close - open - 1);
        // ,type
        const qsizetype typeEnd = text.indexOf(',', close + 2);
        line.type = text.mid(close + 2, typeEnd < 0 ? -1 : typeEnd - close - 2).trimmed().toInt(&ok);
        if (close + 1 >= text.size() || text.at(close + 1) != ',' || !ok)
            continue;
        // ,"name" to the line's last quote
        const qsizetype nameOpen = typeEnd < 0 ? -1 : text.indexOf('"', typeEnd);
        const qsizetype nameClose = text.lastIndexOf('"');
        if (nameOpen >= 0 && nameClose > nameOpen)
            line.name = text.mid(nameOpen + 1, nameClose - nameOpen - 1);
        lines << line;
    }
    return lines;
}

} // namespace BookRanges
