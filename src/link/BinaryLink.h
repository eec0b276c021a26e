// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Binary mode: the phone's framed protocol, entered with "AT*BINARY" and
// left with a line break. A frame is a type byte, the length of its body
// and the body. The program acknowledges every frame the phone sends with
// 0x06; the phone answers every frame sent to it with one byte, then a frame.
//
// It works on the link's state: Timer2 bounds the waits that are bounded,
// AbortRequested ends the others, ReplyText holds the body of the last
// frame that came whole. Like an exchange, it is refused while another
// exchange runs.
#include <QByteArray>
#include <functional>
#include <optional>

class PhoneLink;

class BinaryLink {
public:
    explicit BinaryLink(PhoneLink &link) : m_link(link) {}

    // Asks for binary mode and takes the phone's two greeting frames, then
    // holds for the link to settle. AbortRequested is set when the phone
    // did not get there within Timer2 (Timing::binaryAnswer) or the user
    // aborted; Timer2 is stopped when it did.
    void GoBinary();
    // One frame from the phone, acknowledged. takeFrame drops the input
    // waiting first and waits until the frame is whole or an abort;
    // takeFrameKeepingInput keeps the input and waits until it is whole or Timer2
    // ends. A frame that never came whole leaves ReplyText as it was.
    void takeFrame();
    void takeFrameKeepingInput();
    // Back to AT mode: the line held in break, then released.
    void SendCommBreak();
    // Transmits 0x06 ahead of queued output.
    void acknowledgeFrame();

    // How long a request waits for the phone's byte and its answer frame.
    enum Patience {
        // Both within Timer2; bytes of the frame that came early are kept
        // (the frame as takeFrameKeepingInput takes it).
        WithinTimer,
        // The byte within Timer2 or until an abort; then the frame, input
        // dropped first, until it is whole or an abort (as takeFrame).
        AckWithinTimer,
        // Both until an abort, however long the phone takes.
        UntilAbort,
    };
    struct Request {
        explicit Request(Patience p) : patience(p) {}
        // Drop whatever waits before the frame goes out.
        Request &purgingFirst()
        {
            purgeFirst = true;
            return *this;
        }
        // Timer2 started once the frame is out; without it the waits go by
        // Timer2 as the caller left it.
        Request &within(int ms)
        {
            answerWithin = ms;
            return *this;
        }
        // Called once the frame is on the line, before the wait.
        Request &whenSent(std::function<void()> call)
        {
            sent = std::move(call);
            return *this;
        }

        Patience patience;
        bool purgeFirst = false;
        std::optional<int> answerWithin;
        std::function<void()> sent;
    };
    struct Answer {
        bool acknowledged = false; // the phone's byte came
        bool whole = false;        // and then its answer frame, whole
        QByteArray body;           // that frame's body
    };
    // One frame to the phone and its answer: the byte, read and dropped,
    // then the frame, acknowledged.
    Answer request(const QByteArray &frame, const Request &how);

private:
    // True when the frame came whole; its body is then in ReplyText.
    bool receiveFrame(bool purgeFirst, bool untilTimer);

    PhoneLink &m_link;
};
