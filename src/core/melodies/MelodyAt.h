// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's own melodies and ring types: the "AT*ESOM?" reply, the
// melody as it is stored, and the *ESOM, *ERIN and *ERIP command lines.
// Pure text work: the exchanges live in PhoneMelodies.
#include <QByteArray>
#include <array>
#include <optional>

namespace MelodyAt {

constexpr int SlotCount = 4;
// A slot read from the phone is held as at most this many characters.
constexpr int MaxMelody = 255;
// What a tune box shows for a slot the phone does not report.
inline constexpr char NotAvailable[] = " n/a";

// One entry per slot, slot 1 first; nothing for a slot the reply does not
// report. A slot is reported by its digit, a comma and a double quote
// (`1,"cdef"`); the melody runs to the next double quote, or to the end of
// its line when the phone left the quote open, cut to MaxMelody.
using Slots = std::array<std::optional<QByteArray>, SlotCount>;
Slots ownMelodies(const QByteArray &reply);

// Whether the notation knows the character: "#", "(", ")", "+", "A"-"G",
// "a"-"g" and "p".
bool isNotationChar(char c);
// A melody as the phone stores it: notation characters only, in order, and
// no "#" or "+" left dangling at its end ('c d e+' -> "cde", "+#" -> "").
QByteArray storableMelody(const QByteArray &text);

// The own melody's ring code, "31" to "34" for slots 1 to 4.
QByteArray ownMelodyCode(int slot);

// "AT*ESOM=1,\"cde\"\r\n". Nothing for a slot outside 1..4 or an empty
// text (an empty tune box stores nothing; one that filters to nothing
// stores the empty melody).
std::optional<QByteArray> storeCommand(int slot, const QByteArray &text);

// The call-type list of the ring selection, by index: " Call Type" (0,
// no call type), " Voice", " Data", " Fax", "Alarm".
constexpr int CallTypeCount = 5;
// The digit "AT*ERIN" takes for a call type: 1 voice, 4 data, 3 fax,
// 5 alarm; nothing for " Call Type" or an index outside the list.
std::optional<char> alertTypeDigit(int callType);

// "AT*ERIN=12,5\r\n". Nothing when the code is no ring code (1 to 3
// digits, blanks around it allowed) or the call type has no digit.
std::optional<QByteArray> ringTypeCommand(const QByteArray &code, int callType);

// "AT*ERIP=7,31\r\n": the phone plays the ring code. Nothing for a code
// that is none.
std::optional<QByteArray> playCommand(const QByteArray &code);

} // namespace MelodyAt
