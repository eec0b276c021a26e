// SPDX-License-Identifier: GPL-2.0-or-later
// The SIM and phone-memory books: "phonebook read" and "phonebook write".
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <optional>

#include "app/cli/BookFormats.h"
#include "app/cli/CommandSupport.h"
#include "core/at/Charset.h"
#include "core/phonebooks/PhonebookAt.h"
#include "link/phonebooks/PhonebookTransfer.h"

namespace CliCommands {

namespace {

std::optional<PhonebookAt::Book> memory(const Invocation &call)
{
    const QString m = call.options.value(QStringLiteral("memory")).toUpper();
    if (m == QLatin1String("SM"))
        return PhonebookAt::Book::Sim;
    if (m == QLatin1String("ME"))
        return PhonebookAt::Book::Phone;
    return std::nullopt;
}

QString bookName(PhonebookAt::Book book)
{
    return book == PhonebookAt::Book::Sim ? QStringLiteral("SIM book (SM)") : QStringLiteral("phone book (ME)");
}

// A run that did not reach its end, told; true when it did.
bool reachedEnd(CliSession &s, PhonebookAt::Book book, const std::optional<PhonebookTransfer::Run> &run)
{
    if (run && run->complete())
        return true;
    const Exchange::Status status = run ? run->status : Exchange::PortFailed;
    if (!run || run->endedAt == 0)
        s.fail(Exit::Phone, QStringLiteral("%1 on %2: %3").arg(bookName(book), s.where(), exchangeFailure(status)));
    else
        s.fail(Exit::Phone, QStringLiteral("%1 on %2, location %3: %4")
                                .arg(bookName(book), s.where()).arg(run->endedAt).arg(exchangeFailure(status)));
    return false;
}

// Runs on the book, one after the other, and the SIM book selected again
// after the last: what `go` returns, or nothing, told, when a run did not
// reach its end.
std::optional<PhonebookTransfer::Run> runOnBook(CliSession &s, PhonebookTransfer &transfer, PhonebookAt::Book book,
                                                const std::function<PhonebookTransfer::Run(PhonebookTransfer &)> &go,
                                                bool last = true)
{
    std::optional<PhonebookTransfer::Run> run;
    s.run([&] { run = go(transfer); });
    if (last || !run || !run->complete() || s.failed())
        s.run([&] { transfer.finish(); });
    if (s.stopIfInterrupted() || s.failed() || !reachedEnd(s, book, run))
        return std::nullopt;
    return run;
}

} // namespace

int phonebookRead(CliSession &s, const Invocation &call)
{
    const std::optional<PhonebookAt::Book> book = memory(call);
    if (!book)
        return usage(QStringLiteral("phonebook read needs --memory SM or --memory ME"));
    BookFormat format = BookFormat::Pbk;
    if (call.options.isSet(QStringLiteral("format"))) {
        const auto named = BookFormats::named(call.options.value(QStringLiteral("format")));
        if (!named)
            return usage(QStringLiteral("unknown format \"%1\"; one of: %2")
                             .arg(call.options.value(QStringLiteral("format")), BookFormats::names().join(", ")));
        format = *named;
    }
    const QString out = call.options.value(QStringLiteral("output"));

    PhonebookTransfer::Watch watch;
    watch.asking = [&s](int n, int last) {
        s.progress(last ? QStringLiteral("reading %1/%2").arg(n).arg(last) : QStringLiteral("reading %1").arg(n));
    };
    PhonebookTransfer transfer(s.link);
    const auto run = runOnBook(s, transfer, *book, [&](PhonebookTransfer &t) { return t.readBook(*book, watch); });
    if (!run)
        return s.exitCode();
    PhonebookEntries entries;
    for (const PhonebookTransfer::Location &at : run->locations)
        entries.set(at.location, at.entry);
    s.deliver(BookFormats::encode(format, entries), out);
    return s.exitCode();
}

int phonebookWrite(CliSession &s, const Invocation &call)
{
    const QString path = call.arguments.value(0);
    const std::optional<PhonebookAt::Book> book = memory(call);
    if (!book)
        return usage(QStringLiteral("phonebook write needs --memory SM or --memory ME"));
    const std::optional<BookFormat> format = BookFormats::ofPath(path);
    if (!format)
        return usage(QStringLiteral("cannot tell the format of %1 from its extension; one of: %2")
                         .arg(path, BookFormats::names().join(", ")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return usage(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QString error;
    const std::optional<BookFormats::Read> read = BookFormats::read(*format, file, &error);
    if (!read)
        return usage(QStringLiteral("%1 is no phonebook: %2").arg(path, error));
    const bool dryRun = call.options.isSet(QStringLiteral("dry-run"));
    const bool clearOthers = call.options.isSet(QStringLiteral("clear-others"));

    // The book says what it takes before the file is fitted to it; a dry
    // run asks nothing and plans against what the T28 class takes.
    PhonebookTransfer transfer(s.link);
    PhonebookAt::Limits limits;
    if (!dryRun) {
        const auto asked = runOnBook(s, transfer, *book, [&](PhonebookTransfer &t) { return t.range(*book); }, false);
        if (!asked)
            return s.exitCode();
        limits = asked->limits;
    }
    const BookFormats::Decoded decoded = BookFormats::fit(*read, QFileInfo(path).fileName(), limits);
    // What was read and what had to change to fit, as the page's load tells it.
    if (!decoded.report.isEmpty())
        CliSession::say(decoded.report);
    if (!decoded.storable) {
        if (!dryRun)
            s.run([&] { transfer.finish(); });
        s.fail(Exit::Phone, QStringLiteral("%1 holds no entry the %2 can store").arg(path, bookName(*book)));
        return s.exitCode();
    }
    const PhonebookEntries *entries = &decoded.rows;

    auto filled = [&](int r) { return entries->at(r) != PhonebookEntry(); };
    // What goes to location r: the file's entry, an empty one to clear it,
    // or nothing.
    auto planned = [&](int r) -> std::optional<PhonebookEntry> {
        if (r <= entries->count() && filled(r))
            return entries->at(r);
        if (clearOthers)
            return PhonebookEntry();
        return std::nullopt;
    };

    if (dryRun) {
        print(QString::fromLatin1(PhonebookAt::selectCommand(*book).trimmed()));
        for (int r = 1; r <= entries->count(); ++r)
            if (const auto e = planned(r))
                if (const auto fit = PhonebookAt::fitted(*e, limits).entry)
                    print(fromPhoneText(PhonebookAt::writeCommand(r, *fit).trimmed()));
        if (clearOthers)
            CliSession::say(QStringLiteral("and every location after %1 up to the book's last, as the phone "
                                           "states it, is cleared")
                                .arg(entries->count()));
        return Exit::Ok;
    }

    PhonebookTransfer::Watch watch;
    watch.asking = [&s](int r, int last) { s.progress(QStringLiteral("writing %1/%2").arg(r).arg(last)); };
    const auto run = runOnBook(s, transfer, *book, [&](PhonebookTransfer &t) {
        return t.writeBook(*book, entries->count(), planned, clearOthers, watch);
    });
    if (!run)
        return s.exitCode();
    const QString summary = PhonebookTransfer::writeSummary(*run).join(u'\n');
    // An entry of the file that is not on the phone now is a failure; a
    // name cut to fit is only told.
    if (PhonebookTransfer::lostEntries(*run))
        s.fail(Exit::Phone, QStringLiteral("%1 on %2:\n%3").arg(bookName(*book), s.where(), summary));
    else if (!summary.isEmpty())
        CliSession::say(summary);
    return s.exitCode();
}

} // namespace CliCommands
