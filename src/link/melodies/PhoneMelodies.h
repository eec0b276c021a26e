// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's four own melodies and its ring types: read the melodies,
// store one, choose the ring type of a call type, let the phone play a
// melody or ring. It knows nothing of the window; the Melodies page paints
// what these calls return.
//
// Every call is one step of an operation: the caller holds the
// OperationGuard (locking the melodies page for reading, storing and playing; none for
// the ring type, which does not lock the tabs) and runs the call inside
// PhoneLink::runGuarded.
#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "link/ServiceResult.h"

class PhoneLink;
class PersonalRings;

class PhoneMelodies : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 4;

    // The ring codes come from the list PersonalRings reads and holds, so
    // the melody page's ring box fills from the same list as the
    // personal-ring panel's.
    PhoneMelodies(PhoneLink &link, PersonalRings &rings, QObject *parent = nullptr);

    struct Read {
        enum Status {
            Done,     // the phone answered "AT*ESOM?"
            Refused,  // it answered ERROR or fell silent, or the user aborted
                      // (also during the ring codes: then it is not asked)
            NoPort,   // the port would not open: nothing was asked
        };
        Status status = NoPort;
        // Whether the ring codes were listed whole ("AT*ERIN=?").
        bool ringCodesListed = false;
        // Per slot, slot 1 first: the melody, or nothing for a slot the
        // phone did not report. Only meaningful when Done.
        std::array<std::optional<QString>, SlotCount> melodies;
        // What tune box `slot` (1..4) shows after a Done read: the melody,
        // or " n/a" for an unreported slot.
        QString shown(int slot) const;
    };
    // The whole read: the ring codes ("AT*ERIN=?", through PersonalRings,
    // which emits ringCodesChanged), then ringCodesRead, then "AT*ESOM?"
    // if the port is open, then the port closed.
    Read readMelodies();

    // Each of these is NotSent for an empty tune box, a slot outside 1..4,
    // no call type chosen, or a ring code that is none.
    //
    // "AT*ESOM=slot,\"melody\"" with the tune box's text cleaned to the
    // notation; the port is closed once it was sent.
    ServiceResult storeMelody(int slot, const QString &tuneBoxText);
    // "AT*ERIN=code,digit" for the ring code (the own melodies are 31..34)
    // and the index of the chosen call type (0 " Call Type", 1 " Voice",
    // 2 " Data", 3 " Fax", 4 "Alarm"); the port is closed once it was sent.
    ServiceResult setRingType(const QString &code, int callType);
    // Own melody 1..4 of the phone ("AT*ERIP=7,31".."34"); the port stays
    // open.
    ServiceResult playMelody(int slot);
    // Any ring code ("AT*ERIP=7,code"); the port stays open.
    ServiceResult playRing(const QString &code);

signals:
    // The ring codes of a read are in (PersonalRings::ringCodes()); the
    // melodies follow.
    void ringCodesRead(bool listed);

private:
    PhoneLink &m_link;
    PersonalRings &m_rings;
};
