// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/BookFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/at/ReplyParse.h"

namespace BookFile {

namespace {
constexpr char Eof = 0x1A;
constexpr int NewIcqBlanks = 520;

// Reads the image as the program always has: one character at a time, a
// character past the end being the end-of-file character, and 0x00 or 0x1A
// standing for a blank. `damaged` says whether such a character was met.
class Reader {
public:
    explicit Reader(const QByteArray &image) : m_image(image) {}

    char raw()
    {
        return m_pos < m_image.size() ? m_image[m_pos++] : (++m_pos, Eof);
    }

    QByteArray field(int length, bool *damaged)
    {
        QByteArray out(length, ' ');
        for (int i = 0; i < length; ++i) {
            const char c = raw();
            if (c == 0x00 || c == Eof)
                *damaged = true;
            else
                out[i] = c;
        }
        return out;
    }

private:
    const QByteArray &m_image;
    qsizetype m_pos = 0;
};

QByteArray padded(const QByteArray &text, int width)
{
    return text.leftJustified(width, ' ', true);
}

QByteArray record(const Entry &e, int numberWidth, int recordWidth)
{
    // A number longer than its column pushes the name right; the record is
    // still cut to its fixed size so the layout holds.
    const QByteArray number = Reply::trimmed(e.number).leftJustified(numberWidth, ' ');
    return padded(number + Reply::trimmed(e.name), recordWidth);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool save(const QString &path, const QByteArray &image, QString *error)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(shown(path), out.errorString());
        return false;
    }
    if (out.write(image) != image.size()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(shown(path), out.errorString());
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(shown(path), out.errorString());
        return false;
    }
    return true;
}
} // namespace

Contents parse(const QByteArray &image)
{
    Contents c;
    Reader in(image);

    for (Entry &e : c.sms) {
        e.number = Reply::trimmed(in.field(SmsNumber, &c.bookNew));
        e.name = Reply::trimmed(in.field(SmsName, &c.bookNew));
    }

    const auto port = static_cast<unsigned char>(in.raw());
    if (port == 0x00 || port == Eof)
        c.bookNew = true;
    if (in.raw() == Eof)
        c.bookNew = true;
    if (port == 0) {
        c.portNumber = 1;
        c.bookNew = true;
    } else if (port > 8) {
        c.portNumber = 1;
    } else {
        c.portNumber = port;
    }

    c.icqSmsc = in.field(16, &c.icqPartNew);
    c.icqGateway = in.field(16, &c.icqPartNew);

    bool ignored = false;
    for (Entry &e : c.icq) {
        e.number = Reply::trimmed(in.field(IcqNumber, &ignored));
        e.name = Reply::trimmed(in.field(IcqName, &ignored));
    }
    return c;
}

QByteArray newImage(const QByteArray &icqSmsc, const QByteArray &icqGateway)
{
    QByteArray image(PortOffset, ' ');
    image.append(char(0x01));
    image.append(char(0x00));
    image.append(padded(icqSmsc, 16));
    image.append(padded(icqGateway, 16));
    image.append(QByteArray(NewIcqBlanks, ' '));
    return image;
}

QByteArray repairedImage(const Contents &contents, int portNumber,
                         const QByteArray &icqSmsc, const QByteArray &icqGateway)
{
    QByteArray image = smsBookBytes(contents.sms);
    // COM2..COM8 keep their number. Only COM2..COM4 used to survive a
    // repair, which silently moved a user of COM5..COM8 back to COM1.
    image.append(char(portNumber >= 2 && portNumber <= 8 ? portNumber : 1));
    image.append(char(0x00));
    image.append(padded(icqSmsc, 16));
    image.append(padded(icqGateway, 16));
    image.append(QByteArray(NewIcqBlanks, ' '));
    return image;
}

QByteArray smsBookBytes(const std::array<Entry, Entries> &sms)
{
    QByteArray out;
    out.reserve(Entries * SmsRecord);
    for (const Entry &e : sms)
        out += record(e, SmsNumber, SmsRecord);
    return out;
}

QByteArray icqBookBytes(const std::array<Entry, Entries> &icq)
{
    QByteArray out;
    out.reserve(Entries * IcqRecord);
    for (const Entry &e : icq)
        out += record(e, IcqNumber, IcqRecord);
    return out;
}

QByteArray smsItem(const QByteArray &number, const QByteArray &name)
{
    return Reply::trimmed(number).leftJustified(SmsNumber, ' ') + " - " + Reply::trimmed(name);
}

QByteArray icqItem(const QByteArray &number, const QByteArray &name)
{
    return Reply::trimmed(number).leftJustified(IcqNumber, ' ') + " - " + Reply::trimmed(name);
}

namespace {
bool readOnly(const QFileInfo &info)
{
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}
} // namespace

bool writeRange(const QString &path, int offset, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (error)
            *error = QStringLiteral("%1 does not exist.").arg(shown(path));
        return false;
    }
    if (offset < 0) {
        if (error)
            *error = QStringLiteral("Invalid position %1 in %2.").arg(offset).arg(shown(path));
        return false;
    }
    // The atomic replace would get past a file the user made read-only, and
    // so would root: the mode bits decide, for everybody.
    if (readOnly(info)) {
        if (error)
            *error = QStringLiteral("%1 is read-only.").arg(shown(path));
        return false;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(shown(path), in.errorString());
        return false;
    }
    QByteArray image = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(shown(path), in.errorString());
        return false;
    }
    in.close();

    if (image.size() < offset)
        image.append(QByteArray(offset - image.size(), ' '));
    image.replace(offset, bytes.size(), bytes);
    return save(path, image, error);
}

bool writeWhole(const QString &path, const QByteArray &image, QString *error)
{
    if (const QFileInfo info(path); info.exists() && readOnly(info)) {
        if (error)
            *error = QStringLiteral("%1 is read-only.").arg(shown(path));
        return false;
    }
    return save(path, image, error);
}

} // namespace BookFile
