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
#include <QTimer>

#include "InfoTestSupport.h"
#include "SimPhone.h"

using namespace infotest;

class InfoReadout : public QObject {
    Q_OBJECT

private:
    // Starts a simulator as COM1 and presses the read button once.
    void readWith(Window &w, SimPhone &sim)
    {
        QVERIFY(sim.start());
        sim.useAsCom(1);
        QTest::mouseClick(w.page->btnInfo, Qt::LeftButton);
    }
    void verifyAtRest(Window &w)
    {
        verifyIdle(w);
        InfoPage *p = w.page;
        QCOMPARE(InfoPage::gaugeBackground(p->Batt), Grey);
        QCOMPARE(InfoPage::gaugeBackground(p->Signal), Grey);
        for (QLineEdit *f : {p->txtNetwork, p->txtModel, p->txtSoftware, p->txtGSMSMSC, p->txtIMEI, p->txtMake})
            QCOMPARE(InfoPage::fieldColour(f), Silver);
    }

private slots:
    void init() { qunsetenv("MIRVAK_COM1"); }

    void panelLayout()
    {
        Window w;
        InfoPage *p = w.page;
        QCOMPARE(p->objectName(), QStringLiteral("PanelInfo"));
        QVERIFY(p->width() <= 215 && p->height() <= 284);
        QCOMPARE(p->btnInfo->size(), QSize(24, 24));
        QCOMPARE(p->btnInfo->toolTip(), QStringLiteral("Read data from phone"));
        QCOMPARE(p->StaticText45->text(), QStringLiteral("GSM Information"));
        QCOMPARE(p->btnSetSMSC->geometry(), p->btnAbort30->geometry());
        QCOMPARE(p->btnSetSMSC->text(), QStringLiteral("Set"));
        QCOMPARE(p->btnAbort30->text(), QStringLiteral("Cancel"));
        QVERIFY(setOnTop(p->btnSetSMSC, p->btnAbort30));
        QCOMPARE(p->txtNetwork->toolTip(), QStringLiteral("Current network logged onto."));
        QCOMPARE(p->txtIMEI->toolTip(), QStringLiteral("Phone IMEI / serial number"));
        QCOMPARE(p->Batt->orientation(), Qt::Vertical);
        QCOMPARE(p->Batt->maximum(), 100);
        QVERIFY(!p->Batt->isTextVisible());
        QCOMPARE(p->Batt->toolTip(), QStringLiteral("Battery level"));
        QCOMPARE(p->Signal->maximum(), 5);
        QCOMPARE(p->Signal->toolTip(), QStringLiteral("Signal level"));
        QVERIFY(!p->StaticText6->isEnabled());
        QVERIFY(!p->StaticText7->isEnabled());
        QCOMPARE(InfoPage::gaugeBar(p->Batt), Lime);
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
        InfoPage *p = w.page;
        ColourLog networkColours(p->txtNetwork, QPalette::Base);
        ColourLog battColours(p->Batt, QPalette::Base);
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

        QCOMPARE(p->txtNetwork->text(), QStringLiteral(" Telia"));
        QCOMPARE(p->txtModel->text(), QStringLiteral(" 1101101-BVT28s"));
        QCOMPARE(p->txtSoftware->text(), QStringLiteral(" R5C005"));
        QCOMPARE(p->txtGSMSMSC->text(), QStringLiteral(" +46705008999"));
        QCOMPARE(p->txtIMEI->text(), QStringLiteral(" 520001234567897"));
        QCOMPARE(p->txtMake->text(), QStringLiteral(" ERICSSON"));
        QCOMPARE(p->Batt->value(), 80);
        QCOMPARE(InfoPage::gaugeBar(p->Batt), Lime);
        QCOMPARE(p->Batt->toolTip(), QStringLiteral("Battery 80%"));
        QVERIFY(p->StaticText6->isEnabled());
        QCOMPARE(p->Signal->value(), 4);
        QCOMPARE(InfoPage::gaugeBar(p->Signal), Lime);
        QCOMPARE(p->Signal->toolTip(), QStringLiteral("Signal 4/5"));
        QVERIFY(p->StaticText7->isEnabled());
        verifyAtRest(w);

        // Busy colours: teal while asking, back to rest afterwards.
        QVERIFY(networkColours.saw(Teal));
        QCOMPARE(networkColours.seen.last(), Silver);
        QVERIFY(battColours.saw(Teal));
        QCOMPARE(battColours.seen.last(), Grey);

        // In this order, and the centre was found without binary mode.
        const QStringList expected{"AT+COPS?", "AT+CGMM", "AT+CGMR", "AT+CSCA?",
                                   "AT+CGSN", "AT+CGMI", "AT+CBC", "AT+CIND?"};
        QCOMPARE(sim.commands(), expected);
    }

    // Fields show one line; odd replies leave their field empty while the
    // rest of the read-out goes on.
    void oddTextReplies()
    {
        Window w;
        InfoPage *p = w.page;
        p->txtIMEI->setText(QStringLiteral("stale"));
        SimPhone sim({}, QJsonObject{
                             {"overrides", QJsonObject{
                                              // echo + "\r\n12345\r\n" + "\r\nOK\r\n" is 23 characters
                                              {"+CGSN", "12345"},
                                              {"+COPS?", "+COPS: 0,0,Telia"},
                                              {"+CGMM", QJsonArray{"T28 model", "second line"}},
                                          }},
                         });
        readWith(w, sim);
        QCOMPARE(p->txtIMEI->text(), QString());
        QCOMPARE(p->txtNetwork->text(), QString());
        QCOMPARE(p->txtModel->text(), QStringLiteral(" T28 model"));
        QCOMPARE(p->txtSoftware->text(), QStringLiteral(" R5C005"));
        QCOMPARE(p->txtMake->text(), QStringLiteral(" ERICSSON"));
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
        InfoPage *p = w.page;
        p->Batt->setValue(50);
        p->Signal->setValue(3);
        SimPhone sim({}, QJsonObject{{"battery", battery}, {"signal", signal}});
        readWith(w, sim);
        QTEST(p->Batt->value(), "battBar");
        QTEST(InfoPage::gaugeBar(p->Batt), "battColour");
        QTEST(p->Batt->toolTip(), "battHint");
        QTEST(p->Signal->value(), "sigBar");
        QTEST(InfoPage::gaugeBar(p->Signal), "sigColour");
        QTEST(p->Signal->toolTip(), "sigHint");
        QVERIFY(p->StaticText6->isEnabled());
        QVERIFY(p->StaticText7->isEnabled());
        verifyAtRest(w);
    }

    // A battery level that is no number, and a failing signal query, leave
    // the gauges as the last good read-out left them.
    void gaugesKeepLastGoodValue()
    {
        Window w;
        InfoPage *p = w.page;
        {
            SimPhone sim({}, QJsonObject{{"battery", 10}, {"signal", 3}});
            readWith(w, sim);
            QCOMPARE(p->Batt->value(), 10);
        }
        SimPhone sim({"--fault", "error:AT+CIND"},
                     QJsonObject{{"overrides", QJsonObject{{"+CBC", "+CBC: 0,abc"}}}});
        readWith(w, sim);
        QCOMPARE(p->Batt->value(), 10);
        QCOMPARE(InfoPage::gaugeBar(p->Batt), Red);
        QCOMPARE(p->Batt->toolTip(), QStringLiteral("Battery 10%"));
        QCOMPARE(p->Signal->value(), 3);
        QCOMPARE(p->Signal->toolTip(), QStringLiteral("Signal 3/5"));
        QVERIFY(!p->StaticText7->isEnabled());
        QCOMPARE(p->txtNetwork->text(), QStringLiteral(" Telia"));
        verifyAtRest(w);
    }

    void centreFromBinaryModeWhenAtFails()
    {
        Window w;
        InfoPage *p = w.page;
        SimPhone sim({"--fault", "error:AT+CSCA?"},
                     QJsonObject{{"smsc", QJsonObject{{"number", "+12345"}, {"type", 145}}}});
        readWith(w, sim);
        QCOMPARE(p->txtGSMSMSC->text(), QStringLiteral(" +12345"));
        const QStringList cmds = sim.commands();
        const int query = int(cmds.indexOf(QStringLiteral("AT+CSCA?")));
        QVERIFY(query >= 0);
        QCOMPARE(cmds.value(query + 1), QStringLiteral("AT*BINARY"));
        // The read-out goes on in AT mode afterwards.
        QCOMPARE(cmds.mid(query + 2), (QStringList{"AT+CGSN", "AT+CGMI", "AT+CBC", "AT+CIND?"}));
        QCOMPARE(p->txtIMEI->text(), QStringLiteral(" 520001234567897"));
        QCOMPARE(p->Batt->value(), 80);
        verifyAtRest(w);
    }

    // An empty centre in quotes is an answer: no binary mode, and every
    // later item is still read in AT mode.
    void emptyCentreIsAnAnswer()
    {
        Window w;
        SimPhone sim({}, QJsonObject{{"overrides", QJsonObject{{"+CSCA?", "+CSCA: \"\",129"}}}});
        readWith(w, sim);
        QCOMPARE(w.page->txtGSMSMSC->text(), QStringLiteral(" "));
        QCOMPARE(sim.commands(), (QStringList{"AT+COPS?", "AT+CGMM", "AT+CGMR", "AT+CSCA?", "AT+CGSN", "AT+CGMI",
                                              "AT+CBC", "AT+CIND?"}));
        QVERIFY(w.form->messaging.SmscRead);
        verifyAtRest(w);
    }

    // The cable comes out halfway: the read-out ends with the port's
    // message, and nothing stays painted busy or locked.
    void portVanishesMidway()
    {
        Window w;
        // The phone's own delays below are in real time.
        w.form->link.setTiming(Timing());
        InfoPage *p = w.page;
        int boxes = 0;
        QTimer closer;
        closer.setInterval(50);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                ++boxes;
                box->close();
            }
        });
        closer.start();
        // The device goes 150 ms after the model's answer, while the
        // software version's answer is still held back.
        SimPhone sim({"--fault", "hangup-after:AT+CGMM", "--latency", "400"});
        readWith(w, sim);
        closer.stop();
        QCOMPARE(boxes, 1);
        QCOMPARE(p->txtNetwork->text(), QStringLiteral(" Telia"));
        QCOMPARE(p->txtModel->text(), QStringLiteral(" 1101101-BVT28s"));
        QCOMPARE(p->txtIMEI->text(), QString());
        verifyAtRest(w);
    }

    void missingPort()
    {
        Window w;
        InfoPage *p = w.page;
        qputenv("MIRVAK_COM1", QDir::temp().filePath(QStringLiteral("mirvak-no-such-tty")).toLocal8Bit());
        p->txtModel->setText(QStringLiteral(" kept"));
        p->txtGSMSMSC->setText(QStringLiteral(" +111"));
        p->Batt->setValue(42);
        p->txtNetwork->setText(QStringLiteral(" old"));

        int shown = 0;
        struct ShowCounter : QObject {
            int *n;
            explicit ShowCounter(int *c) : n(c) {}
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Show)
                    ++*n;
                return false;
            }
        } counter(&shown);
        TForm2 *dialog = w.form->Form2;
        dialog->installEventFilter(&counter);
        QTimer closer;
        closer.setInterval(50);
        QObject::connect(&closer, &QTimer::timeout, [dialog] {
            if (dialog->isVisible())
                dialog->BitBtn1->click();
        });
        closer.start();

        QTest::mouseClick(p->btnInfo, Qt::LeftButton);
        closer.stop();

        QCOMPARE(shown, 1);
        QCOMPARE(p->txtNetwork->text(), QString());
        QCOMPARE(p->txtModel->text(), QStringLiteral(" kept"));
        QCOMPARE(p->txtGSMSMSC->text(), QStringLiteral(" +111"));
        QCOMPARE(p->Batt->value(), 42);
        verifyAtRest(w);
    }
};

QTEST_MAIN(InfoReadout)
#include "tst_info_readout.moc"
