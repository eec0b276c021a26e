// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/melodies/Notation.h"

namespace Notation {

const std::array<std::array<quint8, 3>, 7> NoteIndexRows{{
    //  natural, sharp, flat
    {{9, 10, 8}},   // A
    {{11, 12, 10}}, // B
    {{0, 1, 12}},   // C
    {{2, 3, 1}},    // D
    {{4, 12, 3}},   // E
    {{5, 6, 12}},   // F
    {{7, 8, 6}},    // G
}};

// Equal temperament, A4 = 440 Hz, rounded; A#1, D6 and D7 are kept as the
// phone's melodies have always been heard (59, 1174, 2344).
const std::array<std::array<quint16, 7>, 12> NoteFrequencies{{
    {{33, 65, 131, 262, 523, 1047, 2093}},  // C
    {{35, 69, 139, 277, 554, 1109, 2217}},  // C#
    {{37, 73, 147, 294, 587, 1174, 2344}},  // D
    {{39, 78, 156, 311, 622, 1245, 2489}},  // D#
    {{41, 82, 165, 330, 659, 1319, 2637}},  // E
    {{44, 87, 175, 349, 698, 1397, 2794}},  // F
    {{46, 92, 185, 370, 740, 1480, 2960}},  // F#
    {{49, 98, 196, 392, 784, 1568, 3136}},  // G
    {{52, 104, 208, 415, 831, 1661, 3322}}, // G#
    {{55, 110, 220, 440, 880, 1760, 3520}}, // A
    {{59, 117, 233, 466, 932, 1865, 3729}}, // A#
    {{62, 123, 247, 494, 988, 1976, 3951}}, // B
}};

int noteIndex(char upperLetter, Row row)
{
    if (upperLetter < 'A' || upperLetter > 'G')
        return NoKey;
    return NoteIndexRows[std::size_t(upperLetter - 'A')][std::size_t(row)];
}

quint16 frequency(int index, int octave)
{
    if (index < 0 || index >= 12 || octave < 1 || octave > 7)
        return 0;
    return NoteFrequencies[std::size_t(index)][std::size_t(octave - 1)];
}

QByteArray rewriteFlats(QByteArray text)
{
    static const char *const pairs[][2] = {
        {"(b)d", "#c"}, {"(b)e", "#d"}, {"(b)g", "#f"}, {"(b)a", "#g"}, {"(b)b", "#a"},
        {"(b)D", "#C"}, {"(b)E", "#D"}, {"(b)G", "#F"}, {"(b)A", "#G"}, {"(b)B", "#A"},
    };
    for (const auto &p : pairs)
        text.replace(p[0], p[1]);
    return text;
}

Step step(const QByteArray &text, qsizetype p)
{
    const qsizetype len = text.size();
    const auto at = [&](qsizetype i) { return i >= 0 && i < len ? text[i] : '\0'; };
    Step s;
    int duration = LongMs;
    if (at(p) == '+') {
        s.octave = HighOctave;
        ++p;
        if (at(p) == '#')
            ++p;
    }
    // A "(" too near the end to hold a whole "(b)x" is an ordinary character.
    bool flat = false;
    if (p < len - 3 && at(p) == '(') {
        flat = true;
        p += 3;
    }
    char ch = at(p);
    if (ch >= 'a' && ch <= 'g') {
        duration = ShortMs;
        ch = char(ch - 'a' + 'A');
    }
    if (ch >= 'A' && ch <= 'G') {
        // A "#" right before the letter is its sharp, even over a "(b)" mark.
        const Row row = p > 0 && at(p - 1) == '#' ? Row::Sharp : flat ? Row::Flat : Row::Natural;
        const int index = noteIndex(ch, row);
        if (index != NoKey) {
            s.kind = Step::Tone;
            s.index = index;
            s.frequency = frequency(index, s.octave);
            s.durationMs = duration;
        }
    } else if (ch == 'p') {
        s.kind = Step::Pause;
        s.durationMs = PauseMs;
    }
    s.next = p + 1;
    return s;
}

void playSteps(const QByteArray &melody, const std::function<void(const Step &)> &perform,
               const std::function<bool()> &stopRequested)
{
    const QByteArray text = rewriteFlats(melody);
    for (qsizetype p = 0; p < text.size();) {
        const Step s = step(text, p);
        perform(s);
        p = s.next;
        if (stopRequested())
            break;
    }
}

} // namespace Notation
