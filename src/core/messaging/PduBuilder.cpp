// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/PduBuilder.h"

#include "core/at/ReplyParse.h"

namespace Pdu {

namespace {
constexpr qsizetype MaxNumber = 20;
constexpr qsizetype MaxText = 160;
constexpr qsizetype IcqBoxDigits = 10;
}

bool encodeNumber(MessagingState &state)
{
    if (state.NumberText.size() > MaxNumber)
        state.NumberText.truncate(MaxNumber);
    if (state.NumberText.size() < 2)
        return false;

    QByteArray digits = state.NumberText;
    state.International = digits.startsWith('+');
    if (state.International)
        digits.remove(0, 1);

    // Twenty characters hold at most twenty digits, so 28 semi-octets are
    // more than enough for the 14 address bytes.
    std::array<std::uint8_t, 28> semi;
    semi.fill(0x0F);
    int count = 0;
    for (char c : digits) {
        if (c >= '0' && c <= '9')
            semi[count++] = std::uint8_t(c - '0');
    }
    state.DigitCount = std::uint8_t(count);
    for (std::size_t j = 0; j < state.AddressOctets.size(); ++j)
        state.AddressOctets[j] = std::uint8_t((semi[2 * j + 1] << 4) | semi[2 * j]);
    state.AddressOctetCount = std::uint8_t((count + 1) / 2);

    return state.DigitCount >= 2 && state.AddressOctetCount >= 2;
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

void encodeText(MessagingState &state, const QByteArray &text)
{
    const QByteArray t = text.left(MaxText);
    state.UserData.fill(0);
    // Septet i occupies bits 7i..7i+6 of the packed stream, low bits first:
    // the GSM 03.38 packing, group after group without gaps.
    for (qsizetype i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        unsigned septet = c == 0x40 ? 0x00 : c == 0x24 ? 0x02 : (c & 0x7F);
        const qsizetype bit = 7 * i;
        const qsizetype byte = bit / 8;
        const int shift = int(bit % 8);
        state.UserData[byte] |= std::uint8_t(septet << shift);
        if (shift > 1)
            state.UserData[byte + 1] |= std::uint8_t(septet >> (8 - shift));
    }
    state.TextLength = int(t.size());
    state.UserDataOctetCount = std::uint8_t((7 * t.size() + 7) / 8);
}

QByteArray submitPdu(const MessagingState &state, bool requestReply)
{
    const int n = qMin<int>(state.AddressOctetCount, int(state.AddressOctets.size()));
    const int m = qMin<int>(state.UserDataOctetCount, int(state.UserData.size()));
    QByteArray pdu;
    pdu.reserve(10 + n + m);
    pdu.append(char(0x00));
    pdu.append(char(requestReply ? 0x91 : 0x11));
    pdu.append(char(0x00));
    pdu.append(char(state.DigitCount));
    pdu.append(char(state.International ? 0x91 : 0x81));
    pdu.append(reinterpret_cast<const char *>(state.AddressOctets.data()), n);
    pdu.append(char(0x00));
    pdu.append(char(0x00));
    pdu.append(char(0xC4)); // 30 days, relative
    pdu.append(char(state.TextLength));
    pdu.append(reinterpret_cast<const char *>(state.UserData.data()), m);
    return pdu;
}

int tpduLength(const MessagingState &state)
{
    return state.UserDataOctetCount + state.AddressOctetCount + 8;
}

QByteArray hex(const QByteArray &pdu)
{
    return pdu.toHex().toUpper();
}

} // namespace Pdu
