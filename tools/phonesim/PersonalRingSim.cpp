// SPDX-License-Identifier: GPL-2.0-or-later
#include "PersonalRingSim.h"

#include "JsonFields.h"

#include <QJsonArray>
#include <QRegularExpression>

QStringList PersonalRingState::keys()
{
    return {QStringLiteral("personalRingCount"), QStringLiteral("ringCodes"), QStringLiteral("personalRings")};
}

std::optional<QSet<int>> PersonalRingState::parseCodes(const QString &list)
{
    QSet<int> codes;
    static const QRegularExpression element(QStringLiteral("^\\s*(\\d{1,3})\\s*(?:-\\s*(\\d{1,3})\\s*)?$"));
    for (const QString &part : list.split(QLatin1Char(','))) {
        const QRegularExpressionMatch m = element.match(part);
        if (!m.hasMatch())
            return std::nullopt;
        const int a = m.captured(1).toInt();
        const int b = m.captured(2).isEmpty() ? a : m.captured(2).toInt();
        if (a > b)
            return std::nullopt;
        for (int c = a; c <= b; ++c)
            codes.insert(c);
    }
    return codes;
}

QString PersonalRingState::load(const QJsonObject &o)
{
    for (const QString &k : keys())
        if (o.contains(k))
            given << k;
    if (const QString err = JsonFields::readInt(o, "personalRingCount", count, 0, 99); !err.isEmpty())
        return err;
    const QJsonValue codes = o.value(QLatin1String("ringCodes"));
    if (!codes.isUndefined()) {
        if (!codes.isString() || !parseCodes(codes.toString()))
            return QStringLiteral("\"ringCodes\" must be a list such as \"1-3,5,31-34\"");
        ringCodes = codes.toString();
    }
    const QJsonValue list = o.value(QLatin1String("personalRings"));
    if (!list.isUndefined()) {
        if (!list.isArray())
            return QStringLiteral("\"personalRings\" must be an array");
        for (const QJsonValue &v : list.toArray()) {
            const QJsonObject e = v.toObject();
            const int index = e.value(QLatin1String("index")).toInt(-1);
            if (!v.isObject() || index < 1 || index > 99 || !e.value(QLatin1String("number")).isString())
                return QStringLiteral("\"personalRings\" entries need \"index\" 1..99 and a \"number\" string");
            entries.insert(index, Entry{e.value(QLatin1String("number")).toString(),
                                        e.value(QLatin1String("type")).toInt(129),
                                        e.value(QLatin1String("ring")).toInt(1)});
        }
    }
    return {};
}

void PersonalRingState::save(QJsonObject &o) const
{
    QJsonArray list;
    for (auto it = entries.begin(); it != entries.end(); ++it)
        list.append(QJsonObject{{QStringLiteral("index"), it.key()},
                                {QStringLiteral("number"), it->number},
                                {QStringLiteral("type"), it->type},
                                {QStringLiteral("ring"), it->ring}});
    const PersonalRingState defaults;
    if (given.contains(QLatin1String("personalRingCount")) || count != defaults.count)
        o.insert(QStringLiteral("personalRingCount"), count);
    if (given.contains(QLatin1String("ringCodes")) || ringCodes != defaults.ringCodes)
        o.insert(QStringLiteral("ringCodes"), ringCodes);
    if (given.contains(QLatin1String("personalRings")) || !entries.isEmpty())
        o.insert(QStringLiteral("personalRings"), list);
}

namespace PersonalRingSim {
namespace {
bool supported(const PersonalRingState &s, const QString &code)
{
    bool ok = false;
    const int c = code.trimmed().toInt(&ok);
    return ok && PersonalRingState::parseCodes(s.ringCodes).value_or(QSet<int>()).contains(c);
}

std::optional<int> entryIndex(const PersonalRingState &s, const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > s.count)
        return std::nullopt;
    return n;
}
} // namespace

QList<Command> commands(PersonalRingState &s)
{
    QList<Command> out;
    out.append({QStringLiteral("*EPRW=?"), false, [&s](const QString &) -> std::optional<QStringList> {
                    return QStringList{QStringLiteral("*EPRW: (1-%1),(129,145),(%2)").arg(s.count).arg(s.ringCodes)};
                }});
    out.append({QStringLiteral("*ERIN=?"), false, [&s](const QString &) -> std::optional<QStringList> {
                    return QStringList{QStringLiteral("*ERIN: (%1),(1,3-5)").arg(s.ringCodes)};
                }});
    out.append({QStringLiteral("*EPRR="), true, [&s](const QString &args) -> std::optional<QStringList> {
                    const std::optional<int> n = entryIndex(s, args);
                    if (!n)
                        return std::nullopt;
                    const auto it = s.entries.constFind(*n);
                    if (it == s.entries.constEnd())
                        return QStringList{QStringLiteral("*EPRR: %1,\"\",129,0").arg(*n)};
                    return QStringList{
                        QStringLiteral("*EPRR: %1,\"%2\",%3,%4").arg(*n).arg(it->number).arg(it->type).arg(it->ring)};
                }});
    // n,"number",type,ring; an empty number clears the entry.
    out.append({QStringLiteral("*EPRW="), true, [&s](const QString &args) -> std::optional<QStringList> {
                    static const QRegularExpression form(
                        QStringLiteral("^\\s*(\\d+)\\s*,\\s*\"([+0-9*#]*)\"\\s*,\\s*(129|145)\\s*,\\s*(\\d{1,3})\\s*$"));
                    const QRegularExpressionMatch m = form.match(args);
                    if (!m.hasMatch())
                        return std::nullopt;
                    const std::optional<int> n = entryIndex(s, m.captured(1));
                    if (!n || !supported(s, m.captured(4)))
                        return std::nullopt;
                    if (m.captured(2).isEmpty())
                        s.entries.remove(*n);
                    else
                        s.entries.insert(*n, {m.captured(2), m.captured(3).toInt(), m.captured(4).toInt()});
                    return QStringList{};
                }});
    // 6 plays a ring sound, 7 a melody; the phone refuses a code it lacks.
    out.append({QStringLiteral("*ERIP="), true, [&s](const QString &args) -> std::optional<QStringList> {
                    const QStringList parts = args.split(QLatin1Char(','));
                    const QString kind = parts.value(0).trimmed();
                    if (parts.size() != 2 || (kind != QLatin1String("6") && kind != QLatin1String("7"))
                        || !supported(s, parts.at(1)))
                        return std::nullopt;
                    return QStringList{};
                }});
    return out;
}
} // namespace PersonalRingSim
