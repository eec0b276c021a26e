// SPDX-License-Identifier: GPL-2.0-or-later
// One phonebook location in AT form: the read reply taken apart and the
// write command put together, each as a table.
#include <QtTest>

#include "core/phonebooks/PhonebookAt.h"
#include "core/phonebooks/PhonebookRange.h"

using namespace PhonebookAt;

Q_DECLARE_METATYPE(PhonebookEntry)

namespace {
QByteArray readReply(const QByteArray &line)
{
    return "AT+CPBR=1\r\r\n" + line + "\r\n\r\nOK\r\n";
}
} // namespace

class CorePhonebookAt : public QObject {
    Q_OBJECT
private slots:
    void parseRead_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("name");

        // Echo plus the standard line: 32 characters before the name opens.
        const QByteArray head = "AT+CPBR=1\r\r\n+CPBR: 1,\"123\",129,\"";
        QCOMPARE(head.size(), 32);
        QTest::newRow("type 145 gains a plus") << readReply("+CPBR: 1,\"46701234567\",145,\"Anna\"") << true
                                               << QByteArray("+46701234567") << QByteArray("Anna");
        QTest::newRow("type 129 stays") << readReply("+CPBR: 1,\"46701234567\",129,\"Anna\"") << true
                                        << QByteArray("46701234567") << QByteArray("Anna");
        QTest::newRow("plus already there") << readReply("+CPBR: 1,\"+46701234567\",145,\"Anna\"") << true
                                            << QByteArray("+46701234567") << QByteArray("Anna");
        QTest::newRow("empty location") << QByteArray("AT+CPBR=2\r\r\n\r\nOK\r\n") << false << QByteArray()
                                        << QByteArray();
        QTest::newRow("145 inside the name is no type") << readReply("+CPBR: 1,\"0701\",129,\"a,145,b\"") << true
                                                        << QByteArray("0701") << QByteArray("a,145,b");
        QTest::newRow("no echo, blanks inside kept") << QByteArray("\r\n+CPBR: 4,\" 0701 \",129,\" Bo b \"\r\n\r\nOK\r\n")
                                                    << true << QByteArray("0701") << QByteArray(" Bo b");
        QTest::newRow("8-bit and controls inside the name") << readReply("+CPBR: 1,\"1\",129,\"Ren\xE9\rAT\"") << true
                                                            << QByteArray("1") << QByteArray("Ren\xE9\rAT");
        QTest::newRow("name closes at 255") << head + QByteArray(222, 'x') + "\"\r\n\r\nOK\r\n" << true
                                            << QByteArray("123") << QByteArray(222, 'x');
        QTest::newRow("name closes past 255: empty") << head + QByteArray(223, 'x') + "\"\r\n\r\nOK\r\n" << true
                                                     << QByteArray("123") << QByteArray();
        QTest::newRow("no name field") << readReply("+CPBR: 1,\"123\",129") << true << QByteArray("123")
                                       << QByteArray();
        QTest::newRow("number never closes") << readReply("+CPBR: 1,\"123") << true << QByteArray() << QByteArray();
        QTest::newRow("empty number, type 145") << readReply("+CPBR: 1,\"\",145,\"X\"") << true << QByteArray()
                                                << QByteArray("X");
    }
    void parseRead()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, filled);
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, name);
        const auto entry = PhonebookAt::parseRead(reply);
        QCOMPARE(entry.has_value(), filled);
        if (entry) {
            QCOMPARE(entry->number, number);
            QCOMPARE(entry->name, name);
        }
    }

    void writeCommand_data()
    {
        QTest::addColumn<int>("location");
        QTest::addColumn<PhonebookEntry>("entry");
        QTest::addColumn<QByteArray>("command");

        QTest::newRow("international") << 1 << PhonebookEntry{"+46701234567", "Anna"}
                                       << QByteArray("AT+CPBW=1,\"46701234567\",145,\"Anna\"\r\n");
        QTest::newRow("national unchanged") << 2 << PhonebookEntry{"0701234567", "Anna"}
                                            << QByteArray("AT+CPBW=2,\"0701234567\",129,\"Anna\"\r\n");
        QTest::newRow("empty row clears") << 7 << PhonebookEntry{} << QByteArray("AT+CPBW=7,\"\",129,\"\"\r\n");
        QTest::newRow("blanks trimmed, around the plus too")
            << 3 << PhonebookEntry{" + 4670 ", " Anna "} << QByteArray("AT+CPBW=3,\"4670\",145,\"Anna\"\r\n");
        QTest::newRow("nothing ends the quotes or the line")
            << 1 << PhonebookEntry{"12\"3\r", "Bob\rAT+CCWA=1,1\rX\"\x1A\x1B\n"}
            << QByteArray("AT+CPBW=1,\"123\",129,\"BobAT+CCWA=1,1X\"\r\n");
        QTest::newRow("Latin-1 kept") << 4 << PhonebookEntry{"1", "Ren\xE9"}
                                      << QByteArray("AT+CPBW=4,\"1\",129,\"Ren\xE9\"\r\n");
        QTest::newRow("name cut to 255") << 5 << PhonebookEntry{"1", QByteArray(300, 'n')}
                                         << "AT+CPBW=5,\"1\",129,\"" + QByteArray(255, 'n') + "\"\r\n";
    }
    void writeCommand()
    {
        QFETCH(int, location);
        QFETCH(PhonebookEntry, entry);
        QFETCH(QByteArray, command);
        QCOMPARE(PhonebookAt::writeCommand(location, entry), command);
    }

    // What AT+CPBR=? states, and the entries planned against it: names cut
    // to the name length, a number longer than the number length left out.
    void limits_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<int>>("limits"); // last, number, name
        QTest::addColumn<PhonebookEntry>("entry");
        QTest::addColumn<QByteArray>("written"); // empty: not written
        const PhonebookEntry anna{"+46701234567", " Annabelle Lindqvist "};
        QTest::newRow("SIM of 14-character names")
            << QByteArray("AT+CPBR=?\r\r\n+CPBR: (1-250),20,14\r\n\r\nOK\r\n") << QList<int>{250, 20, 14} << anna
            << QByteArray("Annabelle Lind");
        QTest::newRow("number too long") << QByteArray("+CPBR: (1-100),10,18") << QList<int>{100, 10, 18} << anna
                                         << QByteArray();
        QTest::newRow("plus not counted") << QByteArray("+CPBR: (1-100),11,30") << QList<int>{100, 11, 30} << anna
                                          << anna.name;
        QTest::newRow("lengths not stated") << QByteArray("+CPBR: (1-10)") << QList<int>{10, 250, 18} << anna
                                            << QByteArray("Annabelle Lindqvis");
        QTest::newRow("no answer") << QByteArray("ERROR") << QList<int>{0, 250, 18} << PhonebookEntry{"1", "Bo"}
                                   << QByteArray("Bo");
        QTest::newRow("zero lengths are none") << QByteArray("+CPBR: (1-5),0,0") << QList<int>{5, 250, 18}
                                               << PhonebookEntry{"1", "Bo"} << QByteArray("Bo");
    }
    void limits()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QList<int>, limits);
        QFETCH(PhonebookEntry, entry);
        QFETCH(QByteArray, written);
        const PhonebookAt::Limits l = PhonebookAt::limitsOf(PhonebookAt::parseRange(reply));
        QCOMPARE((QList<int>{l.last, l.number, l.name}), limits);
        const PhonebookAt::Fitted fit = PhonebookAt::fitted(entry, l);
        QCOMPARE(fit.entry.has_value(), !written.isEmpty());
        if (fit.entry) {
            QCOMPARE(fit.entry->name, written);
            QCOMPARE(fit.nameCut, written != entry.name);
        }
    }

    void locationList()
    {
        QCOMPARE(PhonebookAt::locationList({3}), QStringLiteral("3"));
        QList<int> many;
        for (int k = 1; k <= 400; ++k)
            many << k;
        QCOMPARE(PhonebookAt::locationList(many), QStringLiteral("1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 and 388 more"));
    }
};

QTEST_GUILESS_MAIN(CorePhonebookAt)
#include "tst_core_pb_at.moc"
