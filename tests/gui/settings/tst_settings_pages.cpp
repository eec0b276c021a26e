// SPDX-License-Identifier: GPL-2.0-or-later
// Settings pages 1 and 2, profiles and the clock inside the real main
// window against the simulated phone: what each read and write sends, what
// the controls then show, and what the phone holds afterwards.
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSlider>
#include <QTimeEdit>
#include <QSignalSpy>
#include <QtTest>

#include "../books/Observers.h"
#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/ProfilesPanel.h"
#include "gui/settings/SettingsPage.h"
#include "gui/settings/SettingsPattern.h"

namespace {
// The main window on one settings panel, and the phone as COM1.
class Rig : public guitest::FormRig {
public:
    Rig(const QString &node, const QJsonObject &state = {}, const QStringList &args = {}) : sim(args, state)
    {
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(guitest::testTiming(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Settings));
        form->settingsPage->selectNode(node);
        panel = form->settingsPage->currentPanel();
    }
    ~Rig() { closeWindow(); }

    template <typename T> T *find(const char *name) { return guitest::find<T>(panel, QString::fromLatin1(name)); }
    void click(const char *name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    QStringList sentSince(int from) const { return sim.commands().mid(from); }

    SimPhone sim;
    bool started = false;
    QWidget *panel = nullptr;
};

// Every caption a status label was painted with: a flash paints "OK" or
// "Error" and then the label's own caption again.
using Captions = pagetest::TextLog;

// The tab each operation locked when it started, in order.
QList<int> lockedTabs(const QSignalSpy &operations)
{
    QList<int> tabs;
    for (const QList<QVariant> &change : operations)
        if (change.at(0).toBool())
            tabs << change.at(1).toInt();
    return tabs;
}

int radio(Rig &rig, const char *name)
{
    return rig.find<RadioGroup>(name)->itemIndex();
}
} // namespace

class TestSettingsPages : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Page 1: the read shows the phone's values and writes nothing; each
    // control then writes at once and reads back.
    void pageOneReadsThenWritesEachChange()
    {
        Rig rig(QStringLiteral("Settings-1"), QJsonObject{{"minuteMinder", false}, {"answerMode", 2}, {"keySound", 0},
                                                          {"messageAlert", 1}, {"keyLock", true}});
        QVERIFY(rig.started);
        QCOMPARE(rig.panel->objectName(), QStringLiteral("panelSet1"));
        auto *mm = rig.find<QCheckBox>("chkMM");
        guitest::ColourLog colours(mm, QPalette::Base);
        QSignalSpy operations(&rig.form->link, &PhoneLink::operationChanged);

        rig.click("BtnSet1");
        QCOMPARE(rig.sim.commands(), (QStringList{"AT*ESKL?", "AT*ESMM?", "AT*ESKS?", "AT*ESAM?", "AT*ESMA?"}));
        QVERIFY(!mm->isChecked());
        QVERIFY(rig.find<QCheckBox>("chkKeyLock")->isChecked());
        QCOMPARE(radio(rig, "radioAM"), 2);
        QCOMPARE(radio(rig, "KeySound"), 0);
        QCOMPARE(radio(rig, "MessageSound"), 1);
        QVERIFY(colours.saw(Palette::Teal));
        QCOMPARE(colours.seen.last(), Palette::ButtonFace.colour());
        QCOMPARE(lockedTabs(operations), QList<int>{int(Tab::Settings)});
        QCOMPARE(rig.form->link.lockedPage(), PhoneLink::Idle);
        QVERIFY(!rig.form->ComPort1.isOpen());

        rig.click("chkMM");
        QCOMPARE(rig.sentSince(5), (QStringList{"AT*ESMM=1", "AT*ESMM?"}));
        QVERIFY(mm->isChecked());
        QVERIFY(!rig.form->ComPort1.isOpen());

        rig.click("KeySound2");
        QCOMPARE(rig.sentSince(7), (QStringList{"AT*ESKS=2", "AT*ESKS?"}));
        QCOMPARE(radio(rig, "KeySound"), 2);

        // The key lock closes the port before its read-back, which reopens it.
        rig.click("chkKeyLock");
        QCOMPARE(rig.sentSince(9), (QStringList{"AT*ESKL=0", "AT*ESKL?"}));
        QVERIFY(!rig.find<QCheckBox>("chkKeyLock")->isChecked());
        QVERIFY(rig.form->ComPort1.isOpen());
        rig.form->link.closePort();

        const QJsonObject phone = rig.sim.stopAndDump();
        QCOMPARE(phone.value("minuteMinder").toBool(), true);
        QCOMPARE(phone.value("keySound").toInt(), 2);
        QCOMPARE(phone.value("keyLock").toBool(), false);
    }

    // An abort ends page 1's read; a refused query does not, and leaves a
    // check box as it was and a radio group without a selection.
    void pageOneReadStops_data()
    {
        QTest::addColumn<bool>("abort");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("abort") << true << QStringList{"--latency", "150"} << QStringList{"AT*ESKL?", "AT*ESMM?"};
        QTest::newRow("ERROR goes on") << false
                                       << QStringList{"--fault", "error:*ESMM", "--fault", "error:*ESAM"}
                                       << QStringList{"AT*ESKL?", "AT*ESMM?", "AT*ESKS?", "AT*ESAM?", "AT*ESMA?"};
    }
    void pageOneReadStops()
    {
        QFETCH(bool, abort);
        QFETCH(QStringList, args);
        QFETCH(QStringList, sent);
        Rig rig(QStringLiteral("Settings-1"), QJsonObject{{"minuteMinder", false}, {"answerMode", 0}}, args);
        QVERIFY(rig.started);
        {
            const SettingsPattern::Refreshing shown;
            rig.find<QCheckBox>("chkMM")->setChecked(true);
            rig.find<RadioGroup>("radioAM")->setItemIndex(1);
        }
        QVERIFY(rig.sim.commands().isEmpty());
        // The abort comes as the query goes out, long before the phone answers.
        QObject::connect(&rig.form->link, &PhoneLink::commandWritten, &rig.form->link, [&](const QByteArray &c) {
            if (abort && c == "AT*ESMM?\r\n")
                rig.form->link.requestAbort();
        });
        rig.click("BtnSet1");
        // The phone has the last query all the same, in its own time.
        QVERIFY(rig.sim.waitForCommand(sent.last()));
        QCOMPARE(rig.sim.commands(), sent);
        QVERIFY(rig.find<QCheckBox>("chkMM")->isChecked());
        QCOMPARE(radio(rig, "radioAM"), abort ? 1 : -1);
        QVERIFY(!rig.form->ComPort1.isOpen());
        QCOMPARE(rig.form->link.lockedPage(), PhoneLink::Idle);
        QVERIFY(rig.find<QPushButton>("BtnSet1")->isEnabled());
    }

    // Page 2: read, choose a language, set a greeting that tries to smuggle
    // in a second command, switch to animation, set the voicemail number.
    void pageTwoReadsAndSets()
    {
        Rig rig(QStringLiteral("Settings-2"),
                QJsonObject{{"language", "sv"}, {"greeting", QJsonObject{{"text", "Hello"}, {"mode", 0}, {"fields", 3}}}});
        QVERIFY(rig.started);
        auto *lang = rig.find<QComboBox>("ComboLang");
        auto *greeting = rig.find<QLineEdit>("EditGreeting");
        QVERIFY(!lang->isEnabled());

        rig.click("btnSet2");
        QCOMPARE(rig.sim.commands(), (QStringList{"AT*ESVM?", "AT*ELAN=?", "AT*ELAN?", "AT*ETXT?"}));
        QCOMPARE(rig.find<QLineEdit>("editVM")->text(), QStringLiteral("+46708123456"));
        QCOMPARE(lang->count(), 4);
        QCOMPARE(lang->itemText(2), QStringLiteral("sv"));
        QCOMPARE(lang->currentText(), QStringLiteral("sv"));
        QVERIFY(lang->isEnabled());
        QCOMPARE(greeting->text(), QStringLiteral("Hello"));
        QVERIFY(rig.find<QPushButton>("btnOff")->font().underline());
        QVERIFY(!rig.form->ComPort1.isOpen());

        Captions language(rig.find<QLabel>("StaticText12"));
        lang->setCurrentIndex(1);
        QCOMPARE(rig.sentSince(4), QStringList{"AT*ELAN=\"de\""});
        QCOMPARE(language.seen, (QStringList{"Language", "OK", "Language"}));

        // Enter in the greeting box presses "Set"; this phone wants three fields.
        Captions status(rig.find<QLabel>("StaticText13"));
        greeting->setText(QStringLiteral("Hi \"you\"\r\nAT*ESMM=1"));
        greeting->setFocus();
        QTest::keyClick(greeting, Qt::Key_Return);
        QCOMPARE(rig.sentSince(5), (QStringList{"AT*ETXT=1,\"Hi youAT*ESMM=1\"", "AT*ETXT=1,1,\"Hi youAT*ESMM=1\""}));
        QCOMPARE(status.seen, (QStringList{"Greeting", "OK", "Greeting"}));

        rig.click("btnAnim");
        QCOMPARE(rig.sentSince(7), QStringList{"AT*ETXT=2"});

        rig.find<QLineEdit>("editVM")->setText(QStringLiteral("+46 70-111 22 33"));
        rig.click("btnVM");
        QCOMPARE(rig.sentSince(8), (QStringList{"AT*ESVM?", "AT*ESVM=1,\"46701112233\",145"}));
        QVERIFY(!rig.form->ComPort1.isOpen());

        const QJsonObject phone = rig.sim.stopAndDump();
        QCOMPARE(phone.value("language").toString(), QStringLiteral("de"));
        QCOMPARE(phone.value("greeting").toObject().value("text").toString(), QStringLiteral("Hi youAT*ESMM=1"));
        QCOMPARE(phone.value("greeting").toObject().value("mode").toInt(), 2);
        QCOMPARE(phone.value("minuteMinder").toBool(false), false);
        QCOMPARE(phone.value("voicemail").toObject().value("number").toString(), QStringLiteral("46701112233"));
    }

    // The voicemail write follows the form of the phone's own entry; a
    // reply too short to show it writes nothing, and says "Error".
    void voicemailForms_data()
    {
        QTest::addColumn<QJsonValue>("query"); // the phone's answer to AT*ESVM?
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("shown");
        QTest::newRow("three fields") << QJsonValue() << QStringList{"AT*ESVM?", "AT*ESVM=1,\"0701112233\",129"}
                                      << QStringLiteral("OK");
        QTest::newRow("extra field") << QJsonValue("*ESVM: 0,1,\"123\",129")
                                     << QStringList{"AT*ESVM?", "AT*ESVM=1,1,\"0701112233\",129"} << QStringLiteral("OK");
        QTest::newRow("too short") << QJsonValue(QJsonArray()) << QStringList{"AT*ESVM?"} << QStringLiteral("Error");
    }
    void voicemailForms()
    {
        QFETCH(QJsonValue, query);
        QFETCH(QStringList, sent);
        QFETCH(QString, shown);
        QJsonObject state;
        if (!query.isNull())
            state.insert("overrides", QJsonObject{{"*ESVM?", query}});
        Rig rig(QStringLiteral("Settings-2"), state);
        QVERIFY(rig.started);
        Captions status(rig.find<QLabel>("StaticText1"));
        rig.find<QLineEdit>("editVM")->setText(QStringLiteral("0701112233"));
        rig.click("btnVM");
        QCOMPARE(rig.sim.commands(), sent);
        QCOMPARE(status.seen, (QStringList{"Voicemail", shown, "Voicemail"}));
        QVERIFY(!rig.form->ComPort1.isOpen());
    }

    // Profiles: the list and the active profile's settings; the profile
    // already shown sends nothing; another re-reads the four settings; each
    // control writes as it changes.
    void profilesReadSwitchAndSet()
    {
        Rig rig(QStringLiteral("Profiles"));
        QVERIFY(rig.started);
        auto *panel = qobject_cast<ProfilesPanel *>(rig.panel);
        QVERIFY(panel);
        auto *box = rig.find<QComboBox>("ComboProfiles");
        auto *volume = rig.find<QSlider>("RingVolume");
        QVERIFY(!box->isEnabled());

        rig.click("btnProfiles");
        const QStringList fourReads{"AT*ESIL?", "AT*ERIL=?", "AT*ERIL?", "AT+CVIB?", "AT*ESBL?"};
        QCOMPARE(rig.sim.commands(), QStringList({"AT*EAPN?", "AT*EAPS?"}) + fourReads);
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(1), QStringLiteral(" Meeting"));
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(box->isEnabled());
        QCOMPARE(volume->maximum(), 5);
        QCOMPARE(volume->value(), 3);
        QVERIFY(!rig.find<QCheckBox>("chkSilent")->isChecked());
        QCOMPARE(radio(rig, "Vibe"), 0);
        QCOMPARE(radio(rig, "Light"), 2);
        QVERIFY(!rig.form->ComPort1.isOpen());

        panel->ComboProfilesChange();
        QCOMPARE(rig.sim.commands().size(), 7);

        Captions status(rig.find<QLabel>("StaticText11"));
        box->setCurrentIndex(1);
        QCOMPARE(rig.sentSince(7), QStringList{"AT*EAPS=2"} + fourReads);
        QCOMPARE(status.seen, (QStringList{"Profiles", "OK", "Profiles"}));
        panel->ComboProfilesChange(); // the profile now shown sends nothing either
        QCOMPARE(rig.sim.commands().size(), 13);
        QVERIFY(rig.find<QCheckBox>("chkSilent")->isChecked());
        QCOMPARE(volume->value(), 1);
        QCOMPARE(radio(rig, "Vibe"), 2);
        QCOMPARE(radio(rig, "Light"), 0);
        QVERIFY(box->isEnabled() && rig.find<QPushButton>("btnProfiles")->isEnabled());
        QVERIFY(rig.form->ComPort1.isOpen()); // left open after a profile change
        rig.form->link.closePort();

        // The read showed 1, so a move to 0 is news to the phone.
        volume->setValue(0);
        QCOMPARE(rig.sentSince(13), QStringList{"AT*ERIL=0,1"});
        volume->setValue(4);
        QCOMPARE(rig.sentSince(14), QStringList{"AT*ERIL=4,1"});
        rig.click("Vibe1");
        QCOMPARE(rig.sentSince(15), (QStringList{"AT+CVIB=1", "AT+CVIB?"}));
        rig.click("Light1");
        QCOMPARE(rig.sentSince(17), (QStringList{"AT*ESBL=0,1", "AT*ESBL?"}));
        QCOMPARE(radio(rig, "Light"), 1);
        rig.click("chkSilent");
        QCOMPARE(rig.sentSince(19), (QStringList{"AT*ESIL=0", "AT*ESIL?"}));
        QVERIFY(rig.form->ComPort1.isOpen());
        rig.form->link.closePort();

        const QJsonObject phone = rig.sim.stopAndDump();
        QCOMPARE(phone.value("activeProfile").toInt(), 2);
        QCOMPARE(phone.value("profiles").toArray().at(1).toObject(),
                 (QJsonObject{{"name", "Meeting"}, {"volume", 4}, {"silent", false}, {"vibration", 1}, {"light", 1}}));
    }

    // Clock: read it and the formats, choose "24:00", type a time and press
    // Enter, then "Sync to PC".
    void clockReadSetAndSync()
    {
        Rig rig(QStringLiteral("Clock"));
        QVERIFY(rig.started);
        auto *clock = rig.find<QLineEdit>("txtClock");
        QVERIFY(!clock->isEnabled());
        QCOMPARE(clock->toolTip(), QStringLiteral("YY\\MM\\DD,HH:MM:SS"));
        guitest::ColourLog colours(clock, QPalette::Base);

        rig.click("btngetClock");
        QCOMPARE(rig.sim.commands(), (QStringList{"AT+CCLK?", "AT*ESTF?", "AT*ESDF?"}));
        QCOMPARE(clock->text(), QStringLiteral("06\\12\\26,17:50:00"));
        QVERIFY(clock->isEnabled());
        QCOMPARE(colours.seen, (QList<QColor>{Palette::Teal, Palette::Silver}));
        QCOMPARE(rig.find<QComboBox>("ComboTimeFormat")->currentText(), QStringLiteral("12:00 AM/PM"));
        QCOMPARE(rig.find<QComboBox>("ComboDateFormat")->currentText(), QStringLiteral("MM/DD/YY"));

        rig.find<QComboBox>("ComboTimeFormat")->setCurrentIndex(1);
        QCOMPARE(rig.sentSince(3), (QStringList{"AT*ESTF=1", "AT*ESTF?"}));
        QCOMPARE(rig.find<QComboBox>("ComboTimeFormat")->currentIndex(), 1);

        // Digits go only into the digit places; Enter sets the clock.
        Captions status(rig.find<QLabel>("StaticText2"));
        QSignalSpy operations(&rig.form->link, &PhoneLink::operationChanged);
        clock->setFocus();
        clock->selectAll();
        QTest::keyClicks(clock, QStringLiteral("26x1231235958"));
        QCOMPARE(clock->text(), QStringLiteral("26\\12\\31,23:59:58"));
        QTest::keyClick(clock, Qt::Key_Return);
        QCOMPARE(rig.sentSince(5), QStringList{"AT+CCLK=\"26/12/31,23:59:58\""});
        QCOMPARE(status.seen, (QStringList{"Time", "OK", "Time"}));
        // The flash ends on the button face itself, so a theme switched
        // afterwards gives the label its own face.
        const QPalette desktop = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });
        QApplication::setPalette(QPalette(QColor(49, 54, 59)));
        QCoreApplication::sendPostedEvents(); // the window hands the change down
        QCOMPARE(rig.find<QLabel>("StaticText2")->palette().color(QPalette::Window), QColor(49, 54, 59));
        QCOMPARE(lockedTabs(operations), QList<int>{int(Tab::Settings)});

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        rig.click("btnPCtime");
        const QDateTime after = QDateTime::currentDateTime();
        const QStringList sent = rig.sentSince(6);
        QCOMPARE(sent.size(), 1);
        const QString text = sent.at(0).section(QLatin1Char('"'), 1, 1);
        QDateTime synced = QDateTime::fromString(text, QStringLiteral("yy/MM/dd,HH:mm:ss"));
        synced = synced.addYears(100 * ((before.date().year() - synced.date().year() + 50) / 100));
        QVERIFY2(synced >= before && synced <= after, qPrintable(text));
        QCOMPARE(clock->text(), QString(text).replace(QLatin1Char('/'), QLatin1Char('\\')));
        QCOMPARE(rig.sim.stopAndDump().value("clock").toString(), text);
    }

    // A clock reply the box cannot take leaves it alone.
    void clockRepliesLeftOut()
    {
        Rig rig(QStringLiteral("Clock"), QJsonObject{{"overrides", QJsonObject{{"+CCLK?", "+CCLK: \"06/12/26,17:50:00"}}}});
        QVERIFY(rig.started);
        rig.click("btngetClock");
        QCOMPARE(rig.sim.commands().size(), 3);
        QCOMPARE(rig.find<QLineEdit>("txtClock")->text(), QStringLiteral("\\\\,::"));
        QVERIFY(!rig.find<QLineEdit>("txtClock")->isEnabled());
    }

    // A format query that fails (ERROR, silence, abort) leaves its box as it
    // was; only a reply that came but cannot be read empties the box.
    void formatQueriesThatFail_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QJsonObject>("state");
        QTest::addColumn<QByteArray>("abortAt");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::newRow("ERROR") << QStringList{"--fault", "error:*ESTF", "--fault", "error:*ESDF"} << QJsonObject()
                               << QByteArray() << "24:00" << "DD.MM.YY";
        // Every answer comes after the last query has given up.
        QTest::newRow("time-out") << QStringList{"--latency", "2000"} << QJsonObject() << QByteArray() << "24:00"
                                  << "DD.MM.YY";
        QTest::newRow("abort") << QStringList() << QJsonObject() << QByteArray("AT*ESDF?\r\n") << "12:00 AM/PM"
                               << "DD.MM.YY";
        QTest::newRow("unreadable") << QStringList()
                                    << QJsonObject{{"overrides", QJsonObject{{"*ESTF?", "*ESTF: x"}, {"*ESDF?", "*ESDF: 9"}}}}
                                    << QByteArray() << "" << "";
    }
    void formatQueriesThatFail()
    {
        QFETCH(QStringList, args);
        QFETCH(QJsonObject, state);
        QFETCH(QByteArray, abortAt);
        Rig rig(QStringLiteral("Clock"), state, args);
        QVERIFY(rig.started);
        auto *time = rig.find<QComboBox>("ComboTimeFormat");
        auto *date = rig.find<QComboBox>("ComboDateFormat");
        {
            const SettingsPattern::Refreshing shown;
            time->setCurrentIndex(1);
            date->setCurrentIndex(5);
        }
        QObject::connect(&rig.form->link, &PhoneLink::commandWritten, &rig.form->link, [&](const QByteArray &c) {
            if (c == abortAt)
                rig.form->link.requestAbort();
        });
        rig.click("btngetClock");
        // An unanswered query reaches the phone all the same, in its own time.
        QVERIFY(rig.sim.waitForCommand(QStringLiteral("AT*ESDF?")));
        QCOMPARE(rig.sim.commands(), (QStringList{"AT+CCLK?", "AT*ESTF?", "AT*ESDF?"}));
        QTEST(time->currentText(), "time");
        QTEST(date->currentText(), "date");
        QVERIFY(!rig.form->ComPort1.isOpen());
        QVERIFY(rig.find<QPushButton>("btngetClock")->isEnabled());
    }

    // The alarm comes from the picker's time, whatever the locale writes.
    void alarmInEveryLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shows"); // what the picker shows for 19:05
        QTest::newRow("12-hour") << QStringLiteral("en_US") << QStringLiteral("7:05 PM");
        QTest::newRow("24-hour") << QStringLiteral("de_DE") << QStringLiteral("19:05");
        QTest::newRow("dot separator") << QStringLiteral("fi_FI") << QStringLiteral("19.05");
    }
    void alarmInEveryLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shows);
        QLocale::setDefault(QLocale(locale));
        Rig rig(QStringLiteral("Clock"));
        QVERIFY(rig.started);
        auto *pick = rig.find<QTimeEdit>("TimePick");
        Captions status(rig.find<QLabel>("StaticText3"));
        for (const QTime &t : {QTime(0, 30), QTime(12, 30), QTime(19, 5), QTime(7, 5)}) {
            pick->setTime(t);
            if (t == QTime(19, 5))
                QVERIFY2(pick->text().contains(shows), qPrintable(pick->text()));
            rig.click("btnAlmOK");
        }
        // Joined, so that a failure shows every command sent.
        QCOMPARE(rig.sim.commands().join(u'|'),
                 QStringLiteral("AT+CALA=\"00:30\"|AT+CALA=\"12:30\"|AT+CALA=\"19:05\"|AT+CALA=\"07:05\""));
        QCOMPARE(status.seen.count(QStringLiteral("OK")), 4);
        QCOMPARE(rig.sim.stopAndDump().value("alarm").toString(), QStringLiteral("07:05"));
    }
};

QTEST_MAIN(TestSettingsPages)
#include "tst_settings_pages.moc"
