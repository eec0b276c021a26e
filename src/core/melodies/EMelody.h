// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// eMelody files (*.emy): BEGIN:EMELODY, NAME:, MELODY:, END:EMELODY, one or
// more to a file. The melody is already in the phone's notation. Pure
// text work; MelodyFiles reads whole files.
#include <QByteArray>
#include <QList>
#include <QString>

#include "core/melodies/ComposeText.h"

namespace EMelody {

struct Tune {
    QString name;
    QByteArray melody; // as the file has it, blanks around it trimmed
    int line = 0;      // of its BEGIN
};

// A name or melody longer than this, folded lines and all, is no melody.
constexpr int MaxValue = 4096;

// One physical line of a file, and whether the reader had to cut it short.
using Line = ComposeText::FileLine;

struct Read {
    QList<Tune> tunes;
    // 1-based numbers of the lines that gave no melody: a block without a
    // MELODY line, cut short, left open or holding a cut line (its BEGIN line
    // is named), and any other text outside the blocks.
    QList<int> skipped;
};

// Whether a line opens a block, so that a file of any name can be known by
// its first line.
bool isBegin(const QByteArray &line);

Read read(const QList<Line> &lines);

// One block with CRLF line ends. The name loses its control characters.
QByteArray write(const QString &name, const QByteArray &melody);

} // namespace EMelody
