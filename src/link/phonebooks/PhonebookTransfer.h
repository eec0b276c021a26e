// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SIM and phone-memory books on the wire: select a book, read or write
// one location at a time. It knows nothing of the grids; the Phonebooks
// page drives it and paints what comes back.
#include "core/phonebooks/PhonebookAt.h"

class PhoneLink;

class PhonebookTransfer {
public:
    explicit PhonebookTransfer(PhoneLink &link);

    // False when the phone refused the book, stayed silent, or the user aborted.
    bool select(PhonebookAt::Book book);

    struct Location {
        // Ended: refused (past the last location), silent, or aborted.
        enum Kind { Ended, Empty, Filled };
        Kind kind = Ended;
        PhonebookEntry entry;
    };
    Location read(int location);

    // True when the phone confirmed the write; a refused location is no
    // reason to stop a run, so callers may ignore it.
    bool write(int location, const PhonebookEntry &entry);

    // How every transfer ends: the SIM book selected again, as other
    // programs expect to find it, and the port closed. Nothing is sent when
    // the port is not open (it failed to open, or failed under the transfer).
    void finish();

private:
    PhoneLink &m_link;
};
