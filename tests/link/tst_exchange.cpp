// SendCommand against a scripted phone on a pseudo-terminal: every way an
// exchange can end, the reply timer, the open sequence and port failures.
#include "LinkTestSupport.h"

#include <QElapsedTimer>
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
        link.ReplyText = "stale";
        link.AbortRequested = true;
        link.CommandText = "AT+CGMI\r\n";
        link.SendCommand();
        QCOMPARE(link.ReplyText, QByteArray("AT+CGMI\r\r\nERICSSON\r\n\r\nOK\r\n"));
        QVERIFY(!link.AbortRequested);
        QVERIFY(!link.Timer2.isActive());
        QVERIFY(port.Connected()); // the caller closes it when its work is done
        QCOMPARE(peer.received, QByteArray("AT+CGMI\r\n"));
    }

    void errorEmptiesReply()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.replyTo("AT+CPBR=300\r\n", "AT+CPBR=300\r\r\nERROR\r\nOK\r\n");
        link.CommandText = "AT+CPBR=300\r\n";
        QElapsedTimer t;
        t.start();
        link.SendCommand();
        QVERIFY(link.ReplyText.isEmpty());
        QVERIFY(!link.AbortRequested);
        QVERIFY(!link.Timer2.isActive());
        QVERIFY(t.elapsed() < 1500); // ended by the result, not by silence
        // The test is made after every byte: what followed ERROR is unread.
        QCOMPARE(port.PortWaiting(), 4);
    }

    void silenceAndExtendedErrorTimeOut_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("silent phone") << QByteArray();
        QTest::newRow("extended error") << QByteArray("AT+CPIN?\r\r\n+CME ERROR: 10\r\n");
    }
    void silenceAndExtendedErrorTimeOut()
    {
        QFETCH(QByteArray, reply);
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        if (!reply.isEmpty())
            peer.replyTo("AT+CPIN?\r\n", reply);
        sendRunsOutOfTime(link, "AT+CPIN?\r\n");
        QVERIFY(!link.Timer2.isActive());
    }

    void okInsideDataEndsEarly()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.replyTo("AT+CPBR=1\r\n", "AT+CPBR=1\r\r\n+CPBR: 1,\"555\",129,\"TOOK\r\n\r\nOK\r\n");
        link.CommandText = "AT+CPBR=1\r\n";
        link.SendCommand();
        QCOMPARE(link.ReplyText, QByteArray("AT+CPBR=1\r\r\n+CPBR: 1,\"555\",129,\"TOOK\r\n"));
        QCOMPARE(port.PortRead(100), QByteArray("\r\nOK\r\n"));
    }

    void trickleKeepsExchangeAlive()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.onData = [&](const QByteArray &) {
            if (peer.received == "AT\r\n")
                peer.trickle("AT\r\r\nOK\r\n", 300); // 3 s in all, never 1.5 s quiet
        };
        link.CommandText = "AT\r\n";
        QElapsedTimer t;
        t.start();
        link.SendCommand();
        QCOMPARE(link.ReplyText, QByteArray("AT\r\r\nOK\r\n"));
        QVERIFY(t.elapsed() > 1500);
    }

    void abortLeavesTimerRunning()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        int aborts = 0;
        connect(&link, &PhoneLink::abortRequested, this, [&] { ++aborts; });
        peer.onData = [&](const QByteArray &) {
            peer.send("AT+CPBR=1,250\r\r\n+CPBR: 1,\"1\",129,\"A\"\r\n");
            QTimer::singleShot(100, &link, &PhoneLink::btnAbortClick); // the user presses Abort
        };
        link.CommandText = "AT+CPBR=1,250\r\n";
        link.SendCommand();
        QVERIFY(link.ReplyText.isEmpty());
        QVERIFY(link.AbortRequested);
        QCOMPARE(aborts, 1);
        QVERIFY(link.Timer2.isActive());

        // The next exchange stops the timer first and clears the flag.
        peer.onData = {};
        peer.replyTo("AT\r\n", "AT\r\r\nOK\r\n");
        link.CommandText = "AT\r\n";
        port.PortPurge(true, false);
        link.SendCommand();
        QVERIFY(!link.AbortRequested);
        QVERIFY(link.ReplyText.endsWith("OK\r\n"));
    }

    void replyInterval()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        int seen = 0;
        // The phone looks at the timer while the exchange runs, then answers.
        peer.onData = [&](const QByteArray &) {
            seen = link.Timer2.interval();
            peer.send("OK\r\n");
        };
        struct Case {
            bool network, longWait;
            int interval;
        };
        const Case cases[] = {{false, false, 1500}, {true, false, 15000}, {false, true, 45000}, {true, true, 45000}};
        for (const Case &c : cases) {
            link.NetworkWait = c.network;
            link.LongReplyWait = c.longWait;
            QCOMPARE(link.replyInterval(), c.interval);
            seen = 0;
            link.CommandText = "AT+CCFC=0,2\r\n";
            link.SendCommand();
            QCOMPARE(seen, c.interval);
            QCOMPARE(link.ReplyText, QByteArray("OK\r\n"));
        }
    }

    void openSequenceOnlyOnFirstOpen()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        peer.onData = [&](const QByteArray &chunk) { peer.send(chunk + "OK\r\n"); };
        link.CommandText = "AT\r\n";
        link.SendCommand();
        link.SendCommand();
        QCOMPARE(link.ReplyText, QByteArray("AT\r\nOK\r\n"));
        QByteArray trace = traceText();
        QCOMPARE(trace.count(" open "), 1);
        QCOMPARE(trace.count(" purge in out"), 1);
        QCOMPARE(trace.count(" dtr 1"), 1);
        // Open, purge and DTR come before the first byte goes out.
        QVERIFY(trace.indexOf(" dtr 1") < trace.indexOf(" > 41 54"));
        QVERIFY(trace.indexOf(" purge in out") < trace.indexOf(" dtr 1"));

        port.PortClose();
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
        TComPort other;
        if (held) {
            peer.useAsCom(1);
            other.PortOpen();
        } else {
            qputenv("MIRVAK_COM1", "/dev/mirvak-no-such-device");
        }
        TComPort port;
        PhoneLink link(port);
        QStringList shown;
        link.showOpenFailure = [&](const EComPort &e) {
            QCOMPARE(e.code(), ComErrorCode::Open);
            shown << e.reason();
        };
        link.CommandText = "AT\r\n";
        link.ReplyText = "stale";
        link.SendCommand();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().endsWith(held ? "in use by another program" : "no such device"), qPrintable(shown.first()));
        QVERIFY(link.AbortRequested);
        QVERIFY(link.ReplyText.isEmpty());
        QVERIFY(!port.Connected());
        QTest::qWait(50);
        QVERIFY(peer.received.isEmpty()); // nothing written

        // Sending again shows it again; an unset hook is no crash.
        link.SendCommand();
        QCOMPARE(shown.size(), 2);
        link.showOpenFailure = {};
        link.SendCommand();
        QVERIFY(link.AbortRequested);
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
        link.showPortFailure = [&](const EComPort &e) { shown << e.message(); };
        link.NetworkWait = true;
        bool reachedEnd = false;
        QElapsedTimer t;
        t.start();
        link.runGuarded([&] {
            link.CommandText = "AT+CPBR=1,250\r\n";
            link.SendCommand();
            reachedEnd = true;
        });
        QVERIFY(!reachedEnd);
        QVERIFY(t.elapsed() < 15000); // the failure, not the time-out, ended it
        QCOMPARE(shown, QStringList{QStringLiteral("ClearCommError function failed (win error code: %1)").arg(EIO)});
        QVERIFY(!port.Connected());
        QVERIFY(!link.Timer2.isActive());
        QVERIFY(!link.NetworkWait);
        QVERIFY(link.AbortRequested);

        // Without a hook the failure is only logged.
        link.showPortFailure = {};
        QTest::ignoreMessage(QtWarningMsg, "WriteFile function failed (win error code: 9)");
        link.runGuarded([&] { port.PortWrite("AT\r\n"); });
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
            const QByteArray before = link.CommandText;
            link.CommandText = "AT+CKPD=\"c\"\r\n";
            link.SendCommand();
            link.CommandText = before;
            peer.send("AT\r\r\nOK\r\n");
        };
        link.CommandText = "AT\r\n";
        link.SendCommand();
        QVERIFY(nestedRan);
        QCOMPARE(link.ReplyText, QByteArray("AT\r\r\nOK\r\n"));
        QCOMPARE(peer.received, QByteArray("AT\r\n"));
    }

    void sleepHoldsWithoutInput()
    {
        TComPort port;
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
