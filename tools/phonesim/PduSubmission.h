// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// An SMS-SUBMIT handed to the phone, typed in after the AT+CMGS prompt or
// carried in a binary-mode frame. Either way it is logged, and when the
// phone takes it, put in the outbox under the next message reference.
#include "PhoneContext.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <optional>
#include <tuple>

struct DecodedSubmit;

class PduSubmission {
public:
    explicit PduSubmission(const PhoneContext &phone);

    // AT+CMGS=<octets>: false when the phone refuses it, else the prompt is
    // on its way (unless a fault withholds it) and the PDU follows.
    bool begin(const QString &args);

    enum class Key { Digit, Send, Cancel };
    // One byte after the prompt: a digit kept (and echoed by the phone),
    // the Ctrl-Z that sends (finish() then), or the Esc that cancels.
    Key type(char c);
    // The answer line once the PDU is taken; nothing when it is refused.
    std::optional<QString> finish();
    void clear();

    // way: "at" or "binary". declared is the length the program gave,
    // actual what the PDU holds.
    void logSubmitted(const DecodedSubmit &d, const QString &way, int declared, int actual,
                      const QByteArray &pdu) const;
    // Puts the message in the outbox and returns the reference it got.
    int accept(const DecodedSubmit &d, const QString &way, const QByteArray &pdu);

private:
    // The recipient's side: a whole message is logged as "delivered" once
    // every part of it has been taken.
    void deliver(const DecodedSubmit &d, const QString &way);
    QJsonObject messageFields(const DecodedSubmit &d, const QString &way, const QByteArray &pdu) const;

    PhoneContext m_phone;
    QByteArray m_pduHex;
    int m_declaredLength = 0;
    bool m_pduOverflow = false;
    // Parts taken of concatenated messages not yet whole: by recipient,
    // reference and count, the texts by part number.
    QMap<std::tuple<QString, int, int>, QMap<int, QString>> m_partsTaken;
};
