// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/melodies/EMelody.h"

#include <optional>

#include "core/melodies/MelodyFiles.h"

namespace EMelody {

namespace {

// The property name of a line ("MELODY" of "melody;x=y:cde"), upper case.
QByteArray key(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0)
        return {};
    QByteArray k = line.left(colon);
    if (const qsizetype params = k.indexOf(';'); params >= 0)
        k.truncate(params);
    return k.trimmed().toUpper();
}

QByteArray value(const QByteArray &line)
{
    return line.mid(line.indexOf(':') + 1);
}

bool isEnd(const QByteArray &line)
{
    return key(line) == "END" && value(line).trimmed().toUpper() == "EMELODY";
}

} // namespace

bool isBegin(const QByteArray &line)
{
    return key(line) == "BEGIN" && value(line).trimmed().toUpper() == "EMELODY";
}

Read read(const QList<Line> &lines)
{
    Read out;
    struct Block {
        int begin = 0;
        QByteArray name, melody;
        bool hasMelody = false;
        bool cut = false;
        QByteArray *last = nullptr; // what a folded line continues
    };
    std::optional<Block> open;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int number = int(i + 1);
        const QByteArray &text = lines[i].text;
        if (!open) {
            if (isBegin(text))
                open.emplace().begin = number;
            else if (!text.trimmed().isEmpty())
                out.skipped << number;
            continue;
        }
        Block &b = *open;
        b.cut = b.cut || lines[i].cut;
        if (isBegin(text)) { // the block before was never closed
            out.skipped << b.begin;
            open.emplace().begin = number;
        } else if (isEnd(text)) {
            const QByteArray melody = b.melody.trimmed();
            if (b.hasMelody && !b.cut && !melody.isEmpty())
                out.tunes.append({MelodyFiles::nameText(b.name.trimmed()), melody, b.begin});
            else
                out.skipped << b.begin;
            open.reset();
        } else if ((text.startsWith(' ') || text.startsWith('\t')) && b.last) {
            *b.last += text.mid(1);
            if (b.last->size() > MaxValue) {
                b.cut = true;
                b.last->clear();
                b.last = nullptr;
            }
        } else {
            const QByteArray k = key(text);
            b.last = nullptr;
            if (k == "NAME") {
                b.name = value(text);
                b.last = &b.name;
            } else if (k == "MELODY") {
                b.melody = value(text);
                b.hasMelody = true;
                b.last = &b.melody;
            }
        }
    }
    if (open)
        out.skipped << open->begin;
    return out;
}

QByteArray write(const QString &name, const QByteArray &melody)
{
    QString shown;
    for (const QChar c : name)
        if (c.isPrint())
            shown += c;
    // A line end inside the melody would end the block early.
    QByteArray notes = melody;
    notes.removeIf([](char c) { return c == '\r' || c == '\n'; });
    return "BEGIN:EMELODY\r\nVERSION:1.0\r\nNAME:" + shown.trimmed().toUtf8() + "\r\nMELODY:" + notes
           + "\r\nEND:EMELODY\r\n";
}

} // namespace EMelody
