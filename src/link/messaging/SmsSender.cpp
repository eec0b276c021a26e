// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/messaging/SmsSender.h"

#include "core/at/Charset.h"
#include "core/at/NumberConversion.h"
#include "link/PhoneLink.h"
#include "core/at/ReplyParse.h"
#include "core/messaging/BinaryFrames.h"
#include "core/messaging/IcqNumbers.h"
#include "link/messaging/CentreService.h"

namespace {
const QString SentWaiting = QStringLiteral("Sent, waiting for confirmation..");
const QString Aborted = QStringLiteral("Aborted");

// A centre query answer that can be written back: "BQ", length, type and
// at least one digit.
bool restorableCentre(const QByteArray &body)
{
    const QByteArray shown = Frames::centreText(body);
    for (char c : shown) {
        if (c >= '0' && c <= '9')
            return true;
    }
    return false;
}
} // namespace

SmsSender::SmsSender(PhoneLink &link, CentreService &centre, const IcqNumbers &icq, QObject *parent)
    : QObject(parent), m_link(link), m_binary(link), m_centre(centre), m_icq(icq)
{
}

std::optional<QString> SmsSender::statusText(Result result, const QString &portName)
{
    const bool binary = result.road == Road::Binary;
    switch (result.outcome) {
    case Outcome::Sent: return QStringLiteral("SMS sent OK.");
    case Outcome::Failed: return QStringLiteral("SMS failed");
    case Outcome::Unknown: return binary ? QStringLiteral("SMS ???") : QStringLiteral("SMS status unknown.");
    case Outcome::Aborted: return Aborted;
    case Outcome::Refused: return std::nullopt;
    case Outcome::NoCentre: return QStringLiteral("Error getting SMSC");
    // In binary mode the link's failure message has said it all.
    case Outcome::NoPhone: return binary ? QString() : QStringLiteral("Phone not found on ") + portName;
    }
    return std::nullopt;
}

void SmsSender::refuse(Field field)
{
    emit refused(field);
    m_link.setAbortRequested(true);
    m_link.stopReplyTimer();
}

SmsSender::Result SmsSender::send(const Message &message)
{
    m_link.setAbortRequested(false);
    m_centreRestored = true;
    if (message.text.isEmpty()) {
        refuse(Field::Text);
        return {Outcome::Refused, Road::At};
    }
    const std::optional<Pdu::Address> recipient = ProcessNumber(message);
    if (!recipient)
        return {Outcome::Refused, Road::At};

    emit status(QStringLiteral("SMS -> GSM ..."));
    if (!m_link.exchange("AT\r\n").ok() || !m_link.connected()) {
        m_link.closePort();
        return {Outcome::NoPhone, Road::At};
    }

    if (!message.binaryOnly && m_link.exchange("AT+CMGS=?\r\n").ok())
        return {sendInAtMode(message, *recipient), Road::At};
    return {sendInBinaryMode(message, *recipient), Road::Binary};
}

std::optional<Pdu::Address> SmsSender::ProcessNumber(const Message &message)
{
    QByteArray number;
    if (message.icq) {
        const std::optional<QByteArray> icq = ProcessICQ(message);
        if (!icq)
            return std::nullopt;
        number = *icq;
    } else {
        number = Reply::trimmed(toPhoneText(message.smsRecipient));
    }
    std::optional<Pdu::Address> address = Pdu::encodeNumber(number);
    if (!address)
        refuse(Field::SmsRecipient);
    return address;
}

std::optional<QByteArray> SmsSender::ProcessICQ(const Message &message)
{
    std::optional<QByteArray> recipient = Pdu::icqRecipient(toPhoneText(message.icqRecipient), m_icq.gateway);
    if (!recipient)
        refuse(Field::IcqRecipient);
    return recipient;
}

Pdu::UserData SmsSender::ProcessText(const Message &message)
{
    return Pdu::encodeText(toPhoneText(message.text));
}

void SmsSender::restoreCentreAT()
{
    const QByteArray own = Reply::trimmed(toPhoneText(m_centre.shownCentre()));
    m_link.exchange("AT+CSCA=\"" + numberTophone(own) + "\r\n");
    m_centreRestored = true;
}

SmsSender::Outcome SmsSender::sendInAtMode(const Message &message, const Pdu::Address &recipient)
{
    if (message.icq) {
        m_centre.GetSMSC();
        if (!m_centre.SmscRead()) {
            // Nothing was changed on the phone; the send ends here, port and all.
            m_link.closePort();
            return Outcome::NoCentre;
        }
        const QByteArray icqCentre = Reply::trimmed(m_icq.centre);
        // Once the command is on the line the phone may have taken it even
        // when its answer is lost, so from here on the own centre goes back.
        m_centreRestored = false;
        if (!m_link.exchange("AT+CSCA=\"" + numberTophone(icqCentre) + "\r\n").ok()) {
            finishAT();
            return Outcome::Refused;
        }
    }
    const Outcome outcome = submitAT(message, recipient);
    finishAT();
    return outcome;
}

// PDU mode, the prompt, the message. Aborted when the message never went out.
SmsSender::Outcome SmsSender::submitAT(const Message &message, const Pdu::Address &recipient)
{
    if (!m_link.exchange("AT+CMGF=0\r\n").ok())
        return Outcome::Aborted;

    const Pdu::UserData text = ProcessText(message);

    // Announce the length; the phone answers with its echo, then ">".
    m_link.writeCommand("AT+CMGS=" + QByteArray::number(Pdu::tpduLength(recipient, text)) + "\r");
    // One second for the prompt in all, however much echo comes before it.
    m_link.startReplyTimer(m_link.timing().prompt);
    QByteArray last;
    while (last != ">") {
        if (!m_link.waitForBytes(1, PhoneLink::OnEither)) {
            // A prompt that comes late leaves the phone collecting message
            // text: ESC ends that, so the centre command that may follow is
            // not swallowed as part of a message.
            if (m_link.connected()) {
                m_link.writeRaw("\x1b");
                m_link.sleep(m_link.timing().escapeSettle);
            }
            if (m_link.connected())
                m_link.purgeInput();
            return Outcome::Aborted;
        }
        last = m_link.readBytes(1);
        m_link.pumpPending();
    }

    // The message in hex, ended by Ctrl-Z.
    const QByteArray pdu = Pdu::submitPdu(recipient, text, message.requestReply);
    emit status(SentWaiting);
    const bool confirmed = m_link.exchange(Pdu::hex(pdu) + '\x1a', Wait::Long).ok();
    emit handedOver();
    return confirmed ? Outcome::Sent : Outcome::Unknown;
}

void SmsSender::finishAT()
{
    if (!m_centreRestored && m_link.connected())
        restoreCentreAT();
    closeLink();
}

// The break, then the port closed. A port already closed under the send
// (the window closing in the middle of it) is left alone.
void SmsSender::closeLink()
{
    if (m_link.connected())
        m_binary.SendCommBreak();
    m_link.closePort();
}

void SmsSender::restoreCentreBinary()
{
    // Write the saved centre back. Bounded, unlike the other binary waits:
    // this runs on the way out after an abort or a time-out, and a phone that
    // is gone must not keep the port after the user has already pressed
    // Abort once.
    m_centreRestored = true;
    m_binary.request(Frames::restore(m_savedCentreFrame),
                     BinaryLink::Request(BinaryLink::WithinTimer).purgingFirst().within(m_link.timing().binaryAnswer));
    m_link.stopReplyTimer();
}

SmsSender::Outcome SmsSender::binaryTimeOut()
{
    m_link.stopReplyTimer();
    if (!m_centreRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
    // The dialog waits in the event loop; a pending abort would turn that
    // wait into a busy one, and there is nothing left to abort.
    m_link.setAbortRequested(false);
    m_link.showLinkFailure();
    return Outcome::NoPhone;
}

SmsSender::Outcome SmsSender::binaryAborted()
{
    emit status(Aborted + QStringLiteral(", closing.."));
    m_link.setAbortRequested(false);
    if (!m_centreRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
    m_link.stopReplyTimer();
    return Outcome::Aborted;
}

SmsSender::BinaryExit SmsSender::switchToIcqCentre()
{
    // Ask for the phone's own centre and keep its answer for the restore.
    m_link.startReplyTimer(m_link.timing().binaryAnswer);
    const BinaryLink::Answer answer =
        m_binary.request(Frames::centreQuery(), BinaryLink::Request(BinaryLink::AckWithinTimer).purgingFirst());
    if (!answer.acknowledged)
        return m_link.AbortRequested() ? BinaryExit::Aborted : BinaryExit::TimedOut;
    if (!m_link.replyTimerRunning())
        return BinaryExit::TimedOut;
    if (!answer.whole)
        return BinaryExit::Aborted;

    m_savedCentreFrame = answer.body;
    m_link.purgeInput();
    if (!restorableCentre(m_savedCentreFrame))
        return BinaryExit::NoCentre;

    const std::optional<Pdu::Address> icqCentre = Pdu::encodeNumber(m_icq.centre);
    if (!icqCentre)
        refuse(Field::SmsRecipient);
    if (!icqCentre || m_link.AbortRequested())
        return BinaryExit::Aborted;

    // Set the ICQ centre, still within the time the query started. From
    // the moment its frame is on the line the own centre counts as replaced.
    m_centreRestored = false;
    if (!m_centre.setFrameAnswered(*icqCentre) || !m_link.replyTimerRunning())
        return BinaryExit::TimedOut;

    m_link.stopReplyTimer();
    m_link.sleep(m_link.timing().binarySettle);
    return BinaryExit::Done;
}

SmsSender::Outcome SmsSender::sendInBinaryMode(const Message &message, const Pdu::Address &recipient)
{
    m_binary.GoBinary();
    // Nothing goes to a phone that did not enter binary mode, nor after the
    // user pressed Abort: the message must not leave after an abort.
    if (m_link.AbortRequested())
        return binaryAborted();

    if (message.icq) {
        switch (switchToIcqCentre()) {
        case BinaryExit::Done:
            break;
        case BinaryExit::TimedOut:
            return binaryTimeOut();
        case BinaryExit::Aborted:
            return binaryAborted();
        case BinaryExit::NoCentre:
            // Without the phone's own centre in hand the ICQ centre would
            // replace it for good.
            closeLink();
            return Outcome::NoCentre;
        }
        if (m_link.AbortRequested())
            return binaryAborted();
    }

    // Submit the message frame and wait for the phone's verdict as long as
    // it takes: only the user ends that wait.
    const BinaryLink::Answer answer =
        m_binary.request(Frames::submit(Pdu::submitPdu(recipient, ProcessText(message), message.requestReply)),
                         BinaryLink::Request(BinaryLink::UntilAbort).purgingFirst().whenSent([this] {
                             emit status(SentWaiting);
                         }));
    if (!answer.whole)
        return binaryAborted();

    Outcome outcome = Outcome::Unknown;
    switch (Frames::judgeSubmitReply(answer.body)) {
    case Frames::Outcome::Sent:
        outcome = Outcome::Sent;
        emit handedOver();
        break;
    case Frames::Outcome::Failed:
        outcome = Outcome::Failed;
        break;
    case Frames::Outcome::Unknown:
        break;
    }

    if (!m_centreRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
    return outcome;
}
