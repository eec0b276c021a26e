// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/InboxFiles.h"

#include <QFileInfo>

#include "core/io/AtomicFile.h"

namespace InboxFiles {

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray f = text.toUtf8();
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r')) {
        f.replace("\"", "\"\"");
        f = '"' + f + '"';
    }
    return f;
}

// Mail headers and the separator line speak English whatever the locale.
const char *const Days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char *const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QByteArray rfc5322Date(const QDateTime &t)
{
    const QDate d = t.date();
    const int offset = t.offsetFromUtc() / 60;
    return QByteArray(Days[d.dayOfWeek() - 1]) + ", " + QByteArray::number(d.day()).rightJustified(2, '0') + ' '
           + Months[d.month() - 1] + ' ' + QByteArray::number(d.year()) + ' '
           + t.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + ' ' + (offset < 0 ? '-' : '+')
           + QByteArray::number(qAbs(offset) / 60).rightJustified(2, '0')
           + QByteArray::number(qAbs(offset) % 60).rightJustified(2, '0');
}

// The separator line's date: asctime's form, in UTC.
QByteArray asctime(const QDateTime &time)
{
    const QDateTime t = time.toUTC();
    const QDate d = t.date();
    return QByteArray(Days[d.dayOfWeek() - 1]) + ' ' + Months[d.month() - 1] + ' '
           + QByteArray::number(d.day()).rightJustified(2, ' ') + ' '
           + t.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + ' ' + QByteArray::number(d.year());
}

bool plainAscii(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

// Text for a header: as it is when it is plain ASCII, else as encoded
// words of whole characters, each short enough for a header line.
QByteArray headerText(const QString &text, bool phrase)
{
    if (plainAscii(text) && !text.contains(QLatin1String("=?"))) {
        if (!phrase)
            return text.toLatin1();
        QByteArray q = text.toLatin1();
        q.replace('\\', "\\\\").replace('"', "\\\"");
        return '"' + q + '"';
    }
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString ch = text.mid(i, 1);
        if (text[i].isHighSurrogate() && i + 1 < text.size())
            ch = text.mid(i++, 2);
        const QByteArray bytes = ch.toUtf8();
        if (chunk.size() + bytes.size() > 45) {
            words << chunk;
            chunk.clear();
        }
        chunk += bytes;
    }
    if (!chunk.isEmpty())
        words << chunk;
    QByteArray out;
    for (const QByteArray &w : words)
        out += (out.isEmpty() ? "" : "\n ") + QByteArray("=?UTF-8?B?") + w.toBase64() + "?=";
    return out;
}

// The number as an address: characters a mail address may hold.
QByteArray addressOf(const QString &number)
{
    QByteArray out;
    for (const QChar c : number)
        if (c.unicode() < 0x80 && (c.isLetterOrNumber() || QStringLiteral("+-._").contains(c)))
            out += char(c.unicode());
    return out.isEmpty() ? QByteArray("unknown") : out;
}

QString body(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    // A line that would read as the start of the next mail, or as one
    // escaped already, gets one more '>'.
    QStringList lines = t.split(u'\n');
    for (QString &line : lines) {
        qsizetype k = 0;
        while (k < line.size() && line[k] == u'>')
            ++k;
        if (line.mid(k).startsWith(QLatin1String("From ")))
            line.prepend(u'>');
    }
    return lines.join(u'\n');
}

// The first `count` characters, a character outside the BMP counted once.
QString firstCharacters(const QString &text, int count)
{
    qsizetype end = 0;
    for (int n = 0; n < count && end < text.size(); ++n)
        end += text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    return text.left(end);
}

} // namespace

Format formatFor(const QString &path, Format chosen)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("mbox"))
        return Format::Mbox;
    return chosen;
}

QByteArray csv(const QList<InboxMessage> &messages)
{
    QByteArray out = "Store,Index,Status,Number,Name,Date,Text\r\n";
    for (const InboxMessage &m : messages) {
        QStringList locations;
        for (int n : m.locations())
            locations << QString::number(n);
        const QList<QString> fields{Inbox::storeText(m.store), locations.join(u';'), Inbox::statusText(m.status),
                                    m.number, m.name, Inbox::isoDate(m.time), m.text};
        QByteArrayList row;
        for (const QString &f : fields)
            row << csvField(f);
        out += row.join(',') + "\r\n";
    }
    return out;
}

QByteArray mbox(const QList<InboxMessage> &messages, const QDateTime &now)
{
    QByteArray out;
    for (const InboxMessage &m : messages) {
        const QByteArray address = addressOf(m.number);
        const QString display = !m.name.isEmpty() ? m.name : (address != m.number.toUtf8() ? m.number : QString());
        const QString subject = firstCharacters(Inbox::oneLine(m.text), 40);
        out += "From " + address + ' ' + asctime(m.time.isValid() ? m.time : now) + '\n';
        out += "From: " + (display.isEmpty() ? address : headerText(display, true) + " <" + address + '>') + '\n';
        if (m.time.isValid())
            out += "Date: " + rfc5322Date(m.time) + '\n';
        out += "Subject: " + headerText(subject, false) + '\n';
        out += "X-Mirvak-Status: " + Inbox::statusText(m.status).toLatin1() + '\n';
        out += "MIME-Version: 1.0\n"
               "Content-Type: text/plain; charset=UTF-8\n"
               "Content-Transfer-Encoding: 8bit\n\n";
        out += body(m.text).toUtf8() + "\n\n";
    }
    return out;
}

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    return AtomicFile::write(path, bytes).told(error);
}

} // namespace InboxFiles
