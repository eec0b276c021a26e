// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Starts mirvak-phonesim on a fresh pseudo-terminal for one test and stops it
// afterwards. The phone's state goes in as JSON and comes back as JSON.
#include "link/sim/PhoneSimulator.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

class SimPhone {
public:
    // args: extra command-line options of mirvak-phonesim (pace, faults, ...).
    // state: initial phone state; keys left out take the simulator's defaults.
    explicit SimPhone(const QStringList &args = {}, const QJsonObject &state = {});
    SimPhone(const SimPhone &) = delete;
    SimPhone &operator=(const SimPhone &) = delete;

    bool start();                 // true once the device path is known
    QString device() const;       // the pty slave path
    void useAsCom(int n = 1);     // MIRVAK_COMn := device()
    QList<QJsonObject> log() const; // the simulator's log so far, one object a line
    QStringList commands() const; // just the AT command lines received, in order

    // Blocks in the event loop until `seen` holds, looking again each time
    // the log grows; false if the simulator stopped first. The phone reads
    // in its own time, so this is how a test learns it has had a command
    // (no time limit but a guard against a hang).
    bool waitFor(const std::function<bool()> &seen) const;
    // The phone has had this command line.
    bool waitForCommand(const QString &line) const;

    // An AT command line and when the phone had it whole, on this process's
    // std::chrono::steady_clock: compare with steady_clock::now() taken
    // where the program does something, e.g. in a slot on
    // PhoneLink::operationChanged.
    struct Received {
        QString line;
        std::chrono::steady_clock::time_point at;
    };
    QList<Received> received() const;
    // When the simulator wrote any one entry of log().
    static std::chrono::steady_clock::time_point when(const QJsonObject &entry);

    // What the first phonebook, call-list or message read asks a phone
    // before its own commands: its serial number, what it offers, each of
    // `books` sized, and the SIM book selected again. A later read of the
    // same phone asks "AT+CGSN" alone.
    static QStringList capabilityProbe(const QStringList &books = {"SM", "ME", "DC", "RC", "MC"});

    QJsonObject stopAndDump();    // stops it and returns the state it dumped
    void stop();

private:
    PhoneSimulator m_sim;
    bool m_started = false;
};
