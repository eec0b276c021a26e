// SPDX-License-Identifier: GPL-2.0-or-later
// The phone-settings replies and commands, fed with replies as a T28 sends
// them (echo on: the command line, then the answer).
#include <QtTest>

#include "core/settings/SettingsAt.h"

namespace {
QByteArray echoed(const QByteArray &command, const QByteArray &lines)
{
    return command + "\r\r\n" + lines + "\r\n\r\nOK\r\n";
}

enum Field { Radio, Switch, TimeFormat, DateFormat, Active, VolumeMax, Volume, Light, Vibration, GreetingMode };

int parse(Field field, const QByteArray &reply)
{
    using namespace SettingsAt;
    switch (field) {
    case Radio: return radioDigit(reply).value_or(-1);
    case Switch: return switchedOn(reply) ? 1 : 0;
    case TimeFormat: return timeFormat(reply).value_or(-1);
    case DateFormat: return dateFormat(reply).value_or(-1);
    case Active: return activeProfile(reply).value_or(-9);
    case VolumeMax: return volumeMaximum(reply).value_or(-1);
    case Volume: return volume(reply).value_or(-1);
    case Light: return light(reply).value_or(-1);
    case Vibration: return vibration(reply).value_or(-1);
    case GreetingMode: return greetingMode(reply).value_or(-1);
    }
    return -2;
}

QByteArray quotedCodes(int count)
{
    QByteArrayList codes;
    for (int k = 0; k < count; ++k)
        codes << '"' + QByteArray(1, char('a' + k)) + "x\"";
    return "*ELAN: (" + codes.join(',') + ')';
}
} // namespace

class TestCoreSettings : public QObject {
    Q_OBJECT
private slots:
    void fields_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("expected"); // -1: nothing
        const auto row = [](const char *name, Field f, const QByteArray &reply, int expected) {
            QTest::newRow(name) << int(f) << reply << expected;
        };
        row("answer mode Auto", Radio, echoed("AT*ESAM?", "*ESAM: 2"), 2);
        row("key sound letter", Radio, echoed("AT*ESKS?", "*ESKS: x"), -1);
        row("no colon", Radio, "AT*ESKS?\r\r\nOK\r\n", -1);
        row("colon at the end", Radio, "*ESKS:", -1);
        row("switch on", Switch, echoed("AT*ESMM?", "*ESMM: 1"), 1);
        row("switch off", Switch, echoed("AT*ESMM?", "*ESMM: 0"), 0);
        row("12-hour", TimeFormat, echoed("AT*ESTF?", "*ESTF: 2"), 0);
        row("24-hour", TimeFormat, echoed("AT*ESTF?", "*ESTF: 1"), 1);
        row("time format 3", TimeFormat, echoed("AT*ESTF?", "*ESTF: 3"), -1);
        row("date format 7", DateFormat, echoed("AT*ESDF?", "*ESDF: 7"), 7);
        row("date format 0", DateFormat, echoed("AT*ESDF?", "*ESDF: 0"), 0);
        row("date format 9", DateFormat, echoed("AT*ESDF?", "*ESDF: 9"), -1);
        row("active profile 2", Active, echoed("AT*EAPS?", "*EAPS: 2,\"Meeting\""), 1);
        row("active profile 0", Active, echoed("AT*EAPS?", "*EAPS: 0"), -1);
        row("active profile letter", Active, echoed("AT*EAPS?", "*EAPS: x"), -9);
        row("volume range 0-4", VolumeMax, echoed("AT*ERIL=?", "*ERIL: (0-4),(1)"), 4);
        row("volume range without 0-", VolumeMax, echoed("AT*ERIL=?", "*ERIL: (1-4),(1)"), -1);
        row("volume range 0- and a letter", VolumeMax, echoed("AT*ERIL=?", "*ERIL: (0-x)"), -1);
        row("volume range 0- at the end", VolumeMax, "0-", -1);
        row("volume", Volume, echoed("AT*ERIL?", "*ERIL: 3,1"), 3);
        row("volume without a comma", Volume, echoed("AT*ERIL?", "*ERIL: 3"), -1);
        row("comma first", Volume, ",1", -1);
        row("light 0,2 at 19 to 21", Light, echoed("AT*ESBL?", "*ESBL: 0,2"), 2);
        row("light ,1 CR", Light, echoed("AT*ESBL?", "*ESBL: ,1"), 1);
        row("light 0 CR LF", Light, echoed("AT*ESBL?", "*ESBL: 0"), 0);
        row("light other text", Light, echoed("AT*ESBL?", "*ESBL: 1,3"), -1);
        row("light short reply", Light, "OK\r\n", -1);
        row("vibration 16 beats 1", Vibration, echoed("AT+CVIB?", "+CVIB: 16"), 2);
        row("vibration 1", Vibration, echoed("AT+CVIB?", "+CVIB: 1"), 1);
        row("vibration 0", Vibration, echoed("AT+CVIB?", "+CVIB: 0"), 0);
        row("vibration without blank", Vibration, "+CVIB:16", -1);
        row("greeting off", GreetingMode, echoed("AT*ETXT?", "*ETXT: 0,\"Hi\""), 0);
    }
    void fields()
    {
        QFETCH(int, field);
        QFETCH(QByteArray, reply);
        QFETCH(int, expected);
        QCOMPARE(parse(Field(field), reply), expected);
    }

    void lists_data()
    {
        QTest::addColumn<bool>("profiles");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("complete");
        QStringList twenty;
        for (int k = 0; k < 20; ++k)
            twenty << QString(QChar('a' + k)) + QLatin1Char('x');
        QTest::newRow("en de sv") << false << echoed("AT*ELAN=?", "*ELAN: (\"en\",\"de\",\"sv\")")
                                  << QStringList{"en", "de", "sv"} << true;
        QTest::newRow("25 codes cut to 20") << false << echoed("AT*ELAN=?", quotedCodes(25)) << twenty << true;
        QTest::newRow("open quote stops") << false << QByteArray("*ELAN: (\"en\",\"de") << QStringList{"en"} << false;
        QTest::newRow("no quotes") << false << echoed("AT*ELAN=?", "*ELAN: ()") << QStringList{} << true;
        QTest::newRow("three profiles")
            << true << echoed("AT*EAPN?", "*EAPN: 1,\"Normal\"\r\n*EAPN: 2,\"Meeting\"\r\n*EAPN: 3,\"Outdoors\"")
            << QStringList{" Normal", " Meeting", " Outdoors"} << true;
        QTest::newRow("profile numbers with a gap")
            << true << echoed("AT*EAPN?", "*EAPN: 1,\"Normal\"\r\n*EAPN: 3,\"Car\"") << QStringList{" Normal"} << true;
        QTest::newRow("profile name left open") << true << QByteArray("*EAPN: 1,\"Normal\"\r\n*EAPN: 2,\"Mee")
                                                << QStringList{" Normal"} << false;
    }
    void lists()
    {
        QFETCH(bool, profiles);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, items);
        QFETCH(bool, complete);
        const SettingsAt::Listed listed = profiles ? SettingsAt::profiles(reply) : SettingsAt::languages(reply);
        QCOMPARE(listed.items, items);
        QCOMPARE(listed.complete, complete);
    }

    void texts_data()
    {
        QTest::addColumn<int>("kind"); // 0 clock, 1 greeting, 2 current language
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("found");
        QTest::newRow("clock") << 0 << echoed("AT+CCLK?", "+CCLK: \"06/12/26,17:50:00\"")
                               << QStringLiteral("06\\12\\26,17:50:00") << true;
        QTest::newRow("clock without closing quote") << 0 << echoed("AT+CCLK?", "+CCLK: \"06/12/26,17:50:00")
                                                     << QString() << false;
        QTest::newRow("clock of five characters") << 0 << echoed("AT+CCLK?", "+CCLK: \"06/12\"") << QString() << false;
        QTest::newRow("greeting") << 1 << echoed("AT*ETXT?", "*ETXT: 1,\"Hello there\"") << QStringLiteral("Hello there")
                                  << true;
        QTest::newRow("greeting left open") << 1 << echoed("AT*ETXT?", "*ETXT: 1,\"Hello") << QString() << false;
        QTest::newRow("language") << 2 << echoed("AT*ELAN?", "*ELAN: \" de \"") << QStringLiteral("de") << true;
        QTest::newRow("no language") << 2 << echoed("AT*ELAN?", "*ELAN: de") << QString() << false;
    }
    void texts()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QString, expected);
        QFETCH(bool, found);
        std::optional<QString> got;
        if (kind == 0)
            got = SettingsAt::clockText(reply);
        else if (const auto bytes = kind == 1 ? SettingsAt::greeting(reply) : SettingsAt::currentLanguage(reply))
            got = QString::fromLatin1(*bytes);
        QCOMPARE(got.has_value(), found);
        QCOMPARE(got.value_or(QString()), expected);
    }

    void commands_data()
    {
        using namespace SettingsAt;
        QTest::addColumn<QByteArray>("built"); // empty: nothing to send
        QTest::addColumn<QByteArray>("expected");
        const QByteArray fourFields = echoed("AT*ESVM?", "*ESVM: 0,1,\"123\",129");
        const QByteArray threeFields = echoed("AT*ESVM?", "*ESVM: 1,\"123\",129");
        QTest::newRow("voicemail with the extra field")
            << voicemailCommand(fourFields, "+46 70-123 45 67").value_or("") << QByteArray("AT*ESVM=1,1,\"46701234567\",145\r\n");
        QTest::newRow("voicemail without it") << voicemailCommand(threeFields, "(070) 123").value_or("")
                                              << QByteArray("AT*ESVM=1,\"070123\",129\r\n");
        QTest::newRow("voicemail after a 21-character reply")
            << voicemailCommand(QByteArray(21, 'x'), "123").value_or("") << QByteArray();
        QTest::newRow("voicemail after a failed query") << voicemailCommand({}, "123").value_or("") << QByteArray();
        QTest::newRow("greeting with a quote and a line break")
            << greetingCommand("Hi\"\r\nAT+CPBW=1", false) << QByteArray("AT*ETXT=1,\"HiAT+CPBW=1\"\r\n");
        QTest::newRow("greeting in three fields") << greetingCommand("Hej", true) << QByteArray("AT*ETXT=1,1,\"Hej\"\r\n");
        QTest::newRow("language with a quote") << languageCommand("de\"\r") << QByteArray("AT*ELAN=\"de\"\r\n");
        QTest::newRow("clock") << clockCommand(QStringLiteral("26\\12\\06,17:50:09"))
                               << QByteArray("AT+CCLK=\"26/12/06,17:50:09\"\r\n");
        QTest::newRow("PC clock") << clockBoxText(QDateTime(QDate(2026, 12, 6), QTime(17, 50, 9))).toLatin1()
                                  << QByteArray("26\\12\\06,17:50:09");
        QTest::newRow("alarm 00:30") << alarmCommand(QTime(0, 30)) << QByteArray("AT+CALA=\"00:30\"\r\n");
        QTest::newRow("alarm 12:30") << alarmCommand(QTime(12, 30)) << QByteArray("AT+CALA=\"12:30\"\r\n");
        QTest::newRow("alarm 19:05") << alarmCommand(QTime(19, 5)) << QByteArray("AT+CALA=\"19:05\"\r\n");
        QTest::newRow("alarm 07:05") << alarmCommand(QTime(7, 5, 59)) << QByteArray("AT+CALA=\"07:05\"\r\n");
        QTest::newRow("24:00") << timeFormatCommand(1) << QByteArray("AT*ESTF=1\r\n");
        QTest::newRow("12:00 AM/PM") << timeFormatCommand(0) << QByteArray("AT*ESTF=2\r\n");
        QTest::newRow("date format") << dateFormatCommand(5) << QByteArray("AT*ESDF=5\r\n");
        QTest::newRow("vibration if silent") << vibrationCommand(2).value_or("") << QByteArray("AT+CVIB=16\r\n");
        QTest::newRow("vibration unselected") << vibrationCommand(-1).value_or("") << QByteArray();
        QTest::newRow("profile") << profileCommand(1) << QByteArray("AT*EAPS=2\r\n");
        QTest::newRow("volume") << volumeCommand(4) << QByteArray("AT*ERIL=4,1\r\n");
        QTest::newRow("light") << lightCommand(2) << QByteArray("AT*ESBL=0,2\r\n");
        QTest::newRow("switch") << switchCommand("ESKL", true) << QByteArray("AT*ESKL=1\r\n");
        QTest::newRow("choice") << choiceCommand("ESAM", 2) << QByteArray("AT*ESAM=2\r\n");
    }
    void commands()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built, expected);
    }
};

QTEST_MAIN(TestCoreSettings)
#include "tst_core_settings.moc"
