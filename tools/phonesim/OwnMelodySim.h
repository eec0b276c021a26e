// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's own melodies and ring types: *ESOM (read the four slots,
// store one), *ERIN=code,type (the ring type of a call type) and
// *ERIP=7,code (play a melody or ring). State and commands together, so
// Phone and PhoneState need only a hook each. The ring codes the phone
// knows are the personal-ring state's list.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>

#include "PersonalRingSim.h"

struct OwnMelodyState {
    std::array<QString, 4> melodies; // slot 1 first; empty: nothing stored
    QMap<int, int> ringTypes;        // call-type digit (1 voice, 3 fax, 4 data, 5 alarm) -> ring code
    QStringList given;               // keys the loaded state held

    static QStringList keys();
    // Empty on success, else a message naming the bad key.
    QString load(const QJsonObject &o);
    // Writes the keys the loaded state held and any that no longer hold
    // their default.
    void save(QJsonObject &o) const;
};

namespace OwnMelodySim {
QList<PersonalRingSim::Command> commands(OwnMelodyState &state, const PersonalRingState &rings);
} // namespace OwnMelodySim
