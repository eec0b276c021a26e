// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The composer's text work: what a keyboard key adds, what "Del" takes
// away, what a melody line keeps when it moves into a tune box, and the
// lines of a melody file. Pure, so the page only paints.
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

namespace ComposeText {

// A play text (the compose line or a file line played) keeps at most this many
// notation characters.
constexpr int MaxPlayText = 255;

// The note a key adds: "+" for the upper octave (6), "#" for a black key,
// then the letter, upper case for a long note. Index 0 (C) to 11 (B).
QByteArray keyText(int index, int octave, bool longNote);

// The compose line without its last note: one press takes away a whole
// keyboard note such as "+#c".
QString deleteLastNote(const QString &text);

// A melody line as it moves into a tune box or is played: a name up to the
// first "|", then up to the first ";", is cut off, and only the notation's
// characters are kept, in order. `limit` bounds the result (-1: none).
QByteArray movedMelody(const QByteArray &line, int limit = -1);

// A melody file, one melody per line, read as Latin-1 and unchanged but
// for its line ends. Whatever the file holds, the reading stays bounded: a
// line is cut at MaxLineLength characters, and reading ends after MaxLines
// lines. Reading stops quietly where the device fails.
constexpr int MaxLineLength = 1024;
constexpr int MaxLines = 10000;
QStringList readMelodyLines(QIODevice &file);

// One physical line of a file, and whether the reader had to cut it short.
struct FileLine {
    QByteArray text;
    bool cut = false;
};
// The lines of a file with their ends dropped, each cut at `maxLength`
// (the rest of it skipped), at most MaxLines of them.
QList<FileLine> readBoundedLines(QIODevice &file, int maxLength);

} // namespace ComposeText
