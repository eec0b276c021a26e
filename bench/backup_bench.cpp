// SPDX-License-Identifier: GPL-2.0-or-later
// How close a whole-phone backup comes to the cable's own speed: the
// simulated phone at 9600 baud with 250 SIM entries, 100 in the phone's
// memory, 30 messages, 4 melodies and every setting, backed up through
// BackupService into a file. Prints the whole time over the time its bytes
// need on the wire plus the phone's own delay before each answer, and the
// time the SIM book took inside it against the Phonebooks page's
// location-by-location read (15.5 s at these speeds).
#include "link/PhoneLink.h"
#include "link/backup/BackupService.h"
#include "link/port/SerialPort.h"
#include "BenchPhone.h"
#include "link/sim/PhoneSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <functional>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Pace = 960;     // bytes a second
constexpr int LatencyMs = 10; // the phone's think time before each answer
constexpr double PageReadMs = 15500;

// A received message with characters of the extension table.
const char Pdu[] = "07916407058099F9040A81701011223300006221708030004024C3F79C3E07D53665D086F75E6F7CA00D0ABF498136BD0D"
                   "6503DCBC40E4B7BB0C";

QJsonObject fullPhone()
{
    QJsonArray sim, memory, messages;
    for (int i = 1; i <= 250; ++i)
        sim.append(QJsonObject{{"index", i}, {"number", QStringLiteral("46701%1").arg(i, 6, 10, QLatin1Char('0'))},
                               {"type", 145}, {"name", QStringLiteral("Name %1").arg(i)}});
    for (int i = 1; i <= 100; ++i)
        memory.append(QJsonObject{{"index", i}, {"number", QStringLiteral("08%1").arg(i, 6, 10, QLatin1Char('0'))},
                                  {"name", QStringLiteral("Memory %1").arg(i)}});
    for (int i = 1; i <= 30; ++i)
        messages.append(QJsonObject{{"index", i}, {"status", 1}, {"pdu", Pdu}});
    return {{"sim", QJsonObject{{"size", 250}, {"entries", sim}}},
            {"phonebook", QJsonObject{{"size", 100}, {"entries", memory}}},
            {"messageStores", QJsonObject{{"SM", QJsonObject{{"size", 30}, {"messages", messages}}},
                                          {"ME", QJsonObject{{"size", 10}, {"messages", QJsonArray()}}}}},
            {"ownMelodies", QJsonObject{{"1", "cdef"}, {"2", "gab"}, {"3", "+c+d"}, {"4", "ffff"}}}};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qunsetenv("MIRVAK_TRACE");

    PhoneSimulator sim;
    if (!startBenchPhone(sim, fullPhone(), Pace, LatencyMs, "backup_bench"))
        return 1;

    QTemporaryDir dir;
    // One backup with every byte traced, to count what the phone sent;
    // then the one that is timed, without the trace's writes.
    auto backUp = [&](const QString &name, bool traced, const std::function<void(PhoneLink &)> &watch) {
        if (traced)
            qputenv("MIRVAK_TRACE", QFile::encodeName(dir.filePath(QStringLiteral("link.trace"))));
        else
            qunsetenv("MIRVAK_TRACE");
        SerialPort port;
        PhoneLink link(port);
        watch(link);
        BackupService service(link);
        BackupService::Options options;
        options.path = dir.filePath(name);
        options.bookFile = dir.filePath(QStringLiteral("QXsms.phb"));
        return service.backup(options);
    };
    int answers = 0;
    backUp(QStringLiteral("counted.json"), true, [&](PhoneLink &link) {
        QObject::connect(&link, &PhoneLink::commandWritten, [&] { ++answers; });
    });
    qint64 bytes = 0;
    QFile trace(dir.filePath(QStringLiteral("link.trace")));
    if (trace.open(QIODevice::ReadOnly))
        for (const QByteArray &line : trace.readAll().split('\n'))
            if (line.size() > 15 && line.at(13) == '<')
                bytes += line.mid(15, line.indexOf("  |") - 15).split(' ').size();

    QElapsedTimer clock;
    qint64 simStart = -1, simEnd = -1;
    clock.start();
    const BackupService::Outcome out = backUp(QStringLiteral("timed.json"), false, [&](PhoneLink &link) {
        QObject::connect(&link, &PhoneLink::commandWritten, [&](const QByteArray &command) {
            if (command.startsWith("AT+CPBS=\"SM\"") && simStart < 0)
                simStart = clock.nsecsElapsed();
            if (command.startsWith("AT+CPBS=\"ME\"") && simEnd < 0)
                simEnd = clock.nsecsElapsed();
        });
    });
    const double totalMs = double(clock.nsecsElapsed()) / 1e6;
    sim.stop();

    if (!out.ok()) {
        std::fprintf(stderr, "backup_bench: %s\n", qPrintable(out.failed.join(QStringLiteral("; "))));
        return 1;
    }
    const double wireMs = 1000.0 * double(bytes) / Pace + double(answers) * LatencyMs;
    const double simMs = double(simEnd - simStart) / 1e6;
    std::printf("whole-phone backup (250 + 100 entries, 30 messages, 4 melodies, settings): %.0f ms, "
                "%.4f x wire time plus phone delay (target <= 1.05)\n",
                totalMs, totalMs / wireMs);
    std::printf("  the 250-entry SIM book inside it, read in ranges: %.0f ms, %.3f x the location-by-location "
                "read's 15.5 s (target <= 0.7)\n",
                simMs, simMs / PageReadMs);
    return 0;
}
