// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/messaging/SmsSender.h"

#include "core/at/Charset.h"
#include "core/at/NumberConversion.h"
#include "link/PhoneLink.h"
#include "core/at/ReplyParse.h"
#include "core/messaging/BinaryFrames.h"
#include "link/messaging/CentreService.h"
#include "core/messaging/MessagingState.h"
#include "core/messaging/PduBuilder.h"

namespace {
constexpr int MaxText = 160;

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

SmsSender::SmsSender(PhoneLink &link, MessagingState &state, CentreService &centre, QObject *parent)
    : QObject(parent), m_link(link), m_binary(link), m_state(state), m_centre(centre)
{
}

void SmsSender::refuse(Field field)
{
    emit refused(field);
    m_link.setAbortRequested(true);
    m_link.stopReplyTimer();
}

void SmsSender::send(const Message &message)
{
    m_message = message;
    m_link.setAbortRequested(false);
    if (m_message.text.isEmpty()) {
        refuse(Field::Text);
        return;
    }

    ProcessNumber();
    if (m_link.AbortRequested())
        return;

    emit status(QStringLiteral("SMS -> GSM ..."));
    m_state.SmscRestored = true;

    if (!m_link.exchange("AT\r\n").ok() || !m_link.connected()) {
        emit status(QStringLiteral("Phone not found on ") + m_link.portName());
        m_link.closePort();
        return;
    }

    if (!m_message.binaryOnly && m_link.exchange("AT+CMGS=?\r\n").ok())
        sendInAtMode();
    else
        sendInBinaryMode();
}

void SmsSender::ProcessNumber()
{
    MessagingState &s = m_state;
    if (!s.IcqMode && !s.NumberPreset)
        s.NumberText = Reply::trimmed(toPhoneText(m_message.smsRecipient));
    if (s.IcqMode && !s.NumberPreset)
        ProcessICQ();
    if (m_link.AbortRequested())
        return;
    if (!Pdu::encodeNumber(s))
        refuse(Field::SmsRecipient);
}

void SmsSender::ProcessICQ()
{
    const auto recipient = Pdu::icqRecipient(toPhoneText(m_message.icqRecipient), m_state.IcqGatewayNumber);
    m_link.setAbortRequested(false);
    if (!recipient) {
        refuse(Field::IcqRecipient);
        return;
    }
    m_state.NumberText = *recipient;
}

void SmsSender::ProcessText()
{
    Pdu::encodeText(m_state, toPhoneText(m_message.text).left(MaxText));
}

void SmsSender::restoreCentreAT()
{
    const QByteArray own = Reply::trimmed(toPhoneText(m_centre.shownCentre()));
    m_link.exchange("AT+CSCA=\"" + numberTophone(own) + "\r\n");
    m_state.SmscRestored = true;
}

void SmsSender::sendInAtMode()
{
    if (m_state.IcqMode) {
        m_centre.GetSMSC();
        if (!m_state.SmscRead) {
            emit status(QStringLiteral("Error getting SMSC"));
            return;
        }
        const QByteArray icqCentre = Reply::trimmed(m_state.IcqSmscNumber);
        // Once the command is on the line the phone may have taken it even
        // when its answer is lost, so from here on the own centre goes back.
        m_state.SmscRestored = false;
        if (!m_link.exchange("AT+CSCA=\"" + numberTophone(icqCentre) + "\r\n").ok()) {
            finishAT();
            return;
        }
    }
    if (!submitAT())
        emit status(Aborted);
    finishAT();
}

// PDU mode, the prompt, the message. False when the message never went out.
bool SmsSender::submitAT()
{
    if (!m_link.exchange("AT+CMGF=0\r\n").ok())
        return false;

    ProcessText();

    // Announce the length; the phone answers with its echo, then ">".
    m_link.writeCommand("AT+CMGS=" + QByteArray::number(Pdu::tpduLength(m_state)) + "\r");
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
            return false;
        }
        last = m_link.readBytes(1);
        m_link.pumpPending();
    }

    // The message in hex, ended by Ctrl-Z.
    const QByteArray pdu = Pdu::submitPdu(m_state, m_message.requestReply);
    emit status(SentWaiting);
    const bool confirmed = m_link.exchange(Pdu::hex(pdu) + '\x1a', Wait::Long).ok();
    emit status(confirmed ? QStringLiteral("SMS sent OK.") : QStringLiteral("SMS status unknown."));
    emit handedOver();
    return true;
}

void SmsSender::finishAT()
{
    if (!m_state.SmscRestored && m_link.connected())
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
    m_state.SmscRestored = true;
    m_binary.request(Frames::restore(m_state.SavedSmscFrame),
                     BinaryLink::Request(BinaryLink::WithinTimer).purgingFirst().within(m_link.timing().binaryAnswer));
    m_link.stopReplyTimer();
}

void SmsSender::binaryTimeOut()
{
    m_link.stopReplyTimer();
    if (!m_state.SmscRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
    // The dialog waits in the event loop; a pending abort would turn that
    // wait into a busy one, and there is nothing left to abort.
    m_link.setAbortRequested(false);
    m_link.showLinkFailure();
    emit status(QString());
}

void SmsSender::binaryAborted()
{
    emit status(Aborted + QStringLiteral(", closing.."));
    m_link.setAbortRequested(false);
    if (!m_state.SmscRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
    m_link.stopReplyTimer();
    emit status(Aborted);
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

    m_state.SavedSmscFrame = answer.body;
    m_link.purgeInput();
    if (!restorableCentre(m_state.SavedSmscFrame))
        return BinaryExit::NoCentre;

    m_state.NumberPreset = true;
    m_state.NumberText = m_state.IcqSmscNumber;
    ProcessNumber();
    m_state.NumberPreset = false;
    if (m_link.AbortRequested()) // the ICQ centre number itself was refused
        return BinaryExit::Aborted;

    // Set the ICQ centre, still within the time the query started.
    if (!m_centre.setFrameAnswered() || !m_link.replyTimerRunning())
        return BinaryExit::TimedOut;

    m_link.stopReplyTimer();
    m_link.sleep(m_link.timing().binarySettle);
    return BinaryExit::Done;
}

void SmsSender::sendInBinaryMode()
{
    m_binary.GoBinary();
    // Nothing goes to a phone that did not enter binary mode, nor after the
    // user pressed Abort: the message must not leave after an abort.
    if (m_link.AbortRequested()) {
        binaryAborted();
        return;
    }

    if (m_state.IcqMode) {
        switch (switchToIcqCentre()) {
        case BinaryExit::Done:
            break;
        case BinaryExit::TimedOut:
            binaryTimeOut();
            return;
        case BinaryExit::Aborted:
            binaryAborted();
            return;
        case BinaryExit::NoCentre:
            // Without the phone's own centre in hand the ICQ centre would
            // replace it for good.
            emit status(QStringLiteral("Error getting SMSC"));
            closeLink();
            return;
        }
    }

    ProcessNumber();
    if (m_link.AbortRequested()) {
        binaryAborted();
        return;
    }
    ProcessText();

    // Submit the message frame and wait for the phone's verdict as long as
    // it takes: only the user ends that wait.
    const BinaryLink::Answer answer =
        m_binary.request(Frames::submit(Pdu::submitPdu(m_state, m_message.requestReply)),
                         BinaryLink::Request(BinaryLink::UntilAbort).purgingFirst().whenSent([this] {
                             emit status(SentWaiting);
                         }));
    if (!answer.whole) {
        binaryAborted();
        return;
    }

    switch (Frames::judgeSubmitReply(answer.body)) {
    case Frames::Outcome::Sent:
        emit status(QStringLiteral("SMS sent OK."));
        emit handedOver();
        break;
    case Frames::Outcome::Failed:
        emit status(QStringLiteral("SMS failed"));
        break;
    case Frames::Outcome::Unknown:
        emit status(QStringLiteral("SMS ???"));
        break;
    }

    if (!m_state.SmscRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
}
