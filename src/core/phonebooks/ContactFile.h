// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the vCard and CSV files share: the contacts an address-book file
// holds, made fit for the phone and put into the rows of a book. The phone
// keeps one number per entry, a short name in its 8-bit set, and numbers of
// "+", digits, "*", "#", "p" and "w" only; whatever does not fit is cut or
// spelled out here, and the load says so.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/phonebooks/PhonebookModel.h"
#include "core/phonebooks/PhonebookRange.h"

class QIODevice;

namespace ContactFile {

// The longest name the phone memory of the T28 class stores; longer ones
// are cut before they reach the grid. A book that states its own length
// (AT+CPBR=?) is planned against that instead.
constexpr int MaxName = PhonebookAt::Limits::DefaultName;
// A number longer than any phone takes is cut, as a grid cell is.
constexpr int MaxNumber = 255;
// The rows a load may fill, as a *.pbk load allows.
constexpr int MaxRows = 400;
// A physical line longer than this is cut (its rest skipped unread into
// memory); reading stops after MaxBytes. Address books with photos are
// large, so the bound is wider than a *.pbk file's.
constexpr int MaxLine = 16 * 1024;
constexpr qint64 MaxBytes = 64 * 1024 * 1024;
// Contacts, and numbers, kept from one file: more could never fit into
// MaxRows.
constexpr int MaxContacts = 4 * MaxRows;
// Skipped lines named one by one; the rest are counted.
constexpr int MaxNamedSkips = 12;

// What kind of number: it gives the name its suffix ("/M", "/H", "/W",
// "/O") when a contact has more than one.
enum class Kind : char { Mobile = 'M', Home = 'H', Work = 'W', Other = 'O' };

struct Number {
    QString text; // as the file wrote it
    Kind kind = Kind::Other;
    // A fax or pager number: kept, as an "/O" entry, and counted apart so
    // the load says it took one.
    bool faxOrPager = false;
};

struct Contact {
    int line = 0; // where it starts in the file, from 1
    QString name;
    QList<Number> numbers;
    int location = 0; // the row it was saved from; 0 when the file kept none
};

// What a parser found. `known` is false when the file is not of the format
// at all; `problem` then says why, and nothing is to be loaded.
struct Parsed {
    bool known = false;
    QString problem;
    QList<Contact> contacts;
    QStringList skipped; // "line N: why", at most MaxNamedSkips
    int moreSkipped = 0; // skipped past those
    int numbers = 0;     // of all contacts
    // Notes a skipped line, naming it while there is room.
    void skip(int line, const QString &why);
    // Notes that reading stopped at MaxBytes after `line`.
    void skipRest(int line);
    // Keeps a contact while the contacts and their numbers stay within
    // MaxContacts; past that it is skipped, as it could never be placed.
    void add(const Contact &contact);
};

// Lines of a file of unknown size: CR LF, LF or a lone CR end a line; a
// line is cut at `maxLine` and reading stops at `maxBytes`, so neither a
// file without line ends nor an endless one costs more than that.
class LineSource {
public:
    explicit LineSource(QIODevice &in, int maxLine = MaxLine, qint64 maxBytes = MaxBytes)
        : m_in(in), m_maxLine(maxLine), m_maxBytes(maxBytes)
    {
    }
    // The next line without its end; none at the end or past MaxBytes.
    std::optional<QByteArray> next();
    // Of the line last returned, from 1.
    int number() const { return m_number; }
    // The line last returned was longer than MaxLine.
    bool cut() const { return m_cut; }
    // Reading stopped at MaxBytes with more left unread.
    bool stopped() const { return m_stopped; }

private:
    QIODevice &m_in;
    int m_maxLine;
    qint64 m_maxBytes;
    qint64 m_read = 0;
    int m_number = 0;
    bool m_cut = false;
    bool m_stopped = false;
};

// Bytes as text: UTF-8 when they are valid UTF-8, else Latin-1 (which every
// byte is), so no byte of a file is lost to a wrong guess.
QString decoded(const QByteArray &bytes);

// A file in UTF-16 (a byte-order mark, or a first character of ASCII that
// shows which half is zero) as UTF-8, up to MaxBytes; nothing for any other
// file, which is then read from where it stands.
std::optional<QByteArray> fromUtf16(QIODevice &in);

// A name as the phone can hold it: control characters as blanks, '"' (which
// cannot go inside the command's quotes) dropped, characters Latin-1 lacks
// spelled out, runs of blanks made one and trimmed, cut to `maxName` with
// `suffix` kept whole at the end. `changed` is set when the result says less
// or other than name + suffix.
QByteArray phoneName(const QString &name, const QString &suffix, bool *changed, int maxName = MaxName);
// "+" (first only), digits, "*", "#", and "p" and "w" after a digit ("P" and
// "W" lowered); the rest is dropped, and the result cut at MaxNumber. Empty
// when no digit is left, and for an address ("@", "sip:"): a word such as
// "BusinessPhone" must not reach the phone as the pause "p".
QByteArray phoneNumber(const QString &number);

struct Imported {
    // The book after the load: `entries` empty rows at the least, grown to
    // hold every kept location and every entry placed.
    PhonebookEntries rows;
    bool grew = false;
    int read = 0;         // entries placed
    int namesChanged = 0; // of those, names cut or spelled out
    int faxOrPager = 0;   // of those, fax and pager numbers
    QStringList skipped;
    int moreSkipped = 0;
};
// One entry per number, planned against the book's limits: names cut to its
// name length, a number longer than it takes skipped and named, no row past
// its last location (MaxRows when it states none). A kept location is
// honoured while it is free and within those; every other entry takes the
// first empty row.
Imported place(const Parsed &parsed, int entries, const PhonebookAt::Limits &limits = {});

// The message after a load: how many entries were read from `file`, how
// many names were cut or changed, and the lines skipped.
QString report(const Imported &imported, const QString &file);

} // namespace ContactFile
