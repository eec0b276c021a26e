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
        QCOMPARE(p->objectName(), QStringLiteral("Panel1"));
        for (const char *name : {"TextBox", "txtLeft", "chkReply", "btnClear", "ComboBox1", "ComboBox2", "btnSend",
                                 "btnICQ", "btnAbort", "btnAbort2", "btnExit", "StatusBar"})
            QVERIFY2(p->findChild<QWidget *>(QString::fromLatin1(name)), name);

        QCOMPARE(p->btnSend->text(), QStringLiteral("Send SMS"));
        QCOMPARE(p->btnSend->toolTip(), QStringLiteral("Send message as SMS"));
        QCOMPARE(p->btnICQ->text(), QStringLiteral("Send ICQ"));
        QCOMPARE(p->btnICQ->toolTip(), QStringLiteral("Send message as ICQ"));
        QCOMPARE(p->btnSend->FontColorIn(), QColor(0, 0, 128));
        QCOMPARE(p->btnSend->FontColorOut(), Black);
        QCOMPARE(p->btnICQ->FontColorIn(), QColor(0, 0, 128));
        QCOMPARE(p->btnAbort->toolTip(), QStringLiteral("Abort"));
        QCOMPARE(p->btnAbort2->toolTip(), QStringLiteral("Abort"));
        QCOMPARE(p->btnExit->toolTip(), QStringLiteral("End program"));
        QCOMPARE(p->txtLeft->toolTip(), QStringLiteral("Message maximum length is 160"));
        QCOMPARE(p->chkReply->text(), QStringLiteral("Request reply"));
        QCOMPARE(p->btnClear->text(), QStringLiteral("Clear"));

        // Each Abort button exactly beneath its send button, which covers it.
        QCOMPARE(p->btnAbort->geometry(), p->btnSend->geometry());
        QCOMPARE(p->btnAbort2->geometry(), p->btnICQ->geometry());
        QCOMPARE(p->childAt(p->btnSend->geometry().center()), static_cast<QWidget *>(p->btnSend));
        QCOMPARE(p->childAt(p->btnICQ->geometry().center()), static_cast<QWidget *>(p->btnICQ));

        // Everything inside the window's client area below the tab bar.
        const QRect area(0, 0, 329, 284 - 18);
        for (QWidget *w : p->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(area.contains(w->geometry()), qPrintable(w->objectName()));

        QCOMPARE(p->statusPanel[0]->width(), 200);
        QCOMPARE(p->statusPanel[1]->width(), 60);
        QCOMPARE(p->statusPanel[2]->width(), 60);
        for (QLabel *l : p->statusPanel)
            QCOMPARE(l->alignment(), Qt::AlignCenter);
        QCOMPARE(p->statusPanel[2]->text(), QStringLiteral("COM1"));

        QCOMPARE(p->TextBox->palette().color(QPalette::Base), Black);
        QCOMPARE(p->TextBox->palette().color(QPalette::Text), QColor(Qt::white));
        QVERIFY(p->TextBox->font().bold());
        QCOMPARE(p->ComboBox1->palette().color(QPalette::Base), Silver);
        QCOMPARE(p->ComboBox2->palette().color(QPalette::Base), Silver);
        QVERIFY(p->ComboBox1->isEditable());
        QCOMPARE(p->ComboBox1->lineEdit()->maxLength(), 39);
        QCOMPARE(p->ComboBox2->lineEdit()->maxLength(), 35);

        QSignalSpy exit(p, &SmsPage::exitRequested);
        QTest::mouseClick(p->btnExit, Qt::LeftButton);
        QCOMPARE(exit.count(), 1);
    }

    void counterAndLimit()
    {
        Rig rig;
        QVERIFY(rig.ok());
        SmsPage *p = rig.page;
        const QColor face = QApplication::palette().color(QPalette::Button);

        p->TextBox->setFocus();
        p->TextBox->clear();
        QCOMPARE(p->txtLeft->text(), QStringLiteral("0 / 160"));
        QTest::keyClicks(p->TextBox, QString(149, QLatin1Char('a')));
        QCOMPARE(p->txtLeft->text(), QStringLiteral("149 / 160"));
        QCOMPARE(p->txtLeft->palette().color(QPalette::Window), face);
        QTest::keyClick(p->TextBox, Qt::Key_B);
        QCOMPARE(p->txtLeft->text(), QStringLiteral("150 / 160"));
        QCOMPARE(p->txtLeft->palette().color(QPalette::Window), LightRed);
        QTest::keyClick(p->TextBox, Qt::Key_Backspace);
        QCOMPARE(p->txtLeft->palette().color(QPalette::Window), face);

        // Typing stops at 160.
        QTest::keyClicks(p->TextBox, QString(20, QLatin1Char('c')));
        QCOMPARE(p->TextBox->toPlainText(), QString(149, QLatin1Char('a')) + QString(11, QLatin1Char('c')));
        QCOMPARE(p->txtLeft->text(), QStringLiteral("160 / 160"));

        // A paste in the middle keeps the text around it and loses its own tail.
        p->TextBox->setPlainText(QStringLiteral("head") + QString(150, QLatin1Char('x')) + QStringLiteral("tail"));
        QCOMPARE(p->TextBox->toPlainText().size(), 158);
        QTextCursor c = p->TextBox->textCursor();
        c.setPosition(4);
        p->TextBox->setTextCursor(c);
        QApplication::clipboard()->setText(QStringLiteral("12345678"));
        p->TextBox->paste();
        QCOMPARE(p->TextBox->toPlainText(), QStringLiteral("head12") + QString(150, QLatin1Char('x')) + QStringLiteral("tail"));
        QCOMPARE(p->TextBox->textCursor().position(), 6);
        QCOMPARE(p->txtLeft->text(), QStringLiteral("160 / 160"));

        // Pasted over a selection: the selection goes, the paste is cut to fit.
        p->TextBox->selectAll();
        QApplication::clipboard()->setText(QString(300, QLatin1Char('z')));
        QTest::keySequence(p->TextBox, QKeySequence::Paste);
        QCOMPARE(p->TextBox->toPlainText(), QString(160, QLatin1Char('z')));

        // A character outside the basic plane counts once, as the phone counts it.
        p->TextBox->setPlainText(QString(158, QLatin1Char('q')));
        p->TextBox->moveCursor(QTextCursor::End);
        p->TextBox->insertPlainText(QString::fromUcs4(U"\U0001F600\U0001F600\U0001F600"));
        QCOMPARE(p->txtLeft->text(), QStringLiteral("160 / 160"));
        QCOMPARE(p->TextBox->toPlainText(), QString(158, QLatin1Char('q')) + QString::fromUcs4(U"\U0001F600\U0001F600"));

        QTest::mouseClick(p->btnClear, Qt::LeftButton);
        QCOMPARE(p->TextBox->toPlainText(), QString());
        QCOMPARE(p->txtLeft->text(), QStringLiteral("0 / 160"));
        QVERIFY(p->TextBox->hasFocus());
    }

    // Refusals flash a box red for half a second, write no status and never
    // open the port.
    void refusalsOpenNoPort_data()
    {
        QTest::addColumn<bool>("icq");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<QString>("flashed");
        QTest::newRow("empty text") << false << QString() << QStringLiteral("+123456789") << QStringLiteral("TextBox");
        QTest::newRow("one digit") << false << QStringLiteral("hi") << QStringLiteral("+1") << QStringLiteral("ComboBox1");
        QTest::newRow("two digits, one octet") << false << QStringLiteral("hi") << QStringLiteral("12") << QStringLiteral("ComboBox1");
        QTest::newRow("no ICQ number") << true << QStringLiteral("hi") << QStringLiteral("x - nobody") << QStringLiteral("ComboBox2");
        QTest::newRow("empty text, ICQ") << true << QString() << QStringLiteral("12345") << QStringLiteral("TextBox");
    }
    void refusalsOpenNoPort()
    {
        QFETCH(bool, icq);
        QFETCH(QString, text);
        QFETCH(QString, recipient);
        QFETCH(QString, flashed);
        Rig rig;
        QVERIFY(rig.ok());
        QWidget *box = rig.page->findChild<QWidget *>(flashed);
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
        QCOMPARE(rig.page->status(), QStringLiteral("before"));
        QVERIFY(rig.form->link.AbortRequested());
        QVERIFY(rig.idle());
        QVERIFY(rig.page->TextBox->hasFocus());
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
        QCOMPARE(rig.sim.commands(), QStringList{QStringLiteral("AT")});
        QVERIFY(rig.page->TextBox->hasFocus());
    }

    void noSendWhileAnotherOperationRuns()
    {
        Rig rig;
        QVERIFY(rig.ok());
        rig.compose(QStringLiteral("later"), QStringLiteral("+123456789"));
        auto op = std::make_unique<OperationGuard>(rig.form->link, Tab::Settings);
        rig.page->btnSendClick();
        rig.page->btnICQClick();
        QCOMPARE(rig.form->link.BusyPage(), 3);
        QVERIFY(rig.page->btnSend->isVisible());
        QVERIFY(rig.page->btnICQ->isVisible());
        QCOMPARE(rig.page->status(), QString());
        op.reset();
        QVERIFY(!rig.portEverOpened());
    }
};

QTEST_MAIN(TestSmsComposer)
#include "tst_sms_composer.moc"
