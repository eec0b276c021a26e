// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the link tests share: a trace file of its own for every test
// function, the program's port and link with a phone behind COM1 (scripted
// here or simulated), and the exchange that only the reply timer ends.
#include "link/port/SerialPort.h"
#include "PtyPeer.h"
#include "Scratch.h"
#include "SimPhone.h"
#include "link/PhoneLink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace linktest {

// Call reset() from init(): no COM name is left over from an earlier case
// and the port traces into a file named after the running test function.
class TraceFile {
public:
    void reset();
    QByteArray text() const;
    // A scratch file next to the traces.
    QString filePath(const QString &name) const { return m_tmp.filePath(name); }

private:
    Scratch m_tmp;
    QString m_trace;
};

// A scripted phone as COM1 and the program's side of the line, not yet open.
// Taken apart with `auto &[peer, port, link] = phone;`.
struct ScriptedPhone {
    PtyPeer peer;
    SerialPort port;
    PhoneLink link{port};
    ScriptedPhone() { peer.useAsCom(1); }
};

// The simulated phone and the program's side of the line; start() maps the
// phone as COM1. Taken apart with `auto &[sim, port, link] = phone;`.
struct SimulatedPhone {
    SimPhone sim;
    SerialPort port;
    PhoneLink link{port};
    explicit SimulatedPhone(const QStringList &args, const QJsonObject &state = {}) : sim(args, state) {}
    bool start();
};

// Sends a command the phone answers with nothing that ends the exchange:
// it lasts the whole reply time and leaves no reply and no abort behind.
void sendRunsOutOfTime(PhoneLink &link, const QByteArray &command);

} // namespace linktest
