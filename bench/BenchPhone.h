// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The simulated phone of a bench: at `pace` bytes a second with `latencyMs`
// before each answer, holding `state`, as COM1. False, told on stderr under
// the bench's name, when it would not start.
#include "link/sim/PhoneSimulator.h"

#include <QJsonObject>

#include <cstdio>

inline bool startBenchPhone(PhoneSimulator &sim, const QJsonObject &state, int pace, int latencyMs, const char *bench)
{
    sim.setArguments({"--pace", QString::number(pace), "--latency", QString::number(latencyMs)});
    sim.setState(state);
    QString error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "%s: %s\n", bench, qPrintable(error));
        return false;
    }
    sim.useAsCom(1);
    return true;
}
