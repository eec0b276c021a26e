// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "*.csv": a SIM or phone book as comma-separated values (RFC 4180), for
// spreadsheets and address-book programs. Written in UTF-8 under the header
// "Location,Name,Number"; read under that header or those of the contact
// exports of Google, Outlook and Thunderbird.
#include <QByteArray>
#include <QString>

#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/PhonebookModel.h"

class QIODevice;

namespace CsvBookFile {

// A record holds at most this many bytes; a longer one (an unclosed quote)
// is skipped and reading goes on at the line after it starts.
constexpr qsizetype MaxRecord = 64 * 1024;

// The header, then one record per row that holds a number or a name.
QByteArray text(const PhonebookEntries &book);
// Replaces `path` atomically; false, with the reason, when nothing was written.
bool save(const QString &path, const PhonebookEntries &book, QString *error = nullptr);

// The first record is the header (a UTF-8 byte-order mark before it is
// allowed; ";" separates when the header has no ","). The file is not known
// when the header names no name and no number column.
ContactFile::Parsed read(QIODevice &in);
ContactFile::Parsed read(const QByteArray &bytes);

} // namespace CsvBookFile
