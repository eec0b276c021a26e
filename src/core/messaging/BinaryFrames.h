// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Frames of the phone's binary mode: 0x02, length, body.
#include <QByteArray>

#include "core/messaging/PduBuilder.h"

namespace Frames {
QByteArray centreQuery();                                // 02 02 41 51
QByteArray centreSet(const Pdu::Address &centre);        // 02, len, "BQ", its address
QByteArray submit(const QByteArray &pdu);                // 02, len+4, 41 07 03 02, pdu
// The phone's own centre written back: 0x02, length, the saved query reply body.
QByteArray restore(const QByteArray &savedBody);
enum class Outcome { Sent, Failed, Unknown };
Outcome judgeSubmitReply(const QByteArray &body);
// A "BQ" body as the centre field shows it (" +12345" or " 12345");
// empty when the body is not a centre reply.
QByteArray centreText(const QByteArray &body);
}
