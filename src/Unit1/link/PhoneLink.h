#pragma once
// The exchange state every phone feature shares, and the exchange itself.
// One instance, owned by the main window and handed to the pages by reference.
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>

class TComPort;
class EComPort;

class PhoneLink : public QObject {
    Q_OBJECT
public:
    static constexpr int Idle = 100;

    explicit PhoneLink(TComPort &port, QObject *parent = nullptr);

    TComPort &ComPort1;
    QByteArray CommandText;   // next command, 8-bit, caller adds the terminator
    QByteArray ReplyText;     // whole exchange; non-empty only after "OK\r\n"
    bool AbortRequested = false;
    bool NetworkWait = false;   // 15000 ms of silence allowed
    bool LongReplyWait = false; // 45000 ms, wins over NetworkWait
    int BusyPage = Idle;        // tab index of the running operation, Idle when none
    QTimer Timer2;              // single-shot reply timer; "running out" = no longer active

    // Writes CommandText, collects the reply into ReplyText.
    void SendCommand();
    void Timer2Timer();
    void btnAbortClick();
    void startTimer2(int ms);
    bool timer2Running() const { return Timer2.isActive(); }

    // One round of a wait loop: handle what is pending, and if nothing is,
    // block until a byte arrives, a timer fires or the user acts.
    void pumpOnce();
    // Handle pending events without blocking (repaints).
    void pumpPending();
    // A hold of ms milliseconds during which the window repaints but takes
    // no input (the colour flashes, the pauses around binary mode).
    void sleep(int ms);

    // Binary mode link.
    void GoBinary();
    void GetCommand();
    void GetCommand2();
    void SendCommBreak();
    // Transmits 0x06 ahead of queued output.
    void acknowledgeFrame();

    // Runs one user operation. A port failure in the middle of it ends the
    // operation: the port is closed, Timer2 stopped, and showPortFailure
    // tells the user the port's message.
    void runGuarded(const std::function<void()> &operation);

    // Installed by the main window.
    std::function<void(const EComPort &)> showOpenFailure; // quasi-modal error dialog
    std::function<void()> showLinkFailure;                 // same dialog, binary-mode time-out
    std::function<void(const EComPort &)> showPortFailure;  // message box with the port's text

signals:
    void abortRequested();
};
