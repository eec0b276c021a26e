// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/PhonebookRange.h"

#include <QRegularExpression>
#include <QStringList>

#include "core/at/ReplyParse.h"

namespace PhonebookAt {

std::optional<Range> parseRange(const QByteArray &reply)
{
    static const QRegularExpression re(QStringLiteral(
        "\\+CPBR:\\s*\\(\\s*(\\d{1,4})\\s*-\\s*(\\d{1,4})\\s*\\)(?:\\s*,\\s*(\\d{0,4})(?:\\s*,\\s*(\\d{1,4}))?)?"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(reply));
    if (!m.hasMatch())
        return std::nullopt;
    const int first = m.captured(1).toInt();
    const int last = m.captured(2).toInt();
    if (first < 1 || last < first)
        return std::nullopt;
    return Range{first, last, m.captured(3).toInt(), m.captured(4).toInt()};
}

Limits limitsOf(const std::optional<Range> &range)
{
    Limits limits;
    if (!range)
        return limits;
    limits.last = range->last;
    if (range->numberLength > 0)
        limits.number = range->numberLength;
    if (range->nameLength > 0)
        limits.name = range->nameLength;
    return limits;
}

int numberLength(const QByteArray &number)
{
    QByteArray digits = Reply::trimmed(number);
    if (digits.startsWith('+'))
        digits = Reply::trimmed(digits.mid(1));
    return int(digits.size());
}

Fitted fitted(const PhonebookEntry &entry, const Limits &limits)
{
    if (numberLength(entry.number) > limits.number)
        return {};
    PhonebookEntry out = entry;
    // The write trims the name; it is measured as it will be sent.
    QByteArray name = Reply::trimmed(entry.name);
    const bool cut = name.size() > limits.name;
    if (cut)
        out.name = Reply::trimmed(name.left(limits.name));
    return {out, cut};
}

QString locationList(const QList<int> &locations, int named)
{
    QStringList shown;
    for (qsizetype k = 0; k < qMin<qsizetype>(named, locations.size()); ++k)
        shown << QString::number(locations[k]);
    QString text = shown.join(QStringLiteral(", "));
    if (locations.size() > named)
        text += QStringLiteral(" and %1 more").arg(locations.size() - named);
    return text;
}

} // namespace PhonebookAt
