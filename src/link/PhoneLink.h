// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The exchange state every phone feature shares, and the exchange itself.
// One instance, owned by the main window and handed to the pages by reference.
//
// Re-entrancy: every wait below pumps the event loop, so while an exchange
// runs any enabled control could start a second operation on the same port
// and the same shared strings. Every operation therefore runs inside an
// OperationGuard, which refuses to start while another one runs. As a last
// line of defence a nested exchange is refused here: it returns at once and
// touches nothing, so the running exchange is not corrupted.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

// Every operation runs inside an OperationGuard: whoever talks through the
// link finds the guard (and the tabs it locks) here too.
#include "link/OperationGuard.h"
#include "link/Timing.h"

class SerialPort;
class PortError;

// How long the phone may stay silent before an exchange gives up.
enum class Wait { Normal, Network, Long };

struct Exchange {
    enum Status { Ok, Error, CmeError, Timeout, Aborted, PortFailed };
    Status status = Timeout;
    // Everything received, the echo included. Only an Ok reply is the
    // phone's answer; after an error it shows what the phone said.
    QByteArray reply;
    bool ok() const { return status == Ok; }
    // The phone's answer: the whole reply after Ok, else empty.
    QByteArray answer() const { return ok() ? reply : QByteArray(); }
};

class PhoneLink : public QObject {
    Q_OBJECT
public:
    static constexpr int Idle = 100;

    explicit PhoneLink(SerialPort &port, QObject *parent = nullptr);

    // One AT command and its answer. Ends on "OK\r\n", on "ERROR\r\n" or a
    // final "+CME ERROR: n" / "+CMS ERROR: n" line, after the silence that
    // `wait` allows, or on an abort. Opens the port if it is closed.
    // ReplyText() holds the reply after Ok and is empty otherwise.
    // Port errors other than the open sequence are thrown (PortError): run
    // the operation inside runGuarded.
    Exchange exchange(const QByteArray &command, Wait wait = Wait::Normal);

    // The same exchange as the handlers' steps spell it: CommandText in,
    // ReplyText out.
    void SendCommand(Wait wait = Wait::Normal);
    // The command SendCommand sends; also the command of the exchange
    // under way, or of the last one.
    const QByteArray &CommandText() const { return m_commandText; }
    void setCommandText(const QByteArray &text) { m_commandText = text; }
    // Whole exchange after "OK\r\n", else empty; in binary mode the body of
    // the last frame.
    const QByteArray &ReplyText() const { return m_replyText; }
    // The status of the last exchange.
    Exchange::Status lastStatus() const { return m_lastStatus; }
    bool AbortRequested() const { return m_abortRequested; }
    // A refused input ends an operation the way an abort does. Cleared, it
    // lets the operation go on, an abort the user asked for included.
    void setAbortRequested(bool on)
    {
        m_abortRequested = on;
        if (!on)
            m_abortHeld = false;
    }
    // True while an exchange with that allowance runs.
    bool NetworkWait() const { return m_inExchange && m_wait == Wait::Network; }
    bool LongReplyWait() const { return m_inExchange && m_wait == Wait::Long; }
    // The page id whose operation locks the window's pages, Idle when none does.
    int lockedPage() const { return m_lockedPage; }
    // Whether any phone operation runs, whether or not it locks the tabs.
    bool operationRunning() const { return m_operationRunning; }

    const Timing &timing() const { return m_timing; }
    void setTiming(const Timing &timing) { m_timing = timing; }
    // The reply time-out for a wait allowance.
    int replyInterval(Wait wait) const;

    void replyTimerExpired();
    // What every Abort button does: the running exchange ends at its next
    // step, and while an operation runs every exchange after it is refused
    // until the operation ends (OperationGuard clears it), so an abort
    // asked for between two exchanges is not lost to the next one.
    void requestAbort();

    // The steps that put the phone back as the operation found it (the SIM
    // book selected again, its own message centre, the active profile) run
    // after an abort too: while one of these lives, an abort asked for
    // before it refuses no exchange, one asked for meanwhile still does.
    // The earlier abort holds again when it ends.
    class PuttingBack {
    public:
        explicit PuttingBack(PhoneLink &link);
        ~PuttingBack();
        PuttingBack(const PuttingBack &) = delete;
        PuttingBack &operator=(const PuttingBack &) = delete;

    private:
        PhoneLink &m_link;
        bool m_held;
    };
    void startReplyTimer(int ms);
    void stopReplyTimer() { m_replyTimer.stop(); }
    bool replyTimerRunning() const { return m_replyTimer.isActive(); }
    int replyTimerInterval() const { return m_replyTimer.interval(); }

    // The port, as the operations need it. Only services of the link layer
    // write raw bytes; pages only ask whether it is open and close it.
    bool connected() const;
    QString portName() const;
    // Switches to the named port (COM1..COM16); a refused name is logged
    // and the port stays as it was.
    void usePort(const QString &name);
    void closePort();
    // Opens the port as an exchange would (purge, DTR) when it is closed.
    // A port that will not open is reported to nobody: false, port closed.
    bool openSilently();
    void writeRaw(const QByteArray &bytes);
    // An AT command written outside an exchange (binary mode's entry, the
    // message length before the prompt): told through commandWritten like
    // every command an exchange writes.
    void writeCommand(const QByteArray &command);
    void purgeInput();
    QByteArray readBytes(int count);
    int bytesWaiting();
    // The line held in break (true) or released.
    void setBreak(bool on);
    // One byte sent ahead of queued output.
    void sendAhead(char byte);

    // The one wait for bytes: blocks in the event loop until `count` bytes
    // are waiting (true), or until an abort or the end of Timer2, for the
    // ones asked for (false).
    enum StopOn { OnAbort = 1, OnTimerEnd = 2, OnEither = 3 };
    bool waitForBytes(int count, int stopOn);

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

    // Runs one user operation. A port failure in the middle of it ends the
    // operation: the port is closed, Timer2 stopped, and showPortFailure
    // tells the user the port's message.
    void runGuarded(const std::function<void()> &operation);

    // How failures reach the user, installed by the main window: the
    // quasi-modal error dialog for a port that would not open, the same
    // dialog for a phone silent in binary mode, a message box with the
    // port's text for a port failing under an operation.
    using PortFailureHandler = std::function<void(const PortError &)>;
    void setOpenFailureHandler(PortFailureHandler handler) { m_openFailure = std::move(handler); }
    void setLinkFailureHandler(std::function<void()> handler) { m_linkFailure = std::move(handler); }
    void setPortFailureHandler(PortFailureHandler handler) { m_portFailure = std::move(handler); }
    void showLinkFailure();

signals:
    void abortRequested();
    // An AT command has gone to the port (the command as written).
    void commandWritten(const QByteArray &command);
    // An operation started or ended; page is the tab it locks, Idle when
    // it locks none or has ended.
    void operationChanged(bool running, int page);

private:
    friend class OperationGuard;
    // Binary mode keeps its frames in ReplyText and runs under the same
    // refusal of a nested exchange.
    friend class BinaryLink;

    SerialPort &m_port;
    QByteArray m_commandText;
    QByteArray m_replyText;
    Exchange::Status m_lastStatus = Exchange::Timeout;
    bool m_abortRequested = false;
    // An abort asked for while an operation runs; it outlives the exchanges
    // until the operation ends.
    bool m_abortHeld = false;
    // Where an exchange or a binary entry starts: the flag as the operation
    // stands, false unless the user has aborted it.
    void startAfresh() { m_abortRequested = m_abortHeld; }
    Wait m_wait = Wait::Normal;
    int m_lockedPage = Idle;
    bool m_operationRunning = false;
    QTimer m_replyTimer; // single-shot reply timer; "running out" = no longer active
    Timing m_timing = Timing::fromEnvironment();
    PortFailureHandler m_openFailure;
    std::function<void()> m_linkFailure;
    PortFailureHandler m_portFailure;

    // Guards against a nested wait started from a handler run by our own
    // pumping; true while one of the exchanges runs.
    bool m_inExchange = false;
    quint64 m_seenActivity = ~quint64(0);
    void forgetActivity() { m_seenActivity = ~quint64(0); }

    // Held for the length of one exchange, AT or binary. False when another
    // one runs: then the caller touches nothing and returns.
    class Turn {
    public:
        Turn(PhoneLink &link, const char *what);
        ~Turn();
        Turn(const Turn &) = delete;
        Turn &operator=(const Turn &) = delete;
        explicit operator bool() const { return m_held; }

    private:
        PhoneLink &m_link;
        bool m_held = false;
    };

    // The port opened, purged, DTR raised; on failure closed again and the
    // failure handed back.
    std::optional<PortError> openPort();
    // Closes the port after a failure, swallowing a second one.
    void closeAfterFailure();
};
