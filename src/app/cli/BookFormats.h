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

enum class BookFormat { Pbk };

namespace BookFormats {
// "pbk", as --format and the extension spell them.
QStringList names();
std::optional<BookFormat> named(const QString &name);
std::optional<BookFormat> ofPath(const QString &path);
QByteArray encode(BookFormat format, const PhonebookEntries &book);
// The entries a file holds, by location; nothing, with the reason, when the
// file cannot be taken.
std::optional<PhonebookEntries> decode(BookFormat format, const QByteArray &bytes, QString *error);
}
