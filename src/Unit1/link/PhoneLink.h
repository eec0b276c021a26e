#pragma once
// The exchange state every phone feature shares, and the exchange itself.
// One instance, owned by the main window and handed to the pages by reference.
//
// Re-entrancy: every wait below pumps the event loop, so while an exchange
// runs any enabled control can start a second operation on the same port and
// the same shared strings. A page therefore refuses to start an operation
// while BusyPage != Idle (and sets BusyPage itself when it starts). As a last
// line of defence a nested SendCommand/GoBinary/GetCommand/GetCommand2 is
// refused here: it returns at once and touches nothing, so the running
// exchange is not corrupted.
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
    // Port errors other than the open sequence are thrown (EComPort): run
    // the operation inside runGuarded.
    void SendCommand();
    void Timer2Timer();
    void btnAbortClick();
    void startTimer2(int ms);
    bool timer2Running() const { return Timer2.isActive(); }

    // One round of a wait loop: handle what is pending, and if nothing is,
    // block until a byte arrives, a timer fires or the user acts.
    // It returns without blocking when anything happened on the port since
    // the previous round (bytes arrived, read, written), so a loop that reads
    // byte by byte never stalls and a loop waiting for more bytes never spins.
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

    // The reply time-out of SendCommand for the current flags.
    int replyInterval() const;

signals:
    void abortRequested();

private:
    // Guards against a nested wait started from a handler run by our own
    // pumping; true while one of the exchanges runs.
    bool m_inExchange = false;
    quint64 m_seenActivity = ~quint64(0);
    void forgetActivity() { m_seenActivity = ~quint64(0); }
    bool enterExchange(const char *what);
    // GetCommand (purge first, ends on abort) and GetCommand2 (keeps the
    // input, ends when Timer2 stops).
    void receiveFrame(bool purgeFirst, bool untilTimer);
};
