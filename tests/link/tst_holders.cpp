// SPDX-License-Identifier: GPL-2.0-or-later
// A port another process holds: the open fails with a message that names
// that process and its PID; and the probe behind "Find phone" and
// `mirvak-cli ports`: only "AT" on each port, every port closed again, a
// busy one named with its holder.
#include "LinkTestSupport.h"
#include "link/port/PortHolderScan.h"
#include "link/port/PortProbe.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

using namespace linktest;

namespace {

// Holds the device the way a terminal program or a second Mirvak would:
// open, then flock or the tty's exclusive mode; "held" once it does, and it
// lets go when its standard input closes.
const char HolderScript[] = R"(
import fcntl, os, sys, termios
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
if sys.argv[2] == "flock":
    fcntl.flock(fd, fcntl.LOCK_EX)
else:
    fcntl.ioctl(fd, termios.TIOCEXCL)
print("held", flush=True)
sys.stdin.read()
)";

class Holder {
public:
    bool start(const QString &device, const QString &how)
    {
        m_process.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                        {QStringLiteral("-c"), QString::fromLatin1(HolderScript), device, how});
        if (!m_process.waitForStarted())
            return false;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(30000)) {
        }
        return m_process.readLine().trimmed() == "held";
    }
    qint64 pid() const { return m_process.processId(); }
    ~Holder()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(30000))
            m_process.kill();
    }

private:
    QProcess m_process;
};

} // namespace

class TestHolders : public QObject {
    Q_OBJECT

    TraceFile m_trace;

private slots:
    void init() { m_trace.reset(); }

    void busyPortNamesItsHolder_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("flock") << "flock";
        QTest::newRow("exclusive tty") << "exclusive";
    }
    void busyPortNamesItsHolder()
    {
        QFETCH(QString, how);
        if (how == QLatin1String("exclusive") && ::geteuid() == 0)
            QSKIP("the tty's exclusive mode does not keep root out");
        PtyPeer peer; // this process holds the pty too, and must not be named
        QVERIFY(peer.isOpen());
        peer.useAsCom(1);
        Holder holder;
        QVERIFY(holder.start(peer.device(), how));

        SerialPort port;
        PhoneLink link(port);
        QString told;
        link.setOpenFailureHandler([&](const PortError &e) { told = e.reason(); });
        QCOMPARE(link.exchange("AT\r\n").status, Exchange::PortFailed);
        QVERIFY(!port.isOpen());
        const QString held = QStringLiteral("python3 (PID %1)").arg(holder.pid());
        QVERIFY2(told.startsWith(peer.device() + QStringLiteral(": in use by ") + held), qPrintable(told));
        QVERIFY2(told.contains("Close python3 first"), qPrintable(told));
        QVERIFY2(!told.contains(QStringLiteral("(PID %1)").arg(QCoreApplication::applicationPid())), qPrintable(told));
        QVERIFY(peer.received.isEmpty());

        // The scan on its own sees the same, and a pty has no USB ids.
        const PortAdvice::Diagnosis d = PortHolderScan::diagnose(peer.device());
        QCOMPARE(d.holders.size(), 1);
        QCOMPARE(d.holders.first().pid, holder.pid());
        QVERIFY(!d.usb);
    }

    // COM1 silent, COM2 the simulated phone, COM3 held by another process.
    void probeTriesEveryPortWithATOnly()
    {
        PtyPeer silent;
        SimPhone sim;
        PtyPeer held;
        QVERIFY(silent.isOpen() && held.isOpen());
        QVERIFY(sim.start());
        silent.useAsCom(1);
        sim.useAsCom(2);
        held.useAsCom(3);
        Holder holder;
        QVERIFY(holder.start(held.device(), QStringLiteral("flock")));

        const QList<PortReport> all = PortProbe::probeAll(Timing().scaled(0.2));
        QVERIFY(all.size() >= 3);
        const PortReport &one = all.at(0), &two = all.at(1), &three = all.at(2);
        QCOMPARE(one.name, QStringLiteral("COM1"));
        QCOMPARE(one.device, silent.device());
        QCOMPARE(one.state, PortReport::NoAnswer);
        QCOMPARE(one.stateText(), QStringLiteral("no answer"));
        QCOMPARE(two.name, QStringLiteral("COM2"));
        QCOMPARE(two.state, PortReport::Answers);
        QCOMPARE(two.stateText(), QStringLiteral("phone answers"));
        QCOMPARE(three.state, PortReport::Busy);
        QCOMPARE(three.stateText(), QStringLiteral("busy (held by python3 (PID %1))").arg(holder.pid()));

        // "AT" and nothing else went out, and nothing at all to the busy port.
        // A phone on one port: nothing to advise. Only silence, no echo
        // even: the cable carries no data, or the phone is off.
        QVERIFY(PortProbe::advice(all).isEmpty());
        QVERIFY(!one.heardBytes && !one.dtrLow);
        QVERIFY(PortProbe::advice({one}).contains(QLatin1String("a data cable (not a charging cable or a service cable)")));
        // The silent port is asked once more with DTR low.
        QCOMPARE(silent.received, QByteArray("AT\r\nAT\r\n"));
        QCOMPARE(sim.commands(), QStringList{QStringLiteral("AT")});
        QVERIFY(held.received.isEmpty());

        // Every port was let go: each opens again at once.
        for (int n : {1, 2}) {
            SerialPort again;
            again.setPort(QStringLiteral("COM%1").arg(n));
            again.open();
            QVERIFY(again.isOpen());
        }
    }
};

QTEST_GUILESS_MAIN(TestHolders)
#include "tst_holders.moc"
