// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which COM name has the phone behind it: each port opened in turn, "AT"
// sent and nothing else, the normal reply time waited, the port closed
// again. A busy port is not touched beyond the failed open; its holder is
// named. "Find phone" in the settings and `mirvak-cli ports` both use it.
#include <QList>
#include <QString>

struct Timing;

struct PortReport {
    enum State { Answers, NoAnswer, Busy, Unusable };
    QString name;   // "COM1"
    QString device; // "/dev/ttyUSB0"
    QString byId;   // the name under /dev/serial/by-id, when there is one
    State state = NoAnswer;
    // Busy: "busy (held by …)"; Unusable: the reason in words.
    QString detail;
    // The phone answered only once DTR was dropped (some phones and cables
    // stay silent while it is raised).
    bool dtrLow = false;
    // Something came back (an echo, noise) even though no OK did.
    bool heardBytes = false;
    // "phone answers", "no answer", the busy text, or the reason.
    QString stateText() const;
};

namespace PortProbe {
// Every COM name this machine has (MIRVAK_COMn and the serial devices), in
// order. Uses a port and link of its own, so the caller's port and its
// failure handlers are left alone; the caller closes its own port first
// when it may be one of them.
QList<PortReport> probeAll(const Timing &timing);
PortReport probe(const QString &comName, const QString &device, const Timing &timing);
// When no port answered: what the reports tell of the cable and the phone,
// and what to check. Empty when a phone answered or there was no port.
QString advice(const QList<PortReport> &reports);
// The entry of /dev/serial/by-id that leads to `device`, or empty.
QString byIdName(const QString &device);
}
