// SPDX-License-Identifier: GPL-2.0-or-later
// Text messages: "sms send", "sms list", "sms get" and "sms delete".
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include "app/cli/CommandSupport.h"
#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/InboxFiles.h"
#include "core/messaging/InboxMessages.h"
#include "core/messaging/IcqNumbers.h"
#include "core/messaging/PduBuilder.h"
#include "link/messaging/CentreService.h"
#include "link/messaging/InboxService.h"
#include "link/messaging/SmsSender.h"

namespace CliCommands {

namespace {

QString messageStoreName(InboxAt::Store store)
{
    return store == InboxAt::Store::Sim ? QStringLiteral("SIM store (SM)") : QStringLiteral("phone store (ME)");
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

const QString EmptyMessage = QStringLiteral("the message is empty");

QString notANumber(const QString &number)
{
    return QStringLiteral("\"%1\" is no number the phone can send to (it needs at least 3 digits)").arg(number);
}

// The PDUs the send would hand the phone, one a line; the port untouched.
int printPdus(const QString &number, const QString &text)
{
    if (text.isEmpty())
        return usage(EmptyMessage);
    const std::optional<Pdu::Address> recipient = Pdu::encodeNumber(Reply::trimmed(toPhoneText(number)));
    if (!recipient)
        return usage(notANumber(number));
    const auto reference = quint8(QRandomGenerator::global()->bounded(256));
    for (const Pdu::UserData &part : Pdu::encodeMessage(text, reference))
        print(QString::fromLatin1(Pdu::hex(Pdu::submitPdu(*recipient, part, false))));
    return Exit::Ok;
}

// --memory SM or ME, the one store "sms get" and "sms delete" work on.
std::optional<InboxAt::Store> oneStore(const Invocation &call, const QString &command)
{
    const QString m = call.options.value(QStringLiteral("memory")).toUpper();
    if (m == QLatin1String("SM"))
        return InboxAt::Store::Sim;
    if (m == QLatin1String("ME"))
        return InboxAt::Store::Phone;
    usage(QStringLiteral("%1 needs --memory SM or --memory ME").arg(command));
    return std::nullopt;
}

// A location as typed: 1 to 1000, no store is larger; told when not.
std::optional<int> locationArgument(const QString &a)
{
    bool ok = false;
    const int n = a.toInt(&ok);
    if (ok && n >= 1 && n <= 1000)
        return n;
    usage(QStringLiteral("a location is a number from 1 to 1000, not \"%1\"").arg(a));
    return std::nullopt;
}

// "the SIM store (SM) has locations 1 to 20"
QString rangeText(InboxAt::Store store, int size)
{
    return QStringLiteral("the %1 has locations 1 to %2").arg(messageStoreName(store)).arg(size);
}

} // namespace

std::optional<QList<ArchivedMessage>> keepRead(CliSession &s, const QList<InboxMessage> &messages)
{
    MessageArchive *archive = s.archive();
    if (!archive)
        return std::nullopt;
    const auto added = archive->addRead(messages);
    if (!added)
        CliSession::say(archive->error());
    return added;
}

// --format of the message commands; empty (told) when it is none of them.
QString messageFormat(const Invocation &call)
{
    const QString format = call.options.isSet(QStringLiteral("format"))
                               ? call.options.value(QStringLiteral("format")).toLower()
                               : QStringLiteral("text");
    if (format == QLatin1String("text") || format == QLatin1String("csv") || format == QLatin1String("mbox"))
        return format;
    usage(QStringLiteral("unknown format \"%1\"; one of: text, csv, mbox").arg(call.options.value(QStringLiteral("format"))));
    return {};
}

// The messages with their names from the SMS book of QXsms.phb here, as
// the window finds them, written in `format`.
void deliverMessages(CliSession &s, QList<InboxMessage> messages, const QString &format, const Invocation &call)
{
    QFile bookFile(QStringLiteral("QXsms.phb"));
    if (bookFile.open(QIODevice::ReadOnly)) {
        const PhonebookEntries smsBook = BookFile::entries(BookFile::parse(bookFile.read(BookFile::FullSize)).sms);
        for (InboxMessage &message : messages)
            message.name = Inbox::nameFor(message.number, {&smsBook});
    }
    const QByteArray bytes = format == QLatin1String("csv")    ? InboxFiles::csv(messages)
                             : format == QLatin1String("mbox") ? InboxFiles::mbox(messages, QDateTime::currentDateTimeUtc())
                                                               : textList(messages);
    s.deliver(bytes, call.options.value(QStringLiteral("output")));
}

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
    const Pdu::Plan plan = Pdu::plan(text);
    if (!plan.fits())
        return usage(QStringLiteral("the message has %1 characters and would take %2 SMS; at most %3 are sent "
                                    "(%4 characters, or %5 in Unicode)")
                         .arg(Pdu::characterCount(text))
                         .arg(plan.parts)
                         .arg(Pdu::MaxParts)
                         .arg(Pdu::MaxParts * Pdu::PartSeptets)
                         .arg(Pdu::MaxParts * Pdu::PartUnits));
    if (call.options.isSet(QStringLiteral("dry-run")))
        return printPdus(number, text);

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

    // Whatever went out is kept, whether the phone took it or not.
    if (const QString kept = SmsSender::keptStatus(result.outcome); !kept.isEmpty())
        s.keep({MessageArchive::sentMessage(number, text, kept, result.pdus, result.messageReference,
                                            QDateTime::currentDateTime())});
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (result.outcome == SmsSender::Outcome::Sent) {
        if (result.atForBinary)
            CliSession::say(QStringLiteral("the phone's binary mode refused the message (a long or Unicode one); "
                                           "it went in AT mode"));
        print(QStringLiteral("SMS sent OK."));
        return Exit::Ok;
    }
    if (result.outcome == SmsSender::Outcome::Refused) {
        if (refused == SmsSender::Field::Text)
            return usage(EmptyMessage);
        if (refused == SmsSender::Field::SmsRecipient)
            return usage(notANumber(number));
        return usage(QStringLiteral("the phone cannot take this message or number"));
    }
    // The rest the phone ended, in the words the SMS page shows.
    const QString said = SmsSender::statusText(result, s.where()).value_or(QString());
    s.fail(Exit::Phone, QStringLiteral("%1: %2").arg(s.where(), said.isEmpty() ? QStringLiteral("SMS not sent") : said));
    return s.exitCode();
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
    const QString format = messageFormat(call);
    if (format.isEmpty())
        return Exit::Usage;

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
                                                                               ? exchangeFailure(s.link.lastStatus())
                                                                               : result.error));
        return s.exitCode();
    }

    for (const InboxAt::Store store : result.missing)
        CliSession::say(QStringLiteral("the phone on %1 has no %2; only the other store was read")
                            .arg(s.where(), messageStoreName(store)));
    QList<InboxMessage> messages = Inbox::join(result.parts);
    keepRead(s, messages);
    const bool unreadOnly = call.options.isSet(QStringLiteral("unread"));
    if (unreadOnly)
        messages.removeIf([](const InboxMessage &message) { return message.status != InboxAt::Unread; });
    // An empty result says so: an empty file alone could be any failure.
    if (messages.isEmpty())
        CliSession::say(unreadOnly ? QStringLiteral("0 messages unread") : QStringLiteral("0 messages"));
    deliverMessages(s, messages, format, call);
    return s.exitCode();
}

int smsGet(CliSession &s, const Invocation &call)
{
    const std::optional<InboxAt::Store> store = oneStore(call, QStringLiteral("sms get"));
    if (!store)
        return Exit::Usage;
    const std::optional<int> location = locationArgument(call.arguments.value(0));
    if (!location)
        return Exit::Usage;
    const QString format = messageFormat(call);
    if (format.isEmpty())
        return Exit::Usage;

    InboxService service(s.link);
    InboxService::ReadResult result;
    s.run([&] { service.readOne(*store, *location, result); });
    s.run([&] { service.finish(); });
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (!result.complete) {
        s.fail(Exit::Phone, QStringLiteral("%1 on %2: %3").arg(messageStoreName(*store), s.where(), result.error.isEmpty()
                                                                 ? exchangeFailure(s.link.lastStatus())
                                                                 : result.error));
        return s.exitCode();
    }
    if (const int size = result.sizes.value(*store); size > 0 && *location > size)
        return usage(QStringLiteral("location %1 is out of range: %2").arg(*location).arg(rangeText(*store, size)));
    if (result.parts.isEmpty()) {
        s.fail(Exit::Phone, QStringLiteral("location %1 of the %2 on %3 is empty")
                                .arg(*location).arg(messageStoreName(*store), s.where()));
        return s.exitCode();
    }
    const QList<InboxMessage> messages = Inbox::join(result.parts);
    keepRead(s, messages);
    deliverMessages(s, messages, format, call);
    return s.exitCode();
}

int smsDelete(CliSession &s, const Invocation &call)
{
    const std::optional<InboxAt::Store> chosen = oneStore(call, QStringLiteral("sms delete"));
    if (!chosen)
        return Exit::Usage;
    const InboxAt::Store store = *chosen;
    // Every location checked before anything is sent: a typing error must
    // not leave half the list deleted.
    QList<InboxService::Location> locations;
    for (const QString &a : call.arguments) {
        const std::optional<int> n = locationArgument(a);
        if (!n)
            return Exit::Usage;
        if (!locations.contains(InboxService::Location{store, *n}))
            locations << InboxService::Location{store, *n};
    }

    InboxService service(s.link);
    InboxService::DeleteResult result;
    // Until the phone confirms a location it counts as still there.
    result.refused = locations;
    s.run([&] { result = service.remove(locations, true); });
    s.run([&] { service.finish(); });

    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (!result.outOfRange.isEmpty()) {
        QStringList beyond;
        for (const InboxService::Location &l : result.outOfRange)
            beyond << QString::number(l.location);
        return usage(QStringLiteral("location %1 %2 out of range, nothing deleted: %3")
                         .arg(beyond.join(QStringLiteral(", ")),
                              beyond.size() > 1 ? QStringLiteral("are") : QStringLiteral("is"),
                              rangeText(store, result.sizes.value(store))));
    }
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

} // namespace CliCommands
