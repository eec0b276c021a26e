// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's state in its replies: signal (AT+CSQ), battery (AT+CBC, else
// AT+CIND?), operator (AT+COPS?), registration (AT+CREG?) and the SIM's
// PIN (AT+CPIN?), and the extended error codes that come instead.
#include <QByteArray>
#include <QString>
#include <optional>

namespace StatusAt {

// "+CSQ: rssi,ber": rssi 0..31 is -113 dBm and up in steps of 2, 99 "no
// signal". Bars 0..5 as the phone's own display counts them.
struct Signal {
    bool known = false; // false for 99
    int dbm = 0;
    int bars = 0;
};
std::optional<Signal> parseCsq(const QByteArray &reply);
// "signal: -71 dBm (4 of 5 bars)" without the key, or "no signal".
QString signalText(const Signal &s);

// "+CBC: bcs,bcl": the charge in percent (0..100).
std::optional<int> parseCbc(const QByteArray &reply);
// The charge from "+CIND: 5,3,...": the battchg indicator (0..5) as percent.
// `names` is the answer to AT+CIND=?, when read, to find its place; without
// it the first field is taken, as on Ericsson phones.
std::optional<int> parseCindBattery(const QByteArray &reply, const QByteArray &names = {});

// "+COPS: 0,0,"UK VODAFONE"": the operator's name; nothing when the phone
// names none (no network).
std::optional<QByteArray> parseCops(const QByteArray &reply);

enum class Registration { NotRegistered, Home, Searching, Denied, Unknown, Roaming };
// "+CREG: n,stat[,lac,ci]".
std::optional<Registration> parseCreg(const QByteArray &reply);
// "home", "roaming", "searching", "denied", "not registered", "unknown".
QString registrationText(Registration r);

// "+CPIN: READY" / "SIM PIN" / "SIM PUK" ...: the phone's own words.
std::optional<QByteArray> parseCpin(const QByteArray &reply);
// "+CPINR: SIM PIN,2,3": the tries left for that code, when the phone says.
std::optional<int> parseTriesLeft(const QByteArray &reply, const QByteArray &code);

// The n of a final "+CME ERROR: n"; nothing for any other ending.
std::optional<int> cmeCode(const QByteArray &reply);
// The reason a refusal gives, in words: "SIM PIN required" for 11, ...
QString cmeText(int code);
// Whether a reply (or refusal) says the SIM waits for its PIN or PUK.
enum class Lock { None, Pin, Puk };
Lock lockIn(const QByteArray &reply);

// AT+CPIN="pin" and AT+CPIN="puk","new pin". Only digits go out (4 to 8 of
// them); nothing for anything else, so no code can break the command.
std::optional<QByteArray> pinCommand(const QString &pin);
std::optional<QByteArray> pukCommand(const QString &puk, const QString &newPin);

} // namespace StatusAt
