// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/archive/MessageArchive.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include "core/messaging/NumberKey.h"

namespace {

// "MRVK": tells an archive from any other SQLite file.
constexpr int ApplicationId = 0x4D52564B;
// How long a writer waits for another program holding the file.
constexpr int BusyTimeoutMs = 5000;

// Each step brings a file of the version before it to its own version.
// Version 1 kept the messages and their parts; version 2 added status
// reports and the full-text index.
const QList<QStringList> &migrations()
{
    static const QList<QStringList> steps{
        {
            QStringLiteral("CREATE TABLE messages ("
                           " id INTEGER PRIMARY KEY,"
                           " direction TEXT NOT NULL CHECK (direction IN ('in', 'out')),"
                           " number TEXT NOT NULL,"
                           " conversation TEXT NOT NULL,"
                           " time TEXT,"             // ISO 8601 with the sender's offset
                           " sort_time INTEGER NOT NULL," // seconds since 1970, UTC
                           " stored_at TEXT NOT NULL,"
                           " text TEXT NOT NULL,"
                           " status TEXT NOT NULL,"
                           " store TEXT,"
                           " reference INTEGER,"
                           " total INTEGER NOT NULL DEFAULT 1,"
                           " message_reference INTEGER,"
                           " dedupe BLOB NOT NULL UNIQUE)"),
            QStringLiteral("CREATE TABLE parts ("
                           " message INTEGER NOT NULL REFERENCES messages(id) ON DELETE CASCADE,"
                           " part INTEGER NOT NULL,"
                           " pdu TEXT NOT NULL,"
                           " PRIMARY KEY (message, part))"),
            QStringLiteral("CREATE INDEX messages_by_conversation ON messages (conversation, sort_time)"),
            QStringLiteral("CREATE INDEX messages_by_time ON messages (sort_time)"),
        },
        {
            QStringLiteral("ALTER TABLE messages ADD COLUMN report TEXT"),
            QStringLiteral("ALTER TABLE messages ADD COLUMN report_time TEXT"),
            QStringLiteral("CREATE VIRTUAL TABLE message_text USING fts5(text, content='messages', content_rowid='id')"),
            QStringLiteral("INSERT INTO message_text (rowid, text) SELECT id, text FROM messages"),
            QStringLiteral("CREATE TRIGGER message_text_add AFTER INSERT ON messages BEGIN"
                           " INSERT INTO message_text (rowid, text) VALUES (new.id, new.text); END"),
            QStringLiteral("CREATE TRIGGER message_text_remove AFTER DELETE ON messages BEGIN"
                           " INSERT INTO message_text (message_text, rowid, text) VALUES ('delete', old.id, old.text); END"),
            QStringLiteral("CREATE TRIGGER message_text_change AFTER UPDATE OF text ON messages BEGIN"
                           " INSERT INTO message_text (message_text, rowid, text) VALUES ('delete', old.id, old.text);"
                           " INSERT INTO message_text (rowid, text) VALUES (new.id, new.text); END"),
            // One row a party, kept up to date as messages come, so that the
            // list of conversations never has to go through every message.
            QStringLiteral("CREATE TABLE conversations ("
                           " key TEXT PRIMARY KEY,"
                           " number TEXT NOT NULL,"    // as its newest message gave it
                           " last_sort INTEGER NOT NULL,"
                           " last_time TEXT,"
                           " last_text TEXT NOT NULL,"
                           " count INTEGER NOT NULL)"),
            QStringLiteral("CREATE INDEX conversations_by_time ON conversations (last_sort)"),
            QStringLiteral("INSERT INTO conversations SELECT conversation, number, max(sort_time), time, text, count(*)"
                           " FROM messages GROUP BY conversation"),
            QStringLiteral("CREATE TRIGGER conversation_add AFTER INSERT ON messages BEGIN"
                           " INSERT INTO conversations VALUES (new.conversation, new.number, new.sort_time, new.time, new.text, 1)"
                           " ON CONFLICT (key) DO UPDATE SET count = count + 1,"
                           " number = iif(excluded.last_sort >= last_sort, excluded.number, number),"
                           " last_time = iif(excluded.last_sort >= last_sort, excluded.last_time, last_time),"
                           " last_text = iif(excluded.last_sort >= last_sort, excluded.last_text, last_text),"
                           " last_sort = max(last_sort, excluded.last_sort); END"),
            QStringLiteral("CREATE TABLE facts (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX parts_by_pdu ON parts (pdu)"),
        },
    };
    return steps;
}

QString isoTime(const QDateTime &time)
{
    return time.isValid() ? time.toString(Qt::ISODate) : QString();
}

QDateTime fromIso(const QVariant &value)
{
    return value.isNull() ? QDateTime() : QDateTime::fromString(value.toString(), Qt::ISODate);
}

// Qt binds a null string as NULL; these columns hold text, if empty.
QString text(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

QString statusWord(InboxAt::Status status)
{
    switch (status) {
    case InboxAt::Unread: return QStringLiteral("unread");
    case InboxAt::Read: return QStringLiteral("read");
    case InboxAt::Unsent: return QStringLiteral("unsent");
    case InboxAt::Sent: return QStringLiteral("sent");
    default: return QStringLiteral("unknown");
    }
}

// Words for FTS5: each quoted, so that no word is taken for its syntax,
// and each a prefix, so that results come while the user is still typing.
QString matchExpression(const QString &words)
{
    QStringList terms;
    for (QString word : words.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        word.replace(QLatin1Char('"'), QLatin1String("\"\""));
        terms << QLatin1Char('"') + word + QLatin1String("\"*");
    }
    return terms.join(QLatin1Char(' '));
}

// A write takes the file's write lock at once: a transaction that had
// begun reading would find, after another program's write, that its view
// is stale and could not wait for its turn.
bool begin(QSqlQuery &q)
{
    return q.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool end(QSqlQuery &q, bool commit)
{
    return q.exec(commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
}

// A message search() finds: its text holds every word, or its number or
// conversation the whole of what was typed.
QString searchCondition()
{
    return QStringLiteral("(id IN (SELECT rowid FROM message_text WHERE message_text MATCH ?)"
                          " OR number LIKE ? OR conversation LIKE ?)");
}

QVariantList searchValues(const QString &words)
{
    const QString like = QLatin1Char('%') + words.trimmed() + QLatin1Char('%');
    return {matchExpression(words), like, like};
}

} // namespace

MessageArchive::MessageArchive(const QString &path)
    : m_path(path), m_connection(QStringLiteral("archive-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        fail(QStringLiteral("The message archive needs Qt's SQLite driver (Debian: libqt6sql6-sqlite)."));
        return;
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        fail(QStringLiteral("%1 is not a file.").arg(path));
        return;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        fail(QStringLiteral("Cannot make the folder %1.").arg(info.absolutePath()));
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        fail(QStringLiteral("Cannot open the message archive %1: %2").arg(path, db.lastError().text()));
        return;
    }
    m_open = prepareSchema();
}

MessageArchive::~MessageArchive()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool MessageArchive::fail(const QString &what)
{
    m_error = what;
    return false;
}

// Brings the file to this version, or leaves it alone when it is not an
// archive or is newer than this program.
bool MessageArchive::prepareSchema()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery q(db);
    const auto scalar = [&](const QString &sql) -> std::optional<int> {
        if (!q.exec(sql) || !q.next())
            return std::nullopt;
        return q.value(0).toInt();
    };
    const std::optional<int> version = scalar(QStringLiteral("PRAGMA user_version"));
    const std::optional<int> application = scalar(QStringLiteral("PRAGMA application_id"));
    const std::optional<int> tables = scalar(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!version || !application || !tables)
        return fail(QStringLiteral("%1 is not a message archive or is damaged: %2").arg(m_path, q.lastError().text()));
    if (*tables > 0 && *application != ApplicationId)
        return fail(QStringLiteral("%1 is another program's database, not a message archive; it is left as it is.").arg(m_path));
    if (*version > SchemaVersion)
        return fail(QStringLiteral("%1 comes from a newer Mirvak (archive version %2; this one reads up to %3); it is left as it is.")
                        .arg(m_path).arg(*version).arg(SchemaVersion));
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        return fail(QStringLiteral("Cannot prepare the message archive %1: %2").arg(m_path, q.lastError().text()));
    for (int step = *version; step < SchemaVersion; ++step) {
        if (!begin(q))
            return fail(QStringLiteral("Cannot write the message archive %1: %2").arg(m_path, q.lastError().text()));
        bool ok = true;
        for (const QString &sql : migrations().at(step))
            ok = ok && q.exec(sql);
        ok = ok && q.exec(QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId))
            && q.exec(QStringLiteral("PRAGMA user_version=%1").arg(step + 1));
        if (!ok) {
            const QString why = q.lastError().text();
            end(q, false);
            return fail(QStringLiteral("Cannot bring the message archive %1 to version %2: %3").arg(m_path).arg(step + 1).arg(why));
        }
        if (!end(q, true))
            return fail(QStringLiteral("Cannot write the message archive %1: %2").arg(m_path, q.lastError().text()));
    }
    return true;
}

QByteArray MessageArchive::dedupeKey(const ArchivedMessage &m)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QStringList fields{m.direction == ArchivedMessage::Sent ? QStringLiteral("out") : QStringLiteral("in"),
                             m.number.trimmed(), isoTime(m.time), m.text, QString::number(m.reference),
                             QString::number(m.total)};
    for (const QString &field : fields) {
        hash.addData(field.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    return hash.result();
}

ArchivedMessage MessageArchive::fromInbox(const InboxMessage &message)
{
    ArchivedMessage out;
    out.direction = message.kind == DecodedSms::Submit ? ArchivedMessage::Sent : ArchivedMessage::Received;
    out.number = message.number;
    out.time = message.time;
    out.text = message.text;
    out.status = statusWord(message.status);
    out.store = QString::fromLatin1(InboxAt::storeName(message.store));
    if (!message.parts.isEmpty() && message.parts.first().decoded.total > 0) {
        out.reference = message.parts.first().decoded.reference;
        out.total = message.parts.first().decoded.total;
    }
    for (const InboxPart &part : message.parts)
        out.parts << ArchivedPart{part.decoded.total > 0 ? part.decoded.part : 1, part.stored.pdu};
    return out;
}

ArchivedMessage MessageArchive::sentMessage(const QString &number, const QString &text, const QString &status,
                                            const QList<QByteArray> &pdus, int messageReference, const QDateTime &time)
{
    ArchivedMessage m;
    m.direction = ArchivedMessage::Sent;
    m.number = number;
    m.text = text;
    m.status = status;
    // With its offset, as the centre's time stamps have theirs.
    m.time = time.toOffsetFromUtc(time.offsetFromUtc());
    m.total = qMax(1, int(pdus.size()));
    m.messageReference = messageReference;
    for (int i = 0; i < pdus.size(); ++i)
        m.parts << ArchivedPart{i + 1, pdus.at(i)};
    return m;
}

QString MessageArchive::networkCountry(const QList<InboxMessage> &messages)
{
    for (const InboxMessage &m : messages)
        if (const QString country = NumberKey::countryCode(m.centre); !country.isEmpty())
            return country;
    return QString();
}

InboxMessage MessageArchive::toInbox(const ArchivedMessage &m)
{
    InboxMessage out;
    out.store = m.store == QLatin1String("ME") ? InboxAt::Store::Phone : InboxAt::Store::Sim;
    out.kind = m.direction == ArchivedMessage::Sent ? DecodedSms::Submit : DecodedSms::Deliver;
    static const QStringList words{QStringLiteral("unread"), QStringLiteral("read"), QStringLiteral("unsent"),
                                   QStringLiteral("sent")};
    const int status = int(words.indexOf(m.status));
    out.status = status >= 0 ? InboxAt::Status(status)
                             : m.direction == ArchivedMessage::Sent ? InboxAt::Sent : InboxAt::Read;
    out.number = m.number;
    out.time = m.time;
    out.text = m.text;
    return out;
}

std::optional<QList<ArchivedMessage>> MessageArchive::add(const QList<ArchivedMessage> &messages, const QString &countryCode)
{
    if (!m_open)
        return std::nullopt;
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery transaction(db);
    if (!begin(transaction)) {
        fail(QStringLiteral("Cannot write the message archive %1: %2").arg(m_path, transaction.lastError().text()));
        return std::nullopt;
    }
    QSqlQuery find(db), insert(db), status(db), part(db);
    const QString country = countryCode.isEmpty() ? rememberedCountry() : countryCode;
    if (!countryCode.isEmpty()) {
        find.prepare(QStringLiteral("INSERT OR REPLACE INTO facts VALUES ('country', ?)"));
        find.addBindValue(country);
        find.exec();
    }
    find.prepare(QStringLiteral("SELECT id FROM messages WHERE dedupe = ?"));
    insert.prepare(QStringLiteral(
        "INSERT INTO messages (direction, number, conversation, time, sort_time, stored_at, text, status, store,"
        " reference, total, message_reference, dedupe) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    status.prepare(QStringLiteral("UPDATE messages SET status = ? WHERE id = ? AND status <> ?"));
    part.prepare(QStringLiteral("INSERT OR IGNORE INTO parts (message, part, pdu) VALUES (?, ?, ?)"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ArchivedMessage> added;
    bool ok = true;
    QSqlQuery byPdu(db), complete(db);
    byPdu.prepare(QStringLiteral("SELECT message FROM parts WHERE pdu = ?"));
    complete.prepare(QStringLiteral("UPDATE messages SET text = ? WHERE id = ? AND"
                                    " (SELECT count(*) FROM parts WHERE message = ?) < ?"));
    // The message already kept: by its key, or, for one read from the phone,
    // by any part it shares with one kept (a part deleted from the phone
    // since, or not yet come, changes the joined text but no part).
    const auto kept = [&](const ArchivedMessage &m, const QByteArray &key) -> std::optional<qint64> {
        find.addBindValue(key);
        ok = find.exec();
        std::optional<qint64> id;
        if (ok && find.next())
            id = find.value(0).toLongLong();
        find.finish();
        for (const ArchivedPart &p : m.parts) {
            if (id || !ok || m.store.isEmpty())
                break;
            byPdu.addBindValue(QString::fromLatin1(p.pdu.toUpper()));
            ok = byPdu.exec();
            if (ok && byPdu.next())
                id = byPdu.value(0).toLongLong();
            byPdu.finish();
        }
        return id;
    };
    const auto addParts = [&](qint64 id, const QList<ArchivedPart> &parts) {
        for (const ArchivedPart &p : parts) {
            part.addBindValue(id);
            part.addBindValue(p.part);
            part.addBindValue(QString::fromLatin1(p.pdu.toUpper()));
            if (!part.exec())
                return false;
        }
        return true;
    };
    for (ArchivedMessage m : messages) {
        const QByteArray key = dedupeKey(m);
        const std::optional<qint64> id = kept(m, key);
        if (!ok)
            break;
        if (id) {
            // Read again: what the phone did with it since is news, and the
            // parts that were missing.
            status.addBindValue(m.status);
            status.addBindValue(*id);
            status.addBindValue(m.status);
            for (const QVariant &v : QVariantList{text(m.text), *id, *id, int(m.parts.size())})
                complete.addBindValue(v);
            if (!(ok = status.exec() && complete.exec() && addParts(*id, m.parts)))
                break;
            continue;
        }
        m.conversation = NumberKey::of(m.number, country);
        const QDateTime sortTime = m.time.isValid() ? m.time : now;
        const QVariantList values{m.direction == ArchivedMessage::Sent ? QStringLiteral("out") : QStringLiteral("in"),
                                  text(m.number), text(m.conversation),
                                  m.time.isValid() ? QVariant(isoTime(m.time)) : QVariant(),
                                  sortTime.toSecsSinceEpoch(), isoTime(now), text(m.text), text(m.status),
                                  m.store.isEmpty() ? QVariant() : QVariant(m.store),
                                  m.reference >= 0 ? QVariant(m.reference) : QVariant(), m.total,
                                  m.messageReference >= 0 ? QVariant(m.messageReference) : QVariant(), key};
        for (const QVariant &v : values)
            insert.addBindValue(v);
        if (!(ok = insert.exec()))
            break;
        m.id = insert.lastInsertId().toLongLong();
        if (!(ok = addParts(m.id, m.parts)))
            break;
        added << m;
    }
    if (!ok) {
        QString why;
        for (const QSqlQuery *q : {&find, &insert, &status, &part, &byPdu, &complete})
            if (q->lastError().isValid())
                why = q->lastError().nativeErrorCode() == QLatin1String("5")
                    ? QStringLiteral("another program kept it busy for over %1 s").arg(BusyTimeoutMs / 1000)
                    : q->lastError().text();
        end(transaction, false);
        fail(QStringLiteral("Cannot write the message archive %1: %2").arg(m_path, why));
        return std::nullopt;
    }
    if (!end(transaction, true)) {
        fail(QStringLiteral("Cannot write the message archive %1: %2").arg(m_path, transaction.lastError().text()));
        end(transaction, false);
        return std::nullopt;
    }
    return added;
}

std::optional<QList<ArchivedMessage>> MessageArchive::addRead(const QList<InboxMessage> &messages)
{
    QList<ArchivedMessage> kept;
    for (const InboxMessage &m : messages) {
        const DecodedSms *report = m.kind == DecodedSms::StatusReport && !m.parts.isEmpty()
                                       ? &m.parts.first().decoded : nullptr;
        if (report && report->messageReference >= 0
            && attachReport(m.number, report->messageReference, report->text, report->reportTime))
            continue;
        kept << fromInbox(m);
    }
    return add(kept, networkCountry(messages));
}

bool MessageArchive::attachReport(const QString &number, int messageReference, const QString &report, const QDateTime &time)
{
    if (!m_open)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery q(db);
    // The recipient's number comes back in the report in whatever form the
    // network chose; the conversation key tells it apart from others.
    q.prepare(QStringLiteral(
        "UPDATE messages SET report = ?, report_time = ? WHERE id = ("
        " SELECT id FROM messages WHERE direction = 'out' AND message_reference = ? AND"
        " (number = ? OR conversation = ? OR conversation = ?) ORDER BY sort_time DESC, id DESC LIMIT 1)"));
    const QString key = NumberKey::of(number);
    const QVariantList values{report, time.isValid() ? QVariant(isoTime(time)) : QVariant(), messageReference,
                              number, key, NumberKey::of(number, NumberKey::countryCode(number))};
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return fail(QStringLiteral("Cannot write the message archive %1: %2").arg(m_path, q.lastError().text()));
    return q.numRowsAffected() > 0;
}

QList<ArchivedMessage> MessageArchive::select(const QString &where, const QVariantList &values, const QString &order) const
{
    QList<ArchivedMessage> out;
    if (!m_open)
        return out;
    QSqlDatabase db = QSqlDatabase::database(m_connection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, direction, number, conversation, time, text, status, store, reference, total,"
                             " message_reference, report, report_time FROM messages %1 ORDER BY %2")
                  .arg(where, order));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        return out;
    while (q.next()) {
        ArchivedMessage m;
        m.id = q.value(0).toLongLong();
        m.direction = q.value(1).toString() == QLatin1String("out") ? ArchivedMessage::Sent : ArchivedMessage::Received;
        m.number = q.value(2).toString();
        m.conversation = q.value(3).toString();
        m.time = fromIso(q.value(4));
        m.text = q.value(5).toString();
        m.status = q.value(6).toString();
        m.store = q.value(7).toString();
        m.reference = q.value(8).isNull() ? -1 : q.value(8).toInt();
        m.total = q.value(9).toInt();
        m.messageReference = q.value(10).isNull() ? -1 : q.value(10).toInt();
        m.report = q.value(11).toString();
        m.reportTime = fromIso(q.value(12));
        out << m;
    }
    QSqlQuery parts(db);
    parts.prepare(QStringLiteral("SELECT part, pdu FROM parts WHERE message = ? ORDER BY part"));
    for (ArchivedMessage &m : out) {
        parts.addBindValue(m.id);
        if (!parts.exec())
            continue;
        while (parts.next())
            m.parts << ArchivedPart{parts.value(0).toInt(), parts.value(1).toString().toLatin1()};
    }
    return out;
}

QSqlQuery MessageArchive::conversationsQuery(const QString &words) const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!m_open)
        return q;
    const QString match = matchExpression(words);
    q.prepare(QStringLiteral("SELECT key, number, last_sort, last_time, last_text, count FROM conversations %1"
                             " ORDER BY last_sort DESC")
                  .arg(match.isEmpty() ? QString()
                                       : QStringLiteral("WHERE key IN (SELECT conversation FROM messages WHERE id IN"
                                                        " (SELECT rowid FROM message_text WHERE message_text MATCH ?))"
                                                        " OR key LIKE ? OR number LIKE ?")));
    if (!match.isEmpty())
        for (const QVariant &v : searchValues(words))
            q.addBindValue(v);
    q.exec();
    return q;
}

QList<ArchivedConversation> MessageArchive::conversations(const QString &words) const
{
    QList<ArchivedConversation> out;
    QSqlQuery q = conversationsQuery(words);
    while (q.isActive() && q.next())
        out << ArchivedConversation{q.value(0).toString(), q.value(1).toString(), fromIso(q.value(3)),
                                    q.value(4).toString(), q.value(5).toInt()};
    return out;
}

QString MessageArchive::rememberedCountry() const
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    return m_open && q.exec(QStringLiteral("SELECT value FROM facts WHERE key = 'country'")) && q.next()
               ? q.value(0).toString()
               : QString();
}

QString MessageArchive::keyFor(const QString &number) const
{
    return NumberKey::of(number, rememberedCountry());
}

QList<ArchivedMessage> MessageArchive::conversation(const QString &key) const
{
    return select(QStringLiteral("WHERE conversation = ?"), {key}, QStringLiteral("sort_time, id"));
}

QList<ArchivedMessage> MessageArchive::search(const QString &words) const
{
    const QString match = matchExpression(words);
    if (match.isEmpty())
        return all();
    return select(QStringLiteral("WHERE ") + searchCondition(), searchValues(words), QStringLiteral("sort_time DESC, id DESC"));
}

QList<ArchivedMessage> MessageArchive::all() const
{
    return select(QString(), {}, QStringLiteral("sort_time DESC, id DESC"));
}

int MessageArchive::count() const
{
    if (!m_open)
        return 0;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    return q.exec(QStringLiteral("SELECT count(*) FROM messages")) && q.next() ? q.value(0).toInt() : 0;
}
