// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The idioms that pick one field out of a phone's reply. Positions are 1-based.
#include <QByteArray>
#include <optional>

namespace Reply {
// Leading and trailing blanks and control characters removed.
QByteArray trimmed(const QByteArray &text);
// Everything up to and including the first '"' blanked, everything from the
// next '"' on blanked, trimmed. Empty when there is no '"'.
QByteArray quotedField(const QByteArray &reply);
// From the first '\n' up to, not including, the last character, trimmed.
QByteArray textAfterEcho(const QByteArray &reply);
// Characters at positions from..to (1-based, inclusive, clipped), trimmed.
QByteArray fixedColumns(const QByteArray &reply, int from, int to);
// The character `distance` places after the first `marker`.
std::optional<char> charAfter(const QByteArray &reply, char marker, int distance = 1);
// `count` characters after the first `marker`, trimmed.
QByteArray textAfter(const QByteArray &reply, char marker, int count);
// Only the first line of a value (fields show one line).
QByteArray firstLine(const QByteArray &value);

// GSM information items. Each returns the text to show (without the
// leading blank the fields add) or nothing when the reply holds no value.
std::optional<QByteArray> network(const QByteArray &reply);
std::optional<QByteArray> imei(const QByteArray &reply);
// valid: 0..100, else the bar is 0 and the hint stays. value: the level as
// read, which decides the bar colour (below 14 red) also when out of range.
struct Battery { int bar; bool valid; int value = 0; };
std::optional<Battery> battery(const QByteArray &reply);
struct SignalLevel { int bar; char shown; }; // shown: the character as received
std::optional<SignalLevel> signal(const QByteArray &reply);
// "AT+CSCA?" reply: the centre with "+" for type 145 (never a second "+").
std::optional<QByteArray> smsCentre(const QByteArray &reply);
}
