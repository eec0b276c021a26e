// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/CsvBookFile.h"

#include <QBuffer>
#include <QHash>
#include <QRegularExpression>
#include <deque>

#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "core/io/AtomicFile.h"

namespace CsvBookFile {

using ContactFile::Contact;
using ContactFile::Kind;
using ContactFile::Parsed;

namespace {
// ---- Writing ----

QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')
        || bytes.contains(';') || (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.back() == ' '))) {
        bytes.replace('"', "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

// ---- Reading ----

struct Record {
    QList<QByteArray> fields;
    int line = 0;
};

// Records of RFC 4180: a quoted field may hold separators, doubled quotes
// and line ends. A quote inside an unquoted field is taken as it is.
class RecordReader {
public:
    RecordReader(ContactFile::LineSource &source, Parsed &parsed) : m_source(source), m_parsed(parsed) {}
    char separator = ',';

    std::optional<Record> next()
    {
        for (;;) {
            std::optional<Held> first = take();
            if (!first)
                return std::nullopt;
            Record r{{QByteArray()}, first->number};
            std::vector<Held> lines{*first};
            qsizetype size = 0;
            bool quoted = false, wasQuoted = false;
            bool overflow = first->cut;
            Held *line = &lines.back();
            for (;;) {
                for (qsizetype i = 0; i < line->text.size(); ++i) {
                    const char c = line->text[i];
                    if (quoted) {
                        if (c != '"')
                            r.fields.last() += c;
                        else if (i + 1 < line->text.size() && line->text[i + 1] == '"')
                            r.fields.last() += line->text[++i];
                        else
                            quoted = false;
                    } else if (c == separator) {
                        r.fields.append(QByteArray());
                        wasQuoted = false;
                    } else if (c == '"' && r.fields.last().isEmpty() && !wasQuoted) {
                        quoted = wasQuoted = true;
                    } else {
                        r.fields.last() += c;
                    }
                }
                size += line->text.size() + 1;
                // A line cut at its bound may have lost a number: the
                // record is named rather than taken in part.
                if (!quoted && overflow) {
                    m_parsed.skip(r.line, QStringLiteral("a line too long"));
                    break;
                }
                if (!quoted)
                    return r;
                std::optional<Held> more = size > MaxRecord || overflow ? std::nullopt : take();
                if (!more)
                    break;
                overflow = overflow || more->cut;
                r.fields.last() += '\n';
                lines.push_back(*more);
                line = &lines.back();
            }
            if (!quoted)
                continue;
            // A quote left open: the record is skipped, and its other lines
            // are read again as records of their own (once only, so no
            // file costs more than twice its reading).
            m_parsed.skip(r.line, size > MaxRecord || overflow ? QStringLiteral("a record too long")
                                                               : QStringLiteral("a quote that is never closed"));
            for (auto it = lines.rbegin(); it != lines.rend() - 1; ++it)
                if (!it->again)
                    m_back.push_front({it->text, it->number, it->cut, true});
        }
    }

private:
    struct Held {
        QByteArray text;
        int number = 0;
        bool cut = false;
        bool again = false;
    };
    std::optional<Held> take()
    {
        if (!m_back.empty()) {
            Held h = m_back.front();
            m_back.pop_front();
            return h;
        }
        std::optional<QByteArray> text = m_source.next();
        if (!text)
            return std::nullopt;
        return Held{*text, m_source.number(), m_source.cut(), false};
    }

    ContactFile::LineSource &m_source;
    Parsed &m_parsed;
    std::deque<Held> m_back;
};

// What each column of a header holds.
struct Columns {
    int location = -1;
    int fullName = -1; // "Name", "Display Name"
    int given = -1, middle = -1, family = -1;
    int fallbackName = -1; // nickname, then "File As", then the organisation
    int fallbackRank = 99;
    struct Phone {
        int value;
        int typeColumn; // Google's "Phone n - Type" beside it; -1 none
        Kind kind;
        bool faxOrPager = false;
    };
    QList<Phone> phones;

    bool any() const { return fullName >= 0 || given >= 0 || family >= 0 || !phones.isEmpty(); }
};

bool faxOrPager(const QString &text)
{
    const QString t = text.toLower();
    return t.contains(QLatin1String("fax")) || t.contains(QLatin1String("pager"));
}

// Fax and pager numbers are "other", as a vCard's are.
Kind kindOfText(const QString &text)
{
    const QString t = text.toLower();
    if (faxOrPager(t))
        return Kind::Other;
    if (t.contains(QLatin1String("mobile")) || t.contains(QLatin1String("cell")))
        return Kind::Mobile;
    if (t.contains(QLatin1String("home")))
        return Kind::Home;
    if (t.contains(QLatin1String("work")) || t.contains(QLatin1String("business")))
        return Kind::Work;
    return Kind::Other;
}

Columns columns(const QList<QByteArray> &header)
{
    static const QRegularExpression googleValue(QStringLiteral("^phone (\\d+) - value$"));
    // The type or label beside Google's value column names no number.
    static const QRegularExpression googleLabel(QStringLiteral("^phone \\d+ - (type|label)$"));
    // A word of its own: Google's "Phonetic First Name" is no number.
    static const QRegularExpression phoneWord(QStringLiteral("\\b(phone|mobile|telephone|fax|pager)\\b"));
    Columns c;
    QStringList names;
    QHash<QString, int> columnOf; // the first column of each name
    for (const QByteArray &h : header) {
        names << ContactFile::decoded(h).simplified().toLower();
        if (!columnOf.contains(names.last()))
            columnOf.insert(names.last(), int(names.size() - 1));
    }
    auto fallback = [&c](int column, int rank) {
        if (rank < c.fallbackRank) {
            c.fallbackName = column;
            c.fallbackRank = rank;
        }
    };
    for (int k = 0; k < names.size(); ++k) {
        const QString &h = names[k];
        if (h == QLatin1String("location")) {
            c.location = k;
        } else if (h == QLatin1String("name") || h == QLatin1String("display name")
                   || h == QLatin1String("full name")) {
            if (c.fullName < 0)
                c.fullName = k;
        } else if (h == QLatin1String("given name") || h == QLatin1String("first name")) {
            c.given = k;
        } else if (h == QLatin1String("additional name") || h == QLatin1String("middle name")) {
            c.middle = k;
        } else if (h == QLatin1String("family name") || h == QLatin1String("last name")) {
            c.family = k;
        } else if (h == QLatin1String("nickname")) {
            fallback(k, 0);
        } else if (h == QLatin1String("file as")) {
            fallback(k, 1);
        } else if (h == QLatin1String("company") || h == QLatin1String("organization name")
                   || h == QLatin1String("organization 1 - name")) {
            fallback(k, 2);
        } else if (const QRegularExpressionMatch m = googleValue.match(h); m.hasMatch()) {
            // Google names the kind in a column of its own, "Type" or "Label".
            int type = -1;
            for (const char *word : {" - type", " - label"})
                type = columnOf.value(QStringLiteral("phone ") + m.captured(1) + QLatin1String(word), type);
            c.phones.append({k, type, Kind::Other});
        } else if (h == QLatin1String("number")) {
            c.phones.append({k, -1, Kind::Other});
        } else if (h.contains(phoneWord) && !googleLabel.match(h).hasMatch()) {
            // Outlook's "Mobile Phone", "Home Phone 2", "Business Fax",
            // Thunderbird's "Mobile Number", "Pager Number", a plain
            // "Phone Number" and the like.
            c.phones.append({k, -1, kindOfText(h), faxOrPager(h)});
        }
    }
    return c;
}

QString at(const Record &r, int column)
{
    return column >= 0 && column < r.fields.size() ? ContactFile::decoded(r.fields[column]).simplified() : QString();
}

Contact contact(const Record &r, const Columns &c)
{
    Contact out;
    out.line = r.line;
    out.name = at(r, c.fullName);
    if (out.name.isEmpty()) {
        QStringList said;
        for (const int k : {c.given, c.middle, c.family})
            if (const QString part = at(r, k); !part.isEmpty())
                said << part;
        out.name = said.join(u' ');
    }
    if (out.name.isEmpty())
        out.name = at(r, c.fallbackName);
    for (const Columns::Phone &p : c.phones) {
        const QString type = p.typeColumn >= 0 ? at(r, p.typeColumn) : QString();
        const Kind kind = p.typeColumn >= 0 ? kindOfText(type) : p.kind;
        const bool fax = p.faxOrPager || faxOrPager(type);
        // Google puts several numbers of one kind in one cell.
        for (const QString &n : at(r, p.value).split(QStringLiteral(":::"), Qt::SkipEmptyParts))
            if (!n.trimmed().isEmpty())
                out.numbers.append({n.trimmed(), kind, fax});
    }
    if (c.location >= 0) {
        bool ok = false;
        const int l = at(r, c.location).toInt(&ok);
        out.location = ok && l >= 1 && l <= ContactFile::MaxRows ? l : 0;
    }
    return out;
}

// The separator of a header line: ";" or a tab when it has no comma outside
// quotes, as some exports write it.
char separatorOf(const QByteArray &header)
{
    QByteArray outside;
    bool quoted = false;
    for (const char c : header) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted)
            outside += c;
    }
    return outside.contains(',') ? ',' : outside.contains(';') ? ';' : outside.contains('\t') ? '\t' : ',';
}
} // namespace

QByteArray text(const PhonebookEntries &book)
{
    QByteArray out = "Location,Name,Number\r\n";
    for (int r = 1; r <= book.count(); ++r) {
        const QString name = fromPhoneText(Reply::trimmed(book.at(r).name));
        const QString number = fromPhoneText(Reply::trimmed(book.at(r).number));
        if (!name.isEmpty() || !number.isEmpty())
            out += QByteArray::number(r) + ',' + field(name) + ',' + field(number) + "\r\n";
    }
    return out;
}

bool save(const QString &path, const PhonebookEntries &book, QString *error)
{
    return AtomicFile::write(path, text(book)).told(error);
}

namespace {
Parsed readText(QIODevice &in)
{
    Parsed parsed;
    // The byte-order mark, and the separator, from the header's first line.
    char head[3];
    if (in.peek(head, 3) == 3 && QByteArray(head, 3) == "\xEF\xBB\xBF")
        in.skip(3);
    {
        QByteArray first(4096, Qt::Uninitialized);
        first.truncate(qMax<qint64>(0, in.peek(first.data(), first.size())));
        first = first.left(first.indexOf('\n') < 0 ? first.size() : first.indexOf('\n'));
        parsed.known = false;
        ContactFile::LineSource source(in);
        RecordReader records(source, parsed);
        records.separator = separatorOf(first);
        const std::optional<Record> header = records.next();
        const Columns c = header ? columns(header->fields) : Columns();
        if (!c.any()) {
            parsed.problem = QStringLiteral("The first line of the file names no name or number column.");
            parsed.skipped.clear();
            return parsed;
        }
        parsed.known = true;
        while (const std::optional<Record> r = records.next()) {
            bool blank = true;
            for (const QByteArray &f : r->fields)
                blank = blank && Reply::trimmed(f).isEmpty();
            if (blank)
                continue;
            const Contact one = contact(*r, c);
            if (one.name.isEmpty() && one.numbers.isEmpty())
                parsed.skip(r->line, QStringLiteral("no name or number"));
            else
                parsed.add(one);
        }
        if (source.stopped())
            parsed.skipRest(source.number());
    }
    return parsed;
}
} // namespace

// Outlook writes its exports in UTF-16 as often as not.
Parsed read(QIODevice &in)
{
    if (const std::optional<QByteArray> utf8 = ContactFile::fromUtf16(in)) {
        QBuffer buffer;
        buffer.setData(*utf8);
        buffer.open(QIODevice::ReadOnly);
        return readText(buffer);
    }
    return readText(in);
}

Parsed read(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

} // namespace CsvBookFile
