// SPDX-License-Identifier: GPL-2.0-or-later
// Who holds a port, in words: the holder's kind from its process names, the
// advice for each kind, the adapter ids, and the book range a write clears up to.
#include <QtTest>

#include "core/phonebooks/PhonebookRange.h"
#include "core/port/PortAdvice.h"

using namespace PortAdvice;

Q_DECLARE_METATYPE(PortAdvice::Kind)

class TestPortHolder : public QObject {
    Q_OBJECT
private slots:
    void kinds_data()
    {
        QTest::addColumn<QByteArray>("comm");
        QTest::addColumn<QByteArray>("cmdline");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("program");
        QTest::newRow("ModemManager") << QByteArray("ModemManager\n") << QByteArray("/usr/sbin/ModemManager\0", 23)
                                      << Kind::ModemManager << "ModemManager";
        QTest::newRow("brltty") << QByteArray("brltty\n") << QByteArray("/bin/brltty\0--no-daemon\0", 24)
                                << Kind::Brltty << "brltty";
        QTest::newRow("mirvak") << QByteArray("mirvak\n") << QByteArray("mirvak\0", 7) << Kind::Mirvak << "mirvak";
        QTest::newRow("mirvak-cli") << QByteArray("mirvak-cli\n") << QByteArray() << Kind::Mirvak << "mirvak-cli";
        QTest::newRow("minicom") << QByteArray("minicom\n") << QByteArray("minicom\0-D\0/dev/ttyUSB0\0", 25)
                                 << Kind::Terminal << "minicom";
        QTest::newRow("python miniterm") << QByteArray("python3\n")
                                         << QByteArray("python3\0-m\0miniterm\0", 21) << Kind::Terminal << "python3";
        QTest::newRow("screen") << QByteArray("screen\n") << QByteArray() << Kind::Terminal << "screen";
        QTest::newRow("other") << QByteArray("gpsd\n") << QByteArray("/usr/sbin/gpsd\0", 15) << Kind::Other << "gpsd";
        QTest::newRow("no comm: argv[0]") << QByteArray() << QByteArray("/usr/bin/picocom\0", 17) << Kind::Terminal
                                          << "picocom";
        QTest::newRow("nothing known") << QByteArray() << QByteArray() << Kind::Other << "an unnamed program";
    }
    void kinds()
    {
        QFETCH(QByteArray, comm);
        QFETCH(QByteArray, cmdline);
        QFETCH(Kind, kind);
        QFETCH(QString, program);
        const Process p = fromProc(812, comm, cmdline);
        QCOMPARE(p.program, program);
        QCOMPARE(kindOf(p), kind);
        QCOMPARE(name(p), program + QStringLiteral(" (PID 812)"));
    }

    // Each kind's remedy names what the issue asks for; the holder and its
    // PID lead the message.
    void messages()
    {
        const Process mm = fromProc(812, "ModemManager", {});
        const UsbId usb{"067b", "2303"};
        Diagnosis d{{mm}, {}, usb};
        const QString text = busyText(d);
        QVERIFY2(text.startsWith("in use by ModemManager (PID 812). "), qPrintable(text));
        QVERIFY(text.contains("ATTRS{idVendor}==\"067b\", ATTRS{idProduct}==\"2303\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""));
        QVERIFY(text.contains("systemctl stop ModemManager"));
        QCOMPARE(busyShort(d), QStringLiteral("busy (held by ModemManager (PID 812))"));

        // Without the ids the rule still shows where they go.
        d.usb.reset();
        QVERIFY(busyText(d).contains("ATTRS{idVendor}==\"VVVV\""));

        const Process brl = fromProc(9, "brltty", {});
        const QString b = busyText({{brl}, {}, usb});
        QVERIFY(b.contains("brltty (PID 9)"));
        QVERIFY(b.contains("apt remove brltty"));
        QVERIFY(b.contains("vendor 067b, product 2303"));

        QVERIFY(busyText({{fromProc(5, "mirvak", {})}, {}, {}}).contains("Another Mirvak"));
        QVERIFY(busyText({{fromProc(6, "minicom", {})}, {}, {}}).contains("Close the terminal program minicom"));

        // Two holders: both named, each advice once.
        const QString two = busyText({{fromProc(6, "minicom", {}), fromProc(7, "gpsd", {})}, {}, {}});
        QVERIFY(two.startsWith("in use by minicom (PID 6), gpsd (PID 7). "));
        QVERIFY(two.contains("Close gpsd first"));

        // A root daemon whose descriptors cannot be read is a suspect only.
        const QString suspect = busyText({{}, {mm}, usb});
        QVERIFY(suspect.startsWith("in use by another program; ModemManager (PID 812) runs"));
        QVERIFY(suspect.contains("ID_MM_DEVICE_IGNORE"));
        QCOMPARE(busyText({}), QStringLiteral("in use by another program"));
        QCOMPARE(busyShort({}), QStringLiteral("busy (held by another program)"));
    }

    void linksAndIds()
    {
        QVERIFY(linkNamesDevice("/dev/pts/3", "/dev/pts/3", "/dev/pts/3"));
        QVERIFY(linkNamesDevice("/dev/ttyUSB0", "/dev/serial/by-id/usb-x", "/dev/ttyUSB0"));
        QVERIFY(!linkNamesDevice("/dev/pts/31", "/dev/pts/3", "/dev/pts/3"));
        QVERIFY(!linkNamesDevice("socket:[1234]", "socket:[1234]", {}));
        QVERIFY(!linkNamesDevice({}, {}, {}));

        QCOMPARE(usbId("067b\n", "2303\n"), std::optional<UsbId>(UsbId{"067b", "2303"}));
        QCOMPARE(usbId("10C4", "EA60"), std::optional<UsbId>(UsbId{"10c4", "ea60"}));
        QVERIFY(!usbId("67b", "2303"));
        QVERIFY(!usbId("067b", "23g3"));
        QVERIFY(!usbId({}, {}));
    }

    void bookRange_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("last");
        QTest::newRow("T28") << QByteArray("AT+CPBR=?\r\r\n+CPBR: (1-250),20,18\r\n\r\nOK\r\n") << 250;
        QTest::newRow("no echo, blanks") << QByteArray("\r\n+CPBR: ( 1 - 99 ),40,255\r\n\r\nOK\r\n") << 99;
        QTest::newRow("no range") << QByteArray("\r\nOK\r\n") << 0;
        QTest::newRow("reversed") << QByteArray("+CPBR: (9-1)") << 0;
        QTest::newRow("from zero") << QByteArray("+CPBR: (0-10)") << 0;
        QTest::newRow("huge") << QByteArray("+CPBR: (1-123456)") << 0;
    }
    void bookRange()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, last);
        const auto range = PhonebookAt::parseRange(reply);
        QCOMPARE(range ? range->last : 0, last);
    }
};

QTEST_GUILESS_MAIN(TestPortHolder)
#include "tst_core_portholder.moc"
