// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// SMS-SUBMIT PDUs: address semi-octets, the text in the GSM 7-bit alphabet
// or in UCS-2, a long text in concatenated parts, and the layout.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace Pdu {
// The most parts one message is sent in: what the composer lets the user
// type and the command line accepts.
constexpr int MaxParts = 6;
// Septets of one 7-bit message, of one part of a long one (the header takes
// the rest); the same in UCS-2, counted in UTF-16 units.
constexpr int SingleSeptets = 160;
constexpr int PartSeptets = 153;
constexpr int SingleUnits = 70;
constexpr int PartUnits = 67;

// How a text goes out: its coding, the room it takes (septets, an extension
// character two; or UTF-16 units, a character beyond the basic plane two),
// the parts that needs and the room those parts give.
struct Plan {
    bool ucs2 = false;
    int used = 0;
    int parts = 1;
    int capacity = SingleSeptets;
    bool fits() const { return parts <= MaxParts; }
};
Plan plan(const QString &text);
// Characters as the user sees them: one per code point.
int characterCount(QStringView text);

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

// One message's user data, or one part's.
struct UserData {
    bool ucs2 = false;
    bool header = false; // a concatenation header leads the user data
    int length = 0;      // TP-UDL: septets (header and fill bit included), or octets in UCS-2
    QByteArray octets;
};
// The text as it goes out: one message without a header when it fits one,
// else parts of 153 septets or 67 units each carrying "05 00 03 reference
// count number". An escape pair or a surrogate pair is never cut apart.
// Empty for an empty text; the caller refuses a plan that does not fit.
QList<UserData> encodeMessage(const QString &text, quint8 reference);

// The whole PDU from its leading 00 to the last user-data octet.
QByteArray submitPdu(const Address &recipient, const UserData &text, bool requestReply);
// The length AT+CMGS wants: every octet after the first.
int tpduLength(const Address &recipient, const UserData &text);
// Upper-case hex, nothing between the octets.
QByteArray hex(const QByteArray &pdu);
}
