// SPDX-License-Identifier: GPL-2.0-or-later
// The phonebook model: a count that grows and shrinks only when asked, entry
// r at row r, copies that share nothing, and the order its views rely on.
#include <QSignalSpy>
#include <QtTest>

#include "core/phonebooks/PhonebookModel.h"

namespace {
const PhonebookEntry Anna{"+46701234567", "Anna"};
}

class TestCorePhonebook : public QObject {
    Q_OBJECT
private slots:
    void edits_data();
    void edits();
    void copiesAreIndependent();
    void viewsLearnTheCountFirst();
};

void TestCorePhonebook::edits_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("arg");
    QTest::addColumn<int>("count");
    QTest::newRow("grow past the end") << "grow" << 120 << 120;
    QTest::newRow("grow to less") << "grow" << 3 << 50;
    QTest::newRow("set inside") << "set" << 7 << 50;
    QTest::newRow("set past the end") << "set" << 120 << 120;
    QTest::newRow("set row 0") << "set" << 0 << 50;
    QTest::newRow("clear") << "clear" << 0 << 50;
    QTest::newRow("resize shorter") << "resize" << 3 << 3;
    QTest::newRow("resize below zero") << "resize" << -1 << 0;
}

void TestCorePhonebook::edits()
{
    QFETCH(QString, op);
    QFETCH(int, arg);
    QFETCH(int, count);
    PhonebookModel book(50);
    book.setEntry(2, Anna);
    QSignalSpy counts(&book, &PhonebookModel::countChanged);
    if (op == "grow")
        book.grow(arg);
    else if (op == "set")
        book.setEntry(arg, Anna);
    else if (op == "clear")
        book.clear();
    else
        book.resize(arg);

    QCOMPARE(book.count(), count);
    QCOMPARE(counts.size(), count == 50 ? 0 : 1);
    // Entry r is row r; the rows around it, row 0 and the row past the end read empty.
    const bool setHere = op == "set" && arg >= 1;
    QCOMPARE(book.entry(arg), setHere ? Anna : PhonebookEntry());
    if (setHere)
        QCOMPARE(book.entry(arg - 1), PhonebookEntry());
    QCOMPARE(book.entry(2), op == "clear" || count < 2 ? PhonebookEntry() : Anna);
    QCOMPARE(book.entry(0), PhonebookEntry());
    QCOMPARE(book.entry(count + 1), PhonebookEntry());
}

void TestCorePhonebook::copiesAreIndependent()
{
    PhonebookModel book(50);
    book.setEntry(3, Anna);
    PhonebookEntries copy = book.entries();
    book.setName(3, "Bo");
    book.grow(80);
    QCOMPARE(copy.count(), 50);
    QCOMPARE(copy.at(3), Anna);
    copy.set(4, Anna);
    copy.clear();
    QCOMPARE(book.entry(3), (PhonebookEntry{"+46701234567", "Bo"}));
    QCOMPARE(book.entry(4), PhonebookEntry());
    QCOMPARE(copy.at(3), PhonebookEntry());
    QCOMPARE(copy.count(), 50);
}

void TestCorePhonebook::viewsLearnTheCountFirst()
{
    PhonebookModel book(2);
    PhonebookEntries loaded(5);
    loaded.set(5, Anna);
    QStringList heard;
    connect(&book, &PhonebookModel::countChanged, this,
            [&](int from, int to) { heard << QStringLiteral("count %1-%2").arg(from).arg(to); });
    connect(&book, &PhonebookModel::entriesChanged, this,
            [&](int first, int last) { heard << QStringLiteral("entries %1-%2").arg(first).arg(last); });
    book.setEntries(loaded);
    book.setEntry(5, Anna); // unchanged: nothing to tell
    book.setNumber(1, "112");
    QCOMPARE(heard, (QStringList{"count 2-5", "entries 1-5", "entries 1-1"}));
}

QTEST_GUILESS_MAIN(TestCorePhonebook)
#include "tst_core_phonebook.moc"
