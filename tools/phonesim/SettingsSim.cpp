// SPDX-License-Identifier: GPL-2.0-or-later
#include "SettingsSim.h"

#include "JsonFields.h"

#include <QDate>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTime>

namespace {
using Answer = std::optional<QStringList>;

const QRegularExpression &clockForm()
{
    static const QRegularExpression re(QStringLiteral("^(\\d\\d)/(\\d\\d)/(\\d\\d),(\\d\\d):(\\d\\d):(\\d\\d)$"));
    return re;
}

bool validClock(const QString &text)
{
    const QRegularExpressionMatch m = clockForm().match(text);
    return m.hasMatch() && QDate(2000 + m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid()
        && QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()).isValid();
}

bool validAlarm(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() && QTime(m.captured(1).toInt(), m.captured(2).toInt()).isValid();
}

// A whole number from lo to hi and nothing else; -1 for anything else.
int number(const QString &args, int lo, int hi)
{
    bool ok = false;
    const int n = args.trimmed().toInt(&ok);
    return ok && n >= lo && n <= hi ? n : -1;
}

QJsonObject toJson(const SettingsState &s)
{
    QJsonArray profiles;
    for (const SettingsState::Profile &p : s.profiles)
        profiles.append(QJsonObject{{QStringLiteral("name"), p.name},
                                    {QStringLiteral("volume"), p.volume},
                                    {QStringLiteral("silent"), p.silent},
                                    {QStringLiteral("vibration"), p.vibration},
                                    {QStringLiteral("light"), p.light}});
    return QJsonObject{
        {QStringLiteral("minuteMinder"), s.minuteMinder},
        {QStringLiteral("answerMode"), s.answerMode},
        {QStringLiteral("keySound"), s.keySound},
        {QStringLiteral("messageAlert"), s.messageAlert},
        {QStringLiteral("keyLock"), s.keyLock},
        {QStringLiteral("voicemail"),
         QJsonObject{{QStringLiteral("number"), s.voicemailNumber}, {QStringLiteral("type"), s.voicemailType}}},
        {QStringLiteral("languages"), QJsonArray::fromStringList(s.languages)},
        {QStringLiteral("language"), s.language},
        {QStringLiteral("greeting"), QJsonObject{{QStringLiteral("text"), s.greetingText},
                                                 {QStringLiteral("mode"), s.greetingMode},
                                                 {QStringLiteral("fields"), s.greetingFields}}},
        {QStringLiteral("profiles"), profiles},
        {QStringLiteral("activeProfile"), s.activeProfile},
        {QStringLiteral("ringVolumeMax"), s.ringVolumeMax},
        {QStringLiteral("clock"), s.clock},
        {QStringLiteral("alarm"), s.alarm},
        {QStringLiteral("timeFormat"), s.timeFormat},
        {QStringLiteral("dateFormat"), s.dateFormat},
    };
}
} // namespace

QStringList SettingsState::keys()
{
    return toJson(SettingsState()).keys();
}

QString SettingsState::load(const QJsonObject &o)
{
    for (const QString &k : keys())
        if (o.contains(k))
            given << k;
    const auto text = [](const QJsonObject &from, const char *key, QString &target) -> QString {
        const QJsonValue v = from.value(QLatin1String(key));
        if (v.isUndefined())
            return {};
        if (!v.isString() || v.toString().contains(u'"'))
            return QStringLiteral("\"%1\" must be a string without '\"'").arg(QLatin1String(key));
        target = v.toString();
        return {};
    };
    for (const QString &err : {JsonFields::readBool(o, "minuteMinder", minuteMinder), JsonFields::readInt(o, "answerMode", answerMode, 0, 2),
                               JsonFields::readInt(o, "keySound", keySound, 0, 2), JsonFields::readInt(o, "messageAlert", messageAlert, 0, 2),
                               JsonFields::readBool(o, "keyLock", keyLock), text(o, "language", language),
                               JsonFields::readInt(o, "activeProfile", activeProfile, 1, 20),
                               JsonFields::readInt(o, "ringVolumeMax", ringVolumeMax, 1, 9), text(o, "clock", clock),
                               text(o, "alarm", alarm), JsonFields::readInt(o, "timeFormat", timeFormat, 1, 2),
                               JsonFields::readInt(o, "dateFormat", dateFormat, 0, 7)})
        if (!err.isEmpty())
            return err;
    if (!validClock(clock))
        return QStringLiteral("\"clock\" must be \"yy/MM/dd,hh:mm:ss\"");
    if (!alarm.isEmpty() && !validAlarm(alarm))
        return QStringLiteral("\"alarm\" must be \"HH:MM\"");

    if (const QJsonValue v = o.value(QLatin1String("voicemail")); !v.isUndefined()) {
        if (!v.isObject())
            return QStringLiteral("\"voicemail\" must be an object");
        for (const QString &err : {text(v.toObject(), "number", voicemailNumber),
                                   JsonFields::readInt(v.toObject(), "type", voicemailType, 129, 145)})
            if (!err.isEmpty())
                return err;
    }
    if (const QJsonValue v = o.value(QLatin1String("languages")); !v.isUndefined()) {
        if (!v.isArray())
            return QStringLiteral("\"languages\" must be an array of codes");
        languages.clear();
        for (const QJsonValue &code : v.toArray()) {
            if (!code.isString() || code.toString().contains(u'"'))
                return QStringLiteral("\"languages\" must be an array of codes without '\"'");
            languages << code.toString();
        }
    }
    if (const QJsonValue v = o.value(QLatin1String("greeting")); !v.isUndefined()) {
        if (!v.isObject())
            return QStringLiteral("\"greeting\" must be an object");
        for (const QString &err : {text(v.toObject(), "text", greetingText),
                                   JsonFields::readInt(v.toObject(), "mode", greetingMode, 0, 2),
                                   JsonFields::readInt(v.toObject(), "fields", greetingFields, 2, 3)})
            if (!err.isEmpty())
                return err;
    }
    if (const QJsonValue v = o.value(QLatin1String("profiles")); !v.isUndefined()) {
        if (!v.isArray())
            return QStringLiteral("\"profiles\" must be an array");
        profiles.clear();
        for (const QJsonValue &p : v.toArray()) {
            const QJsonObject po = p.toObject();
            Profile profile;
            bool silent = false;
            const QJsonValue s = po.value(QLatin1String("silent"));
            if (s.isBool())
                silent = s.toBool();
            for (const QString &err : {text(po, "name", profile.name), JsonFields::readInt(po, "volume", profile.volume, 0, 9),
                                       JsonFields::readInt(po, "vibration", profile.vibration, 0, 16),
                                       JsonFields::readInt(po, "light", profile.light, 0, 2)})
                if (!err.isEmpty())
                    return QStringLiteral("profile: ") + err;
            if (!p.isObject() || (!s.isUndefined() && !s.isBool())
                || !QList<int>{0, 1, 16}.contains(profile.vibration))
                return QStringLiteral("\"profiles\" must hold {name, volume, silent, vibration 0|1|16, light}");
            profile.silent = silent;
            profiles << profile;
        }
    }
    if (activeProfile > profiles.size() && !profiles.isEmpty())
        return QStringLiteral("\"activeProfile\" must name one of the profiles");
    return {};
}

void SettingsState::save(QJsonObject &o) const
{
    const QJsonObject now = toJson(*this);
    const QJsonObject before = toJson(SettingsState());
    for (auto it = now.begin(); it != now.end(); ++it)
        if (given.contains(it.key()) || before.value(it.key()) != it.value())
            o.insert(it.key(), it.value());
}

namespace SettingsSim {

QList<PersonalRingSim::Command> commands(SettingsState &s)
{
    QList<PersonalRingSim::Command> out;
    const auto line = [](const QString &text) { return Answer(QStringList{text}); };
    const auto done = [] { return Answer(QStringList{}); };

    // The switches and three-way choices of page 1: "*ESMM: 1", "*ESMM=1".
    const auto setting = [&](const char *code, int &value, int max) {
        const QString key = QStringLiteral("*") + QLatin1String(code);
        out.append({key + QLatin1Char('?'), false, [&value, key, line](const QString &) {
                        return line(QStringLiteral("%1: %2").arg(key.mid(1)).arg(value));
                    }});
        out.append({key + QLatin1Char('='), true, [&value, max, done](const QString &a) -> Answer {
                        const int n = number(a, 0, max);
                        if (n < 0)
                            return std::nullopt;
                        value = n;
                        return done();
                    }});
    };
    setting("ESAM", s.answerMode, 2);
    setting("ESKS", s.keySound, 2);
    setting("ESMA", s.messageAlert, 2);
    const auto switchSetting = [&](const char *code, bool &value) {
        const QString key = QStringLiteral("*") + QLatin1String(code);
        out.append({key + QLatin1Char('?'), false, [&value, key, line](const QString &) {
                        return line(QStringLiteral("%1: %2").arg(key.mid(1)).arg(value ? 1 : 0));
                    }});
        out.append({key + QLatin1Char('='), true, [&value, done](const QString &a) -> Answer {
                        const int n = number(a, 0, 1);
                        if (n < 0)
                            return std::nullopt;
                        value = n == 1;
                        return done();
                    }});
    };
    switchSetting("ESMM", s.minuteMinder);
    switchSetting("ESKL", s.keyLock);

    // Voicemail: *ESVM: 1,"number",type (0 and "" when there is none). The
    // write takes the number with or without an extra "1," before it.
    out.append({QStringLiteral("*ESVM?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("*ESVM: %1,\"%2\",%3")
                                    .arg(s.voicemailNumber.isEmpty() ? 0 : 1)
                                    .arg(s.voicemailNumber)
                                    .arg(s.voicemailType));
                }});
    out.append({QStringLiteral("*ESVM="), true, [&s, done](const QString &a) -> Answer {
                    static const QRegularExpression re(
                        QStringLiteral("^\\s*1\\s*,\\s*(?:1\\s*,\\s*)?\"(\\+?[0-9]{0,20})\"\\s*,\\s*(129|145)\\s*$"));
                    const QRegularExpressionMatch m = re.match(a);
                    if (!m.hasMatch())
                        return std::nullopt;
                    s.voicemailNumber = m.captured(1).remove(u'+');
                    s.voicemailType = m.captured(2).toInt();
                    return done();
                }});

    // Languages: *ELAN: ("en","de"), *ELAN: "en", *ELAN="de".
    out.append({QStringLiteral("*ELAN=?"), false, [&s, line](const QString &) {
                    QStringList quoted;
                    for (const QString &code : s.languages)
                        quoted << QLatin1Char('"') + code + QLatin1Char('"');
                    return line(QStringLiteral("*ELAN: (%1)").arg(quoted.join(QLatin1Char(','))));
                }});
    out.append({QStringLiteral("*ELAN?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("*ELAN: \"%1\"").arg(s.language));
                }});
    out.append({QStringLiteral("*ELAN="), true, [&s, done](const QString &a) -> Answer {
                    static const QRegularExpression re(QStringLiteral("^\\s*\"([^\"]*)\"\\s*$"));
                    const QRegularExpressionMatch m = re.match(a);
                    if (!m.hasMatch() || !s.languages.contains(m.captured(1)))
                        return std::nullopt;
                    s.language = m.captured(1);
                    return done();
                }});

    // Greeting: *ETXT: mode,"text"; *ETXT=mode; *ETXT=1,"text" or, on a
    // phone that wants three fields, *ETXT=1,1,"text".
    out.append({QStringLiteral("*ETXT?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("*ETXT: %1,\"%2\"").arg(s.greetingMode).arg(s.greetingText));
                }});
    out.append({QStringLiteral("*ETXT="), true, [&s, done](const QString &a) -> Answer {
                    const int mode = number(a, 0, 2);
                    if (mode >= 0) {
                        s.greetingMode = mode;
                        return done();
                    }
                    static const QRegularExpression re(QStringLiteral("^1,(1,)?\"([^\"]{0,40})\"$"));
                    const QRegularExpressionMatch m = re.match(a.trimmed());
                    if (!m.hasMatch() || m.capturedLength(1) != (s.greetingFields == 3 ? 2 : 0))
                        return std::nullopt;
                    s.greetingText = m.captured(2);
                    s.greetingMode = 1;
                    return done();
                }});

    // Profiles, each with its own volume, silent mode, vibration and light.
    const auto active = [&s]() -> SettingsState::Profile * {
        return s.activeProfile >= 1 && s.activeProfile <= s.profiles.size() ? &s.profiles[s.activeProfile - 1]
                                                                             : nullptr;
    };
    out.append({QStringLiteral("*EAPN?"), false, [&s](const QString &) -> Answer {
                    QStringList lines;
                    for (int k = 0; k < s.profiles.size(); ++k)
                        lines << QStringLiteral("*EAPN: %1,\"%2\"").arg(k + 1).arg(s.profiles.at(k).name);
                    return lines;
                }});
    out.append({QStringLiteral("*EAPS?"), false, [&s, active, line](const QString &) -> Answer {
                    if (!active())
                        return std::nullopt;
                    return line(QStringLiteral("*EAPS: %1,\"%2\"").arg(s.activeProfile).arg(active()->name));
                }});
    out.append({QStringLiteral("*EAPS="), true, [&s, done](const QString &a) -> Answer {
                    const int n = number(a, 1, int(s.profiles.size()));
                    if (n < 0)
                        return std::nullopt;
                    s.activeProfile = n;
                    return done();
                }});
    out.append({QStringLiteral("*ERIL=?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("*ERIL: (0-%1),(1)").arg(s.ringVolumeMax));
                }});
    out.append({QStringLiteral("*ERIL?"), false, [active, line](const QString &) -> Answer {
                    if (!active())
                        return std::nullopt;
                    return line(QStringLiteral("*ERIL: %1,1").arg(active()->volume));
                }});
    out.append({QStringLiteral("*ERIL="), true, [&s, active, done](const QString &a) -> Answer {
                    static const QRegularExpression re(QStringLiteral("^\\s*(\\d)\\s*,\\s*1\\s*$"));
                    const QRegularExpressionMatch m = re.match(a);
                    if (!m.hasMatch() || m.captured(1).toInt() > s.ringVolumeMax || !active())
                        return std::nullopt;
                    active()->volume = m.captured(1).toInt();
                    return done();
                }});
    out.append({QStringLiteral("*ESIL?"), false, [active, line](const QString &) -> Answer {
                    if (!active())
                        return std::nullopt;
                    return line(QStringLiteral("*ESIL: %1").arg(active()->silent ? 1 : 0));
                }});
    out.append({QStringLiteral("*ESIL="), true, [active, done](const QString &a) -> Answer {
                    const int n = number(a, 0, 1);
                    if (n < 0 || !active())
                        return std::nullopt;
                    active()->silent = n == 1;
                    return done();
                }});
    out.append({QStringLiteral("*ESBL?"), false, [active, line](const QString &) -> Answer {
                    if (!active())
                        return std::nullopt;
                    return line(QStringLiteral("*ESBL: 0,%1").arg(active()->light));
                }});
    out.append({QStringLiteral("*ESBL="), true, [active, done](const QString &a) -> Answer {
                    static const QRegularExpression re(QStringLiteral("^\\s*0\\s*,\\s*([0-2])\\s*$"));
                    const QRegularExpressionMatch m = re.match(a);
                    if (!m.hasMatch() || !active())
                        return std::nullopt;
                    active()->light = m.captured(1).toInt();
                    return done();
                }});
    out.append({QStringLiteral("+CVIB?"), false, [active, line](const QString &) -> Answer {
                    if (!active())
                        return std::nullopt;
                    return line(QStringLiteral("+CVIB: %1").arg(active()->vibration));
                }});
    out.append({QStringLiteral("+CVIB="), true, [active, done](const QString &a) -> Answer {
                    const int n = number(a, 0, 16);
                    if ((n != 0 && n != 1 && n != 16) || !active())
                        return std::nullopt;
                    active()->vibration = n;
                    return done();
                }});

    // Clock and alarm: +CCLK: "yy/MM/dd,hh:mm:ss", +CALA="HH:MM".
    out.append({QStringLiteral("+CCLK?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("+CCLK: \"%1\"").arg(s.clock));
                }});
    out.append({QStringLiteral("+CCLK="), true, [&s, done](const QString &a) -> Answer {
                    static const QRegularExpression re(QStringLiteral("^\\s*\"([^\"]*)\"\\s*$"));
                    const QRegularExpressionMatch m = re.match(a);
                    if (!m.hasMatch() || !validClock(m.captured(1)))
                        return std::nullopt;
                    s.clock = m.captured(1);
                    return done();
                }});
    out.append({QStringLiteral("+CALA?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("+CALA: \"%1\"").arg(s.alarm));
                }});
    out.append({QStringLiteral("+CALA="), true, [&s, done](const QString &a) -> Answer {
                    static const QRegularExpression re(QStringLiteral("^\\s*\"([^\"]*)\"\\s*$"));
                    const QRegularExpressionMatch m = re.match(a);
                    if (!m.hasMatch() || !validAlarm(m.captured(1)))
                        return std::nullopt;
                    s.alarm = m.captured(1);
                    return done();
                }});
    // Formats: the time format takes 1 (24-hour) or 2 (12-hour), the date
    // format 0 to 7.
    out.append({QStringLiteral("*ESTF?"), false, [&s, line](const QString &) {
                    return line(QStringLiteral("*ESTF: %1").arg(s.timeFormat));
                }});
    out.append({QStringLiteral("*ESTF="), true, [&s, done](const QString &a) -> Answer {
                    const int n = number(a, 1, 2);
                    if (n < 0)
                        return std::nullopt;
                    s.timeFormat = n;
                    return done();
                }});
    setting("ESDF", s.dateFormat, 7);
    return out;
}

} // namespace SettingsSim
