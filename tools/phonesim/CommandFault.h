// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fault aimed at one command, as --fault KIND:CMD names it. Faults.h and
// NoiseFaults.h both keep lists of these.
#include <QString>

struct CommandFault {
    QString command; // upper case, without "AT"; empty means the bare "AT"
    int cmeCode = 0;
    bool matches(const QString &upperRest) const;

    // CMD as the user wrote it ("at+cgmm") in the form matched ("+CGMM").
    static QString normalise(QString cmd);
};
