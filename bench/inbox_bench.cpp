// SPDX-License-Identifier: GPL-2.0-or-later
// How close an inbox read comes to the cable's own speed: 15 messages, one
// of them in four parts, in a SIM store of 20 locations on the simulated
// phone at 9600 baud, read once with AT+CMGL and once location by location.
// Prints each read's whole time over the time the phone's bytes need on the
// wire plus the phone's own delay before each answer.
//
// The bytes are counted afterwards: every command the read sent is sent
// again and its whole answer, echo included, measured. Reading changes no
// answer's length (an unread message only becomes read). As in pb_bench,
// the simulator lets the first bytes of an answer out in a burst after an
// idle line, so the figure can dip just below 1.
#include "link/port/SerialPort.h"
#include "link/PhoneLink.h"
#include "link/messaging/InboxService.h"
#include "link/sim/PhoneSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace {

constexpr int Pace = 960;     // bytes a second
constexpr int LatencyMs = 10; // the phone's think time before each answer
constexpr int Size = 20;

QByteArray semiOctets(const QByteArray &digits)
{
    QByteArray d = digits.size() % 2 ? digits + 'F' : digits;
    for (int i = 0; i + 1 < d.size(); i += 2)
        std::swap(d[i], d[i + 1]);
    return d;
}

// A received message of `text` (7-bit, characters that are their own
// septets), optionally part `part` of `total` of reference 7.
QString deliver(int n, int part = 0, int total = 0)
{
    const QByteArray text = QByteArray("Message number ") + QByteArray::number(n) + QByteArray(100, 'x');
    QByteArray septets = text;
    QByteArray header;
    if (total) {
        header = QByteArray::fromHex("050003070000");
        header[4] = char(total);
        header[5] = char(part);
        // Seven blank septets cover the six header octets and the one fill bit.
        septets.prepend(QByteArray(7, '\0'));
    }
    QByteArray packed;
    quint32 bits = 0;
    int count = 0;
    for (const char c : septets) {
        bits |= quint32(uchar(c) & 0x7F) << count;
        count += 7;
        while (count >= 8) {
            packed += char(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count)
        packed += char(bits & 0xFF);
    if (total)
        packed.replace(0, header.size(), header);
    const QByteArray number = "46701234567";
    const QByteArray tpdu = QByteArray::fromHex(total ? "44" : "04") + char(number.size()) + char(0x91)
                            + QByteArray::fromHex(semiOctets(number)) + QByteArray(2, '\0')
                            + QByteArray::fromHex("62216071050040") + char(septets.size()) + packed;
    return QString::fromLatin1("07916407058099F9" + tpdu.toHex().toUpper());
}

QJsonObject store(bool listRefused)
{
    QJsonArray messages;
    int location = 1;
    for (int n = 1; n <= 15; ++n) {
        const int parts = n == 8 ? 4 : 1;
        for (int p = 1; p <= parts; ++p) {
            if (location == 6 || location == 13)
                ++location; // two empty locations on the way
            messages.append(QJsonObject{{"index", location++}, {"status", n % 3 ? 1 : 0},
                                        {"pdu", parts > 1 ? deliver(n, p, parts) : deliver(n)}});
        }
    }
    return {{"messageStores", QJsonObject{{"SM", QJsonObject{{"size", Size}, {"messages", messages}}}}},
            {"cmglRefused", listRefused}};
}

// One read: its time, and the wire time its answers need.
bool measure(bool listRefused, double *totalMs, double *wireMs, int *messages)
{
    PhoneSimulator sim;
    sim.setArguments({"--pace", QString::number(Pace), "--latency", QString::number(LatencyMs)});
    sim.setState(store(listRefused));
    QString error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "inbox_bench: %s\n", qPrintable(error));
        return false;
    }
    sim.useAsCom(1);
    SerialPort port;
    PhoneLink link(port);
    InboxService inbox(link);
    link.exchange("AT\r\n"); // opens the port; not measured

    QList<QByteArray> commands;
    QObject::connect(&link, &PhoneLink::commandWritten, [&](const QByteArray &c) { commands << c; });
    InboxService::ReadResult result;
    QElapsedTimer clock;
    clock.start();
    inbox.read(InboxService::Choice::Sim, result);
    *totalMs = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(&link, &PhoneLink::commandWritten, nullptr, nullptr);

    qint64 bytes = 0;
    for (const QByteArray &c : commands)
        bytes += link.exchange(c).reply.size();
    inbox.finish();
    sim.stop();
    *wireMs = 1000.0 * double(bytes) / Pace + double(commands.size()) * LatencyMs;
    *messages = int(Inbox::join(result.parts).size());
    return result.complete;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("MIRVAK_TRACE");
    for (const bool listRefused : {false, true}) {
        double total = 0, wire = 0;
        int messages = 0;
        if (!measure(listRefused, &total, &wire, &messages) || messages != 15) {
            std::fprintf(stderr, "inbox_bench: read %d of 15 messages\n", messages);
            return 1;
        }
        std::printf("inbox read of 15 messages from a %d-location SIM store %s: %.0f ms, %.4f x wire time plus "
                    "phone delay (target <= 1.05)\n",
                    Size, listRefused ? "location by location" : "with AT+CMGL", total, total / wire);
    }
    return 0;
}
