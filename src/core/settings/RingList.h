// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The personal-ring replies of an Ericsson phone, and the commands built
// from what the user typed. Pure text work: the exchanges live in
// PersonalRings.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace RingList {

// The separator item that follows each element of the phone's list.
inline const QString Separator = QStringLiteral("--");

// The ring codes a phone lists, as items for the ring-type boxes: every
// code of a range, then "--"; a single code, then "--", except a single
// code that ends the list. `complete` is false when an element was no code
// or range (no digits, more than three, a range running backwards); the
// items before it are kept.
struct Codes {
    QStringList items;
    bool complete = false;
};
// `list` starts at the first element and ends at the first ")" (what
// follows it is ignored), e.g. "1-3,5,31-34)".
Codes codes(const QByteArray &list);

// "AT*EPRW=?": "*EPRW: (1-10),(129,145),(1-3,5,31-34)".
struct Ranges {
    int entryCount = 0;  // the upper bound of the entry range
    Codes ringCodes;
};
// Nothing when the reply holds no "-", when the two characters after the
// first "-" are no number (a range "1-5)" included, as the phone's own
// software reads it), or when the ring list is missing.
std::optional<Ranges> entryRanges(const QByteArray &reply);
// "AT*ERIN=?": the list between the first "(" and its ")". Nothing when
// the reply holds no "-" or no "(".
std::optional<Codes> ringInfoCodes(const QByteArray &reply);

// One entry of "AT*EPRR=n": *EPRR: n,"46701234567",145,12
struct Entry {
    QByteArray number; // "+" in front for type 145
    QByteArray ring;   // digits only, possibly empty
};
// Nothing for an empty entry (an empty quoted number) or a reply without
// a quoted number.
std::optional<Entry> entry(const QByteArray &reply);

// The list line of entry `index` (1-based): "1: +46701234567 - Ring 12",
// the number padded to 12; only "1: " for an empty entry.
QString line(int index, const std::optional<Entry> &entry);

// Whether `code` can stand as a ring code in a command: 1 to 3 digits.
bool isRingCode(const QByteArray &code);

// "AT*EPRW=3,\"46701234567\",145,12\r\n" for entry 3 and the typed
// "+46701234567"; nothing for an empty number or a ring code that is none
// (the phone would refuse the command anyway).
std::optional<QByteArray> writeCommand(int index, const QByteArray &typedNumber, const QByteArray &ring);
// "AT*ERIP=6,12\r\n"; nothing for a ring code that is none.
std::optional<QByteArray> playCommand(const QByteArray &ring);

} // namespace RingList
