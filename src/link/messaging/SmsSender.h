// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Sends the composed message as an SMS or, through the ICQ gateway, as an
// ICQ message: the AT road when the phone takes "AT+CMGS", else binary mode.
// The page hands over what the user entered and shows what comes back.
#include <QByteArray>
#include <QObject>
#include <QString>

#include "link/BinaryLink.h"

class PhoneLink;
class CentreService;
struct MessagingState;

class SmsSender : public QObject {
    Q_OBJECT
public:
    SmsSender(PhoneLink &link, MessagingState &state, CentreService &centre, QObject *parent = nullptr);

    // What the user entered, as the page hands it over.
    struct Message {
        QString text;
        QString smsRecipient; // ComboBox1
        QString icqRecipient; // ComboBox2
        bool requestReply = false;
        // Straight to binary mode, without asking whether the phone takes
        // "AT+CMGS" (the command line's --binary).
        bool binaryOnly = false;
    };
    // The input a send refused; the page marks it.
    enum class Field { Text, SmsRecipient, IcqRecipient };

    // One whole send; IcqMode in the shared state says which kind.
    void send(const Message &message);

    void ProcessNumber();
    void ProcessICQ();
    void ProcessText();
    void sendInAtMode();
    void sendInBinaryMode();

signals:
    void status(const QString &text);
    // Emitted while the send waits on it: the page's mark is part of the send.
    void refused(SmsSender::Field field);
    // The message was handed to the phone.
    void handedOver();

private:
    enum class BinaryExit { Done, TimedOut, Aborted, NoCentre };
    bool submitAT();
    void finishAT();
    void closeLink();
    void restoreCentreAT();
    BinaryExit switchToIcqCentre();
    void restoreCentreBinary();
    void binaryTimeOut();
    void binaryAborted();
    void refuse(Field field);

    PhoneLink &m_link;
    BinaryLink m_binary;
    MessagingState &m_state;
    CentreService &m_centre;
    Message m_message;
};
