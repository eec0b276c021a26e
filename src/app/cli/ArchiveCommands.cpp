// SPDX-License-Identifier: GPL-2.0-or-later
// sms archive and sms fetch: the messages kept on this computer, and a
// read of the phone that prints only what the archive did not hold yet.
#include <QDateTime>
#include <algorithm>

#include "app/cli/CommandSupport.h"
#include "core/messaging/NumberKey.h"
#include "link/messaging/InboxService.h"
#include "store/archive/MessageArchive.h"

namespace CliCommands {

namespace {

QList<InboxMessage> asInbox(const QList<ArchivedMessage> &messages)
{
    QList<InboxMessage> out;
    for (const ArchivedMessage &m : messages)
        out << MessageArchive::toInbox(m);
    return out;
}

} // namespace

int smsArchive(CliSession &s, const Invocation &call)
{
    const QString format = messageFormat(call);
    if (format.isEmpty())
        return Exit::Usage;
    MessageArchive *archive = s.archive();
    if (!archive) {
        s.fail(Exit::Usage, QStringLiteral("no message archive to read"));
        return s.exitCode();
    }
    QList<ArchivedMessage> messages = call.options.isSet(QStringLiteral("search"))
                                          ? archive->search(call.options.value(QStringLiteral("search")))
                                          : archive->all();
    if (call.options.isSet(QStringLiteral("with"))) {
        const QString key = archive->keyFor(call.options.value(QStringLiteral("with")));
        messages.removeIf([&](const ArchivedMessage &m) { return m.conversation != key; });
        // A conversation reads oldest first.
        std::reverse(messages.begin(), messages.end());
    }
    if (messages.isEmpty())
        CliSession::say(QStringLiteral("0 messages"));
    deliverMessages(s, asInbox(messages), format, call);
    return s.exitCode();
}

int smsFetch(CliSession &s, const Invocation &call)
{
    const QString format = messageFormat(call);
    if (format.isEmpty())
        return Exit::Usage;
    // Nothing is read that could not be kept: a read marks messages read.
    if (!s.archive()) {
        s.fail(Exit::Usage, QStringLiteral("no message archive to fetch into"));
        return s.exitCode();
    }
    InboxService service(s.link);
    InboxService::ReadResult result;
    s.run([&] { service.read(InboxService::Choice::Both, result); });
    s.run([&] { service.finish(); });
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    // What was read before the phone stopped is kept all the same.
    const std::optional<QList<ArchivedMessage>> added = keepRead(s, Inbox::join(result.parts));
    if (!added) {
        s.fail(Exit::Usage, QStringLiteral("the messages read were not archived"));
        return s.exitCode();
    }
    CliSession::say(QStringLiteral("%1 new message%2").arg(added->size()).arg(added->size() == 1 ? "" : "s"));
    if (!added->isEmpty())
        deliverMessages(s, asInbox(*added), format, call);
    if (!result.complete)
        s.fail(Exit::Phone, QStringLiteral("messages on %1: %2").arg(s.where(), result.error.isEmpty()
                                                                               ? exchangeFailure(s.link.lastStatus())
                                                                               : result.error));
    return s.exitCode();
}

} // namespace CliCommands
