// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone: the AT command interpreter, which hands the line over to
// PduSubmission after the AT+CMGS prompt and to BinaryMode after AT*BINARY.
// New commands go into the table built in Phone::buildCommandTable().
#include "BinaryMode.h"
#include "Faults.h"
#include "PduSubmission.h"
#include "PhoneContext.h"
#include "PhoneState.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

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
    void enterBinary();

    // Bytes after the AT+CMGS prompt, and in binary mode
    void pduByte(char c);
    void binaryByte(char c);

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

    PduSubmission m_submission;
    BinaryMode m_binary;
};
