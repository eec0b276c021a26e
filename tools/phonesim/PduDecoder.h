// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reads an SMS-SUBMIT PDU (GSM 03.40) the way the phone's network side would,
// so tests can see what the program really put on the wire.
#include <QByteArray>
#include <QJsonObject>
#include <QString>

struct DecodedSubmit {
    bool ok = false;
    QString error;             // why ok is false
    int scaLength = 0;         // octets of SMS centre information after the first octet
    QString sca;               // centre number when the PDU carries one
    int firstOctet = 0;
    bool replyPath = false;
    bool udhi = false;
    int vpf = 0;               // validity period format, 0..3
    int messageReference = 0;
    int digits = 0;            // destination address length in digits
    int toa = 0;
    QString number;            // "+" and digits for an international type
    int pid = 0;
    int dcs = 0;
    int validity = -1;         // relative validity octet, -1 when absent
    int udl = 0;               // user data length (septets for 7-bit)
    QString text;              // after any user data header
    QByteArray userData;       // the user data octets as received, header included
    // A concatenation header's reference, count of parts and this part's
    // number (1-based); -1 and 0 without one.
    int concatReference = -1;
    int concatParts = 0;
    int concatPart = 0;
    int tpduLength = 0;        // octets present after the centre information
    int impliedTpduLength = 0; // octets the header fields account for

    QJsonObject toJson() const;
};

// pdu: the whole PDU from the centre-length octet on, as raw octets.
DecodedSubmit decodeSubmitPdu(const QByteArray &pdu);
// hex: the same as hexadecimal text; blanks are ignored, anything else not hex is an error.
DecodedSubmit decodeSubmitPduHex(const QByteArray &hex);

// Packed septets read as the GSM 03.38 default alphabet, an escape and the
// septet after it as the extension table; the first `skip` septets (a
// header and its fill bits) are passed over.
QString septetsToText(const QByteArray &packed, int septetCount, int skip = 0);
