// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// SMS-SUBMIT PDU: address semi-octets, 7-bit packed user data, the layout.
#include <QByteArray>
#include <QString>
#include <optional>

namespace Pdu {
// Characters in one message: what the composer lets the user type and the
// command line accepts; the encoder sends no more.
constexpr int MaxText = 160;
// Characters as the phone will count them: one per code point.
int characterCount(const QString &text);

// A recipient (or centre) number as the PDU and the centre frames carry it.
struct Address {
    bool international = false;
    int digitCount = 0;
    QByteArray octets; // semi-octets, low nibble first, 0xF pads an odd count
};
// The number cut to 20 characters first; its digits, after a leading "+".
// Nothing when it has fewer than 3 digits, the least the phone sends to.
std::optional<Address> encodeNumber(const QByteArray &number);
// The recipient of an ICQ send: the trimmed gateway number followed by the
// digits among the first 10 characters of the ICQ box. Nothing when fewer
// than 2 digits.
std::optional<QByteArray> icqRecipient(const QByteArray &icqBoxText, const QByteArray &gatewayNumber);

struct UserData {
    int septets = 0;   // characters, the TP-UDL octet
    QByteArray octets; // packed
};
// Maps and packs the first MaxText characters (8-bit).
UserData encodeText(const QByteArray &text);

// The whole PDU from its leading 00 to the last user-data octet.
QByteArray submitPdu(const Address &recipient, const UserData &text, bool requestReply);
// The length AT+CMGS wants: every octet after the first.
int tpduLength(const Address &recipient, const UserData &text);
// Upper-case hex, nothing between the octets.
QByteArray hex(const QByteArray &pdu);
}
