#pragma once
// What the book tests share: a book folder of its own for every test
// function, handed to the books (or the window) instead of the working
// directory, and the book file there read, written and laid out field by field.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace booktest {

// The folder of the running test function.
inline QString &bookFolder()
{
    static QString folder;
    return folder;
}

inline QString bookPath() { return QDir(bookFolder()).filePath(QStringLiteral("QXsms.phb")); }

inline QByteArray readBook()
{
    QFile f(bookPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBook(const QByteArray &bytes)
{
    QFile f(bookPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A fixed-width field of the book file, padded with blanks.
inline QByteArray field(const QByteArray &text, int width) { return text.leftJustified(width, ' ', true); }

// Call enter() from init(): each test function gets a folder named after it.
class FolderPerTest {
public:
    bool valid() const { return m_dir.isValid(); }
    bool enter() const
    {
        bookFolder() = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        return QDir().mkpath(bookFolder());
    }

private:
    QTemporaryDir m_dir;
};

} // namespace booktest
