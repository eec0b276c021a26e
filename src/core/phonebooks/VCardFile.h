// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "*.vcf": a SIM or phone book as vCards, for address-book programs.
// Written as vCard 3.0 in UTF-8; read in 2.1, 3.0 and 4.0 as those programs
// write them.
#include <QByteArray>
#include <QString>

#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/PhonebookModel.h"

class QIODevice;

namespace VCardFile {

// The property that keeps an entry's row, so a round trip puts it back.
inline constexpr char LocationProperty[] = "X-MIRVAK-LOCATION";

// One card per row that holds a number or a name: FN (the number when the
// name is empty), N, TEL with its type, and the row. CR LF line ends, lines
// folded at 75 octets.
QByteArray text(const PhonebookEntries &book);
// Replaces `path` atomically; false, with the reason, when nothing was written.
bool save(const QString &path, const PhonebookEntries &book, QString *error = nullptr);

// Every card between BEGIN:VCARD and END:VCARD: its name from FN (N, then
// ORG, when FN is missing), its numbers from TEL, its row from
// LocationProperty. A file without any BEGIN:VCARD is not known.
ContactFile::Parsed read(QIODevice &in);
ContactFile::Parsed read(const QByteArray &bytes);

} // namespace VCardFile
