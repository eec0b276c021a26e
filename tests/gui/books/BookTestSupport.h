// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the book tests share: a book folder of its own for every test
// function, handed to the books (or the window) instead of the working
// directory, and the book file there read, written and laid out field by field.
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTest>

#include "Scratch.h"

namespace booktest {

// The folder of the running test function.
inline QString &bookFolder()
{
    static QString folder;
    return folder;
}

inline QString bookPath() { return QDir(bookFolder()).filePath(QStringLiteral("QXsms.phb")); }

inline QByteArray readBook() { return Scratch::readFile(bookPath()); }

inline void writeBook(const QByteArray &bytes) { QVERIFY(Scratch::writeFile(bookPath(), bytes)); }

// A fixed-width field of the book file, padded with blanks.
inline QByteArray field(const QByteArray &text, int width) { return text.leftJustified(width, ' ', true); }

// Call enter() from init(): each test function gets a folder named after it.
class FolderPerTest {
public:
    bool valid() const { return m_dir.ok(); }
    bool enter() const
    {
        bookFolder() = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        return QDir().mkpath(bookFolder());
    }

private:
    Scratch m_dir;
};

} // namespace booktest
