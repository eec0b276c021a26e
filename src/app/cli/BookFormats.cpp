// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli/BookFormats.h"

#include <QFileInfo>

#include "core/phonebooks/PbkFile.h"

namespace BookFormats {

QStringList names()
{
    return {QStringLiteral("pbk")};
}

std::optional<BookFormat> named(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("pbk"))
        return BookFormat::Pbk;
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
    }
    return PbkFile::text(book);
}

std::optional<PhonebookEntries> decode(BookFormat format, const QByteArray &bytes, QString *error)
{
    switch (format) {
    case BookFormat::Pbk:
        break;
    }
    if (bytes.size() > PbkFile::MaxBytes) {
        if (error)
            *error = QStringLiteral("the file is larger than any phonebook (%1 bytes)").arg(bytes.size());
        return std::nullopt;
    }
    PhonebookEntries rows = PbkFile::read(bytes, 0).rows;
    // A file that has text but gives no record at all is not a phonebook:
    // writing it would only clear locations.
    if (rows.count() == 0 && !bytes.trimmed().isEmpty()) {
        if (error)
            *error = QStringLiteral("no record in it starts with a three-digit location (\"001:name\")");
        return std::nullopt;
    }
    return rows;
}

} // namespace BookFormats
