// SPDX-License-Identifier: GPL-2.0-or-later
// Many exchanges and message sends against the simulated phone, to see
// whether memory or open descriptors grow with use. Prints, asserts nothing.
// MIRVAK_SOAK_EXCHANGES and MIRVAK_SOAK_SENDS change the counts.
#include "link/port/SerialPort.h"
#include "link/PhoneLink.h"
#include "link/messaging/CentreService.h"
#include "core/messaging/IcqNumbers.h"
#include "link/messaging/SmsSender.h"
#include "link/sim/PhoneSimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

// Under AddressSanitizer freed memory waits in a quarantine of up to 256 MB
// before it is reused, and resident memory would climb whatever the program
// does; without it the figures show the program's own growth.
extern "C" const char *__asan_default_options()
{
    return "quarantine_size_mb=0";
}

namespace {

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int descriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

int count(const char *name, int fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n >= 0 ? n : fallback;
}

void report(const char *when)
{
    std::printf("soak_bench: %-28s VmRSS %6ld kB, %3d descriptors\n", when, residentKb(), descriptors());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("MIRVAK_TRACE");
    qputenv("MIRVAK_TONE", "none");
    const int exchanges = count("MIRVAK_SOAK_EXCHANGES", 10000);
    const int sends = count("MIRVAK_SOAK_SENDS", 1000);

    PhoneSimulator sim;
    QString error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "soak_bench: %s\n", qPrintable(error));
        return 1;
    }
    sim.useAsCom(1);

    SerialPort port;
    PhoneLink link(port);
    // Time-outs as the tests scale them; the phone answers long before. The
    // line break that ends each send is a fixed hold, not a wait on the
    // phone: shortened, so the count of sends fits the time.
    Timing timing = Timing().scaled(0.2);
    timing.breakHalf = 5;
    link.setTiming(timing);
    const IcqNumbers icq;
    CentreService centre(link);
    SmsSender sender(link, centre, icq);
    int sent = 0;
    QObject::connect(&sender, &SmsSender::handedOver, [&] { ++sent; });

    // One of each first, so what is opened once for good (the port, the
    // tone backend) is in the starting figures.
    link.exchange("AT\r\n");
    {
        const OperationGuard op(link, std::nullopt);
        sender.send({QStringLiteral("warm"), QStringLiteral("+46701234567"), QString(), false});
    }
    link.closePort();
    report("start");

    QElapsedTimer clock;
    clock.start();
    const QByteArray commands[] = {"AT+CGMM\r\n", "AT+CBC\r\n", "AT+CIND?\r\n", "AT+CSCA?\r\n", "AT+CPBR=1\r\n"};
    int failed = 0;
    for (int i = 0; i < exchanges; ++i) {
        if (!link.exchange(commands[i % 5]).ok())
            ++failed;
        // Now and then the port is closed and opened again, as the pages do.
        if (i % 100 == 99)
            link.closePort();
        if (i == exchanges / 2)
            report("half the exchanges");
    }
    link.closePort();
    const double exchangeMs = double(clock.nsecsElapsed()) / 1e6;
    report("after the exchanges");

    clock.restart();
    for (int i = 0; i < sends; ++i) {
        const OperationGuard op(link, std::nullopt);
        const int before = sent;
        QString said = QStringLiteral("port failed");
        link.runGuarded([&] {
            const SmsSender::Result r =
                sender.send({QStringLiteral("soak %1").arg(i), QStringLiteral("+46701234567"), QString(), false});
            said = SmsSender::statusText(r, link.portName()).value_or(QStringLiteral("refused"));
        });
        if (sent == before)
            std::fprintf(stderr, "soak_bench: send %d not handed over: \"%s\"\n", i, qPrintable(said));
        if (i == sends / 2)
            report("half the sends");
    }
    link.closePort();
    const double sendMs = double(clock.nsecsElapsed()) / 1e6;
    report("end");

    sim.stop();
    std::printf("soak_bench: %d exchanges in %.1f s (%d failed), %d of %d sends handed over in %.1f s\n", exchanges,
                exchangeMs / 1000, failed, sent - 1, sends, sendMs / 1000);
    return 0;
}
