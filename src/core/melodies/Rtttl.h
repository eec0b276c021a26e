// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Ringtones in RTTTL, the text of the large public collections:
// "Name:d=4,o=5,b=125:8e6,8d6,f#,...". Read into the phone's notation and
// written from it. Pure text work; MelodyFiles reads whole files.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace Rtttl {

// What a tune without its own defaults plays: quarter notes, octave 6, 63 beats.
constexpr int DefaultDuration = 4;
constexpr int DefaultOctave = 6;
constexpr int DefaultBeats = 63;

// What this program writes: every length explicit (8 short, 4 long,
// pauses "8p"), the phone's lower octave as o=6 and its upper one as 7,
// and a tempo at which an eighth lasts about as long as a short note.
constexpr int WrittenBeats = 225;
constexpr int MaxName = 10;

struct Tune {
    QString name;     // as the line has it, trimmed
    QByteArray melody; // the phone's notation, no blanks
};

// One tune line. Nothing when the line does not follow the grammar or has
// no note at all.
//
// Pitch: the whole tune moves by whole octaves so that most of its notes
// fall into the phone's two octaves (RTTTL's o=5 holds A = 440 Hz, so its
// octaves 6 and 7 are the phone's), the smallest move winning a tie; a
// note still outside goes to the nearer of the two.
// Length: with u the most common note length, a note or pause of at least
// twice u is long (a long pause is "pp"), anything shorter is short.
//
// Collections write more than the grammar: "_" for a sharp ("a_5"), "e#"
// and "b#" (read as f, and as c an octave up), 1/64 notes (the shortest
// length, as 1/32 is), and the sharp after the octave ("c6#"). A setting
// that is no number or out of range is taken as its default and noted.
std::optional<Tune> parse(const QByteArray &line);

// parse(), and why a line gave no tune or which settings it took as their
// defaults.
struct Read {
    std::optional<Tune> tune;
    QString problem;   // "unknown note 'x'"; empty when a tune was read
    QStringList notes; // "b=0 is no tempo; 63 is taken"
};
Read read(const QByteArray &line);

// Whether a line of a melody text file is meant as a tune: two colons with
// nothing or "key=value" pairs between them. Lines of the notation (such as
// "Tune one|G#AB") never look like this, so they stay as they are.
bool looksLikeTune(const QByteArray &line);

// The name as written: no colon or control character, at most MaxName
// characters, "Melody" when nothing is left.
QString writtenName(const QString &name);

// The melody of the notation as one RTTTL line, without a line end. Empty
// when the melody sounds nothing (RTTTL needs a note). Read back with
// parse(), it gives the melody as the keyboard writes it (flats come back
// as the sharps the phone plays them as; what the phone skips is gone).
QByteArray write(const QString &name, const QByteArray &melody);

} // namespace Rtttl
