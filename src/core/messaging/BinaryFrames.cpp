// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/BinaryFrames.h"

namespace Frames {

namespace {
constexpr char Stx = 0x02;
constexpr qsizetype MaxBody = 255;

QByteArray frame(const QByteArray &body)
{
    QByteArray out;
    out.reserve(body.size() + 2);
    out.append(Stx);
    out.append(char(body.size()));
    out.append(body);
    return out;
}

std::uint8_t at(const QByteArray &body, qsizetype i)
{
    return static_cast<std::uint8_t>(body[i]);
}
} // namespace

QByteArray centreQuery()
{
    return frame("AQ");
}

QByteArray centreSet(const Pdu::Address &centre)
{
    QByteArray body("BQ");
    body.append(char(centre.octets.size() + 1));
    body.append(char(centre.international ? 0x91 : 0x81));
    body.append(centre.octets);
    return frame(body);
}

QByteArray submit(const QByteArray &pdu)
{
    QByteArray body("\x41\x07\x03\x02", 4);
    body.append(pdu.left(MaxBody - body.size()));
    return frame(body);
}

QByteArray restore(const QByteArray &savedBody)
{
    // The phone's own reply body goes back unchanged. Its third byte plus 3
    // is the body length for a well-formed reply; the length byte sent is
    // always the real body length, since any other value would leave the
    // phone waiting for bytes that never come or reading ours as a new frame.
    return frame(savedBody.left(MaxBody));
}

Outcome judgeSubmitReply(const QByteArray &body)
{
    if (body.size() < 2)
        return Outcome::Unknown;
    switch (at(body, 1)) {
    case 0x25: return Outcome::Sent;
    case 0x26: return Outcome::Failed;
    default: return Outcome::Unknown;
    }
}

QByteArray centreText(const QByteArray &body)
{
    if (body.size() < 3 || body[0] != 'B' || body[1] != 'Q')
        return {};
    QByteArray out = (body.size() > 3 && at(body, 3) == 0x91) ? QByteArray(" +") : QByteArray(" ");
    const int k = at(body, 2);
    const qsizetype end = qMin<qsizetype>(4 + qsizetype(k) - 1, body.size());
    for (qsizetype i = 4; i < end; ++i) {
        const std::uint8_t b = at(body, i);
        out += QByteArray::number(b & 0x0F);
        if (b < 0xF0)
            out += QByteArray::number(b >> 4);
    }
    return out;
}

} // namespace Frames
