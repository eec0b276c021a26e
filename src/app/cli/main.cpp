// SPDX-License-Identifier: GPL-2.0-or-later
// mirvak-cli: the phone work of Mirvak from a shell or a script, on the same
// core and link code as the window, with no widgets and no display.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

#include "app/cli/CliSession.h"
#include "app/cli/CommandSupport.h"
#include "app/cli/Commands.h"
#include "core/messaging/BookFile.h"

namespace {

const char Description[] =
    "Manages an Ericsson T28-class GSM phone over a serial data cable, from a shell.\n"
    "\n"
    "Commands:\n"
    "%1\n"
    "\"mirvak-cli help [COMMAND]\" lists the commands with what each does.\n"
    "Results go to standard output, messages to standard error.\n"
    "Exit status: 0 success, 1 the phone refused or did not answer (or Ctrl-C),\n"
    "2 wrong usage, 3 the port could not be used.";

QString commandList()
{
    QString out;
    for (const Command &c : commands()) {
        out += QStringLiteral("  ") + c.words.join(QLatin1Char(' '));
        if (!c.synopsis.isEmpty())
            out += QLatin1Char(' ') + c.synopsis;
        out += QLatin1Char('\n');
    }
    return out;
}

// The commands whose words begin with `prefix`, one line each: the words
// and what the command does.
QString commandLines(const QStringList &prefix)
{
    QList<const Command *> found;
    qsizetype width = 0;
    for (const Command &c : commands()) {
        if (c.words.mid(0, prefix.size()) != prefix)
            continue;
        found << &c;
        width = qMax(width, c.words.join(QLatin1Char(' ')).size());
    }
    QString out;
    for (const Command *c : found)
        out += QStringLiteral("  %1  %2\n").arg(c->words.join(QLatin1Char(' ')), -int(width)).arg(c->summary);
    return out;
}

// The port of the book file in the working folder, as the window uses it.
QString savedPort()
{
    QFile book(QStringLiteral("QXsms.phb"));
    if (!book.open(QIODevice::ReadOnly))
        return QStringLiteral("COM1");
    return QStringLiteral("COM%1").arg(BookFile::parse(book.read(BookFile::FullSize)).portNumber);
}

int usageError(const QString &message)
{
    CliSession::say(message);
    std::fputs("Try \"mirvak-cli --help\".\n", stderr);
    return Exit::Usage;
}

// "mirvak-cli help [COMMAND]": the commands (or those of one group) with a
// line each, or one command's usage.
int helpCommand(const QStringList &words)
{
    for (const Command &c : commands()) {
        if (c.words == words) {
            std::printf("usage: mirvak-cli %s\n%s.\n",
                        qPrintable(QStringLiteral("%1 %2").arg(c.words.join(QLatin1Char(' ')), c.synopsis).trimmed()),
                        qPrintable(c.summary));
            return Exit::Ok;
        }
    }
    const QString lines = commandLines(words);
    if (lines.isEmpty())
        return usageError(QStringLiteral("unknown command \"%1\"").arg(words.join(QLatin1Char(' '))));
    std::fputs(qPrintable(lines), stdout);
    return Exit::Ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirvak-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MIRVAK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description).arg(commandList()));
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of the commands above, with its arguments."),
                                 QStringLiteral("COMMAND [ARGUMENT...]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("port"), QStringLiteral("The port: COM1..COM16 or a device path (default: the port saved in "
                                                "QXsms.phb here, else COM1)."), QStringLiteral("COMn|DEVICE")},
        {QStringLiteral("trace"), QStringLiteral("Record every byte and port operation in FILE, like MIRVAK_TRACE."),
         QStringLiteral("FILE")},
        {QStringLiteral("memory"), QStringLiteral("The memory: SM (SIM) or ME (phone); sms list also takes both "
                                                  "(default: SM)."), QStringLiteral("SM|ME|both")},
        {QStringLiteral("format"), QStringLiteral("The format to write: pbk (default), vcf or csv for a phonebook; "
                                                  "text (default), csv or mbox for messages; text (default) or csv "
                                                  "for calls; text (default) or json for status."),
         QStringLiteral("FORMAT")},
        {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Write the result to FILE, whole or not at all."),
         QStringLiteral("FILE")},
        {QStringLiteral("dry-run"), QStringLiteral("Print the commands instead of sending them.")},
        {QStringLiteral("clear-others"), QStringLiteral("Also clear the locations the file leaves empty.")},
        {QStringLiteral("binary"), QStringLiteral("Send the message in binary mode.")},
        {QStringLiteral("unread"), QStringLiteral("sms list: only the unread messages.")},
        {QStringLiteral("archive"), QStringLiteral("The message archive (default: messages.sqlite here)."),
         QStringLiteral("FILE")},
        {QStringLiteral("with"), QStringLiteral("sms archive: only the conversation with NUMBER."), QStringLiteral("NUMBER")},
        {QStringLiteral("search"), QStringLiteral("sms archive: only messages with these words, number or name."),
         QStringLiteral("TEXT")},
        {QStringLiteral("list"), QStringLiteral("The call list: dialled (default), missed, received, own, fixed or "
                                                "emergency."), QStringLiteral("LIST")},
        {QStringLiteral("pin-file"), QStringLiteral("When the SIM waits for its PIN, read it from the first line of "
                                                    "FILE (for its PUK: the PUK, and a new PIN on the next line) "
                                                    "instead of the terminal."), QStringLiteral("FILE")},
        {QStringLiteral("only"), QStringLiteral("Back up or restore only these sections, comma-separated: phone, sim, "
                                                "phone_book, messages, melodies, settings, books."),
         QStringLiteral("SECTIONS")},
        {QStringLiteral("replace"), QStringLiteral("Restore: also clear what the backup does not hold.")},
        {QStringLiteral("force"), QStringLiteral("Restore from a backup whose checksum does not match.")},
    });

    if (!parser.parse(app.arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return Exit::Ok;
    }
    if (parser.isSet(version)) {
        std::printf("mirvak-cli %s\n", MIRVAK_VERSION);
        return Exit::Ok;
    }

    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(QStringLiteral("no command given"));
    if (words.first() == QLatin1String("help"))
        return helpCommand(words.mid(1));
    const Command *command = nullptr;
    for (const Command &c : commands()) {
        if (words.mid(0, c.words.size()) == c.words && (!command || c.words.size() > command->words.size()))
            command = &c;
    }
    // "sms" alone: what it can be followed by.
    if (!command && words.size() == 1 && !commandLines(words).isEmpty()) {
        CliSession::say(QStringLiteral("%1 needs one of:").arg(words.first()));
        std::fputs(qPrintable(commandLines(words)), stderr);
        return Exit::Usage;
    }
    if (!command)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(words.mid(0, 2).join(QLatin1Char(' '))));
    const QStringList arguments = words.mid(command->words.size());
    const QString name = command->words.join(QLatin1Char(' '));
    if (arguments.size() < command->minArguments
        || (command->maxArguments >= 0 && arguments.size() > command->maxArguments))
        return usageError(QStringLiteral("usage: mirvak-cli %1 %2").arg(name, command->synopsis).trimmed());
    static const QStringList global{QStringLiteral("port"), QStringLiteral("trace"), QStringLiteral("archive"),
                                    QStringLiteral("pin-file")};
    for (const QString &option : parser.optionNames()) {
        const QString longName = option == QLatin1String("o") ? QStringLiteral("output") : option;
        if (!global.contains(longName) && !command->options.contains(longName))
            return usageError(QStringLiteral("%1 takes no --%2").arg(name, longName));
    }

    // The link reads the trace file and the devices behind the COM names
    // from the environment, as the window does.
    if (parser.isSet(QStringLiteral("trace")))
        qputenv("MIRVAK_TRACE", QFile::encodeName(parser.value(QStringLiteral("trace"))));
    QString portName = savedPort();
    QString givenDevice;
    if (parser.isSet(QStringLiteral("port"))) {
        const QString given = parser.value(QStringLiteral("port"));
        static const QRegularExpression comName(QStringLiteral("^COM([1-9]|1[0-6])$"),
                                                QRegularExpression::CaseInsensitiveOption);
        if (comName.match(given).hasMatch()) {
            portName = given.toUpper();
        } else if (given.startsWith(QLatin1Char('/'))) {
            qputenv("MIRVAK_COM1", QFile::encodeName(given));
            portName = QStringLiteral("COM1");
            givenDevice = given;
        } else {
            return usageError(QStringLiteral("--port takes COM1..COM16 or a device path, not \"%1\"").arg(given));
        }
    }

    CliSession session;
    session.port.setPort(portName);
    session.setGivenDevice(givenDevice);
    if (parser.isSet(QStringLiteral("archive")))
        session.setArchivePath(parser.value(QStringLiteral("archive")));
    // Before the phone is asked anything: reading messages marks them read.
    if (parser.isSet(QStringLiteral("output")) && !session.checkWritable(parser.value(QStringLiteral("output"))))
        return session.exitCode();
    CliCommands::installPinHandler(session, parser.value(QStringLiteral("pin-file")));
    return command->run(session, Invocation{arguments, parser});
}
