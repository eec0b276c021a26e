// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/io/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace AtomicFile {

namespace {
Outcome failed(Outcome::Kind kind, const QString &path, const QString &reason = {})
{
    return {kind, path, reason};
}

// The mode bits decide, for everybody: the replace would get past a file
// the user made read-only, and so would root.
bool readOnly(const QFileInfo &info)
{
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & anyWrite);
}

Outcome replace(const QString &path, const QByteArray &bytes)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return failed(Outcome::Unwritable, path, out.errorString());
    if (out.write(bytes) != bytes.size()) {
        const QString reason = out.errorString();
        out.cancelWriting();
        return failed(Outcome::Unwritable, path, reason);
    }
    if (!out.commit())
        return failed(Outcome::Unwritable, path, out.errorString());
    return {Outcome::Saved, path, {}};
}
} // namespace

QString Outcome::text() const
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (kind) {
    case Saved:
        break;
    case Missing:
        return QStringLiteral("%1 does not exist.").arg(shown);
    case BadOffset:
        return QStringLiteral("Invalid position %1 in %2.").arg(reason, shown);
    case ReadOnly:
        return QStringLiteral("%1 is read-only.").arg(shown);
    case Unreadable:
        return QStringLiteral("Cannot read %1: %2").arg(shown, reason);
    case Unwritable:
        return QStringLiteral("Cannot write %1: %2").arg(shown, reason);
    }
    return {};
}

bool Outcome::told(QString *error) const
{
    if (kind != Saved && error)
        *error = text();
    return kind == Saved;
}

Outcome write(const QString &path, const QByteArray &bytes)
{
    if (const QFileInfo info(path); info.exists() && readOnly(info))
        return failed(Outcome::ReadOnly, path);
    return replace(path, bytes);
}

Outcome probe(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && readOnly(info))
        return failed(Outcome::ReadOnly, path);
    if (info.isDir())
        return failed(Outcome::Unwritable, path, QStringLiteral("it is a folder"));
    QTemporaryFile trial(info.absolutePath() + QStringLiteral("/.mirvak-XXXXXX"));
    if (!trial.open())
        return failed(Outcome::Unwritable, path, trial.errorString());
    return {Outcome::Saved, path, {}};
}

Outcome writeAt(const QString &path, qsizetype offset, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failed(Outcome::Missing, path);
    if (offset < 0)
        return failed(Outcome::BadOffset, path, QString::number(offset));
    if (readOnly(info))
        return failed(Outcome::ReadOnly, path);
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return failed(Outcome::Unreadable, path, in.errorString());
    QByteArray image = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return failed(Outcome::Unreadable, path, in.errorString());
    in.close();

    if (image.size() < offset)
        image.append(QByteArray(offset - image.size(), ' '));
    image.replace(offset, bytes.size(), bytes);
    return replace(path, image);
}

} // namespace AtomicFile
