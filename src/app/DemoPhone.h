// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// `mirvak --demo`: the simulated phone as a child process on a pseudo-terminal,
// set up as COM1 for the lifetime of the program.
#include "link/sim/PhoneSimulator.h"

#include <QString>

class DemoPhone {
public:
    // Starts the simulator found from programDir (see PhoneSimulator::locate),
    // waits for its device and points MIRVAK_COM1 at it. False with a
    // reason in *error.
    bool start(const QString &programDir, QString *error);
    QString device() const { return m_sim.device(); }
    QString program() const { return m_sim.program(); }
    bool running() const { return m_sim.running(); }
    void stop() { m_sim.stop(); }

private:
    PhoneSimulator m_sim;
};
