// SPDX-License-Identifier: GPL-2.0-or-later
#include "FuzzCoreEntry.h"

#include <QBuffer>
#include <array>
#include <cstring>
#include <cstdio>
#include <cstdlib>

#include "core/port/PortAdvice.h"
#include "core/port/PortName.h"
#include "core/phonebooks/PhonebookRange.h"
#include "core/melodies/Notation.h"
#include "core/at/Charset.h"
#include "core/at/NumberConversion.h"
#include "core/at/Quoted.h"
#include "core/backup/BackupFile.h"
#include "core/backup/BookRanges.h"
#include "core/backup/RestorePlan.h"
#include "core/at/ReplyParse.h"
#include "core/messaging/BinaryFrames.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/IcqNumbers.h"
#include "core/messaging/InboxFiles.h"
#include "core/messaging/InboxMessages.h"
#include "core/melodies/ComposeText.h"
#include "core/melodies/EMelody.h"
#include "core/melodies/MelodyAt.h"
#include "core/melodies/MelodyFiles.h"
#include "core/melodies/Rtttl.h"
#include "core/messaging/PduBuilder.h"
#include "core/phonebooks/PhonebookAt.h"
#include "core/settings/RingList.h"
#include "core/settings/CallServicesAt.h"
#include "core/settings/SettingsAt.h"
#include "core/phonebooks/PbkFile.h"
#include "core/phonebooks/ContactFile.h"
#include "core/phonebooks/CsvBookFile.h"
#include "core/phonebooks/VCardFile.h"
#include "core/at/SecretMask.h"
#include "core/calls/CallsAt.h"
#include "core/capabilities/PhoneCapabilities.h"
#include "core/status/StatusAt.h"

namespace {
void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "core fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

void replies(const QByteArray &in)
{
    const QByteArray tail = numberTophone(in);
    check(tail.endsWith("\",145") || tail.endsWith("\",129"), "numberTophone suffix");
    for (qsizetype i = 0; i + 5 < tail.size(); ++i)
        check((tail[i] >= '0' && tail[i] <= '9') || tail[i] == '+', "numberTophone keeps digits and + only");

    const QByteArray number = numberfromphone(in, false);
    check(number.size() <= 256, "numberfromphone length");
    check(numberfromphone(in, true).isEmpty(), "numberfromphone after abort");

    const QByteArray t = Reply::trimmed(in);
    check(t.isEmpty() || (uchar(t.front()) > 0x20 && uchar(t.back()) > 0x20), "trimmed edges");
    check(!Reply::firstLine(in).contains('\n'), "firstLine is one line");
    check(Reply::quotedField(in).size() <= in.size(), "quotedField length");
    check(Reply::textAfterEcho(in).size() <= in.size(), "textAfterEcho length");
    check(Reply::fixedColumns(in, 9, 27).size() <= 19, "fixedColumns length");
    check(Reply::textAfter(in, ',', 3).size() <= 3, "textAfter length");
    if (const auto n = Reply::network(in))
        check(!n->contains('\n') && !n->contains('\r'), "network one line");
    if (const auto i = Reply::imei(in))
        check(i->size() <= 19, "imei length");
    if (const auto b = Reply::battery(in))
        check(b->valid ? (b->bar >= 0 && b->bar <= 100 && b->bar == b->value) : b->bar == 0, "battery range");
    if (const auto s = Reply::signal(in))
        check(s->bar >= 0 && s->bar <= 5, "signal range");
    if (const auto c = Reply::smsCentre(in))
        check(in.contains(*c) || (c->startsWith('+') && in.contains(c->mid(1))),
              "smsCentre adds at most a plus");
    (void)Reply::charAfter(in, ':', 2);
}

void frames(const QByteArray &in)
{
    const QByteArray text = Frames::centreText(in);
    check(text.isEmpty() || text.startsWith(' '), "centreText leading blank");
    // Nibbles 10..15 show as two decimal digits each.
    check(text.size() <= 2 + 4 * 255, "centreText length");
    (void)Frames::judgeSubmitReply(in);
    const QByteArray r = Frames::restore(in);
    check(r.size() >= 2 && r[0] == 0x02 && static_cast<unsigned char>(r[1]) == r.size() - 2,
          "restore length byte matches body");
}

void book(const QByteArray &in)
{
    const BookFile::Contents c = BookFile::parse(in);
    check(c.portNumber >= 1 && c.portNumber <= 8, "port range");
    check(c.icqSmsc.size() == 16 && c.icqGateway.size() == 16, "ICQ numbers 16 characters");
    for (const auto &e : c.sms)
        check(e.number.size() <= 16 && e.name.size() <= 20, "SMS entry widths");
    for (const auto &e : c.icq)
        check(e.number.size() <= 10 && e.name.size() <= 20, "ICQ entry widths");
    check(BookFile::smsBookBytes(c.sms).size() == 720, "SMS book bytes");
    check(BookFile::icqBookBytes(c.icq).size() == 600, "ICQ book bytes");

    const QByteArray repaired = BookFile::repairedImage(c, c.portNumber, IcqNumbers::defaultCentre(),
                                                        IcqNumbers::defaultGateway());
    check(repaired.size() == BookFile::NewSize, "repaired size");
    const BookFile::Contents again = BookFile::parse(repaired);
    check(!again.bookNew && !again.icqPartNew, "repaired image loads clean");
    check(again.portNumber == c.portNumber, "repair keeps the port");
    for (int k = 0; k < BookFile::Entries; ++k)
        check(again.sms[k].number == c.sms[k].number && again.sms[k].name == c.sms[k].name,
              "repair keeps the SMS book");
}

// A phonebook write is one command line whatever the grid or the phone held.
void checkOneWriteLine(const QByteArray &cmd)
{
    check(cmd.startsWith("AT+CPBW=") && cmd.endsWith("\"\r\n"), "write command frame");
    check(cmd.count('"') == 4, "write command quotes");
    for (qsizetype i = 0; i + 2 < cmd.size(); ++i)
        check(uchar(cmd[i]) >= 0x20 && uchar(cmd[i]) != 0x7f, "write command has no control characters");
}

void phonebook(const QByteArray &in)
{
    const auto entry = PhonebookAt::parseRead(in);
    check(entry.has_value() == in.contains('"'), "an entry exactly when the reply quotes");
    if (entry) {
        check(entry->name.size() <= PhonebookAt::MaxField, "name within the first 255 characters");
        check(in.contains(entry->number) || (entry->number.startsWith('+') && in.contains(entry->number.mid(1))),
              "number from the reply, at most a plus added");
        checkOneWriteLine(PhonebookAt::writeCommand(7, *entry));
    }
    checkOneWriteLine(PhonebookAt::writeCommand(1, {in, in}));
}

void rings(const QByteArray &in)
{
    const auto codesOnly = [](const RingList::Codes &c) {
        for (const QString &item : c.items) {
            bool number = false;
            const int code = item.toInt(&number);
            check(item == RingList::Separator || (number && code >= 0 && code <= 999), "ring items are codes or --");
        }
    };
    if (const auto r = RingList::entryRanges(in)) {
        check(r->entryCount >= 0 && r->entryCount <= 99, "entry count two digits");
        codesOnly(r->ringCodes);
    }
    if (const auto c = RingList::ringInfoCodes(in))
        codesOnly(*c);
    codesOnly(RingList::codes(in));
    const auto e = RingList::entry(in);
    if (e)
        check(!e->number.isEmpty() && e->ring.size() <= 3, "entry number and ring");
    check(RingList::line(7, e).startsWith(QLatin1String("7: ")), "line starts with its index");
    if (const auto w = RingList::writeCommand(1, in, in.left(2))) {
        check(w->count('"') == 2 && w->indexOf('\r') == w->size() - 2, "write command keeps to one quoted number");
    }
    if (const auto p = RingList::playCommand(in.left(3)))
        check(p->startsWith("AT*ERIP=6,") && p->endsWith("\r\n"), "play command");
}

// A melody or ring code from the user or the phone never adds a command line.
void melodies(const QByteArray &in)
{
    for (const auto &m : MelodyAt::ownMelodies(in))
        if (m)
            check(m->size() <= MelodyAt::MaxMelody && !m->contains('"') && !m->contains('\r') && !m->contains('\n'),
                  "own melody within its quotes and line");
    const QByteArray stored = MelodyAt::storableMelody(in);
    for (const char c : stored)
        check(MelodyAt::isNotationChar(c), "stored melody is notation only");
    check(!stored.endsWith('#') && !stored.endsWith('+'), "stored melody ends in a note");
    if (const auto cmd = MelodyAt::storeCommand(1 + int(in.size() % 4), in))
        check(cmd->startsWith("AT*ESOM=") && cmd->count('"') == 2 && cmd->indexOf('\r') == cmd->size() - 2,
              "store command is one line with one quoted melody");
    for (int type = 0; type < MelodyAt::CallTypeCount; ++type)
        if (const auto cmd = MelodyAt::ringTypeCommand(in.left(4), type))
            check(cmd->startsWith("AT*ERIN=") && cmd->count(',') == 1 && cmd->indexOf('\r') == cmd->size() - 2,
                  "ring type command is one line");
    if (const auto cmd = MelodyAt::playCommand(in.left(4)))
        check(cmd->startsWith("AT*ERIP=7,") && cmd->indexOf('\r') == cmd->size() - 2, "play command is one line");

    const QByteArray played = ComposeText::movedMelody(in, ComposeText::MaxPlayText);
    check(played.size() <= ComposeText::MaxPlayText, "play text bounded");
    for (const char c : played)
        check(MelodyAt::isNotationChar(c), "moved melody is notation only");
}

// A melody file and the compose line: bounded lines, and "Del" only ever
// takes a tail away.
void melodyFile(const QByteArray &in)
{
    QByteArray copy = in;
    QBuffer file(&copy);
    file.open(QIODevice::ReadOnly);
    const QStringList lines = ComposeText::readMelodyLines(file);
    check(lines.size() <= ComposeText::MaxLines && lines.size() <= in.count('\n') + 1, "melody file line count");
    for (const QString &line : lines)
        check(line.size() <= ComposeText::MaxLineLength && !line.contains(u'\n'), "melody file line bounded");
    const QString text = QString::fromLatin1(in);
    const QString shorter = ComposeText::deleteLastNote(text);
    check(text.startsWith(shorter) && (text.isEmpty() || shorter.size() < text.size()), "Del takes a tail");
    if (!in.isEmpty()) {
        const int index = uchar(in[0]) % 14 - 1, octave = 5 + (in.size() & 1);
        const bool longNote = in.size() & 2;
        int tones = 0;
        Notation::playSteps(
            ComposeText::keyText(index, octave, longNote),
            [&](const Notation::Step &s) {
                if (s.kind != Notation::Step::Nothing)
                    check(++tones == 1 && s.index == index && s.octave == octave
                              && s.durationMs == (longNote ? Notation::LongMs : Notation::ShortMs),
                          "a key plays as its own note");
            },
            [] { return false; });
        check(tones == (index >= 0 && index < 12 ? 1 : 0), "a key adds one note");
    }
}

// What a melody sounds as: its tones and pauses, the silent steps left out.
QList<std::array<int, 4>> sounded(const QByteArray &melody)
{
    QList<std::array<int, 4>> out;
    Notation::playSteps(
        melody,
        [&](const Notation::Step &s) {
            if (s.kind == Notation::Step::Tone)
                out.append({int(s.kind), s.index, s.octave, s.durationMs});
            else if (s.kind == Notation::Step::Pause) // "+p" is a pause like any other
                out.append({int(s.kind), 0, 0, s.durationMs});
        },
        [] { return false; });
    return out;
}

MelodyFiles::Listed listed(const QByteArray &in, MelodyFiles::Format format)
{
    QByteArray copy = in;
    QBuffer file(&copy);
    file.open(QIODevice::ReadOnly);
    const MelodyFiles::Listed l = MelodyFiles::read(file, format);
    check(l.items.size() + l.skipped.size() <= ComposeText::MaxLines, "melody list bounded");
    for (qsizetype k = 1; k < l.skipped.size(); ++k)
        check(l.skipped[k - 1] < l.skipped[k], "skipped lines named once, in order");
    for (const int n : l.skipped)
        check(n >= 1 && n <= in.count('\n') + 1, "a skipped line is a line of the file");
    qsizetype chars = 0;
    for (const QString &item : l.items)
        chars += item.size();
    check(chars <= MelodyFiles::MaxListChars, "melody list characters bounded");
    return l;
}

// A ringtone line: a tune is notation only and reads back as written, and
// any melody written as RTTTL sounds the same once read back.
void rtttl(const QByteArray &in)
{
    if (const auto tune = Rtttl::parse(in)) {
        check(Rtttl::looksLikeTune(in), "a tune line is never taken for the notation");
        check(!tune->melody.isEmpty() && tune->melody.size() <= 3 * (in.count(',') + 1), "tune length");
        for (const char c : tune->melody)
            check(MelodyAt::isNotationChar(c), "tune is notation only");
        const auto again = Rtttl::parse(Rtttl::write(tune->name, tune->melody));
        check(again && again->melody == tune->melody, "a read tune writes and reads back unchanged");
    }
    const QString name = QString::fromLatin1(in.left(16));
    const QByteArray line = Rtttl::write(name, in);
    check(line.isEmpty() == sounded(in).isEmpty(), "written exactly when something sounds");
    if (!line.isEmpty()) {
        check(!line.contains('\n') && !line.contains('\r'), "written tune is one line");
        const auto back = Rtttl::parse(line);
        check(back && back->name == Rtttl::writtenName(name), "written name reads back");
        check(back && sounded(back->melody) == sounded(in), "written melody sounds the same read back");
    }
    for (const auto format : {MelodyFiles::Format::Rtttl, MelodyFiles::Format::Lines}) {
        const MelodyFiles::Listed l = listed(in, format);
        if (format == MelodyFiles::Format::Lines && !in.contains(':')) {
            QByteArray copy = in;
            QBuffer file(&copy);
            file.open(QIODevice::ReadOnly);
            check(l.items == ComposeText::readMelodyLines(file) && l.skipped.isEmpty(),
                  "a file of the notation lists as it always has");
        }
    }
}

// eMelody blocks: bounded, and what is written reads back.
void eMelody(const QByteArray &in)
{
    for (const QString &item : listed(in, MelodyFiles::Format::EMelody).items)
        check(item.contains(u'|'), "an eMelody tune lists with its name");
    QByteArray melody = in.left(1000);
    melody.removeIf([](char c) { return c == '\r' || c == '\n'; });
    const MelodyFiles::Listed back = listed(EMelody::write(QString::fromLatin1(in.left(8)), melody),
                                            MelodyFiles::Format::EMelody);
    if (!melody.trimmed().isEmpty())
        check(back.items.size() == 1 && back.items[0].endsWith(u'|' + QString::fromLatin1(melody.trimmed()))
                  && back.skipped.isEmpty(),
              "a written eMelody reads back");
}

// A forwarded-to number from the user never adds a command line, and a
// shown number comes from the reply.
void callServices(const QByteArray &in)
{
    using namespace CallForward;
    const QByteArray set = setCommand(Service::Fax, Reason::NoAnswer, in);
    check(set.startsWith("AT+CCFC=2,1,\"") && set.endsWith(",4\r\n") && set.count('"') == 2
              && set.indexOf('\r') == set.size() - 2 && (set.contains("\",128,") || set.contains("\",145,")),
          "forwarding set is one line with one quoted number");
    for (const Service s : {Service::Voice, Service::Data, Service::Fax}) {
        const Status st = readStatus(in, s, false);
        const QByteArray digits = st.number.startsWith('+') ? st.number.mid(1) : st.number;
        check(st.kind != Status::Forwarded || (!st.number.isEmpty() && in.contains(digits)),
              "forwarded number from the reply");
        check(readStatus(in, s, true).kind == Status::NetworkError, "aborted query is a network error");
    }
    (void)CallWaiting::readState(in, false);
}

// Whatever the phone answers, a value lands in its control's range; whatever
// the user typed, a settings command stays one line.
void settings(const QByteArray &in)
{
    using namespace SettingsAt;
    const auto within = [](std::optional<int> v, int lo, int hi) { return !v || (*v >= lo && *v <= hi); };
    check(within(radioDigit(in), 0, 9) && within(timeFormat(in), 0, 1) && within(dateFormat(in), 0, 7)
              && within(activeProfile(in), -1, 8) && within(volumeMaximum(in), 0, 9) && within(volume(in), 0, 9)
              && within(light(in), 0, 2) && within(vibration(in), 0, 2),
          "settings values in range");
    const auto oneLine = [](const QByteArray &cmd, int quotes) {
        check(cmd.count('"') == quotes && cmd.indexOf('\r') == cmd.size() - 2 && cmd.indexOf('\n') == cmd.size() - 1,
              "settings command is one line");
    };
    oneLine(greetingCommand(in, in.size() & 1), 2);
    oneLine(languageCommand(in), 2);
    oneLine(clockCommand(QString::fromLatin1(in)), 2);
    if (const auto vm = voicemailCommand(in, in))
        oneLine(*vm, 2);
}

// The lists, texts and the clock the settings pages show from a reply.
void settingsLists(const QByteArray &in)
{
    using namespace SettingsAt;
    check(switchedOn(in) == in.contains('1'), "a switch is on for a 1");
    if (const auto m = greetingMode(in))
        check(*m >= 0 && *m <= 9, "greeting mode a digit");
    if (const auto code = currentLanguage(in))
        check(!code->contains('"'), "language code inside its quotes");
    for (const bool profileList : {false, true}) {
        const Listed l = profileList ? profiles(in) : languages(in);
        check(l.items.size() <= MaxListed, "at most 20 listed");
        for (const QString &item : l.items)
            check(!item.contains(u'"') && (!profileList || item.startsWith(u' ')), "listed items");
    }
    if (const auto c = clockText(in))
        check(c->size() >= 6 && c->at(2) == u'\\' && c->at(5) == u'\\', "clock text keeps its separators");
    if (const auto g = greeting(in))
        check(!g->contains('"'), "greeting inside its quotes");
}

void pbk(const QByteArray &in)
{
    const PbkFile::Loaded l = PbkFile::read(in, 50);
    check(l.rows.count() >= 50 && l.rows.count() <= PbkFile::MaxIndex, "pbk row count");
    check(l.grew == (l.rows.count() > 50), "pbk grew");
    for (int r = 1; r <= l.rows.count(); ++r)
        check(l.rows.at(r).number.size() <= PbkFile::MaxField && l.rows.at(r).name.size() <= PbkFile::MaxField,
              "pbk field widths");
    // What is saved loads back as it was.
    const PbkFile::Loaded again = PbkFile::read(PbkFile::text(l.rows), 1);
    for (int r = 1; r <= qMax(l.rows.count(), again.rows.count()); ++r)
        check(again.rows.at(r) == l.rows.at(r), "pbk save and load round trip");
}

// A vCard or CSV phonebook from another program: rows the phone can hold,
// within the book's bounds, and what is saved of them loads back the same.
void contactFile(const ContactFile::Parsed &parsed, QByteArray (*text)(const PhonebookEntries &),
                 ContactFile::Parsed (*read)(const QByteArray &))
{
    check(parsed.skipped.size() <= ContactFile::MaxNamedSkips && parsed.contacts.size() <= ContactFile::MaxContacts,
          "contact file bounds");
    check(parsed.known || parsed.contacts.isEmpty(), "an unknown file gives no contacts");
    const ContactFile::Imported l = ContactFile::place(parsed, 50);
    check(l.rows.count() >= 50 && l.rows.count() <= ContactFile::MaxRows && l.read <= ContactFile::MaxRows,
          "contact rows within the book");
    check(l.namesChanged <= l.read && l.skipped.size() <= ContactFile::MaxNamedSkips, "contact counts");
    int filled = 0;
    for (int r = 1; r <= l.rows.count(); ++r) {
        const PhonebookEntry &e = l.rows.at(r);
        filled += e != PhonebookEntry();
        check(e.name.size() <= ContactFile::MaxName && e.name == e.name.trimmed(), "contact name fits");
        check(e.number.size() <= ContactFile::MaxNumber && e.number.lastIndexOf('+') <= 0, "contact number length");
        for (const char c : e.number)
            check((c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#' || c == 'p' || c == 'w',
                  "contact number characters");
    }
    check(filled == l.read, "every entry read has a row");
    const ContactFile::Imported again = ContactFile::place(read(text(l.rows)), 50);
    check(again.rows == l.rows && again.namesChanged == 0 && again.skipped.isEmpty(), "contact save and load round trip");
}

void vcard(const QByteArray &in) { contactFile(VCardFile::read(in), VCardFile::text, VCardFile::read); }
void csvBook(const QByteArray &in) { contactFile(CsvBookFile::read(in), CsvBookFile::text, CsvBookFile::read); }

void pdu(const QByteArray &in)
{
    const std::optional<Pdu::Address> a = Pdu::encodeNumber(in);
    check(!a || (a->digitCount >= 3 && a->digitCount <= 20), "accepted digit count");
    check(!a || a->octets.size() == (a->digitCount + 1) / 2, "address octets");
    const QString text = QString::fromUtf8(in);
    const Pdu::Plan plan = Pdu::plan(text);
    const QList<Pdu::UserData> parts = Pdu::encodeMessage(text, quint8(in.size()));
    check(parts.size() == (text.isEmpty() ? 0 : plan.parts), "part count");
    check(plan.used <= plan.capacity, "counter within its parts");
    for (const Pdu::UserData &t : parts) {
        check(t.length <= (t.ucs2 ? 140 : 160), "part length");
        check(t.octets.size() == (t.ucs2 ? t.length : (7 * t.length + 7) / 8), "octet count");
        if (!a)
            continue;
        const QByteArray p = Pdu::submitPdu(*a, t, in.size() & 1);
        check(p.size() == 1 + Pdu::tpduLength(*a, t), "tpdu length");
        check(Pdu::hex(p).size() == 2 * p.size(), "hex length");
        const QByteArray f = Frames::submit(p);
        check(static_cast<unsigned char>(f[1]) == f.size() - 2, "submit length byte");
    }
    if (a) {
        const QByteArray set = Frames::centreSet(*a);
        check(static_cast<unsigned char>(set[1]) == set.size() - 2, "centre set length byte");
        const QByteArray body = set.mid(2);
        check(Frames::centreText(body).size() >= 1, "own centre set frame reads back");
    }
    (void)Pdu::icqRecipient(in, in);
}
void notation(const QByteArray &in)
{
    // Every step moves on, and whatever sounds is a key of the two octaves.
    const QByteArray text = Notation::rewriteFlats(in);
    check(text.size() <= in.size(), "flat rewriting never lengthens");
    qsizetype steps = 0;
    Notation::playSteps(
        in,
        [&](const Notation::Step &s) {
            ++steps;
            if (s.kind == Notation::Step::Tone)
                check(s.index >= 0 && s.index < 12 && s.frequency >= 523 && s.frequency <= 1976
                          && (s.durationMs == 128 || s.durationMs == 300),
                      "a note is a key, 523..1976 Hz, 128 or 300 ms");
        },
        [] { return false; });
    check(steps <= text.size(), "at most one step a character");
    for (qsizetype p = 0; p < in.size(); ++p) {
        const Notation::Step s = Notation::step(in, p);
        check(s.next > p && s.next <= in.size() + 1, "a step moves on, at most past the end");
    }
}

// Text at the boundaries: Latin-1 both ways, a quoted parameter, a port name.
void charset(const QByteArray &in)
{
    check(toPhoneText(fromPhoneText(in)) == in, "Latin-1 round trip");
    const QString utf8 = QString::fromUtf8(in);
    const QString spelled = spelledForPhone(utf8);
    check(fromPhoneText(toPhoneText(spelled)) == spelled, "spelled text is Latin-1");
    check(spelledForPhone(fromPhoneText(in)) == fromPhoneText(in), "Latin-1 is spelled as it is");
    // The same bytes as UTF-16 units, unpaired surrogates included.
    QString wide(in.size() / 2, Qt::Uninitialized);
    std::memcpy(wide.data(), in.constData(), size_t(wide.size()) * 2);
    const QByteArray narrow = toPhoneText(wide);
    check(narrow.size() == wide.toUcs4().size(), "one byte a character");
    const QList<uint> points = wide.toUcs4();
    for (qsizetype i = 0; i < narrow.size() && i < points.size(); ++i)
        check(uchar(narrow[i]) == (points[i] <= 0xFF ? points[i] : uint('?')), "Latin-1 kept, the rest a ?");
    const QByteArray q = quoted(in);
    for (const char c : q)
        check(uchar(c) >= 0x20 && uchar(c) != 0x7f && c != '"', "quoted keeps inside its quotes");
    check(quoted(q) == q, "quoted is stable");
    const QString port = normalisePortName(fromPhoneText(in));
    bool number = false;
    const int n = port.mid(3).toInt(&number);
    check(port.startsWith(QLatin1String("COM")) && number && n >= 1 && n <= 16, "port COM1..COM16");
    const int book = portNumberForBook(port);
    check(book >= 1 && book <= 8, "book port 1..8");
}

// The phone's store replies and the messages in them: a list reply, a read
// reply, the input as a PDU in hex and as raw octets; then the list joined
// and written out both ways.
void inbox(const QByteArray &in)
{
    QList<InboxPart> parts;
    for (const InboxAt::StoredPdu &p : InboxAt::parseList(in)) {
        check(p.location >= 1, "listed locations from 1");
        parts << inboxPart(InboxAt::Store::Sim, p);
    }
    if (const auto p = InboxAt::parseRead(in, 7)) {
        check(p->location == 7, "a read keeps its location");
        parts << inboxPart(InboxAt::Store::Phone, *p);
    }
    const int length = in.isEmpty() ? -1 : uchar(in[0]);
    for (const QByteArray &hex : {in, in.toHex(), in.toHex().toUpper()}) {
        const DecodedSms d = SmsDecode::decode(hex, length);
        check(d.total == 0 || (d.part >= 1 && d.part <= d.total && d.reference >= 0), "part within its total");
        check(d.ok() || d.kind == DecodedSms::StatusReport || d.text.isEmpty(), "no text from an unreadable PDU");
        check(!d.damaged || d.ok() || d.kind == DecodedSms::StatusReport, "damaged only where something decoded");
        parts << InboxPart{InboxAt::Store::Sim, {int(parts.size()) + 1, InboxAt::Unknown, length, hex}, d};
    }
    if (const auto c = InboxAt::counts(in))
        check(c->used >= 0 && c->total >= 0, "store counts are counts");
    check(!InboxAt::offeredStores(in).isEmpty(), "a store to read");
    (void)InboxAt::emptyLocationError(in);

    const QList<InboxMessage> messages = Inbox::join(parts);
    qsizetype locations = 0;
    for (const InboxMessage &m : messages) {
        locations += m.parts.size();
        check(m.status != InboxAt::Unknown, "a status to show");
        check(!Inbox::oneLine(m.text).contains(u'\n'), "one line");
    }
    check(locations == parts.size(), "joining keeps every location");
    const QByteArray csv = InboxFiles::csv(messages);
    check(csv.startsWith("Store,Index,Status,Number,Name,Date,Text\r\n"), "csv header");
    const QByteArray box = InboxFiles::mbox(messages, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    // Only each mail's own separator starts a line with "From ".
    const qsizetype separators = box.count("\nFrom ") + (box.startsWith("From ") ? 1 : 0);
    check(separators == messages.size(), "mbox separators");
}

// /proc texts and sysfs ids of a port's holder, and the book range reply.
void portHolder(const QByteArray &in)
{
    const qsizetype cut = in.indexOf('\n');
    const PortAdvice::Process p = PortAdvice::fromProc(1, in.left(cut < 0 ? 0 : cut), in.mid(cut + 1));
    check(!p.program.isEmpty(), "a holder always has a name");
    const PortAdvice::Diagnosis d{{p}, {p}, PortAdvice::usbId(in.left(4), in.mid(4, 4))};
    check(PortAdvice::busyText(d).startsWith(QLatin1String("in use by ")), "busy text leads with the holder");
    check(PortAdvice::busyShort(d).startsWith(QLatin1String("busy (held by ")), "short busy text");
    if (d.usb)
        check(d.usb->vendor.size() == 4 && d.usb->product.size() == 4, "usb ids are four hex digits");
    (void)PortAdvice::linkNamesDevice(in, QStringLiteral("/dev/ttyUSB0"), fromPhoneText(in));
    if (const auto range = PhonebookAt::parseRange(in))
        check(range->first >= 1 && range->first <= range->last && range->last <= 9999, "book range order");
}

// The call lists, the status replies, what a phone offers, dial strings and
// the PIN mask.
void calls(const QByteArray &in)
{
    const QStringList books = CallsAt::parseBooks(in);
    for (const QString &b : books)
        check(!b.isEmpty() && b.size() <= 4 && b == b.toUpper(), "book names are short and upper case");
    for (const CallsAt::Entry &e : CallsAt::parseEntries(in))
        check(e.location >= 0 && !e.number.contains('"') && !e.name.contains('"') && !e.number.contains('\0'),
              "entry fields hold no quote or NUL");
    if (const auto counts = CallsAt::parseSelected(in))
        check(counts->used >= 0 && counts->total >= 0, "counts are not negative");
    if (const auto number = CallsAt::dialNumber(QString::fromLatin1(in))) {
        const QByteArray command = CallsAt::dialCommand(*number);
        check(command.startsWith("ATD") && command.endsWith(";\r\n") && command.count(';') == 1
                  && command.count('\r') == 1, "one dial command");
        for (char c : *number)
            check((c >= '0' && c <= '9') || c == '+' || c == '*' || c == '#' || c == 'p' || c == 'w',
                  "dial strings keep their characters");
    }
    if (const auto s = StatusAt::parseCsq(in))
        check(s->bars >= 0 && s->bars <= 5 && (!s->known || (s->dbm >= -113 && s->dbm <= -51)), "signal range");
    if (const auto b = StatusAt::parseCbc(in))
        check(*b >= 0 && *b <= 100, "battery range");
    if (const auto b = StatusAt::parseCindBattery(in, in))
        check(*b >= 0 && *b <= 100, "indicator battery range");
    if (const auto word = StatusAt::parseCpin(in))
        check(!word->contains('\n') && !word->contains('\0'), "pin state is one word");
    (void)StatusAt::parseCreg(in);
    (void)StatusAt::parseCops(in);
    (void)StatusAt::parseTriesLeft(in, "SIM PIN");
    (void)StatusAt::lockIn(in);
    if (const auto command = StatusAt::pinCommand(QString::fromLatin1(in)))
        check(command->count('"') == 2 && command->endsWith("\"\r\n"), "one quoted code");
    // What a phone offers: short names each once, only the two message modes,
    // and a report that names every question.
    PhoneCapabilities caps;
    caps.books = CapabilityAt::parseBooks(in);
    caps.stores = CapabilityAt::parseStores(in);
    caps.charsets = CapabilityAt::parseCharsets(in);
    caps.formats = CapabilityAt::parseFormats(in);
    caps.imei = CapabilityAt::parseIdentity(in).value_or(QByteArray());
    for (const QStringList &list : caps.stores.value_or(QList<QStringList>()) + QList<QStringList>{caps.books.value_or(QStringList())})
        for (const QString &name : list)
            check(!name.isEmpty() && name.size() <= 16 && !name.contains(u'"') && list.count(name) == 1,
                  "offered names are short, unquoted and once each");
    for (int mode : caps.formats.value_or(QList<int>()))
        check(mode == 0 || mode == 1, "only the two message modes");
    check(caps.imei.isEmpty() || (caps.imei.size() >= 8 && caps.imei.size() <= 20), "a serial number of digits");
    check(caps.report().size() >= 5, "the report names every question");
    SecretMask mask;
    const QByteArray masked = mask.feed(in);
    check(masked.count('\r') == in.count('\r') && masked.count('\n') == in.count('\n'), "the mask keeps the lines");
}

// A backup file: what opens is written again and opens the same, whole;
// every section it holds plans a restore against itself without change.
// The ranged book replies and the book limits ride along.
void backupFile(const QByteArray &in)
{
    QString error;
    if (const std::optional<Backup::Opened> opened = Backup::parse(in, &error)) {
        const QByteArray again = Backup::serialize(opened->document);
        const std::optional<Backup::Opened> reopened = Backup::parse(again, &error);
        check(reopened && reopened->checksumOk && reopened->unreadable.isEmpty(), "a written backup opens whole");
        check(reopened->document.sections == opened->document.sections, "a backup reads back as written");
        for (Backup::Section section : opened->document.present())
            for (Backup::Step step : Backup::stepsOf(section)) {
                const QList<Backup::Item> items = Backup::items(step, opened->document.section(section));
                for (const Backup::Planned &p : Backup::plan(step, items, items, true))
                    check(p.change == Backup::Change::Unchanged, "a backup restored onto itself changes nothing");
            }
    } else {
        check(!error.isEmpty(), "a refused backup says why");
    }
    for (const BookRanges::Line &line : BookRanges::parse(in))
        check(line.location >= 1, "a ranged book line has a location");
    if (const auto limits = Backup::parseLimits(in))
        check(limits->last >= 1 && limits->last <= 9999, "book limits in range");
}

struct Parser {
    const char *name;
    void (*run)(const QByteArray &);
};
constexpr std::array<Parser, 22> parsers{{
    {"replies", replies},     {"frames", frames},           {"book", book},
    {"pbk", pbk},             {"pdu", pdu},                 {"phonebook", phonebook},
    {"rings", rings},         {"notation", notation},         {"melodies", melodies},
    {"melodyfile", melodyFile}, {"callservices", callServices}, {"settings", settings},
    {"settingslists", settingsLists}, {"charset", charset}, {"inbox", inbox},
    {"portholder", portHolder},
    {"rtttl", rtttl},         {"emelody", eMelody},
    {"vcard", vcard},         {"csvbook", csvBook},
    {"calls", calls},
    {"backup", backupFile},
}};
} // namespace

int mirvakFuzzParserCount()
{
    return int(parsers.size());
}

const char *mirvakFuzzParserName(int parser)
{
    return parser >= 0 && parser < int(parsers.size()) ? parsers[size_t(parser)].name : nullptr;
}

int mirvakFuzzParserIndex(const char *name)
{
    for (size_t k = 0; k < parsers.size(); ++k)
        if (std::strcmp(parsers[k].name, name) == 0)
            return int(k);
    return -1;
}

void mirvakFuzzParserOne(int parser, const std::uint8_t *data, std::size_t size)
{
    parsers[size_t(parser)].run(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
}

void mirvakFuzzCoreOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray in(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const Parser &p : parsers)
        p.run(in);
}
