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

std::optional<QByteArray> PhoneSettings::ask(const QByteArray &command)
{
    m_link.setCommandText(command);
    m_link.SendCommand();
    if (m_link.ReplyText().isEmpty() || m_link.AbortRequested())
        return std::nullopt;
    return m_link.ReplyText();
}

bool PhoneSettings::send(const QByteArray &command)
{
    m_link.setCommandText(command);
    m_link.SendCommand();
    return !m_link.ReplyText().isEmpty();
}

std::optional<bool> PhoneSettings::readSwitch(Switch which)
{
    if (const auto reply = ask(query(code(which))))
        return SettingsAt::switchedOn(*reply);
    return std::nullopt;
}

bool PhoneSettings::writeSwitch(Switch which, bool on)
{
    return send(SettingsAt::switchCommand(code(which), on));
}

int PhoneSettings::readChoice(Choice which)
{
    if (const auto reply = ask(query(code(which))))
        return SettingsAt::radioDigit(*reply).value_or(-1);
    return -1;
}

bool PhoneSettings::writeChoice(Choice which, int item)
{
    return send(SettingsAt::choiceCommand(code(which), item));
}

QString PhoneSettings::readVoicemail()
{
    const std::optional<QByteArray> reply = ask("AT*ESVM?\r\n");
    return reply ? fromPhoneText(numberfromphone(*reply, false)) : QString();
}

PhoneSettings::Result PhoneSettings::writeVoicemail(const QString &typed)
{
    m_link.setCommandText("AT*ESVM?\r\n");
    m_link.SendCommand();
    if (m_link.AbortRequested())
        return Result::Refused;
    const std::optional<QByteArray> command = SettingsAt::voicemailCommand(m_link.ReplyText(), toPhoneText(typed));
    if (!command)
        return Result::NotSent;
    return send(*command) ? Result::Done : Result::Refused;
}

PhoneSettings::Languages PhoneSettings::readLanguages()
{
    Languages out;
    const std::optional<QByteArray> list = ask("AT*ELAN=?\r\n");
    if (!list)
        return out;
    out.answered = true;
    const SettingsAt::Listed codes = SettingsAt::languages(*list);
    out.codes = codes.items;
    if (!codes.complete)
        return out;
    out.listed = true;
    // A failed query leaves the box's text empty; the list stays usable.
    send("AT*ELAN?\r\n");
    if (const auto current = SettingsAt::currentLanguage(m_link.ReplyText()))
        out.current = fromPhoneText(*current);
    return out;
}

bool PhoneSettings::writeLanguage(const QString &code)
{
    return send(SettingsAt::languageCommand(toPhoneText(code)));
}

PhoneSettings::Greeting PhoneSettings::readGreeting()
{
    Greeting out;
    if (const auto reply = ask("AT*ETXT?\r\n")) {
        if (const auto text = SettingsAt::greeting(*reply))
            out.text = fromPhoneText(*text);
        out.mode = SettingsAt::greetingMode(*reply);
    }
    return out;
}

bool PhoneSettings::writeGreeting(const QString &text)
{
    const QByteArray bytes = toPhoneText(text);
    if (send(SettingsAt::greetingCommand(bytes, false)))
        return true;
    return send(SettingsAt::greetingCommand(bytes, true));
}

bool PhoneSettings::writeGreetingMode(int mode)
{
    return send(SettingsAt::greetingModeCommand(mode));
}

PhoneSettings::Profiles PhoneSettings::readProfiles()
{
    Profiles out;
    const std::optional<QByteArray> list = ask("AT*EAPN?\r\n");
    if (!list)
        return out;
    out.read = true;
    const SettingsAt::Listed names = SettingsAt::profiles(*list);
    out.names = names.items;
    if (!names.complete)
        return out;
    m_link.setCommandText("AT*EAPS?\r\n");
    m_link.SendCommand();
    const std::optional<int> active = SettingsAt::activeProfile(m_link.ReplyText());
    if (active && *active < out.names.size())
        out.active = *active;
    return out;
}

bool PhoneSettings::selectProfile(int index)
{
    return send(SettingsAt::profileCommand(index));
}

PhoneSettings::Volume PhoneSettings::readVolume()
{
    Volume out;
    m_link.setCommandText("AT*ERIL=?\r\n");
    m_link.SendCommand();
    out.maximum = SettingsAt::volumeMaximum(m_link.ReplyText()).value_or(SettingsAt::DefaultVolumeMaximum);
    if (const auto reply = ask("AT*ERIL?\r\n"))
        out.position = SettingsAt::volume(*reply);
    return out;
}

bool PhoneSettings::writeVolume(int position)
{
    return send(SettingsAt::volumeCommand(position));
}

std::optional<int> PhoneSettings::readLight()
{
    if (const auto reply = ask("AT*ESBL?\r\n"))
        return SettingsAt::light(*reply);
    return -1;
}

bool PhoneSettings::writeLight(int item)
{
    return send(SettingsAt::lightCommand(item));
}

int PhoneSettings::readVibration()
{
    if (const auto reply = ask("AT+CVIB?\r\n"))
        return SettingsAt::vibration(*reply).value_or(-1);
    return -1;
}

PhoneSettings::Result PhoneSettings::writeVibration(int item)
{
    const std::optional<QByteArray> command = SettingsAt::vibrationCommand(item);
    if (!command)
        return Result::NotSent;
    return send(*command) ? Result::Done : Result::Refused;
}

std::optional<QString> PhoneSettings::readClock()
{
    if (const auto reply = ask("AT+CCLK?\r\n"))
        return SettingsAt::clockText(*reply);
    return std::nullopt;
}

bool PhoneSettings::writeClock(const QString &boxText)
{
    return send(SettingsAt::clockCommand(boxText)) && m_link.ReplyText().contains('"');
}

bool PhoneSettings::writeAlarm(const QTime &time)
{
    return time.isValid() && send(SettingsAt::alarmCommand(time));
}

std::optional<int> PhoneSettings::readTimeFormat()
{
    if (const auto reply = ask("AT*ESTF?\r\n"))
        return SettingsAt::timeFormat(*reply).value_or(-1);
    return std::nullopt;
}

bool PhoneSettings::writeTimeFormat(int item)
{
    return send(SettingsAt::timeFormatCommand(item));
}

std::optional<int> PhoneSettings::readDateFormat()
{
    if (const auto reply = ask("AT*ESDF?\r\n"))
        return SettingsAt::dateFormat(*reply).value_or(-1);
    return std::nullopt;
}

bool PhoneSettings::writeDateFormat(int item)
{
    return send(SettingsAt::dateFormatCommand(item));
}
