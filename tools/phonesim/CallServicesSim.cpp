// SPDX-License-Identifier: GPL-2.0-or-later
#include "CallServicesSim.h"

#include "JsonFields.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {
constexpr int kClasses[] = {1, 2, 4};
constexpr int kAllClasses = 7; // voice, data and fax: a command without a class

// A class field: empty means all three.
std::optional<int> classOf(const QString &field)
{
    const QString f = field.trimmed();
    if (f.isEmpty())
        return kAllClasses;
    bool ok = false;
    const int c = f.toInt(&ok);
    if (!ok || (c != 1 && c != 2 && c != 4 && c != kAllClasses))
        return std::nullopt;
    return c;
}

std::optional<int> digitOf(const QString &field, int lo, int hi)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

// reason,mode[,"number"[,type[,class[,subaddress,satype[,time]]]]]
std::optional<QStringList> forwarding(CallServicesState &s, const QString &args)
{
    QStringList f = args.split(QLatin1Char(','));
    while (f.size() < 5)
        f << QString();
    const std::optional<int> reason = digitOf(f[0], 0, 3);
    const std::optional<int> mode = digitOf(f[1], 0, 2);
    const std::optional<int> cls = classOf(f[4]);
    if (!reason || !mode || !cls || f.size() > 8)
        return std::nullopt;

    if (*mode == 2) {
        QStringList lines;
        for (int c : kClasses)
            if ((*cls & c) && s.forwards.contains({*reason, c})) {
                const CallServicesState::Forward &to = s.forwards[{*reason, c}];
                lines << QStringLiteral("+CCFC: 1,%1,\"%2\",%3").arg(c).arg(to.number).arg(to.type);
            }
        if (lines.isEmpty())
            lines << QStringLiteral("+CCFC: 0,%1").arg(*cls);
        return lines;
    }
    if (s.networkRefuses)
        return std::nullopt;
    if (*mode == 0) {
        for (int c : kClasses)
            if (*cls & c)
                s.forwards.remove({*reason, c});
        return QStringList{};
    }
    // Forwarding on needs a number to forward to.
    static const QRegularExpression quotedNumber(QStringLiteral("^\\s*\"(\\+?)([0-9]{1,20})\"\\s*$"));
    const QRegularExpressionMatch m = quotedNumber.match(f[2]);
    if (!m.hasMatch())
        return std::nullopt;
    const bool plus = !m.captured(1).isEmpty();
    int type = plus ? 145 : 129;
    if (!f[3].trimmed().isEmpty()) {
        const std::optional<int> given = digitOf(f[3], 128, 255);
        if (!given)
            return std::nullopt;
        type = plus ? 145 : *given;
    }
    for (int c : kClasses)
        if (*cls & c)
            s.forwards.insert({*reason, c}, CallServicesState::Forward{m.captured(2), type});
    return QStringList{};
}

// n[,mode[,class]]
std::optional<QStringList> waiting(CallServicesState &s, const QString &args)
{
    const QStringList f = args.split(QLatin1Char(','));
    if (f.size() > 3 || !digitOf(f[0], 0, 1) || (f.size() == 3 && !classOf(f[2])))
        return std::nullopt;
    if (f.size() == 1)
        return QStringList{};
    const std::optional<int> mode = digitOf(f[1], 0, 2);
    if (!mode)
        return std::nullopt;
    if (*mode == 2)
        return QStringList{QStringLiteral("+CCWA: %1,1").arg(s.callWaiting ? 1 : 0)};
    if (s.networkRefuses)
        return std::nullopt;
    s.callWaiting = *mode == 1;
    return QStringList{};
}
} // namespace

QStringList CallServicesState::keys()
{
    return {QStringLiteral("forwarding"), QStringLiteral("callWaiting"), QStringLiteral("networkDelayMs"),
            QStringLiteral("networkRefuses")};
}

QString CallServicesState::load(const QJsonObject &o)
{
    for (const QString &k : keys())
        if (o.contains(k))
            given << k;
    const QJsonValue list = o.value(QLatin1String("forwarding"));
    if (!list.isUndefined()) {
        if (!list.isArray())
            return QStringLiteral("\"forwarding\" must be an array");
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,20}$"));
        for (const QJsonValue &v : list.toArray()) {
            const QJsonObject e = v.toObject();
            const int reason = e.value(QLatin1String("reason")).toInt(-1);
            const int cls = e.value(QLatin1String("class")).toInt(-1);
            const QString number = e.value(QLatin1String("number")).toString();
            const int type = e.value(QLatin1String("type")).toInt(129);
            if (!v.isObject() || reason < 0 || reason > 3 || (cls != 1 && cls != 2 && cls != 4)
                || !digits.match(number).hasMatch() || type < 128 || type > 255)
                return QStringLiteral("\"forwarding\" entries need \"reason\" 0..3, \"class\" 1, 2 or 4, "
                                      "a \"number\" of 1 to 20 digits and a \"type\" 128..255");
            forwards.insert({reason, cls}, Forward{number, type});
        }
    }
    for (const QString &err : {JsonFields::readBool(o, "callWaiting", callWaiting),
                               JsonFields::readInt(o, "networkDelayMs", networkDelayMs, 0, 600'000),
                               JsonFields::readBool(o, "networkRefuses", networkRefuses)})
        if (!err.isEmpty())
            return err;
    return {};
}

void CallServicesState::save(QJsonObject &o) const
{
    QJsonArray list;
    for (auto it = forwards.begin(); it != forwards.end(); ++it)
        list.append(QJsonObject{{QStringLiteral("reason"), it.key().first},
                                {QStringLiteral("class"), it.key().second},
                                {QStringLiteral("number"), it->number},
                                {QStringLiteral("type"), it->type}});
    if (given.contains(QLatin1String("forwarding")) || !forwards.isEmpty())
        o.insert(QStringLiteral("forwarding"), list);
    if (given.contains(QLatin1String("callWaiting")) || callWaiting)
        o.insert(QStringLiteral("callWaiting"), callWaiting);
    if (given.contains(QLatin1String("networkDelayMs")) || networkDelayMs != 0)
        o.insert(QStringLiteral("networkDelayMs"), networkDelayMs);
    if (given.contains(QLatin1String("networkRefuses")) || networkRefuses)
        o.insert(QStringLiteral("networkRefuses"), networkRefuses);
}

namespace CallServicesSim {

QList<PersonalRingSim::Command> commands(CallServicesState &s)
{
    return {
        {QStringLiteral("+CCFC="), true, [&s](const QString &args) { return forwarding(s, args); }},
        {QStringLiteral("+CCWA="), true, [&s](const QString &args) { return waiting(s, args); }},
    };
}

} // namespace CallServicesSim
