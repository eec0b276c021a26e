// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phonebook file formats of the command line, by name (--format) and by
// extension. One switch each way: a new format is one enum value, its
// names, and a case in encode and read.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/PhonebookModel.h"
#include "core/phonebooks/PhonebookRange.h"

class QIODevice;

enum class BookFormat { Pbk, VCard, Csv };

namespace BookFormats {
// "pbk", "vcf", "csv", as --format and the extension spell them.
QStringList names();
std::optional<BookFormat> named(const QString &name);
std::optional<BookFormat> ofPath(const QString &path);
QByteArray encode(BookFormat format, const PhonebookEntries &book);

// A file read, not yet fitted to a book.
struct Read {
    BookFormat format = BookFormat::Pbk;
    PhonebookEntries rows;      // of a *.pbk file
    ContactFile::Parsed parsed; // of an address-book program's file
};
// Nothing, with the reason, when the file is not of its format.
std::optional<Read> read(BookFormat format, QIODevice &in, QString *error);

struct Decoded {
    PhonebookEntries rows;
    // For a file of an address-book program: what the Phonebooks page's load
    // reports (entries read, names cut or changed, lines skipped), naming
    // the file as `shownName`. Empty for a *.pbk file.
    QString report;
    // False when the file holds no entry the book could store.
    bool storable = true;
};
// The entries by location, fitted to the book as the Phonebooks page's
// load fits them: its name length, its number length, its last location.
// A *.pbk file goes as it is; the write fits each entry.
Decoded fit(const Read &file, const QString &shownName, const PhonebookAt::Limits &limits);
}
