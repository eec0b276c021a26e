// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Everything the simulated phone remembers, loaded from and dumped to JSON.
// Keys the simulator does not know are kept and written back unchanged, so a
// state file written for a later version survives a round trip.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "PhonebookStore.h"
#include "PersonalRingSim.h"
#include "OwnMelodySim.h"
#include "CallServicesSim.h"
#include "CallsSim.h"
#include "SettingsSim.h"
#include "MessageStoreSim.h"

struct PhoneState {
    QString manufacturer = QStringLiteral("ERICSSON");
    QString model = QStringLiteral("1101101-BVT28s");
    QString revision = QStringLiteral("R5C005");
    QString imei = QStringLiteral("520001234567897");
    QString operatorName = QStringLiteral("Telia");
    int battery = 80;          // percent; up to 999 so tests can send nonsense
    int signal = 4;            // 0..5; up to 9 so tests can send nonsense
    QString smscNumber = QStringLiteral("+46705008999");
    int smscType = 145;
    bool echo = true;
    bool binaryOnly = false;   // AT+CMGS=? answers ERROR
    bool cmgsFail = false;     // the PDU is taken but the submission answers ERROR
    bool cmgfFail = false;     // AT+CMGF=0 answers ERROR
    bool cscaSetFail = false;  // AT+CSCA=... answers ERROR
    // The modes AT+CMGF takes ("0" PDU, "1" text), first the one in force.
    QStringList messageFormats{QStringLiteral("0")};
    // What AT+CSCS=? names, the first in force; none: the command is unknown.
    QStringList characterSets{QStringLiteral("GSM"), QStringLiteral("IRA"), QStringLiteral("8859-1"),
                              QStringLiteral("UTF-8"), QStringLiteral("UCS2")};
    int promptDelayMs = 0;     // before "> "
    int binaryDelayPercent = 100; // the binary mode's own delays at this share
    QString submitReply = QStringLiteral("%"); // second body byte of the binary submit reply, one per frame
    bool binaryHeaders = true; // a binary submit may carry a user data header and UCS-2
    int messageReference = 0;  // given to the next submitted message
    QJsonArray outbox;         // decoded submitted messages
    bool poweredOff = false;   // answers nothing at all
    // Command (without "AT", upper case) -> response lines that replace the
    // built-in answer; "OK" follows them. Lets a test feed odd replies.
    QJsonObject overrides;
    PhonebookStore books;      // "sim", "phonebook", "storage"
    PersonalRingState rings;   // personal rings and ring codes
    OwnMelodyState melodies;   // own melodies and ring types
    CallServicesState calls;   // call forwarding and call waiting
    SettingsState settings;    // the phone's own settings, profiles and clock
    MessageStoreState messages; // the SIM's and the phone's message stores
    CallsSimState phoneCalls;  // call lists, dialling, network state, PIN, quirks

    QJsonObject extra;         // unknown keys, written back as they came
    QStringList given;         // the keys the initial state held

    // Returns an empty string on success, else a message naming the bad key.
    QString load(const QJsonObject &o);
    QJsonObject save() const;
};
