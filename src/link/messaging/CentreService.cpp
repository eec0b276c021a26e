// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/messaging/CentreService.h"

#include "core/at/Charset.h"
#include "core/at/NumberConversion.h"
#include "link/PhoneLink.h"
#include "core/at/ReplyParse.h"
#include "core/messaging/BinaryFrames.h"
#include "core/messaging/PduBuilder.h"

CentreService::CentreService(PhoneLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_binary(link)
{
}

QString CentreService::shownCentre() const
{
    return m_shown;
}

void CentreService::setShownCentre(const QString &text)
{
    m_shown = text;
}

bool CentreService::SmscRead() const
{
    return m_read;
}

void CentreService::GetSMSC()
{
    m_read = false;
    m_shown.clear();
    emit reading(true);

    const Exchange e = m_link.exchange("AT+CSCA?\r\n");
    if (e.ok() && e.reply.contains('"')) {
        // A quoted field, even an empty one, is the phone's centre as it
        // stands, and that is what an ICQ send must put back.
        if (const auto centre = Reply::smsCentre(e.reply)) {
            m_shown = QStringLiteral(" ") + fromPhoneText(*centre);
            m_read = true;
            emit centreShown(m_shown);
        }
    }
    emit readDone();
}

void CentreService::GetSMSCbinary()
{
    emit reading(false);

    m_binary.GoBinary();
    if (!m_link.AbortRequested()) {
        // Ask for the centre; the answer is a "BQ" frame. Cancel ends the
        // wait too: the user should not sit out the 3 s.
        const BinaryLink::Answer answer = m_binary.request(
            Frames::centreQuery(), BinaryLink::Request(BinaryLink::WithinTimer).within(m_link.timing().centreAnswer));
        const QByteArray &body = answer.body;
        if (answer.whole && m_link.replyTimerRunning() && !m_link.AbortRequested() && body.size() >= 3
            && body.startsWith("BQ")) {
            m_shown = fromPhoneText(Frames::centreText(body));
            emit centreShown(m_shown);
        }
        m_link.stopReplyTimer();
    }

    // Back to AT mode.
    if (m_link.connected())
        m_binary.SendCommBreak();
    m_link.sleep(m_link.timing().linkRest);
    emit readDone();
}

CentreService::SetResult CentreService::setCentre(const QString &typed)
{
    const QByteArray number = Reply::trimmed(toPhoneText(typed));
    if (m_link.exchange("AT+CSCA=\"" + numberTophone(number) + "\r\n").ok())
        return SetResult::SetAT;
    // Cancelled, or the port would not open (the error dialog has been
    // shown): the user asked for nothing more.
    if (m_link.AbortRequested())
        return SetResult::Cancelled;
    // Checked before binary mode: a number no frame can hold is a refusal
    // of this value alone, not an abort of the operation that set it.
    const std::optional<Pdu::Address> centre = Pdu::encodeNumber(number);
    if (!centre)
        return SetResult::BadNumber;
    return setCentreBinary(*centre) ? SetResult::SetBinary : SetResult::FailedBinary;
}

void CentreService::finishSet(SetResult result)
{
    if (result == SetResult::SetBinary || result == SetResult::FailedBinary)
        m_binary.SendCommBreak();
    m_link.stopReplyTimer();
    m_link.closePort();
}

// True only when the phone's answer frame to the set frame arrived whole.
bool CentreService::setCentreBinary(const Pdu::Address &centre)
{
    m_binary.GoBinary();
    if (m_link.AbortRequested())
        return false;
    m_link.startReplyTimer(m_link.timing().centreAnswer);
    return setFrameAnswered(centre);
}

bool CentreService::setFrameAnswered(const Pdu::Address &centre)
{
    return m_binary.request(Frames::centreSet(centre), BinaryLink::Request(BinaryLink::AckWithinTimer)).whole;
}
