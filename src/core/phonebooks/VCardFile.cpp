// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/VCardFile.h"

#include <QBuffer>
#include <QStringDecoder>

#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "core/io/AtomicFile.h"

namespace VCardFile {

using ContactFile::Contact;
using ContactFile::Kind;
using ContactFile::Parsed;

namespace {
// ---- Writing ----

QByteArray escaped(const QString &value)
{
    QString v = value;
    v.replace(u'\\', QStringLiteral("\\\\"));
    v.replace(u',', QStringLiteral("\\,"));
    v.replace(u';', QStringLiteral("\\;"));
    v.replace(u'\n', QStringLiteral("\\n"));
    return v.toUtf8();
}

// Lines of at most 75 octets; a continuation starts with one blank. A cut
// never falls inside a UTF-8 sequence.
void appendFolded(QByteArray &out, const QByteArray &line)
{
    constexpr qsizetype Width = 75;
    qsizetype from = 0;
    qsizetype width = Width;
    while (line.size() - from > width) {
        qsizetype cut = from + width;
        while (cut > from + 1 && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += line.mid(from, cut - from) + "\r\n ";
        from = cut;
        width = Width - 1;
    }
    out += line.mid(from) + "\r\n";
}

// The type a number is written with, from the suffix a load gave its name.
QByteArray telType(const QString &name)
{
    if (name.endsWith(QLatin1String("/H")))
        return "HOME,VOICE";
    if (name.endsWith(QLatin1String("/W")))
        return "WORK,VOICE";
    if (name.endsWith(QLatin1String("/O")))
        return "VOICE";
    return "CELL";
}

// ---- Reading ----

constexpr qsizetype MaxLogicalLine = 4 * ContactFile::MaxLine;

struct Line {
    QByteArray text;
    int number = 0;
    bool cut = false;
};

// Where the property's name and parameters end: the first colon outside
// double quotes (a 4.0 parameter may quote one).
qsizetype valueStart(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

// Physical lines joined into logical ones: a line starting with a blank or
// a tab continues the one before (3.0 and 4.0 drop that blank, 2.1 keeps
// it), and a quoted-printable value ending in "=" continues on the next line.
class Unfolder {
public:
    explicit Unfolder(ContactFile::LineSource &source) : m_source(source) {}

    std::optional<Line> next(bool keepFoldBlank)
    {
        std::optional<Line> line = take();
        if (!line)
            return std::nullopt;
        const qsizetype colon = valueStart(line->text);
        const bool qp = colon > 0 && line->text.left(colon).toUpper().contains("QUOTED-PRINTABLE");
        for (;;) {
            std::optional<Line> more = take();
            if (!more)
                break;
            if (qp && line->text.endsWith('=')) {
                line->text.chop(1);
                append(*line, *more, more->text);
            } else if (!more->text.isEmpty() && (more->text[0] == ' ' || more->text[0] == '\t')) {
                append(*line, *more, keepFoldBlank ? more->text : more->text.mid(1));
            } else {
                m_back = std::move(more);
                break;
            }
        }
        return line;
    }
    bool stopped() const { return m_source.stopped(); }
    int lastNumber() const { return m_source.number(); }

private:
    std::optional<Line> take()
    {
        if (m_back)
            return std::exchange(m_back, std::nullopt);
        std::optional<QByteArray> text = m_source.next();
        if (!text)
            return std::nullopt;
        return Line{*text, m_source.number(), m_source.cut()};
    }
    static void append(Line &line, const Line &more, const QByteArray &text)
    {
        line.cut = line.cut || more.cut;
        if (line.text.size() + text.size() > MaxLogicalLine) {
            line.text.append(text.left(MaxLogicalLine - line.text.size()));
            line.cut = true;
        } else {
            line.text.append(text);
        }
    }

    ContactFile::LineSource &m_source;
    std::optional<Line> m_back;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray fromQuotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hexDigit(in[i + 1]) >= 0 && hexDigit(in[i + 2]) >= 0) {
            out += char(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

// Splits at `sep` outside double quotes.
QList<QByteArray> splitOutsideQuotes(const QByteArray &text, char sep)
{
    QList<QByteArray> parts{QByteArray()};
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == sep && !quoted)
            parts.append(QByteArray());
        else
            parts.last() += c;
    }
    return parts;
}

QByteArray unquoted(QByteArray v)
{
    v = Reply::trimmed(v);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        v = v.mid(1, v.size() - 2);
    return v;
}

struct Property {
    QByteArray name; // upper case, group taken off
    QList<QByteArray> types; // upper case
    QByteArray encoding;     // upper case
    QByteArray charset;
    QByteArray valueType;    // upper case
    QByteArray raw;          // the value as written
};

std::optional<Property> property(const QByteArray &line)
{
    const qsizetype colon = valueStart(line);
    if (colon <= 0)
        return std::nullopt;
    Property p;
    p.raw = line.mid(colon + 1);
    const QList<QByteArray> head = splitOutsideQuotes(line.left(colon), ';');
    p.name = Reply::trimmed(head.first()).toUpper();
    if (const qsizetype dot = p.name.lastIndexOf('.'); dot >= 0)
        p.name = p.name.mid(dot + 1);
    for (qsizetype k = 1; k < head.size(); ++k) {
        const QByteArray &param = head[k];
        const qsizetype eq = param.indexOf('=');
        const QByteArray key = Reply::trimmed(eq < 0 ? param : param.left(eq)).toUpper();
        const QByteArray value = eq < 0 ? QByteArray() : unquoted(param.mid(eq + 1));
        if (eq < 0) {
            // 2.1 names its encoding and its types bare.
            if (key == "QUOTED-PRINTABLE" || key == "BASE64" || key == "8BIT" || key == "7BIT")
                p.encoding = key;
            else
                p.types << key;
        } else if (key == "TYPE") {
            for (const QByteArray &t : splitOutsideQuotes(value, ','))
                p.types << unquoted(t).toUpper();
        } else if (key == "ENCODING") {
            p.encoding = value.toUpper();
        } else if (key == "CHARSET") {
            p.charset = value;
        } else if (key == "VALUE") {
            p.valueType = value.toUpper();
        }
    }
    return p;
}

// The value as text: its encoding undone, then its bytes read in its
// charset (UTF-8, else Latin-1, when it names none Qt knows).
QString valueText(const Property &p)
{
    QByteArray bytes = p.raw;
    if (p.encoding == "QUOTED-PRINTABLE")
        bytes = fromQuotedPrintable(bytes);
    else if (p.encoding == "B" || p.encoding == "BASE64")
        bytes = QByteArray::fromBase64(bytes);
    if (!p.charset.isEmpty()) {
        QStringDecoder decoder(p.charset.constData(), QStringDecoder::Flag::Stateless);
        if (decoder.isValid()) {
            const QString text = decoder(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    return ContactFile::decoded(bytes);
}

// Splits at ';' not escaped by a backslash, and undoes the escapes.
QStringList components(const QString &value)
{
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar e = value[++i];
            parts.last() += (e == u'n' || e == u'N') ? QChar(u'\n') : e;
        } else if (c == u';') {
            parts.append(QString());
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

QString unescaped(const QString &value) { return components(value).join(u';'); }

bool faxOrPager(const QList<QByteArray> &types)
{
    return types.contains("FAX") || types.contains("PAGER");
}

// A fax or pager number is "other" whatever else its types say: "/W" on a
// work fax would be taken for the number to call.
Kind kindOf(const QList<QByteArray> &types)
{
    if (faxOrPager(types))
        return Kind::Other;
    if (types.contains("CELL") || types.contains("MOBILE") || types.contains("IPHONE"))
        return Kind::Mobile;
    if (types.contains("HOME"))
        return Kind::Home;
    if (types.contains("WORK"))
        return Kind::Work;
    return Kind::Other;
}

// The number of a TEL value, a "tel:" URI's parameters taken off.
QString telNumber(const Property &p, const QString &value)
{
    QString v = value.trimmed();
    if (p.valueType == "URI" || v.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        if (v.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            v = v.mid(4);
        v = v.section(u';', 0, 0);
    }
    return v;
}

struct Card {
    int line = 0;
    QString fn, n, org;
    bool hasFn = false;
    QList<ContactFile::Number> numbers;
    QString firstRawNumber;
    int location = 0;
    bool version21 = false;
};

class Reader {
public:
    Parsed parsed;

    void line(const Line &l)
    {
        if (Reply::trimmed(l.text).isEmpty()) {
            m_inBase64 = false;
            return;
        }
        const bool bom = l.number == 1 && l.text.startsWith("\xEF\xBB\xBF");
        const std::optional<Property> p = property(bom ? l.text.mid(3) : l.text);
        if (!p) {
            if (m_card && !m_inBase64)
                parsed.skip(l.number, QStringLiteral("no vCard property"));
            return;
        }
        m_inBase64 = false;
        // "AGENT:BEGIN:VCARD" too: 2.1 nests a card as a property's value.
        const QByteArray value = Reply::trimmed(p->raw).toUpper();
        if ((p->name == "BEGIN" && value == "VCARD") || (m_card && value == "BEGIN:VCARD")) {
            parsed.known = true;
            // A card begun inside another is the other's agent or the like:
            // the outer one goes on after it ends, its numbers kept.
            if (m_card && m_outer.size() < MaxNesting)
                m_outer.append(*std::exchange(m_card, std::nullopt));
            else
                end();
            m_card = Card();
            m_card->line = l.number;
            m_version21 = false;
            return;
        }
        if (!m_card)
            return;
        if (p->name == "END" && value == "VCARD") {
            end();
            return;
        }
        if (p->name == "VERSION") {
            m_card->version21 = m_version21 = Reply::trimmed(p->raw) == "2.1";
            return;
        }
        // 2.1 may write base64 data on lines of their own up to a blank line.
        if (m_version21 && (p->encoding == "BASE64" || p->encoding == "B"))
            m_inBase64 = true;
        const bool used = p->name == "FN" || p->name == "N" || p->name == "TEL" || p->name == LocationProperty;
        if (used && l.cut) {
            parsed.skip(l.number, QStringLiteral("%1 too long").arg(QString::fromLatin1(p->name)));
            return;
        }
        if (p->name == "FN") {
            m_card->fn = unescaped(valueText(*p)).simplified();
            m_card->hasFn = true;
        } else if (p->name == "N") {
            const QStringList c = components(valueText(*p));
            // Given, additional and family names, in the order they are said.
            QStringList said;
            for (const int k : {1, 2, 0})
                if (k < c.size() && !c[k].trimmed().isEmpty())
                    said << c[k].trimmed();
            m_card->n = said.join(u' ').simplified();
        } else if (p->name == "ORG") {
            m_card->org = components(valueText(*p)).constFirst().simplified();
        } else if (p->name == "TEL") {
            const QString raw = unescaped(valueText(*p));
            if (m_card->numbers.isEmpty())
                m_card->firstRawNumber = raw.trimmed();
            if (m_card->numbers.size() < ContactFile::MaxRows)
                m_card->numbers.append({telNumber(*p, raw), kindOf(p->types), faxOrPager(p->types)});
            else
                parsed.skip(l.number, QStringLiteral("more numbers than a book can hold"));
        } else if (p->name == LocationProperty) {
            bool ok = false;
            const int r = valueText(*p).trimmed().toInt(&ok);
            m_card->location = ok && r >= 1 && r <= ContactFile::MaxRows ? r : 0;
        }
    }

    // Every card left open at the end of the file keeps what it had.
    void endAll()
    {
        while (m_card)
            end();
    }

    // The card open ends; the one it was nested in, if any, goes on.
    void end()
    {
        if (!m_card)
            return;
        Card c = *std::exchange(m_card, std::nullopt);
        if (!m_outer.isEmpty()) {
            m_card = m_outer.takeLast();
            m_version21 = m_card->version21;
        }
        Contact contact;
        contact.line = c.line;
        contact.numbers = c.numbers;
        contact.location = c.location;
        contact.name = !c.fn.isEmpty() ? c.fn : !c.n.isEmpty() ? c.n : c.org;
        // A row without a name was written with its number as FN and an
        // empty N.
        if (c.location > 0 && c.hasFn && c.n.isEmpty() && c.numbers.size() == 1 && c.fn == c.firstRawNumber)
            contact.name.clear();
        if (contact.name.isEmpty() && contact.numbers.isEmpty()) {
            parsed.skip(c.line, QStringLiteral("a card without a name or number"));
            return;
        }
        parsed.add(contact);
    }

    bool version21() const { return m_version21; }

private:
    // Deeper nesting is taken as cards one after the other.
    static constexpr int MaxNesting = 4;
    std::optional<Card> m_card;
    QList<Card> m_outer;
    bool m_version21 = false;
    bool m_inBase64 = false;
};
} // namespace

QByteArray text(const PhonebookEntries &book)
{
    QByteArray out;
    for (int r = 1; r <= book.count(); ++r) {
        const QString name = fromPhoneText(Reply::trimmed(book.at(r).name));
        const QString number = fromPhoneText(Reply::trimmed(book.at(r).number));
        if (name.isEmpty() && number.isEmpty())
            continue;
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        appendFolded(out, "FN:" + escaped(name.isEmpty() ? number : name));
        appendFolded(out, "N:" + escaped(name) + ";;;;");
        if (!number.isEmpty())
            appendFolded(out, "TEL;TYPE=" + telType(name) + ':' + escaped(number));
        out += QByteArray(LocationProperty) + ':' + QByteArray::number(r) + "\r\n";
        out += "END:VCARD\r\n";
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
    ContactFile::LineSource source(in);
    Unfolder lines(source);
    Reader reader;
    while (const std::optional<Line> l = lines.next(reader.version21()))
        reader.line(*l);
    reader.endAll();
    if (lines.stopped())
        reader.parsed.skipRest(lines.lastNumber());
    if (!reader.parsed.known)
        reader.parsed.problem = QStringLiteral("No vCard in the file (no line BEGIN:VCARD).");
    return reader.parsed;
}

Parsed readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readText(buffer);
}
} // namespace

Parsed read(QIODevice &in)
{
    if (const std::optional<QByteArray> utf8 = ContactFile::fromUtf16(in))
        return readBytes(*utf8);
    return readText(in);
}

Parsed read(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer);
}

} // namespace VCardFile
