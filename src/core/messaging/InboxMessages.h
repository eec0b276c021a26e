// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The messages of the phone's stores as the user sees them: the parts of a
// message sent in several pieces joined into one, with its status, number,
// time and whole text; and the name a number goes by in the user's books.
#include <QDateTime>
#include <QList>
#include <QString>
#include <initializer_list>

#include "core/messaging/InboxAt.h"
#include "core/messaging/SmsDecode.h"

class PhonebookEntries;

// One stored location, decoded.
struct InboxPart {
    InboxAt::Store store = InboxAt::Store::Sim;
    InboxAt::StoredPdu stored;
    DecodedSms decoded;
};
InboxPart inboxPart(InboxAt::Store store, const InboxAt::StoredPdu &stored);

struct InboxMessage {
    InboxAt::Store store = InboxAt::Store::Sim;
    QList<InboxPart> parts;   // in part order; every location it occupies
    DecodedSms::Kind kind = DecodedSms::Unreadable;
    InboxAt::Status status = InboxAt::Read; // never Unknown
    QString number;
    QString centre;
    QDateTime time;           // invalid for outgoing messages; a status report's is its own
    // The whole text, "[…]" where parts are missing, " (damaged)" after a
    // part the phone stored incomplete; a status report's outcome and when
    // the centre took the message.
    QString text;
    QString name;             // from the user's books; the page fills it

    QList<int> locations() const;
};

namespace Inbox {
// Parts of one message (same store, kind, number, reference and count)
// joined; the list newest first, messages without a time stamp last.
QList<InboxMessage> join(const QList<InboxPart> &parts);

// What marks a missing part in a joined text.
inline constexpr char16_t Gap[] = u"[\u2026]";

QString statusText(InboxAt::Status status);   // "Unread", "Read", "Unsent", "Sent"
QString storeText(InboxAt::Store store);      // "SIM", "Phone"
QString dateText(const QDateTime &time);      // "2026-12-06 17:50" in the sender's time
// "2026-12-06T17:50:00+01:00"; empty for an invalid time.
QString isoDate(const QDateTime &time);
// The text on one line: line breaks and tabs as blanks.
QString oneLine(const QString &text);
// The full description shown below the list.
QString details(const InboxMessage &message);

// Whether two numbers as typed or received reach the same phone: the
// digits alike, or the national form (leading zeros dropped, at least
// seven digits) ending the international one. Text senders match only
// themselves, ignoring case.
bool sameNumber(const QString &a, const QString &b);

// The name `number` goes by: that of its first entry with a name in the
// first of `books` that holds one, as shown text; empty when none does.
QString nameFor(const QString &number, std::initializer_list<const PhonebookEntries *> books);
} // namespace Inbox
