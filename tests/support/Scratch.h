// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A scratch folder that lives as long as its owner, with whole files in it
// read and written in one call.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

class Scratch {
public:
    bool ok() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // False unless every byte reached the file.
    bool write(const QString &name, const QByteArray &bytes) const { return writeFile(filePath(name), bytes); }
    // Empty when the file cannot be read.
    QByteArray read(const QString &name) const { return readFile(filePath(name)); }

    // The same for a file given by its full path.
    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};
