// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/Commands.h"

#include "app/cli/CommandSupport.h"

using namespace CliCommands;

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
        {{"backup"}, "[-o FILE] [--only SECTIONS]", 0, 0, {"output", "only"}, backup},
        {{"restore"}, "FILE [--only SECTIONS] [--replace] [--dry-run] [--force]", 1, 1,
         {"only", "replace", "dry-run", "force"}, restore},
    };
    return table;
}
