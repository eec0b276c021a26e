// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every message Mirvak has read from the phone or sent, kept in an SQLite
// file long after the phone has forgotten it. A message is stored once,
// whatever store or location it was read from, with the hex of each part as
// it came, so nothing is lost to decoding.
//
// The file is opened with write-ahead logging and a busy time-out, so the
// window and a `mirvak-cli sms fetch` started by cron can use it at once. A
// file that is not an archive, or one from a newer Mirvak, is never written.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class QSqlQuery;

#include "core/messaging/InboxMessages.h"

struct ArchivedPart {
    int part = 1;   // 1-based, in the order of the message
    QByteArray pdu; // hex, as read from the phone or as sent
    friend bool operator==(const ArchivedPart &, const ArchivedPart &) = default;
};

struct ArchivedMessage {
    enum Direction { Received, Sent };
    qint64 id = 0;          // given by the archive
    Direction direction = Received;
    QString number;         // the other party as the message gave it
    QString conversation;   // NumberKey of the number; filled in when stored
    QDateTime time;         // the centre's stamp, or when it was sent; may be invalid
    QString text;
    QString status;         // unread, read, unsent, sent, failed, unknown
    QString store;          // "SM" or "ME" where it was read; empty when sent from here
    int reference = -1;     // of a message in parts; -1 for a whole message
    int total = 1;          // parts the message has
    int messageReference = -1; // the centre's TP-MR of a sent message
    QList<ArchivedPart> parts;
    // The last status report for a sent message.
    QString report;         // "Delivered", "Pending", "Failed"; empty when none came
    QDateTime reportTime;
};

struct ArchivedConversation {
    QString key;
    QString number;         // as the newest message gave it
    QDateTime last;
    QString lastText;
    int count = 0;
};

class MessageArchive {
public:
    static constexpr int SchemaVersion = 2;

    // Opens the archive at `path`, creating it (and its folder) when it does
    // not exist. isOpen() tells whether that worked, error() why not.
    explicit MessageArchive(const QString &path);
    ~MessageArchive();
    MessageArchive(const MessageArchive &) = delete;
    MessageArchive &operator=(const MessageArchive &) = delete;

    bool isOpen() const { return m_open; }
    QString path() const { return m_path; }
    // The last failure as a sentence naming the file.
    QString error() const { return m_error; }
    // The Qt SQL connection, for models over queries.
    QString connectionName() const { return m_connection; }

    // Stores the messages not yet in the archive, each in one transaction
    // with its parts; a message already there only takes the newer status.
    // National numbers join the international ones of `countryCode`, which
    // the archive remembers; without one, the one it remembers counts.
    // Returns those newly stored (with their ids), or nothing and error()
    // when the archive could not be written.
    std::optional<QList<ArchivedMessage>> add(const QList<ArchivedMessage> &messages,
                                              const QString &countryCode = QString());
    // Messages read from the phone (or from a backup) kept: a status report
    // goes to the sent message it answers and is kept as a message of its
    // own only when there is none; the rest as add() keeps them.
    std::optional<QList<ArchivedMessage>> addRead(const QList<InboxMessage> &messages);
    // Attaches a status report to the sent message it answers: the one to
    // `number` with the centre's `messageReference`, the newest if several.
    // False when no message matches or the archive could not be written.
    bool attachReport(const QString &number, int messageReference, const QString &report, const QDateTime &time);

    // The conversation `number` belongs to, by the network's country the
    // archive remembers.
    QString keyFor(const QString &number) const;
    // Newest first; with `words`, only those with a message search() finds.
    QList<ArchivedConversation> conversations(const QString &words = QString()) const;
    // The same as an executed query, for a model over it: conversation key,
    // number, newest time (ISO), its text, message count.
    QSqlQuery conversationsQuery(const QString &words = QString()) const;
    // Oldest first: how a conversation reads.
    QList<ArchivedMessage> conversation(const QString &key) const;
    // Messages whose text has every word of `words` (prefixes too), or whose
    // number or conversation holds it; newest first.
    QList<ArchivedMessage> search(const QString &words) const;
    QList<ArchivedMessage> all() const;
    int count() const;

    // What makes two messages one: direction, number, time stamp, text and
    // the part reference and count. A message read from the phone is also
    // the one kept that holds any of its parts' PDUs, so a message whose
    // part was deleted from the phone, or came late, stays one message.
    static QByteArray dedupeKey(const ArchivedMessage &message);
    // A message read from the phone, ready to store; and back, for the
    // Inbox's file writers.
    static ArchivedMessage fromInbox(const InboxMessage &message);
    static InboxMessage toInbox(const ArchivedMessage &message);
    // A message sent from here: `status` is sent, failed or unknown, `pdus`
    // its parts in hex as handed to the phone.
    static ArchivedMessage sentMessage(const QString &number, const QString &text, const QString &status,
                                       const QList<QByteArray> &pdus, int messageReference, const QDateTime &time);
    // The country of the network the messages came through: that of the
    // first centre address among them; empty when none has one.
    static QString networkCountry(const QList<InboxMessage> &messages);

private:
    bool fail(const QString &what);
    bool prepareSchema();
    QString rememberedCountry() const;
    QList<ArchivedMessage> select(const QString &where, const QVariantList &values, const QString &order) const;

    QString m_path;
    QString m_connection;
    QString m_error;
    bool m_open = false;
};
