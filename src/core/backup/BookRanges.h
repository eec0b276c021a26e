// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A phonebook read in ranges: "AT+CPBR=11,20" answers one "+CPBR:" line for
// each filled location of the range, so a sparse book costs a few commands
// and a full one saves the echo and "OK" of every location.
#include <QByteArray>
#include <QList>

namespace BookRanges {

// Locations asked in one command: the first that the phone takes, each
// after the one it refused or left unanswered. 1 is the single location.
constexpr int Spans[] = {25, 10, 1};

// "AT+CPBR=first,last\r\n".
QByteArray readCommand(int first, int last);

struct Line {
    int location = 0;
    QByteArray number; // as the phone sent it
    int type = 129;
    QByteArray name;   // the phone's own bytes
    friend bool operator==(const Line &, const Line &) = default;
};
// Every whole "+CPBR: n,"number",type,"name"" line of a reply, in order.
// The name runs to the last quote of its line, so a quote inside it is
// kept; a line that is not of this form is passed over.
QList<Line> parse(const QByteArray &reply);

} // namespace BookRanges
