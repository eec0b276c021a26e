// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/PduBuilder.h"

#include <QList>

#include "core/at/ReplyParse.h"

namespace Pdu {

namespace {
constexpr qsizetype MaxNumber = 20;
constexpr int MinDigits = 3;
constexpr qsizetype IcqBoxDigits = 10;
}

int characterCount(const QString &text)
{
    return int(text.toUcs4().size());
}

std::optional<Address> encodeNumber(const QByteArray &number)
{
    QByteArray digits = number.left(MaxNumber);
    Address a;
    a.international = digits.startsWith('+');
    if (a.international)
        digits.remove(0, 1);

    QByteArray semi;
    for (char c : digits) {
        if (c >= '0' && c <= '9')
            semi.append(char(c - '0'));
    }
    if (semi.size() < MinDigits)
        return std::nullopt;
    a.digitCount = int(semi.size());
    if (semi.size() % 2)
        semi.append(char(0x0F));
    for (qsizetype j = 0; j < semi.size(); j += 2)
        a.octets.append(char((semi[j + 1] << 4) | semi[j]));
    return a;
}

std::optional<QByteArray> icqRecipient(const QByteArray &icqBoxText, const QByteArray &gatewayNumber)
{
    QByteArray digits;
    for (char c : icqBoxText.left(IcqBoxDigits)) {
        if (c >= '0' && c <= '9')
            digits.append(c);
    }
    if (digits.size() < 2)
        return std::nullopt;
    return Reply::trimmed(gatewayNumber) + digits;
}

UserData encodeText(const QByteArray &text)
{
    const QByteArray t = text.left(MaxText);
    UserData out;
    out.septets = int(t.size());
    out.octets.fill(0, (7 * t.size() + 7) / 8);
    // Septet i occupies bits 7i..7i+6 of the packed stream, low bits first:
    // the GSM 03.38 packing, group after group without gaps.
    for (qsizetype i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        const unsigned septet = c == 0x40 ? 0x00 : c == 0x24 ? 0x02 : (c & 0x7F);
        const qsizetype bit = 7 * i;
        const qsizetype byte = bit / 8;
        const int shift = int(bit % 8);
        out.octets[byte] = char(out.octets[byte] | (septet << shift));
        if (shift > 1)
            out.octets[byte + 1] = char(out.octets[byte + 1] | (septet >> (8 - shift)));
    }
    return out;
}

QByteArray submitPdu(const Address &recipient, const UserData &text, bool requestReply)
{
    QByteArray pdu;
    pdu.reserve(1 + tpduLength(recipient, text));
    pdu.append(char(0x00));
    pdu.append(char(requestReply ? 0x91 : 0x11));
    pdu.append(char(0x00));
    pdu.append(char(recipient.digitCount));
    pdu.append(char(recipient.international ? 0x91 : 0x81));
    pdu.append(recipient.octets);
    pdu.append(char(0x00));
    pdu.append(char(0x00));
    pdu.append(char(0xC4)); // 30 days, relative
    pdu.append(char(text.septets));
    pdu.append(text.octets);
    return pdu;
}

int tpduLength(const Address &recipient, const UserData &text)
{
    return int(text.octets.size() + recipient.octets.size()) + 8;
}

QByteArray hex(const QByteArray &pdu)
{
    return pdu.toHex().toUpper();
}

} // namespace Pdu
