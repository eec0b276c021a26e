// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's personal rings and ring codes: *EPRW (write, and =? for the
// ranges), *EPRR (read one entry), *ERIP (play a ring) and *ERIN=? (the
// ring codes). State and commands together, so Phone and PhoneState need
// only a hook each.
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct PersonalRingState {
    struct Entry {
        QString number; // digits as stored, without "+"
        int type = 129;
        int ring = 1;
    };
    int count = 10;                                   // entries 1..count
    QString ringCodes = QStringLiteral("1-12,31-34"); // the list as the phone writes it
    QMap<int, Entry> entries;                         // by entry number
    QStringList given;                                // keys the loaded state held

    // The JSON keys this state owns.
    static QStringList keys();
    // Empty on success, else a message naming the bad key.
    QString load(const QJsonObject &o);
    // Writes the keys the loaded state held, and any that no longer hold
    // their default, so a state without them dumps without them.
    void save(QJsonObject &o) const;
    // The codes ringCodes lists; nothing when it is no list.
    static std::optional<QSet<int>> parseCodes(const QString &list);
};

namespace PersonalRingSim {
// Answer lines, then OK; nothing means ERROR.
using Handler = std::function<std::optional<QStringList>(const QString &args)>;
struct Command {
    QString key; // upper case, without "AT"
    bool prefix;
    Handler handler;
};
QList<Command> commands(PersonalRingState &state);
} // namespace PersonalRingSim
