// SPDX-License-Identifier: GPL-2.0-or-later
// The personal-ring replies and commands, fed with replies as a T28 sends
// them (echo on: "AT*EPRW=?\r" then the answer).
#include <QtTest>

#include "core/settings/RingList.h"

namespace {
QByteArray echoed(const QByteArray &command, const QByteArray &line)
{
    return command + "\r\r\n" + line + "\r\n\r\nOK\r\n";
}
} // namespace

class TestCoreRings : public QObject {
    Q_OBJECT
private slots:
    void ringLists_data();
    void ringLists();
    void entries_data();
    void entries();
    void commands_data();
    void commands();
};

void TestCoreRings::ringLists_data()
{
    QTest::addColumn<bool>("ringInfo"); // "AT*ERIN=?" instead of "AT*EPRW=?"
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("count");     // -1: nothing listed
    QTest::addColumn<QString>("items"); // blank-separated
    QTest::addColumn<bool>("complete");
    const auto row = [](const char *name, bool info, const char *line, int count, const char *items, bool complete) {
        QTest::newRow(name) << info << QByteArray(line) << count << QString::fromLatin1(items) << complete;
    };
    row("ranges and single", false, "*EPRW: (1-10),(129,145),(1-3,5,31-34)", 10,
        "1 2 3 -- 5 -- 31 32 33 34 --", true);
    row("count not two digits", false, "*EPRW: (1-5),(129,145),(1-3,5,31-34)", -1, "", false);
    row("no range at all", false, "*EPRW: (10),(129,145),(1,5)", -1, "", false);
    row("no ring list", false, "*EPRW: (1-10),(129,145)", -1, "", false);
    row("last single of one digit", false, "*EPRW: (1-10),(129,145),(1-3,5)", 10, "1 2 3 -- 5", true);
    row("last single of two digits", false, "*EPRW: (1-10),(129,145),(1-3,12)", 10, "1 2 3 -- 12", true);
    row("three-digit codes and bounds", false, "*EPRW: (1-10),(129,145),(100-102,5,120)", 10,
        "100 101 102 -- 5 -- 120", true);
    row("blanks and a later group", false, "*EPRW: (1-12),(129,145),( 1 - 2 , 7 ),(0-1)", 12, "1 2 -- 7", true);
    row("backward range keeps what came before", false, "*EPRW: (1-10),(129,145),(1-3,9-5,7)", 10, "1 2 3 --", false);
    row("four-digit code", false, "*EPRW: (1-10),(129,145),(1-3,1234,5)", 10, "1 2 3 --", false);
    row("bound without digits", false, "*EPRW: (1-10),(129,145),(1-,5)", 10, "", false);
    row("ring info", true, "*ERIN: (1-3,5,31-34),(1,3-5)", 0, "1 2 3 -- 5 -- 31 32 33 34 --", true);
    row("ring info one code", true, "*ERIN: (7-7)", 0, "7 --", true);
    row("ring info without a range", true, "*ERIN: (1,5)", -1, "", false);
}

void TestCoreRings::ringLists()
{
    QFETCH(bool, ringInfo);
    QFETCH(QByteArray, line);
    QFETCH(int, count);
    QFETCH(QString, items);
    QFETCH(bool, complete);
    const QStringList expected = items.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (ringInfo) {
        const auto codes = RingList::ringInfoCodes(echoed("AT*ERIN=?", line));
        QCOMPARE(codes.has_value(), count >= 0);
        if (codes) {
            QCOMPARE(codes->items, expected);
            QCOMPARE(codes->complete, complete);
        }
        return;
    }
    const auto ranges = RingList::entryRanges(echoed("AT*EPRW=?", line));
    QCOMPARE(ranges.has_value(), count >= 0);
    if (ranges) {
        QCOMPARE(ranges->entryCount, count);
        QCOMPARE(ranges->ringCodes.items, expected);
        QCOMPARE(ranges->ringCodes.complete, complete);
    }
}

void TestCoreRings::entries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("shown");
    QTest::newRow("international") << 1 << QByteArray("*EPRR: 1,\"46701234567\",145,12")
                                   << QStringLiteral("1: +46701234567 - Ring 12");
    QTest::newRow("national padded") << 3 << QByteArray("*EPRR: 3,\"0701234567\",129,5")
                                     << QStringLiteral("3: 0701234567   - Ring 5");
    QTest::newRow("plus already there") << 2 << QByteArray("*EPRR: 2,\"+4670\",145,31")
                                        << QStringLiteral("2: +4670        - Ring 31");
    QTest::newRow("longer than the pad") << 4 << QByteArray("*EPRR: 4,\"46701234567890\",145,1")
                                         << QStringLiteral("4: +46701234567890 - Ring 1");
    QTest::newRow("three-digit ring") << 5 << QByteArray("*EPRR: 5,\"123\",129,101") << QStringLiteral("5: 123          - Ring 101");
    QTest::newRow("empty entry") << 6 << QByteArray("*EPRR: 6,\"\",129,0") << QStringLiteral("6: ");
    QTest::newRow("no quoted number") << 7 << QByteArray("*EPRR: 7") << QStringLiteral("7: ");
    QTest::newRow("latin-1 number") << 8 << QByteArray("*EPRR: 8,\"12\xE9\",129,2") << QStringLiteral("8: 12\u00E9          - Ring 2");
}

void TestCoreRings::entries()
{
    QFETCH(int, index);
    QFETCH(QByteArray, line);
    QFETCH(QString, shown);
    const QByteArray reply = echoed("AT*EPRR=" + QByteArray::number(index), line);
    QCOMPARE(RingList::line(index, RingList::entry(reply)), shown);
}

void TestCoreRings::commands_data()
{
    QTest::addColumn<QByteArray>("number"); // empty row name prefix "play": a play command
    QTest::addColumn<QByteArray>("ring");
    QTest::addColumn<QByteArray>("command"); // empty: nothing to send
    QTest::newRow("international") << QByteArray("+46701234567") << QByteArray("12")
                                   << QByteArray("AT*EPRW=3,\"46701234567\",145,12\r\n");
    QTest::newRow("national") << QByteArray("0701234567") << QByteArray("5")
                              << QByteArray("AT*EPRW=3,\"0701234567\",129,5\r\n");
    QTest::newRow("blanks around") << QByteArray("  +4670 ") << QByteArray("31") << QByteArray("AT*EPRW=3,\"4670\",145,31\r\n");
    QTest::newRow("cannot leave its quotes") << QByteArray("12\"3\r\nAT\x1A") << QByteArray("5")
                                             << QByteArray("AT*EPRW=3,\"123AT\",129,5\r\n");
    QTest::newRow("empty number") << QByteArray() << QByteArray("5") << QByteArray();
    QTest::newRow("lone plus") << QByteArray(" + ") << QByteArray("5") << QByteArray();
    QTest::newRow("no ring code") << QByteArray("0701234567") << QByteArray() << QByteArray();
    QTest::newRow("ring code no digits") << QByteArray("0701234567") << QByteArray("1;") << QByteArray();
    QTest::newRow("play") << QByteArray() << QByteArray("12") << QByteArray("AT*ERIP=6,12\r\n");
    QTest::newRow("play no code") << QByteArray() << QByteArray("") << QByteArray();
    QTest::newRow("play not a code") << QByteArray() << QByteArray("a") << QByteArray();
}

void TestCoreRings::commands()
{
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, ring);
    QFETCH(QByteArray, command);
    const bool play = QByteArray(QTest::currentDataTag()).startsWith("play");
    const auto built = play ? RingList::playCommand(ring) : RingList::writeCommand(3, number, ring);
    QCOMPARE(built.value_or(QByteArray()), command);
}

QTEST_APPLESS_MAIN(TestCoreRings)
#include "tst_core_rings.moc"
