// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/CommandSupport.h"

#include <QTextStream>

namespace CliCommands {

int usage(const QString &message)
{
    CliSession::say(message);
    return Exit::Usage;
}

void print(const QString &text)
{
    QTextStream(stdout) << text << Qt::endl;
}

QString exchangeFailure(Exchange::Status status)
{
    switch (status) {
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

} // namespace CliCommands
