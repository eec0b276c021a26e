// SPDX-License-Identifier: GPL-2.0-or-later
#include "BinaryMode.h"

#include "Faults.h"
#include "PduDecoder.h"
#include "PduSubmission.h"
#include "PhoneState.h"
#include "PtyPort.h"
#include "SimLog.h"

namespace {

constexpr int kFrameTag = 1;
constexpr char kAck = 0x06;
constexpr char kFrameStart = 0x02;
constexpr int kRepeatMs = 300;
constexpr int kMaxTries = 20;
constexpr int kReplyFrameDelayMs = 50;  // lets the program purge its input after reading our ack
constexpr int kFirstFrameDelayMs = 150; // after the bytes that answer AT*BINARY
constexpr int kFrameInTimeoutMs = 2000;
constexpr int kMinBinaryAnswer = 25;

QString byteName(char c)
{
    return QStringLiteral("0x%1").arg(int(quint8(c)), 2, 16, QLatin1Char('0'));
}

QByteArray frame(const QByteArray &body)
{
    QByteArray f;
    f.append(kFrameStart);
    f.append(char(quint8(body.size())));
    f.append(body);
    return f;
}

} // namespace

BinaryMode::BinaryMode(const PhoneContext &phone, PduSubmission &submission, QObject *parent)
    : QObject(parent), m_phone(phone), m_submission(submission)
{
    m_frameInTimeout.setSingleShot(true);
    m_frameInTimeout.setInterval(kFrameInTimeoutMs);
    connect(&m_frameInTimeout, &QTimer::timeout, this, [this] {
        m_phone.log.event(QStringLiteral("incomplete frame dropped: %1").arg(SimLog::hex(m_frameIn)));
        m_frameIn.clear();
    });
    m_repeatTimer.setSingleShot(true);
    m_repeatTimer.setInterval(delay(kRepeatMs));
    connect(&m_repeatTimer, &QTimer::timeout, this, [this] {
        if (m_currentFrame.isEmpty())
            return;
        if (m_currentTries >= kMaxTries) {
            m_phone.log.event(QStringLiteral("frame not acknowledged after %1 tries: %2")
                                  .arg(kMaxTries)
                                  .arg(SimLog::hex(m_currentFrame)));
            m_currentFrame.clear();
            sendNextFrame();
            return;
        }
        transmitCurrentFrame();
    });
}

bool BinaryMode::answer(int echoBytes)
{
    QByteArray answer("\r\nOK\r\n");
    if (m_phone.faults.binarySilent) {
        // The phone never really switches: a frame the program writes anyway
        // is line noise to it, not a message to send.
        m_phone.log.event(QStringLiteral("fault binary-silent: short answer, staying in AT mode"));
        m_phone.port.send(answer, m_phone.options.latencyMs);
        return false;
    }
    // The program counts 25 waiting bytes, echo included, then purges: send
    // exactly that many, so nothing of ours lands after its purge.
    const int missing = kMinBinaryAnswer - echoBytes - int(answer.size());
    if (missing >= 2) {
        const QByteArray greeting = QByteArray("T28 BINARY READY....................").left(missing - 2);
        answer += frame(greeting);
    } else if (missing == 1) {
        answer += '\0';
    }
    m_phone.port.send(answer, m_phone.options.latencyMs);
    return true;
}

void BinaryMode::greet()
{
    // The program reads two frames after its purge, acknowledging each.
    queueFrame(QByteArray("IT28", 4), delay(kFirstFrameDelayMs));
    QByteArray status("S");
    status.append(char(qMin(5, m_phone.state.battery / 20)));
    status.append(char(m_phone.state.signal));
    queueFrame(status, delay(kReplyFrameDelayMs));
}

bool BinaryMode::take(char c)
{
    if (m_frameIn.isEmpty()) {
        if (c == kAck) {
            frameAcknowledged();
            return true;
        }
        if (c != kFrameStart) {
            m_phone.log.event(QStringLiteral("byte %1 outside a frame: back to AT mode").arg(byteName(c)));
            reset();
            return false;
        }
        m_frameIn.append(c);
        m_frameInTimeout.start();
        return true;
    }
    m_frameIn.append(c);
    if (m_frameIn.size() >= 2 && m_frameIn.size() == 2 + int(quint8(m_frameIn.at(1)))) {
        m_frameInTimeout.stop();
        const QByteArray whole = m_frameIn;
        m_frameIn.clear();
        m_phone.log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("frame-in")},
                                      {QStringLiteral("hex"), SimLog::hex(whole)}});
        frameReceived(whole.mid(2));
    }
    return true;
}

void BinaryMode::reset()
{
    cancelFrames();
    m_frameIn.clear();
    m_frameInTimeout.stop();
}

int BinaryMode::delay(int ms) const
{
    return qMax(1, ms * m_phone.state.binaryDelayPercent / 100);
}

QByteArray BinaryMode::centreBody() const
{
    QByteArray digits;
    for (QChar ch : m_phone.state.smscNumber)
        if (ch.isDigit())
            digits.append(char(ch.toLatin1() - '0'));
    QByteArray octets;
    for (int i = 0; i < digits.size(); i += 2) {
        const int lo = digits.at(i);
        const int hi = i + 1 < digits.size() ? digits.at(i + 1) : 0x0F;
        octets.append(char((hi << 4) | lo));
    }
    QByteArray body("BQ");
    body.append(char(octets.size() + 1));
    body.append(char(quint8(m_phone.state.smscType)));
    body.append(octets);
    return body;
}

void BinaryMode::frameReceived(const QByteArray &body)
{
    // A new frame from the program supersedes whatever we still repeat.
    cancelFrames();

    if (body == "AQ") {
        if (m_phone.faults.aqSilent) {
            m_phone.log.event(QStringLiteral("fault aq-silent: centre query ignored"));
            return;
        }
        m_phone.port.send(QByteArray(1, kAck), m_phone.options.latencyMs);
        queueFrame(centreBody(), delay(kReplyFrameDelayMs));
        return;
    }
    if (body.startsWith("BQ") && body.size() >= 4) {
        setCentre(body);
        return;
    }
    if (body.startsWith(QByteArray("\x41\x07\x03\x02", 4))) {
        submit(body);
        return;
    }
    m_phone.log.event(QStringLiteral("unknown frame body %1").arg(SimLog::hex(body)));
    m_phone.port.send(QByteArray(1, kAck), m_phone.options.latencyMs);
    queueFrame(QByteArray("??"), delay(kReplyFrameDelayMs));
}

void BinaryMode::setCentre(const QByteArray &body)
{
    m_phone.port.send(QByteArray(1, kAck), m_phone.options.latencyMs);
    const int k = quint8(body.at(2));
    const int toa = quint8(body.at(3));
    const QByteArray octets = body.mid(4, qMax(0, k - 1));
    if (octets.size() != k - 1)
        m_phone.log.event(QStringLiteral("centre frame: length byte %1 but %2 address octets").arg(k).arg(body.size() - 4));
    static const char kDigit[] = "0123456789*#abc";
    QString digits;
    for (char o : octets) {
        const int lo = quint8(o) & 0x0F, hi = quint8(o) >> 4;
        if (lo != 0x0F)
            digits.append(QLatin1Char(kDigit[lo]));
        if (hi != 0x0F)
            digits.append(QLatin1Char(kDigit[hi]));
    }
    if (digits.isEmpty()) {
        m_phone.log.event(QStringLiteral("centre frame without digits ignored"));
    } else {
        m_phone.state.smscNumber = ((toa & 0x70) == 0x10 ? QStringLiteral("+") : QString()) + digits;
        m_phone.state.smscType = toa;
    }
    queueFrame(QByteArray("B%"), delay(kReplyFrameDelayMs));
}

void BinaryMode::submit(const QByteArray &body)
{
    const QByteArray pdu = body.mid(4);
    const DecodedSubmit d = decodeSubmitPdu(pdu);
    QByteArray reply("A");
    if (!d.ok) {
        m_phone.log.event(QStringLiteral("bad PDU in submit frame: %1 (%2)").arg(d.error, SimLog::hex(pdu)));
        reply.append('&');
        reply.append('\0');
    } else if (!m_phone.state.binaryHeaders && (d.udhi || d.dcs != 0)) {
        m_phone.log.event(QStringLiteral("binary submit with a header or UCS-2 refused"));
        reply.append('&');
        reply.append(char(m_phone.state.messageReference));
    } else {
        const int actual = 4 + 1 + d.scaLength + d.impliedTpduLength;
        m_submission.logSubmitted(d, QStringLiteral("binary"), int(body.size()), actual, pdu);
        // One verdict per submit frame in turn, the last one for all after it.
        const QString &verdicts = m_phone.state.submitReply;
        const char verdict =
            verdicts.isEmpty() ? '%' : char(verdicts.at(qMin(m_submitted++, int(verdicts.size()) - 1)).toLatin1());
        // Only a message the phone takes uses up a reference.
        const int mr = verdict == '%' ? m_submission.accept(d, QStringLiteral("binary"), pdu)
                                      : m_phone.state.messageReference;
        reply.append(verdict);
        reply.append(char(mr));
    }
    m_phone.port.send(QByteArray(1, kAck), m_phone.options.latencyMs);
    if (m_phone.faults.stallFrame) {
        const QByteArray whole = frame(reply);
        m_phone.log.event(QStringLiteral("fault stall-frame: reply cut off"));
        m_phone.log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("frame-out")},
                                      {QStringLiteral("hex"), SimLog::hex(whole.left(whole.size() / 2))}});
        m_phone.port.send(whole.left(whole.size() / 2), delay(kReplyFrameDelayMs));
        return;
    }
    queueFrame(reply, delay(kReplyFrameDelayMs));
}

void BinaryMode::queueFrame(const QByteArray &body, int delayMs)
{
    m_framesOut.emplace_back(body, delayMs);
    if (m_currentFrame.isEmpty())
        sendNextFrame();
}

void BinaryMode::sendNextFrame()
{
    if (m_framesOut.empty())
        return;
    const auto [body, delay] = m_framesOut.front();
    m_framesOut.pop_front();
    m_currentFrame = frame(body);
    m_currentTries = 0;
    m_currentDelay = delay;
    transmitCurrentFrame();
}

void BinaryMode::transmitCurrentFrame()
{
    ++m_currentTries;
    const int gen = m_frameGeneration;
    m_phone.log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("frame-out")},
                                  {QStringLiteral("hex"), SimLog::hex(m_currentFrame)},
                                  {QStringLiteral("try"), m_currentTries}});
    // The program purges its input before it waits for a frame, so a copy may
    // be thrown away unseen: repeat until it is acknowledged.
    m_phone.port.send(m_currentFrame, m_currentTries == 1 ? m_currentDelay : 0, kFrameTag, [this, gen] {
        if (gen == m_frameGeneration && !m_currentFrame.isEmpty())
            m_repeatTimer.start();
    });
}

void BinaryMode::frameAcknowledged()
{
    m_phone.log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("ack-in")}});
    if (m_currentFrame.isEmpty())
        return;
    ++m_frameGeneration;
    m_repeatTimer.stop();
    m_phone.port.dropQueued(kFrameTag);
    m_currentFrame.clear();
    sendNextFrame();
}

void BinaryMode::cancelFrames()
{
    ++m_frameGeneration;
    m_repeatTimer.stop();
    m_phone.port.dropQueued(kFrameTag);
    m_currentFrame.clear();
    m_framesOut.clear();
}
