// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/Commands.h"

#include "app/cli/CommandSupport.h"

using namespace CliCommands;

const QList<Command> &commands()
{
    static const QList<Command> table{
        {{"ports"}, {}, 0, 0, {}, ports, "Name the ports and whether a phone answers on each"},
        {{"info"}, {}, 0, 0, {}, info, "Show what the GSM information page shows"},
        {{"capabilities"}, {}, 0, 0, {}, capabilities, "Show what the phone offers: books, message stores, character sets"},
        {{"phonebook", "read"}, "--memory SM|ME [--format pbk|vcf|csv] [-o FILE]", 0, 0,
         {"memory", "format", "output"}, phonebookRead, "Read a phonebook of the phone into a file"},
        {{"phonebook", "write"}, "FILE --memory SM|ME [--dry-run] [--clear-others]", 1, 1,
         {"memory", "dry-run", "clear-others"}, phonebookWrite, "Write a file's entries to a phonebook of the phone"},
        {{"sms", "send"}, "NUMBER [TEXT|-] [--binary] [--dry-run]", 1, 2, {"binary", "dry-run"}, smsSend, "Send a text message"},
        {{"sms", "list"}, "[--memory SM|ME|both] [--format text|csv|mbox] [-o FILE] [--unread]", 0, 0,
         {"memory", "unread", "format", "output"}, smsList, "List the stored messages"},
        {{"sms", "get"}, "--memory SM|ME LOCATION [--format text|csv|mbox] [-o FILE]", 1, 1,
         {"memory", "format", "output"}, smsGet, "Show the message stored at one location"},
        {{"sms", "delete"}, "--memory SM|ME LOCATION...", 1, -1, {"memory"}, smsDelete,
         "Delete the messages at the given locations"},
        {{"sms", "archive"}, "[--with NUMBER] [--search TEXT] [--format text|csv|mbox] [-o FILE]", 0, 0,
         {"with", "search", "format", "output"}, smsArchive, "Show the messages kept in the archive"},
        {{"sms", "fetch"}, "[--format text|csv|mbox] [-o FILE]", 0, 0, {"format", "output"}, smsFetch,
         "Keep the phone's messages in the archive and print the new ones"},
        {{"melody", "read"}, {}, 0, 0, {}, melodyRead, "Show the phone's four own melodies"},
        {{"melody", "store"}, "SLOT NOTATION", 2, 2, {}, melodyStore, "Store a tune as one of the own melodies"},
        {{"status"}, "[--format text|json]", 0, 0, {"format"}, status, "Show signal, battery, operator, registration and PIN state"},
        {{"calls"}, "[--list dialled|missed|received|own|fixed|emergency] [--format text|csv]", 0, 0,
         {"list", "format"}, calls, "Show one of the phone's call lists"},
        {{"dial"}, "NUMBER", 1, 1, {}, dial, "Call a number"},
        {{"hangup"}, {}, 0, 0, {}, hangup, "End the call"},
        {{"backup"}, "[-o FILE] [--only SECTIONS]", 0, 0, {"output", "only"}, backup,
         "Back up the whole phone into one file"},
        {{"restore"}, "FILE [--only SECTIONS] [--replace] [--dry-run] [--force]", 1, 1,
         {"only", "replace", "dry-run", "force"}, restore, "Restore a backup file onto the phone"},
    };
    return table;
}
