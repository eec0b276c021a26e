// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A message as the phone stores it (SMS-DELIVER, SMS-SUBMIT or
// SMS-STATUS-REPORT, in hex), taken apart for showing: the other party, the
// centre, the time stamp, the text, and where it belongs in a message sent
// in several parts. Anything the phone hands over decodes to something; a
// damaged PDU keeps the fields that did decode, one that cannot be read at
// all says so, and nothing throws.
#include <QByteArray>
#include <QDateTime>
#include <QString>

struct DecodedSms {
    enum Kind { Deliver, Submit, OtherKind, Unreadable, StatusReport };
    Kind kind = Unreadable;
    // The sender (Deliver) or recipient (Submit, StatusReport): "+" digits,
    // digits, or the sender's text without trailing blanks.
    QString number;
    QString centre;  // the centre address the PDU carries, empty when none
    // The centre's time stamp in the sender's own time, its offset kept;
    // invalid for a stored outgoing message or a stamp that is no date. A
    // status report's is when the centre took the message. A zone that is
    // no number leaves the time read as UTC.
    QDateTime time;
    QString text;    // 8-bit data as hex octets; a status report's outcome word
    // A status report: when the centre made the report (delivered, or gave
    // up), and its TP-ST octet; -1 for other kinds.
    QDateTime reportTime;
    int reportStatus = -1;
    // A status report: the reference the centre gave the message it reports
    // on (its TP-MR); -1 for other kinds.
    int messageReference = -1;
    // The PDU ended before its fields did (or ran on with what is no hex):
    // what decoded is kept, the text as far as it could be read.
    bool damaged = false;
    // A part of a concatenated message: the sender's reference, how many
    // parts and which one this is (1-based). total is 0 for a whole message.
    int reference = -1;
    int total = 0;
    int part = 0;
    bool ok() const { return kind == Deliver || kind == Submit; }
};

namespace SmsDecode {
// hex: the PDU as listed, upper or lower case; an odd digit or anything
// after the hex digits marks it damaged. tpduLength: the length the
// header gave (octets without the centre address), or -1 when unknown. A
// PDU of exactly twice that many hex digits carries no centre address;
// otherwise its first octet is the centre address length.
DecodedSms decode(const QByteArray &hex, int tpduLength);

// "Delivered", "Pending" or "Failed" for a TP-ST octet: the transaction
// completed; the centre still trying; the centre gave up (or a value kept
// for later use, which promises nothing).
QString reportOutcome(int tpStatus);

// The GSM 7-bit default alphabet with its extension table, septet by septet.
QString gsmText(const QByteArray &septets);
// count septets unpacked from packed octets, starting at septet `skip`.
QByteArray unpackSeptets(const QByteArray &octets, int count, int skip = 0);
}
