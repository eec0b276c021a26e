// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/Commands.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <QTextStream>

#include "app/cli/BookFormats.h"
#include "app/cli/CliSession.h"
#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/InboxFiles.h"
#include "core/messaging/InboxMessages.h"
#include "core/messaging/IcqNumbers.h"
#include "core/messaging/PduBuilder.h"
#include "core/phonebooks/PbkFile.h"
#include "core/phonebooks/PhonebookAt.h"
#include "core/phonebooks/PhonebookRange.h"
#include "link/info/GsmInfo.h"
#include "link/melodies/PhoneMelodies.h"
#include "link/messaging/CentreService.h"
#include "link/messaging/InboxService.h"
#include "link/messaging/SmsSender.h"
#include "link/phonebooks/PhonebookTransfer.h"
#include "link/port/PortMap.h"
#include "link/port/PortProbe.h"
#include "link/settings/PersonalRings.h"

namespace {

// As many locations as the Phonebooks page reads when the phone does not
// say how many its book has.
constexpr int MaxLocations = 255;

int usage(const QString &message)
{
    CliSession::say(message);
    return Exit::Usage;
}

void print(const QString &text)
{
    QTextStream(stdout) << text << Qt::endl;
}

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

QString exchangeFailure(const PhoneLink &link)
{
    switch (link.lastStatus()) {
    case Exchange::Error:
    case Exchange::CmeError:
        return QStringLiteral("the phone refused");
    case Exchange::Timeout:
        return QStringLiteral("the phone did not answer");
    case Exchange::Aborted:
        return QStringLiteral("aborted");
    case Exchange::Ok:
    case Exchange::PortFailed:
        break;
    }
    return QStringLiteral("the port failed");
}

// Selects the book; a phone that refuses it ends the command, an abort
// or a failed port has already said so.
bool selectBook(CliSession &s, PhonebookTransfer &transfer, PhonebookAt::Book book)
{
    if (transfer.select(book))
        return true;
    if (!s.failed() && !s.link.AbortRequested())
        s.fail(Exit::Phone, QStringLiteral("%1 on %2: %3").arg(bookName(book), s.where(), exchangeFailure(s.link)));
    return false;
}

// ---------------------------------------------------------------- ports

int ports(CliSession &s, const Invocation &)
{
    const QList<PortMapping> mappings = systemPorts();
    if (mappings.isEmpty()) {
        s.fail(Exit::Phone, QStringLiteral("no serial port found; is the cable plugged in?"));
        return s.exitCode();
    }
    QList<PortReport> reports;
    for (const PortMapping &m : mappings) {
        if (s.interrupted())
            break;
        s.progress(QStringLiteral("trying %1 (%2)").arg(m.name, m.device));
        reports << PortProbe::probe(m.name, m.device, s.link.timing());
    }
    s.endProgress();
    if (s.stopIfInterrupted())
        return s.exitCode();

    qsizetype deviceWidth = 6, idWidth = 5;
    for (const PortReport &r : reports) {
        deviceWidth = qMax(deviceWidth, r.device.size());
        idWidth = qMax(idWidth, r.byId.size());
    }
    print(QStringLiteral("%1  %2  %3  %4")
              .arg(QStringLiteral("PORT").leftJustified(5), QStringLiteral("DEVICE").leftJustified(deviceWidth),
                   QStringLiteral("BY-ID").leftJustified(idWidth), QStringLiteral("STATE")));
    bool answered = false;
    for (const PortReport &r : reports) {
        print(QStringLiteral("%1  %2  %3  %4")
                  .arg(r.name.leftJustified(5), r.device.leftJustified(deviceWidth),
                       (r.byId.isEmpty() ? QStringLiteral("-") : r.byId).leftJustified(idWidth), r.stateText()));
        answered = answered || r.state == PortReport::Answers;
    }
    if (!answered)
        s.fail(Exit::Phone, QStringLiteral("no phone answered on any port"));
    return s.exitCode();
}

// ---------------------------------------------------------------- info

int info(CliSession &s, const Invocation &)
{
    CentreService centre(s.link);
    QList<std::pair<QString, QString>> lines;
    bool any = false;
    auto text = [&](const char *name, const std::optional<QByteArray> &value) {
        any = any || value.has_value();
        lines.append({QString::fromLatin1(name),
                      value ? fromPhoneText(Reply::trimmed(Reply::firstLine(*value))) : QString()});
    };

    GsmInfo gsm(s.link);
    // The items in the order of the GSM information page; each exchange
    // clears an abort, so an interrupt is looked for between them.
    const QList<std::function<void()>> steps{
        [&] { text("Network", gsm.network()); },
        [&] { text("Model", gsm.model()); },
        [&] { text("Software", gsm.software()); },
        [&] {
            centre.GetSMSC();
            if (!centre.SmscRead() && !s.interrupted())
                centre.GetSMSCbinary();
            const QString smsc = centre.shownCentre().trimmed();
            any = any || !smsc.isEmpty();
            lines.append({QStringLiteral("SMSC"), smsc});
        },
        [&] { text("IMEI", gsm.imei()); },
        [&] { text("Make", gsm.make()); },
        [&] {
            const std::optional<Reply::Battery> battery = gsm.battery();
            any = any || battery.has_value();
            lines.append({QStringLiteral("Battery"),
                          battery && battery->valid ? QStringLiteral("%1%").arg(battery->value) : QString()});
        },
        [&] {
            const std::optional<Reply::SignalLevel> signal = gsm.signal();
            any = any || signal.has_value();
            lines.append({QStringLiteral("Signal"),
                          signal ? fromPhoneText(QByteArray(1, signal->shown)) + QStringLiteral("/5") : QString()});
        },
    };
    s.run([&] {
        for (const auto &step : steps) {
            // A port that would not open asks nothing more.
            if (s.interrupted() || s.failed() || (!lines.isEmpty() && !s.link.connected()))
                return;
            step();
            // Silence to the first question: no phone there to ask the rest.
            if (!any && s.link.lastStatus() == Exchange::Timeout)
                return;
        }
    });
    s.run([&] { s.link.closePort(); });

    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (!any) {
        s.fail(Exit::Phone, QStringLiteral("the phone on %1 did not answer").arg(s.where()));
        return s.exitCode();
    }
    for (const auto &[name, value] : lines)
        print(QStringLiteral("%1: %2").arg(name, value));
    return Exit::Ok;
}

// ---------------------------------------------------------------- phonebook

// The book's last location as the phone states it, or nothing.
std::optional<int> lastLocation(PhoneLink &link)
{
    const Exchange answer = link.exchange(PhonebookAt::RangeQuery);
    if (!answer.ok())
        return std::nullopt;
    if (const auto range = PhonebookAt::parseRange(answer.reply))
        return range->last;
    return std::nullopt;
}

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

    PhonebookTransfer transfer(s.link);
    PhonebookEntries entries;
    bool complete = false;
    s.run([&] {
        if (!selectBook(s, transfer, *book))
            return;
        const std::optional<int> stated = lastLocation(s.link);
        const int last = stated.value_or(MaxLocations);
        for (int n = 1; n <= last; ++n) {
            s.progress(stated ? QStringLiteral("reading %1/%2").arg(n).arg(last) : QStringLiteral("reading %1").arg(n));
            const PhonebookTransfer::Location at = transfer.read(n);
            if (at.kind == PhonebookTransfer::Location::Ended) {
                if (s.link.AbortRequested() || s.failed())
                    return;
                // Without a stated size, a refusal marks the end of the book
                // as on the Phonebooks page; silence never does.
                const Exchange::Status st = s.link.lastStatus();
                if (!stated && n > 1 && (st == Exchange::Error || st == Exchange::CmeError))
                    break;
                s.fail(Exit::Phone, QStringLiteral("%1 on %2, location %3: %4")
                                        .arg(bookName(*book), s.where()).arg(n).arg(exchangeFailure(s.link)));
                return;
            }
            entries.resize(n);
            entries.set(n, at.entry);
        }
        complete = true;
    });
    s.run([&] { transfer.finish(); });

    if (s.stopIfInterrupted() || s.failed() || !complete)
        return s.exitCode() == Exit::Ok ? Exit::Phone : s.exitCode();
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
    const std::optional<BookFormats::Decoded> decoded =
        BookFormats::decode(*format, file, QFileInfo(path).fileName(), &error);
    if (!decoded)
        return usage(QStringLiteral("%1 is no phonebook: %2").arg(path, error));
    // What was read and what had to change to fit, as the page's load tells it.
    if (!decoded->report.isEmpty())
        CliSession::say(decoded->report);
    const PhonebookEntries *entries = &decoded->rows;
    const bool dryRun = call.options.isSet(QStringLiteral("dry-run"));
    const bool clearOthers = call.options.isSet(QStringLiteral("clear-others"));

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
                print(fromPhoneText(PhonebookAt::writeCommand(r, *e).trimmed()));
        if (clearOthers)
            CliSession::say(QStringLiteral("and every location after %1 up to the book's last, as the phone "
                                           "states it, is cleared")
                                .arg(entries->count()));
        return Exit::Ok;
    }

    PhonebookTransfer transfer(s.link);
    QList<int> refused;
    s.run([&] {
        if (!selectBook(s, transfer, *book))
            return;
        int last = entries->count();
        bool untilRefused = false;
        if (clearOthers) {
            const std::optional<int> stated = lastLocation(s.link);
            last = qMax(last, stated.value_or(MaxLocations));
            untilRefused = !stated;
        }
        for (int r = 1; r <= last; ++r) {
            const std::optional<PhonebookEntry> e = planned(r);
            if (!e)
                continue;
            s.progress(QStringLiteral("writing %1/%2").arg(r).arg(last));
            if (!transfer.write(r, *e)) {
                if (s.link.AbortRequested() || s.failed())
                    return;
                // Past the end of a book whose size the phone did not state.
                if (untilRefused && r > entries->count())
                    break;
                refused << r;
            }
        }
    });
    s.run([&] { transfer.finish(); });

    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (!refused.isEmpty()) {
        QStringList where;
        for (int r : refused)
            where << QString::number(r);
        s.fail(Exit::Phone, QStringLiteral("%1 on %2 refused location %3")
                                .arg(bookName(*book), s.where(), where.join(QStringLiteral(", "))));
    }
    return s.exitCode();
}

// ---------------------------------------------------------------- sms

int smsSend(CliSession &s, const Invocation &call)
{
    const QString number = call.arguments.value(0);
    QString text;
    if (call.arguments.size() < 2 || call.arguments.at(1) == QLatin1String("-")) {
        QFile in;
        in.open(stdin, QIODevice::ReadOnly);
        text = QString::fromUtf8(in.read(64 * 1024));
        // The line end a shell or an editor leaves is not part of the message.
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
    } else {
        text = call.arguments.at(1);
    }
    // Ctrl-C while the text was typed: nothing goes out.
    QCoreApplication::processEvents();
    if (s.stopIfInterrupted())
        return s.exitCode();
    // No more than the SMS page lets the user type. An empty message and a
    // recipient the encoder cannot take the sender refuses, before the port.
    if (Pdu::characterCount(text) > Pdu::MaxText)
        return usage(QStringLiteral("the message has %1 characters; an SMS takes at most %2")
                         .arg(Pdu::characterCount(text)).arg(Pdu::MaxText));

    CentreService centre(s.link);
    const IcqNumbers noIcq;
    SmsSender sender(s.link, centre, noIcq);
    QObject::connect(&sender, &SmsSender::status, [&](const QString &st) { s.progress(st); });
    std::optional<SmsSender::Field> refused;
    QObject::connect(&sender, &SmsSender::refused, [&](SmsSender::Field field) { refused = field; });
    SmsSender::Message message;
    message.text = text;
    message.smsRecipient = number;
    message.binaryOnly = call.options.isSet(QStringLiteral("binary"));
    SmsSender::Result result{SmsSender::Outcome::Aborted, SmsSender::Road::At};
    s.run([&] { result = sender.send(message); });
    s.endProgress();

    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (result.outcome == SmsSender::Outcome::Sent) {
        print(QStringLiteral("SMS sent OK."));
        return Exit::Ok;
    }
    if (result.outcome == SmsSender::Outcome::Refused) {
        if (refused == SmsSender::Field::Text)
            return usage(QStringLiteral("the message is empty"));
        if (refused == SmsSender::Field::SmsRecipient)
            return usage(QStringLiteral("\"%1\" is no number the phone can send to (it needs at least 3 digits)")
                             .arg(number));
        return usage(QStringLiteral("the phone cannot take this message or number"));
    }
    // The rest the phone ended, in the words the SMS page shows.
    const QString said = SmsSender::statusText(result, s.link.portName()).value_or(QString());
    s.fail(Exit::Phone, QStringLiteral("%1: %2").arg(s.where(), said.isEmpty() ? QStringLiteral("SMS not sent") : said));
    return s.exitCode();
}

// ---------------------------------------------------------------- sms list, delete

QString messageStoreName(InboxAt::Store store)
{
    return store == InboxAt::Store::Sim ? QStringLiteral("SIM store (SM)") : QStringLiteral("phone store (ME)");
}

// The name a number goes by in the SMS book of QXsms.phb here, as the
// window finds it there.
QString smsBookName(const BookFile::Contents &book, const QString &number)
{
    for (const PhonebookEntry &e : book.sms)
        if (!e.name.trimmed().isEmpty() && Inbox::sameNumber(fromPhoneText(e.number), number))
            return fromPhoneText(e.name.trimmed());
    return {};
}

// One block per message, as the Inbox page shows it below the list; a line
// of its own between them.
QByteArray textList(const QList<InboxMessage> &messages)
{
    QString out;
    for (const InboxMessage &m : messages) {
        if (!out.isEmpty())
            out += QStringLiteral("\n\n");
        out += Inbox::details(m) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

int smsList(CliSession &s, const Invocation &call)
{
    const QString m = call.options.value(QStringLiteral("memory")).toUpper();
    InboxService::Choice choice = InboxService::Choice::Sim;
    if (m == QLatin1String("ME"))
        choice = InboxService::Choice::Phone;
    else if (m == QLatin1String("BOTH"))
        choice = InboxService::Choice::Both;
    else if (call.options.isSet(QStringLiteral("memory")) && m != QLatin1String("SM"))
        return usage(QStringLiteral("sms list takes --memory SM, ME or both, not \"%1\"")
                         .arg(call.options.value(QStringLiteral("memory"))));
    const QString format = call.options.isSet(QStringLiteral("format"))
                               ? call.options.value(QStringLiteral("format")).toLower()
                               : QStringLiteral("text");
    if (format != QLatin1String("text") && format != QLatin1String("csv") && format != QLatin1String("mbox"))
        return usage(QStringLiteral("unknown format \"%1\"; one of: text, csv, mbox")
                         .arg(call.options.value(QStringLiteral("format"))));

    InboxService service(s.link);
    QObject::connect(&service, &InboxService::progress, [&](int found, int total) {
        s.progress(QStringLiteral("reading %1/%2").arg(found).arg(total));
    });
    InboxService::ReadResult result;
    s.run([&] { service.read(choice, result); });
    s.run([&] { service.finish(); });

    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    // Nothing half read is written out: the messages are still in the phone.
    if (!result.complete) {
        s.fail(Exit::Phone, QStringLiteral("messages on %1: %2").arg(s.where(), result.error.isEmpty()
                                                                               ? exchangeFailure(s.link)
                                                                               : result.error));
        return s.exitCode();
    }

    QList<InboxMessage> messages = Inbox::join(result.parts);
    QFile bookFile(QStringLiteral("QXsms.phb"));
    if (bookFile.open(QIODevice::ReadOnly)) {
        const BookFile::Contents book = BookFile::parse(bookFile.read(BookFile::FullSize));
        for (InboxMessage &message : messages)
            message.name = smsBookName(book, message.number);
    }
    const QByteArray bytes = format == QLatin1String("csv")    ? InboxFiles::csv(messages)
                             : format == QLatin1String("mbox") ? InboxFiles::mbox(messages, QDateTime::currentDateTimeUtc())
                                                               : textList(messages);
    s.deliver(bytes, call.options.value(QStringLiteral("output")));
    return s.exitCode();
}

int smsDelete(CliSession &s, const Invocation &call)
{
    const QString m = call.options.value(QStringLiteral("memory")).toUpper();
    if (m != QLatin1String("SM") && m != QLatin1String("ME"))
        return usage(QStringLiteral("sms delete needs --memory SM or --memory ME"));
    const InboxAt::Store store = m == QLatin1String("SM") ? InboxAt::Store::Sim : InboxAt::Store::Phone;
    // Every location checked before anything is sent: a typing error must
    // not leave half the list deleted.
    QList<InboxService::Location> locations;
    for (const QString &a : call.arguments) {
        bool ok = false;
        const int n = a.toInt(&ok);
        if (!ok || n < 1 || n > 1000)
            return usage(QStringLiteral("a location is a number from 1 to 1000, not \"%1\"").arg(a));
        if (!locations.contains(InboxService::Location{store, n}))
            locations << InboxService::Location{store, n};
    }

    InboxService service(s.link);
    InboxService::DeleteResult result;
    // Until the phone confirms a location it counts as still there.
    result.refused = locations;
    s.run([&] { result = service.remove(locations); });
    s.run([&] { service.finish(); });

    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (!result.refused.isEmpty()) {
        QStringList where;
        for (const InboxService::Location &l : result.refused)
            where << QString::number(l.location);
        QString text = QStringLiteral("%1 on %2 did not delete location %3")
                           .arg(messageStoreName(store), s.where(), where.join(QStringLiteral(", ")));
        if (!result.error.isEmpty())
            text += QStringLiteral(": ") + result.error;
        s.fail(Exit::Phone, text);
    }
    return s.exitCode();
}

// ---------------------------------------------------------------- melody

int melodyRead(CliSession &s, const Invocation &)
{
    PersonalRings rings(s.link);
    PhoneMelodies melodies(s.link, rings);
    PhoneMelodies::Read read;
    s.run([&] { read = melodies.readMelodies(); });
    s.run([&] { s.link.closePort(); });
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (read.status != PhoneMelodies::Read::Done) {
        s.fail(Exit::Phone, QStringLiteral("own melodies on %1: %2").arg(s.where(), exchangeFailure(s.link)));
        return s.exitCode();
    }
    for (int slot = 1; slot <= PhoneMelodies::SlotCount; ++slot)
        print(QStringLiteral("%1: %2").arg(slot).arg(read.shown(slot).trimmed()));
    return Exit::Ok;
}

int melodyStore(CliSession &s, const Invocation &call)
{
    bool ok = false;
    const int slot = call.arguments.value(0).toInt(&ok);
    if (!ok || slot < 1 || slot > PhoneMelodies::SlotCount)
        return usage(QStringLiteral("the slot is 1 to %1, not \"%2\"").arg(PhoneMelodies::SlotCount).arg(call.arguments.value(0)));
    const QString notation = call.arguments.value(1);
    PersonalRings rings(s.link);
    PhoneMelodies melodies(s.link, rings);
    ServiceResult result = ServiceResult::NotSent;
    s.run([&] { result = melodies.storeMelody(slot, notation); });
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    switch (result) {
    case ServiceResult::Done:
        return Exit::Ok;
    case ServiceResult::NotSent:
        return usage(QStringLiteral("the melody is empty"));
    case ServiceResult::Refused:
        break;
    }
    s.fail(Exit::Phone, QStringLiteral("melody %1 on %2: %3").arg(slot).arg(s.where(), exchangeFailure(s.link)));
    return s.exitCode();
}

} // namespace

const QList<Command> &commands()
{
    static const QList<Command> table{
        {{"ports"}, {}, 0, 0, {}, ports},
        {{"info"}, {}, 0, 0, {}, info},
        {{"phonebook", "read"}, "--memory SM|ME [--format pbk|vcf|csv] [-o FILE]", 0, 0,
         {"memory", "format", "output"}, phonebookRead},
        {{"phonebook", "write"}, "FILE --memory SM|ME [--dry-run] [--clear-others]", 1, 1,
         {"memory", "dry-run", "clear-others"}, phonebookWrite},
        {{"sms", "send"}, "NUMBER [TEXT|-] [--binary]", 1, 2, {"binary"}, smsSend},
        {{"sms", "list"}, "[--memory SM|ME|both] [--format text|csv|mbox] [-o FILE]", 0, 0,
         {"memory", "format", "output"}, smsList},
        {{"sms", "delete"}, "--memory SM|ME LOCATION...", 1, -1, {"memory"}, smsDelete},
        {{"melody", "read"}, {}, 0, 0, {}, melodyRead},
        {{"melody", "store"}, "SLOT NOTATION", 2, 2, {}, melodyStore},
    };
    return table;
}
