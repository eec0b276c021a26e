// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every part of the simulated phone works with: the line, what the
// phone remembers, the log, the faults it was told to show and its delays.
class PtyPort;
class SimLog;
struct Faults;
struct PhoneState;

struct PhoneOptions {
    int latencyMs = 0;       // before each reply
    int networkDelayMs = 0;  // extra for commands answered by the network
};

struct PhoneContext {
    PtyPort &port;
    PhoneState &state;
    SimLog &log;
    const Faults &faults;
    PhoneOptions options;
};
