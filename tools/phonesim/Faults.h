// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Misbehaviours the simulator can be told to show (--fault KIND[:ARG]).
#include "CommandFault.h"
#include "NoiseFaults.h"

#include <QList>
#include <QString>

struct Faults {
    bool silent = false;
    QList<CommandFault> error;
    QList<CommandFault> cme;
    QList<CommandFault> hangupAfter;
    QList<CommandFault> mute;
    int trickleMs = 0;
    bool stallFrame = false;
    bool noPrompt = false;
    bool binarySilent = false;
    bool aqSilent = false;
    NoiseFaults noise; // garbage:CMD, cut:CMD

    // Returns an empty string on success, else what is wrong with option.
    QString add(const QString &option);
};
