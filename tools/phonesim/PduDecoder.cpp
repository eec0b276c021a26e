// SPDX-License-Identifier: GPL-2.0-or-later
#include "PduDecoder.h"

#include <cctype>

namespace {

QString semiOctetDigits(const QByteArray &octets, int digitCount)
{
    static const char kDigit[] = "0123456789*#abc?";
    QString out;
    for (int i = 0; i < digitCount; ++i) {
        const quint8 b = quint8(octets.at(i / 2));
        const int nibble = (i % 2 == 0) ? (b & 0x0F) : (b >> 4);
        out.append(QLatin1Char(kDigit[nibble]));
    }
    return out;
}

bool isInternational(int toa)
{
    return (toa & 0x70) == 0x10;
}

} // namespace

QString septetsToText(const QByteArray &packed, int septetCount, int skip)
{
    // The network's table, written out here on its own so that the
    // simulated phone checks the program rather than sharing its mistakes.
    static const QString basic = QString::fromUtf8(
        "@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
        "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà");
    static const QString extensionFrom = QString::fromUtf8("\n\x14()/<=>@e");
    static const QString extensionTo = QString::fromUtf8("\f^{}\\[~]|€");
    Q_ASSERT(basic.size() == 128);
    QString out;
    out.reserve(septetCount);
    bool escaped = false;
    for (int i = skip; i < septetCount; ++i) {
        const int bit = i * 7;
        const int byte = bit / 8;
        const int shift = bit % 8;
        auto at = [&packed](int i) { return i < packed.size() ? int(quint8(packed.at(i))) : 0; };
        int v = at(byte) >> shift;
        if (shift > 1)
            v |= at(byte + 1) << (8 - shift);
        v &= 0x7F;
        if (escaped) {
            escaped = false;
            const qsizetype k = extensionFrom.indexOf(QChar(v));
            // An escape the table lacks shows the default character.
            out.append(k < 0 ? basic.at(v) : extensionTo.at(k));
        } else if (v == 0x1B) {
            escaped = true;
        } else {
            out.append(basic.at(v));
        }
    }
    return out;
}

namespace {
// The header's elements: the 8-bit (00) or 16-bit (08) concatenation one
// is kept, the rest passed over. False when the header overruns itself.
bool readHeader(const QByteArray &header, DecodedSubmit &d)
{
    for (int i = 0; i + 1 < header.size();) {
        const int id = quint8(header.at(i));
        const int len = quint8(header.at(i + 1));
        const QByteArray e = header.mid(i + 2, len);
        if (e.size() != len)
            return false;
        if (id == 0x00 && len == 3) {
            d.concatReference = quint8(e.at(0));
            d.concatParts = quint8(e.at(1));
            d.concatPart = quint8(e.at(2));
        } else if (id == 0x08 && len == 4) {
            d.concatReference = (quint8(e.at(0)) << 8) | quint8(e.at(1));
            d.concatParts = quint8(e.at(2));
            d.concatPart = quint8(e.at(3));
        }
        i += 2 + len;
    }
    return true;
}
} // namespace

DecodedSubmit decodeSubmitPdu(const QByteArray &pdu)
{
    DecodedSubmit d;
    int pos = 0;
    auto need = [&](int n, const char *what) {
        if (pos + n <= pdu.size())
            return true;
        d.error = QStringLiteral("PDU ends inside the %1").arg(QLatin1String(what));
        return false;
    };
    auto octet = [&]() { return int(quint8(pdu.at(pos++))); };

    if (!need(1, "centre length"))
        return d;
    d.scaLength = octet();
    if (d.scaLength > 0) {
        if (!need(d.scaLength, "centre address"))
            return d;
        const int scaToa = quint8(pdu.at(pos));
        const QByteArray scaDigits = pdu.mid(pos + 1, d.scaLength - 1);
        QString digits = semiOctetDigits(scaDigits, scaDigits.size() * 2);
        if (digits.endsWith(QLatin1Char('?')))
            digits.chop(1);
        d.sca = (isInternational(scaToa) ? QStringLiteral("+") : QString()) + digits;
        pos += d.scaLength;
    }
    const int tpduStart = pos;
    d.tpduLength = int(pdu.size()) - tpduStart;

    if (!need(3, "header"))
        return d;
    d.firstOctet = octet();
    d.replyPath = d.firstOctet & 0x80;
    d.udhi = d.firstOctet & 0x40;
    d.vpf = (d.firstOctet >> 3) & 0x03;
    if ((d.firstOctet & 0x03) != 0x01) {
        d.error = QStringLiteral("not an SMS-SUBMIT (first octet %1)").arg(d.firstOctet, 2, 16, QLatin1Char('0'));
        return d;
    }
    d.messageReference = octet();
    d.digits = octet();
    if (d.digits > 20) {
        d.error = QStringLiteral("destination longer than 20 digits");
        return d;
    }
    if (!need(1, "type of address"))
        return d;
    d.toa = octet();
    const int addrOctets = (d.digits + 1) / 2;
    if (!need(addrOctets, "destination address"))
        return d;
    d.number = (isInternational(d.toa) ? QStringLiteral("+") : QString())
             + semiOctetDigits(pdu.mid(pos, addrOctets), d.digits);
    pos += addrOctets;

    if (!need(2, "protocol identifier and coding scheme"))
        return d;
    d.pid = octet();
    d.dcs = octet();
    const int vpLength = d.vpf == 0 ? 0 : (d.vpf == 2 ? 1 : 7);
    if (!need(vpLength, "validity period"))
        return d;
    if (d.vpf == 2)
        d.validity = quint8(pdu.at(pos));
    pos += vpLength;

    if (!need(1, "user data length"))
        return d;
    d.udl = octet();

    // Only the default alphabet counts septets; 8-bit and UCS-2 count octets.
    const int group = (d.dcs & 0xC0) == 0 ? (d.dcs >> 2) & 0x03 : 0;
    const bool sevenBit = group == 0;
    const int udOctets = sevenBit ? (d.udl * 7 + 7) / 8 : d.udl;
    d.impliedTpduLength = (pos - tpduStart) + udOctets;
    if (sevenBit && d.udl > 160) {
        d.error = QStringLiteral("user data length %1 above 160").arg(d.udl);
        return d;
    }
    if (!need(udOctets, "user data"))
        return d;
    d.userData = pdu.mid(pos, udOctets);
    if (!sevenBit && d.udl > 140) {
        d.error = QStringLiteral("user data length %1 above 140 octets").arg(d.udl);
        return d;
    }
    int headerOctets = 0;
    if (d.udhi) {
        headerOctets = d.userData.isEmpty() ? 1 : 1 + quint8(d.userData.at(0));
        if (headerOctets > d.userData.size() || !readHeader(d.userData.mid(1, headerOctets - 1), d)) {
            d.error = QStringLiteral("user data header longer than the user data");
            return d;
        }
        if (d.concatReference >= 0 && (d.concatPart < 1 || d.concatPart > d.concatParts)) {
            d.error = QStringLiteral("part %1 of %2").arg(d.concatPart).arg(d.concatParts);
            return d;
        }
    }
    const QByteArray body = d.userData.mid(headerOctets);
    if (sevenBit) {
        // The header is padded with fill bits to a septet boundary.
        d.text = septetsToText(d.userData, d.udl, (headerOctets * 8 + 6) / 7);
    } else if (group == 2) {
        for (int i = 0; i + 1 < body.size(); i += 2)
            d.text.append(QChar(char16_t((quint8(body.at(i)) << 8) | quint8(body.at(i + 1)))));
    } else {
        d.text = QString::fromLatin1(body);
    }
    pos += udOctets;
    if (pos != pdu.size()) {
        d.error = QStringLiteral("%1 octets after the user data").arg(pdu.size() - pos);
        return d;
    }
    d.ok = true;
    return d;
}

DecodedSubmit decodeSubmitPduHex(const QByteArray &hex)
{
    QByteArray clean;
    for (char c : hex) {
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            DecodedSubmit d;
            d.error = QStringLiteral("character 0x%1 in the hexadecimal PDU")
                          .arg(int(quint8(c)), 2, 16, QLatin1Char('0'));
            return d;
        }
        clean.append(c);
    }
    if (clean.size() % 2) {
        DecodedSubmit d;
        d.error = QStringLiteral("odd number of hexadecimal digits");
        return d;
    }
    return decodeSubmitPdu(QByteArray::fromHex(clean));
}

QJsonObject DecodedSubmit::toJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("ok"), ok);
    if (!ok)
        o.insert(QStringLiteral("error"), error);
    o.insert(QStringLiteral("scaLength"), scaLength);
    if (scaLength > 0)
        o.insert(QStringLiteral("sca"), sca);
    o.insert(QStringLiteral("firstOctet"), firstOctet);
    o.insert(QStringLiteral("replyPath"), replyPath);
    o.insert(QStringLiteral("udhi"), udhi);
    o.insert(QStringLiteral("vpf"), vpf);
    o.insert(QStringLiteral("messageReference"), messageReference);
    o.insert(QStringLiteral("digits"), digits);
    o.insert(QStringLiteral("toa"), toa);
    o.insert(QStringLiteral("number"), number);
    o.insert(QStringLiteral("pid"), pid);
    o.insert(QStringLiteral("dcs"), dcs);
    o.insert(QStringLiteral("validity"), validity);
    o.insert(QStringLiteral("udl"), udl);
    o.insert(QStringLiteral("text"), text);
    if (concatReference >= 0) {
        o.insert(QStringLiteral("concatReference"), concatReference);
        o.insert(QStringLiteral("concatParts"), concatParts);
        o.insert(QStringLiteral("concatPart"), concatPart);
    }
    o.insert(QStringLiteral("userDataHex"), QString::fromLatin1(userData.toHex().toUpper()));
    o.insert(QStringLiteral("tpduLength"), tpduLength);
    o.insert(QStringLiteral("impliedTpduLength"), impliedTpduLength);
    return o;
}
