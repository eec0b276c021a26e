// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Sends the composed message as an SMS or, through the ICQ gateway, as an
// ICQ message: the AT road when the phone takes "AT+CMGS", else binary mode.
// The page hands over what the user entered and shows how it ended.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

#include "core/messaging/PduBuilder.h"
#include "link/BinaryLink.h"

class PhoneLink;
class CentreService;
struct IcqNumbers;

class SmsSender : public QObject {
    Q_OBJECT
public:
    // `icq` is read at each ICQ send, so it must outlive the sender; its
    // owner keeps it as the book file and the settings page have it.
    SmsSender(PhoneLink &link, CentreService &centre, const IcqNumbers &icq, QObject *parent = nullptr);

    // What the user entered, as the page hands it over.
    struct Message {
        QString text;
        QString smsRecipient; // ComboBox1
        QString icqRecipient; // ComboBox2
        bool requestReply = false;
        // Straight to binary mode, without asking whether the phone takes
        // "AT+CMGS" (the command line's --binary).
        bool binaryOnly = false;
        // To icqRecipient through the ICQ gateway, not to smsRecipient.
        bool icq = false;
    };
    // The input a send refused; the page marks it.
    enum class Field { Text, SmsRecipient, IcqRecipient };

    enum class Outcome {
        Sent,     // the phone took the message
        Failed,   // the phone said it could not be sent
        Unknown,  // it went to the phone, which gave no verdict
        Aborted,  // it never went out: the user aborted, or the phone stopped short of it
        Refused,  // refused() named the input; or the phone would not set the ICQ centre
        NoCentre, // ICQ: the phone's own centre could not be read, so could not go back
        NoPhone,  // no phone answered, or in binary mode it stopped answering
    };
    // The AT commands, or the binary frames once the phone refused AT+CMGS.
    enum class Road { At, Binary };
    struct Result {
        Outcome outcome;
        Road road;
        // A message in several parts: how many, and the part the send
        // stopped at when it did not end Sent.
        int parts = 1;
        int part = 0;
        // The phone's binary mode refused a long or Unicode message, which
        // then went in AT mode.
        bool atForBinary = false;
        // Each part's PDU in hex, as handed to the phone, and the reference
        // the centre gave the last one ("+CMGS: 42"; -1 when none came), by
        // which its status report finds it.
        QList<QByteArray> pdus = {};
        int messageReference = -1;
    };

    // One whole send, the phone's centre put back for ICQ. Progress goes
    // out through status().
    Result send(const Message &message);

    // The SMS page's status line for a result; nothing where the line keeps
    // what it showed (an input refused is marked in place instead).
    static std::optional<QString> statusText(Result result, const QString &portName);
    // How a message that went out is kept: "sent", "failed" or "unknown";
    // empty for one that never went out.
    static QString keptStatus(Outcome outcome);
    // Why a text cannot be sent as it is (more parts than a message may
    // have, or more than one part through the ICQ gateway); nothing when it can.
    static std::optional<QString> tooLong(const QString &text, bool icq);

signals:
    void status(const QString &text);
    // Emitted while the send waits on it: the page's mark is part of the send.
    void refused(SmsSender::Field field);
    // The message was handed to the phone.
    void handedOver();

private:
    enum class BinaryExit { Done, TimedOut, Aborted, NoCentre };
    std::optional<Pdu::Address> ProcessNumber(const Message &message);
    std::optional<QByteArray> ProcessICQ(const Message &message);
    Outcome sendInAtMode(const Message &message, const Pdu::Address &recipient);
    Outcome sendInBinaryMode(const Message &message, const Pdu::Address &recipient);
    Outcome submitAT(const Message &message, const Pdu::Address &recipient);
    Outcome submitPartAT(const QByteArray &pdu, int tpduLength);
    Outcome submitBinary(const Message &message, const Pdu::Address &recipient);
    void waitingStatus();
    void finishAT();
    void closeLink();
    void restoreCentreAT();
    BinaryExit switchToIcqCentre();
    void restoreCentreBinary();
    Outcome binaryTimeOut();
    Outcome binaryAborted();
    void refuse(Field field);

    PhoneLink &m_link;
    BinaryLink m_binary;
    CentreService &m_centre;
    const IcqNumbers &m_icq;
    // The phone's own centre while an ICQ send has it switched: whether it
    // is back (or was never touched), and in binary mode the phone's answer
    // to the centre query, which goes back as it came.
    bool m_centreRestored = true;
    QByteArray m_savedCentreFrame;
    // The message being sent, part by part, and the part on its way (1-based).
    QList<Pdu::UserData> m_parts;
    int m_part = 0;
    int m_messageReference = -1;
    // The concatenation reference of the next long message: a new one for
    // each, starting anywhere so that two runs of the program differ.
    quint8 m_reference;
};
