// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The message list kept as a file: a CSV table, or an mbox mailbox that mail
// programs open. Both are built whole in memory; saving writes them
// atomically.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include "core/messaging/InboxMessages.h"

namespace InboxFiles {

enum class Format { Csv, Mbox };
// A typed extension picks the format; otherwise the chosen filter does.
Format formatFor(const QString &path, Format chosen);

// UTF-8, header "Store,Index,Status,Number,Name,Date,Text", RFC 4180 quoting
// and CR LF line ends; Index lists every location, separated by ";".
QByteArray csv(const QList<InboxMessage> &messages);

// One mail per message, text/plain in UTF-8. `now` stands in the separator
// line of a message without a time stamp.
QByteArray mbox(const QList<InboxMessage> &messages, const QDateTime &now);

// Atomically; false with the reason when nothing was written.
bool save(const QString &path, const QByteArray &bytes, QString *error);

} // namespace InboxFiles
