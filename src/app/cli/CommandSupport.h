// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the commands of mirvak-cli share, and the commands themselves, one
// file a feature: InfoCommands.cpp (ports, info), PhonebookCommands.cpp,
// SmsCommands.cpp and MelodyCommands.cpp. Commands.cpp lists them in its
// one table.
#include <QString>

#include "app/cli/CliSession.h"
#include "app/cli/Commands.h"

namespace CliCommands {

// A usage error told; the exit code for it.
int usage(const QString &message);
// A line of the result on standard output.
void print(const QString &text);
// How an exchange that did not end Ok failed, in words.
QString exchangeFailure(Exchange::Status status);

// --format of the message commands (text, csv, mbox); empty, told, when it
// is none of them.
QString messageFormat(const Invocation &call);
// Messages with their names from the SMS book of QXsms.phb here, as the
// window finds them, written in `format` to -o or standard output.
void deliverMessages(CliSession &s, QList<InboxMessage> messages, const QString &format, const Invocation &call);
// Messages read from the phone, kept in the archive; the newly kept ones.
std::optional<QList<ArchivedMessage>> keepRead(CliSession &s, const QList<InboxMessage> &messages);

int ports(CliSession &s, const Invocation &call);
int info(CliSession &s, const Invocation &call);
// What the phone offers: its books and their sizes, message stores,
// character sets and message formats.
int capabilities(CliSession &s, const Invocation &call);
int phonebookRead(CliSession &s, const Invocation &call);
int phonebookWrite(CliSession &s, const Invocation &call);
int smsSend(CliSession &s, const Invocation &call);
int smsList(CliSession &s, const Invocation &call);
int smsGet(CliSession &s, const Invocation &call);
int smsDelete(CliSession &s, const Invocation &call);
int smsArchive(CliSession &s, const Invocation &call);
int smsFetch(CliSession &s, const Invocation &call);
int melodyRead(CliSession &s, const Invocation &call);
int melodyStore(CliSession &s, const Invocation &call);
// CallCommands.cpp: the phone's state, its call lists and calls.
int status(CliSession &s, const Invocation &call);
int calls(CliSession &s, const Invocation &call);
int dial(CliSession &s, const Invocation &call);
int hangup(CliSession &s, const Invocation &call);
// The SIM's PIN, when an operation finds the SIM locked: from `pinFile`,
// else from the terminal without echo.
void installPinHandler(CliSession &s, const QString &pinFile);
int backup(CliSession &s, const Invocation &call);
int restore(CliSession &s, const Invocation &call);

} // namespace CliCommands
