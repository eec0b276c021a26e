// SPDX-License-Identifier: GPL-2.0-or-later
// Sending through the phone's PDU-mode AT commands, plain and ICQ, every
// message checked as the simulated phone decoded it.
#include <QJsonObject>
#include <QLineEdit>

#include "SmsTestSupport.h"

using namespace smstest;

namespace {
const QString SentOk = QStringLiteral("SMS sent OK.");
const QString SetIcqCentre = QStringLiteral("AT+CSCA=\"44802000332\",145");
const QString SetOwnCentre = QStringLiteral("AT+CSCA=\"46705008999\",145");

QStringList probes()
{
    return {QStringLiteral("AT"), QStringLiteral("AT+CMGS=?")};
}

} // namespace

class TestSmsAtMode : public QObject {
    Q_OBJECT

private slots:
    void plainSend_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reply");
        QTest::addColumn<QString>("decodedNumber");
        QTest::addColumn<QString>("decodedText");
        QTest::addColumn<QString>("lengthCommand");
        QTest::addColumn<QString>("pduHex");
        QTest::newRow("international") << QStringLiteral("+123456789") << QStringLiteral("abc") << false
                                       << QStringLiteral("+123456789") << QStringLiteral("abc")
                                       << QStringLiteral("AT+CMGS=16")
                                       << QStringLiteral("001100099121436587F90000C40361F118");
        QTest::newRow("reply path, @ and $") << QStringLiteral("0123456") << QStringLiteral("Hi @ $5") << true
                                             << QStringLiteral("0123456") << QStringLiteral("Hi @ $5")
                                             << QStringLiteral("AT+CMGS=19")
                                             << QStringLiteral("0091000781103254F60000C407C834080012D400");
        QTest::newRow("book item, 160 characters, line break")
            << QStringLiteral("0701234567       - Anna") << (QStringLiteral("one\ntwo") + QString(153, QLatin1Char('x')))
            << false << QStringLiteral("0701234567") << (QStringLiteral("one\ntwo") + QString(153, QLatin1Char('x')))
            << QStringLiteral("AT+CMGS=153") << QString();
        // The euro is an escape and a septet.
        QTest::newRow("GSM letters and the extension table") << QStringLiteral("+46 (70) 123-45") << QStringLiteral("é€!")
                                                  << false << QStringLiteral("+467012345") << QStringLiteral("é€!")
                                                  << QStringLiteral("AT+CMGS=17") << QStringLiteral("001100099164072143F50000C404854D3904");
        // Text that looks like commands goes out only as PDU hex (UCS-2 for the Ctrl-Z).
        QTest::newRow("command-like text") << QStringLiteral("+123456789") << QStringLiteral("\x1a\nAT+CSCA=\"1\",129\n")
                                           << false << QStringLiteral("+123456789") << QStringLiteral("\x1a\nAT+CSCA=\"1\",129\n")
                                           << QStringLiteral("AT+CMGS=49") << QString();
    }
    void plainSend()
    {
        QFETCH(QString, number);
        QFETCH(QString, text);
        QFETCH(bool, reply);
        QFETCH(QString, decodedNumber);
        QFETCH(QString, decodedText);
        QFETCH(QString, lengthCommand);
        QFETCH(QString, pduHex);
        Rig rig;
        QVERIFY(rig.ok());
        rig.compose(text, number, reply);
        const DuringSend during(rig);
        rig.clickSend();

        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, SentOk}));
        QCOMPARE(rig.sim->commands(), (probes() + QStringList{QStringLiteral("AT+CMGF=0"), lengthCommand}));
        QCOMPARE(rig.beeps(), 1);
        const QList<Sent> sent = sentMessages(rig);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].mode, QStringLiteral("at"));
        QCOMPARE(sent[0].number, decodedNumber);
        QCOMPARE(sent[0].text, decodedText);
        QCOMPARE(sent[0].replyPath, reply);
        QVERIFY(sent[0].lengthOk);
        if (!pduHex.isEmpty())
            QCOMPARE(rig.entries(QStringLiteral("sms"))[0].value(QStringLiteral("pduHex")).toString(), pduHex);

        // During the send: the Abort button in the place of "Send SMS", "Send
        // ICQ" visible but disabled, nothing else to press.
        QVERIFY(during.taken);
        QCOMPARE(during.busyPage, 0);
        QVERIFY(!during.visible["btnSend"]);
        QVERIFY(during.usable("btnAbort"));
        QVERIFY(during.visible["btnICQ"] && !during.enabled["btnICQ"]);
        for (const char *name : {"btnExit", "chkReply", "btnClear", "TextBox", "ComboBox1", "ComboBox2"})
            QVERIFY2(!during.enabled[QString::fromLatin1(name)], name);

        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
        QVERIFY(!rig.form->link.LongReplyWait());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    // What the recipient's phone puts together is exactly what was typed,
    // in AT and in binary mode, however many parts it took; a part the phone
    // does not take ends the send and is named.
    void longAndUnicode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QJsonObject>("phone");
        QTest::addColumn<int>("parts");
        QTest::addColumn<QString>("outcome");
        const QString gsm = QStringLiteral("@£$¥èéùìòÇ\nØøÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
                                           "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà€[]{}\\~^|");
        const QString long400 = QStringLiteral("Grüße an Åsa {€} [~] ^| ").repeated(17).left(400);
        const QString cyrillic = (QStringLiteral("Привет, мир! ") + QString::fromUcs4(U"\U0001F600 ")).repeated(8);
        const QJsonObject binary{{QStringLiteral("binaryOnly"), true}};
        QTest::newRow("every GSM character") << gsm << QJsonObject() << 1 << SentOk;
        QTest::newRow("400 characters") << long400 << QJsonObject() << 4 << SentOk;
        QTest::newRow("Cyrillic and emoji") << cyrillic << QJsonObject() << 2 << SentOk;
        QTest::newRow("400 characters, binary") << long400 << binary << 4 << SentOk;
        QTest::newRow("Cyrillic and emoji, binary") << cyrillic << binary << 2 << SentOk;
        QTest::newRow("second part failed, binary")
            << long400 << QJsonObject{{QStringLiteral("binaryOnly"), true}, {QStringLiteral("submitReply"), QStringLiteral("%&")}}
            << 4 << QStringLiteral("SMS failed (part 2 of 4)");
        QTest::newRow("no verdict on the first part")
            << cyrillic << QJsonObject{{QStringLiteral("cmgsFail"), true}} << 2
            << QStringLiteral("SMS status unknown. (part 1 of 2)");
    }
    void longAndUnicode()
    {
        QFETCH(QString, text);
        QFETCH(QJsonObject, phone);
        QFETCH(int, parts);
        QFETCH(QString, outcome);
        Rig rig({}, phone);
        QVERIFY(rig.ok());
        rig.compose(text, QStringLiteral("+46701234567"));
        rig.clickSend();
        QCOMPARE(rig.statuses.last(), outcome);
        QVERIFY(rig.idle());

        const QList<QJsonObject> delivered = rig.entries(QStringLiteral("delivered"));
        const QList<Sent> sent = sentMessages(rig);
        if (outcome != SentOk) {
            QVERIFY(delivered.isEmpty());
            // Nothing after the part that failed.
            QCOMPARE(sent.size(), outcome.contains(QLatin1String("part 2")) ? 2 : 1);
            return;
        }
        QCOMPARE(rig.beeps(), 1);
        QCOMPARE(sent.size(), parts);
        QCOMPARE(delivered.size(), 1);
        QCOMPARE(delivered[0].value(QStringLiteral("text")).toString(), text);
        QCOMPARE(delivered[0].value(QStringLiteral("parts")).toInt(), parts);
        QCOMPARE(delivered[0].value(QStringLiteral("number")).toString(), QStringLiteral("+46701234567"));
        for (const Sent &part : sent)
            QVERIFY(part.lengthOk);
    }

    void icqSend()
    {
        Rig rig;
        QVERIFY(rig.ok());
        rig.composeIcq(QStringLiteral("hello icq"), QStringLiteral("12345     - Bob"));
        const DuringSend during(rig);
        rig.clickIcq();

        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, SentOk}));
        QCOMPARE(rig.sim->commands(), (probes() + QStringList{QStringLiteral("AT+CSCA?"), SetIcqCentre,
                                                             QStringLiteral("AT+CMGF=0"), QStringLiteral("AT+CMGS=25"),
                                                             SetOwnCentre}));
        const QList<Sent> sent = sentMessages(rig);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].number, QStringLiteral("+44778148400012345"));
        QCOMPARE(sent[0].text, QStringLiteral("hello icq"));
        QCOMPARE(sent[0].smsc, IcqCentre);
        auto *centre = rig.find<QLineEdit>(QStringLiteral("txtGSMSMSC"));
        QCOMPARE(centre->text(), QStringLiteral(" ") + OwnCentre);
        QCOMPARE(centre->palette().color(QPalette::Base), Silver);

        QVERIFY(during.taken);
        QCOMPARE(during.busyPage, 0);
        QVERIFY(!during.visible["btnICQ"]);
        QVERIFY(during.usable("btnAbort2"));
        QVERIFY(during.visible["btnSend"] && !during.enabled["btnSend"]);
        for (const char *name : {"btnAbort", "btnExit", "chkReply", "btnClear", "TextBox", "ComboBox1", "ComboBox2"})
            QVERIFY2(!during.enabled[QString::fromLatin1(name)], name);

        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    void errorGettingSmsc_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QJsonObject>("phone");
        QTest::newRow("no quoted number") << QStringList()
                                          << QJsonObject{{QStringLiteral("overrides"),
                                                          QJsonObject{{QStringLiteral("+CSCA?"), QStringLiteral("+CSCA: none")}}}};
        QTest::newRow("refused") << QStringList{QStringLiteral("--fault"), QStringLiteral("error:AT+CSCA?")} << QJsonObject();
    }
    void errorGettingSmsc()
    {
        QFETCH(QStringList, args);
        QFETCH(QJsonObject, phone);
        Rig rig(args, phone);
        QVERIFY(rig.ok());
        rig.sendHello(true);
        QCOMPARE(rig.statuses, (QStringList{Start, QStringLiteral("Error getting SMSC")}));
        // Nothing changed on the phone.
        QCOMPARE(rig.sim->commands(), (probes() + QStringList{QStringLiteral("AT+CSCA?")}));
        QVERIFY(!rig.form->centre->SmscRead());
        QVERIFY(rig.button("btnICQ")->isVisible() && rig.button("btnICQ")->isEnabled());
        QCOMPARE(rig.form->link.lockedPage(), int(PhoneLink::Idle));
        QVERIFY(!rig.form->ComPort1.isOpen());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    // A phone whose centre is empty still gets it back, empty, after the send.
    void icqSendWithEmptyCentre()
    {
        Rig rig({}, QJsonObject{{QStringLiteral("overrides"),
                                 QJsonObject{{QStringLiteral("+CSCA?"), QStringLiteral("+CSCA: \"\",129")}}}});
        QVERIFY(rig.ok());
        rig.sendHello(true);
        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, SentOk}));
        QCOMPARE(rig.sim->commands(), (probes() + QStringList{QStringLiteral("AT+CSCA?"), SetIcqCentre,
                                                             QStringLiteral("AT+CMGF=0"), QStringLiteral("AT+CMGS=22"),
                                                             QStringLiteral("AT+CSCA=\"\",129")}));
        QVERIFY(rig.form->centre->SmscRead());
        QCOMPARE(rig.find<QLineEdit>(QStringLiteral("txtGSMSMSC"))->text(), QStringLiteral(" "));
        QVERIFY(rig.idle());
    }

    // The ICQ centre command got no "OK": no status, yet the own centre is
    // written back, since the phone may have taken the ICQ centre anyway.
    void icqCentreRefused()
    {
        Rig rig({QStringLiteral("--fault"), QStringLiteral("error:AT+CSCA=\"44802000332\"")});
        QVERIFY(rig.ok());
        rig.sendHello(true);
        QCOMPARE(rig.statuses, QStringList{Start});
        QCOMPARE(rig.sim->commands(), (probes() + QStringList{QStringLiteral("AT+CSCA?"), SetIcqCentre, SetOwnCentre}));
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.idle());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    void pduModeRefused_data()
    {
        QTest::addColumn<bool>("icq");
        QTest::newRow("sms") << false;
        QTest::newRow("icq") << true;
    }
    void pduModeRefused()
    {
        QFETCH(bool, icq);
        Rig rig({}, QJsonObject{{QStringLiteral("cmgfFail"), true}});
        QVERIFY(rig.ok());
        rig.sendHello(icq);
        QCOMPARE(rig.statuses, (QStringList{Start, Aborted}));
        const QStringList expected = icq ? probes() + QStringList{QStringLiteral("AT+CSCA?"), SetIcqCentre,
                                                                  QStringLiteral("AT+CMGF=0"), SetOwnCentre}
                                         : probes() + QStringList{QStringLiteral("AT+CMGF=0")};
        QCOMPARE(rig.sim->commands(), expected);
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.idle());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    // No prompt within a second. The phone may still be collecting message
    // text; it is told to stop, so the centre command after it is taken as
    // a command and the own centre really goes back.
    void noPrompt_data()
    {
        QTest::addColumn<bool>("icq");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QJsonObject>("phone");
        QTest::newRow("never") << false << QStringList{QStringLiteral("--fault"), QStringLiteral("no-prompt")} << QJsonObject();
        QTest::newRow("never, icq") << true << QStringList{QStringLiteral("--fault"), QStringLiteral("no-prompt")} << QJsonObject();
        QTest::newRow("too late, icq") << true << QStringList()
                                       << QJsonObject{{QStringLiteral("promptDelayMs"), 1300}};
    }
    void noPrompt()
    {
        QFETCH(bool, icq);
        QFETCH(QStringList, args);
        QFETCH(QJsonObject, phone);
        Rig rig(args, phone);
        QVERIFY(rig.ok());
        rig.sendHello(icq);
        QCOMPARE(rig.statuses, (QStringList{Start, Aborted}));
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.idle());
        const QStringList cmds = rig.sim->commands();
        QVERIFY2(cmds.size() >= 1 && cmds.last() == (icq ? SetOwnCentre : QStringLiteral("AT+CMGS=18")),
                 qPrintable(cmds.join(QLatin1Char('|'))));
        // The cancel goes out as the port closes; the phone reads it in its own time.
        QVERIFY(rig.sim->waitFor([&] { return rig.events().contains(QStringLiteral("submission cancelled")); }));
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    // Abort pressed once the length command is written and the prompt is
    // due: the prompt wait ends at once, nothing is sent.
    void abortWhileWaitingForPrompt()
    {
        Rig rig({}, QJsonObject{{QStringLiteral("promptDelayMs"), 5000}});
        QVERIFY(rig.ok());
        rig.compose(QStringLiteral("hello"), QStringLiteral("+123456789"));
        PhoneLink &link = rig.form->link;
        // A second for the prompt, as unscaled: the click lands inside the
        // wait however slowly the machine runs.
        Timing timing = link.timing();
        timing.prompt = Timing().prompt;
        link.setTiming(timing);
        bool clickedInWait = false;
        const guitest::TraceWatch written(rig, [&] {
            if (!clickedInWait && link.replyTimerRunning() && link.replyTimerInterval() == link.timing().prompt) {
                clickedInWait = true;
                QTest::mouseClick(rig.button("btnAbort"), Qt::LeftButton);
            }
        });
        rig.clickSend();
        QVERIFY(clickedInWait);
        QCOMPARE(rig.statuses, (QStringList{Start, Aborted}));
        QCOMPARE(rig.sim->commands().last(), QStringLiteral("AT+CMGS=18"));
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
    }

    void statusUnknown()
    {
        Rig rig({}, QJsonObject{{QStringLiteral("cmgsFail"), true}});
        QVERIFY(rig.ok());
        rig.sendHello(false);
        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, QStringLiteral("SMS status unknown.")}));
        QCOMPARE(sentMessages(rig).size(), 1); // taken, then answered ERROR
        QVERIFY(rig.idle());
        QVERIFY(!rig.form->link.LongReplyWait());
        QVERIFY(rig.sim->stopAndDump().value(QStringLiteral("outbox")).toArray().isEmpty());
    }

    // The port vanishing in the middle of a send ends it with the port's
    // message; the page is usable again and the port closed.
    void portFailsDuringSend()
    {
        Rig rig({QStringLiteral("--fault"), QStringLiteral("hangup-after:AT+CMGS=?")},
                QJsonObject{{QStringLiteral("promptDelayMs"), 60000}});
        QVERIFY(rig.ok());
        // The device goes 150 ms after that answer, in the phone's own time.
        // The send must still be talking to it then, however slowly either
        // runs: the prompt it waits for comes only long after.
        Timing timing = rig.form->link.timing();
        timing.prompt = 30000;
        rig.form->link.setTiming(timing);
        rig.compose(QStringLiteral("hello"), QStringLiteral("+123456789"));
        QString shown;
        const Dialogs answer([&](QWidget *dialog) {
            shown = guitest::dialogText(dialog);
            guitest::answerAsUser(dialog);
        });
        rig.clickSend();
        QVERIFY2(!shown.isEmpty(), qPrintable(QStringLiteral("no message about the port; statuses %1; commands %2")
                                                  .arg(rig.statuses.join(QLatin1Char('|')), rig.sim->commands().join(QLatin1Char('|')))));
        QVERIFY(rig.idle());
        QVERIFY(!rig.form->link.LongReplyWait());
    }
};

QTEST_MAIN(TestSmsAtMode)
#include "tst_sms_atmode.moc"
