// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/BinaryLink.h"

#include "link/PhoneLink.h"

void BinaryLink::GoBinary()
{
    const PhoneLink::Turn turn(m_link, "GoBinary");
    if (!turn)
        return;

    m_link.startReplyTimer(m_link.timing().binaryAnswer);
    m_link.startAfresh();
    // Aborted already: the phone is left in AT mode.
    if (m_link.AbortRequested())
        return;
    // Ask for binary mode; the phone answers with 25 bytes or more of text.
    m_link.purgeInput();
    m_link.writeCommand("AT*BINARY\r\n");
    if (!m_link.waitForBytes(25, PhoneLink::OnEither)) {
        m_link.setAbortRequested(true);
        return;
    }
    m_link.purgeInput();

    // Two frames of the phone's greeting follow, each acknowledged.
    receiveFrame(true, false);
    if (!m_link.replyTimerRunning())
        m_link.setAbortRequested(true);
    if (m_link.AbortRequested())
        return;
    receiveFrame(true, false);
    if (!m_link.replyTimerRunning())
        m_link.setAbortRequested(true);
    if (!m_link.AbortRequested()) {
        m_link.stopReplyTimer();
        m_link.sleep(m_link.timing().binarySettle);
    }
}

bool BinaryLink::receiveFrame(bool purgeFirst, bool untilTimer)
{
    if (purgeFirst)
        m_link.purgeInput();
    m_link.forgetActivity();
    const int stopOn = untilTimer ? PhoneLink::OnTimerEnd : PhoneLink::OnAbort;
    // The header: a type byte and the length of the body.
    if (!m_link.waitForBytes(2, stopOn))
        return false;
    const QByteArray header = m_link.readBytes(2);
    const int length = uchar(header.at(1));
    // The body, then the acknowledgement.
    if (!m_link.waitForBytes(length, stopOn))
        return false;
    m_link.m_replyText = m_link.readBytes(length);
    acknowledgeFrame();
    return true;
}

void BinaryLink::takeFrame()
{
    if (const PhoneLink::Turn turn(m_link, "takeFrame"); turn)
        receiveFrame(true, false);
}

void BinaryLink::takeFrameKeepingInput()
{
    if (const PhoneLink::Turn turn(m_link, "takeFrameKeepingInput"); turn)
        receiveFrame(false, true);
}

void BinaryLink::SendCommBreak()
{
    m_link.setBreak(true);
    m_link.sleep(m_link.timing().breakHalf);
    m_link.setBreak(false);
    m_link.sleep(m_link.timing().breakHalf);
}

void BinaryLink::acknowledgeFrame()
{
    m_link.sendAhead(0x06);
}

BinaryLink::Answer BinaryLink::request(const QByteArray &frame, const Request &how)
{
    Answer answer;
    const PhoneLink::Turn turn(m_link, "A binary request");
    if (!turn)
        return answer;

    if (how.purgeFirst)
        m_link.purgeInput();
    m_link.writeRaw(frame);
    if (how.sent)
        how.sent();
    if (how.answerWithin)
        m_link.startReplyTimer(*how.answerWithin);
    const bool timed = how.patience != UntilAbort;
    if (!m_link.waitForBytes(1, timed ? PhoneLink::OnEither : PhoneLink::OnAbort))
        return answer;
    m_link.readBytes(1);
    answer.acknowledged = true;

    const bool keepInput = how.patience == WithinTimer;
    answer.whole = receiveFrame(!keepInput, keepInput);
    if (answer.whole)
        answer.body = m_link.ReplyText();
    return answer;
}
