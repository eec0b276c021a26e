// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/melodies/MelodyFiles.h"

#include <algorithm>

#include <QFileInfo>
#include <QStringDecoder>

#include "core/io/AtomicFile.h"
#include "core/melodies/ComposeText.h"
#include "core/melodies/EMelody.h"
#include "core/melodies/Rtttl.h"

namespace MelodyFiles {

namespace {

bool blank(const QByteArray &line)
{
    return line.trimmed().isEmpty();
}

} // namespace

Format formatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("rtttl") || suffix == QLatin1String("rtx"))
        return Format::Rtttl;
    if (suffix == QLatin1String("emy"))
        return Format::EMelody;
    return Format::Lines;
}

QString nameText(const QByteArray &bytes)
{
    auto utf8 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString item(const QString &name, const QByteArray &melody)
{
    QString shown = name;
    shown.replace(u'|', u'/').replace(u';', u'/');
    return shown + u'|' + QString::fromLatin1(melody);
}

Listed read(QIODevice &file, Format format)
{
    QList<EMelody::Line> lines = ComposeText::readBoundedLines(file, MaxTuneLine);
    // Editors on other systems start a UTF-8 file with a byte-order mark; a
    // file of the notation keeps it as it always has.
    static const QByteArray bom("\xEF\xBB\xBF");
    if (!lines.isEmpty() && lines[0].text.startsWith(bom)) {
        const QByteArray rest = lines[0].text.mid(bom.size());
        if (format != Format::Lines || Rtttl::looksLikeTune(rest) || EMelody::isBegin(rest))
            lines[0].text = rest;
    }
    for (const EMelody::Line &l : lines) {
        if (blank(l.text))
            continue;
        if (format == Format::Lines && EMelody::isBegin(l.text))
            format = Format::EMelody;
        break;
    }

    Listed out;
    qsizetype chars = 0;
    const auto add = [&](const QString &item, int number) {
        if (chars + item.size() > MaxListChars) {
            out.skipped << number;
            return;
        }
        chars += item.size();
        out.items << item;
    };

    if (format == Format::EMelody) {
        const EMelody::Read r = EMelody::read(lines);
        out.skipped = r.skipped;
        for (const EMelody::Tune &t : r.tunes)
            add(item(t.name, t.melody), t.line);
        std::sort(out.skipped.begin(), out.skipped.end());
        return out;
    }

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const EMelody::Line &l = lines[i];
        const int number = int(i + 1);
        if (format == Format::Lines && !Rtttl::looksLikeTune(l.text)) {
            // As the notation's files have always been listed: every line,
            // empty ones too, unchanged.
            add(QString::fromLatin1(l.text.left(ComposeText::MaxLineLength)), number);
            continue;
        }
        if (format == Format::Rtttl && blank(l.text))
            continue;
        if (l.cut) {
            out.skipped << number;
            out.why.insert(number, QStringLiteral("too long"));
            continue;
        }
        const Rtttl::Read r = Rtttl::read(l.text);
        for (const QString &note : r.notes)
            out.notes << QStringLiteral("line %1: %2").arg(number).arg(note);
        if (r.tune) {
            add(item(r.tune->name, r.tune->melody), number);
        } else {
            out.skipped << number;
            out.why.insert(number, r.problem);
        }
    }
    return out;
}

QString skippedMessage(const QString &fileName, const QList<int> &skipped)
{
    if (skipped.isEmpty())
        return {};
    const QString file = QFileInfo(fileName).fileName();
    if (skipped.size() == 1)
        return QStringLiteral("Line %1 of %2 could not be read as a melody and was skipped.")
            .arg(skipped.constFirst())
            .arg(file);
    QStringList numbers;
    for (int k = 0; k < qMin<qsizetype>(skipped.size(), MaxNamedLines); ++k)
        numbers << QString::number(skipped[k]);
    QString named;
    if (skipped.size() > MaxNamedLines)
        named = numbers.join(QStringLiteral(", ")) + QStringLiteral(" and %1 more").arg(skipped.size() - MaxNamedLines);
    else
        named = numbers.mid(0, numbers.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ")
                + numbers.constLast();
    return QStringLiteral("%1 lines of %2 could not be read as melodies and were skipped: lines %3.")
        .arg(skipped.size())
        .arg(file, named);
}

QString message(const QString &fileName, const Listed &listed)
{
    QStringList parts;
    if (!listed.skipped.isEmpty()) {
        QString text = skippedMessage(fileName, listed.skipped);
        for (int k = 0; k < qMin<qsizetype>(listed.skipped.size(), MaxNamedLines); ++k)
            if (const QString why = listed.why.value(listed.skipped[k]); !why.isEmpty())
                text += QStringLiteral("\nline %1: %2").arg(listed.skipped[k]).arg(why);
        parts << text;
    }
    if (!listed.notes.isEmpty()) {
        QString text = QStringLiteral("Read with a default:\n")
                       + QStringList(listed.notes.mid(0, MaxNamedLines)).join(u'\n');
        if (listed.notes.size() > MaxNamedLines)
            text += QStringLiteral("\n... and %1 more.").arg(listed.notes.size() - MaxNamedLines);
        parts << text;
    }
    return parts.join(QStringLiteral("\n\n"));
}

bool save(const QString &path, const QByteArray &bytes, QString *error)
{
    return AtomicFile::write(path, bytes).told(error);
}

} // namespace MelodyFiles
