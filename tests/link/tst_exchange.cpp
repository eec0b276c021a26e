// SPDX-License-Identifier: GPL-2.0-or-later
// SendCommand against a scripted phone on a pseudo-terminal: every way an
// exchange can end, the reply timer, the open sequence and port failures.
#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <cerrno>

using namespace linktest;

class TestExchange : public QObject {
    Q_OBJECT

    TraceFile m_trace;
    QByteArray traceText() const { return m_trace.text(); }

private slots:
    void init() { m_trace.reset(); }

    void okKeepsWholeExchange()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.replyTo("AT+CGMI\r\n", "AT+CGMI\r\r\nERICSSON\r\n\r\nOK\r\n");
        peer.replyTo("AT+CGMM\r\n", "AT+CGMM\r\r\nT28\r\n\r\nOK\r\n");
        QSignalSpy written(&link, &PhoneLink::commandWritten);
        link.setAbortRequested(true);
        link.setCommandText("AT+CGMI\r\n");
        link.SendCommand();
        QCOMPARE(link.ReplyText(), QByteArray("AT+CGMI\r\r\nERICSSON\r\n\r\nOK\r\n"));
        QVERIFY(!link.AbortRequested());
        QVERIFY(!link.replyTimerRunning());
        QVERIFY(port.isOpen()); // the caller closes it when its work is done

        // The exchange itself: its reply in hand, the same in ReplyText, and
        // its command what CommandText shows.
        const Exchange e = link.exchange("AT+CGMM\r\n");
        QVERIFY(e.ok());
        QCOMPARE(e.reply, QByteArray("AT+CGMM\r\r\nT28\r\n\r\nOK\r\n"));
        QCOMPARE(link.ReplyText(), e.reply);
        QCOMPARE(link.CommandText(), QByteArray("AT+CGMM\r\n"));
        QCOMPARE(peer.received, QByteArray("AT+CGMI\r\nAT+CGMM\r\n"));
        QCOMPARE(written.size(), 2);
        QCOMPARE(written.at(0).first().toByteArray(), QByteArray("AT+CGMI\r\n"));
        QCOMPARE(written.at(1).first().toByteArray(), QByteArray("AT+CGMM\r\n"));
    }

    void errorEmptiesReply()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.replyTo("AT+CPBR=300\r\n", "AT+CPBR=300\r\r\nERROR\r\nOK\r\n");
        link.setCommandText("AT+CPBR=300\r\n");
        link.SendCommand();
        QVERIFY(link.ReplyText().isEmpty());
        QVERIFY(!link.AbortRequested());
        QVERIFY(!link.replyTimerRunning());
        QCOMPARE(link.lastStatus(), Exchange::Error); // ended by the result, not by silence
        // The test is made after every byte: what followed ERROR is unread.
        QCOMPARE(port.bytesWaiting(), 4);
    }

    void silenceTimesOut()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        sendRunsOutOfTime(link, "AT+CPIN?\r\n");
        QCOMPARE(link.lastStatus(), Exchange::Timeout);
        QVERIFY(!link.replyTimerRunning());
    }

    void finalResultEndsAtOnce_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("status");
        QTest::newRow("ok") << QByteArray("AT+CPIN?\r\r\n+CPIN: READY\r\n\r\nOK\r\n") << int(Exchange::Ok);
        QTest::newRow("error") << QByteArray("AT+CPIN?\r\r\nERROR\r\n") << int(Exchange::Error);
        QTest::newRow("cme error") << QByteArray("AT+CPIN?\r\r\n+CME ERROR: 10\r\n") << int(Exchange::CmeError);
        QTest::newRow("cms error") << QByteArray("AT+CPIN?\r\r\n+CMS ERROR: 500\r\n") << int(Exchange::CmeError);
        QTest::newRow("cme error in words") << QByteArray("AT+CPIN?\r\r\n+CME ERROR: SIM not inserted\r\n")
                                            << int(Exchange::CmeError);
    }
    void finalResultEndsAtOnce()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, status);
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.replyTo("AT+CPIN?\r\n", reply);
        // Even a network command ends on its final line, not after 15 s:
        // the status would say Timeout.
        const Exchange result = link.exchange("AT+CPIN?\r\n", Wait::Network);
        QCOMPARE(int(result.status), status);
        QCOMPARE(int(link.lastStatus()), status);
        QCOMPARE(result.reply, reply); // the phone's words stay readable
        QCOMPARE(link.ReplyText(), status == Exchange::Ok ? reply : QByteArray());
        QCOMPARE(result.answer(), link.ReplyText());
        QVERIFY(!link.AbortRequested());
        QVERIFY(!link.replyTimerRunning());
    }

    void okInsideDataEndsEarly()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.replyTo("AT+CPBR=1\r\n", "AT+CPBR=1\r\r\n+CPBR: 1,\"555\",129,\"TOOK\r\n\r\nOK\r\n");
        link.setCommandText("AT+CPBR=1\r\n");
        link.SendCommand();
        QCOMPARE(link.ReplyText(), QByteArray("AT+CPBR=1\r\r\n+CPBR: 1,\"555\",129,\"TOOK\r\n"));
        QCOMPARE(port.read(100), QByteArray("\r\nOK\r\n"));
    }

    void trickleKeepsExchangeAlive()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        link.setTiming(Timing().scaled(0.2));
        const int quiet = link.timing().reply;
        peer.onData = [&](const QByteArray &) {
            // Twice the time-out in all, never that long quiet.
            if (peer.received == "AT\r\n")
                peer.trickle("AT\r\r\nOK\r\n", quiet / 5);
        };
        link.setCommandText("AT\r\n");
        QElapsedTimer t;
        t.start();
        link.SendCommand();
        QCOMPARE(link.ReplyText(), QByteArray("AT\r\r\nOK\r\n"));
        QVERIFY(t.elapsed() > quiet);
    }

    void abortLeavesTimerRunning()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        int aborts = 0;
        connect(&link, &PhoneLink::abortRequested, this, [&] { ++aborts; });
        peer.onData = [&](const QByteArray &) {
            peer.send("AT+CPBR=1,250\r\r\n+CPBR: 1,\"1\",129,\"A\"\r\n");
            QTimer::singleShot(100, &link, &PhoneLink::requestAbort); // the user presses Abort
        };
        link.setCommandText("AT+CPBR=1,250\r\n");
        link.SendCommand();
        QVERIFY(link.ReplyText().isEmpty());
        QVERIFY(link.AbortRequested());
        QCOMPARE(aborts, 1);
        QVERIFY(link.replyTimerRunning());

        // The next exchange stops the timer first and clears the flag.
        peer.onData = {};
        peer.replyTo("AT\r\n", "AT\r\r\nOK\r\n");
        link.setCommandText("AT\r\n");
        port.purge(true, false);
        link.SendCommand();
        QVERIFY(!link.AbortRequested());
        QVERIFY(link.ReplyText().endsWith("OK\r\n"));
    }

    void replyInterval()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        int seen = 0;
        // The phone looks at the timer while the exchange runs, then answers.
        bool network = false, longWait = false;
        peer.onData = [&](const QByteArray &) {
            seen = link.replyTimerInterval();
            network = link.NetworkWait();
            longWait = link.LongReplyWait();
            peer.send("OK\r\n");
        };
        struct Case {
            Wait wait;
            int interval;
            bool network, longWait;
        };
        const Case cases[] = {{Wait::Normal, 1500, false, false},
                              {Wait::Network, 15000, true, false},
                              {Wait::Long, 45000, false, true}};
        for (const Case &c : cases) {
            QCOMPARE(link.replyInterval(c.wait), c.interval);
            seen = 0;
            link.setCommandText("AT+CCFC=0,2\r\n");
            link.SendCommand(c.wait);
            QCOMPARE(seen, c.interval);
            QCOMPARE(network, c.network);
            QCOMPARE(longWait, c.longWait);
            QCOMPARE(link.ReplyText(), QByteArray("OK\r\n"));
            // The allowance lasts one exchange.
            QVERIFY(!link.NetworkWait() && !link.LongReplyWait());
        }
        // A scaled timing scales every allowance.
        link.setTiming(Timing().scaled(0.1));
        QCOMPARE(link.replyInterval(Wait::Normal), 150);
        QCOMPARE(link.replyInterval(Wait::Long), 4500);
    }

    void openSequenceOnlyOnFirstOpen()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.onData = [&](const QByteArray &chunk) { peer.send(chunk + "OK\r\n"); };
        link.setCommandText("AT\r\n");
        link.SendCommand();
        link.SendCommand();
        QCOMPARE(link.ReplyText(), QByteArray("AT\r\nOK\r\n"));
        QByteArray trace = traceText();
        QCOMPARE(trace.count(" open "), 1);
        QCOMPARE(trace.count(" purge in out"), 1);
        QCOMPARE(trace.count(" dtr 1"), 1);
        // Open, purge and DTR come before the first byte goes out.
        QVERIFY(trace.indexOf(" dtr 1") < trace.indexOf(" > 41 54"));
        QVERIFY(trace.indexOf(" purge in out") < trace.indexOf(" dtr 1"));

        port.close();
        link.SendCommand();
        trace = traceText();
        QCOMPARE(trace.count(" open "), 2);
        QCOMPARE(trace.count(" purge in out"), 2);
        QCOMPARE(trace.count(" dtr 1"), 2);
    }

    void openFailureCallsHook_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("missing device") << false;
        QTest::newRow("held by another opener") << true;
    }
    void openFailureCallsHook()
    {
        QFETCH(bool, held);
        PtyPeer peer;
        SerialPort other;
        if (held) {
            peer.useAsCom(1);
            other.open();
        } else {
            qputenv("MIRVAK_COM1", "/dev/mirvak-no-such-device");
        }
        SerialPort port;
        PhoneLink link(port);
        QStringList shown;
        link.setOpenFailureHandler([&](const PortError &e) {
            QCOMPARE(e.code(), ComErrorCode::Open);
            shown << e.reason();
        });
        QSignalSpy written(&link, &PhoneLink::commandWritten);
        link.setCommandText("AT\r\n");
        link.SendCommand();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().endsWith(held ? "in use by another program" : "no such device"), qPrintable(shown.first()));
        QVERIFY(link.AbortRequested());
        QVERIFY(link.ReplyText().isEmpty());
        QVERIFY(!port.isOpen());
        QCOMPARE(link.lastStatus(), Exchange::PortFailed);
        QCOMPARE(written.size(), 0); // nothing written
        QVERIFY(!traceText().contains(" > "));

        // Sending again shows it again; an unset hook is no crash; opening
        // silently tells nobody.
        link.SendCommand();
        QCOMPARE(shown.size(), 2);
        QVERIFY(!link.openSilently());
        QCOMPARE(shown.size(), 2);
        QVERIFY(!port.isOpen());
        link.setOpenFailureHandler(nullptr);
        link.SendCommand();
        QVERIFY(link.AbortRequested());
    }

    void vanishingDeviceEndsOperation()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.onData = [&](const QByteArray &) {
            peer.send("AT+CPBR=1,250\r\r\n+CPBR: 1,\"12");
            QTimer::singleShot(100, &peer, &PtyPeer::closeMaster); // cable pulled
        };
        QStringList shown;
        link.setPortFailureHandler([&](const PortError &e) { shown << e.message(); });
        bool reachedEnd = false;
        link.runGuarded([&] {
            link.setCommandText("AT+CPBR=1,250\r\n");
            link.SendCommand(Wait::Network);
            reachedEnd = true;
        });
        QVERIFY(!reachedEnd); // the failure, not the time-out, ended it
        QCOMPARE(shown, QStringList{QStringLiteral("ClearCommError function failed (win error code: %1)").arg(EIO)});
        QVERIFY(!port.isOpen());
        QVERIFY(!link.replyTimerRunning());
        QVERIFY(!link.NetworkWait());
        QVERIFY(link.AbortRequested());

        // Without a hook the failure is only logged.
        link.setPortFailureHandler(nullptr);
        QTest::ignoreMessage(QtWarningMsg, "WriteFile function failed (win error code: 9)");
        link.runGuarded([&] { port.write("AT\r\n"); });
    }

    void nestedExchangeIsRefused()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        bool nestedRan = false;
        peer.onData = [&](const QByteArray &) {
            if (nestedRan)
                return;
            nestedRan = true;
            // A click handled while the first exchange waits.
            QTest::ignoreMessage(QtWarningMsg, "SendCommand refused: another exchange with the phone is running");
            const QByteArray before = link.CommandText();
            link.setCommandText("AT+CKPD=\"c\"\r\n");
            link.SendCommand();
            link.setCommandText(before);
            peer.send("AT\r\r\nOK\r\n");
        };
        link.setCommandText("AT\r\n");
        link.SendCommand();
        QVERIFY(nestedRan);
        QCOMPARE(link.ReplyText(), QByteArray("AT\r\r\nOK\r\n"));
        QCOMPARE(peer.received, QByteArray("AT\r\n"));
    }

    void operationGuardLocksOnlyWhereAsked()
    {
        SerialPort port;
        PhoneLink link(port);
        QSignalSpy changed(&link, &PhoneLink::operationChanged);
        // The link takes a page id as an opaque number.
        constexpr int Books = 1, Other = 3;
        {
            const OperationGuard op(link, Books);
            QVERIFY(op.started());
            QVERIFY(link.operationRunning());
            QCOMPARE(link.lockedPage(), Books);
            // A second operation is refused and leaves the first one's lock.
            const OperationGuard second(link, Other);
            QVERIFY(!second);
            QCOMPARE(link.lockedPage(), Books);
        }
        QVERIFY(!link.operationRunning());
        QCOMPARE(link.lockedPage(), PhoneLink::Idle);
        // Told once as it starts and once as it ends; the refused one is
        // not told at all.
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0), (QVariantList{true, Books}));
        QCOMPARE(changed.at(1), (QVariantList{false, PhoneLink::Idle}));

        // An operation that does not lock the tabs still refuses a second one.
        try {
            const OperationGuard op(link, std::nullopt);
            QCOMPARE(link.lockedPage(), PhoneLink::Idle);
            QVERIFY(!OperationGuard(link, Other));
            link.requestAbort();
            throw std::runtime_error("port failed");
        } catch (const std::runtime_error &) {
        }
        QVERIFY(!link.operationRunning());
        QCOMPARE(changed.size(), 4); // ended by the throw, and told so
        QCOMPARE(changed.last(), (QVariantList{false, PhoneLink::Idle}));
        QVERIFY(link.AbortRequested()); // the abort outlives the operation for its caller to see
    }

    void sleepHoldsWithoutInput()
    {
        SerialPort port;
        PhoneLink link(port);
        bool fired = false;
        QTimer::singleShot(50, this, [&] { fired = true; });
        QElapsedTimer t;
        t.start();
        link.sleep(200);
        QVERIFY(t.elapsed() >= 200);
        QVERIFY(fired); // timers (and repaints) still run
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
#include "gui/common/Tab.h"
