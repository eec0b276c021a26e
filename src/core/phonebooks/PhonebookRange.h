// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a book takes, from the answer to "AT+CPBR=?": "+CPBR: (1-250),20,18"
// names its locations, its longest number and its longest name.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "core/phonebooks/PhonebookModel.h"

namespace PhonebookAt {

inline constexpr char RangeQuery[] = "AT+CPBR=?\r\n";

struct Range {
    int first = 1;
    int last = 0;
    int numberLength = 0; // 0 when the reply states none
    int nameLength = 0;   // 0 when the reply states none
};
// Nothing when the reply holds no "+CPBR: (a-b)" with 1 <= a <= b <= 9999.
// The lengths after it are read when they are there.
std::optional<Range> parseRange(const QByteArray &reply);

// What a write or an import plans against. A phone that states nothing
// gets the lengths the T28 class has always taken; its last location is
// then found as the book's end rule finds it.
struct Limits {
    static constexpr int DefaultName = 18;
    static constexpr int DefaultNumber = 250;
    int last = 0;               // 0: not stated
    int number = DefaultNumber; // digits, a leading "+" not counted (it goes as type 145)
    int name = DefaultName;     // characters of the phone's 8-bit text
};
Limits limitsOf(const std::optional<Range> &range);

// An entry as the book takes it: the name cut to the name length (a leading
// blank kept), and no entry at all when its number is longer than the book
// takes, since a cut number would call someone else.
struct Fitted {
    std::optional<PhonebookEntry> entry;
    bool nameCut = false;
};
Fitted fitted(const PhonebookEntry &entry, const Limits &limits);
// The digits of a number as the book counts them.
int numberLength(const QByteArray &number);

// "3, 7, 9" and, past `named` locations, " and 388 more": a summary stays
// one short line however many locations it is about.
QString locationList(const QList<int> &locations, int named = 12);

} // namespace PhonebookAt
