// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/messaging/SmsSender.h"

#include <QRandomGenerator>

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
    : QObject(parent), m_link(link), m_binary(link), m_centre(centre), m_icq(icq),
      m_reference(quint8(QRandomGenerator::global()->bounded(256)))
{
}

std::optional<QString> SmsSender::tooLong(const QString &text, bool icq)
{
    const Pdu::Plan plan = Pdu::plan(text);
    if (icq && plan.parts > 1)
        return QStringLiteral("Too long for ICQ: %1 / %2")
            .arg(plan.used)
            .arg(plan.ucs2 ? Pdu::SingleUnits : Pdu::SingleSeptets);
    if (!plan.fits())
        return QStringLiteral("Too long: %1 SMS, at most %2").arg(plan.parts).arg(Pdu::MaxParts);
    return std::nullopt;
}

std::optional<QString> SmsSender::statusText(Result result, const QString &portName)
{
    const bool binary = result.road == Road::Binary;
    // Which part a long message stopped at: the ones before it went out.
    const QString part = result.parts > 1 && result.part > 0
                             ? QStringLiteral(" (part %1 of %2)").arg(result.part).arg(result.parts)
                             : QString();
    switch (result.outcome) {
    case Outcome::Sent: return result.atForBinary ? QStringLiteral("SMS sent OK. (AT mode)") : QStringLiteral("SMS sent OK.");
    case Outcome::Failed: return QStringLiteral("SMS failed") + part;
    case Outcome::Unknown: return (binary ? QStringLiteral("SMS ???") : QStringLiteral("SMS status unknown.")) + part;
    case Outcome::Aborted: return Aborted + part;
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
    m_part = 0;
    m_messageReference = -1;
    if (message.text.isEmpty()) {
        refuse(Field::Text);
        return {Outcome::Refused, Road::At};
    }
    // Nothing of a text that cannot go whole goes at all.
    if (const std::optional<QString> reason = tooLong(message.text, message.icq)) {
        emit status(*reason);
        refuse(Field::Text);
        return {Outcome::Refused, Road::At};
    }
    const std::optional<Pdu::Address> recipient = ProcessNumber(message);
    if (!recipient)
        return {Outcome::Refused, Road::At};
    m_parts = Pdu::encodeMessage(message.text, m_reference);
    if (m_parts.size() > 1)
        ++m_reference;

    emit status(QStringLiteral("SMS -> GSM ..."));
    Result result{Outcome::NoPhone, Road::At, int(m_parts.size())};
    if (!m_link.exchange("AT\r\n").ok() || !m_link.connected()) {
        m_link.closePort();
        return result;
    }

    if (!message.binaryOnly && m_link.exchange("AT+CMGS=?\r\n").ok()) {
        result.outcome = sendInAtMode(message, *recipient);
    } else {
        result.road = Road::Binary;
        result.outcome = sendInBinaryMode(message, *recipient);
        // A first part refused for its header or its UCS-2 (nothing of the
        // message went out) goes again in AT mode, where the phone takes it.
        if (result.outcome == Outcome::Failed && m_part == 1 && (m_parts[0].header || m_parts[0].ucs2)) {
            if (m_link.exchange("AT+CMGS=?\r\n").ok()) {
                emit status(QStringLiteral("Binary mode refused it: AT mode"));
                result = {sendInAtMode(message, *recipient), Road::At, result.parts, 0, true};
            } else {
                closeLink();
            }
        }
    }
    if (result.outcome != Outcome::Sent)
        result.part = m_part;
    for (const Pdu::UserData &part : std::as_const(m_parts))
        result.pdus << Pdu::hex(Pdu::submitPdu(*recipient, part, message.requestReply));
    result.messageReference = m_messageReference;
    return result;
}

QString SmsSender::keptStatus(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Sent: return QStringLiteral("sent");
    case Outcome::Failed: return QStringLiteral("failed");
    case Outcome::Unknown: return QStringLiteral("unknown");
    default: return QString();
    }
}

void SmsSender::waitingStatus()
{
    emit status(m_parts.size() > 1 ? SentWaiting + QStringLiteral(" %1/%2").arg(m_part).arg(m_parts.size())
                                   : SentWaiting);
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

void SmsSender::restoreCentreAT()
{
    const QByteArray own = Reply::trimmed(toPhoneText(m_centre.shownCentre()));
    const PhoneLink::PuttingBack after(m_link);
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

// PDU mode, then each part: the prompt, the part. Aborted when the part
// the send stopped at never went out.
SmsSender::Outcome SmsSender::submitAT(const Message &message, const Pdu::Address &recipient)
{
    m_part = 1;
    if (!m_link.exchange("AT+CMGF=0\r\n").ok())
        return Outcome::Aborted;

    Outcome outcome = Outcome::Sent;
    for (const Pdu::UserData &part : std::as_const(m_parts)) {
        if (m_link.AbortRequested())
            return Outcome::Aborted;
        outcome = submitPartAT(Pdu::submitPdu(recipient, part, message.requestReply), Pdu::tpduLength(recipient, part));
        if (outcome != Outcome::Sent)
            break;
        ++m_part;
    }
    if (outcome != Outcome::Aborted)
        emit handedOver();
    return outcome;
}

SmsSender::Outcome SmsSender::submitPartAT(const QByteArray &pdu, int tpduLength)
{
    // Announce the length; the phone answers with its echo, then ">".
    m_link.writeCommand("AT+CMGS=" + QByteArray::number(tpduLength) + "\r");
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

    // The part in hex, ended by Ctrl-Z.
    waitingStatus();
    const Exchange taken = m_link.exchange(Pdu::hex(pdu) + '\x1a', Wait::Long);
    if (!taken.ok())
        return Outcome::Unknown;
    const qsizetype at = taken.reply.indexOf("+CMGS:");
    bool number = false;
    const int reference = at < 0 ? -1 : taken.reply.mid(at + 6).trimmed().split('\r').value(0).trimmed().toInt(&number);
    m_messageReference = number ? reference : -1;
    return Outcome::Sent;
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

    const Outcome outcome = submitBinary(message, recipient);
    if (outcome == Outcome::Aborted)
        return binaryAborted();
    if (!m_centreRestored && m_link.connected())
        restoreCentreBinary();
    closeLink();
    return outcome;
}

// Each part in a submit frame, the phone's verdict awaited as long as it
// takes: only the user ends that wait. The first part not sent ends the send.
SmsSender::Outcome SmsSender::submitBinary(const Message &message, const Pdu::Address &recipient)
{
    for (m_part = 1; m_part <= m_parts.size(); ++m_part) {
        const QByteArray pdu = Pdu::submitPdu(recipient, m_parts[m_part - 1], message.requestReply);
        const BinaryLink::Answer answer = m_binary.request(
            Frames::submit(pdu),
            BinaryLink::Request(BinaryLink::UntilAbort).purgingFirst().whenSent([this] { waitingStatus(); }));
        if (!answer.whole)
            return Outcome::Aborted;
        switch (Frames::judgeSubmitReply(answer.body)) {
        case Frames::Outcome::Sent:
            break;
        case Frames::Outcome::Failed:
            return Outcome::Failed;
        case Frames::Outcome::Unknown:
            return Outcome::Unknown;
        }
        if (m_link.AbortRequested())
            return Outcome::Aborted;
    }
    emit handedOver();
    return Outcome::Sent;
}
