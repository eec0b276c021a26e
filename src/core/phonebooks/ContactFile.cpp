// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/ContactFile.h"

#include <QIODevice>
#include <QStringDecoder>

#include "core/at/Charset.h"
#include "core/io/BoundedRead.h"

namespace ContactFile {

void Parsed::skip(int line, const QString &why)
{
    if (skipped.size() < MaxNamedSkips)
        skipped << QStringLiteral("line %1: %2").arg(line).arg(why);
    else
        ++moreSkipped;
}

void Parsed::skipRest(int line)
{
    skip(line, QStringLiteral("the file goes on past %1 MiB and the rest was not read").arg(MaxBytes / (1024 * 1024)));
}

void Parsed::add(const Contact &contact)
{
    if (contacts.size() >= MaxContacts || numbers + contact.numbers.size() > MaxContacts) {
        skip(contact.line, QStringLiteral("more entries than a book can hold"));
        return;
    }
    numbers += int(contact.numbers.size());
    contacts.append(contact);
}

std::optional<QByteArray> LineSource::next()
{
    QByteArray line;
    m_cut = false;
    char c;
    bool any = false;
    while (m_read < m_maxBytes && m_in.getChar(&c)) {
        ++m_read;
        any = true;
        if (c == '\n')
            break;
        if (c == '\r') {
            // CR LF, and CR CR LF as some exports end their lines: a line
            // folded there must still unfold.
            char after[2];
            const qint64 seen = m_in.peek(after, 2);
            const int end = seen >= 1 && after[0] == '\n' ? 1 : seen == 2 && after[0] == '\r' && after[1] == '\n' ? 2 : 0;
            for (int k = 0; k < end; ++k)
                m_in.getChar(after);
            m_read += end;
            break;
        }
        if (line.size() < m_maxLine)
            line.append(c);
        else
            m_cut = true;
    }
    if (m_read >= m_maxBytes && !m_stopped) {
        char more;
        m_stopped = m_in.peek(&more, 1) == 1;
    }
    if (!any)
        return std::nullopt;
    ++m_number;
    return line;
}

QString decoded(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

std::optional<QByteArray> fromUtf16(QIODevice &in)
{
    char head[2];
    if (in.peek(head, 2) != 2)
        return std::nullopt;
    const QByteArray h(head, 2);
    bool littleEndian = false;
    if (h == "\xFF\xFE" || (h[0] > 0 && h[0] < 0x7F && h[1] == 0))
        littleEndian = true;
    else if (!(h == "\xFE\xFF" || (h[0] == 0 && h[1] > 0 && h[1] < 0x7F)))
        return std::nullopt;
    QStringDecoder utf16(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    QString text = utf16(BoundedRead::atMost(in, MaxBytes));
    if (text.startsWith(QChar::ByteOrderMark))
        text.remove(0, 1);
    return text.toUtf8();
}

QByteArray phoneName(const QString &name, const QString &suffix, bool *changed, int maxName)
{
    QString clean = name;
    for (QChar &c : clean)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    // Simplified after the spelling, which may add blanks of its own.
    // Typographic quotes are spelled as '"', which no command can carry.
    const QString spelled = spelledForPhone(clean).remove(u'"').simplified();
    QByteArray text = toPhoneText(spelled);
    const QByteArray tail = toPhoneText(spelledForPhone(suffix));
    const int room = qMax(0, maxName - int(tail.size()));
    bool cut = false;
    if (text.size() > room) {
        // Cut before the blank the cut would leave at the end.
        text = QByteArray(text.left(room)).trimmed();
        cut = true;
    }
    text += tail;
    if (changed)
        *changed = cut || spelled != name.simplified();
    return text.left(maxName);
}

QByteArray phoneNumber(const QString &number)
{
    if (number.contains(u'@') || number.trimmed().startsWith(QLatin1String("sip:"), Qt::CaseInsensitive))
        return {};
    QByteArray out;
    bool digit = false;
    for (const QChar c : number) {
        if (out.size() >= MaxNumber)
            break;
        const char16_t u = c.unicode();
        if (u == u'+') {
            if (out.isEmpty())
                out += '+';
        } else if ((u >= u'0' && u <= u'9') || u == u'*' || u == u'#') {
            out += char(u);
            digit = digit || (u >= u'0' && u <= u'9');
        } else if (digit && (u == u'p' || u == u'w')) {
            out += char(u);
        } else if (digit && (u == u'P' || u == u'W')) {
            out += char(u + (u'p' - u'P'));
        }
    }
    // A pause or wait with no digit after it dials nothing; it is what is
    // left of a word ("0701 phone") more often than a keyed pause.
    while (out.endsWith('p') || out.endsWith('w'))
        out.chop(1);
    return digit ? out : QByteArray();
}

namespace {
QString quotedName(const Contact &c)
{
    return c.name.trimmed().isEmpty() ? QStringLiteral("a contact without a name")
                                      : QStringLiteral("\"%1\"").arg(c.name.trimmed().left(40));
}

struct Placer {
    Imported &out;
    int last = MaxRows; // the book's last row
    int next = 1;       // no empty row lies before it

    void skip(int line, const QString &why)
    {
        if (out.skipped.size() < MaxNamedSkips)
            out.skipped << QStringLiteral("line %1: %2").arg(line).arg(why);
        else
            ++out.moreSkipped;
    }
    bool freeRow(int r) const { return r >= 1 && r <= last && out.rows.at(r) == PhonebookEntry(); }
    // False when the book is full.
    bool put(int location, const PhonebookEntry &e, bool changed, bool faxOrPager)
    {
        int r = location;
        if (!freeRow(r)) {
            while (next <= last && !freeRow(next))
                ++next;
            if (next > last)
                return false;
            r = next;
        }
        if (r > out.rows.count())
            out.grew = true;
        out.rows.set(r, e);
        ++out.read;
        if (changed)
            ++out.namesChanged;
        if (faxOrPager)
            ++out.faxOrPager;
        return true;
    }
};
} // namespace

Imported place(const Parsed &parsed, int entries, const PhonebookAt::Limits &limits)
{
    Imported out;
    out.rows = PhonebookEntries(entries);
    out.skipped = parsed.skipped;
    out.moreSkipped = parsed.moreSkipped;
    Placer placer{out, limits.last > 0 ? qMin(limits.last, MaxRows) : MaxRows};

    struct Pending {
        int line;
        int location;
        PhonebookEntry entry;
        bool changed;
        bool faxOrPager;
        QString shown;
    };
    QList<Pending> pending;
    for (const Contact &c : parsed.contacts) {
        QList<Number> numbers;
        for (const Number &n : c.numbers) {
            const QByteArray cleaned = phoneNumber(n.text);
            if (cleaned.isEmpty())
                placer.skip(c.line, QStringLiteral("%1: \"%2\" is no phone number").arg(quotedName(c), n.text.left(40)));
            else if (PhonebookAt::numberLength(cleaned) > limits.number)
                placer.skip(c.line, QStringLiteral("%1: \"%2\" is longer than the %3 digits the book takes")
                                        .arg(quotedName(c), n.text.left(40))
                                        .arg(limits.number));
            else
                numbers.append({QString::fromLatin1(cleaned), n.kind, n.faxOrPager});
        }
        if (numbers.isEmpty()) {
            // A name alone was saved from a row of the grid and goes back to
            // it; a contact without numbers from elsewhere has no place here.
            bool changed = false;
            const QByteArray name = phoneName(c.name, {}, &changed, limits.name);
            if (c.location > 0 && !name.isEmpty() && c.numbers.isEmpty()) {
                pending.append({c.line, c.location, {{}, name}, changed, false, quotedName(c)});
            } else if (c.numbers.isEmpty()) {
                placer.skip(c.line, QStringLiteral("%1 has no phone number").arg(quotedName(c)));
            }
            continue;
        }
        for (qsizetype k = 0; k < numbers.size(); ++k) {
            const QString suffix =
                numbers.size() > 1 ? QStringLiteral("/") + QLatin1Char(char(numbers[k].kind)) : QString();
            bool changed = false;
            const PhonebookEntry e{numbers[k].text.toLatin1(), phoneName(c.name, suffix, &changed, limits.name)};
            pending.append({c.line, k == 0 ? c.location : 0, e, changed, numbers[k].faxOrPager, quotedName(c)});
        }
    }

    // Kept locations first, so an entry without one cannot take the row
    // another entry was saved from.
    QList<bool> placed(pending.size(), false);
    for (qsizetype k = 0; k < pending.size(); ++k) {
        const Pending &p = pending[k];
        if (p.location > 0 && placer.freeRow(p.location))
            placed[k] = placer.put(p.location, p.entry, p.changed, p.faxOrPager);
    }
    for (qsizetype k = 0; k < pending.size(); ++k) {
        if (placed[k])
            continue;
        const Pending &p = pending[k];
        if (!placer.put(0, p.entry, p.changed, p.faxOrPager))
            placer.skip(p.line,
                        QStringLiteral("%1: the book holds no more than %2 entries").arg(p.shown).arg(placer.last));
    }
    return out;
}

QString report(const Imported &imported, const QString &file)
{
    QString text = imported.read == 1 ? QStringLiteral("1 entry read from %1.").arg(file)
                                      : QStringLiteral("%1 entries read from %2.").arg(imported.read).arg(file);
    if (imported.namesChanged == 1)
        text += QStringLiteral("\n1 name was cut or changed to fit the phone.");
    else if (imported.namesChanged > 1)
        text += QStringLiteral("\n%1 names were cut or changed to fit the phone.").arg(imported.namesChanged);
    if (imported.faxOrPager == 1)
        text += QStringLiteral("\n1 fax or pager number was read as an \"/O\" entry.");
    else if (imported.faxOrPager > 1)
        text += QStringLiteral("\n%1 fax or pager numbers were read as \"/O\" entries.").arg(imported.faxOrPager);
    if (!imported.skipped.isEmpty()) {
        text += QStringLiteral("\n\nSkipped:\n") + imported.skipped.join(u'\n');
        if (imported.moreSkipped > 0)
            text += QStringLiteral("\n... and %1 more.").arg(imported.moreSkipped);
    }
    return text;
}

} // namespace ContactFile
