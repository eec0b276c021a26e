// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/BookFormats.h"

#include <QFileInfo>
#include <QIODevice>

#include "core/io/BoundedRead.h"
#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/CsvBookFile.h"
#include "core/phonebooks/PbkFile.h"
#include "core/phonebooks/VCardFile.h"

namespace BookFormats {

namespace {

std::optional<Read> failure(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

std::optional<Read> readPbk(QIODevice &in, QString *error)
{
    const QByteArray bytes = BoundedRead::atMost(in, PbkFile::MaxBytes + 1);
    if (bytes.size() > PbkFile::MaxBytes)
        return failure(error, QStringLiteral("the file is larger than any phonebook (over %1 bytes)")
                                  .arg(PbkFile::MaxBytes));
    PhonebookEntries rows = PbkFile::read(bytes, 0).rows;
    // A file that has text but gives no record at all is not a phonebook:
    // writing it would only clear locations.
    if (rows.count() == 0 && !bytes.trimmed().isEmpty())
        return failure(error, QStringLiteral("no record in it starts with a three-digit location (\"001:name\")"));
    return Read{BookFormat::Pbk, rows, {}};
}

} // namespace

QStringList names()
{
    return {QStringLiteral("pbk"), QStringLiteral("vcf"), QStringLiteral("csv")};
}

std::optional<BookFormat> named(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("pbk"))
        return BookFormat::Pbk;
    if (n == QLatin1String("vcf"))
        return BookFormat::VCard;
    if (n == QLatin1String("csv"))
        return BookFormat::Csv;
    return std::nullopt;
}

std::optional<BookFormat> ofPath(const QString &path)
{
    return named(QFileInfo(path).suffix());
}

QByteArray encode(BookFormat format, const PhonebookEntries &book)
{
    switch (format) {
    case BookFormat::Pbk:
        break;
    case BookFormat::VCard:
        return VCardFile::text(book);
    case BookFormat::Csv:
        return CsvBookFile::text(book);
    }
    return PbkFile::text(book);
}

std::optional<Read> read(BookFormat format, QIODevice &in, QString *error)
{
    Read file{format, {}, {}};
    switch (format) {
    case BookFormat::Pbk:
        return readPbk(in, error);
    case BookFormat::VCard:
        file.parsed = VCardFile::read(in);
        break;
    case BookFormat::Csv:
        file.parsed = CsvBookFile::read(in);
        break;
    }
    if (!file.parsed.known)
        return failure(error, file.parsed.problem);
    return file;
}

Decoded fit(const Read &file, const QString &shownName, const PhonebookAt::Limits &limits)
{
    if (file.format == BookFormat::Pbk)
        return Decoded{file.rows, {}, true};
    const ContactFile::Imported imported = ContactFile::place(file.parsed, 0, limits);
    // Nothing the phone could hold: writing would send nothing, or with
    // --clear-others only empty the book.
    return Decoded{imported.rows, ContactFile::report(imported, shownName), imported.read > 0};
}

} // namespace BookFormats
