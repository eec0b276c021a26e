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

int ports(CliSession &s, const Invocation &call);
int info(CliSession &s, const Invocation &call);
int phonebookRead(CliSession &s, const Invocation &call);
int phonebookWrite(CliSession &s, const Invocation &call);
int smsSend(CliSession &s, const Invocation &call);
int smsList(CliSession &s, const Invocation &call);
int smsDelete(CliSession &s, const Invocation &call);
int melodyRead(CliSession &s, const Invocation &call);
int melodyStore(CliSession &s, const Invocation &call);
int backup(CliSession &s, const Invocation &call);
int restore(CliSession &s, const Invocation &call);

} // namespace CliCommands
