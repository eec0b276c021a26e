// SPDX-License-Identifier: GPL-2.0-or-later
// The phone's state, its call lists and calls: "status", "calls", "dial",
// "hangup", and the SIM's PIN when an operation finds the SIM locked.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <termios.h>
#include <unistd.h>

#include "app/cli/CommandSupport.h"
#include "core/status/StatusAt.h"
#include "link/SimLock.h"
#include "link/calls/CallListService.h"
#include "link/info/PhoneStatus.h"

namespace CliCommands {

namespace {

// One line from the terminal, not shown as it is typed.
std::optional<QString> readHidden(const QString &prompt)
{
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    std::fprintf(stderr, "%s", qPrintable(prompt));
    std::fflush(stderr);
    termios old{};
    ::tcgetattr(STDIN_FILENO, &old);
    termios quiet = old;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    char line[64] = {};
    const bool got = std::fgets(line, sizeof line, stdin) != nullptr;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputs("\n", stderr);
    if (!got)
        return std::nullopt;
    return QString::fromLatin1(line).trimmed();
}

bool jsonFormat(CliSession &s, const Invocation &call, bool *json)
{
    const QString format = call.options.value(QStringLiteral("format"));
    *json = format == QLatin1String("json");
    if (!format.isEmpty() && !*json && format != QLatin1String("text")) {
        s.fail(Exit::Usage, QStringLiteral("status takes --format text or json, not \"%1\"").arg(format));
        return false;
    }
    return true;
}

std::optional<QByteArray> askForCode(CliSession &s, const QString &pinFile, StatusAt::Lock lock, const QString &note)
{
    const bool puk = lock == StatusAt::Lock::Puk;
    if (!note.isEmpty())
        CliSession::say(note);
    std::optional<QByteArray> command;
    if (!pinFile.isEmpty()) {
        // A code from a file is tried once: a wrong one is never sent again.
        if (!note.isEmpty())
            return std::nullopt;
        QFile file(pinFile);
        if (!file.open(QIODevice::ReadOnly)) {
            s.fail(Exit::Usage, QStringLiteral("cannot read %1: %2").arg(pinFile, file.errorString()));
            return std::nullopt;
        }
        const QList<QByteArray> lines = file.read(256).split('\n');
        command = puk ? StatusAt::pukCommand(QString::fromLatin1(lines.value(0)), QString::fromLatin1(lines.value(1)))
                      : StatusAt::pinCommand(QString::fromLatin1(lines.value(0)));
        if (!command) {
            s.fail(Exit::Usage, puk ? QStringLiteral("%1 must hold the PUK and, on the next line, a new PIN "
                                                     "(4 to 8 digits each)").arg(pinFile)
                                    : QStringLiteral("%1 must hold the PIN (4 to 8 digits)").arg(pinFile));
        }
        return command;
    }
    if (!::isatty(STDIN_FILENO)) {
        // Told, and the command goes on to report the refusal its own way
        // (status still shows what the phone gives without the PIN).
        CliSession::say(puk ? QStringLiteral("the SIM waits for its PUK; give it with --pin-file FILE")
                            : QStringLiteral("the SIM waits for its PIN; give it with --pin-file FILE"));
        return std::nullopt;
    }
    if (!puk) {
        const auto pin = readHidden(QStringLiteral("SIM PIN: "));
        command = pin ? StatusAt::pinCommand(*pin) : std::nullopt;
    } else {
        const auto code = readHidden(QStringLiteral("SIM PUK: "));
        const auto newPin = code ? readHidden(QStringLiteral("New PIN: ")) : std::nullopt;
        command = newPin ? StatusAt::pukCommand(*code, *newPin) : std::nullopt;
    }
    if (!command)
        s.fail(Exit::Usage, QStringLiteral("a PIN is 4 to 8 digits, a PUK 8"));
    return command;
}

} // namespace

void installPinHandler(CliSession &s, const QString &pinFile)
{
    // Once given up, the SIM stays locked for the rest of the command: the
    // steps after the refused one are not asked again.
    auto gaveUp = std::make_shared<bool>(false);
    SimLock::setHandler(s.link, [&s, pinFile, gaveUp](StatusAt::Lock lock, const QString &note) -> std::optional<QByteArray> {
        if (*gaveUp)
            return std::nullopt;
        const std::optional<QByteArray> command = askForCode(s, pinFile, lock, note);
        *gaveUp = !command;
        return command;
    });
}

int status(CliSession &s, const Invocation &call)
{
    bool json = false;
    if (!jsonFormat(s, call, &json))
        return s.exitCode();
    QList<StatusItem> items;
    PhoneStatus phone(s.link);
    s.run([&] {
        items = phone.all([&](const QList<StatusItem> &done) {
            // Silence to every question so far: no phone there to ask the rest.
            const bool answered = std::any_of(done.begin(), done.end(), [](const StatusItem &i) { return i.ok(); });
            return s.interrupted() || s.failed() || !s.link.connected()
                   || (!answered && s.link.lastStatus() == Exchange::Timeout);
        });
    });
    s.run([&] { s.link.closePort(); });
    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (std::none_of(items.begin(), items.end(), [](const StatusItem &i) { return i.ok(); })) {
        s.fail(Exit::Phone, QStringLiteral("the phone on %1 did not answer").arg(s.where()));
        return s.exitCode();
    }
    QJsonObject object;
    for (const StatusItem &i : items) {
        const QString value = i.ok() ? i.value : QStringLiteral("unknown (%1)").arg(i.reason);
        if (json)
            object.insert(i.key, i.ok() ? QJsonValue(i.value) : QJsonValue());
        else
            print(QStringLiteral("%1: %2").arg(i.key, value));
    }
    if (json)
        print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
    return Exit::Ok;
}

int calls(CliSession &s, const Invocation &call)
{
    const QString listWord = call.options.value(QStringLiteral("list"));
    const std::optional<CallsAt::List> list = listWord.isEmpty() ? CallsAt::List::Dialled : CallsAt::fromWord(listWord);
    if (!list)
        return usage(QStringLiteral("--list takes dialled, missed, received, own, fixed or emergency, not \"%1\"")
                         .arg(listWord));
    const QString format = call.options.value(QStringLiteral("format"));
    if (!format.isEmpty() && format != QLatin1String("text") && format != QLatin1String("csv"))
        return usage(QStringLiteral("calls takes --format text or csv, not \"%1\"").arg(format));
    const bool csv = format == QLatin1String("csv");

    CallListService service(s.link);
    CallListService::Result result;
    s.run([&] { result = service.read(*list); });
    s.run([&] { service.finish(); });
    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (!result.ok()) {
        s.fail(Exit::Phone, QStringLiteral("cannot read the %1 calls: %2").arg(listWord.isEmpty() ? QStringLiteral("dialled") : listWord, result.reason));
        return s.exitCode();
    }
    QByteArray out = csv ? QByteArray("Location,Number,Name,Time\r\n") : QByteArray();
    auto field = [](const QByteArray &text) {
        QByteArray f = text;
        f.replace('"', "\"\"");
        return '"' + f + '"';
    };
    for (const CallsAt::Entry &e : result.entries) {
        if (csv) {
            out += QByteArray::number(e.location) + ',' + field(e.number) + ',' + field(e.name) + ',' + field(e.time)
                   + "\r\n";
        } else {
            QByteArray line = QByteArray::number(e.location).rightJustified(3) + "  " + e.number.leftJustified(20)
                              + "  " + e.name.leftJustified(18) + "  " + e.time;
            while (line.endsWith(' '))
                line.chop(1);
            out += line + '\n';
        }
    }
    if (!csv && result.entries.isEmpty())
        CliSession::say(QStringLiteral("the list is empty"));
    return s.deliver(out, QString()) ? Exit::Ok : s.exitCode();
}

int dial(CliSession &s, const Invocation &call)
{
    CallListService service(s.link);
    CallListService::Dialled dialled = CallListService::Dialled::Refused;
    QString why;
    if (!CallsAt::dialNumber(call.arguments.value(0))) {
        service.dial(call.arguments.value(0), &why);
        return usage(why);
    }
    s.run([&] { dialled = service.dial(call.arguments.value(0), &why); });
    s.run([&] { s.link.closePort(); });
    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (dialled != CallListService::Dialled::Calling) {
        s.fail(Exit::Phone, QStringLiteral("cannot dial: %1").arg(why));
        return s.exitCode();
    }
    print(QStringLiteral("calling %1").arg(QString::fromLatin1(*CallsAt::dialNumber(call.arguments.value(0)))));
    return Exit::Ok;
}

int hangup(CliSession &s, const Invocation &)
{
    CallListService service(s.link);
    bool done = false;
    s.run([&] { done = service.hangUp(); });
    s.run([&] { s.link.closePort(); });
    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (!done) {
        s.fail(Exit::Phone, QStringLiteral("the phone on %1 did not hang up").arg(s.where()));
        return s.exitCode();
    }
    return Exit::Ok;
}

} // namespace CliCommands
