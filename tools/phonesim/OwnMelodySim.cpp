// SPDX-License-Identifier: GPL-2.0-or-later
#include "OwnMelodySim.h"

#include <QRegularExpression>

namespace {
// The call types by the digit *ERIN takes, and their names in the state.
const QList<std::pair<int, QString>> &callTypes()
{
    static const QList<std::pair<int, QString>> types{{1, QStringLiteral("voice")},
                                                      {3, QStringLiteral("fax")},
                                                      {4, QStringLiteral("data")},
                                                      {5, QStringLiteral("alarm")}};
    return types;
}

bool listed(const PersonalRingState &rings, int code)
{
    return PersonalRingState::parseCodes(rings.ringCodes).value_or(QSet<int>()).contains(code);
}
} // namespace

QStringList OwnMelodyState::keys()
{
    return {QStringLiteral("ownMelodies"), QStringLiteral("ringTypes")};
}

QString OwnMelodyState::load(const QJsonObject &o)
{
    for (const QString &k : keys())
        if (o.contains(k))
            given << k;
    const QJsonValue m = o.value(QLatin1String("ownMelodies"));
    if (!m.isUndefined()) {
        const QJsonObject stored = m.toObject();
        if (!m.isObject())
            return QStringLiteral("\"ownMelodies\" must be an object of slots \"1\"..\"4\"");
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            bool ok = false;
            const int slot = it.key().toInt(&ok);
            if (!ok || slot < 1 || slot > 4 || !it.value().isString() || it.value().toString().contains(u'"'))
                return QStringLiteral("\"ownMelodies\" must map slots \"1\"..\"4\" to melody strings without '\"'");
            melodies[size_t(slot - 1)] = it.value().toString();
        }
    }
    const QJsonValue r = o.value(QLatin1String("ringTypes"));
    if (!r.isUndefined()) {
        if (!r.isObject())
            return QStringLiteral("\"ringTypes\" must be an object");
        const QJsonObject types = r.toObject();
        for (auto it = types.begin(); it != types.end(); ++it) {
            int digit = 0;
            for (const auto &[d, name] : callTypes())
                if (name == it.key())
                    digit = d;
            const QJsonValue code = it.value();
            if (!digit || !code.isDouble() || code.toDouble() != double(code.toInt()) || code.toInt() < 0
                || code.toInt() > 999)
                return QStringLiteral("\"ringTypes\" must map voice, data, fax, alarm to ring codes 0..999");
            ringTypes.insert(digit, code.toInt());
        }
    }
    return {};
}

void OwnMelodyState::save(QJsonObject &o) const
{
    QJsonObject stored;
    for (size_t k = 0; k < melodies.size(); ++k)
        if (!melodies[k].isEmpty())
            stored.insert(QString::number(k + 1), melodies[k]);
    if (given.contains(QLatin1String("ownMelodies")) || !stored.isEmpty())
        o.insert(QStringLiteral("ownMelodies"), stored);
    QJsonObject types;
    for (const auto &[digit, name] : callTypes())
        if (ringTypes.contains(digit))
            types.insert(name, ringTypes.value(digit));
    if (given.contains(QLatin1String("ringTypes")) || !types.isEmpty())
        o.insert(QStringLiteral("ringTypes"), types);
}

namespace OwnMelodySim {

QList<PersonalRingSim::Command> commands(OwnMelodyState &s, const PersonalRingState &rings)
{
    QList<PersonalRingSim::Command> out;
    // One line per stored slot; an empty slot is not reported.
    out.append({QStringLiteral("*ESOM?"), false, [&s](const QString &) -> std::optional<QStringList> {
                    QStringList lines;
                    for (size_t k = 0; k < s.melodies.size(); ++k)
                        if (!s.melodies[k].isEmpty())
                            lines << QStringLiteral("*ESOM: %1,\"%2\"").arg(k + 1).arg(s.melodies[k]);
                    return lines;
                }});
    out.append({QStringLiteral("*ESOM=?"), false, [](const QString &) -> std::optional<QStringList> {
                    return QStringList{QStringLiteral("*ESOM: (1-4)")};
                }});
    // n,"melody"; an empty melody empties the slot.
    out.append({QStringLiteral("*ESOM="), true, [&s](const QString &args) -> std::optional<QStringList> {
                    static const QRegularExpression form(QStringLiteral("^\\s*([1-4])\\s*,\\s*\"([^\"]*)\"\\s*$"));
                    const QRegularExpressionMatch m = form.match(args);
                    if (!m.hasMatch())
                        return std::nullopt;
                    s.melodies[size_t(m.captured(1).toInt() - 1)] = m.captured(2);
                    return QStringList{};
                }});
    // code,type: the ring code must be one the phone lists.
    out.append({QStringLiteral("*ERIN="), true, [&s, &rings](const QString &args) -> std::optional<QStringList> {
                    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,3})\\s*,\\s*([1345])\\s*$"));
                    const QRegularExpressionMatch m = form.match(args);
                    if (!m.hasMatch() || !listed(rings, m.captured(1).toInt()))
                        return std::nullopt;
                    s.ringTypes.insert(m.captured(2).toInt(), m.captured(1).toInt());
                    return QStringList{};
                }});
    // A melody: a listed ring code, or an own melody even when the list
    // leaves it out. (Longer than the personal rings' "*ERIP=", so it wins.)
    out.append({QStringLiteral("*ERIP=7"), true, [&rings](const QString &args) -> std::optional<QStringList> {
                    static const QRegularExpression form(QStringLiteral("^\\s*,\\s*(\\d{1,3})\\s*$"));
                    const QRegularExpressionMatch m = form.match(args);
                    if (!m.hasMatch())
                        return std::nullopt;
                    const int code = m.captured(1).toInt();
                    if (!listed(rings, code) && (code < 31 || code > 34))
                        return std::nullopt;
                    return QStringList{};
                }});
    return out;
}

} // namespace OwnMelodySim
