// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/InboxMessages.h"

#include <QMap>
#include <algorithm>

#include "core/at/Charset.h"
#include "core/phonebooks/PhonebookModel.h"

using InboxAt::Status;

namespace {

// The status a part shows: the header's when it fits the kind the PDU
// itself says it is, else what that kind most likely is.
Status partStatus(const InboxPart &p)
{
    const Status s = p.stored.status;
    switch (p.decoded.kind) {
    case DecodedSms::Deliver:
    case DecodedSms::StatusReport:
        return s == InboxAt::Unread ? InboxAt::Unread : InboxAt::Read;
    case DecodedSms::Submit:
        return s == InboxAt::Unsent ? InboxAt::Unsent : InboxAt::Sent;
    default:
        return s == InboxAt::Unknown ? InboxAt::Read : s;
    }
}

QString partText(const DecodedSms &d)
{
    if (!d.damaged)
        return d.text;
    return d.text.isEmpty() ? QStringLiteral("(damaged)") : d.text + QStringLiteral(" (damaged)");
}

// "Delivered, taken by the centre 2010-02-18 11:31": the outcome first, as
// the row has room for it; the report's own time is the message's.
QString reportText(const DecodedSms &d)
{
    QString text = d.text.isEmpty() ? QStringLiteral("Status report") : d.text;
    if (d.time.isValid())
        text += QStringLiteral(", taken by the centre %1").arg(Inbox::dateText(d.time));
    return d.damaged ? text + QStringLiteral(" (damaged)") : text;
}

InboxMessage single(const InboxPart &p)
{
    InboxMessage m;
    m.store = p.store;
    m.parts = {p};
    m.kind = p.decoded.kind;
    m.status = partStatus(p);
    m.number = p.decoded.number;
    m.centre = p.decoded.centre;
    m.time = p.decoded.time;
    switch (p.decoded.kind) {
    case DecodedSms::Unreadable:
        m.text = QStringLiteral("(unreadable message)");
        break;
    case DecodedSms::OtherKind:
        m.text = QStringLiteral("(message of an unknown kind)");
        break;
    case DecodedSms::StatusReport:
        m.text = reportText(p.decoded);
        if (p.decoded.reportTime.isValid())
            m.time = p.decoded.reportTime;
        break;
    default:
        m.text = partText(p.decoded);
    }
    return m;
}

// The parts in order with a gap mark for each run of missing ones.
void joinText(InboxMessage &m, int total)
{
    QString text;
    bool gap = false;
    for (int n = 1; n <= total; ++n) {
        const auto it = std::find_if(m.parts.cbegin(), m.parts.cend(),
                                     [n](const InboxPart &p) { return p.decoded.part == n; });
        if (it == m.parts.cend()) {
            if (!gap)
                text += QString::fromUtf16(Inbox::Gap);
            gap = true;
            continue;
        }
        gap = false;
        text += partText(it->decoded);
    }
    m.text = text;
}

QString digitsOf(const QString &s)
{
    QString out;
    for (const QChar c : s)
        if (c.isDigit() && c.unicode() < 0x80)
            out += c;
    return out;
}

bool dialable(const QString &s)
{
    bool any = false;
    for (const QChar c : s) {
        if (c.isDigit() && c.unicode() < 0x80)
            any = true;
        else if (!QStringLiteral("+ -()/.").contains(c))
            return false;
    }
    return any;
}

} // namespace

InboxPart inboxPart(InboxAt::Store store, const InboxAt::StoredPdu &stored)
{
    return {store, stored, SmsDecode::decode(stored.pdu, stored.length)};
}

QList<int> InboxMessage::locations() const
{
    QList<int> out;
    for (const InboxPart &p : parts)
        out << p.stored.location;
    return out;
}

namespace Inbox {

QList<InboxMessage> join(const QList<InboxPart> &parts)
{
    QList<InboxMessage> out;
    for (const InboxPart &p : parts) {
        const DecodedSms &d = p.decoded;
        if (!d.ok() || d.total < 2) {
            out << single(p);
            continue;
        }
        // A second part with the same number goes to another message: two
        // messages that happen to share a reference are both kept.
        auto it = std::find_if(out.begin(), out.end(), [&](const InboxMessage &m) {
            const DecodedSms &first = m.parts.first().decoded;
            return m.store == p.store && first.kind == d.kind && first.number == d.number
                   && first.reference == d.reference && first.total == d.total
                   && std::none_of(m.parts.cbegin(), m.parts.cend(),
                                   [&](const InboxPart &q) { return q.decoded.part == d.part; });
        });
        if (it == out.end()) {
            out << single(p);
            continue;
        }
        it->parts << p;
        std::sort(it->parts.begin(), it->parts.end(),
                  [](const InboxPart &a, const InboxPart &b) { return a.decoded.part < b.decoded.part; });
    }
    for (InboxMessage &m : out) {
        const DecodedSms &first = m.parts.first().decoded;
        if (!first.ok() || first.total < 2)
            continue;
        joinText(m, first.total);
        m.time = first.time;
        m.centre = first.centre;
        m.status = partStatus(m.parts.first());
        for (const InboxPart &p : m.parts)
            if (partStatus(p) == InboxAt::Unread)
                m.status = InboxAt::Unread;
    }
    std::stable_sort(out.begin(), out.end(), [](const InboxMessage &a, const InboxMessage &b) {
        if (a.time.isValid() != b.time.isValid())
            return a.time.isValid();
        if (a.time.isValid() && a.time != b.time)
            return a.time > b.time;
        if (a.store != b.store)
            return a.store < b.store;
        return a.parts.first().stored.location > b.parts.first().stored.location;
    });
    return out;
}

QString statusText(InboxAt::Status status)
{
    switch (status) {
    case InboxAt::Unread: return QStringLiteral("Unread");
    case InboxAt::Unsent: return QStringLiteral("Unsent");
    case InboxAt::Sent: return QStringLiteral("Sent");
    default: return QStringLiteral("Read");
    }
}

QString storeText(InboxAt::Store store)
{
    return store == InboxAt::Store::Phone ? QStringLiteral("Phone") : QStringLiteral("SIM");
}

QString dateText(const QDateTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString();
}

QString isoDate(const QDateTime &time)
{
    if (!time.isValid())
        return {};
    const int offset = time.offsetFromUtc();
    const int minutes = qAbs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"))
           + QStringLiteral("%1%2:%3")
                 .arg(QLatin1Char(offset < 0 ? '-' : '+'))
                 .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                 .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == u'\f')
            c = u' ';
    return out;
}

QString details(const InboxMessage &m)
{
    const bool outgoing = m.kind == DecodedSms::Submit || m.kind == DecodedSms::StatusReport;
    QStringList locations;
    for (int n : m.locations())
        locations << QString::number(n);
    QString head = QStringLiteral("%1: %2").arg(outgoing ? QStringLiteral("To") : QStringLiteral("From"), m.number);
    if (!m.name.isEmpty())
        head += QStringLiteral(" (%1)").arg(m.name);
    QStringList lines{head};
    if (m.kind == DecodedSms::StatusReport) {
        const DecodedSms &d = m.parts.first().decoded;
        if (d.time.isValid())
            lines << QStringLiteral("Taken by the centre: %1").arg(isoDate(d.time).replace(u'T', u' '));
        if (d.reportTime.isValid())
            lines << QStringLiteral("Reported: %1").arg(isoDate(d.reportTime).replace(u'T', u' '));
    } else if (m.time.isValid()) {
        lines << QStringLiteral("Sent: %1").arg(isoDate(m.time).replace(u'T', u' '));
    }
    if (!m.centre.isEmpty())
        lines << QStringLiteral("Centre: %1").arg(m.centre);
    lines << QStringLiteral("%1, %2 %3, %4")
                 .arg(statusText(m.status), storeText(m.store),
                      locations.size() > 1 ? QStringLiteral("locations") : QStringLiteral("location"),
                      locations.join(QStringLiteral(", ")));
    return lines.join(u'\n') + QStringLiteral("\n\n") + m.text;
}

bool sameNumber(const QString &a, const QString &b)
{
    if (a.trimmed().isEmpty() || b.trimmed().isEmpty())
        return false;
    if (!dialable(a) || !dialable(b))
        return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
    const QString x = digitsOf(a), y = digitsOf(b);
    if (x == y)
        return true;
    auto national = [](QString d) {
        while (d.startsWith(u'0'))
            d.remove(0, 1);
        return d;
    };
    const QString nx = national(x), ny = national(y);
    const QString &shorter = nx.size() <= ny.size() ? nx : ny;
    const QString &longer = nx.size() <= ny.size() ? ny : nx;
    return shorter.size() >= 7 && longer.endsWith(shorter);
}

QString nameFor(const QString &number, std::initializer_list<const PhonebookEntries *> books)
{
    for (const PhonebookEntries *book : books) {
        for (int r = 1; r <= book->count(); ++r) {
            const PhonebookEntry &e = book->at(r);
            if (!e.name.trimmed().isEmpty() && sameNumber(fromPhoneText(e.number), number))
                return fromPhoneText(e.name.trimmed());
        }
    }
    return {};
}

} // namespace Inbox
