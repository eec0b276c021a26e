// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every file the program saves is written here: the new contents go to a
// temporary file beside the old one, which replaces it only once they are
// all on disk. A save that fails leaves the old file as it was.
#include <QByteArray>
#include <QString>

namespace AtomicFile {

// How a save ended; converts to true when the file was written.
struct Outcome {
    enum Kind { Saved, Missing, BadOffset, ReadOnly, Unreadable, Unwritable };
    Kind kind = Saved;
    QString path;
    // The system's words for Unreadable and Unwritable; the offset for BadOffset.
    QString reason;

    explicit operator bool() const { return kind == Saved; }
    // "Cannot write a.pbk: Permission denied", "a.pbk is read-only.", ...
    QString text() const;
    // For callers that pass a sentence on: true when saved, else the
    // sentence in *error (when given).
    bool told(QString *error) const;
};

// Replaces the whole file, or creates it. A file marked read-only is left
// alone even for a user whom the folder would let replace it (root).
Outcome write(const QString &path, const QByteArray &bytes);
// Whether write() could replace or create the file now, found without
// touching it: a temporary file is made beside it and removed again.
Outcome probe(const QString &path);
// Puts `bytes` at `offset` of an existing file (blanks fill up to it) and
// keeps the rest; the whole new image replaces the file. A missing file is
// not created.
Outcome writeAt(const QString &path, qsizetype offset, const QByteArray &bytes);

} // namespace AtomicFile
