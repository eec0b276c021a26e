// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/RingList.h"

#include "core/at/Charset.h"
#include "core/at/Quoted.h"
#include "core/at/ReplyParse.h"

namespace RingList {
namespace {
bool allDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A code, or a bound of a range: one to three digits, blanks around allowed.
std::optional<int> bound(const QByteArray &text)
{
    const QByteArray t = Reply::trimmed(text);
    if (t.size() > 3 || !allDigits(t))
        return std::nullopt;
    return t.toInt();
}
} // namespace

Codes codes(const QByteArray &list)
{
    Codes out;
    const qsizetype end = list.indexOf(')');
    const QByteArray body = end < 0 ? list : list.left(end);
    const QList<QByteArray> elements = body.split(',');
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QByteArray element = Reply::trimmed(elements.at(i));
        const bool last = i == elements.size() - 1;
        if (const qsizetype dash = element.indexOf('-'); dash >= 0) {
            const std::optional<int> a = bound(element.left(dash));
            const std::optional<int> b = bound(element.mid(dash + 1));
            if (!a || !b || *a > *b)
                return out;
            for (int code = *a; code <= *b; ++code)
                out.items << QString::number(code);
            out.items << Separator;
            continue;
        }
        if (element.isEmpty())
            continue; // an empty element between two commas names no ring
        const std::optional<int> code = bound(element);
        if (!code)
            return out;
        out.items << QString::number(*code);
        // The phone's software puts no separator after a closing single code.
        if (!last)
            out.items << Separator;
    }
    out.complete = true;
    return out;
}

std::optional<Ranges> entryRanges(const QByteArray &reply)
{
    const qsizetype dash = reply.indexOf('-');
    if (dash < 0)
        return std::nullopt;
    // The upper bound of the entry range is read as two characters: "10"
    // of "(1-10)". A range "(1-5)" reads "5)", which is no number.
    const QByteArray count = Reply::trimmed(reply.mid(dash + 1, 2));
    if (!allDigits(count))
        return std::nullopt;
    qsizetype from = -1;
    for (int k = 0; k < 3; ++k) {
        from = reply.indexOf('(', from + 1);
        if (from < 0)
            return std::nullopt;
    }
    return Ranges{count.toInt(), codes(reply.mid(from + 1))};
}

std::optional<Codes> ringInfoCodes(const QByteArray &reply)
{
    const qsizetype open = reply.indexOf('(');
    if (!reply.contains('-') || open < 0)
        return std::nullopt;
    return codes(reply.mid(open + 1));
}

std::optional<Entry> entry(const QByteArray &reply)
{
    const qsizetype open = reply.indexOf('"');
    const qsizetype close = open < 0 ? -1 : reply.indexOf('"', open + 1);
    if (close < 0 || close == open + 1)
        return std::nullopt;
    Entry e;
    e.number = reply.mid(open + 1, close - open - 1);
    // After the number: ",type,ring" up to the end of the line.
    QByteArray rest = reply.mid(close + 1);
    if (const qsizetype eol = rest.indexOf('\r'); eol >= 0)
        rest.truncate(eol);
    const QList<QByteArray> fields = rest.split(',');
    const QByteArray type = Reply::trimmed(fields.value(1));
    if (!e.number.startsWith('+') && type == "145")
        e.number.prepend('+');
    const QByteArray ring = Reply::trimmed(fields.value(2));
    qsizetype n = 0;
    while (n < ring.size() && n < 3 && ring.at(n) >= '0' && ring.at(n) <= '9')
        ++n;
    e.ring = ring.left(n);
    return e;
}

QString line(int index, const std::optional<Entry> &entry)
{
    QString text = QString::number(index) + QStringLiteral(": ");
    if (entry)
        text += fromPhoneText(entry->number).leftJustified(12, QLatin1Char(' ')) + QStringLiteral(" - Ring ")
                + QString::fromLatin1(entry->ring);
    return text;
}

bool isRingCode(const QByteArray &code)
{
    return code.size() <= 3 && allDigits(code);
}

std::optional<QByteArray> writeCommand(int index, const QByteArray &typedNumber, const QByteArray &ring)
{
    QByteArray number = Reply::trimmed(typedNumber);
    const bool international = number.startsWith('+');
    if (international)
        number.remove(0, 1);
    number = quoted(Reply::trimmed(number));
    if (index < 1 || number.isEmpty() || !isRingCode(ring))
        return std::nullopt;
    return "AT*EPRW=" + QByteArray::number(index) + ",\"" + number + (international ? "\",145," : "\",129,") + ring
           + "\r\n";
}

std::optional<QByteArray> playCommand(const QByteArray &ring)
{
    if (!isRingCode(ring))
        return std::nullopt;
    return "AT*ERIP=6," + ring + "\r\n";
}

} // namespace RingList
