// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every time-out and hold of the program, in milliseconds, in one place.
// The program runs on these values; a test scales them down so its flows
// take a fraction of the time (Timing().scaled(0.1)).
#include <QtGlobal>
#include <cmath>

struct Timing {
    // Silence that ends an AT exchange.
    int reply = 1500;       // an ordinary command
    int network = 15000;    // the network answers (call forwarding, call waiting)
    int longReply = 45000;  // a message handed to the phone in AT mode

    int prompt = 1000;       // the ">" after "AT+CMGS="
    int binaryAnswer = 4000; // entering binary mode, and a binary answer frame
    int centreAnswer = 3000; // the centre query or set in binary mode
    int binarySettle = 500;  // after the binary link is up
    int breakHalf = 150;     // each half of the line break
    int escapeSettle = 200;  // after ESC ends a pending prompt
    int linkRest = 200;      // after the break that ends a binary centre read

    int flash = 500;      // lime/red flashes of fields and grids
    int flashShort = 200; // the centre field after a binary set or a cancel
    int flashLong = 700;  // status labels of the settings panels

    // The program's timing, scaled by MIRVAK_TIME_SCALE when it is a factor
    // from 0.01 to 100: more for an adapter slow to pass replies on, less for
    // a simulated phone that answers at once.
    static Timing fromEnvironment()
    {
        bool ok = false;
        const double factor = qEnvironmentVariable("MIRVAK_TIME_SCALE").toDouble(&ok);
        return ok && factor >= 0.01 && factor <= 100 ? Timing().scaled(factor) : Timing();
    }

    // The same timing with every value multiplied by factor, never below 1 ms.
    Timing scaled(double factor) const
    {
        Timing t = *this;
        for (int *v : {&t.reply, &t.network, &t.longReply, &t.prompt, &t.binaryAnswer, &t.centreAnswer,
                       &t.binarySettle, &t.breakHalf, &t.escapeSettle, &t.linkRest, &t.flash, &t.flashShort,
                       &t.flashLong}) {
            const long ms = std::lround(*v * factor);
            *v = ms < 1 ? 1 : int(ms);
        }
        return t;
    }
};
