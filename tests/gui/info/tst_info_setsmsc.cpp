// SPDX-License-Identifier: GPL-2.0-or-later
// Setting the phone's SMS centre from the GSM information page: in AT mode,
// in binary mode when the phone refuses AT+CSCA=, and what the field says
// when the phone never confirms.
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <QComboBox>
#include <QPlainTextEdit>

#include "InfoTestSupport.h"
#include "gui/common/HoverButton.h"
#include "gui/common/Tab.h"
#include "gui/messaging/SmsPage.h"
#include "SimPhone.h"

using namespace infotest;

namespace {
QStringList framesIn(const SimPhone &sim)
{
    QStringList out;
    for (const QJsonObject &o : sim.log())
        if (o.value("t").toString() == QLatin1String("frame-in"))
            out << o.value("hex").toString();
    return out;
}

const char *const CentreSetFrame = "020A425107916407112132F3"; // +46701112233
} // namespace

class InfoSetSmsc : public QObject {
    Q_OBJECT

private:
    void verifyAtRest(Window &w)
    {
        verifyIdle(w);
        QCOMPARE(InfoPage::fieldColour(w.field("txtGSMSMSC")), Silver);
    }

    // A "Set" that did not take: red, never lime, the page at rest.
    void verifySetFailed(Window &w, const ColourLog &colours)
    {
        QVERIFY(colours.saw(Red));
        QVERIFY(!colours.saw(Lime));
        verifyAtRest(w);
    }

    static QString centreAfter(SimPhone &sim)
    {
        return sim.stopAndDump().value("smsc").toObject().value("number").toString();
    }

private slots:
    void init() { qunsetenv("MIRVAK_COM1"); }

    void setInAtMode()
    {
        Window w;
        ColourLog colours(w.field("txtGSMSMSC"), QPalette::Base);
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        w.field("txtGSMSMSC")->setText(QStringLiteral(" +46 70-111 22 33"));
        // While it runs the tab bar stays free, yet no second operation starts.
        bool probed = false, tabsFree = false;
        QObject::connect(&w.form->link, &PhoneLink::commandWritten, w.page, [&] {
            if (probed)
                return;
            probed = true;
            w.form->mainTabs->setCurrentIndex(int(Tab::Sms));
            tabsFree = w.form->link.lockedPage() == PhoneLink::Idle && w.form->mainTabs->currentIndex() == int(Tab::Sms);
            w.anywhere<QPlainTextEdit>("TextBox")->setPlainText(QStringLiteral("not now"));
            w.anywhere<QComboBox>("ComboBox1")->setEditText(QStringLiteral("+123456789"));
            QTest::mouseClick(w.anywhere<QPushButton>("btnSend"), Qt::LeftButton);
        });
        QTest::mouseClick(w.button("btnSetSMSC"), Qt::LeftButton);
        QVERIFY(probed);
        QVERIFY(tabsFree);
        QCOMPARE(w.form->smsPage->status(), QString());
        w.form->mainTabs->setCurrentIndex(int(Tab::Settings));

        QVERIFY(sim.commands().contains(QStringLiteral("AT+CSCA=\"46701112233\",145")));
        QCOMPARE(sim.commands().size(), 1);
        QVERIFY(!sim.commands().contains(QStringLiteral("AT*BINARY")));
        QCOMPARE(colours.seen, (QList<QColor>{Teal, Lime, Silver}));
        verifyAtRest(w);
        const QJsonObject smsc = sim.stopAndDump().value("smsc").toObject();
        QCOMPARE(smsc.value("number").toString(), QStringLiteral("+46701112233"));
        QCOMPARE(smsc.value("type").toInt(), 145);
    }

    void enterInTheFieldPressesSet()
    {
        Window w;
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.field("txtGSMSMSC")->setText(QStringLiteral(" 0701234567"));
        w.field("txtGSMSMSC")->setFocus();
        QTRY_VERIFY(w.field("txtGSMSMSC")->hasFocus());
        QVERIFY(w.button("btnSetSMSC")->isDefault());
        QTest::keyClick(w.field("txtGSMSMSC"), Qt::Key_Return);
        QVERIFY(sim.commands().contains(QStringLiteral("AT+CSCA=\"0701234567\",129")));
        verifyAtRest(w);

        // Once the focus has left the field, Enter there sets nothing.
        w.button("btnInfo")->setFocus();
        QTRY_VERIFY(!w.field("txtGSMSMSC")->hasFocus());
        QVERIFY(!w.button("btnSetSMSC")->isDefault());
        const qsizetype before = sim.commands().size();
        QTest::keyClick(w.field("txtGSMSMSC"), Qt::Key_Return);
        QCOMPARE(sim.commands().size(), before);
    }

    void refusedInAtModeSetInBinaryMode()
    {
        Window w;
        ColourLog colours(w.field("txtGSMSMSC"), QPalette::Base);
        SimPhone sim({}, guitest::scaledPhone({{"cscaSetFail", true}}));
        QVERIFY(sim.start());
        sim.useAsCom(1);
        w.field("txtGSMSMSC")->setText(QStringLiteral(" +46701112233"));
        QTest::mouseClick(w.button("btnSetSMSC"), Qt::LeftButton);

        const QStringList cmds = sim.commands();
        QCOMPARE(cmds.value(0), QStringLiteral("AT+CSCA=\"46701112233\",145"));
        QCOMPARE(cmds.value(1), QStringLiteral("AT*BINARY"));
        QCOMPARE(framesIn(sim), QStringList{QString::fromLatin1(CentreSetFrame)});
        QVERIFY(colours.saw(Lime));
        QVERIFY(!colours.saw(Red));
        QCOMPARE(w.field("txtGSMSMSC")->text(), QStringLiteral(" +46701112233"));
        verifyAtRest(w);
        const QJsonObject smsc = sim.stopAndDump().value("smsc").toObject();
        QCOMPARE(smsc.value("number").toString(), QStringLiteral("+46701112233"));
        QCOMPARE(smsc.value("type").toInt(), 0x91);
    }

    // A number the encoder refuses must not reach the phone in a frame, nor
    // take the phone into binary mode for nothing.
    void refusedNumberIsNotWritten()
    {
        Window w;
        ColourLog colours(w.field("txtGSMSMSC"), QPalette::Base);
        SimPhone sim({}, guitest::scaledPhone({{"cscaSetFail", true}}));
        QVERIFY(sim.start());
        sim.useAsCom(1);
        w.field("txtGSMSMSC")->setText(QStringLiteral(" 7"));
        QTest::mouseClick(w.button("btnSetSMSC"), Qt::LeftButton);

        QCOMPARE(sim.commands(), QStringList{"AT+CSCA=\"7\",129"});
        QCOMPARE(framesIn(sim), QStringList());
        verifySetFailed(w, colours);
        QCOMPARE(centreAfter(sim), QStringLiteral("+46705008999"));
    }

    // The phone takes the frame's acknowledgement byte but never sends its
    // answer frame; the user gives up with Cancel. That is no success.
    void unansweredSetCancelledIsRed()
    {
        Window w;
        ColourLog colours(w.field("txtGSMSMSC"), QPalette::Base);
        SimPhone sim({}, guitest::scaledPhone({{"cscaSetFail", true}}));
        QVERIFY(sim.start());
        PtyRelay relay;
        QVERIFY(relay.start(sim.device(), PtyRelay::Cut::SilenceAfterAck));
        qputenv("MIRVAK_COM1", relay.device().toLocal8Bit());

        // The user waits as long as the program gives the phone to answer,
        // then gives up.
        bool cancelVisible = false;
        relay.onAckPassed = [&] {
            QTimer::singleShot(w.form->link.timing().centreAnswer, w.page, [&] {
                cancelVisible = setOnTop(w.button("btnAbort30"), w.button("btnSetSMSC"));
                w.button("btnAbort30")->click();
            });
        };
        QTimer::singleShot(30000, w.button("btnAbort30"), &QPushButton::click); // never hang
        w.field("txtGSMSMSC")->setText(QStringLiteral(" +46701112233"));
        QTest::mouseClick(w.button("btnSetSMSC"), Qt::LeftButton);

        QVERIFY(relay.cutDone());
        QVERIFY(relay.programBytes().contains(QByteArray::fromHex(CentreSetFrame)));
        QVERIFY(cancelVisible);
        verifySetFailed(w, colours);
    }

    // Nothing at all comes back within 3000 ms: red, without waiting for Cancel.
    void silentPhoneAfterSetIsRed()
    {
        Window w;
        ColourLog colours(w.field("txtGSMSMSC"), QPalette::Base);
        SimPhone sim({}, guitest::scaledPhone({{"cscaSetFail", true}}));
        QVERIFY(sim.start());
        PtyRelay relay;
        QVERIFY(relay.start(sim.device(), PtyRelay::Cut::DropCentreSet));
        qputenv("MIRVAK_COM1", relay.device().toLocal8Bit());
        bool rescued = false;
        QTimer::singleShot(30000, w.button("btnAbort30"), [&] { // never hang
            rescued = true;
            w.button("btnAbort30")->click();
        });

        w.field("txtGSMSMSC")->setText(QStringLiteral(" +46701112233"));
        QTest::mouseClick(w.button("btnSetSMSC"), Qt::LeftButton);
        QVERIFY(!rescued);

        QVERIFY(relay.cutDone());
        verifySetFailed(w, colours);
        QCOMPARE(centreAfter(sim), QStringLiteral("+46705008999"));
    }

    void missingPort()
    {
        Window w;
        qputenv("MIRVAK_COM1", QDir::temp().filePath(QStringLiteral("mirvak-no-such-tty")).toLocal8Bit());
        PortErrorDialog *dialog = w.form->portErrorDialog;
        DialogSteps dialogs({[dialog](QWidget *shown) {
            QCOMPARE(shown, static_cast<QWidget *>(dialog));
            guitest::find<QPushButton>(dialog, "BitBtn1")->click();
        }});
        ColourLog colours(w.field("txtGSMSMSC"), QPalette::Base);
        w.field("txtGSMSMSC")->setText(QStringLiteral(" +46701112233"));
        QTest::mouseClick(w.button("btnSetSMSC"), Qt::LeftButton);
        QCOMPARE(dialogs.shown, 1);
        QVERIFY(!colours.saw(Lime));
        QCOMPARE(w.field("txtGSMSMSC")->text(), QStringLiteral(" +46701112233"));
        verifyAtRest(w);
    }
};

QTEST_MAIN(InfoSetSmsc)
#include "tst_info_setsmsc.moc"
