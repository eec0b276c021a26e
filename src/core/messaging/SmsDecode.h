// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A message as the phone stores it (SMS-DELIVER or SMS-SUBMIT, in hex),
// taken apart for showing: the other party, the centre, the time stamp, the
// text, and where it belongs in a message sent in several parts. Anything
// the phone hands over decodes to something; a PDU that cannot be read says
// so and never throws.
#include <QByteArray>
#include <QDateTime>
#include <QString>

struct DecodedSms {
    enum Kind { Deliver, Submit, OtherKind, Unreadable };
    Kind kind = Unreadable;
    QString number;  // the sender (Deliver) or recipient (Submit): "+" digits, digits, or the sender's text
    QString centre;  // the centre address the PDU carries, empty when none
    // The centre's time stamp in the sender's own time, its offset kept;
    // invalid for a stored outgoing message or a stamp that is no date.
    QDateTime time;
    QString text;    // 8-bit data as hex octets
    // A part of a concatenated message: the sender's reference, how many
    // parts and which one this is (1-based). total is 0 for a whole message.
    int reference = -1;
    int total = 0;
    int part = 0;
    bool ok() const { return kind == Deliver || kind == Submit; }
};

namespace SmsDecode {
// hex: the PDU as listed, upper or lower case. tpduLength: the length the
// header gave (octets without the centre address), or -1 when unknown. A
// PDU of exactly twice that many hex digits carries no centre address;
// otherwise its first octet is the centre address length.
DecodedSms decode(const QByteArray &hex, int tpduLength);

// The GSM 7-bit default alphabet with its extension table, septet by septet.
QString gsmText(const QByteArray &septets);
// count septets unpacked from packed octets, starting at septet `skip`.
QByteArray unpackSeptets(const QByteArray &octets, int count, int skip = 0);
}
