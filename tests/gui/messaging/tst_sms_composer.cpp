// SPDX-License-Identifier: GPL-2.0-or-later
// The SMS page as the user meets it before anything reaches the phone: the
// controls, the counter, the length limit, the refusals that open no port,
// and a phone that does not answer.
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>

#include "SmsTestSupport.h"

using namespace smstest;

class TestSmsComposer : public QObject {
    Q_OBJECT

private slots:
    void controlsAndLayout()
    {
        Rig rig;
        QVERIFY(rig.ok());
        SmsPage *p = rig.page;
        auto *send = rig.find<HoverButton>(QStringLiteral("btnSend"));
        auto *icq = rig.find<HoverButton>(QStringLiteral("btnICQ"));
        QVERIFY(send && icq);
        for (const char *name : {"txtLeft", "StatusBar"})
            QVERIFY2(p->findChild<QWidget *>(QString::fromLatin1(name)), name);
        for (const QString &name : Controls)
            QVERIFY2(p->isAncestorOf(rig.find(name)), qPrintable(name));

        QCOMPARE(send->text(), QStringLiteral("Send SMS"));
        QCOMPARE(send->toolTip(), QStringLiteral("Send message as SMS"));
        QCOMPARE(icq->text(), QStringLiteral("Send ICQ"));
        QCOMPARE(icq->toolTip(), QStringLiteral("Send message as ICQ"));
        QCOMPARE(send->FontColorIn(), QColor(0, 0, 128));
        QCOMPARE(send->FontColorOut(), Black);
        QCOMPARE(icq->FontColorIn(), QColor(0, 0, 128));
        QCOMPARE(rig.button("btnAbort")->toolTip(), QStringLiteral("Abort"));
        QCOMPARE(rig.button("btnAbort2")->toolTip(), QStringLiteral("Abort"));
        QCOMPARE(rig.button("btnExit")->toolTip(), QStringLiteral("End program"));
        auto *left = rig.find<QLabel>(QStringLiteral("txtLeft"));
        QCOMPARE(left->toolTip(), QStringLiteral("Message maximum length is 160"));
        auto *reply = rig.find<QCheckBox>(QStringLiteral("chkReply"));
        QCOMPARE(reply->text(), QStringLiteral("Request reply"));
        // The wider counter leaves the caption room.
        QVERIFY(reply->sizeHint().width() <= reply->width());
        QCOMPARE(rig.button("btnClear")->text(), QStringLiteral("Clear"));

        // Each Abort button exactly beneath its send button, which covers it.
        QCOMPARE(rig.button("btnAbort")->geometry(), send->geometry());
        QCOMPARE(rig.button("btnAbort2")->geometry(), icq->geometry());
        QCOMPARE(p->childAt(send->geometry().center()), static_cast<QWidget *>(send));
        QCOMPARE(p->childAt(icq->geometry().center()), static_cast<QWidget *>(icq));

        // Everything inside the window's client area below the tab bar.
        const QRect area(0, 0, 329, 284 - 18);
        for (QWidget *w : p->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(area.contains(w->geometry()), qPrintable(w->objectName()));

        const int widths[] = {200, 60, 60};
        for (int i = 0; i < 3; ++i) {
            auto *panel = rig.find<QLabel>(QStringLiteral("statusPanel%1").arg(i));
            QCOMPARE(panel->width(), widths[i]);
            QCOMPARE(panel->alignment(), Qt::AlignCenter);
        }
        QCOMPARE(rig.find<QLabel>(QStringLiteral("statusPanel2"))->text(), QStringLiteral("COM1"));

        QPlainTextEdit *text = rig.text();
        QCOMPARE(text->palette().color(QPalette::Base), Black);
        QCOMPARE(text->palette().color(QPalette::Text), QColor(Qt::white));
        QVERIFY(text->font().bold());
        QCOMPARE(rig.combo("ComboBox1")->palette().color(QPalette::Base), Silver);
        QCOMPARE(rig.combo("ComboBox2")->palette().color(QPalette::Base), Silver);
        QVERIFY(rig.combo("ComboBox1")->isEditable());
        QCOMPARE(rig.combo("ComboBox1")->lineEdit()->maxLength(), 39);
        QCOMPARE(rig.combo("ComboBox2")->lineEdit()->maxLength(), 35);

        QSignalSpy exit(p, &SmsPage::exitRequested);
        QTest::mouseClick(rig.button("btnExit"), Qt::LeftButton);
        QCOMPARE(exit.count(), 1);
    }

    void counterAndLimit()
    {
        Rig rig;
        QVERIFY(rig.ok());
        QPlainTextEdit *text = rig.text();
        auto *left = rig.find<QLabel>(QStringLiteral("txtLeft"));
        const QColor face = QApplication::palette().color(QPalette::Button);

        text->setFocus();
        text->clear();
        QCOMPARE(left->text(), QStringLiteral("0 / 160"));
        QTest::keyClicks(text, QString(149, QLatin1Char('a')));
        QCOMPARE(left->text(), QStringLiteral("149 / 160"));
        QCOMPARE(left->palette().color(QPalette::Window), face);
        QTest::keyClick(text, Qt::Key_B);
        QCOMPARE(left->text(), QStringLiteral("150 / 160"));
        QCOMPARE(left->palette().color(QPalette::Window), LightRed);
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(left->palette().color(QPalette::Window), face);

        // Beyond one message the parts show; an extension character counts two.
        QTest::keyClicks(text, QStringLiteral("cc"));
        text->insertPlainText(QStringLiteral("€"));
        QCOMPARE(left->text(), QStringLiteral("153 / 160"));
        QTest::keyClicks(text, QString(10, QLatin1Char('c')));
        QCOMPARE(left->text(), QStringLiteral("163 / 306 (2 SMS)"));
        QCOMPARE(left->palette().color(QPalette::Window), face);

        // Counted in UCS-2 once a character is in neither GSM table.
        const QString counts[][2] = {
            {QStringLiteral("Привет"), QStringLiteral("6 / 70 (Unicode)")},
            {QStringLiteral("Ж").repeated(80), QStringLiteral("80 / 134 (2 SMS, Unicode)")},
            {QStringLiteral("Ж").repeated(402), QStringLiteral("402 / 402 (6 SMS, Unicode)")},
            {QString(918, QLatin1Char('x')), QStringLiteral("918 / 918 (6 SMS)")},
        };
        for (const auto &[typed, shown] : counts) {
            text->setPlainText(typed);
            QCOMPARE(left->text(), shown);
            // The widest forms still fit their label.
            QVERIFY2(left->fontMetrics().horizontalAdvance(shown) <= left->contentsRect().width(), qPrintable(shown));
        }

        // Typing stops at six parts.
        text->moveCursor(QTextCursor::End);
        QTest::keyClicks(text, QStringLiteral("cc"));
        QCOMPARE(text->toPlainText(), QString(918, QLatin1Char('x')));

        // A paste in the middle keeps the text around it and loses its own tail.
        text->setPlainText(QStringLiteral("head") + QString(908, QLatin1Char('x')) + QStringLiteral("tail"));
        QTextCursor c = text->textCursor();
        c.setPosition(4);
        text->setTextCursor(c);
        QApplication::clipboard()->setText(QStringLiteral("12345678"));
        text->paste();
        QCOMPARE(text->toPlainText(), QStringLiteral("head12") + QString(908, QLatin1Char('x')) + QStringLiteral("tail"));
        QCOMPARE(text->textCursor().position(), 6);

        // Pasted over a selection: the selection goes, the paste is cut to fit.
        text->selectAll();
        QApplication::clipboard()->setText(QString(3000, QLatin1Char('z')));
        QTest::keySequence(text, QKeySequence::Paste);
        QCOMPARE(text->toPlainText(), QString(918, QLatin1Char('z')));

        // An emoji makes the text UCS-2, where it takes two units: what no
        // longer fits goes, never half an emoji.
        const QString smile = QString::fromUcs4(U"\U0001F600");
        text->setPlainText(QString(400, QLatin1Char('q')));
        text->moveCursor(QTextCursor::End);
        text->insertPlainText(smile.repeated(3));
        QCOMPARE(text->toPlainText(), QString(400, QLatin1Char('q')) + smile);
        QCOMPARE(left->text(), QStringLiteral("402 / 402 (6 SMS, Unicode)"));

        QTest::mouseClick(rig.button("btnClear"), Qt::LeftButton);
        QCOMPARE(text->toPlainText(), QString());
        QCOMPARE(left->text(), QStringLiteral("0 / 160"));
        QVERIFY(text->hasFocus());
    }

    // Refusals flash a box red for half a second, write no status and never
    // open the port.
    void refusalsOpenNoPort_data()
    {
        QTest::addColumn<bool>("icq");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("flashed");
        QTest::addColumn<QString>("status");
        const QString before = QStringLiteral("before");
        QTest::newRow("empty text") << false << QString() << QStringLiteral("+123456789") << QStringLiteral("TextBox") << before;
        QTest::newRow("one digit") << false << QStringLiteral("hi") << QStringLiteral("+1") << QStringLiteral("ComboBox1") << before;
        QTest::newRow("two digits, one octet") << false << QStringLiteral("hi") << QStringLiteral("12") << QStringLiteral("ComboBox1") << before;
        QTest::newRow("no ICQ number") << true << QStringLiteral("hi") << QStringLiteral("x - nobody") << QStringLiteral("ComboBox2") << before;
        QTest::newRow("empty text, ICQ") << true << QString() << QStringLiteral("12345") << QStringLiteral("TextBox") << before;
        // The gateway takes one message.
        QTest::newRow("ICQ beyond one message") << true << QString(161, QLatin1Char('i')) << QStringLiteral("12345")
                                                << QStringLiteral("TextBox") << QStringLiteral("Too long for ICQ: 161 / 160");
    }
    void refusalsOpenNoPort()
    {
        QFETCH(bool, icq);
        QFETCH(QString, text);
        QFETCH(QString, recipient);
        QFETCH(QString, flashed);
        QFETCH(QString, status);
        Rig rig;
        QVERIFY(rig.ok());
        QWidget *box = rig.find(flashed);
        QVERIFY(box);
        ColourLog colours(box, QPalette::Base);
        rig.page->setStatus(QStringLiteral("before"));
        if (icq) {
            rig.composeIcq(text, recipient);
            rig.clickIcq();
        } else {
            rig.compose(text, recipient);
            rig.clickSend();
        }
        const QColor rest = flashed == QLatin1String("TextBox") ? Black : Silver;
        QCOMPARE(colours.seen, (QList<QColor>{Red, rest}));
        QCOMPARE(rig.status(), status);
        QVERIFY(rig.form->link.AbortRequested());
        QVERIFY(rig.idle());
        QVERIFY(rig.text()->hasFocus());
        QVERIFY(!rig.portEverOpened());
    }

    void phoneSwitchedOff()
    {
        Rig rig({}, QJsonObject{{QStringLiteral("poweredOff"), true}});
        QVERIFY(rig.ok());
        rig.compose(QStringLiteral("anyone there?"), QStringLiteral("+123456789"));
        rig.clickSend();
        QCOMPARE(rig.statuses, (QStringList{QStringLiteral("SMS -> GSM ..."), QStringLiteral("Phone not found on COM1")}));
        QVERIFY(rig.portEverOpened());
        QVERIFY(rig.idle());
        QCOMPARE(rig.sim->commands(), QStringList{QStringLiteral("AT")});
        QVERIFY(rig.text()->hasFocus());
    }

    void noSendWhileAnotherOperationRuns()
    {
        Rig rig;
        QVERIFY(rig.ok());
        rig.compose(QStringLiteral("later"), QStringLiteral("+123456789"));
        auto op = std::make_unique<OperationGuard>(rig.form->link, Tab::Settings);
        rig.clickSend();
        rig.clickIcq();
        QCOMPARE(rig.form->link.lockedPage(), 3);
        QVERIFY(rig.button("btnSend")->isVisible());
        QVERIFY(rig.button("btnICQ")->isVisible());
        QCOMPARE(rig.status(), QString());
        op.reset();
        QVERIFY(!rig.portEverOpened());
    }
};

QTEST_MAIN(TestSmsComposer)
#include "tst_sms_composer.moc"
#include "gui/common/Tab.h"
