// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SIM and phone-memory books on the wire: a whole book read or written
// one location at a time, and where the book ends. It knows nothing of the
// grids or the command line; the Phonebooks page and mirvak-cli drive it
// and show what comes back.
#include <QList>
#include <functional>
#include <optional>

#include "core/phonebooks/PhonebookAt.h"
#include "core/phonebooks/PhonebookRange.h"
#include "link/PhoneLink.h"

class PhonebookTransfer {
public:
    // The most locations a run asks for when the phone does not say how
    // many its book has.
    static constexpr int MaxLocations = 255;

    explicit PhonebookTransfer(PhoneLink &link);

    // One location of a run: how its exchange ended and, after a read that
    // ended Ok, what the phone holds there (nothing for an empty location).
    struct Location {
        int location = 0;
        Exchange::Status status = Exchange::Timeout;
        PhonebookEntry entry;
    };

    struct Run {
        // Ok when the run reached its end, else how the exchange that ended
        // it early ended.
        Exchange::Status status = Exchange::Ok;
        // The location whose exchange ended the run early; 0 for the
        // selection of the book (or an abort before the first location).
        int endedAt = 0;
        // The book's last location as the phone states it; 0 when it does not.
        int statedLast = 0;
        // What AT+CPBR=? said (nothing when it was not asked or not
        // answered), and the limits a write planned against.
        std::optional<PhonebookAt::Range> range;
        PhonebookAt::Limits limits;
        // Of a write: the planned locations not written because the number
        // is longer than the book takes or the location lies past the book's
        // stated last, and those whose name was cut to the book's length.
        QList<int> tooLong;
        QList<int> pastEnd;
        QList<int> namesCut;
        // Every location asked, in order. The refusal that marks the end of
        // a book of unstated size is no location of the book and is left out.
        QList<Location> locations;
        bool complete() const { return status == Exchange::Ok; }
    };

    // What a caller follows as a run goes: `asking` before each location
    // (`last` 0 while the end is not known), `done` after it.
    struct Watch {
        std::function<void(int location, int last)> asking;
        std::function<void(const Location &)> done;
    };

    // Where a book ends: at the last location the phone states (AT+CPBR=?);
    // when it states none, before the first location past location 1 that
    // it refuses, and after MaxLocations at the most. Silence never marks
    // the end.
    //
    // The whole book, from its first location. Anything else that fails
    // ends the read early, that location last in the list: silence, an
    // abort, a refusal inside the stated range.
    Run readBook(PhonebookAt::Book book, const Watch &watch = {});

    // The book selected and asked what it takes (AT+CPBR=?), before a file
    // is fitted to it: the run's `range` and `limits`, and its status Ok
    // unless the selection failed. The answer stands for the next writeBook
    // of this transfer, which then does not ask again.
    Run range(PhonebookAt::Book book);

    // What a write puts at location r: an entry (an empty one clears it), or
    // nothing to pass r over.
    using Planned = std::function<std::optional<PhonebookEntry>(int location)>;
    // Locations 1 to `rows`, and with `toBookEnd` on to the end of the book
    // as readBook finds it. When anything is to be written the book is
    // asked what it takes first, and the plan keeps to it: no location past
    // the last it states, names cut to its length, no number longer than it
    // takes (see the run's lists). A refused or silent location is passed
    // over, its status in the list; only an abort (or a port that failed)
    // ends the run early.
    Run writeBook(PhonebookAt::Book book, int rows, const Planned &planned, bool toBookEnd,
                  const Watch &watch = {});

    // What a write left out or changed, one short line each (locations
    // named up to twelve, the rest counted): names cut, numbers too long,
    // locations past the book's end, and the locations the phone refused.
    // Empty when every planned entry went as planned.
    static QStringList writeSummary(const Run &run);
    // Whether a planned entry is not on the phone now: too long, past the
    // end or refused.
    static bool lostEntries(const Run &run);

    // How every transfer ends: the SIM book selected again, as other
    // programs expect to find it, and the port closed. Nothing is sent when
    // the port is not open (it failed to open, or failed under the transfer).
    void finish();

private:
    PhoneLink &m_link;
    // What range() was told, for the write after it.
    std::optional<std::optional<PhonebookAt::Range>> m_known;
    // The book selected and its stated size asked; false, with the run's
    // ending set, when the run cannot go on.
    bool begin(PhonebookAt::Book book, bool askSize, Run &run);
    // The run ends early at `location` with `status`.
    static Run &endEarly(Run &run, int location, Exchange::Status status);
};
