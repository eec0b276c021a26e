// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/PduBuilder.h"

#include <QHash>

#include "core/at/ReplyParse.h"
#include "core/messaging/SmsDecode.h"

namespace Pdu {

namespace {
constexpr qsizetype MaxNumber = 20;
constexpr int MinDigits = 3;
constexpr qsizetype IcqBoxDigits = 10;
constexpr char Escape = 0x1B;
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

namespace {
// Each character of the default alphabet as its septet, each of the
// extension table as the escape and its septet: the reading side's table
// turned round, so the two can never disagree.
const QHash<char16_t, QByteArray> &gsmCodes()
{
    static const QHash<char16_t, QByteArray> codes = [] {
        QHash<char16_t, QByteArray> t;
        for (int s = 0; s < 128; ++s) {
            if (s == Escape)
                continue;
            const QByteArray single(1, char(s));
            const QByteArray escaped = QByteArray(1, Escape) + char(s);
            const QChar plain = SmsDecode::gsmText(single).at(0);
            const QChar extended = SmsDecode::gsmText(escaped).at(0);
            t.insert(plain.unicode(), single);
            // An escape the extension table lacks reads as the plain character.
            if (extended != plain)
                t.insert(extended.unicode(), escaped);
        }
        return t;
    }();
    return codes;
}

// Nothing when a character is in neither table.
std::optional<QByteArray> toSeptets(const QString &text)
{
    const QHash<char16_t, QByteArray> &codes = gsmCodes();
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const auto it = codes.constFind(c.unicode());
        if (it == codes.cend())
            return std::nullopt;
        out += *it;
    }
    return out;
}

// Where each part ends: at most `per` units, never between the two halves
// of a pair (the unit before a cut must not open one).
template <typename OpensPair>
QList<qsizetype> partEnds(qsizetype size, int per, OpensPair opensPair)
{
    QList<qsizetype> ends;
    qsizetype at = 0;
    while (at < size) {
        qsizetype end = qMin(size, at + per);
        if (end < size && opensPair(end - 1))
            --end;
        ends.append(end);
        at = end;
    }
    return ends;
}

QList<qsizetype> septetEnds(const QByteArray &septets)
{
    return partEnds(septets.size(), PartSeptets, [&](qsizetype i) { return septets[i] == Escape; });
}

QList<qsizetype> unitEnds(const QString &text)
{
    return partEnds(text.size(), PartUnits, [&](qsizetype i) { return text[i].isHighSurrogate(); });
}

QByteArray concatHeader(quint8 reference, qsizetype count, qsizetype number)
{
    QByteArray h("\x05\x00\x03", 3);
    h.append(char(reference));
    h.append(char(count));
    h.append(char(number));
    return h;
}

// Septet i goes to bits firstBit + 7i on, low bits first: the GSM 03.38
// packing, group after group without gaps, after any header.
UserData sevenBit(const QByteArray &septets, const QByteArray &header)
{
    UserData out;
    out.header = !header.isEmpty();
    // The header is padded with fill bits to a septet boundary.
    const int headerSeptets = int(header.size() * 8 + 6) / 7;
    const qsizetype firstBit = 7 * headerSeptets;
    out.length = headerSeptets + int(septets.size());
    out.octets = header;
    out.octets.append(QByteArray((firstBit + 7 * septets.size() + 7) / 8 - header.size(), 0));
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const unsigned septet = static_cast<unsigned char>(septets[i]);
        const qsizetype bit = firstBit + 7 * i;
        const qsizetype byte = bit / 8;
        const int shift = int(bit % 8);
        out.octets[byte] = char(out.octets[byte] | (septet << shift));
        if (shift > 1)
            out.octets[byte + 1] = char(out.octets[byte + 1] | (septet >> (8 - shift)));
    }
    return out;
}

UserData ucs2(QStringView text, const QByteArray &header)
{
    UserData out;
    out.ucs2 = true;
    out.header = !header.isEmpty();
    out.octets = header;
    for (const QChar c : text) {
        out.octets.append(char(c.unicode() >> 8));
        out.octets.append(char(c.unicode() & 0xFF));
    }
    out.length = int(out.octets.size());
    return out;
}
} // namespace

Plan plan(const QString &text)
{
    Plan p;
    if (const std::optional<QByteArray> septets = toSeptets(text)) {
        p.used = int(septets->size());
        if (p.used > SingleSeptets) {
            p.parts = int(septetEnds(*septets).size());
            p.capacity = p.parts * PartSeptets;
        }
        return p;
    }
    p.ucs2 = true;
    p.used = int(text.size());
    p.capacity = SingleUnits;
    if (p.used > SingleUnits) {
        p.parts = int(unitEnds(text).size());
        p.capacity = p.parts * PartUnits;
    }
    return p;
}

int characterCount(QStringView text)
{
    return int(text.toUcs4().size());
}

QList<UserData> encodeMessage(const QString &text, quint8 reference)
{
    QList<UserData> parts;
    if (text.isEmpty())
        return parts;
    if (const std::optional<QByteArray> septets = toSeptets(text)) {
        if (septets->size() <= SingleSeptets)
            return {sevenBit(*septets, {})};
        const QList<qsizetype> ends = septetEnds(*septets);
        qsizetype from = 0;
        for (qsizetype i = 0; i < ends.size(); from = ends[i++])
            parts.append(sevenBit(septets->mid(from, ends[i] - from), concatHeader(reference, ends.size(), i + 1)));
        return parts;
    }
    if (text.size() <= SingleUnits)
        return {ucs2(text, {})};
    const QList<qsizetype> ends = unitEnds(text);
    qsizetype from = 0;
    for (qsizetype i = 0; i < ends.size(); from = ends[i++])
        parts.append(ucs2(QStringView(text).sliced(from, ends[i] - from), concatHeader(reference, ends.size(), i + 1)));
    return parts;
}

QByteArray submitPdu(const Address &recipient, const UserData &text, bool requestReply)
{
    QByteArray pdu;
    pdu.reserve(1 + tpduLength(recipient, text));
    pdu.append(char(0x00));
    pdu.append(char(0x11 | (text.header ? 0x40 : 0) | (requestReply ? 0x80 : 0)));
    pdu.append(char(0x00));
    pdu.append(char(recipient.digitCount));
    pdu.append(char(recipient.international ? 0x91 : 0x81));
    pdu.append(recipient.octets);
    pdu.append(char(0x00));
    pdu.append(char(text.ucs2 ? 0x08 : 0x00));
    pdu.append(char(0xC4)); // 30 days, relative
    pdu.append(char(text.length));
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
