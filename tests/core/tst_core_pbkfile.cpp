// SPDX-License-Identifier: GPL-2.0-or-later
// The *.pbk file: what a load makes of odd and broken files, and a saved
// book that loads back the same.
#include <QtTest>

#include "core/phonebooks/PbkFile.h"

namespace {
struct Row {
    int index;
    QByteArray number, name;
};
using Rows = QList<Row>;

// A book of 50 entries with Anna in entry 1.
PhonebookEntries annaBook()
{
    PhonebookEntries b(50);
    b.set(1, {"+46701234567", "Anna"});
    return b;
}
} // namespace

Q_DECLARE_METATYPE(Rows)

class TestCorePbkFile : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void saveWritesEveryRowAndTheOnePastIt();
};

void TestCorePbkFile::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("grew");
    QTest::addColumn<Rows>("rows"); // every other entry is empty

    const Row anna{1, "+46701234567", "Anna"};
    QTest::newRow("saved book") << PbkFile::text(annaBook()) << 50 << false << Rows{anna};
    QTest::newRow("one record, sparse") << QByteArray("003:Bob\r\n123\r\n") << 50 << false << Rows{{3, "123", "Bob"}};
    QTest::newRow("empty record 120 gives 119 rows")
        << QByteArray("001:Anna\r\n+46701234567\r\n120:\r\n\r\n") << 119 << true << Rows{anna};
    QTest::newRow("record 120 with text is kept")
        << QByteArray("120:Zed\r\n999\r\n") << 120 << true << Rows{{120, "999", "Zed"}};
    QTest::newRow("index 401 ends the load")
        << QByteArray("002:A\r\n1\r\n401:B\r\n2\r\n003:C\r\n3\r\n") << 50 << false << Rows{{2, "1", "A"}};
    QTest::newRow("unpadded index ends the load")
        << QByteArray("002:A\r\n1\r\n1:Anna\r\n2\r\n003:C\r\n3\r\n") << 50 << false << Rows{{2, "1", "A"}};
    QTest::newRow("end mark in place of a record")
        << QByteArray("002:A\r\n1\r\n\x1A\r\n003:C\r\n3\r\n") << 50 << false << Rows{{2, "1", "A"}};
    QTest::newRow("end mark in place of a number")
        << QByteArray("002:A\r\n\x1A\r\n003:C\r\n3\r\n") << 50 << false << Rows{{2, "", "A"}};
    QTest::newRow("index below 1 passed over")
        << QByteArray("000:Z\r\n9\r\n-01:Y\r\n8\r\n004:D\r\n4\r\n") << 50 << false << Rows{{4, "4", "D"}};
    QTest::newRow("out of order, any line end, trimmed")
        << QByteArray("005:  E\t \n 55 \r004:Caf\xE9\r\n44") << 50 << false
        << Rows{{4, "44", "Caf\xE9"}, {5, "55", "E"}};
    QTest::newRow("truncated after a name") << QByteArray("006:F") << 50 << false << Rows{{6, "", "F"}};
    QTest::newRow("over-long lines cut")
        << QByteArray("007:" + QByteArray(100000, 'x') + "\r\n" + QByteArray(300, '7') + "\r\n") << 50 << false
        << Rows{{7, QByteArray(255, '7'), QByteArray(255, 'x')}};
    QByteArray endless(PbkFile::MaxBytes + 10, '\xFF');
    endless.replace(0, 4, "004:");
    QTest::newRow("read no further than the limit")
        << endless + "\r\n44\r\n" << 50 << false << Rows{{4, "", QByteArray(255, '\xFF')}};
    QTest::newRow("empty file") << QByteArray() << 50 << false << Rows{};
    QTest::newRow("binary") << QByteArray("\x00\xFF\x1A\r\n001:A", 10) << 50 << false << Rows{};
}

void TestCorePbkFile::load()
{
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    QFETCH(bool, grew);
    QFETCH(Rows, rows);
    const PbkFile::Loaded loaded = PbkFile::read(file, 50);
    QCOMPARE(loaded.rows.count(), count);
    QCOMPARE(loaded.grew, grew);
    PhonebookEntries expected(count);
    for (const Row &r : rows)
        expected.set(r.index, {r.number, r.name});
    QCOMPARE(loaded.rows, expected);
}

void TestCorePbkFile::saveWritesEveryRowAndTheOnePastIt()
{
    PhonebookEntries book = annaBook();
    book.set(2, {"\x1A", "A\r\nB"});
    book.set(3, {QByteArray(300, '9'), " Caf\xE9 "});
    QByteArray expected = "001:Anna\r\n+46701234567\r\n"
                          "002:A  B\r\n \r\n" // nothing in a field splits a record or ends the file
                          "003: Caf\xE9 \r\n" + QByteArray(255, '9') + "\r\n";
    for (int r = 4; r <= 51; ++r)
        expected += QByteArray::number(r).rightJustified(3, '0') + ":\r\n\r\n";
    QCOMPARE(PbkFile::text(book), expected);
    // Loaded into a shorter book: the saved row count is back.
    QCOMPARE(PbkFile::read(PbkFile::text(annaBook()), 10).rows, annaBook());
}

QTEST_GUILESS_MAIN(TestCorePbkFile)
#include "tst_core_pbkfile.moc"
