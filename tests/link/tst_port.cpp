// SPDX-License-Identifier: GPL-2.0-or-later
// The serial port object on a real pseudo-terminal: names, opening, the
// exclusive hold, reads and counts, failures and their messages.
#include "link/port/LinkTrace.h"
#include "link/port/PortMap.h"
#include "core/port/PortName.h"
#include "LinkTestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QtTest>

#include <cerrno>

using namespace linktest;

class TestPort : public QObject {
    Q_OBJECT

    TraceFile m_trace;
    QByteArray traceText() const { return m_trace.text(); }

private slots:
    void init() { m_trace.reset(); }

    void nameNormalisation_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");
        QTest::newRow("lower case") << "com7" << "COM7";
        QTest::newRow("mixed case") << "cOm3" << "COM3";
        QTest::newRow("bare number") << "5" << "COM5";
        QTest::newRow("sixteen") << "COM16" << "COM16";
        QTest::newRow("seventeen") << "COM17" << "COM1";
        QTest::newRow("zero") << "COM0" << "COM1";
        QTest::newRow("letters") << "COMX" << "COM1";
        QTest::newRow("other word") << "modem" << "COM1";
        QTest::newRow("empty") << "" << "COM1";
        QTest::newRow("negative") << "COM-2" << "COM1";
    }
    void nameNormalisation()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        QCOMPARE(normalisePortName(given), stored);
        TComPort port;
        port.setPort(given);
        QCOMPARE(port.Port(), stored);
    }

    void bookNumber()
    {
        QCOMPARE(portNumberForBook("COM2"), 2);
        QCOMPARE(portNumberForBook("COM8"), 8);
        QCOMPARE(portNumberForBook("COM1"), 1);
        QCOMPARE(portNumberForBook("COM9"), 1);
        QCOMPARE(portNumberForBook("COM16"), 1);
    }

    void messagesCarryTextAndErrno()
    {
        const EComPort e(ComErrorCode::ClearCommError, EIO, "/dev/ttyUSB0");
        QCOMPARE(e.message(), QStringLiteral("ClearCommError function failed (win error code: %1)").arg(EIO));
        QCOMPARE(EComPort(ComErrorCode::Open, EACCES, "/dev/ttyUSB0").reason(),
                 QStringLiteral("/dev/ttyUSB0: permission denied: add your user to the dialout group"));
        QCOMPARE(EComPort(ComErrorCode::Open, EBUSY, "/dev/x").reason(), QStringLiteral("/dev/x: in use by another program"));
        QCOMPARE(EComPort(ComErrorCode::Open, ENXIO, "/dev/x").reason(), QStringLiteral("/dev/x: no such device"));
        QCOMPARE(EComPort::codeText(ComErrorCode::SetTimeouts), QStringLiteral("SetCommTimeouts failed"));
        QCOMPARE(EComPort::codeText(ComErrorCode::TransmitChar), QStringLiteral("TransmitCommChar function failed"));
    }

    void closedPortOperationsFail()
    {
        TComPort port;
        QVERIFY(!port.Connected());
        try {
            port.PortWaiting();
            QFAIL("PortWaiting on a closed port must fail");
        } catch (const EComPort &e) {
            QCOMPARE(e.code(), ComErrorCode::ClearCommError);
            QVERIFY(e.message().startsWith("ClearCommError function failed (win error code: "));
            QCOMPARE(e.systemError(), EBADF);
        }
        QVERIFY_THROWS_EXCEPTION(EComPort, port.PortRead(1));
        QVERIFY_THROWS_EXCEPTION(EComPort, port.PortWrite("AT\r\n"));
        port.PortClose(); // closing a closed port does nothing
        QVERIFY(!port.Connected());
    }

    void openMissingDevice()
    {
        qputenv("MIRVAK_COM1", "/dev/mirvak-no-such-device");
        TComPort port;
        try {
            port.PortOpen();
            QFAIL("opening a missing device must fail");
        } catch (const EComPort &e) {
            QCOMPARE(e.code(), ComErrorCode::Open);
            QCOMPARE(e.message(), QStringLiteral("Unable to open com port (win error code: %1)").arg(ENOENT));
            QCOMPARE(e.reason(), QStringLiteral("/dev/mirvak-no-such-device: no such device"));
        }
        QVERIFY(!port.Connected());
    }

    void openNotATerminal()
    {
        // Opens, but the line settings cannot be applied: released again.
        const QString plain = m_trace.filePath("plain-file");
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("MIRVAK_COM1", plain.toLocal8Bit());
        TComPort port;
        try {
            port.PortOpen();
            QFAIL("a plain file is no serial port");
        } catch (const EComPort &e) {
            QCOMPARE(e.code(), ComErrorCode::SetState);
        }
        QVERIFY(!port.Connected());
    }

    void secondOpenerIsRefused()
    {
        PtyPeer peer;
        QVERIFY(peer.isOpen());
        peer.useAsCom(1);
        TComPort first, second;
        first.PortOpen();
        QVERIFY(first.Connected());
        try {
            second.PortOpen();
            QFAIL("the device is held by another opener");
        } catch (const EComPort &e) {
            QCOMPARE(e.code(), ComErrorCode::Open);
            QVERIFY(e.message().startsWith("Unable to open com port"));
            QVERIFY2(e.reason().endsWith("in use by another program"), qPrintable(e.reason()));
        }
        QVERIFY(!second.Connected());
        first.PortClose();
        second.PortOpen(); // free again once closed
        QVERIFY(second.Connected());
    }

    void readWaitingAndWrite()
    {
        PtyPeer peer;
        peer.useAsCom(1);
        TComPort port;
        port.PortOpen();
        port.PortOpen(); // already open: nothing happens
        QCOMPARE(port.PortWaiting(), 0);
        QCOMPARE(port.PortRead(10), QByteArray()); // nothing arrived: empty at once

        QCOMPARE(port.PortWrite(QByteArray("AT\r\n\x00\xff", 6)), 6);
        QTRY_COMPARE(peer.received, QByteArray("AT\r\n\x00\xff", 6));

        QSignalSpy ready(&port, &TComPort::readyRead);
        const QByteArray raw("\r\n\x11\x13\x1a\x03\x7f\xffOK\r\n", 12); // every byte passes unchanged
        peer.send(raw);
        QTRY_VERIFY(ready.count() > 0);
        QTRY_COMPARE(port.PortWaiting(), 12);
        QCOMPARE(port.PortRead(3), raw.left(3));
        QCOMPARE(port.PortWaiting(), 9);
        QCOMPARE(port.PortRead(100), raw.mid(3));

        peer.send("garbage");
        QTRY_COMPARE(port.PortWaiting(), 7);
        port.PortPurge(true, false);
        QCOMPARE(port.PortWaiting(), 0);

        port.PortSendAhead(0x06);
        QTRY_VERIFY(peer.received.endsWith('\x06'));
        port.PortSetDtr(true);   // a pty has no modem lines: accepted
        port.PortSetBreak(true);
        port.PortSetBreak(false);
        port.PortClose();
        QVERIFY(!port.Connected());

        const QByteArray trace = traceText();
        QVERIFY(trace.contains(" open " + peer.device().toLocal8Bit()));
        QVERIFY(trace.contains(" > 41 54 0D 0A 00 FF  |AT....|"));
        QVERIFY(trace.contains(" < 0D 0A 11 13 1A 03 7F FF 4F 4B 0D 0A  |........OK..|"));
        QVERIFY(trace.contains(" purge in\n"));
        QVERIFY(trace.contains(" send-ahead 06"));
        QVERIFY(trace.contains(" dtr 1"));
        QVERIFY(trace.contains(" break on"));
        QVERIFY(trace.contains(" break off"));
        QVERIFY(trace.contains(" close"));
    }

    void vanishedDeviceIsReported()
    {
        PtyPeer peer;
        peer.useAsCom(1);
        TComPort port;
        port.PortOpen();
        QSignalSpy ready(&port, &TComPort::readyRead);
        peer.closeMaster();
        QTRY_VERIFY(ready.count() > 0);
        try {
            port.PortWaiting();
            QFAIL("a hung-up device must not look idle");
        } catch (const EComPort &e) {
            QCOMPARE(e.code(), ComErrorCode::ClearCommError);
            QCOMPARE(e.systemError(), EIO);
        }
        // The notifier is off: the event loop stays quiet from here on.
        const auto *notifier = port.findChild<QSocketNotifier *>();
        QVERIFY(notifier && !notifier->isEnabled());
        port.PortClose(); // nothing left to abandon: no second error
        QVERIFY(!port.Connected());
    }

    void renamingReopens()
    {
        PtyPeer a, b;
        a.useAsCom(1);
        b.useAsCom(2);
        TComPort port;
        QSignalSpy renamed(&port, &TComPort::portNameChanged);
        port.PortOpen();
        port.setPort("com1"); // the same name: not closed, not reopened
        QCOMPARE(renamed.count(), 0);
        QCOMPARE(traceText().count(" open "), 1);
        QCOMPARE(traceText().count(" close"), 0);

        port.setPort("COM2");
        QCOMPARE(renamed.count(), 1);
        QVERIFY(port.Connected());
        port.PortWrite("X");
        QTRY_COMPARE(b.received, QByteArray("X"));
        QVERIFY(a.received.isEmpty());

        // The new device cannot be opened: the error is raised, port closed.
        qputenv("MIRVAK_COM3", "/dev/mirvak-no-such-device");
        QVERIFY_THROWS_EXCEPTION(EComPort, port.setPort("COM3"));
        QCOMPARE(port.Port(), QStringLiteral("COM3"));
        QVERIFY(!port.Connected());

        // Closed: a new name is only stored.
        port.setPort("COM1");
        QVERIFY(!port.Connected());
    }

    void portMapAndList()
    {
        PtyPeer a, b;
        a.useAsCom(2);
        qputenv("MIRVAK_COM12", b.device().toLocal8Bit());
        QCOMPARE(deviceForPort("com2"), a.device());
        QCOMPARE(deviceForPort("COM12"), b.device());
        TComPort port;
        port.setPort("COM2");
        QCOMPARE(port.devicePath(), a.device());

        const QList<PortMapping> ports = systemPorts();
        bool seen2 = false, seen12 = false;
        for (const PortMapping &m : ports) {
            seen2 |= m.name == "COM2" && m.device == a.device();
            seen12 |= m.name == "COM12" && m.device == b.device();
        }
        QVERIFY(seen2 && seen12);

        // Cut to four characters, no duplicates, nothing above COM9.
        const QStringList names = TComPort::PortList();
        QVERIFY(names.contains("COM2"));
        QVERIFY(names.contains("COM1")); // COM12 as the original lists it
        QCOMPARE(names.count("COM1"), 1);
        for (const QString &n : names)
            QCOMPARE(n.size(), 4);
        qunsetenv("MIRVAK_COM12");
    }
};

QTEST_GUILESS_MAIN(TestPort)
#include "tst_port.moc"
