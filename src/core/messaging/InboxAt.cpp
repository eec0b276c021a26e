// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/InboxAt.h"

#include "core/at/Quoted.h"

namespace InboxAt {

namespace {

// The lines of a reply, each trimmed of blanks and control characters.
QList<QByteArray> lines(const QByteArray &reply)
{
    QList<QByteArray> out;
    for (const QByteArray &line : reply.split('\n')) {
        QByteArray t = line;
        while (!t.isEmpty() && uchar(t.back()) <= ' ')
            t.chop(1);
        while (!t.isEmpty() && uchar(t.front()) <= ' ')
            t.remove(0, 1);
        out << t;
    }
    return out;
}

// The fields after "tag:", split at commas outside quotes, each trimmed.
QList<QByteArray> fields(const QByteArray &line, const QByteArray &tag)
{
    QList<QByteArray> out;
    QByteArray field;
    bool inQuotes = false;
    for (const char c : line.mid(tag.size())) {
        if (c == '"')
            inQuotes = !inQuotes;
        if (c == ',' && !inQuotes) {
            out << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    out << field.trimmed();
    return out;
}

std::optional<int> number(const QByteArray &field)
{
    if (field.isEmpty() || field.size() > 6)
        return std::nullopt;
    for (const char c : field)
        if (c < '0' || c > '9')
            return std::nullopt;
    return field.toInt();
}

Status status(const QByteArray &field)
{
    if (const auto n = number(field); n && *n >= 0 && *n <= 3)
        return Status(*n);
    // Text mode's names, which some phones keep in their lists.
    static const char *const names[] = {"\"REC UNREAD\"", "\"REC READ\"", "\"STO UNSENT\"", "\"STO SENT\""};
    for (int k = 0; k < 4; ++k)
        if (field.toUpper() == names[k])
            return Status(k);
    return Unknown;
}

} // namespace

QByteArray storeName(Store store) { return store == Store::Phone ? "ME" : "SM"; }

QByteArray pduModeCommand() { return "AT+CMGF=0\r\n"; }
QByteArray storesCommand() { return "AT+CPMS=?\r\n"; }
QByteArray selectCommand(Store store) { return "AT+CPMS=\"" + quoted(storeName(store)) + "\"\r\n"; }
QByteArray storeQueryCommand() { return "AT+CPMS?\r\n"; }
QByteArray listCommand() { return "AT+CMGL=4\r\n"; }
QByteArray readCommand(int location) { return "AT+CMGR=" + QByteArray::number(location) + "\r\n"; }
QByteArray deleteCommand(int location) { return "AT+CMGD=" + QByteArray::number(location) + "\r\n"; }

QList<Store> offeredStores(const QByteArray &reply)
{
    for (const QByteArray &line : lines(reply)) {
        if (!line.startsWith("+CPMS:"))
            continue;
        const qsizetype open = line.indexOf('('), close = line.indexOf(')');
        const QByteArray first = open >= 0 && close > open ? line.mid(open, close - open) : line;
        QList<Store> out;
        if (first.contains("\"SM\""))
            out << Store::Sim;
        if (first.contains("\"ME\""))
            out << Store::Phone;
        if (!out.isEmpty())
            return out;
    }
    return {Store::Sim, Store::Phone};
}

std::optional<Counts> counts(const QByteArray &reply)
{
    for (const QByteArray &line : lines(reply)) {
        if (!line.startsWith("+CPMS:"))
            continue;
        QList<int> numbers;
        for (const QByteArray &f : fields(line, "+CPMS:")) {
            if (const auto n = number(f))
                numbers << *n;
            else if (!f.startsWith('"'))
                break;
            if (numbers.size() == 2)
                return Counts{numbers[0], numbers[1]};
        }
    }
    return std::nullopt;
}

QList<StoredPdu> parseList(const QByteArray &reply)
{
    QList<StoredPdu> out;
    const QList<QByteArray> all = lines(reply);
    // The last line counts only when the reply ended it.
    const qsizetype ended = reply.endsWith('\n') ? all.size() : all.size() - 1;
    for (qsizetype i = 0; i < ended; ++i) {
        const QByteArray &line = all[i];
        const qsizetype at = line.indexOf("+CMGL:");
        if (at < 0)
            continue;
        const QList<QByteArray> f = fields(line.mid(at), "+CMGL:");
        const auto location = number(f.value(0));
        if (!location || *location < 1)
            continue;
        qsizetype p = i + 1;
        while (p < ended && all[p].isEmpty())
            ++p;
        // A PDU line cut off by the end of the reply is not a message yet.
        if (p >= ended)
            continue;
        // A header without its PDU still names a message there.
        const bool noPdu = all[p].startsWith("+CMGL:") || all[p] == "OK";
        StoredPdu m;
        m.location = *location;
        m.status = f.size() >= 3 ? status(f.value(1)) : Unknown;
        m.length = f.size() >= 2 ? number(f.last()).value_or(-1) : -1;
        if (!noPdu) {
            m.pdu = all[p];
            i = p;
        }
        out << m;
    }
    return out;
}

std::optional<StoredPdu> parseRead(const QByteArray &reply, int location)
{
    const QList<QByteArray> all = lines(reply);
    for (qsizetype i = 0; i < all.size(); ++i) {
        const qsizetype at = all[i].indexOf("+CMGR:");
        if (at < 0)
            continue;
        const QList<QByteArray> f = fields(all[i].mid(at), "+CMGR:");
        StoredPdu m;
        m.location = location;
        m.length = number(f.last()).value_or(-1);
        // stat,alpha,length / stat,length / length / index,stat,alpha,length
        if (f.size() == 4)
            m.status = status(f[1]);
        else if (f.size() == 2 || f.size() == 3)
            m.status = status(f[0]);
        qsizetype p = i + 1;
        while (p < all.size() && all[p].isEmpty())
            ++p;
        if (p < all.size() && all[p] != "OK")
            m.pdu = all[p];
        // A header with no PDU after it still names a message there.
        return m;
    }
    return std::nullopt;
}

bool emptyLocationError(const QByteArray &reply)
{
    for (const QByteArray &line : lines(reply))
        if (line.startsWith("+CMS ERROR:") && line.mid(11).trimmed() == "321")
            return true;
    return false;
}

} // namespace InboxAt
