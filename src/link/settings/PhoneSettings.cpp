// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/settings/PhoneSettings.h"

#include "core/at/Charset.h"
#include "core/at/NumberConversion.h"
#include "link/PhoneLink.h"
#include "core/settings/SettingsAt.h"

namespace {
const char *code(PhoneSettings::Switch which)
{
    switch (which) {
    case PhoneSettings::Switch::MinuteMinder: return "ESMM";
    case PhoneSettings::Switch::KeyLock: return "ESKL";
    case PhoneSettings::Switch::Silent: return "ESIL";
    }
    return "";
}

const char *code(PhoneSettings::Choice which)
{
    switch (which) {
    case PhoneSettings::Choice::AnswerMode: return "ESAM";
    case PhoneSettings::Choice::KeySound: return "ESKS";
    case PhoneSettings::Choice::MessageAlert: return "ESMA";
    }
    return "";
}

QByteArray query(const char *code)
{
    return QByteArray("AT*") + code + "?\r\n";
}
} // namespace

PhoneSettings::PhoneSettings(PhoneLink &link) : m_link(link)
{
}

std::optional<bool> PhoneSettings::readSwitch(Switch which)
{
    if (const Exchange e = m_link.exchange(query(code(which))); e.ok())
        return SettingsAt::switchedOn(e.reply);
    return std::nullopt;
}

bool PhoneSettings::writeSwitch(Switch which, bool on)
{
    return m_link.exchange(SettingsAt::switchCommand(code(which), on)).ok();
}

int PhoneSettings::readChoice(Choice which)
{
    if (const Exchange e = m_link.exchange(query(code(which))); e.ok())
        return SettingsAt::radioDigit(e.reply).value_or(-1);
    return -1;
}

bool PhoneSettings::writeChoice(Choice which, int item)
{
    return m_link.exchange(SettingsAt::choiceCommand(code(which), item)).ok();
}

QString PhoneSettings::readVoicemail()
{
    const Exchange e = m_link.exchange("AT*ESVM?\r\n");
    return e.ok() ? fromPhoneText(numberfromphone(e.reply, false)) : QString();
}

ServiceResult PhoneSettings::writeVoicemail(const QString &typed)
{
    const Exchange current = m_link.exchange("AT*ESVM?\r\n");
    if (m_link.AbortRequested())
        return ServiceResult::Refused;
    return sendCommand(m_link, SettingsAt::voicemailCommand(current.answer(), toPhoneText(typed)));
}

PhoneSettings::Languages PhoneSettings::readLanguages()
{
    Languages out;
    const Exchange list = m_link.exchange("AT*ELAN=?\r\n");
    if (!list.ok())
        return out;
    out.answered = true;
    const SettingsAt::Listed codes = SettingsAt::languages(list.reply);
    out.codes = codes.items;
    if (!codes.complete)
        return out;
    out.listed = true;
    // A failed query leaves the box's text empty; the list stays usable.
    if (const auto current = SettingsAt::currentLanguage(m_link.exchange("AT*ELAN?\r\n").answer()))
        out.current = fromPhoneText(*current);
    return out;
}

bool PhoneSettings::writeLanguage(const QString &code)
{
    return m_link.exchange(SettingsAt::languageCommand(toPhoneText(code))).ok();
}

PhoneSettings::Greeting PhoneSettings::readGreeting()
{
    Greeting out;
    if (const Exchange e = m_link.exchange("AT*ETXT?\r\n"); e.ok()) {
        if (const auto text = SettingsAt::greeting(e.reply))
            out.text = fromPhoneText(*text);
        out.mode = SettingsAt::greetingMode(e.reply);
    }
    return out;
}

bool PhoneSettings::writeGreeting(const QString &text)
{
    const QByteArray bytes = toPhoneText(text);
    if (m_link.exchange(SettingsAt::greetingCommand(bytes, false)).ok())
        return true;
    return m_link.exchange(SettingsAt::greetingCommand(bytes, true)).ok();
}

bool PhoneSettings::writeGreetingMode(int mode)
{
    return m_link.exchange(SettingsAt::greetingModeCommand(mode)).ok();
}

PhoneSettings::Profiles PhoneSettings::readProfiles()
{
    Profiles out;
    const Exchange list = m_link.exchange("AT*EAPN?\r\n");
    if (!list.ok())
        return out;
    out.read = true;
    const SettingsAt::Listed names = SettingsAt::profiles(list.reply);
    out.names = names.items;
    if (!names.complete)
        return out;
    const std::optional<int> active = SettingsAt::activeProfile(m_link.exchange("AT*EAPS?\r\n").answer());
    if (active && *active < out.names.size())
        out.active = *active;
    return out;
}

bool PhoneSettings::selectProfile(int index)
{
    return m_link.exchange(SettingsAt::profileCommand(index)).ok();
}

PhoneSettings::Volume PhoneSettings::readVolume()
{
    Volume out;
    const QByteArray range = m_link.exchange("AT*ERIL=?\r\n").answer();
    out.maximum = SettingsAt::volumeMaximum(range).value_or(SettingsAt::DefaultVolumeMaximum);
    if (const Exchange e = m_link.exchange("AT*ERIL?\r\n"); e.ok())
        out.position = SettingsAt::volume(e.reply);
    return out;
}

bool PhoneSettings::writeVolume(int position)
{
    return m_link.exchange(SettingsAt::volumeCommand(position)).ok();
}

std::optional<int> PhoneSettings::readLight()
{
    if (const Exchange e = m_link.exchange("AT*ESBL?\r\n"); e.ok())
        return SettingsAt::light(e.reply);
    return -1;
}

bool PhoneSettings::writeLight(int item)
{
    return m_link.exchange(SettingsAt::lightCommand(item)).ok();
}

int PhoneSettings::readVibration()
{
    if (const Exchange e = m_link.exchange("AT+CVIB?\r\n"); e.ok())
        return SettingsAt::vibration(e.reply).value_or(-1);
    return -1;
}

ServiceResult PhoneSettings::writeVibration(int item)
{
    return sendCommand(m_link, SettingsAt::vibrationCommand(item));
}

std::optional<QString> PhoneSettings::readClock()
{
    if (const Exchange e = m_link.exchange("AT+CCLK?\r\n"); e.ok())
        return SettingsAt::clockText(e.reply);
    return std::nullopt;
}

bool PhoneSettings::writeClock(const QString &boxText)
{
    const QByteArray command = SettingsAt::clockCommand(boxText);
    const Exchange e = m_link.exchange(command);
    if (e.ok() && e.reply.contains('"'))
        return true;
    // Some phones refuse a time zone: the same time once more without it.
    const std::optional<QByteArray> plain = SettingsAt::clockWithoutZone(command);
    if (!plain || e.status == Exchange::Timeout || m_link.AbortRequested() || !m_link.connected())
        return false;
    const Exchange again = m_link.exchange(*plain);
    return again.ok() && again.reply.contains('"');
}

bool PhoneSettings::writeAlarm(const QTime &time)
{
    return time.isValid() && m_link.exchange(SettingsAt::alarmCommand(time)).ok();
}

std::optional<QTime> PhoneSettings::readAlarm()
{
    // "+CALA: "07:30"": the alarm between the first two quotes; an empty
    // pair is an alarm that was never set.
    const Exchange e = m_link.exchange("AT+CALA?\r\n");
    const qsizetype open = e.reply.indexOf('"');
    const qsizetype close = open < 0 ? -1 : e.reply.indexOf('"', open + 1);
    if (!e.ok() || close < 0)
        return std::nullopt;
    return QTime::fromString(QString::fromLatin1(e.reply.mid(open + 1, close - open - 1)), QStringLiteral("HH:mm"));
}

std::optional<int> PhoneSettings::readTimeFormat()
{
    if (const Exchange e = m_link.exchange("AT*ESTF?\r\n"); e.ok())
        return SettingsAt::timeFormat(e.reply).value_or(-1);
    return std::nullopt;
}

bool PhoneSettings::writeTimeFormat(int item)
{
    return m_link.exchange(SettingsAt::timeFormatCommand(item)).ok();
}

std::optional<int> PhoneSettings::readDateFormat()
{
    if (const Exchange e = m_link.exchange("AT*ESDF?\r\n"); e.ok())
        return SettingsAt::dateFormat(e.reply).value_or(-1);
    return std::nullopt;
}

bool PhoneSettings::writeDateFormat(int item)
{
    return m_link.exchange(SettingsAt::dateFormatCommand(item)).ok();
}
