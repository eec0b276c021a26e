// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/PbkFile.h"

#include <QBuffer>
#include <QIODevice>
#include <optional>

#include "core/at/ReplyParse.h"
#include "core/io/AtomicFile.h"
#include "core/phonebooks/ContactFile.h"

namespace PbkFile {

namespace {
constexpr char EndMark = 0x1A;

QByteArray field(QByteArray text)
{
    text.truncate(MaxField);
    for (char &c : text)
        if (c == '\r' || c == '\n' || c == EndMark)
            c = ' ';
    return text;
}

// A field as the writer would write it, trimmed again after the cut: a load
// of a saved book gives back exactly what was saved.
QByteArray loadedField(QByteArray text)
{
    text.replace(EndMark, ' ');
    return Reply::trimmed(Reply::trimmed(text).left(MaxField));
}

// The first three characters as a decimal number, as the index is written.
std::optional<int> indexOf(const QByteArray &line)
{
    bool ok = false;
    const int i = line.left(3).toInt(&ok, 10);
    return ok ? std::optional<int>(i) : std::nullopt;
}
} // namespace

QByteArray text(const PhonebookEntries &book)
{
    QByteArray out;
    for (int r = 1; r <= book.count() + 1; ++r) {
        out += QByteArray::number(r).rightJustified(3, '0') + ':' + field(book.at(r).name) + "\r\n";
        out += field(book.at(r).number) + "\r\n";
    }
    return out;
}

bool save(const QString &path, const PhonebookEntries &book, QString *error)
{
    return AtomicFile::write(path, text(book)).told(error);
}

Loaded read(QIODevice &in, int entries)
{
    Loaded result;
    result.rows = PhonebookEntries(entries);
    // Only the first MaxLine bytes of a line are kept and no more than
    // MaxBytes are read in all.
    ContactFile::LineSource lines(in, MaxLine, MaxBytes);
    for (;;) {
        const std::optional<QByteArray> head = lines.next();
        if (!head || *head == QByteArray(1, EndMark))
            break;
        const std::optional<int> index = indexOf(*head);
        if (!index || *index > MaxIndex)
            break;
        const std::optional<QByteArray> tail = lines.next();
        const bool ended = tail && *tail == QByteArray(1, EndMark);
        if (*index >= 1) {
            // A grid of row count i shows i - 1 entries: record i of a saved
            // book is the empty one past its end.
            if (*index > result.rows.count() + 1) {
                result.rows.grow(*index - 1);
                result.grew = true;
            }
            PhonebookEntry e;
            e.name = loadedField(head->mid(4));
            if (tail && !ended)
                e.number = loadedField(*tail);
            // A record with text past the last entry would neither show nor
            // be saved again: the book grows to hold it.
            if (*index <= result.rows.count() || e != PhonebookEntry()) {
                if (*index > result.rows.count())
                    result.grew = true;
                result.rows.set(*index, e);
            }
        }
        if (!tail || ended)
            break;
    }
    return result;
}

Loaded read(const QByteArray &bytes, int entries)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer, entries);
}

} // namespace PbkFile
