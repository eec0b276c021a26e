// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The commands of mirvak-cli, one table: the words that name a command, the
// arguments and options it takes, and the function that runs it. A new
// command is one row and one function.
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

class CliSession;

struct Invocation {
    QStringList arguments; // after the command's words
    const QCommandLineParser &options;
};

struct Command {
    QStringList words;    // {"phonebook", "read"}
    QString synopsis;     // what follows the words in the usage text
    int minArguments = 0;
    int maxArguments = 0; // -1: any number
    QStringList options;  // the command's own options, beyond the global ones
    int (*run)(CliSession &session, const Invocation &call) = nullptr;
    QString summary;      // what it does, in one line of the command lists
};

const QList<Command> &commands();
