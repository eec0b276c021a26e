// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a restore would do, worked out before anything is written. Every
// section is taken as a list of items (a phonebook location, a setting, a
// melody slot, a forwarding), each with the value the backup holds and the
// value the phone holds now, read from it with the same reader the backup
// used; the plan compares them item by item.
//
// Nothing is cleared unless the user asked to replace the section: an item
// the phone has and the backup lacks is otherwise left alone.
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include "core/backup/BackupFile.h"

namespace Backup {

// The steps of a restore, in the order they run. Personal rings live in
// the melodies section, call services in the settings section.
enum class Step { Settings, Melodies, PersonalRings, Books, Sim, PhoneBook, CallServices };
QList<Step> restoreSteps();
Section sectionOf(Step step);
// "settings", "melodies", "personal rings", "books", "sim", "phone_book",
// "call services".
QString stepName(Step step);
// The steps a section's restore takes.
QList<Step> stepsOf(Section section);

struct Item {
    QString key;   // "12", "volume", "busy voice", "melody 2"
    QString value; // empty: nothing there (an empty location, forwarding off)
    friend bool operator==(const Item &, const Item &) = default;
};
// The items of one step in a section object, in the order they are written.
QList<Item> items(Step step, const QJsonObject &section);
// A value as the user reads it in the preview.
QString shown(Step step, const QString &value);

// A phonebook entry as an item value, and back. The number carries "+" for
// type 145; the name is the phone's own bytes.
QString bookValue(const QByteArray &number, int type, const QByteArray &name);
struct BookValue {
    QByteArray number; // "+" in front for type 145
    int type = 129;
    QByteArray name;
};
BookValue bookEntry(const QString &value);
// One entry of a book section: location, number, type, name and nameHex.
QJsonObject bookJson(int location, const QByteArray &number, int type, const QByteArray &name);

// What a phone's book takes, from "+CPBR: (1-250),40,18"; 0 for what it
// does not say.
struct Limits {
    int last = 0;
    int numberLength = 0;
    int nameLength = 0;
};
std::optional<Limits> parseLimits(const QByteArray &reply);
QJsonObject limitsJson(const Limits &limits);
Limits limitsOf(const QJsonObject &bookSection);

enum class Change { Added, Changed, Cleared, Unchanged, Skipped };
// "added", "changed", "cleared", "unchanged", "skipped".
QString changeName(Change change);

struct Planned {
    QString key;
    Change change = Change::Unchanged;
    QString from;   // the phone's value now
    QString to;     // the value written; empty to clear
    QString reason; // why it is skipped, or left alone
};
// Item by item in the backup's order, then the phone's items the backup
// lacks. `target` limits what a book takes (its zeros limit nothing).
QList<Planned> plan(Step step, const QList<Item> &backup, const QList<Item> &phone, bool replace,
                    const Limits &target = {});
// Whether the plan writes anything.
bool writes(const QList<Planned> &plan);

} // namespace Backup
