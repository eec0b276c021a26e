// SPDX-License-Identifier: GPL-2.0-or-later
#include "PhoneState.h"

#include "JsonFields.h"

using namespace JsonFields;

namespace {

const char *const kKnownKeys[] = {
    "manufacturer", "model", "revision", "imei", "operator", "battery", "signal",
    "smsc", "echo", "binaryOnly", "cmgsFail", "cmgfFail", "cscaSetFail",
    "promptDelayMs", "binaryDelayPercent", "submitReply", "binaryHeaders", "messageReference", "outbox", "poweredOff", "overrides",
    "messageFormats", "characterSets",
};

// A list of short words ("0", "UCS2"); the message names the key.
QString readWords(const QJsonObject &o, const char *key, QStringList &target, const QStringList &allowed)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    const QString bad = allowed.isEmpty()
                            ? QStringLiteral("\"%1\" must be an array of names without '\"'").arg(QLatin1String(key))
                            : QStringLiteral("\"%1\" must be an array of %2").arg(QLatin1String(key), allowed.join(u'/'));
    if (!v.isArray())
        return bad;
    QStringList words;
    for (const QJsonValue &w : v.toArray()) {
        const QString word = w.toString();
        if (!w.isString() || word.isEmpty() || word.contains(u'"') || (!allowed.isEmpty() && !allowed.contains(word)))
            return bad;
        words << word;
    }
    target = words;
    return {};
}

} // namespace

QString PhoneState::load(const QJsonObject &o)
{
    QString err;
    auto take = [&err](const QString &e) { if (err.isEmpty()) err = e; };
    take(readString(o, "manufacturer", manufacturer));
    take(readString(o, "model", model));
    take(readString(o, "revision", revision));
    take(readString(o, "imei", imei));
    take(readString(o, "operator", operatorName));
    take(readInt(o, "battery", battery, 0, 999));
    take(readInt(o, "signal", signal, 0, 9));
    take(readBool(o, "echo", echo));
    take(readBool(o, "binaryOnly", binaryOnly));
    take(readBool(o, "cmgsFail", cmgsFail));
    take(readBool(o, "cmgfFail", cmgfFail));
    take(readBool(o, "cscaSetFail", cscaSetFail));
    take(readInt(o, "promptDelayMs", promptDelayMs, 0, 600000));
    take(readInt(o, "binaryDelayPercent", binaryDelayPercent, 1, 100));
    take(readString(o, "submitReply", submitReply));
    if (o.contains(QLatin1String("submitReply")) && submitReply.isEmpty())
        take(QStringLiteral("\"submitReply\" must hold a character"));
    for (const QChar c : std::as_const(submitReply))
        if (c.unicode() > 0xFF)
            take(QStringLiteral("\"submitReply\" must be Latin-1 characters"));
    take(readBool(o, "binaryHeaders", binaryHeaders));
    take(readInt(o, "messageReference", messageReference, 0, 255));
    take(readBool(o, "poweredOff", poweredOff));
    take(readWords(o, "messageFormats", messageFormats, {QStringLiteral("0"), QStringLiteral("1")}));
    if (messageFormats.isEmpty())
        take(QStringLiteral("\"messageFormats\" must name a mode"));
    take(readWords(o, "characterSets", characterSets, {}));
    given = o.keys();

    const QJsonValue smsc = o.value(QLatin1String("smsc"));
    if (!smsc.isUndefined()) {
        if (!smsc.isObject()) {
            take(QStringLiteral("\"smsc\" must be an object"));
        } else {
            take(readString(smsc.toObject(), "number", smscNumber));
            take(readInt(smsc.toObject(), "type", smscType, 0, 255));
        }
    }
    const QJsonValue box = o.value(QLatin1String("outbox"));
    if (!box.isUndefined()) {
        if (box.isArray())
            outbox = box.toArray();
        else
            take(QStringLiteral("\"outbox\" must be an array"));
    }

    const QJsonValue ov = o.value(QLatin1String("overrides"));
    if (!ov.isUndefined()) {
        if (!ov.isObject()) {
            take(QStringLiteral("\"overrides\" must be an object"));
        } else {
            const QJsonObject obj = ov.toObject();
            for (auto it = obj.begin(); it != obj.end(); ++it) {
                if (!it.value().isArray() && !it.value().isString())
                    take(QStringLiteral("override \"%1\" must be a string or an array of lines").arg(it.key()));
                else
                    overrides.insert(it.key().toUpper(), it.value());
            }
        }
    }

    take(books.load(o));
    take(rings.load(o));
    take(melodies.load(o));
    take(calls.load(o));
    take(settings.load(o));
    take(messages.load(o));
    take(phoneCalls.load(o));

    extra = o;
    for (const char *k : kKnownKeys)
        extra.remove(QLatin1String(k));
    for (const QString &k : PhonebookStore::keys())
        extra.remove(k);
    for (const QString &k : PersonalRingState::keys())
        extra.remove(k);
    for (const QString &k : OwnMelodyState::keys())
        extra.remove(k);
    for (const QString &k : CallServicesState::keys())
        extra.remove(k);
    for (const QString &k : SettingsState::keys())
        extra.remove(k);
    for (const QString &k : MessageStoreState::keys())
        extra.remove(k);
    for (const QString &k : CallsSimState::keys())
        extra.remove(k);
    return err;
}

QJsonObject PhoneState::save() const
{
    QJsonObject o = extra;
    o.insert(QStringLiteral("manufacturer"), manufacturer);
    o.insert(QStringLiteral("model"), model);
    o.insert(QStringLiteral("revision"), revision);
    o.insert(QStringLiteral("imei"), imei);
    o.insert(QStringLiteral("operator"), operatorName);
    o.insert(QStringLiteral("battery"), battery);
    o.insert(QStringLiteral("signal"), signal);
    o.insert(QStringLiteral("smsc"), QJsonObject{{QStringLiteral("number"), smscNumber},
                                                 {QStringLiteral("type"), smscType}});
    o.insert(QStringLiteral("echo"), echo);
    o.insert(QStringLiteral("binaryOnly"), binaryOnly);
    o.insert(QStringLiteral("cmgsFail"), cmgsFail);
    o.insert(QStringLiteral("cmgfFail"), cmgfFail);
    o.insert(QStringLiteral("cscaSetFail"), cscaSetFail);
    o.insert(QStringLiteral("promptDelayMs"), promptDelayMs);
    o.insert(QStringLiteral("binaryDelayPercent"), binaryDelayPercent);
    o.insert(QStringLiteral("submitReply"), submitReply);
    o.insert(QStringLiteral("binaryHeaders"), binaryHeaders);
    o.insert(QStringLiteral("messageReference"), messageReference);
    o.insert(QStringLiteral("outbox"), outbox);
    o.insert(QStringLiteral("poweredOff"), poweredOff);
    if (!overrides.isEmpty())
        o.insert(QStringLiteral("overrides"), overrides);
    // Dumped when the initial state held them or they no longer hold their default.
    const PhoneState usual;
    if (given.contains(QLatin1String("messageFormats")) || messageFormats != usual.messageFormats)
        o.insert(QStringLiteral("messageFormats"), QJsonArray::fromStringList(messageFormats));
    if (given.contains(QLatin1String("characterSets")) || characterSets != usual.characterSets)
        o.insert(QStringLiteral("characterSets"), QJsonArray::fromStringList(characterSets));
    books.save(o);
    rings.save(o);
    melodies.save(o);
    calls.save(o);
    settings.save(o);
    messages.save(o);
    phoneCalls.save(o);
    return o;
}
