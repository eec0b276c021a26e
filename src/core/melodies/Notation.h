// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The melody notation: one note is an optional "+", an optional "#" or
// "(b)", then a letter (lower case short, upper case long); "p" is a pause.
// Everything here is pure so a whole melody can be checked without sound.
#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <functional>

namespace Notation {

constexpr int NoKey = 12;          // a letter/row pair without a key: silent, takes no time
constexpr int NormalOctave = 5;
constexpr int HighOctave = 6;      // "+" raises one note
constexpr int ShortMs = 128;       // "a" to "g"
constexpr int LongMs = 300;        // "A" to "G"
constexpr int PauseMs = 128;       // "p"
constexpr int GapMs = 8;           // after every sounded note

enum class Row { Natural, Sharp, Flat };

// Semitone index 0 (C) to 11 (B), or NoKey; rows by letter A..G, columns by Row.
extern const std::array<std::array<quint8, 3>, 7> NoteIndexRows;
// Hertz by semitone index 0..11 and octave 1..7 (column octave - 1).
extern const std::array<std::array<quint16, 7>, 12> NoteFrequencies;

// NoKey for anything but 'A'..'G'.
int noteIndex(char upperLetter, Row row);
// 0 outside the table.
quint16 frequency(int index, int octave);

// Flats of D, E, G, A and B written as the sharps of the note below; the
// flats of C and F have no key and stay.
QByteArray rewriteFlats(QByteArray text);

// One character step over an already rewritten text.
struct Step {
    enum Kind { Nothing, Tone, Pause };
    Kind kind = Nothing;
    int index = NoKey;     // Tone: semitone index
    int octave = NormalOctave;
    quint16 frequency = 0; // Tone
    int durationMs = 0;    // Tone: ShortMs or LongMs; Pause: PauseMs
    qsizetype next = 0;    // 0-based position of the next step
};
Step step(const QByteArray &text, qsizetype pos);

// Runs every step of a melody: rewrites its flats, hands each step to
// perform, and asks stopRequested after each one (so even a stopped melody
// runs its first step).
void playSteps(const QByteArray &melody, const std::function<void(const Step &)> &perform,
               const std::function<bool()> &stopRequested);

} // namespace Notation
