// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's binary frame mode, entered with AT*BINARY. A frame is 0x02,
// a length byte and the body; each one from the program is acknowledged
// with 0x06 and answered with a frame of ours, which is repeated until the
// program acknowledges it in turn.
#include "PhoneContext.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <utility>

class PduSubmission;

class BinaryMode : public QObject {
    Q_OBJECT
public:
    BinaryMode(const PhoneContext &phone, PduSubmission &submission, QObject *parent = nullptr);

    // Sends the answer to AT*BINARY, sized by the echo the program already
    // has of the command. False when a fault keeps the phone in AT mode.
    bool answer(int echoBytes);
    // Once switched: the frames the program reads first.
    void greet();
    // A byte that came in binary mode. False when it is no part of a frame:
    // the phone has left binary mode and the byte belongs to AT mode.
    bool take(char c);
    // The device closed: what was half in and what was still to go is dropped.
    void reset();

private:
    void frameReceived(const QByteArray &body);
    void setCentre(const QByteArray &body);
    void submit(const QByteArray &body);
    QByteArray centreBody() const;
    // One of the phone's own delays, at the share the state asks for.
    int delay(int ms) const;

    void queueFrame(const QByteArray &body, int delayMs);
    void sendNextFrame();
    void transmitCurrentFrame();
    void frameAcknowledged();
    void cancelFrames();

    PhoneContext m_phone;
    PduSubmission &m_submission;

    // Frames in
    QByteArray m_frameIn;          // 0x02, L, body so far
    QTimer m_frameInTimeout;
    // Frames out, each repeated until the program acknowledges it
    std::deque<std::pair<QByteArray, int>> m_framesOut; // body, delay before first copy
    QByteArray m_currentFrame;     // whole frame on the wire, empty when none
    int m_currentTries = 0;
    int m_currentDelay = 0;
    int m_frameGeneration = 0;     // bumped when the frame being repeated is settled
    QTimer m_repeatTimer;
    int m_submitted = 0;           // submit frames decoded so far: the next one's verdict
};
