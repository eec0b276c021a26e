// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/SmsDecode.h"

#include <QTimeZone>
#include <cctype>

namespace {

// The default alphabet; 0x1B is the escape to the extension table and
// never shown itself.
const char16_t DefaultAlphabet[] =
    u"@\u00A3$\u00A5\u00E8\u00E9\u00F9\u00EC\u00F2\u00C7\n\u00D8\u00F8\r\u00C5\u00E5"
    u"\u0394_\u03A6\u0393\u039B\u03A9\u03A0\u03A8\u03A3\u0398\u039E \u00C6\u00E6\u00DF\u00C9"
    u" !\"#\u00A4%&'()*+,-./0123456789:;<=>?"
    u"\u00A1ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00C4\u00D6\u00D1\u00DC\u00A7"
    u"\u00BFabcdefghijklmnopqrstuvwxyz\u00E4\u00F6\u00F1\u00FC\u00E0";
static_assert(sizeof DefaultAlphabet / sizeof DefaultAlphabet[0] == 129);

char16_t extension(uchar septet)
{
    switch (septet) {
    case 0x0A: return u'\f';
    case 0x14: return u'^';
    case 0x28: return u'{';
    case 0x29: return u'}';
    case 0x2F: return u'\\';
    case 0x3C: return u'[';
    case 0x3D: return u'~';
    case 0x3E: return u']';
    case 0x40: return u'|';
    case 0x65: return u'\u20AC';
    default: return 0;
    }
}

// Reads octets front to back; any read past the end marks it short, and
// from then on every read gives 0.
class Reader {
public:
    Reader(const QByteArray &data, int pos) : m_data(data), m_pos(pos) {}
    uchar byte()
    {
        if (m_pos >= m_data.size()) {
            m_short = true;
            return 0;
        }
        return uchar(m_data[m_pos++]);
    }
    QByteArray take(int n)
    {
        if (n < 0 || m_pos + n > m_data.size()) {
            m_short = true;
            m_pos = int(m_data.size());
            return {};
        }
        const QByteArray out = m_data.mid(m_pos, n);
        m_pos += n;
        return out;
    }
    QByteArray rest() const { return m_data.mid(m_pos); }
    bool isShort() const { return m_short; }

private:
    const QByteArray &m_data;
    int m_pos;
    bool m_short = false;
};

QString semiOctetDigits(const QByteArray &octets, int digits)
{
    static const char map[] = "0123456789*#abc";
    QString out;
    for (int i = 0; i < octets.size() * 2 && out.size() < digits; ++i) {
        const uchar o = uchar(octets[i / 2]);
        const int nibble = i % 2 ? o >> 4 : o & 0x0F;
        if (nibble == 0x0F)
            continue; // the filler of an odd count
        out += QLatin1Char(map[nibble]);
    }
    return out;
}

bool international(uchar type) { return (type & 0x70) == 0x10; }

// TP-OA / TP-DA / TP-RA: a length in digits (semi-octets), the type, the digits.
QString address(Reader &r)
{
    const int length = r.byte();
    const uchar type = r.byte();
    const QByteArray octets = r.take((length + 1) / 2);
    if ((type & 0x70) == 0x50) { // alphanumeric, packed in 7 bits
        // Senders pad their name with blanks to fill the field; they are no
        // part of it, and a name must match itself however it was padded.
        QString name = SmsDecode::gsmText(SmsDecode::unpackSeptets(octets, length * 4 / 7));
        while (name.endsWith(u' '))
            name.chop(1);
        return name;
    }
    const QString digits = semiOctetDigits(octets, length);
    return international(type) && !digits.isEmpty() ? QLatin1Char('+') + digits : digits;
}

int swapped(uchar o, bool *ok)
{
    const int low = o & 0x0F, high = o >> 4;
    if (low > 9 || high > 9)
        *ok = false;
    return low * 10 + high;
}

QDateTime timeStamp(const QByteArray &scts)
{
    bool ok = scts.size() == 7;
    if (!ok)
        return {};
    int v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = swapped(uchar(scts[i]), &ok);
    if (!ok)
        return {};
    const uchar zone = uchar(scts[6]);
    const int quarters = (zone & 0x07) * 10 + (zone >> 4);
    // Some centres write a zone that is no number; the time itself is good.
    const int offset = (zone >> 4) > 9 ? 0 : (zone & 0x08 ? -quarters : quarters) * 15 * 60;
    const QDate date(v[0] < 90 ? 2000 + v[0] : 1900 + v[0], v[1], v[2]);
    const QTime time(v[3], v[4], v[5]);
    // Qt takes offsets up to 14 hours either way; the field reaches 19.75.
    if (!date.isValid() || !time.isValid() || qAbs(offset) > 14 * 3600)
        return {};
    return QDateTime(date, time, Qt::OffsetFromUTC, offset);
}

enum class Alphabet { Gsm7, EightBit, Ucs2 };

Alphabet alphabet(uchar dcs)
{
    if ((dcs & 0x80) == 0) {
        if (dcs & 0x20) // compressed: shown as the data it is
            return Alphabet::EightBit;
        switch ((dcs >> 2) & 3) {
        case 1: return Alphabet::EightBit;
        case 2: return Alphabet::Ucs2;
        default: return Alphabet::Gsm7;
        }
    }
    switch (dcs >> 4) {
    case 0xE: return Alphabet::Ucs2;
    case 0xF: return dcs & 0x04 ? Alphabet::EightBit : Alphabet::Gsm7;
    default: return Alphabet::Gsm7;
    }
}

// Concatenation in the user data header, 8- or 16-bit reference.
void concatenation(const QByteArray &header, DecodedSms &out)
{
    for (int i = 0; i + 2 <= header.size();) {
        const uchar id = uchar(header[i]), length = uchar(header[i + 1]);
        if (i + 2 + length > header.size())
            break;
        const auto at = [&](int k) { return uchar(header[i + 2 + k]); };
        int reference = -1, total = 0, part = 0;
        if (id == 0x00 && length == 3) {
            reference = at(0), total = at(1), part = at(2);
        } else if (id == 0x08 && length == 4) {
            reference = at(0) << 8 | at(1), total = at(2), part = at(3);
        }
        if (reference >= 0 && total >= 1 && part >= 1 && part <= total) {
            out.reference = reference;
            out.total = total;
            out.part = part;
        }
        i += 2 + length;
    }
}

QString hexOctets(const QByteArray &data)
{
    return QString::fromLatin1(data.toHex(' ').toUpper());
}

// What decoded of a PDU that ended early: the kind it is when any field
// came out, else nothing.
DecodedSms cutShort(DecodedSms out, DecodedSms::Kind kind)
{
    if (out.number.isEmpty() && !out.time.isValid())
        return {};
    out.kind = kind;
    out.damaged = true;
    return out;
}

// TP-MR, TP-RA, TP-SCTS, TP-DT, TP-ST; the optional fields after them say
// nothing the row shows.
DecodedSms statusReport(Reader &r, DecodedSms out)
{
    const uchar reference = r.byte();
    out.number = address(r);
    out.time = timeStamp(r.take(7));
    out.reportTime = timeStamp(r.take(7));
    const uchar status = r.byte();
    if (r.isShort())
        return cutShort(out, DecodedSms::StatusReport);
    out.reportStatus = status;
    out.messageReference = reference;
    out.text = SmsDecode::reportOutcome(status);
    out.kind = DecodedSms::StatusReport;
    return out;
}

// The user data as far as the PDU holds it; short when it holds less than
// its length says.
void userData(const QByteArray &data, int udl, bool header, uchar dcs, DecodedSms &out)
{
    const Alphabet abc = alphabet(dcs);
    if (abc == Alphabet::Gsm7) {
        // Only whole septets; a cut one would show a character never sent.
        const int whole = int(qMin<qsizetype>(udl, data.size() * 8 / 7));
        out.damaged = whole < udl;
        int skip = 0;
        if (header && udl > 0 && !data.isEmpty()) {
            const int hl = uchar(data[0]);
            skip = ((hl + 1) * 8 + 6) / 7;
            if (hl + 1 > data.size() || skip > udl) {
                out.damaged = true;
                return;
            }
            concatenation(data.mid(1, hl), out);
        }
        out.text = SmsDecode::gsmText(SmsDecode::unpackSeptets(data, qMax(0, whole - skip), skip));
        return;
    }
    out.damaged = data.size() < udl;
    QByteArray body = data.left(udl);
    if (header && !body.isEmpty()) {
        const int hl = uchar(body[0]);
        if (hl + 1 > body.size()) {
            out.damaged = true;
            return;
        }
        concatenation(body.mid(1, hl), out);
        body = body.mid(hl + 1);
    }
    if (abc == Alphabet::Ucs2) {
        QString text;
        for (int i = 0; i + 1 < body.size(); i += 2)
            text += QChar(char16_t(uchar(body[i]) << 8 | uchar(body[i + 1])));
        out.text = text;
    } else {
        out.text = hexOctets(body);
    }
}

DecodedSms decodeFrom(const QByteArray &pdu, bool withCentre)
{
    DecodedSms out;
    Reader r(pdu, 0);
    if (withCentre) {
        const int length = r.byte();
        if (length > 0) {
            const uchar type = r.byte();
            const QString digits = semiOctetDigits(r.take(length - 1), 2 * (length - 1));
            out.centre = international(type) && !digits.isEmpty() ? QLatin1Char('+') + digits : digits;
        }
    }
    const uchar first = r.byte();
    if (r.isShort())
        return {};
    const int type = first & 0x03;
    if (type == 2)
        return statusReport(r, out);
    if (type == 3) {
        out.kind = DecodedSms::OtherKind;
        return out;
    }
    const bool deliver = type == 0;
    const DecodedSms::Kind kind = deliver ? DecodedSms::Deliver : DecodedSms::Submit;
    if (!deliver)
        const uchar reference = r.byte();
    out.number = address(r);
    r.byte(); // protocol identifier
    const uchar dcs = r.byte();
    if (deliver) {
        out.time = timeStamp(r.take(7));
    } else {
        switch ((first >> 3) & 0x03) {
        case 2: r.take(1); break; // relative validity
        case 1:
        case 3: r.take(7); break; // enhanced or absolute
        default: break;
        }
    }
    const int udl = r.byte();
    if (r.isShort()) {
        // Nothing to show of a submit that names no recipient.
        return cutShort(out, kind);
    }
    userData(r.rest(), udl, first & 0x40, dcs, out);
    out.kind = kind;
    return out;
}

// A reading taken as it is, without trying the other centre guess.
bool whole(const DecodedSms &d)
{
    return (d.ok() || d.kind == DecodedSms::StatusReport) && !d.damaged;
}

// Whether the first octets read as a centre address: none, or a short one
// whose type of address has its top bit set, as every type has.
bool centreFirst(const QByteArray &pdu)
{
    const uchar length = uchar(pdu[0]);
    return length == 0 || (length <= 12 && pdu.size() > 1 && (uchar(pdu[1]) & 0x80));
}

} // namespace

namespace SmsDecode {

QByteArray unpackSeptets(const QByteArray &octets, int count, int skip)
{
    QByteArray out;
    for (int i = skip; i < skip + count; ++i) {
        const int bit = i * 7;
        const int at = bit / 8, shift = bit % 8;
        if (at >= octets.size())
            break;
        int v = uchar(octets[at]) >> shift;
        if (shift > 1 && at + 1 < octets.size())
            v |= uchar(octets[at + 1]) << (8 - shift);
        out += char(v & 0x7F);
    }
    return out;
}

QString gsmText(const QByteArray &septets)
{
    QString out;
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const uchar s = uchar(septets[i]) & 0x7F;
        if (s != 0x1B) {
            out += QChar(DefaultAlphabet[s]);
            continue;
        }
        if (++i >= septets.size())
            break; // an escape with nothing after it
        const uchar next = uchar(septets[i]) & 0x7F;
        // A code the extension table lacks shows as its default character.
        const char16_t c = extension(next);
        out += QChar(c ? c : next == 0x1B ? u' ' : DefaultAlphabet[next]);
    }
    return out;
}

QString reportOutcome(int tpStatus)
{
    if (tpStatus >= 0 && tpStatus < 0x20)
        return QStringLiteral("Delivered");
    if (tpStatus >= 0x20 && tpStatus < 0x40)
        return QStringLiteral("Pending");
    return QStringLiteral("Failed");
}

DecodedSms decode(const QByteArray &hex, int tpduLength)
{
    const QByteArray line = hex.trimmed();
    qsizetype end = 0;
    while (end < line.size() && std::isxdigit(uchar(line[end])))
        ++end;
    // A stray character and an odd digit cost what follows, not the message.
    const bool ragged = end < line.size() || end % 2;
    const QByteArray digits = line.left(end - end % 2);
    if (digits.isEmpty())
        return {};
    const QByteArray pdu = QByteArray::fromHex(digits);
    const bool withCentre = pdu.size() != tpduLength;
    DecodedSms out = decodeFrom(pdu, withCentre);
    // A header whose length is wrong must not cost the message.
    if (!whole(out)) {
        const DecodedSms other = decodeFrom(pdu, !withCentre);
        const bool readable = other.kind != DecodedSms::Unreadable && other.kind != DecodedSms::OtherKind;
        // Two damaged readings: the one whose centre guess the octets bear out.
        if (whole(other) || (readable && (out.kind == DecodedSms::Unreadable || centreFirst(pdu) != withCentre)))
            out = other;
    }
    if (ragged && out.kind != DecodedSms::Unreadable)
        out.damaged = true;
    return out;
}

} // namespace SmsDecode
