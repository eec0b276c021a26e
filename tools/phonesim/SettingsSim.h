// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's own settings: page 1 (*ESMM, *ESAM, *ESKS, *ESMA, *ESKL),
// page 2 (*ESVM, *ELAN, *ETXT), profiles and alerts (*EAPN, *EAPS, *ERIL,
// *ESIL, *ESBL, +CVIB) and the clock (+CCLK, +CALA, *ESTF, *ESDF). State
// and commands together, so Phone and PhoneState need only a hook each.
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include "PersonalRingSim.h"

struct SettingsState {
    struct Profile {
        QString name;
        int volume = 3;
        bool silent = false;
        int vibration = 0; // as +CVIB writes it: 0, 1 or 16
        int light = 2;     // 0 off, 1 on, 2 auto
    };

    bool minuteMinder = false;
    int answerMode = 0;    // 0..2
    int keySound = 1;      // 0..2
    int messageAlert = 2;  // 0..2
    bool keyLock = false;
    QString voicemailNumber = QStringLiteral("46708123456"); // without "+"
    int voicemailType = 145;
    QStringList languages{QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("sv"), QStringLiteral("fr")};
    QString language = QStringLiteral("en");
    QString greetingText = QStringLiteral("Hello");
    int greetingMode = 1;   // 0 off, 1 text, 2 animation
    int greetingFields = 2; // the text write this phone takes: *ETXT=1,"t" (2) or *ETXT=1,1,"t" (3)
    QList<Profile> profiles{{QStringLiteral("Normal"), 3, false, 0, 2},
                            {QStringLiteral("Meeting"), 1, true, 16, 0},
                            {QStringLiteral("Outdoors"), 5, false, 1, 1}};
    int activeProfile = 1;  // 1-based
    int ringVolumeMax = 5;  // 1..9
    QString clock = QStringLiteral("06/12/26,17:50:00"); // yy/MM/dd,hh:mm:ss; it does not run
    QString alarm;          // "HH:MM", empty when never set
    int timeFormat = 2;     // 1 24-hour, 2 12-hour
    int dateFormat = 3;     // 0..7
    QStringList given;      // keys the loaded state held

    static QStringList keys();
    // Empty on success, else a message naming the bad key.
    QString load(const QJsonObject &o);
    // Writes the keys the loaded state held and any that no longer hold
    // their default.
    void save(QJsonObject &o) const;
};

namespace SettingsSim {
QList<PersonalRingSim::Command> commands(SettingsState &state);
} // namespace SettingsSim
