// SPDX-License-Identifier: GPL-2.0-or-later
// The message archive at the size a long-kept phone gives it: 100 000
// messages in 2 000 conversations, generated once into a scratch folder.
// Prints the time to store one read of 15 messages, a search as the user
// types, and the query the archive view opens with (its first screenful).
// MIRVAK_ARCHIVE_MESSAGES changes the count.
#include "store/archive/MessageArchive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

const QStringList Words{"train", "late", "dinner", "tomorrow", "meeting", "call", "home", "ticket", "weekend",
                        "birthday", "office", "station", "coffee", "please", "thanks", "tonight"};

QString rare(int n)
{
    return QStringLiteral("w") + QString::number(uint(n * 2654435761u) % 5000u, 36);
}

ArchivedMessage message(int i)
{
    ArchivedMessage m;
    m.direction = i % 3 ? ArchivedMessage::Received : ArchivedMessage::Sent;
    m.number = QStringLiteral("+4670%1").arg(1000000 + i % 2000);
    m.time = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(qint64(i) * 600);
    // A few everyday words and a few of a vocabulary of 5 000 others, as
    // people's messages mix them.
    QStringList text;
    for (int w = 0; w < 8; ++w)
        text << (w % 2 ? Words.at((i * 7 + w * 13) % Words.size()) : rare(i * 31 + w * 977));
    m.text = text.join(QLatin1Char(' '));
    m.status = QStringLiteral("read");
    m.parts << ArchivedPart{1, QByteArray(120, 'A')};
    return m;
}

double medianMs(QList<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns.at(ns.size() / 2) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int total = qEnvironmentVariableIsSet("MIRVAK_ARCHIVE_MESSAGES")
                          ? qEnvironmentVariableIntValue("MIRVAK_ARCHIVE_MESSAGES") : 100000;
    QTemporaryDir dir;
    MessageArchive archive(dir.filePath(QStringLiteral("messages.sqlite")));
    if (!archive.isOpen()) {
        std::fprintf(stderr, "archive_bench: %s\n", qPrintable(archive.error()));
        return 1;
    }
    // The archive filled inside SQLite: going through add() a message at a
    // time would take most of a minute under the sanitizers and tell
    // nothing about reading. Words as message() makes them.
    {
        QSqlQuery fill(QSqlDatabase::database(archive.connectionName()));
        QStringList words;
        for (const QString &w : Words)
            words << QLatin1Char('\'') + w + QLatin1Char('\'');
        const bool ok = fill.exec(QStringLiteral("BEGIN"))
            && fill.exec(QStringLiteral(
                   "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1 - 1),"
                   " w(k, word) AS (SELECT row_number() OVER () - 1, value FROM json_each('[%2]'))"
                   " INSERT INTO messages (direction, number, conversation, time, sort_time, stored_at, text, status,"
                   " total, dedupe)"
                   " SELECT iif(i % 3, 'in', 'out'), '+4670' || (1000000 + i % 2000), '+4670' || (1000000 + i % 2000),"
                   " strftime('%Y-%m-%dT%H:%M:%SZ', 978307200 + i * 600, 'unixepoch'), 978307200 + i * 600, '',"
                   " (SELECT group_concat(word, ' ') FROM w WHERE k IN (i % 16, (i * 7) % 16, (i * 13) % 16))"
                   " || ' w' || ((i * 2654435761) % 5000) || ' w' || ((i * 40503) % 5000), 'read', 1,"
                   " randomblob(16) FROM n")
                                .arg(total).arg(words.join(QLatin1Char(',')).replace(QLatin1Char('\''), QLatin1Char('"'))))
            && fill.exec(QStringLiteral("COMMIT"));
        if (!ok) {
            std::fprintf(stderr, "archive_bench: %s\n", qPrintable(fill.lastError().text()));
            return 1;
        }
    }
    QElapsedTimer clock;
    QList<qint64> store, search, open;
    for (int round = 0; round < 9; ++round) {
        QList<ArchivedMessage> read;
        for (int i = 0; i < 15; ++i)
            read << message(total + round * 15 + i);
        clock.start();
        archive.add(read);
        store << clock.nsecsElapsed();
        // A prefix as typed, and a number.
        clock.start();
        const int found = int(archive.conversations(Words.at(round) + QStringLiteral(" w") + QString::number(round * 37)).size())
                        + int(archive.conversations(QStringLiteral("701000%1").arg(round)).size());
        search << clock.nsecsElapsed();
        Q_UNUSED(found);
        clock.start();
        QSqlQuery q = archive.conversationsQuery();
        for (int row = 0; row < 256 && q.next(); ++row)
            q.value(4).toString();
        open << clock.nsecsElapsed();
    }
    std::printf("message archive of %d messages (median of 9):\n", archive.count());
    std::printf("  storing a read of 15 messages: %.1f ms (target <= 20 ms)\n", medianMs(store));
    std::printf("  a search by words and one by number: %.1f ms (target <= 50 ms)\n", medianMs(search));
    std::printf("  the archive view's conversations, first 256: %.1f ms (target <= 200 ms)\n", medianMs(open));
    return 0;
}
