// SPDX-License-Identifier: GPL-2.0-or-later
// The binary-mode link: entering it, frame reception with its 0x06
// acknowledgement, a frame sent and its answer, and the break that leaves it.
#include "LinkTestSupport.h"

#include "link/BinaryLink.h"

#include <QElapsedTimer>
#include <QSignalSpy>
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
        BinaryLink binary(link);
        port.open();
        peer.send("left over");
        QTRY_COMPARE(port.bytesWaiting(), 9);
        // Header byte, length, body, and one byte of the next frame.
        peer.sendLater(50, QByteArray("\x16\x05" "BQ\x02\x91\x21" "\x16", 8));
        binary.takeFrame();
        QCOMPARE(link.ReplyText(), QByteArray("BQ\x02\x91\x21"));
        QVERIFY(!link.AbortRequested());
        QTRY_COMPARE(peer.received, QByteArray("\x06"));
        QCOMPARE(port.bytesWaiting(), 1);
    }

    void getCommandSplitFrame()
    {
        // A frame that arrives a few bytes at a time is put together.
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        peer.trickle(QByteArray("\x01\x04" "\x41\x25\x00\x07", 6), 20);
        binary.takeFrame();
        QCOMPARE(link.ReplyText(), QByteArray("\x41\x25\x00\x07", 4));
        QTRY_COMPARE(peer.received, QByteArray("\x06"));

        // Zero length: an empty body, still acknowledged.
        peer.sendLater(20, QByteArray("\x01\x00", 2));
        binary.takeFrame();
        QCOMPARE(link.ReplyText(), QByteArray());
        QTRY_COMPARE(peer.received, QByteArray("\x06\x06"));
    }

    void getCommandWaitsForAbortOnly()
    {
        // A phone that stops halfway holds the wait until Abort; the timer
        // running out does not end it.
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        link.startReplyTimer(100);
        peer.sendLater(20, QByteArray("\x01\x05" "BQ", 4));
        // Abort once the timer has run out, from an event of its own: a
        // wait that had ended with the timer would never see it.
        bool armed = false;
        connect(link.findChild<QTimer *>("Timer2"), &QTimer::timeout, this, [&] {
            armed = true;
            QTimer::singleShot(0, &link, &PhoneLink::requestAbort);
        });
        binary.takeFrame();
        QVERIFY(armed);
        QVERIFY(link.AbortRequested());
        QVERIFY(link.ReplyText().isEmpty()); // half a frame is no reply
        QVERIFY(!traceText().contains(" send-ahead")); // nothing acknowledged

        // Entered with the abort already set: returns, does not sit waiting.
        binary.takeFrame();
        QVERIFY(link.AbortRequested());
        // Likewise takeFrameKeepingInput with the timer already run out.
        link.stopReplyTimer();
        binary.takeFrameKeepingInput();
        QVERIFY(link.ReplyText().isEmpty());
    }

    void getCommand2KeepsInputAndTimesOut()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        // Already waiting before the call: takeFrameKeepingInput keeps it.
        peer.send(QByteArray("\x16\x03" "BQ\x00", 5));
        QTRY_COMPARE(port.bytesWaiting(), 5);
        link.startReplyTimer(3000);
        binary.takeFrameKeepingInput();
        QCOMPARE(link.ReplyText(), QByteArray("BQ\x00", 3));
        QTRY_COMPARE(peer.received, QByteArray("\x06"));
        QVERIFY(link.replyTimerRunning());

        // Half a frame and then silence: ends with the timer, reply kept.
        peer.send(QByteArray("\x16\x09" "BQ", 4));
        link.setAbortRequested(true); // not what this wait looks at
        link.startReplyTimer(300);
        QElapsedTimer t;
        t.start();
        binary.takeFrameKeepingInput();
        QVERIFY(t.elapsed() >= 300);
        QVERIFY(!link.replyTimerRunning());
        QCOMPARE(link.ReplyText(), QByteArray("BQ\x00", 3)); // the last whole frame
        QCOMPARE(peer.received, QByteArray("\x06"));
    }

    void goBinaryEntersMode()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        peer.send("noise before the command");
        QTRY_VERIFY(port.bytesWaiting() > 0);
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
        QSignalSpy written(&link, &PhoneLink::commandWritten);
        QElapsedTimer t;
        t.start();
        binary.GoBinary();
        QVERIFY(!link.AbortRequested());
        QVERIFY(!link.replyTimerRunning());
        QCOMPARE(link.ReplyText(), QByteArray("CDE"));
        QCOMPARE(acks, 2);
        QVERIFY(t.elapsed() >= 500); // the settling pause
        QVERIFY(traceText().contains(" purge in\n"));
        QCOMPARE(written.size(), 1);
        QCOMPARE(written.first().first().toByteArray(), QByteArray("AT*BINARY\r\n"));
    }

    void goBinarySilentPhoneAborts()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        peer.replyTo("AT*BINARY\r\n", "AT*BINARY\r\r\nERROR\r\n"); // too short
        QCOMPARE(link.timing().binaryAnswer, 4000);
        link.setTiming(Timing().scaled(0.1));
        QElapsedTimer t;
        t.start();
        binary.GoBinary();
        QVERIFY(link.AbortRequested());
        QVERIFY(t.elapsed() >= 400);
        QCOMPARE(peer.received, QByteArray("AT*BINARY\r\n"));
    }

    void goBinaryAbortedByUser()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        // The user aborts as soon as the request is on the line.
        connect(&link, &PhoneLink::commandWritten, &link, &PhoneLink::requestAbort);
        binary.GoBinary();
        QVERIFY(link.AbortRequested());
        QVERIFY(link.replyTimerRunning()); // the abort ended it, not the 4 s allowance
    }

    void breakIsTraced()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        QElapsedTimer t;
        t.start();
        binary.SendCommBreak();
        QVERIFY(t.elapsed() >= 300);
        const QByteArray trace = traceText();
        const int on = trace.indexOf(" break on");
        const int off = trace.indexOf(" break off");
        QVERIFY(on > 0 && off > on);
        QVERIFY(port.isOpen());
    }

    // A frame sent and the phone's answer, for each way of waiting: its
    // byte and then a frame, each part on time, late or missing.
    void requestWaitsAsAsked_data()
    {
        QTest::addColumn<int>("patience");
        QTest::addColumn<QByteArray>("stale");  // waiting before the frame goes out
        QTest::addColumn<QByteArray>("first");  // the phone's reply at once
        QTest::addColumn<QByteArray>("later");  // and 40 ms after
        QTest::addColumn<bool>("acknowledged");
        QTest::addColumn<bool>("whole");
        const QByteArray frame("\x16\x03" "BQ\x00", 5);
        QTest::newRow("within timer") << int(BinaryLink::WithinTimer) << QByteArray() << QByteArray("\x01") << frame
                                      << true << true;
        QTest::newRow("within timer, frame with the byte")
            << int(BinaryLink::WithinTimer) << QByteArray() << QByteArray("\x01") + frame << QByteArray() << true << true;
        QTest::newRow("stale input purged") << int(BinaryLink::WithinTimer) << QByteArray("old") << QByteArray("\x01")
                                            << frame << true << true;
        QTest::newRow("within timer, no frame") << int(BinaryLink::WithinTimer) << QByteArray() << QByteArray("\x01")
                                                << QByteArray() << true << false;
        QTest::newRow("within timer, silent") << int(BinaryLink::WithinTimer) << QByteArray() << QByteArray()
                                              << QByteArray() << false << false;
        QTest::newRow("byte within timer") << int(BinaryLink::AckWithinTimer) << QByteArray() << QByteArray("\x01")
                                           << frame << true << true;
        QTest::newRow("byte within timer, silent") << int(BinaryLink::AckWithinTimer) << QByteArray() << QByteArray()
                                                   << QByteArray() << false << false;
        QTest::newRow("until abort") << int(BinaryLink::UntilAbort) << QByteArray() << QByteArray("\x01") << frame
                                     << true << true;
    }
    void requestWaitsAsAsked()
    {
        QFETCH(int, patience);
        QFETCH(QByteArray, stale);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, later);
        QFETCH(bool, acknowledged);
        QFETCH(bool, whole);
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        if (!stale.isEmpty()) {
            peer.send(stale);
            QTRY_COMPARE(port.bytesWaiting(), int(stale.size()));
        }
        const QByteArray query("\x02\x02" "AQ", 4);
        peer.onData = [&](const QByteArray &) {
            if (peer.received != query)
                return;
            peer.send(first);
            if (!later.isEmpty())
                peer.sendLater(40, later);
        };
        BinaryLink::Request how{BinaryLink::Patience(patience)};
        if (!stale.isEmpty())
            how.purgingFirst();
        if (patience == BinaryLink::WithinTimer)
            how.within(300);
        else if (patience == BinaryLink::AckWithinTimer)
            link.startReplyTimer(300);
        int sent = 0;
        how.whenSent([&] {
            ++sent;
            QVERIFY(traceText().contains(" > 02 02 41 51"));
        });
        const BinaryLink::Answer answer = binary.request(query, how);
        QCOMPARE(sent, 1);
        QCOMPARE(answer.acknowledged, acknowledged);
        QCOMPARE(answer.whole, whole);
        QCOMPARE(answer.body, whole ? QByteArray("BQ\x00", 3) : QByteArray());
        QCOMPARE(link.ReplyText(), answer.body);
        // Stale input goes before the frame does; a frame awaited as
        // takeFrame awaits it drops what came with the byte.
        const QByteArray trace = traceText();
        const bool dropsWithByte = acknowledged && patience != BinaryLink::WithinTimer;
        QCOMPARE(trace.count(" purge in\n"), int(!stale.isEmpty()) + int(dropsWithByte));
        if (!stale.isEmpty())
            QVERIFY(trace.indexOf(" purge in\n") < trace.indexOf(" > 02 02 41 51"));
        if (whole)
            QTRY_COMPARE(peer.received, query + "\x06");
        else
            QVERIFY(!traceText().contains(" send-ahead"));
    }

    // Held by a request, the link refuses a second one that a handler run
    // meanwhile would start: nothing of it goes out.
    void nestedRequestIsRefused()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        BinaryLink binary(link);
        port.open();
        peer.replyTo(QByteArray("\x02\x02" "AQ", 4), QByteArray("\x01\x16\x02" "BQ", 5));
        BinaryLink::Answer nested{true, true, "x"};
        const BinaryLink::Request how = BinaryLink::Request(BinaryLink::WithinTimer).within(3000).whenSent([&] {
            QTest::ignoreMessage(QtWarningMsg, "A binary request refused: another exchange with the phone is running");
            nested = binary.request("AT\r\n", BinaryLink::Request(BinaryLink::UntilAbort));
        });
        const BinaryLink::Answer answer = binary.request(QByteArray("\x02\x02" "AQ", 4), how);
        QVERIFY(answer.whole);
        QVERIFY(!nested.acknowledged && !nested.whole && nested.body.isEmpty());
        QTRY_COMPARE(peer.received, QByteArray("\x02\x02" "AQ\x06", 5));
    }
};

QTEST_GUILESS_MAIN(TestBinary)
#include "tst_binary.moc"
