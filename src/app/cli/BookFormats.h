// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phonebook file formats of the command line, by name (--format) and by
// extension. One switch each way: a new format is one enum value, its
// names, and a case in encode and decode.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/phonebooks/PhonebookModel.h"

class QIODevice;

enum class BookFormat { Pbk, VCard, Csv };

namespace BookFormats {
// "pbk", "vcf", "csv", as --format and the extension spell them.
QStringList names();
std::optional<BookFormat> named(const QString &name);
std::optional<BookFormat> ofPath(const QString &path);
QByteArray encode(BookFormat format, const PhonebookEntries &book);

struct Decoded {
    PhonebookEntries rows;
    // For a file of an address-book program: what the Phonebooks page's load
    // reports (entries read, names cut or changed, lines skipped), naming
    // the file as `shownName`. Empty for a *.pbk file.
    QString report;
};
// The entries a file holds, by location, fitted to the phone as the
// Phonebooks page's load fits them; nothing, with the reason, when the file
// cannot be taken or holds no entry the phone could store.
std::optional<Decoded> decode(BookFormat format, QIODevice &in, const QString &shownName, QString *error);
}
