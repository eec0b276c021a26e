// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's call lists and dialling on the wire. A call list is a
// phonebook the phone keeps by itself ("MC" missed, "RC" received, "DC" or
// "LD" dialled, and "ON", "FD", "EN"): selected with AT+CPBS, sized with
// AT+CPBR=?, read whole with AT+CPBR=first,last, and never written.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace CallsAt {

enum class List { Dialled, Missed, Received, Own, Fixed, Emergency };
inline constexpr List AllLists[] = {List::Dialled, List::Missed, List::Received,
                                    List::Own,     List::Fixed,  List::Emergency};

// "Dialled", "Missed", ... as the combo box and the command line show them.
QString caption(List list);
// "dialled", "missed", "received", "own", "fixed", "emergency".
QString word(List list);
std::optional<List> fromWord(const QString &word);

// The books the phone names in its answer to AT+CPBS=?
// ("+CPBS: ("SM","ME","DC","MC")"), upper case, in its order. Empty when the
// answer names none.
QStringList parseBooks(const QByteArray &reply);
// The book that holds `list` on a phone offering `books`: "DC" for Dialled,
// else "LD"; nothing when the phone offers neither.
std::optional<QByteArray> bookFor(List list, const QStringList &books);
// The lists a phone offering `books` has, in the combo box's order.
QList<List> offered(const QStringList &books);

QByteArray readCommand(int first, int last);

// One entry of a call list. `time` is the phone's own text
// ("05/06/07,12:34:56"), empty when it gives none.
struct Entry {
    int location = 0;
    QByteArray number;
    QByteArray name;
    QByteArray time;
};
// Every "+CPBR:" line of a range read, in order; lines that are not an
// entry are left out. NUL bytes some phones put after a reply are ignored.
QList<Entry> parseEntries(const QByteArray &reply);

// The used and total counts of the AT+CPBS? answer ("+CPBS: "MC",3,10");
// nothing when the phone leaves them out.
struct Counts {
    int used = 0;
    int total = 0;
};
std::optional<Counts> parseSelected(const QByteArray &reply);

// A number fit to dial: "+" first at most, then digits, "*", "#", "p", "w"
// (blanks, dashes and brackets a user types are dropped). Nothing when
// anything else is in it or no digit is.
std::optional<QByteArray> dialNumber(const QString &typed);
// "ATD<number>;" for a voice call.
QByteArray dialCommand(const QByteArray &number);
inline constexpr char HangUp[] = "ATH\r\n";
inline constexpr char HangUpAlt[] = "AT+CHUP\r\n";

} // namespace CallsAt
