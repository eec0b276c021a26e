// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/melodies/ComposeText.h"

#include "core/melodies/MelodyAt.h"

namespace ComposeText {

QByteArray keyText(int index, int octave, bool longNote)
{
    // The key of each semitone: its letter, and whether it is the sharp of it.
    static constexpr struct {
        char letter;
        bool sharp;
    } keys[12] = {{'c', false}, {'c', true}, {'d', false}, {'d', true}, {'e', false}, {'f', false},
                  {'f', true},  {'g', false}, {'g', true}, {'a', false}, {'a', true}, {'b', false}};
    if (index < 0 || index >= 12)
        return {};
    QByteArray text;
    if (octave == 6)
        text += '+';
    if (keys[index].sharp)
        text += '#';
    text += longNote ? char(keys[index].letter - 'a' + 'A') : keys[index].letter;
    return text;
}

QString deleteLastNote(const QString &text)
{
    if (text.size() <= 1)
        return {};
    QString rest = text.chopped(1);
    while (rest.endsWith(u'#') || rest.endsWith(u'+'))
        rest.chop(1);
    return rest;
}

QByteArray movedMelody(const QByteArray &line, int limit)
{
    QByteArray text = line;
    // A name before the melody ends at the first "|", or at the first ";".
    for (const char cut : {'|', ';'})
        if (const qsizetype at = text.indexOf(cut); at >= 0)
            text.replace(0, at + 1, QByteArray(at + 1, ' '));
    QByteArray kept;
    for (const char c : text) {
        if (limit >= 0 && kept.size() >= limit)
            break;
        if (MelodyAt::isNotationChar(c))
            kept += c;
    }
    return kept;
}

QList<FileLine> readBoundedLines(QIODevice &file, int maxLength)
{
    QList<FileLine> lines;
    FileLine line;
    const auto finish = [&] {
        if (line.text.endsWith('\r'))
            line.text.chop(1);
        lines.append(line);
        line = {};
    };
    char buffer[4096];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (qint64 i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                finish();
                if (lines.size() >= MaxLines)
                    return lines;
            } else if (!line.cut) {
                line.text += c;
                if (line.text.size() > maxLength) {
                    line.text.truncate(maxLength);
                    line.cut = true;
                }
            }
        }
    }
    if (!line.text.isEmpty() || line.cut)
        finish();
    return lines;
}

QStringList readMelodyLines(QIODevice &file)
{
    QStringList lines;
    for (const FileLine &line : readBoundedLines(file, MaxLineLength))
        lines << QString::fromLatin1(line.text);
    return lines;
}

} // namespace ComposeText
