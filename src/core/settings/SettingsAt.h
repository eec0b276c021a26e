// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's own settings (page 1 and 2, profiles, clock and formats): the
// fields picked out of its replies and the command lines built from what
// the user chose. Pure text work: the exchanges live in PhoneSettings.
//
// Replies are whole exchanges as the link hands them over, the echo of the
// command included; the fixed positions below count from its first byte.
#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <optional>

namespace SettingsAt {

// The digit two characters after the first ":" (after the blank): "*ESAM: 2"
// gives 2. Nothing when there is no ":" or no digit there.
std::optional<int> radioDigit(const QByteArray &reply);
// A switch reads as on when its reply holds a "1" anywhere.
bool switchedOn(const QByteArray &reply);

// At most this many languages and profiles are read.
constexpr int MaxListed = 20;

// "AT*ELAN=?": every quoted code, in order, at most 20. `complete` is false
// when a quote was left open: the list then stops there and the current
// language is not asked for.
struct Listed {
    QStringList items;
    bool complete = true;
};
Listed languages(const QByteArray &reply);
// "AT*ELAN?": the code after `ELAN: "`, trimmed, up to the next quote.
std::optional<QByteArray> currentLanguage(const QByteArray &reply);

// "AT*ETXT?": the text between the first two quotes; nothing when the
// closing quote is missing.
std::optional<QByteArray> greeting(const QByteArray &reply);
// "AT*ETXT?": the greeting's mode (0 off, 1 text, 2 animation), the digit
// after "ETXT: ".
std::optional<int> greetingMode(const QByteArray &reply);

// "AT*EAPN?": one item per profile 1, 2, ... as long as the reply names
// "EAPN: n", each a blank and the quoted name. `complete` false: a quote
// was left open, and the active profile is not asked for.
Listed profiles(const QByteArray &reply);
// "AT*EAPS?": the index (from 0) of the active profile, from the digit right
// after "EAPS: "; -1 for profile 0.
std::optional<int> activeProfile(const QByteArray &reply);

// The slider's maximum when the phone names no range.
constexpr int DefaultVolumeMaximum = 6;
// "AT*ERIL=?": the digit right after "0-".
std::optional<int> volumeMaximum(const QByteArray &reply);
// "AT*ERIL?": the digit just before the first comma.
std::optional<int> volume(const QByteArray &reply);

// "AT*ESBL?": the item (0 Off, 1 On, 2 Auto) from the characters at
// positions 19 to 21; nothing for any other text there.
std::optional<int> light(const QByteArray &reply);
// "AT+CVIB?": " 0" Off, " 1" On, " 16" If Silent, the later match winning.
std::optional<int> vibration(const QByteArray &reply);

// "AT+CCLK?": the quoted clock with a backslash where the phone has its
// third and sixth characters ("06\12\26,17:50:00"). Nothing when the
// closing quote is missing or fewer than six characters stand between the
// quotes: such a reply is not the phone's clock.
std::optional<QString> clockText(const QByteArray &reply);
// "AT*ESTF?": "2" is item 0 ("12:00 AM/PM"), "1" item 1 ("24:00").
std::optional<int> timeFormat(const QByteArray &reply);
// "AT*ESDF?": "0" to "7" are the items of the same index.
std::optional<int> dateFormat(const QByteArray &reply);

// The format boxes' items, in their order.
QStringList timeFormatItems();
QStringList dateFormatItems();

// Commands. A text between quotes keeps to its quotes and its line
// (quoted()); a number is converted with numberTophone.
QByteArray switchCommand(const char *code, bool on); // "AT*ESMM=1\r\n"
QByteArray choiceCommand(const char *code, int item); // "AT*ESAM=2\r\n"
// "AT*ESVM=1," + "1," when the query reply's 22nd character is a comma +
// the quoted number and its type. Nothing when the reply is 21 characters or
// shorter: then there is no form to follow.
std::optional<QByteArray> voicemailCommand(const QByteArray &queryReply, const QByteArray &typed);
QByteArray languageCommand(const QByteArray &code);
// The greeting text, with two fields or, as some phones want, three.
QByteArray greetingCommand(const QByteArray &text, bool threeFields);
QByteArray greetingModeCommand(int mode); // 0 off, 1 text, 2 animation
QByteArray profileCommand(int index);     // "AT*EAPS=" + (index + 1)
QByteArray volumeCommand(int position);   // "AT*ERIL=3,1\r\n"
QByteArray lightCommand(int item);        // "AT*ESBL=0,2\r\n"
// "AT+CVIB=0", "=1" or "=16"; nothing for no selection.
std::optional<QByteArray> vibrationCommand(int item);
// The clock box's text with "/" at its third and sixth characters.
QByteArray clockCommand(const QString &boxText);
// "yy\MM\dd,HH:mm:ss" of a PC date and time, hours 0 to 23.
QString clockBoxText(const QDateTime &when);
// The same AT+CCLK= command without its time zone ("+04"), for the phones
// that refuse one; nothing when it has none.
std::optional<QByteArray> clockWithoutZone(const QByteArray &command);
// "AT+CALA=\"HH:MM\"\r\n" from the picker's time itself, so neither the
// locale's separator nor its AM/PM can bend it.
QByteArray alarmCommand(const QTime &time);
QByteArray timeFormatCommand(int item); // item 1 "24:00" sends 1, else 2
QByteArray dateFormatCommand(int item);

} // namespace SettingsAt
