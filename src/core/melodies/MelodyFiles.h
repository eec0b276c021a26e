// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The melody files the file list opens, and the files a melody is saved
// to. Three kinds are read: lines of the notation (*.txt, *.nmp and any
// other name), where RTTTL lines are taken as tunes too; RTTTL files
// (*.rtttl, *.rtx); and eMelody files (*.emy, or any file opening with
// BEGIN:EMELODY). A tune shows in the list as "name|melody", which moving
// it to a tune box cuts back to the melody.
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "core/melodies/EMelody.h"

namespace MelodyFiles {

enum class Format { Lines, Rtttl, EMelody };
// By the file's suffix, whatever its case.
Format formatOf(const QString &fileName);

// A tune line may run this long; a longer one is skipped whole rather than
// read as a tune it is not. Lines of the notation keep their own bound
// (ComposeText::MaxLineLength), and no file gives more than
// ComposeText::MaxLines lines.
constexpr int MaxTuneLine = EMelody::MaxValue;
// What the list holds at most, in characters; a line past it is skipped.
// A file of the notation alone never reaches it.
constexpr qsizetype MaxListChars = 12'000'000;

struct Listed {
    QStringList items;
    QList<int> skipped; // 1-based line numbers, ascending
    QMap<int, QString> why; // of a skipped line, when there is more to say than its number
    QStringList notes;      // "line 4: b=0 is no tempo; 63 is taken"
};

// Reads as far as the device gives; what failed to read is simply not there.
Listed read(QIODevice &file, Format format);

// "name|melody". A "|" or ";" in the name would cut the melody when it
// moves, so each becomes "/".
QString item(const QString &name, const QByteArray &melody);

// A name from a file: UTF-8 where it is valid, Latin-1 otherwise.
QString nameText(const QByteArray &bytes);

// The one message after a file with skipped lines was read; empty when
// none was skipped. Names at most MaxNamedLines line numbers.
constexpr int MaxNamedLines = 20;
QString skippedMessage(const QString &fileName, const QList<int> &skipped);
// The message after a file was read: the skipped lines as skippedMessage
// has them, each then named with its reason, and the settings taken as
// their defaults. At most MaxNamedLines lines of each; empty when there is
// nothing to tell.
QString message(const QString &fileName, const Listed &listed);

// Written through a temporary file, so a failed save leaves the old file
// whole. On failure `error` says why.
bool save(const QString &path, const QByteArray &bytes, QString *error);

} // namespace MelodyFiles
