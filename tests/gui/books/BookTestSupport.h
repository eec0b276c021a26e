#pragma once
// What the book tests share: a working folder of its own for every test
// function (the book file lives in the working folder), and the book file
// read, written and laid out field by field.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include "Unit1/messaging/SmsBooks.h"

namespace booktest {

inline QByteArray readBook()
{
    QFile f(SmsBooks::bookPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBook(const QByteArray &bytes)
{
    QFile f(SmsBooks::bookPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A fixed-width field of the book file, padded with blanks.
inline QByteArray field(const QByteArray &text, int width) { return text.leftJustified(width, ' ', true); }

// Call from initTestCase(), init() and cleanupTestCase(): each test function
// works in a folder named after it, and the old working folder comes back
// at the end.
class FolderPerTest {
public:
    bool valid() const { return m_dir.isValid(); }
    bool enter() const
    {
        const QString sub = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QDir().mkpath(sub);
        return QDir::setCurrent(sub);
    }
    void leave() const { QDir::setCurrent(m_oldDir); }

private:
    QTemporaryDir m_dir;
    QString m_oldDir = QDir::currentPath();
};

} // namespace booktest
