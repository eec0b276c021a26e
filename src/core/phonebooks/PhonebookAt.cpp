// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/PhonebookAt.h"

#include "core/at/Quoted.h"
#include "core/at/ReplyParse.h"

namespace PhonebookAt {

QByteArray selectCommand(Book book)
{
    return book == Book::Phone ? QByteArrayLiteral("AT+CPBS=\"ME\"\r\n") : QByteArrayLiteral("AT+CPBS=\"SM\"\r\n");
}

QByteArray selectCommand(const QByteArray &book)
{
    return "AT+CPBS=\"" + quoted(book) + "\"\r\n";
}

QByteArray readCommand(int location)
{
    return "AT+CPBR=" + QByteArray::number(location) + "\r\n";
}

namespace {
// The text between the first two quotes; none when the number never closes
// (what follows would be the rest of the reply, "OK" included).
QByteArray number(const QByteArray &reply, qsizetype *close)
{
    const qsizetype open = reply.indexOf('"');
    *close = open < 0 ? -1 : reply.indexOf('"', open + 1);
    return *close < 0 ? QByteArray() : Reply::trimmed(reply.mid(open + 1, *close - open - 1));
}

// Whether the field after the number's closing quote is the type 145. Only
// that field counts: ",145," inside a name says nothing about the number.
bool international(const QByteArray &reply, qsizetype close)
{
    if (close < 0 || close + 1 >= reply.size() || reply.at(close + 1) != ',')
        return false;
    const qsizetype end = reply.indexOf(',', close + 2);
    if (end < 0)
        return false;
    return Reply::trimmed(reply.mid(close + 2, end - close - 2)) == "145";
}

QByteArray name(const QByteArray &reply)
{
    QByteArray text = reply.left(MaxField);
    // The first ',"' opens the number; the next one, after the type, the name.
    const qsizetype numberOpens = text.indexOf(",\"");
    if (numberOpens < 0)
        return {};
    text[numberOpens] = ' ';
    const qsizetype nameOpens = text.indexOf(",\"");
    if (nameOpens < 0)
        return {};
    const qsizetype from = nameOpens + 2;
    const qsizetype closes = text.indexOf('"', from);
    if (closes < 0)
        return {};
    // A leading blank is the name's own (it sorts the entry first); the
    // padding some phones put after a name is not.
    QByteArray name = text.mid(from, closes - from);
    while (!name.isEmpty() && uchar(name.back()) <= ' ')
        name.chop(1);
    return name;
}
} // namespace

std::optional<PhonebookEntry> parseRead(const QByteArray &reply)
{
    if (!reply.contains('"'))
        return std::nullopt;
    PhonebookEntry entry;
    qsizetype close = -1;
    entry.number = number(reply, &close);
    if (international(reply, close) && !entry.number.isEmpty() && !entry.number.startsWith('+'))
        entry.number.prepend('+');
    entry.name = name(reply);
    return entry;
}

QByteArray writeCommand(int location, const PhonebookEntry &entry)
{
    // Trimmed before the "+" is looked for, so a cell starting with a blank
    // still sends its international number as type 145.
    QByteArray number = Reply::trimmed(entry.number.left(MaxField));
    QByteArray type = "129";
    if (number.startsWith('+')) {
        number = Reply::trimmed(number.mid(1));
        type = "145";
    }
    const QByteArray name = Reply::trimmed(entry.name.left(MaxField));
    return "AT+CPBW=" + QByteArray::number(location) + ",\"" + quoted(number) + "\"," + type + ",\""
           + quoted(name) + "\"\r\n";
}

} // namespace PhonebookAt
