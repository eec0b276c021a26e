// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "*.pbk": a SIM or phone book as text, two CR LF lines per record:
// "NNN:name" (the index padded to three digits) and the number. A saved
// book holds one record more than it has entries (the empty one past the
// end), which is how a load gives the grid back its row count.
#include <QByteArray>
#include <QString>

#include "core/phonebooks/PhonebookModel.h"

class QIODevice;

namespace PbkFile {
constexpr int MaxField = 255;   // of a name or a number
constexpr int MaxIndex = 400;   // a record past this ends the load
// A line longer than this is cut; its rest is skipped unread into memory.
constexpr int MaxLine = 4096;
// No file this program writes comes near this; reading stops here so an
// endless or enormous file cannot stall the window.
constexpr qint64 MaxBytes = 8 * 1024 * 1024;

// Records 1 to count + 1. CR, LF and Ctrl-Z inside a field become blanks:
// any of them would split or end the record when it is read back.
QByteArray text(const PhonebookEntries &book);
// Replaces `path` atomically: a failed save leaves an old file whole. A file
// marked read-only is left alone. False, with the reason, when nothing was
// written.
bool save(const QString &path, const PhonebookEntries &book, QString *error = nullptr);

struct Loaded {
    // The book after the load: the entries it had, emptied, with every
    // record read put at its index. Never shorter than before.
    PhonebookEntries rows;
    // The load needed more rows than the book had; the grid's top-left cell
    // then shows the new count of rows.
    bool grew = false;
};
// Reads records until the end of the file, a line "\x1A", a line whose first
// three characters are no number, or an index above MaxIndex. A record with
// an index below 1 is passed over. `entries` is the count of the book being
// loaded into.
Loaded read(QIODevice &in, int entries);
Loaded read(const QByteArray &bytes, int entries);
}
