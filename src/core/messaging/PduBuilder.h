// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// SMS-SUBMIT PDU: address semi-octets, 7-bit packed user data, the layout.
#include <QByteArray>
#include <optional>

#include "core/messaging/MessagingState.h"

namespace Pdu {
// Encodes state.NumberText (cut to 20 characters first) into International,
// DigitCount, AddressOctets and AddressOctetCount. False when refused: fewer
// than 2 characters or fewer than 3 digits.
bool encodeNumber(MessagingState &state);
// The recipient of an ICQ send: the trimmed gateway number followed by the
// digits among the first 10 characters of the ICQ box. Nothing when fewer
// than 2 digits.
std::optional<QByteArray> icqRecipient(const QByteArray &icqBoxText, const QByteArray &gatewayNumber);
// Maps and packs up to 160 characters (8-bit) into UserData,
// UserDataOctetCount and TextLength.
void encodeText(MessagingState &state, const QByteArray &text);
// The whole PDU from its leading 00 to the last user-data octet.
QByteArray submitPdu(const MessagingState &state, bool requestReply);
// The length AT+CMGS wants: every octet after the first.
int tpduLength(const MessagingState &state);
// Upper-case hex, nothing between the octets.
QByteArray hex(const QByteArray &pdu);
}
