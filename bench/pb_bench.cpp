// SPDX-License-Identifier: GPL-2.0-or-later
// How close a phonebook read comes to the cable's own speed: a SIM book of
// 250 locations read through the transfer service from the simulated phone
// at 9600 baud. Prints the whole time over the time its bytes need on the
// wire plus the phone's own delay before each answer, and the mean time
// the program itself adds between the last byte of one answer and the next
// command.
//
// The simulator lets a reply's first bytes out in a burst when the line has
// been idle (up to 10 ms worth, the FIFO of a UART), so the first figure
// can dip below 1 and hides up to that much of our own turnaround; the
// second figure does not depend on it.
#include "link/port/SerialPort.h"
#include "link/PhoneLink.h"
#include "link/phonebooks/PhonebookTransfer.h"
#include "BenchPhone.h"
#include "link/sim/PhoneSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace {

constexpr int Pace = 960;      // bytes a second
constexpr int LatencyMs = 10;  // the phone's think time before each answer
constexpr int Locations = 250;

QJsonObject simBook()
{
    QJsonArray entries;
    for (int i = 1; i <= Locations; ++i)
        entries.append(QJsonObject{{"index", i}, {"number", QStringLiteral("46701%1").arg(i, 6, 10, QLatin1Char('0'))},
                                   {"type", 145}, {"name", QStringLiteral("Name %1").arg(i)}});
    return QJsonObject{{"sim", QJsonObject{{"size", Locations}, {"entries", entries}}}};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("MIRVAK_TRACE");

    PhoneSimulator sim;
    if (!startBenchPhone(sim, simBook(), Pace, LatencyMs, "pb_bench"))
        return 1;

    SerialPort port;
    PhoneLink link(port);
    PhonebookTransfer transfer(link);
    link.setCommandText("AT\r\n");
    link.SendCommand(); // opens the port; not measured

    // Bytes the phone sent, the echo included. The selection's answer is
    // gone by the time the first location is asked, so it is counted from
    // what it is: the echo and "\r\nOK\r\n".
    qint64 bytes = PhonebookAt::selectCommand(PhonebookAt::Book::Sim).size() - 1 + 6;
    int answers = 1, reads = 0, filled = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 lastArrival = 0;
    QObject::connect(&port, &SerialPort::readyRead, [&] { lastArrival = clock.nsecsElapsed(); });
    double turnaroundMs = 0;
    PhonebookTransfer::Watch watch;
    watch.asking = [&](int n, int) {
        turnaroundMs += double(clock.nsecsElapsed() - lastArrival) / 1e6;
        ++reads;
        if (n == 1) { // the answer to the size question is still there
            bytes += link.ReplyText().size();
            ++answers;
        }
    };
    watch.done = [&](const PhonebookTransfer::Location &at) {
        bytes += link.ReplyText().size();
        ++answers;
        filled += !at.entry.number.isEmpty();
    };
    const PhonebookTransfer::Run run = transfer.readBook(PhonebookAt::Book::Sim, watch);
    transfer.finish();
    bytes += link.ReplyText().size();
    ++answers;
    const double totalMs = double(clock.nsecsElapsed()) / 1e6;
    sim.stop();

    if (!run.complete() || filled != Locations) {
        std::fprintf(stderr, "pb_bench: read %d of %d locations\n", filled, Locations);
        return 1;
    }
    const double wireMs = 1000.0 * double(bytes) / Pace + double(answers) * LatencyMs;
    std::printf("phonebook read of %d locations: %.0f ms, %.4f x wire time plus phone delay (target <= 1.02)\n",
                Locations, totalMs, totalMs / wireMs);
    std::printf("  (mean time from the last byte of an answer to the next read: %.3f ms)\n",
                turnaroundMs / reads);
    return 0;
}
