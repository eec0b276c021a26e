#pragma once
// The phone: AT command interpreter, PDU submission and binary frame mode.
// New commands go into the table built in Phone::buildCommandTable().
#include "Faults.h"
#include "PhoneState.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class PtyPort;
struct DecodedSubmit;
class SimLog;

struct PhoneOptions {
    int latencyMs = 0;       // before each reply
    int networkDelayMs = 0;  // extra for commands answered by the network
};

class Phone : public QObject {
    Q_OBJECT
public:
    Phone(PtyPort &port, PhoneState &state, SimLog &log, const Faults &faults,
          const PhoneOptions &options, QObject *parent = nullptr);

    void onReceived(const QByteArray &bytes);
    void onClientClosed();
    void onClientOpened();

    enum class Mode { Command, PduInput, Binary };
    Mode mode() const { return m_mode; }

private:
    // args: the text after the matched key, case kept.
    using Handler = std::function<void(const QString &args)>;
    struct Command {
        QString key;   // upper case, without "AT"
        bool prefix;   // key followed by arguments
        Handler handler;
    };

    void buildCommandTable();
    void add(const QString &key, bool prefix, Handler h);

    // AT command mode
    void commandByte(char c);
    void runLine(const QByteArray &line);
    void dispatch(const QString &rest);
    void echo(char c);
    // Response lines each framed by CR LF, then the final result.
    enum class Final { Ok, Error, None };
    void respond(const QStringList &lines, Final final = Final::Ok, int extraDelayMs = 0);
    void ok() { respond({}); }
    // How long the network takes over a forwarding or call-waiting answer.
    int networkDelay() const;
    void error() { respond({}, Final::Error); }

    // Handlers with some logic of their own
    void setCentre(const QString &args);
    void startSubmission(const QString &args);
    void enterBinary();

    // PDU input after the prompt
    void pduByte(char c);
    void finishSubmission();
    QJsonObject messageFields(const DecodedSubmit &d, const QString &mode, const QByteArray &pdu) const;
    QJsonObject submissionLog(const DecodedSubmit &d, const QString &mode,
                              int declared, int actual, const QByteArray &pdu) const;
    void acceptIntoOutbox(const DecodedSubmit &d, const QString &mode, const QByteArray &pdu, int mr);

    // Binary mode
    void binaryByte(char c);
    void frameReceived(const QByteArray &body);
    void queueFrame(const QByteArray &body, int delayMs);
    void sendNextFrame();
    void transmitCurrentFrame();
    void frameAcknowledged();
    void cancelFrames();
    void leaveBinary(const QString &why);
    QByteArray centreBody() const;

    void setMode(Mode m);
    void resetInput();

    PtyPort &m_port;
    PhoneState &m_state;
    SimLog &m_log;
    const Faults &m_faults;
    PhoneOptions m_options;

    std::vector<Command> m_commands;
    Mode m_mode = Mode::Command;
    QByteArray m_line;
    bool m_lineTooLong = false;
    bool m_lastWasCr = false;
    int m_lineEchoBytes = 0;       // echo bytes sent for the line being run
    bool m_hangupPending = false;
    bool m_cutReply = false;       // the answer being built goes out only halfway
    void removeDevice(const QString &why);

    // PDU input
    QByteArray m_pduHex;
    int m_declaredLength = 0;
    bool m_pduOverflow = false;

    // Binary mode: frames in
    QByteArray m_frameIn;          // 0x02, L, body so far
    QTimer m_frameInTimeout;
    // Binary mode: frames out, each repeated until the program acknowledges it
    std::deque<std::pair<QByteArray, int>> m_framesOut; // body, delay before first copy
    QByteArray m_currentFrame;     // whole frame on the wire, empty when none
    int m_currentTries = 0;
    int m_currentDelay = 0;
    int m_frameGeneration = 0;     // bumped when the frame being repeated is settled
    QTimer m_repeatTimer;
};
