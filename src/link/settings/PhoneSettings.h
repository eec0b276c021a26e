// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's own settings over the link: page 1 and 2, profiles and
// alerts, clock, alarm and formats. Each call is one step of an operation:
// the caller holds the OperationGuard, runs it inside PhoneLink::runGuarded
// and closes the port when its whole operation is over. Nothing here closes
// the port.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

#include "link/ServiceResult.h"

class PhoneLink;

class PhoneSettings {
public:
    explicit PhoneSettings(PhoneLink &link);

    // The settings of page 1 that are a switch or a choice of three.
    enum class Switch { MinuteMinder, KeyLock, Silent };
    enum class Choice { AnswerMode, KeySound, MessageAlert };

    // Nothing when the query failed: the box keeps its state.
    std::optional<bool> readSwitch(Switch which);
    bool writeSwitch(Switch which, bool on);
    // -1 when the query failed or the reply held no digit where expected.
    int readChoice(Choice which);
    bool writeChoice(Choice which, int item);

    // The voicemail number as the user sees it; empty when there is none.
    QString readVoicemail();
    // Asks for the current entry first and follows its form; NotSent when
    // that gave no form to follow.
    ServiceResult writeVoicemail(const QString &typed);

    struct Languages {
        bool answered = false;      // false: " N/A"
        bool listed = false;        // the list was read whole; the box may be used
        QStringList codes;
        std::optional<QString> current;
    };
    Languages readLanguages();
    bool writeLanguage(const QString &code);

    struct Greeting {
        std::optional<QString> text; // nothing: no quoted greeting in the reply
        std::optional<int> mode;     // the digit after "ETXT: "
    };
    Greeting readGreeting();
    // Two fields first; when the phone refuses them, three.
    bool writeGreeting(const QString &text);
    bool writeGreetingMode(int mode);

    struct Profiles {
        bool read = false;  // false: " N/A", the box disabled
        QStringList names;  // each with its leading blank
        int active = -1;
    };
    Profiles readProfiles();
    bool selectProfile(int index);

    struct Volume {
        int maximum = 6;
        std::optional<int> position;
    };
    Volume readVolume();
    bool writeVolume(int position);

    // Nothing: leave the selection as it was; -1: no selection.
    std::optional<int> readLight();
    bool writeLight(int item);
    int readVibration(); // -1: no selection
    // NotSent for no selection.
    ServiceResult writeVibration(int item);

    // The clock as the box shows it; nothing for a failed or malformed read.
    std::optional<QString> readClock();
    // OK only when the phone answered and the exchange quoted the clock.
    bool writeClock(const QString &boxText);
    bool writeAlarm(const QTime &time);
    // Nothing for a failed read or no quoted alarm; an invalid time for an
    // alarm never set.
    std::optional<QTime> readAlarm();
    // Nothing when the query failed (the box keeps its text); -1 for a
    // reply that cannot be read (the box shows no text).
    std::optional<int> readTimeFormat();
    bool writeTimeFormat(int item);
    std::optional<int> readDateFormat();
    bool writeDateFormat(int item);

private:
    PhoneLink &m_link;
};
