// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/BookFile.h"

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

PhonebookEntries entries(const std::array<Entry, Entries> &records)
{
    PhonebookEntries out(Entries);
    for (int k = 1; k <= Entries; ++k)
        out.set(k, records[k - 1]);
    return out;
}

} // namespace BookFile
