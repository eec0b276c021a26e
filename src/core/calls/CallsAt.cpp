// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/calls/CallsAt.h"

#include "core/at/Quoted.h"
#include "core/at/ReplyParse.h"
#include "core/capabilities/PhoneCapabilities.h"

#include <QRegularExpression>

namespace CallsAt {

QString caption(List list)
{
    switch (list) {
    case List::Dialled: return QStringLiteral("Dialled");
    case List::Missed: return QStringLiteral("Missed");
    case List::Received: return QStringLiteral("Received");
    case List::Own: return QStringLiteral("Own number");
    case List::Fixed: return QStringLiteral("Fixed dialling");
    case List::Emergency: return QStringLiteral("Emergency");
    }
    return {};
}

QString word(List list)
{
    switch (list) {
    case List::Dialled: return QStringLiteral("dialled");
    case List::Missed: return QStringLiteral("missed");
    case List::Received: return QStringLiteral("received");
    case List::Own: return QStringLiteral("own");
    case List::Fixed: return QStringLiteral("fixed");
    case List::Emergency: return QStringLiteral("emergency");
    }
    return {};
}

std::optional<List> fromWord(const QString &text)
{
    for (List l : AllLists)
        if (word(l) == text.trimmed().toLower())
            return l;
    return std::nullopt;
}

QStringList parseBooks(const QByteArray &reply)
{
    return CapabilityAt::parseBooks(reply).value_or(QStringList());
}

std::optional<QByteArray> bookFor(List list, const QStringList &books)
{
    auto has = [&](const char *b) { return books.contains(QLatin1String(b)); };
    switch (list) {
    case List::Dialled:
        // Some phones keep the dialled calls as "LD" only.
        if (has("DC"))
            return QByteArray("DC");
        if (has("LD"))
            return QByteArray("LD");
        return std::nullopt;
    case List::Missed: return has("MC") ? std::optional(QByteArray("MC")) : std::nullopt;
    case List::Received: return has("RC") ? std::optional(QByteArray("RC")) : std::nullopt;
    case List::Own: return has("ON") ? std::optional(QByteArray("ON")) : std::nullopt;
    case List::Fixed: return has("FD") ? std::optional(QByteArray("FD")) : std::nullopt;
    case List::Emergency: return has("EN") ? std::optional(QByteArray("EN")) : std::nullopt;
    }
    return std::nullopt;
}

QList<List> offered(const QStringList &books)
{
    QList<List> lists;
    for (List l : AllLists)
        if (bookFor(l, books))
            lists << l;
    return lists;
}

QByteArray readCommand(int first, int last)
{
    return "AT+CPBR=" + QByteArray::number(first) + ',' + QByteArray::number(last) + "\r\n";
}

QList<Entry> parseEntries(const QByteArray &reply)
{
    // +CPBR: n,"number",type,"name"[,"time"]: the quoted fields end at the
    // next quote, as the phone writes them.
    static const QRegularExpression line(QStringLiteral(
        "^\\+CPBR:\\s*(\\d{1,5})\\s*,\\s*\"([^\"]*)\"\\s*(?:,\\s*(\\d{1,3})\\s*)?(?:,\\s*\"([^\"]*)\")?"
        "(?:\\s*,\\s*\"([^\"]*)\")?"));
    QByteArray clean = reply;
    clean.replace('\0', QByteArray());
    QList<Entry> entries;
    for (const QByteArray &raw : clean.split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(Reply::trimmed(raw)));
        if (!m.hasMatch())
            continue;
        Entry e;
        e.location = m.captured(1).toInt();
        e.number = Reply::trimmed(m.captured(2).toLatin1());
        if (m.captured(3) == QLatin1String("145") && !e.number.isEmpty() && !e.number.startsWith('+'))
            e.number.prepend('+');
        e.name = Reply::trimmed(m.captured(4).toLatin1());
        e.time = Reply::trimmed(m.captured(5).toLatin1());
        entries << e;
    }
    return entries;
}

std::optional<Counts> parseSelected(const QByteArray &reply)
{
    static const QRegularExpression re(QStringLiteral("\\+CPBS:\\s*\"[^\"]*\"\\s*,\\s*(\\d{1,5})\\s*,\\s*(\\d{1,5})"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(reply));
    if (!m.hasMatch())
        return std::nullopt;
    return Counts{m.captured(1).toInt(), m.captured(2).toInt()};
}

std::optional<QByteArray> dialNumber(const QString &typed)
{
    QByteArray out;
    bool digit = false;
    for (const QChar c : typed.trimmed()) {
        const char l = c.toLatin1();
        if (c == u' ' || c == u'-' || c == u'(' || c == u')' || c == u'.')
            continue;
        if (l == '+' && out.isEmpty()) {
            out += l;
        } else if (l >= '0' && l <= '9') {
            out += l;
            digit = true;
        } else if (l == '*' || l == '#' || l == 'p' || l == 'P' || l == 'w' || l == 'W') {
            out += char(QChar::toLower(uint(l)));
        } else {
            return std::nullopt;
        }
    }
    if (!digit || out.size() > 40)
        return std::nullopt;
    return out;
}

QByteArray dialCommand(const QByteArray &number)
{
    // dialNumber let nothing else through; quoted() is the guard all the same.
    return "ATD" + quoted(number) + ";\r\n";
}

} // namespace CallsAt
