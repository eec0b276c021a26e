// SPDX-License-Identifier: GPL-2.0-or-later
// The phone-settings service against the simulated phone: which values the
// phone takes, which it refuses with ERROR, and what it keeps.
#include "LinkTestSupport.h"

#include "link/settings/PhoneSettings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using namespace linktest;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void phoneTakesOrRefuses()
    {
        SimulatedPhone phone({});
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        const struct {
            const char *command;
            bool taken;
        } rows[] = {
            {"AT*ESAM=3", false},          {"AT*ESAM=2", true},
            {"AT*ESMM=2", false},          {"AT*ESMM=1", true},
            {"AT*ELAN=\"xx\"", false},     {"AT*ELAN=\"de\"", true},
            {"AT*EAPS=0", false},          {"AT*EAPS=4", false},
            {"AT*EAPS=3", true},           {"AT*ERIL=6,1", false},
            {"AT*ERIL=5,1", true},         {"AT*ESBL=0,3", false},
            {"AT+CVIB=2", false},          {"AT+CVIB=16", true},
            {"AT+CCLK=\"26/13/01,10:00:00\"", false}, {"AT+CCLK=\"26/02/29,10:00:00\"", false},
            {"AT+CCLK=\"28/02/29,10:00:00\"", true},  {"AT+CALA=\"24:00\"", false},
            {"AT+CALA=\"7:05\"", false},   {"AT+CALA=\"19:05\"", true},
            {"AT*ESTF=0", false},          {"AT*ESDF=8", false},
            {"AT*ESDF=7", true},           {"AT*ETXT=1,1,\"Hej\"", false},
            {"AT*ETXT=1,\"Hej\"", true},   {"AT*ESVM=1,\"12a\",129", false},
            {"AT*ESVM=1,1,\"123\",129", true},
        };
        for (const auto &row : rows)
            QVERIFY2(phone.link.exchange(QByteArray(row.command) + "\r\n").ok() == row.taken, row.command);
        phone.link.closePort();

        const QJsonObject kept = phone.sim.stopAndDump();
        QCOMPARE(kept.value("answerMode").toInt(), 2);
        QCOMPARE(kept.value("language").toString(), QStringLiteral("de"));
        QCOMPARE(kept.value("activeProfile").toInt(), 3);
        QCOMPARE(kept.value("profiles").toArray().at(2).toObject().value("volume").toInt(), 5);
        QCOMPARE(kept.value("profiles").toArray().at(2).toObject().value("light").toInt(), 1);
        QCOMPARE(kept.value("clock").toString(), QStringLiteral("28/02/29,10:00:00"));
        QCOMPARE(kept.value("alarm").toString(), QStringLiteral("19:05"));
        QVERIFY(!kept.contains("timeFormat")); // untouched keys are not dumped
        QCOMPARE(kept.value("greeting").toObject().value("text").toString(), QStringLiteral("Hej"));
        QCOMPARE(kept.value("voicemail").toObject(), (QJsonObject{{"number", "123"}, {"type", 129}}));
    }

    // A clock with a time zone the phone refuses is sent once more without it.
    void clockZoneRefused()
    {
        SimulatedPhone phone({});
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        QVERIFY(PhoneSettings(phone.link).writeClock(QStringLiteral("28\\02\\29,10:00:00+04")));
        QVERIFY(PhoneSettings(phone.link).writeClock(QStringLiteral("28\\03\\01,11:00:00")));
        phone.link.closePort();
        QCOMPARE(phone.sim.commands(), (QStringList{"AT+CCLK=\"28/02/29,10:00:00+04\"", "AT+CCLK=\"28/02/29,10:00:00\"",
                                                    "AT+CCLK=\"28/03/01,11:00:00\""}));
    }

    // A refused or silent query leaves nothing to show and writes nothing.
    void failedQueries()
    {
        SimulatedPhone phone({"--fault", "error:*ESVM?", "--fault", "error:*ELAN=?", "--fault", "error:*EAPN?",
                              "--fault", "error:*ESBL?", "--fault", "error:+CCLK?"});
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        PhoneSettings settings(phone.link);
        QCOMPARE(settings.writeVoicemail(QStringLiteral("123")), ServiceResult::NotSent);
        QCOMPARE(settings.readVoicemail(), QString());
        const PhoneSettings::Languages languages = settings.readLanguages();
        QVERIFY(!languages.answered && !languages.listed && languages.codes.isEmpty());
        const PhoneSettings::Profiles profiles = settings.readProfiles();
        QVERIFY(!profiles.read && profiles.names.isEmpty() && profiles.active == -1);
        QCOMPARE(settings.readLight(), std::optional<int>(-1));
        QCOMPARE(settings.readClock(), std::optional<QString>());
        phone.link.closePort();
        QCOMPARE(phone.sim.commands(),
                 (QStringList{"AT*ESVM?", "AT*ESVM?", "AT*ELAN=?", "AT*EAPN?", "AT*ESBL?", "AT+CCLK?"}));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
