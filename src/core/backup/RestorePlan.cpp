// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/backup/RestorePlan.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include "core/at/Charset.h"

namespace Backup {

namespace {
// Settings are written in this order: the profile first, since volume,
// silence, light and vibration belong to the active profile.
const QStringList SettingOrder{
    "profile",    "volume",      "silent",      "light",    "vibration", "minuteMinder", "keyLock",
    "answerMode", "keySound",    "messageAlert", "voicemail", "language",  "greeting",     "greetingMode",
    "timeFormat", "dateFormat",  "alarm",       "centre",
};

// A value's parts are kept apart by a character no field can hold.
constexpr QChar Unit(0x1f);

QList<Item> settingItems(const QJsonObject &section)
{
    const QJsonObject values = section.value(QLatin1String("values")).toObject();
    QList<Item> list;
    for (const QString &name : SettingOrder)
        if (values.contains(name))
            list << Item{name, values.value(name).toString()};
    for (auto it = values.begin(); it != values.end(); ++it)
        if (!SettingOrder.contains(it.key()))
            list << Item{it.key(), it.value().toString()};
    return list;
}

QList<Item> melodyItems(const QJsonObject &section)
{
    const QJsonObject own = section.value(QLatin1String("melodies")).toObject();
    QList<Item> list;
    if (!section.contains(QLatin1String("melodies")))
        return list;
    for (int slot = 1; slot <= 4; ++slot)
        list << Item{QStringLiteral("melody %1").arg(slot), own.value(QString::number(slot)).toString()};
    return list;
}

QList<Item> ringItems(const QJsonObject &section)
{
    QList<Item> list;
    for (const QJsonValue &v : section.value(QLatin1String("personalRings")).toArray()) {
        const QJsonObject r = v.toObject();
        list << Item{QStringLiteral("personal ring %1").arg(r.value(QLatin1String("index")).toInt()),
                     r.value(QLatin1String("number")).toString() + Unit + r.value(QLatin1String("ring")).toString()};
    }
    return list;
}

QList<Item> bookFileItems(const QJsonObject &section)
{
    QList<Item> list;
    for (const char *book : {"sms", "icq"})
        for (const QJsonValue &v : section.value(QLatin1String(book)).toArray()) {
            const QJsonObject e = v.toObject();
            const QString number = e.value(QLatin1String("number")).toString();
            const QString name = e.value(QLatin1String("name")).toString();
            list << Item{QStringLiteral("%1 %2").arg(QLatin1String(book)).arg(e.value(QLatin1String("record")).toInt()),
                         number.isEmpty() && name.isEmpty() ? QString() : number + Unit + name};
        }
    return list;
}

QList<Item> phonebookItems(const QJsonObject &section)
{
    QList<Item> list;
    for (const QJsonValue &v : section.value(QLatin1String("entries")).toArray()) {
        const QJsonObject e = v.toObject();
        // The phone's own bytes, unless the name was edited since: then
        // the edit is what the user wants on the phone.
        const QString name = e.value(QLatin1String("name")).toString();
        QByteArray bytes = QByteArray::fromHex(e.value(QLatin1String("nameHex")).toString().toLatin1());
        if (fromPhoneText(bytes) != name)
            bytes = toPhoneText(name);
        list << Item{QString::number(e.value(QLatin1String("location")).toInt()),
                     bookValue(toPhoneText(e.value(QLatin1String("number")).toString()),
                               e.value(QLatin1String("type")).toInt(), bytes)};
    }
    return list;
}

QList<Item> callServiceItems(const QJsonObject &section)
{
    QList<Item> list;
    for (const QJsonValue &v : section.value(QLatin1String("forwarding")).toArray()) {
        const QJsonObject f = v.toObject();
        list << Item{QStringLiteral("forwarding %1 %2")
                         .arg(f.value(QLatin1String("reason")).toString(), f.value(QLatin1String("class")).toString()),
                     f.value(QLatin1String("number")).toString()};
    }
    if (section.value(QLatin1String("callWaiting")).isBool())
        list << Item{QStringLiteral("call waiting"),
                     section.value(QLatin1String("callWaiting")).toBool() ? QStringLiteral("on") : QStringLiteral("off")};
    return list;
}

// Why a book entry does not fit the target's book; empty when it does.
QString misfit(const QString &key, const QString &value, const Limits &target)
{
    const BookValue e = bookEntry(value);
    const int digits = int(e.number.startsWith('+') ? e.number.size() - 1 : e.number.size());
    if (target.last && key.toInt() > target.last)
        return QStringLiteral("the phone's book ends at location %1").arg(target.last);
    if (target.numberLength && digits > target.numberLength)
        return QStringLiteral("the number has %1 digits; the phone takes %2").arg(digits).arg(target.numberLength);
    if (target.nameLength && e.name.size() > target.nameLength)
        return QStringLiteral("the name has %1 characters; the phone takes %2").arg(e.name.size()).arg(target.nameLength);
    return {};
}
} // namespace

namespace {
// Each step of a restore, in the order they run: its section, its name and
// how its items are found.
struct StepInfo {
    Step step;
    Section section;
    const char *name;
    QList<Item> (*items)(const QJsonObject &);
};
const StepInfo Steps[] = {
    {Step::Settings, Section::Settings, "settings", settingItems},
    {Step::Melodies, Section::Melodies, "melodies", melodyItems},
    {Step::PersonalRings, Section::Melodies, "personal rings", ringItems},
    {Step::Books, Section::Books, "books", bookFileItems},
    {Step::Sim, Section::Sim, "sim", phonebookItems},
    {Step::PhoneBook, Section::PhoneBook, "phone_book", phonebookItems},
    {Step::CallServices, Section::Settings, "call services", callServiceItems},
};
const StepInfo &info(Step step)
{
    return Steps[int(step)];
}
} // namespace

QList<Step> restoreSteps()
{
    QList<Step> steps;
    for (const StepInfo &s : Steps)
        steps << s.step;
    return steps;
}

Section sectionOf(Step step)
{
    return info(step).section;
}

QString stepName(Step step)
{
    return QLatin1String(info(step).name);
}

QList<Step> stepsOf(Section section)
{
    QList<Step> steps;
    for (Step s : restoreSteps())
        if (sectionOf(s) == section)
            steps << s;
    return steps;
}

QList<Item> items(Step step, const QJsonObject &section)
{
    return info(step).items(section);
}

QString shown(Step step, const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("(empty)");
    if (step == Step::Sim || step == Step::PhoneBook) {
        const BookValue e = bookEntry(value);
        return QStringLiteral("%1 %2").arg(fromPhoneText(e.number), fromPhoneText(e.name));
    }
    QString text = value;
    return text.replace(Unit, QLatin1Char(' '));
}

QString bookValue(const QByteArray &number, int type, const QByteArray &name)
{
    if (number.isEmpty() && name.isEmpty())
        return {};
    QByteArray n = number;
    if (type == 145 && !n.startsWith('+'))
        n.prepend('+');
    return fromPhoneText(n) + Unit + QString::number(type) + Unit + QString::fromLatin1(name.toHex());
}

BookValue bookEntry(const QString &value)
{
    const QStringList parts = value.split(Unit);
    BookValue e;
    e.number = toPhoneText(parts.value(0));
    e.type = parts.value(1).toInt();
    if (e.type != 145)
        e.type = e.number.startsWith('+') ? 145 : 129;
    e.name = QByteArray::fromHex(parts.value(2).toLatin1());
    return e;
}

QJsonObject bookJson(int location, const QByteArray &number, int type, const QByteArray &name)
{
    QByteArray n = number;
    if (type == 145 && !n.startsWith('+'))
        n.prepend('+');
    return {{"location", location},
            {"number", fromPhoneText(n)},
            {"type", type},
            {"name", fromPhoneText(name)},
            {"nameHex", QString::fromLatin1(name.toHex())}};
}

std::optional<Limits> parseLimits(const QByteArray &reply)
{
    static const QRegularExpression form(QStringLiteral("\\+CPBR:\\s*\\((\\d{1,4})-(\\d{1,4})\\)(?:\\s*,\\s*(\\d{1,3}))?"
                                                        "(?:\\s*,\\s*(\\d{1,3}))?"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(reply));
    if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(2).toInt() < m.captured(1).toInt())
        return std::nullopt;
    return Limits{m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt()};
}

QJsonObject limitsJson(const Limits &limits)
{
    QJsonObject o{{"last", limits.last}};
    if (limits.numberLength)
        o.insert(QStringLiteral("numberLength"), limits.numberLength);
    if (limits.nameLength)
        o.insert(QStringLiteral("nameLength"), limits.nameLength);
    return o;
}

Limits limitsOf(const QJsonObject &bookSection)
{
    const QJsonObject o = bookSection.value(QLatin1String("limits")).toObject();
    return Limits{o.value(QLatin1String("last")).toInt(), o.value(QLatin1String("numberLength")).toInt(),
                  o.value(QLatin1String("nameLength")).toInt()};
}

QString changeName(Change change)
{
    static const char *const names[] = {"added", "changed", "cleared", "unchanged", "skipped"};
    return QLatin1String(names[int(change)]);
}

QList<Planned> plan(Step step, const QList<Item> &backup, const QList<Item> &phone, bool replace,
                    const Limits &target)
{
    QHash<QString, QString> now;
    for (const Item &i : phone)
        now.insert(i.key, i.value);
    const bool book = step == Step::Sim || step == Step::PhoneBook;
    QList<Planned> out;
    QSet<QString> seen;
    auto leave = [&](const QString &key, const QString &value) {
        if (replace)
            out << Planned{key, Change::Cleared, value, {}, {}};
        else
            out << Planned{key, Change::Unchanged, value, value, QStringLiteral("left alone: not in the backup")};
    };
    for (const Item &b : backup) {
        seen.insert(b.key);
        const QString p = now.value(b.key);
        if (b.value == p) {
            out << Planned{b.key, Change::Unchanged, p, p, {}};
        } else if (b.value.isEmpty()) {
            leave(b.key, p);
        } else if (const QString why = book ? misfit(b.key, b.value, target) : QString(); !why.isEmpty()) {
            out << Planned{b.key, Change::Skipped, p, b.value, why};
        } else {
            out << Planned{b.key, p.isEmpty() ? Change::Added : Change::Changed, p, b.value, {}};
        }
    }
    for (const Item &p : phone)
        if (!seen.contains(p.key) && !p.value.isEmpty())
            leave(p.key, p.value);
    return out;
}

bool writes(const QList<Planned> &plan)
{
    for (const Planned &p : plan)
        if (p.change == Change::Added || p.change == Change::Changed || p.change == Change::Cleared)
            return true;
    return false;
}

} // namespace Backup
