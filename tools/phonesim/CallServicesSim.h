// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The network's call services as the phone passes them on: +CCFC (call
// forwarding per condition and class) and +CCWA (call waiting). The network
// takes its time to answer (networkDelayMs) and may refuse every change
// (networkRefuses). State and commands together, so Phone and PhoneState
// need only a hook each.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <utility>

#include "PersonalRingSim.h"

struct CallServicesState {
    struct Forward {
        QString number; // digits as stored, without "+"
        int type = 129;
    };
    QMap<std::pair<int, int>, Forward> forwards; // (reason 0..3, class 1|2|4) -> where to
    bool callWaiting = false;
    int networkDelayMs = 0;      // before every +CCFC / +CCWA answer
    bool networkRefuses = false; // every change answered ERROR
    QStringList given;           // keys the loaded state held

    static QStringList keys();
    // Empty on success, else a message naming the bad key.
    QString load(const QJsonObject &o);
    // Writes the keys the loaded state held and any that no longer hold
    // their default.
    void save(QJsonObject &o) const;
};

namespace CallServicesSim {
// Answered after the network's delay, OK or ERROR alike.
QList<PersonalRingSim::Command> commands(CallServicesState &state);
} // namespace CallServicesSim
