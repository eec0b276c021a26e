// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One phonebook location as the AT commands carry it: the read reply taken
// apart and the write command put together. Text stays 8-bit throughout.
#include <QByteArray>
#include <optional>

#include "core/phonebooks/PhonebookModel.h"

namespace PhonebookAt {

// The SIM book ("SM") or the phone's own memory ("ME").
enum class Book { Sim, Phone };

// Longest number or name taken from a grid row or a reply.
constexpr int MaxField = 255;

QByteArray selectCommand(Book book);
// Any book by the name the phone gives it ("DC", "FD", ...): AT+CPBS="name".
QByteArray selectCommand(const QByteArray &book);
QByteArray readCommand(int location);

// The entry in a read reply (echo, "+CPBR: n,"number",type,"name"", OK).
// Nothing when the reply holds no quote: an empty location answers OK alone.
// The number is the text between the first two quotes, with "+" in front
// when the type field is 145. The name is the quoted text after the type
// field, looked for within the first 255 characters of the reply: a name
// that closes beyond them reads as empty. Its leading blanks are kept.
std::optional<PhonebookEntry> parseRead(const QByteArray &reply);

// "AT+CPBW=n,"number",type,"name"\r\n": each field cut to 255 characters and
// trimmed; a leading "+" becomes type 145, anything else type 129; an empty
// number clears the location. Neither field can end the quotes or the line.
QByteArray writeCommand(int location, const PhonebookEntry &entry);

} // namespace PhonebookAt
