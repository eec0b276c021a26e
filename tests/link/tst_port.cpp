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
        SerialPort port;
        port.setPort(given);
        QCOMPARE(port.name(), stored);
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
        const PortError e(ComErrorCode::ClearCommError, EIO, "/dev/ttyUSB0");
        QCOMPARE(e.message(), QStringLiteral("ClearCommError function failed (win error code: %1)").arg(EIO));
        QCOMPARE(PortError(ComErrorCode::Open, EACCES, "/dev/ttyUSB0").reason(),
                 QStringLiteral("/dev/ttyUSB0: permission denied: add your user to the dialout group"));
        QCOMPARE(PortError(ComErrorCode::Open, EBUSY, "/dev/x").reason(), QStringLiteral("/dev/x: in use by another program"));
        QCOMPARE(PortError(ComErrorCode::Open, ENXIO, "/dev/x").reason(), QStringLiteral("/dev/x: no such device"));
        QCOMPARE(PortError::codeText(ComErrorCode::SetTimeouts), QStringLiteral("SetCommTimeouts failed"));
        QCOMPARE(PortError::codeText(ComErrorCode::TransmitChar), QStringLiteral("TransmitCommChar function failed"));
    }

    void closedPortOperationsFail()
    {
        SerialPort port;
        QVERIFY(!port.isOpen());
        try {
            port.bytesWaiting();
            QFAIL("bytesWaiting on a closed port must fail");
        } catch (const PortError &e) {
            QCOMPARE(e.code(), ComErrorCode::ClearCommError);
            QVERIFY(e.message().startsWith("ClearCommError function failed (win error code: "));
            QCOMPARE(e.systemError(), EBADF);
        }
        QVERIFY_THROWS_EXCEPTION(PortError, port.read(1));
        QVERIFY_THROWS_EXCEPTION(PortError, port.write("AT\r\n"));
        port.close(); // closing a closed port does nothing
        QVERIFY(!port.isOpen());
    }

    void openMissingDevice()
    {
        qputenv("MIRVAK_COM1", "/dev/mirvak-no-such-device");
        SerialPort port;
        try {
            port.open();
            QFAIL("opening a missing device must fail");
        } catch (const PortError &e) {
            QCOMPARE(e.code(), ComErrorCode::Open);
            QCOMPARE(e.message(), QStringLiteral("Unable to open com port (win error code: %1)").arg(ENOENT));
            QCOMPARE(e.reason(), QStringLiteral("/dev/mirvak-no-such-device: no such device"));
        }
        QVERIFY(!port.isOpen());
    }

    void openNotATerminal()
    {
        // Opens, but the line settings cannot be applied: released again.
        const QString plain = m_trace.filePath("plain-file");
        QFile f(plain);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        qputenv("MIRVAK_COM1", plain.toLocal8Bit());
        SerialPort port;
        try {
            port.open();
            QFAIL("a plain file is no serial port");
        } catch (const PortError &e) {
            QCOMPARE(e.code(), ComErrorCode::SetState);
        }
        QVERIFY(!port.isOpen());
    }

    void secondOpenerIsRefused()
    {
        PtyPeer peer;
        QVERIFY(peer.isOpen());
        peer.useAsCom(1);
        SerialPort first, second;
        first.open();
        QVERIFY(first.isOpen());
        try {
            second.open();
            QFAIL("the device is held by another opener");
        } catch (const PortError &e) {
            QCOMPARE(e.code(), ComErrorCode::Open);
            QVERIFY(e.message().startsWith("Unable to open com port"));
            QVERIFY2(e.reason().endsWith("in use by another program"), qPrintable(e.reason()));
        }
        QVERIFY(!second.isOpen());
        first.close();
        second.open(); // free again once closed
        QVERIFY(second.isOpen());
    }

    void readWaitingAndWrite()
    {
        PtyPeer peer;
        peer.useAsCom(1);
        SerialPort port;
        port.open();
        port.open(); // already open: nothing happens
        QCOMPARE(port.bytesWaiting(), 0);
        QCOMPARE(port.read(10), QByteArray()); // nothing arrived: empty at once

        QCOMPARE(port.write(QByteArray("AT\r\n\x00\xff", 6)), 6);
        QTRY_COMPARE(peer.received, QByteArray("AT\r\n\x00\xff", 6));

        QSignalSpy ready(&port, &SerialPort::readyRead);
        const QByteArray raw("\r\n\x11\x13\x1a\x03\x7f\xffOK\r\n", 12); // every byte passes unchanged
        peer.send(raw);
        QTRY_VERIFY(ready.count() > 0);
        QTRY_COMPARE(port.bytesWaiting(), 12);
        QCOMPARE(port.read(3), raw.left(3));
        QCOMPARE(port.bytesWaiting(), 9);
        QCOMPARE(port.read(100), raw.mid(3));

        peer.send("garbage");
        QTRY_COMPARE(port.bytesWaiting(), 7);
        port.purge(true, false);
        QCOMPARE(port.bytesWaiting(), 0);

        port.sendAhead(0x06);
        QTRY_VERIFY(peer.received.endsWith('\x06'));
        port.setDtr(true);   // a pty has no modem lines: accepted
        port.setBreak(true);
        port.setBreak(false);
        port.close();
        QVERIFY(!port.isOpen());

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

    // Closed the moment after a write, the port still lets it go out.
    void closeKeepsWhatWasWritten()
    {
        PtyPeer peer;
        peer.useAsCom(1);
        SerialPort port;
        QByteArray sent;
        for (int n = 1; n <= 50; ++n) {
            const QByteArray command = "AT+CMGR=" + QByteArray::number(n) + "\r\n";
            port.open();
            port.write(command);
            port.close();
            sent += command;
        }
        QTRY_COMPARE(peer.received, sent);
    }

    void vanishedDeviceIsReported()
    {
        PtyPeer peer;
        peer.useAsCom(1);
        SerialPort port;
        port.open();
        QSignalSpy ready(&port, &SerialPort::readyRead);
        peer.closeMaster();
        QTRY_VERIFY(ready.count() > 0);
        try {
            port.bytesWaiting();
            QFAIL("a hung-up device must not look idle");
        } catch (const PortError &e) {
            QCOMPARE(e.code(), ComErrorCode::ClearCommError);
            QCOMPARE(e.systemError(), EIO);
        }
        // The notifier is off: the event loop stays quiet from here on.
        const auto *notifier = port.findChild<QSocketNotifier *>();
        QVERIFY(notifier && !notifier->isEnabled());
        port.close(); // nothing left to abandon: no second error
        QVERIFY(!port.isOpen());
    }

    void renamingReopens()
    {
        PtyPeer a, b;
        a.useAsCom(1);
        b.useAsCom(2);
        SerialPort port;
        QSignalSpy renamed(&port, &SerialPort::portNameChanged);
        port.open();
        port.setPort("com1"); // the same name: not closed, not reopened
        QCOMPARE(renamed.count(), 0);
        QCOMPARE(traceText().count(" open "), 1);
        QCOMPARE(traceText().count(" close"), 0);

        port.setPort("COM2");
        QCOMPARE(renamed.count(), 1);
        QVERIFY(port.isOpen());
        port.write("X");
        QTRY_COMPARE(b.received, QByteArray("X"));
        QVERIFY(a.received.isEmpty());

        // The new device cannot be opened: the error is raised, port closed.
        qputenv("MIRVAK_COM3", "/dev/mirvak-no-such-device");
        QVERIFY_THROWS_EXCEPTION(PortError, port.setPort("COM3"));
        QCOMPARE(port.name(), QStringLiteral("COM3"));
        QVERIFY(!port.isOpen());

        // Closed: a new name is only stored.
        port.setPort("COM1");
        QVERIFY(!port.isOpen());
    }

    void portMapAndList()
    {
        PtyPeer a, b;
        a.useAsCom(2);
        qputenv("MIRVAK_COM12", b.device().toLocal8Bit());
        QCOMPARE(deviceForPort("com2"), a.device());
        QCOMPARE(deviceForPort("COM12"), b.device());
        SerialPort port;
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
        const QStringList names = SerialPort::availablePorts();
        QVERIFY(names.contains("COM2"));
        QVERIFY(names.contains("COM1")); // COM12 cut to four characters
        QCOMPARE(names.count("COM1"), 1);
        for (const QString &n : names)
            QCOMPARE(n.size(), 4);
        qunsetenv("MIRVAK_COM12");
    }
};

QTEST_GUILESS_MAIN(TestPort)
#include "tst_port.moc"
