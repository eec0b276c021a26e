// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/at/ReplyParse.h"

namespace Reply {

namespace {
bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// Everything up to and including the first '"' turned into blanks; the reply
// itself when it holds none.
QByteArray blankThroughFirstQuote(const QByteArray &reply)
{
    QByteArray out = reply;
    const qsizetype q = out.indexOf('"');
    if (q >= 0)
        out.replace(0, q + 1, QByteArray(q + 1, ' '));
    return out;
}
} // namespace

QByteArray trimmed(const QByteArray &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && isBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QByteArray quotedField(const QByteArray &reply)
{
    if (!reply.contains('"'))
        return {};
    QByteArray work = blankThroughFirstQuote(reply);
    // No closing quote: the rest of the reply is the field.
    const qsizetype close = work.indexOf('"');
    if (close >= 0)
        work.truncate(close);
    return trimmed(work);
}

QByteArray textAfterEcho(const QByteArray &reply)
{
    if (reply.isEmpty())
        return {};
    qsizetype start = reply.indexOf('\n');
    if (start < 0)
        start = 0;
    const qsizetype len = reply.size() - 1 - start;
    return len > 0 ? trimmed(reply.mid(start, len)) : QByteArray();
}

QByteArray fixedColumns(const QByteArray &reply, int from, int to)
{
    if (from < 1)
        from = 1;
    if (to > reply.size())
        to = int(reply.size());
    if (to < from)
        return {};
    return trimmed(reply.mid(from - 1, to - from + 1));
}

std::optional<char> charAfter(const QByteArray &reply, char marker, int distance)
{
    const qsizetype at = reply.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    const qsizetype pos = at + distance;
    if (pos < 0 || pos >= reply.size())
        return std::nullopt;
    return reply[pos];
}

QByteArray textAfter(const QByteArray &reply, char marker, int count)
{
    const qsizetype at = reply.indexOf(marker);
    if (at < 0 || count <= 0)
        return {};
    return trimmed(reply.mid(at + 1, count));
}

QByteArray firstLine(const QByteArray &value)
{
    qsizetype end = 0;
    while (end < value.size() && value[end] != '\r' && value[end] != '\n')
        ++end;
    return value.left(end);
}

std::optional<QByteArray> network(const QByteArray &reply)
{
    if (!reply.contains('"'))
        return std::nullopt;
    return firstLine(quotedField(reply));
}

std::optional<QByteArray> imei(const QByteArray &reply)
{
    if (reply.size() < 24)
        return std::nullopt;
    return firstLine(fixedColumns(blankThroughFirstQuote(reply), 9, 27));
}

std::optional<Battery> battery(const QByteArray &reply)
{
    if (!reply.contains(','))
        return std::nullopt;
    const QByteArray field = textAfter(reply, ',', 3);
    // Digits with an optional sign only: anything else is no reading, and the
    // page keeps the gauge as it was.
    qsizetype i = (field.startsWith('-') || field.startsWith('+')) ? 1 : 0;
    if (i >= field.size())
        return std::nullopt;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return std::nullopt;
    }
    bool ok = false;
    const int v = field.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    if (v < 0 || v > 100)
        return Battery{0, false, v};
    return Battery{v, true, v};
}

std::optional<SignalLevel> signal(const QByteArray &reply)
{
    const std::optional<char> c = charAfter(reply, ',', 1);
    if (!c)
        return std::nullopt;
    const int v = (*c >= '0' && *c <= '5') ? *c - '0' : 0;
    return SignalLevel{v, *c};
}

std::optional<QByteArray> smsCentre(const QByteArray &reply)
{
    if (!reply.contains('"'))
        return std::nullopt;
    QByteArray work = trimmed(blankThroughFirstQuote(reply));
    qsizetype end = work.indexOf('"');
    if (end < 0)
        end = work.size();
    end = qMin<qsizetype>(end, 255);
    const QByteArray number = work.left(end);
    work.replace(0, end, QByteArray(end, ' '));
    const QByteArray rest = trimmed(work);
    const bool type145 = rest.size() >= 5 && rest[2] == '1' && rest[3] == '4' && rest[4] == '5';
    const QByteArray prefix = (type145 && !number.startsWith('+')) ? QByteArray("+") : QByteArray();
    return firstLine(trimmed(prefix + number));
}

} // namespace Reply
