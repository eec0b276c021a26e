// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/melodies/Rtttl.h"

#include <QList>
#include <QMap>
#include <algorithm>
#include <iterator>

#include "core/melodies/MelodyFiles.h"
#include "core/melodies/Notation.h"

namespace Rtttl {

namespace {

// Lengths count in 128ths of a whole note, so a dotted 32nd is still whole.
constexpr int Whole = 128;
constexpr int Eighth = Whole / 8;
// The phone's octaves, counted as A4 = 440 Hz counts them.
constexpr int LowOctave = Notation::NormalOctave;
constexpr int HighOctave = Notation::HighOctave;

struct Note {
    char letter = 0;     // 'a'..'g', or 'p' for a pause
    bool sharp = false;
    int octave = 0;      // RTTTL's count: a5 = 440 Hz
    int length = 0;      // in 128ths
    bool ownShape = false; // written as this program writes it
};

std::optional<int> number(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool validDuration(int d)
{
    return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32 || d == 64;
}

// Octaves beyond the grammar's 4 to 7 turn up in collections; the shift
// and the clamp bring them in like any other outlier.
bool validOctave(int o)
{
    return o >= 1 && o <= 8;
}

struct Defaults {
    int duration = DefaultDuration;
    int octave = DefaultOctave;
    int beats = DefaultBeats;
    bool ownShape = false; // exactly the defaults this program writes
};

bool anyBeats(int b)
{
    return b > 0;
}

// The three settings the phone's rendering uses, and what each accepts.
struct Setting {
    const char *key;
    int Defaults::*field;
    bool (*valid)(int);
    const char *what;
};
constexpr Setting Settings[] = {
    {"d", &Defaults::duration, validDuration, "length"},
    {"o", &Defaults::octave, validOctave, "octave"},
    {"b", &Defaults::beats, anyBeats, "tempo"},
};
constexpr unsigned AllSettings = (1u << std::size(Settings)) - 1;

QString shown(const QByteArray &text)
{
    return QString::fromLatin1(text.left(12));
}

// Nothing, with the reason in `problem`, when the settings are no list of
// key=value; a bad value of a known key is its default, told in `notes`.
std::optional<Defaults> parseDefaults(const QByteArray &text, QString *problem, QStringList *notes)
{
    Defaults d;
    unsigned seen = 0;
    bool sawOther = false;
    for (const QByteArray &raw : text.split(',')) {
        const QByteArray item = raw.trimmed();
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf('=');
        if (eq < 0) {
            *problem = QStringLiteral("setting '%1' has no '='").arg(shown(item));
            return std::nullopt;
        }
        const QByteArray key = item.left(eq).trimmed().toLower();
        const QByteArray value = item.mid(eq + 1).trimmed();
        const auto setting = std::find_if(std::begin(Settings), std::end(Settings),
                                          [&](const Setting &s) { return key == s.key; });
        if (setting != std::end(Settings)) {
            const auto v = number(value);
            if (v && setting->valid(*v))
                d.*setting->field = *v;
            else
                *notes << QStringLiteral("%1=%2 is no %3; %4 is taken")
                              .arg(QString::fromLatin1(setting->key), shown(value), QLatin1String(setting->what))
                              .arg(Defaults().*setting->field);
            seen |= 1u << (setting - std::begin(Settings));
        } else if (key == "l" || key == "s") {
            // The extended form's loop count and style: nothing the phone plays.
            if (value.isEmpty()) {
                *problem = QStringLiteral("setting '%1' has no value").arg(shown(item));
                return std::nullopt;
            }
            sawOther = true;
        } else {
            *problem = QStringLiteral("unknown setting '%1'").arg(shown(item));
            return std::nullopt;
        }
    }
    d.ownShape = seen == AllSettings && !sawOther && d.duration == 8 && d.octave == DefaultOctave
                 && d.beats == WrittenBeats;
    return d;
}

// [duration] note [#] [.] [octave] [.]
std::optional<Note> parseNote(const QByteArray &item, const Defaults &d)
{
    qsizetype p = 0;
    const qsizetype n = item.size();
    const auto at = [&](qsizetype i) { return i < n ? item[i] : '\0'; };
    const auto digits = [&] {
        const qsizetype from = p;
        while (at(p) >= '0' && at(p) <= '9')
            ++p;
        return item.mid(from, p - from);
    };

    Note note;
    const QByteArray duration = digits();
    int dur = d.duration;
    if (!duration.isEmpty()) {
        const auto v = number(duration);
        if (!v || !validDuration(*v))
            return std::nullopt;
        dur = *v;
    }
    char letter = char(at(p) | 0x20);
    if (letter == 'h')
        letter = 'b';
    if (!((letter >= 'a' && letter <= 'g') || letter == 'p'))
        return std::nullopt;
    note.letter = letter;
    ++p;
    const auto isSharp = [](char c) { return c == '#' || c == '_'; };
    bool sharp = false;
    if (isSharp(at(p))) {
        if (letter == 'p')
            return std::nullopt;
        sharp = true;
        ++p;
    }
    bool dotted = false;
    if (at(p) == '.') {
        dotted = true;
        ++p;
    }
    const QByteArray octave = digits();
    note.octave = d.octave;
    if (!octave.isEmpty()) {
        const auto v = number(octave);
        if (!v || octave.size() != 1 || !validOctave(*v))
            return std::nullopt;
        note.octave = *v;
    }
    // "c6#": the sharp after the octave.
    if (!sharp && !octave.isEmpty() && letter != 'p' && isSharp(at(p))) {
        sharp = true;
        ++p;
    }
    if (!dotted && at(p) == '.') {
        dotted = true;
        ++p;
    }
    if (p != n)
        return std::nullopt;
    // E sharp is F; B sharp is the C above it.
    if (sharp && letter == 'e') {
        note.letter = 'f';
    } else if (sharp && letter == 'b') {
        note.letter = 'c';
        ++note.octave;
    } else {
        note.sharp = sharp;
    }
    note.length = Whole / dur;
    if (dotted)
        note.length += note.length / 2;
    note.ownShape = d.ownShape && !dotted && !duration.isEmpty() && (dur == 8 || dur == 4)
                    && (letter == 'p' ? dur == 8 && octave.isEmpty() : octave.isEmpty() || note.octave == 7);
    return note;
}

// The octave move that puts most notes into the phone's two octaves; on a
// tie the smallest move, and of two equally small ones the lower.
int octaveShift(const QList<Note> &notes)
{
    int best = 0, bestFit = -1;
    for (const int shift : {0, -1, 1, -2, 2, -3, 3, -4, 4, -5, 5, -6, 6, -7, 7, -8, 8}) {
        int fit = 0;
        for (const Note &n : notes) {
            const int o = n.octave - 1 + shift;
            if (n.letter != 'p' && o >= LowOctave && o <= HighOctave)
                ++fit;
        }
        if (fit > bestFit) {
            best = shift;
            bestFit = fit;
        }
    }
    return best;
}

// The most common length of the notes (of the pauses in a tune of pauses
// only); the shortest of equally common ones, so that the longer notes of
// a tune stay long.
int unitLength(const QList<Note> &notes)
{
    QMap<int, int> counts;
    for (const Note &n : notes)
        if (n.letter != 'p')
            ++counts[n.length];
    if (counts.isEmpty())
        for (const Note &n : notes)
            ++counts[n.length];
    int unit = 0, most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) { // ascending keys: a tie keeps the shorter
            unit = it.key();
            most = it.value();
        }
    return unit;
}

} // namespace

bool looksLikeTune(const QByteArray &line)
{
    const qsizetype second = line.lastIndexOf(':');
    const qsizetype first = second <= 0 ? -1 : line.lastIndexOf(':', second - 1);
    if (first < 0)
        return false;
    for (const QByteArray &raw : line.mid(first + 1, second - first - 1).split(',')) {
        const QByteArray item = raw.trimmed();
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf('=');
        if (eq < 0)
            return false;
        const QByteArray key = item.left(eq).trimmed();
        if (key.size() != 1 || !((key[0] | 0x20) >= 'a' && (key[0] | 0x20) <= 'z'))
            return false;
    }
    return true;
}

std::optional<Tune> parse(const QByteArray &line)
{
    return read(line).tune;
}

Read read(const QByteArray &line)
{
    Read out;
    const QByteArray text = line.trimmed();
    // The settings and the notes hold no colon; a name may ("Star Wars:
    // Cantina"), so the last two colons are the ones that count.
    const qsizetype second = text.lastIndexOf(':');
    const qsizetype first = second <= 0 ? -1 : text.lastIndexOf(':', second - 1);
    if (first < 0) {
        out.problem = QStringLiteral("not of the form name:settings:notes");
        return out;
    }
    const auto defaults = parseDefaults(text.mid(first + 1, second - first - 1), &out.problem, &out.notes);
    if (!defaults)
        return out;

    QList<Note> notes;
    bool ownShape = defaults->ownShape;
    for (const QByteArray &raw : text.mid(second + 1).split(',')) {
        const QByteArray item = raw.trimmed();
        if (item.isEmpty()) // a trailing comma, or one too many
            continue;
        const auto note = parseNote(item, *defaults);
        if (!note) {
            out.problem = QStringLiteral("unknown note '%1'").arg(shown(item));
            return out;
        }
        ownShape = ownShape && note->ownShape;
        notes.append(*note);
    }
    if (notes.isEmpty()) {
        out.problem = QStringLiteral("no note");
        return out;
    }

    // A tune as this program writes it keeps its two lengths even when its
    // long notes outnumber the short ones: its eighth is the short note.
    const int unit = ownShape ? Eighth : unitLength(notes);
    const int shift = octaveShift(notes);
    QByteArray melody;
    for (const Note &n : notes) {
        const bool isLong = n.length >= 2 * unit;
        if (n.letter == 'p') {
            melody += isLong ? "pp" : "p";
            continue;
        }
        const int octave = qBound(LowOctave, n.octave - 1 + shift, HighOctave);
        if (octave == HighOctave)
            melody += '+';
        if (n.sharp)
            melody += '#';
        melody += isLong ? char(n.letter - 'a' + 'A') : n.letter;
    }

    Tune tune;
    const QByteArray name = text.left(first).trimmed();
    tune.name = MelodyFiles::nameText(name);
    tune.melody = melody;
    out.tune = tune;
    return out;
}

QString writtenName(const QString &name)
{
    QString out;
    for (const QChar c : name)
        if (c != u':' && c.isPrint())
            out += c;
    out = out.trimmed().left(MaxName).trimmed();
    return out.isEmpty() ? QStringLiteral("Melody") : out;
}

QByteArray write(const QString &name, const QByteArray &melody)
{
    static const char *const names[12] = {"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "a#", "b"};
    QByteArrayList notes;
    Notation::playSteps(
        melody,
        [&](const Notation::Step &s) {
            if (s.kind == Notation::Step::Pause) {
                notes << QByteArrayLiteral("8p");
            } else if (s.kind == Notation::Step::Tone) {
                QByteArray note = s.durationMs == Notation::LongMs ? "4" : "8";
                note += names[s.index];
                if (s.octave == Notation::HighOctave)
                    note += '7';
                notes << note;
            }
        },
        [] { return false; });
    if (notes.isEmpty())
        return {};
    return writtenName(name).toUtf8() + ":d=8,o=6,b=" + QByteArray::number(WrittenBeats) + ':' + notes.join(',');
}

} // namespace Rtttl
