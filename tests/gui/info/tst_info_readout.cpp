// SPDX-License-Identifier: GPL-2.0-or-later
// The GSM information read-out ("Read data from phone") against the
// simulated phone: what each field shows, the gauges, the SMS centre's
// fallback to binary mode, and a missing port.
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "InfoTestSupport.h"
#include "SimPhone.h"
#include "link/messaging/CentreService.h"

using namespace infotest;

class InfoReadout : public QObject {
    Q_OBJECT

private:
    // Starts a simulator as COM1 and presses the read button once.
    void readWith(Window &w, SimPhone &sim)
    {
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QTest::mouseClick(w.button("btnInfo"), Qt::LeftButton);
    }
    void verifyAtRest(Window &w)
    {
        verifyIdle(w);
        QCOMPARE(InfoPage::gaugeBackground(w.gauge("Batt")), Grey);
        QCOMPARE(InfoPage::gaugeBackground(w.gauge("Signal")), Grey);
        for (const char *f : {"txtNetwork", "txtModel", "txtSoftware", "txtGSMSMSC", "txtIMEI", "txtMake"})
            QCOMPARE(InfoPage::fieldColour(w.field(f)), Silver);
    }

private slots:
    void init() { qunsetenv("MIRVAK_COM1"); }

    void panelLayout()
    {
        Window w;
        InfoPage *p = w.page;
        QVERIFY(p);
        QVERIFY(p->width() <= 215 && p->height() <= 284);
        QCOMPARE(w.button("btnInfo")->size(), QSize(24, 24));
        QCOMPARE(w.button("btnInfo")->toolTip(), QStringLiteral("Read data from phone"));
        QCOMPARE(w.label("StaticText45")->text(), QStringLiteral("GSM Information"));
        QCOMPARE(w.button("btnSetSMSC")->geometry(), w.button("btnAbort30")->geometry());
        QCOMPARE(w.button("btnSetSMSC")->text(), QStringLiteral("Set"));
        QCOMPARE(w.button("btnAbort30")->text(), QStringLiteral("Cancel"));
        QVERIFY(setOnTop(w.button("btnSetSMSC"), w.button("btnAbort30")));
        QCOMPARE(w.field("txtNetwork")->toolTip(), QStringLiteral("Current network logged onto."));
        QCOMPARE(w.field("txtIMEI")->toolTip(), QStringLiteral("Phone IMEI / serial number"));
        QCOMPARE(w.gauge("Batt")->orientation(), Qt::Vertical);
        QCOMPARE(w.gauge("Batt")->maximum(), 100);
        QVERIFY(!w.gauge("Batt")->isTextVisible());
        QCOMPARE(w.gauge("Batt")->toolTip(), QStringLiteral("Battery level"));
        QCOMPARE(w.gauge("Signal")->maximum(), 5);
        QCOMPARE(w.gauge("Signal")->toolTip(), QStringLiteral("Signal level"));
        QVERIFY(!w.label("StaticText6")->isEnabled());
        QVERIFY(!w.label("StaticText7")->isEnabled());
        QCOMPARE(InfoPage::gaugeBar(w.gauge("Batt")), Lime);
        QStringList labels;
        for (QLabel *l : p->findChildren<QLabel *>())
            labels << l->text();
        for (const char *t : {"Network:", "Model:", "Software:", "SMSC:", "IMEI:", "Make", "Batt", "Sig"})
            QVERIFY2(labels.contains(QLatin1String(t)), t);
        // Every control inside the panel.
        for (QWidget *c : p->findChildren<QWidget *>())
            QVERIFY2(p->rect().contains(c->geometry()), qPrintable(c->objectName()));
    }

    void readsEveryItem()
    {
        Window w;
        ColourLog networkColours(w.field("txtNetwork"), QPalette::Base);
        ColourLog battColours(w.gauge("Batt"), QPalette::Base);
        SimPhone sim({}, QJsonObject{
                             {"manufacturer", "ERICSSON"},
                             {"model", "1101101-BVT28s"},
                             {"revision", "R5C005"},
                             {"imei", "520001234567897"},
                             {"operator", "Telia"},
                             {"battery", 80},
                             {"signal", 4},
                             {"smsc", QJsonObject{{"number", "+46705008999"}, {"type", 145}}},
                         });
        readWith(w, sim);

        QCOMPARE(w.field("txtNetwork")->text(), QStringLiteral(" Telia"));
        QCOMPARE(w.field("txtModel")->text(), QStringLiteral(" 1101101-BVT28s"));
        QCOMPARE(w.field("txtSoftware")->text(), QStringLiteral(" R5C005"));
        QCOMPARE(w.field("txtGSMSMSC")->text(), QStringLiteral(" +46705008999"));
        QCOMPARE(w.field("txtIMEI")->text(), QStringLiteral(" 520001234567897"));
        QCOMPARE(w.field("txtMake")->text(), QStringLiteral(" ERICSSON"));
        QCOMPARE(w.gauge("Batt")->value(), 80);
        QCOMPARE(InfoPage::gaugeBar(w.gauge("Batt")), Lime);
        QCOMPARE(w.gauge("Batt")->toolTip(), QStringLiteral("Battery 80%"));
        QVERIFY(w.label("StaticText6")->isEnabled());
        QCOMPARE(w.gauge("Signal")->value(), 4);
        QCOMPARE(InfoPage::gaugeBar(w.gauge("Signal")), Lime);
        QCOMPARE(w.gauge("Signal")->toolTip(), QStringLiteral("Signal 4/5"));
        QVERIFY(w.label("StaticText7")->isEnabled());
        QCOMPARE(w.label("PhoneState")->text(), QStringLiteral("-71 dBm, home, READY"));
        QCOMPARE(w.label("PhoneState")->toolTip(),
                 QStringLiteral("Signal: -71 dBm (4 of 5 bars)\nRegistration: home\nSIM PIN: READY"));
        verifyAtRest(w);

        // Busy colours: teal while asking, back to rest afterwards.
        QVERIFY(networkColours.saw(Teal));
        QCOMPARE(networkColours.seen.last(), Silver);
        QVERIFY(battColours.saw(Teal));
        QCOMPARE(battColours.seen.last(), Grey);

        // In this order, and the centre was found without binary mode.
        const QStringList expected{"AT+COPS?", "AT+CGMM", "AT+CGMR", "AT+CSCA?",
                                   "AT+CGSN", "AT+CGMI", "AT+CBC", "AT+CIND?",
                                   "AT+CSQ",  "AT+CREG?", "AT+CPIN?"};
        QCOMPARE(sim.commands(), expected);
    }

    // The SIM waits for its PIN and the read-out is the first thing done,
    // on a phone that names its network and centre without the SIM: its
    // answer to AT+CPIN? brings the PIN dialog, the code goes out (in no
    // trace) and the state is asked again.
    void pinAskedByTheFirstRead()
    {
        Window w;
        w.form->link.setTiming(Timing()); // no silence awaited: time-outs in full
        w.traceLink();
        SimPhone sim({}, QJsonObject{{"pin", QJsonObject{{"state", "SIM PIN"}}},
                                     {"overrides", QJsonObject{{"+COPS?", "+COPS: 0,0,\"Telia\""},
                                                               {"+CSCA?", "+CSCA: \"+46705008999\",145"}}}});
        guitest::Dialogs answer([](QWidget *d) {
            QCOMPARE(d->objectName(), QStringLiteral("PinDialog"));
            QTest::keyClicks(guitest::find<QLineEdit>(d, QStringLiteral("editPin")), QStringLiteral("1234"));
            QTest::mouseClick(guitest::find<QPushButton>(d, QStringLiteral("btnPinOk")), Qt::LeftButton);
        });
        readWith(w, sim);
        QCOMPARE(answer.count, 1);
        QCOMPARE(sim.commands().mid(8), (QStringList{"AT+CSQ", "AT+CREG?", "AT+CPIN?", "AT+CPIN=\"1234\"", "AT+CPIN?"}));
        QCOMPARE(w.label("PhoneState")->text(), QStringLiteral("-71 dBm, home, READY"));
        verifyAtRest(w);
        QVERIFY(w.trace().contains("AT+CPIN=\"****\""));
        QVERIFY(!w.trace().contains("\"1234\""));
    }

    // Fields show one line; odd replies leave their field empty while the
    // rest of the read-out goes on.
    void oddTextReplies()
    {
        Window w;
        w.field("txtIMEI")->setText(QStringLiteral("stale"));
        SimPhone sim({}, QJsonObject{
                             {"overrides", QJsonObject{
                                              // echo + "\r\n12345\r\n" + "\r\nOK\r\n" is 23 characters
                                              {"+CGSN", "12345"},
                                              {"+COPS?", "+COPS: 0,0,Telia"},
                                              {"+CGMM", QJsonArray{"T28 model", "second line"}},
                                          }},
                         });
        readWith(w, sim);
        QCOMPARE(w.field("txtIMEI")->text(), QString());
        QCOMPARE(w.field("txtNetwork")->text(), QString());
        QCOMPARE(w.field("txtModel")->text(), QStringLiteral(" T28 model"));
        QCOMPARE(w.field("txtSoftware")->text(), QStringLiteral(" R5C005"));
        QCOMPARE(w.field("txtMake")->text(), QStringLiteral(" ERICSSON"));
        verifyAtRest(w);
    }

    void gauges_data()
    {
        QTest::addColumn<int>("battery");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("battBar");
        QTest::addColumn<QColor>("battColour");
        QTest::addColumn<QString>("battHint");
        QTest::addColumn<int>("sigBar");
        QTest::addColumn<QColor>("sigColour");
        QTest::addColumn<QString>("sigHint");
        QTest::newRow("80% and 1") << 80 << 1 << 80 << Lime << "Battery 80%" << 1 << Red << "Signal 1/5";
        QTest::newRow("13% is low") << 13 << 2 << 13 << Red << "Battery 13%" << 2 << Lime << "Signal 2/5";
        QTest::newRow("14% is not") << 14 << 0 << 14 << Lime << "Battery 14%" << 0 << Red << "Signal 0/5";
        QTest::newRow("nonsense") << 101 << 9 << 0 << Lime << "Battery level" << 0 << Red << "Signal 9/5";
    }
    void gauges()
    {
        QFETCH(int, battery);
        QFETCH(int, signal);
        Window w;
        w.gauge("Batt")->setValue(50);
        w.gauge("Signal")->setValue(3);
        SimPhone sim({}, QJsonObject{{"battery", battery}, {"signal", signal}});
        readWith(w, sim);
        QTEST(w.gauge("Batt")->value(), "battBar");
        QTEST(InfoPage::gaugeBar(w.gauge("Batt")), "battColour");
        QTEST(w.gauge("Batt")->toolTip(), "battHint");
        QTEST(w.gauge("Signal")->value(), "sigBar");
        QTEST(InfoPage::gaugeBar(w.gauge("Signal")), "sigColour");
        QTEST(w.gauge("Signal")->toolTip(), "sigHint");
        QVERIFY(w.label("StaticText6")->isEnabled());
        QVERIFY(w.label("StaticText7")->isEnabled());
        verifyAtRest(w);
    }

    // A battery level that is no number, and a failing signal query, leave
    // the gauges as the last good read-out left them.
    void gaugesKeepLastGoodValue()
    {
        Window w;
        {
            SimPhone sim({}, QJsonObject{{"battery", 10}, {"signal", 3}});
            readWith(w, sim);
            QCOMPARE(w.gauge("Batt")->value(), 10);
        }
        SimPhone sim({"--fault", "error:AT+CIND"},
                     QJsonObject{{"overrides", QJsonObject{{"+CBC", "+CBC: 0,abc"}}}});
        readWith(w, sim);
        QCOMPARE(w.gauge("Batt")->value(), 10);
        QCOMPARE(InfoPage::gaugeBar(w.gauge("Batt")), Red);
        QCOMPARE(w.gauge("Batt")->toolTip(), QStringLiteral("Battery 10%"));
        QCOMPARE(w.gauge("Signal")->value(), 3);
        QCOMPARE(w.gauge("Signal")->toolTip(), QStringLiteral("Signal 3/5"));
        QVERIFY(!w.label("StaticText7")->isEnabled());
        QCOMPARE(w.field("txtNetwork")->text(), QStringLiteral(" Telia"));
        verifyAtRest(w);
    }

    // No AT+CBC: the charge comes from the indicators the signal is read
    // from; a refused item says why.
    void chargeFromIndicatorsAndRefusals()
    {
        Window w;
        SimPhone sim({"--fault", "cme:AT+CREG?:30"}, QJsonObject{{"cbcRefused", true}, {"battery", 40}, {"csq", 99}});
        readWith(w, sim);
        QCOMPARE(w.gauge("Batt")->value(), 40);
        QCOMPARE(w.gauge("Batt")->toolTip(), QStringLiteral("Battery 40%"));
        QCOMPARE(w.label("PhoneState")->text(), QStringLiteral("no signal, ?, READY"));
        QVERIFY2(w.label("PhoneState")->toolTip().contains(QLatin1String("Registration: refused: no network service")),
                 qPrintable(w.label("PhoneState")->toolTip()));
    }

    void centreFromBinaryModeWhenAtFails()
    {
        Window w;
        SimPhone sim({"--fault", "error:AT+CSCA?"},
                     guitest::scaledPhone({{"smsc", QJsonObject{{"number", "+12345"}, {"type", 145}}}}));
        readWith(w, sim);
        QCOMPARE(w.field("txtGSMSMSC")->text(), QStringLiteral(" +12345"));
        const QStringList cmds = sim.commands();
        const int query = int(cmds.indexOf(QStringLiteral("AT+CSCA?")));
        QVERIFY(query >= 0);
        QCOMPARE(cmds.value(query + 1), QStringLiteral("AT*BINARY"));
        // The read-out goes on in AT mode afterwards.
        QCOMPARE(cmds.mid(query + 2), (QStringList{"AT+CGSN", "AT+CGMI", "AT+CBC", "AT+CIND?", "AT+CSQ", "AT+CREG?", "AT+CPIN?"}));
        QCOMPARE(w.field("txtIMEI")->text(), QStringLiteral(" 520001234567897"));
        QCOMPARE(w.gauge("Batt")->value(), 80);
        verifyAtRest(w);
    }

    // An empty centre in quotes is an answer: no binary mode, and every
    // later item is still read in AT mode.
    void emptyCentreIsAnAnswer()
    {
        Window w;
        SimPhone sim({}, QJsonObject{{"overrides", QJsonObject{{"+CSCA?", "+CSCA: \"\",129"}}}});
        readWith(w, sim);
        QCOMPARE(w.field("txtGSMSMSC")->text(), QStringLiteral(" "));
        QCOMPARE(sim.commands(), (QStringList{"AT+COPS?", "AT+CGMM", "AT+CGMR", "AT+CSCA?", "AT+CGSN", "AT+CGMI",
                                              "AT+CBC", "AT+CIND?", "AT+CSQ", "AT+CREG?", "AT+CPIN?"}));
        QVERIFY(w.form->centre->SmscRead());
        verifyAtRest(w);
    }

    // The cable comes out halfway: the read-out ends with the port's
    // message, and nothing stays painted busy or locked.
    void portVanishesMidway()
    {
        Window w;
        // The phone's own delays below are in real time.
        w.form->link.setTiming(Timing());
        // The port's message, answered.
        DialogSteps boxes({[](QWidget *box) { box->close(); }});
        // The device goes 150 ms after the model's answer, while the
        // software version's answer is still held back.
        SimPhone sim({"--fault", "hangup-after:AT+CGMM", "--latency", "400"});
        readWith(w, sim);
        QCOMPARE(boxes.shown, 1);
        QCOMPARE(w.field("txtNetwork")->text(), QStringLiteral(" Telia"));
        QCOMPARE(w.field("txtModel")->text(), QStringLiteral(" 1101101-BVT28s"));
        QCOMPARE(w.field("txtIMEI")->text(), QString());
        verifyAtRest(w);
    }

    void missingPort()
    {
        Window w;
        qputenv("MIRVAK_COM1", QDir::temp().filePath(QStringLiteral("mirvak-no-such-tty")).toLocal8Bit());
        w.field("txtModel")->setText(QStringLiteral(" kept"));
        w.field("txtGSMSMSC")->setText(QStringLiteral(" +111"));
        w.gauge("Batt")->setValue(42);
        w.field("txtNetwork")->setText(QStringLiteral(" old"));

        PortErrorDialog *dialog = w.form->portErrorDialog;
        DialogSteps dialogs({[dialog](QWidget *shown) {
            QCOMPARE(shown, static_cast<QWidget *>(dialog));
            guitest::find<QPushButton>(dialog, "BitBtn1")->click();
        }});

        QTest::mouseClick(w.button("btnInfo"), Qt::LeftButton);

        QCOMPARE(dialogs.shown, 1);
        QCOMPARE(w.field("txtNetwork")->text(), QString());
        QCOMPARE(w.field("txtModel")->text(), QStringLiteral(" kept"));
        QCOMPARE(w.field("txtGSMSMSC")->text(), QStringLiteral(" +111"));
        QCOMPARE(w.gauge("Batt")->value(), 42);
        verifyAtRest(w);
    }
};

QTEST_MAIN(InfoReadout)
#include "tst_info_readout.moc"
