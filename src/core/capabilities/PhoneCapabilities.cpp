// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/capabilities/PhoneCapabilities.h"

#include <QRegularExpression>

#include <algorithm>

namespace CapabilityAt {

namespace {
// A name a phone gives a book, store, set or mode.
bool capPlainItem(const QByteArray &item)
{
    if (item.isEmpty() || item.size() > 16)
        return false;
    for (char c : item)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
              || c == '.'))
            return false;
    return true;
}

void capAddItem(QStringList &list, QByteArray item)
{
    item = item.trimmed();
    if (item.size() >= 2 && item.startsWith('"') && item.endsWith('"'))
        item = item.mid(1, item.size() - 2).trimmed();
    if (capPlainItem(item))
        list << QString::fromLatin1(item);
}

// The line after `prefix`, up to its end.
std::optional<QByteArray> capLineAfter(const QByteArray &reply, const QByteArray &prefix)
{
    const qsizetype at = reply.indexOf(prefix);
    if (at < 0)
        return std::nullopt;
    QByteArray line = reply.mid(at + prefix.size());
    const qsizetype end = line.indexOf('\n');
    if (end >= 0)
        line.truncate(end);
    return line.replace('\r', ' ').replace('\0', ' ');
}

QStringList capOnceEach(const QStringList &items)
{
    QStringList out;
    for (const QString &i : items)
        if (!out.contains(i.toUpper()))
            out << i.toUpper();
    return out;
}
} // namespace

std::optional<QList<QStringList>> parseLists(const QByteArray &reply, const QByteArray &prefix)
{
    const std::optional<QByteArray> line = capLineAfter(reply, prefix);
    if (!line)
        return std::nullopt;
    QList<QStringList> lists;
    if (!line->contains('(')) {
        QStringList one;
        for (const QByteArray &item : line->split(','))
            capAddItem(one, item);
        lists << one;
        return lists;
    }
    // Commas and brackets inside quotes belong to the item.
    QStringList current;
    QByteArray item;
    bool inList = false, inQuotes = false;
    for (char c : *line) {
        if (c == '"')
            inQuotes = !inQuotes;
        if (inQuotes) {
            if (inList)
                item += c;
            continue;
        }
        if (c == '(' && !inList) {
            inList = true;
            current.clear();
            item.clear();
        } else if (c == ')' && inList) {
            capAddItem(current, item);
            lists << current;
            inList = false;
        } else if (c == ',' && inList) {
            capAddItem(current, item);
            item.clear();
        } else if (inList) {
            item += c;
        }
    }
    return lists;
}

namespace {
// The first list after `prefix`, upper case, each name once.
std::optional<QStringList> capFirstList(const QByteArray &reply, const QByteArray &prefix)
{
    const auto lists = parseLists(reply, prefix);
    if (!lists)
        return std::nullopt;
    return capOnceEach(lists->value(0));
}
} // namespace

std::optional<QStringList> parseBooks(const QByteArray &reply)
{
    return capFirstList(reply, "+CPBS:");
}

std::optional<QList<QStringList>> parseStores(const QByteArray &reply)
{
    auto lists = parseLists(reply, "+CPMS:");
    if (!lists || lists->isEmpty())
        return std::nullopt;
    for (QStringList &l : *lists)
        l = capOnceEach(l);
    return lists;
}

std::optional<QStringList> parseCharsets(const QByteArray &reply)
{
    return capFirstList(reply, "+CSCS:");
}

std::optional<QList<int>> parseFormats(const QByteArray &reply)
{
    const std::optional<QByteArray> line = capLineAfter(reply, "+CMGF:");
    if (!line)
        return std::nullopt;
    // Only the two modes there are: a range is read as the modes it spans.
    static const QRegularExpression part(QStringLiteral("(\\d{1,3})(?:\\s*-\\s*(\\d{1,3}))?"));
    QList<int> modes;
    for (auto it = part.globalMatch(QString::fromLatin1(*line)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int from = m.captured(1).toInt();
        const int to = m.captured(2).isEmpty() ? from : m.captured(2).toInt();
        for (int mode : {0, 1})
            if (mode >= from && mode <= to && !modes.contains(mode))
                modes << mode;
    }
    std::sort(modes.begin(), modes.end());
    return modes;
}

std::optional<QByteArray> parseIdentity(const QByteArray &reply)
{
    static const QRegularExpression serial(QStringLiteral("^\\s*(\\d{8,20})\\s*$"),
                                           QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = serial.match(QString::fromLatin1(reply).remove(QChar(u'\0')));
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toLatin1();
}

} // namespace CapabilityAt

namespace {
Offer capOffered(const std::optional<QStringList> &names, const QString &name)
{
    if (!names)
        return Offer::Unknown;
    return names->contains(name.toUpper()) ? Offer::Yes : Offer::No;
}

QString capBookCaption(const QString &book)
{
    static const QMap<QString, QString> captions{
        {QStringLiteral("SM"), QStringLiteral("SIM")},
        {QStringLiteral("ME"), QStringLiteral("phone memory")},
        {QStringLiteral("DC"), QStringLiteral("dialled calls")},
        {QStringLiteral("LD"), QStringLiteral("last dialled")},
        {QStringLiteral("MC"), QStringLiteral("missed calls")},
        {QStringLiteral("RC"), QStringLiteral("received calls")},
        {QStringLiteral("ON"), QStringLiteral("own numbers")},
        {QStringLiteral("FD"), QStringLiteral("fixed dialling")},
        {QStringLiteral("EN"), QStringLiteral("emergency numbers")},
    };
    return captions.value(book);
}

QString capUnknown(const char *command)
{
    return QStringLiteral("unknown (the phone did not answer %1)").arg(QLatin1String(command));
}

QString capNames(const QStringList &list)
{
    return list.isEmpty() ? QStringLiteral("none") : list.join(QStringLiteral(", "));
}
} // namespace

Offer PhoneCapabilities::book(const QString &name) const
{
    return capOffered(books, name);
}

Offer PhoneCapabilities::store(const QString &name) const
{
    return capOffered(stores ? std::optional(stores->value(0)) : std::nullopt, name);
}

Offer PhoneCapabilities::pduMode() const
{
    if (!formats)
        return Offer::Unknown;
    return formats->contains(0) ? Offer::Yes : Offer::No;
}

QStringList PhoneCapabilities::report() const
{
    QStringList lines;
    lines << QStringLiteral("Phone: %1").arg(imei.isEmpty() ? QStringLiteral("no serial number given")
                                                           : QStringLiteral("IMEI %1").arg(QString::fromLatin1(imei)));
    lines << QStringLiteral("Phonebooks: %1").arg(books ? capNames(*books) : capUnknown("AT+CPBS=?"));
    for (const QString &book : books.value_or(QStringList())) {
        const QString caption = capBookCaption(book);
        const QString name = caption.isEmpty() ? book : QStringLiteral("%1 (%2)").arg(book, caption);
        if (!bookSizes.contains(book)) {
            lines << QStringLiteral("  %1: size unknown").arg(name);
            continue;
        }
        const PhonebookAt::Range r = bookSizes.value(book);
        QString line = QStringLiteral("  %1: locations %2-%3").arg(name).arg(r.first).arg(r.last);
        if (r.numberLength > 0)
            line += QStringLiteral(", numbers of %1").arg(r.numberLength);
        if (r.nameLength > 0)
            line += QStringLiteral(", names of %1").arg(r.nameLength);
        lines << line;
    }
    if (stores) {
        static const char *const roles[] = {"read from", "written to", "received into"};
        QStringList parts;
        for (int k = 0; k < 3 && k < stores->size(); ++k)
            parts << QStringLiteral("%1 %2").arg(QLatin1String(roles[k]), capNames(stores->at(k)));
        lines << QStringLiteral("Message stores: %1").arg(parts.join(QStringLiteral("; ")));
    } else {
        lines << QStringLiteral("Message stores: %1").arg(capUnknown("AT+CPMS=?"));
    }
    lines << QStringLiteral("Character sets: %1").arg(charsets ? capNames(*charsets) : capUnknown("AT+CSCS=?"));
    QString modes = capUnknown("AT+CMGF=?");
    if (formats) {
        const bool pdu = formats->contains(0), text = formats->contains(1);
        modes = pdu && text ? QStringLiteral("PDU and text")
                : pdu       ? QStringLiteral("PDU")
                : text      ? QStringLiteral("text only")
                            : QStringLiteral("none");
    }
    lines << QStringLiteral("Message formats: %1").arg(modes);
    return lines;
}

QString lackedBookText(const QString &book)
{
    if (book == QLatin1String("ME"))
        return QStringLiteral("The phone has no phone-memory book (ME)");
    if (book == QLatin1String("SM"))
        return QStringLiteral("The phone has no SIM book (SM)");
    const QString caption = capBookCaption(book);
    return caption.isEmpty() ? QStringLiteral("The phone has no %1 book").arg(book)
                             : QStringLiteral("The phone has no %1 list (%2)").arg(caption, book);
}

QString lackedStoreText(const QString &store)
{
    if (store == QLatin1String("ME"))
        return QStringLiteral("The phone keeps no messages in its own memory (ME)");
    if (store == QLatin1String("SM"))
        return QStringLiteral("The phone keeps no messages on the SIM (SM)");
    return QStringLiteral("The phone has no message store %1").arg(store);
}
