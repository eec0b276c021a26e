// SPDX-License-Identifier: GPL-2.0-or-later
// Sending through the phone's binary frame mode (a phone that refuses
// AT+CMGS=?), plain and ICQ, with the frames checked as the phone saw them.
#include <QTimer>

#include "SmsTestSupport.h"

using namespace smstest;

namespace {

// A case that waits out the binary time-out: half the usual, still several
// times what the simulated phone needs for any binary answer under load.
void shortBinaryWait(Rig &rig)
{
    Timing t = rig.form->link.timing();
    t.binaryAnswer /= 2;
    rig.form->link.setTiming(t);
}

const QString Closing = QStringLiteral("Aborted, closing..");
const QString CentreQuery = QStringLiteral("02024151");
const QString SetIcqCentre = QStringLiteral("020A425107914408020033F2");
const QString OwnCentreFrame = QStringLiteral("020A425107916407058099F9");

QJsonObject binaryPhone(const QJsonObject &more = {})
{
    QJsonObject o = more;
    o.insert(QStringLiteral("binaryOnly"), true);
    return o;
}

bool isSubmit(const QString &frameHex)
{
    return frameHex.mid(4, 8) == QLatin1String("41070302");
}
} // namespace

class TestSmsBinary : public QObject {
    Q_OBJECT

private slots:
    void plainSend_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("sent") << QStringLiteral("%") << QStringLiteral("SMS sent OK.");
        QTest::newRow("failed") << QStringLiteral("&") << QStringLiteral("SMS failed");
        QTest::newRow("unknown") << QStringLiteral("x") << QStringLiteral("SMS ???");
    }
    void plainSend()
    {
        QFETCH(QString, reply);
        QFETCH(QString, outcome);
        Rig rig({}, binaryPhone({{QStringLiteral("submitReply"), reply}}));
        QVERIFY(rig.ok());
        rig.compose(QStringLiteral("abc"), QStringLiteral("+123456789"));
        const DuringSend during(rig);
        rig.clickSend();

        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, outcome}));
        // The short beep only for a message the phone took.
        QCOMPARE(rig.beeps(), outcome == QLatin1String("SMS sent OK.") ? 1 : 0);
        QVERIFY(during.taken);
        QCOMPARE(during.busyPage, 0);
        QVERIFY(!during.visible["btnSend"] && !during.enabled["TextBox"] && during.usable("btnAbort"));
        QCOMPARE(rig.sim->commands().join(QLatin1Char('|')), QStringLiteral("AT|AT+CMGS=?|AT*BINARY"));
        QCOMPARE(rig.framesIn(), QStringList{QStringLiteral("021541070302001100099121436587F90000C40361F118")});
        const QList<Sent> sent = sentMessages(rig);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].mode, QStringLiteral("binary"));
        QCOMPARE(sent[0].number, QStringLiteral("+123456789"));
        QCOMPARE(sent[0].text, QStringLiteral("abc"));
        QVERIFY(!sent[0].replyPath);
        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
    }

    void longMessageWithReplyPath()
    {
        Rig rig({}, binaryPhone());
        QVERIFY(rig.ok());
        const QString text = QString(160, QLatin1Char('m'));
        rig.compose(text, QStringLiteral("+461234567890"), true);
        rig.clickSend();
        QCOMPARE(rig.statuses.last(), QStringLiteral("SMS sent OK."));
        const QStringList frames = rig.framesIn();
        QCOMPARE(frames.size(), 1);
        // 140 octets of text, 6 of address, 13 more: 159.
        QCOMPARE(frames[0].left(4), QStringLiteral("029F"));
        const QList<Sent> sent = sentMessages(rig);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].text, text);
        QCOMPARE(sent[0].number, QStringLiteral("+461234567890"));
        QVERIFY(sent[0].replyPath);
        QVERIFY(sent[0].lengthOk);
    }

    void icqSend()
    {
        Rig rig({}, binaryPhone());
        QVERIFY(rig.ok());
        rig.composeIcq(QStringLiteral("via icq"), QStringLiteral("12345     - Bob"));
        rig.clickIcq();

        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, QStringLiteral("SMS sent OK.")}));
        const QStringList frames = rig.framesIn();
        QCOMPARE(frames.size(), 4);
        QCOMPARE(frames[0], CentreQuery);
        QCOMPARE(frames[1], SetIcqCentre);
        QVERIFY(isSubmit(frames[2]));
        // The restore is the phone's own answer to the query, byte for byte.
        QCOMPARE(frames[3], OwnCentreFrame);
        bool answered = false;
        for (const QJsonObject &o : rig.entries(QStringLiteral("frame-out")))
            answered = answered || o.value(QStringLiteral("hex")).toString().toUpper() == OwnCentreFrame;
        QVERIFY(answered);

        const QList<Sent> sent = sentMessages(rig);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].number, QStringLiteral("+44778148400012345"));
        QCOMPARE(sent[0].text, QStringLiteral("via icq"));
        QCOMPARE(sent[0].smsc, IcqCentre);
        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    // No answer to the centre query: the error dialog, an empty status, and
    // no centre frame of any kind.
    void centreQueryTimesOut()
    {
        Rig rig({QStringLiteral("--fault"), QStringLiteral("aq-silent")}, binaryPhone());
        QVERIFY(rig.ok());
        rig.composeIcq(QStringLiteral("hello"), QStringLiteral("12345"));
        bool dialogSeen = false, windowLockedMeanwhile = false, portClosedFirst = false;
        const Dialogs answer([&](QWidget *dialog) {
            dialogSeen = dialog->objectName() == QLatin1String("Form2");
            windowLockedMeanwhile = !rig.form->isEnabled();
            portClosedFirst = !rig.form->ComPort1.isOpen();
            guitest::answerAsUser(dialog);
        });
        rig.clickIcq();
        QVERIFY(dialogSeen);
        QCOMPARE(answer.count, 1);
        QVERIFY(windowLockedMeanwhile);
        QVERIFY(portClosedFirst);
        QVERIFY(rig.form->isEnabled());
        QCOMPARE(rig.statuses, (QStringList{Start, QString()}));
        QCOMPARE(rig.framesIn(), QStringList{CentreQuery});
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.idle());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    // A phone without a centre of its own: switching to the ICQ centre could
    // never be undone, so the send stops before it.
    void noOwnCentreToRestore()
    {
        Rig rig({}, binaryPhone({{QStringLiteral("smsc"),
                                  QJsonObject{{QStringLiteral("number"), QString()}, {QStringLiteral("type"), 129}}}}));
        QVERIFY(rig.ok());
        rig.sendHello(true);
        QCOMPARE(rig.statuses, (QStringList{Start, QStringLiteral("Error getting SMSC")}));
        QCOMPARE(rig.framesIn(), QStringList{CentreQuery});
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.idle());
        QCOMPARE(rig.finalCentre(), QString());
    }

    // The phone stops halfway through its answer to the message: the send
    // waits for the user, and one press of Abort ends it with the port
    // closed (and, for ICQ, the own centre written back first).
    void stallHoldsUntilAbort_data()
    {
        QTest::addColumn<bool>("icq");
        QTest::newRow("sms") << false;
        QTest::newRow("icq") << true;
    }
    void stallHoldsUntilAbort()
    {
        QFETCH(bool, icq);
        Rig rig({QStringLiteral("--fault"), QStringLiteral("stall-frame")}, binaryPhone());
        QVERIFY(rig.ok());
        shortBinaryWait(rig);
        bool stillBusyLater = false, clicked = false, waiting = false;
        QPushButton *abort = rig.button(icq ? "btnAbort2" : "btnAbort");
        QObject::connect(rig.page, &SmsPage::statusChanged, rig.page, [&](const QString &status) {
            if (status != Waiting || waiting)
                return;
            waiting = true;
            // The user waits a reply time past the link's longest binary time-out.
            const Timing &t = rig.form->link.timing();
            QTimer::singleShot(t.binaryAnswer + t.reply, rig.page, [&] {
                stillBusyLater = rig.form->link.lockedPage() == 0 && rig.form->ComPort1.isOpen();
                clicked = true;
                QTest::mouseClick(abort, Qt::LeftButton);
            });
        });
        rig.sendHello(icq);
        QVERIFY(clicked);
        QVERIFY(stillBusyLater);
        QCOMPARE(rig.statuses, (QStringList{Start, Waiting, Closing, Aborted}));
        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
        const QStringList frames = rig.framesIn();
        if (icq) {
            QCOMPARE(frames.size(), 4);
            QCOMPARE(frames[3], OwnCentreFrame);
            QCOMPARE(rig.finalCentre(), OwnCentre);
        } else {
            QCOMPARE(frames.size(), 1);
        }
    }

    // The window closed while the send waits on the phone: the send ends
    // quietly, without a port error about the port the window closed.
    void windowClosedDuringSend()
    {
        Rig rig({QStringLiteral("--fault"), QStringLiteral("stall-frame")}, binaryPhone());
        QVERIFY(rig.ok());
        rig.composeIcq(QStringLiteral("hello"), QStringLiteral("12345"));
        bool closing = false, closed = false;
        QString boxShown;
        const Dialogs answer([&](QWidget *dialog) {
            boxShown = guitest::dialogText(dialog);
            guitest::answerAsUser(dialog);
        });
        // The user closes the window once the send waits on the phone.
        QObject::connect(rig.page, &SmsPage::statusChanged, rig.page, [&](const QString &status) {
            if (status != Waiting || closing)
                return;
            closing = true;
            QTimer::singleShot(0, rig.form.get(), [&] {
                closed = true;
                rig.form->close();
            });
        });
        rig.clickIcq();
        QVERIFY(closed);
        QVERIFY2(boxShown.isEmpty(), qPrintable(boxShown));
        // The send unwinds first (the phone's own centre goes back), then the window closes.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.form->isVisible(), 10000);
        QCOMPARE(rig.finalCentre(), OwnCentre);
        QVERIFY(!rig.form->ComPort1.isOpen());
        QCOMPARE(rig.form->link.lockedPage(), int(PhoneLink::Idle));
        QCOMPARE(rig.statuses.mid(0, 2), (QStringList{QStringLiteral("SMS -> GSM ..."), Waiting}));
        QCOMPARE(rig.statuses.mid(rig.statuses.size() - 2),
                 (QStringList{Aborted, QStringLiteral("Closing.........")}));
    }

    // The phone never enters binary mode: nothing is written to it in frames,
    // and certainly not the message.
    void binaryModeRefused_data()
    {
        QTest::addColumn<bool>("icq");
        QTest::newRow("sms") << false;
        QTest::newRow("icq") << true;
    }
    void binaryModeRefused()
    {
        QFETCH(bool, icq);
        Rig rig({QStringLiteral("--fault"), QStringLiteral("binary-silent")}, binaryPhone());
        QVERIFY(rig.ok());
        shortBinaryWait(rig);
        rig.sendHello(icq);
        QCOMPARE(rig.statuses, (QStringList{Start, Closing, Aborted}));
        QVERIFY(rig.framesIn().isEmpty());
        QVERIFY(sentMessages(rig).isEmpty());
        QVERIFY(rig.written().contains(QStringLiteral("41 54 2A 42"))); // AT*B...
        QVERIFY2(!rig.written().contains(QStringLiteral("02 ")), qPrintable(rig.written()));
        QVERIFY(rig.idle());
        QCOMPARE(rig.finalCentre(), OwnCentre);
    }

    void abortWhileEnteringBinaryMode()
    {
        Rig rig({QStringLiteral("--fault"), QStringLiteral("binary-silent")}, binaryPhone());
        QVERIFY(rig.ok());
        rig.compose(QStringLiteral("hello"), QStringLiteral("+123456789"));
        PhoneLink &link = rig.form->link;
        bool clicked = false;
        // AT*BINARY written, the link waits for binary mode.
        const guitest::TraceWatch written(rig, [&] {
            if (!clicked && link.replyTimerRunning() && link.replyTimerInterval() == link.timing().binaryAnswer) {
                clicked = true;
                QTest::mouseClick(rig.button("btnAbort"), Qt::LeftButton);
            }
        });
        rig.clickSend();
        QVERIFY(clicked);
        QCOMPARE(rig.sim->commands().last(), QStringLiteral("AT*BINARY"));
        QCOMPARE(rig.statuses, (QStringList{Start, Closing, Aborted}));
        QVERIFY(rig.framesIn().isEmpty());
        QVERIFY2(!rig.written().contains(QStringLiteral("41 07 03 02")), qPrintable(rig.written()));
        QVERIFY(rig.idle());
    }
};

QTEST_MAIN(TestSmsBinary)
#include "tst_sms_binary.moc"
