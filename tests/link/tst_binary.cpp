// The binary-mode link: entering it, frame reception with its 0x06
// acknowledgement, and the break that leaves it.
#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace linktest;

class TestBinary : public QObject {
    Q_OBJECT

    TraceFile m_trace;
    QByteArray traceText() const { return m_trace.text(); }

private slots:
    void init() { m_trace.reset(); }

    void getCommandDiscardsOldInput()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        peer.send("left over");
        QTRY_COMPARE(port.PortWaiting(), 9);
        // Header byte, length, body, and one byte of the next frame.
        peer.sendLater(50, QByteArray("\x16\x05" "BQ\x02\x91\x21" "\x16", 8));
        link.GetCommand();
        QCOMPARE(link.ReplyText(), QByteArray("BQ\x02\x91\x21"));
        QVERIFY(!link.AbortRequested());
        QTRY_COMPARE(peer.received, QByteArray("\x06"));
        QCOMPARE(port.PortWaiting(), 1);
    }

    void getCommandSplitFrame()
    {
        // A frame that arrives a few bytes at a time is put together.
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        peer.trickle(QByteArray("\x01\x04" "\x41\x25\x00\x07", 6), 20);
        link.GetCommand();
        QCOMPARE(link.ReplyText(), QByteArray("\x41\x25\x00\x07", 4));
        QTRY_COMPARE(peer.received, QByteArray("\x06"));

        // Zero length: an empty body, still acknowledged.
        peer.sendLater(20, QByteArray("\x01\x00", 2));
        link.GetCommand();
        QCOMPARE(link.ReplyText(), QByteArray());
        QTRY_COMPARE(peer.received, QByteArray("\x06\x06"));
    }

    void getCommandWaitsForAbortOnly()
    {
        // A phone that stops halfway holds the wait until Abort; the timer
        // running out does not end it.
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        link.startTimer2(100);
        peer.sendLater(20, QByteArray("\x01\x05" "BQ", 4));
        QElapsedTimer t;
        t.start();
        QTimer::singleShot(400, &link, &PhoneLink::btnAbortClick);
        link.GetCommand();
        QVERIFY(t.elapsed() >= 400);
        QVERIFY(link.AbortRequested());
        QVERIFY(link.ReplyText().isEmpty()); // half a frame is no reply
        QTest::qWait(20);
        QVERIFY(peer.received.isEmpty()); // nothing acknowledged

        // Entered with the abort already set: returns, does not sit waiting.
        link.GetCommand();
        QVERIFY(link.AbortRequested());
        // Likewise GetCommand2 with the timer already run out.
        link.stopTimer2();
        link.GetCommand2();
        QVERIFY(link.ReplyText().isEmpty());
    }

    void getCommand2KeepsInputAndTimesOut()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        // Already waiting before the call: GetCommand2 keeps it.
        peer.send(QByteArray("\x16\x03" "BQ\x00", 5));
        QTRY_COMPARE(port.PortWaiting(), 5);
        link.startTimer2(3000);
        link.GetCommand2();
        QCOMPARE(link.ReplyText(), QByteArray("BQ\x00", 3));
        QTRY_COMPARE(peer.received, QByteArray("\x06"));
        QVERIFY(link.timer2Running());

        // Half a frame and then silence: ends with the timer, reply kept.
        peer.send(QByteArray("\x16\x09" "BQ", 4));
        link.setAbortRequested(true); // not what this wait looks at
        link.startTimer2(300);
        QElapsedTimer t;
        t.start();
        link.GetCommand2();
        QVERIFY(t.elapsed() >= 300);
        QVERIFY(!link.timer2Running());
        QCOMPARE(link.ReplyText(), QByteArray("BQ\x00", 3)); // the last whole frame
        QCOMPARE(peer.received, QByteArray("\x06"));
    }

    void goBinaryEntersMode()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        peer.send("noise before the command");
        QTRY_VERIFY(port.PortWaiting() > 0);
        int acks = 0;
        peer.onData = [&](const QByteArray &chunk) {
            if (peer.received.endsWith("AT*BINARY\r\n")) {
                // Echo, result and the phone's greeting bytes: 25 and more.
                peer.send("AT*BINARY\r\r\nOK\r\n\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a");
                peer.sendLater(100, QByteArray("\x16\x02" "AB", 4));
            } else if (chunk == "\x06") {
                if (++acks == 1)
                    peer.sendLater(30, QByteArray("\x16\x03" "CDE", 5));
            }
        };
        QElapsedTimer t;
        t.start();
        link.GoBinary();
        QVERIFY(!link.AbortRequested());
        QVERIFY(!link.timer2Running());
        QCOMPARE(link.ReplyText(), QByteArray("CDE"));
        QCOMPARE(acks, 2);
        QVERIFY(t.elapsed() >= 500); // the settling pause
        QVERIFY(traceText().contains(" purge in\n"));
    }

    void goBinarySilentPhoneAborts()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        peer.replyTo("AT*BINARY\r\n", "AT*BINARY\r\r\nERROR\r\n"); // too short
        QCOMPARE(link.timing().binaryAnswer, 4000);
        link.setTiming(Timing().scaled(0.1));
        QElapsedTimer t;
        t.start();
        link.GoBinary();
        QVERIFY(link.AbortRequested());
        QVERIFY(t.elapsed() >= 400);
        QCOMPARE(peer.received, QByteArray("AT*BINARY\r\n"));
    }

    void goBinaryAbortedByUser()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        QTimer::singleShot(100, &link, &PhoneLink::btnAbortClick);
        QElapsedTimer t;
        t.start();
        link.GoBinary();
        QVERIFY(link.AbortRequested());
        QVERIFY(t.elapsed() < 4000);
    }

    void breakIsTraced()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        port.PortOpen();
        QElapsedTimer t;
        t.start();
        link.SendCommBreak();
        QVERIFY(t.elapsed() >= 300);
        const QByteArray trace = traceText();
        const int on = trace.indexOf(" break on");
        const int off = trace.indexOf(" break off");
        QVERIFY(on > 0 && off > on);
        QVERIFY(port.Connected());
    }
};

QTEST_GUILESS_MAIN(TestBinary)
#include "tst_binary.moc"
