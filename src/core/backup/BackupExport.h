// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A section of a backup in the formats other programs read: phonebooks as
// vCard or CSV, messages as a mailbox or CSV, melodies as RTTTL; and what
// each section holds, in a few words.
#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include "core/backup/BackupFile.h"
#include "core/messaging/InboxMessages.h"
#include "core/phonebooks/PhonebookModel.h"

namespace BackupExport {

enum class Format { VCard, BookCsv, Mbox, MessagesCsv, Rtttl };
// The formats a section can be saved in; none for the others.
QList<Format> formatsOf(Backup::Section section);
// "vCard (*.vcf)", "CSV (*.csv)", "Mailbox (*.mbox)", "RTTTL (*.txt)".
QString filter(Format format);
QString suffix(Format format);

// A phonebook section's entries, entry r at location r, the names in the
// phone's own bytes.
PhonebookEntries entries(const QJsonObject &bookSection);
// A messages section's messages, joined as the Inbox page joins them.
QList<InboxMessage> messages(const QJsonObject &messagesSection);
// The section's file; `now` dates a mailbox.
QByteArray bytes(Format format, const QJsonObject &section, const QDateTime &now);

// "36 entries", "30 messages", "2 melodies, 1 personal ring", "failed: why".
QString summary(Backup::Section section, const QJsonObject &object);
// "phone", "SIM book", "phone book", "messages", "melodies", "settings", "books".
QString title(Backup::Section section);

} // namespace BackupExport
