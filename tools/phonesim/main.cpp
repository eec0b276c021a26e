// SPDX-License-Identifier: GPL-2.0-or-later
// mirvak-phonesim: a simulated Ericsson T28 on a pseudo-terminal.
// Usage and the state/log formats: README.md beside this file.
#include "Faults.h"
#include "PduDecoder.h"
#include "Phone.h"
#include "PhoneState.h"
#include "PtyPort.h"
#include "SimLog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "mirvak-phonesim: %s\n", qPrintable(message));
    return 2;
}

bool readInt(const QCommandLineParser &p, const QString &name, int lo, int hi, int &out, QString *err)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi) {
        *err = QStringLiteral("--%1 needs a whole number from %2 to %3").arg(name).arg(lo).arg(hi);
        return false;
    }
    out = v;
    return true;
}

bool writeDump(const QString &path, const PhoneState &state)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(state.save()).toJson());
    return f.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirvak-phonesim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Simulated Ericsson T28 phone on a pseudo-terminal."));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("state"), QStringLiteral("Initial phone state (JSON)."), QStringLiteral("FILE")},
        {QStringLiteral("dump"), QStringLiteral("Write the phone state here on exit."), QStringLiteral("FILE")},
        {QStringLiteral("log"), QStringLiteral("Log, one JSON object a line."), QStringLiteral("FILE")},
        {QStringLiteral("link"), QStringLiteral("Also make a symlink to the device."), QStringLiteral("PATH")},
        {QStringLiteral("pace"), QStringLiteral("Output bytes per second (960 = 9600 baud)."), QStringLiteral("BYTES_PER_SEC")},
        {QStringLiteral("latency"), QStringLiteral("Delay before each reply."), QStringLiteral("MS")},
        {QStringLiteral("network-delay"), QStringLiteral("Delay of the network's answers (+CCFC, +CCWA); wins over networkDelayMs."), QStringLiteral("MS")},
        {QStringLiteral("fault"), QStringLiteral("Misbehave (repeatable): silent, error:CMD, cme:CMD:N, mute:CMD, hangup-after:CMD, "
                                                 "trickle:MS, stall-frame, no-prompt, binary-silent, aq-silent."),
         QStringLiteral("KIND[:ARG]")},
        {QStringLiteral("decode-pdu"), QStringLiteral("Print the SMS-SUBMIT PDU decoded as JSON and exit; - reads one PDU a line."), QStringLiteral("HEX")},
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument \"%1\"").arg(p.positionalArguments().first()));

    if (p.isSet(QStringLiteral("decode-pdu"))) {
        const auto decode = [](const QByteArray &hex) {
            const DecodedSubmit d = decodeSubmitPduHex(hex);
            std::fputs(QJsonDocument(d.toJson()).toJson(QJsonDocument::Compact).constData(), stdout);
            std::fputc('\n', stdout);
            return d.ok;
        };
        const QByteArray hex = p.value(QStringLiteral("decode-pdu")).toLatin1();
        if (hex != "-")
            return decode(hex) ? 0 : 1;
        // One PDU a line from standard input, as many as come.
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read standard input"));
        QByteArray text = in.readAll();
        const bool any = !text.isEmpty();
        if (text.endsWith('\n'))
            text.chop(1);
        bool allOk = true;
        if (any)
            for (const QByteArray &line : text.split('\n'))
                allOk = decode(line.trimmed()) && allOk;
        return allOk ? 0 : 1;
    }

    PhoneState state;
    if (p.isSet(QStringLiteral("state"))) {
        QFile f(p.value(QStringLiteral("state")));
        if (!f.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read the state file %1: %2").arg(f.fileName(), f.errorString()));
        QJsonParseError perr;
        const QByteArray text = f.readAll();
        const QJsonDocument doc = text.trimmed().isEmpty() ? QJsonDocument(QJsonObject()) : QJsonDocument::fromJson(text, &perr);
        if (doc.isNull())
            return fail(QStringLiteral("the state file %1 is not valid JSON: %2 at offset %3")
                            .arg(f.fileName(), perr.errorString()).arg(perr.offset));
        if (!doc.isObject())
            return fail(QStringLiteral("the state file %1 must hold a JSON object").arg(f.fileName()));
        if (const QString e = state.load(doc.object()); !e.isEmpty())
            return fail(QStringLiteral("the state file %1: %2").arg(f.fileName(), e));
    }

    Faults faults;
    for (const QString &option : p.values(QStringLiteral("fault")))
        if (const QString e = faults.add(option); !e.isEmpty())
            return fail(e);

    PhoneOptions options;
    int pace = 0;
    QString err;
    if (!readInt(p, QStringLiteral("pace"), 1, 10'000'000, pace, &err)
        || !readInt(p, QStringLiteral("latency"), 0, 600'000, options.latencyMs, &err)
        || !readInt(p, QStringLiteral("network-delay"), 0, 600'000, options.networkDelayMs, &err))
        return fail(err);

    SimLog log;
    if (p.isSet(QStringLiteral("log")) && !log.open(p.value(QStringLiteral("log")), &err))
        return fail(QStringLiteral("cannot write the log %1: %2").arg(p.value(QStringLiteral("log")), err));

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail(QStringLiteral("cannot create the signal pipe"));
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char buf[16];
        while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {}
        QCoreApplication::quit();
    });

    PtyPort port;
    if (!port.open(&err))
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(err));
    port.setPace(pace);
    port.setTrickle(faults.trickleMs);

    const QString link = p.value(QStringLiteral("link"));
    if (!link.isEmpty()) {
        QFileInfo existing(link);
        if (existing.isSymLink())
            QFile::remove(link);
        if (!QFile::link(port.slavePath(), link))
            return fail(QStringLiteral("cannot make the link %1").arg(link));
    }

    Phone phone(port, state, log, faults, options);
    QObject::connect(&port, &PtyPort::received, &phone, &Phone::onReceived);
    QObject::connect(&port, &PtyPort::clientClosed, &phone, &Phone::onClientClosed);
    QObject::connect(&port, &PtyPort::clientOpened, &phone, &Phone::onClientOpened);
    log.event(QStringLiteral("started on %1").arg(port.slavePath()));

    std::fputs(qPrintable(port.slavePath() + QLatin1Char('\n')), stdout);
    std::fflush(stdout);

    const int rc = app.exec();

    port.hangup();
    log.event(QStringLiteral("stopped"));
    if (!link.isEmpty() && QFileInfo(link).isSymLink())
        QFile::remove(link);
    if (p.isSet(QStringLiteral("dump")) && !writeDump(p.value(QStringLiteral("dump")), state))
        return fail(QStringLiteral("cannot write the dump %1").arg(p.value(QStringLiteral("dump"))));
    return rc;
}
