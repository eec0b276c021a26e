// SPDX-License-Identifier: GPL-2.0-or-later
// The call lists, the status replies, what a phone offers, the dial strings
// and the PIN mask: the replies of real phones, their odd shapes included.
#include <QtTest>

#include "core/at/SecretMask.h"
#include "core/calls/CallsAt.h"
#include "core/capabilities/PhoneCapabilities.h"
#include "core/status/StatusAt.h"

using namespace CallsAt;

class TestCoreCalls : public QObject {
    Q_OBJECT
private slots:
    void listsTheBooksOffer_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("offered"); // words, blank-separated
        QTest::addColumn<QByteArray>("dialledBook");
        QTest::newRow("DC") << QByteArray("\r\n+CPBS: (\"SM\",\"ME\",\"DC\",\"MC\",\"RC\")\r\n\r\nOK\r\n")
                            << "dialled missed received" << QByteArray("DC");
        QTest::newRow("LD only") << QByteArray("+CPBS: (\"ME\",\"SM\",\"LD\",\"MC\",\"RC\",\"ON\")\r\n")
                                 << "dialled missed received own" << QByteArray("LD");
        QTest::newRow("both") << QByteArray("+CPBS: (\"LD\",\"DC\",\"FD\",\"EN\")") << "dialled fixed emergency"
                              << QByteArray("DC");
        QTest::newRow("lower case, blanks") << QByteArray("+CPBS: ( \"sm\" , \"mc\" )") << "missed" << QByteArray();
        QTest::newRow("no list") << QByteArray("ERROR\r\n") << "" << QByteArray();
    }
    void listsTheBooksOffer()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, offered);
        QFETCH(QByteArray, dialledBook);
        const QStringList books = parseBooks(reply);
        QStringList words;
        for (List l : CallsAt::offered(books))
            words << word(l);
        QCOMPARE(words.join(u' '), offered);
        QCOMPARE(bookFor(List::Dialled, books).value_or(QByteArray()), dialledBook);
    }

    // What real phones answer to the questions of what they offer: a T28's
    // books, an Ericsson's, a Nokia's and a Sony Ericsson's stores, the sets; `want` is each list joined by blanks, lists by "|",
    // "-" for an answer that names nothing to read.
    void offers_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("want");
        QTest::newRow("T28 books") << QByteArray("+CPBS:")
                                   << QByteArray("AT+CPBS=?\r\r\n+CPBS: (\"FD\",\"EN\",\"SM\",\"ME\",\"DC\",\"RC\",\"MC\","
                                                 "\"LD\",\"ON\")\r\n\r\nOK\r\n")
                                   << "FD EN SM ME DC RC MC LD ON";
        QTest::newRow("Ericsson stores") << QByteArray("+CPMS:")
                                         << QByteArray("\r\n+CPMS: (\"ME\",\"SM\"),(\"ME\",\"SM\"),(\"ME\",\"SM\")\r\n")
                                         << "ME SM|ME SM|ME SM";
        QTest::newRow("Nokia stores") << QByteArray("+CPMS:") << QByteArray("+CPMS: (\"ME\",\"SM\"),(\"ME\",\"SM\"),(\"MT\")")
                                      << "ME SM|ME SM|MT";
        QTest::newRow("SE memories") << QByteArray("+CPMS:")
                                     << QByteArray("+CPMS: (\"MT\",\"IM\",\"OM\",\"BM\",\"DM\"),(\"OM\",\"DM\"),(\"IM\")")
                                     << "MT IM OM BM DM|OM DM|IM";
        QTest::newRow("sets") << QByteArray("+CSCS:") << QByteArray("+CSCS: (\"GSM\",\"IRA\",\"8859-1\",\"UTF-8\",\"UCS2\")")
                              << "GSM IRA 8859-1 UTF-8 UCS2";
        QTest::newRow("no brackets") << QByteArray("+CSCS:") << QByteArray("+CSCS: \"GSM\",\"UCS2\"\r\n") << "GSM UCS2";
        // A quote hides a bracket; odd items drop out, the rest stays.
        QTest::newRow("odd items") << QByteArray("+CPBS:") << QByteArray("+CPBS: (\"S)M\",\"\",\"ME\",\x01\"X\")") << "ME";
        QTest::newRow("refused") << QByteArray("+CPBS:") << QByteArray("AT+CPBS=?\r\r\nERROR\r\n") << "-";
    }
    void offers()
    {
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, reply);
        QFETCH(QString, want);
        const auto lists = CapabilityAt::parseLists(reply, prefix);
        QStringList got;
        for (const QStringList &l : lists.value_or(QList<QStringList>()))
            got << l.join(u' ');
        QCOMPARE(lists ? got.join(u'|') : QStringLiteral("-"), want);
    }

    void modesSerialAndReport()
    {
        using CapabilityAt::parseFormats;
        QCOMPARE(parseFormats("+CMGF: (0,1)"), std::optional(QList<int>{0, 1}));
        QCOMPARE(parseFormats("\r\n+CMGF: (0-1)\r\n"), std::optional(QList<int>{0, 1}));
        QCOMPARE(parseFormats("+CMGF: (0)"), std::optional(QList<int>{0}));
        QCOMPARE(parseFormats("+CMGF: (1)"), std::optional(QList<int>{1}));
        QCOMPARE(parseFormats("OK"), std::nullopt);
        QCOMPARE(CapabilityAt::parseIdentity("AT+CGSN\r\r\n520001234567897\r\n\r\nOK\r\n"),
                 std::optional(QByteArray("520001234567897")));
        QCOMPARE(CapabilityAt::parseIdentity("AT+CGSN\r\r\nERROR\r\n"), std::nullopt);

        // Asked and not named is lacking; not answered is unknown, never lacking.
        PhoneCapabilities caps;
        caps.imei = "520001234567897";
        caps.books = CapabilityAt::parseBooks("+CPBS: (\"SM\",\"DC\")");
        caps.formats = parseFormats("+CMGF: (1)");
        caps.bookSizes.insert(QStringLiteral("SM"), *PhonebookAt::parseRange("+CPBR: (1-250),20,18"));
        QCOMPARE(caps.book(QStringLiteral("ME")), Offer::No);
        QCOMPARE(caps.book(QStringLiteral("SM")), Offer::Yes);
        QCOMPARE(caps.store(QStringLiteral("ME")), Offer::Unknown);
        QCOMPARE(caps.pduMode(), Offer::No);
        QCOMPARE(caps.report(), (QStringList{
            "Phone: IMEI 520001234567897", "Phonebooks: SM, DC",
            "  SM (SIM): locations 1-250, numbers of 20, names of 18", "  DC (dialled calls): size unknown",
            "Message stores: unknown (the phone did not answer AT+CPMS=?)",
            "Character sets: unknown (the phone did not answer AT+CSCS=?)", "Message formats: text only"}));
        QCOMPARE(lackedBookText(QStringLiteral("ME")), QStringLiteral("The phone has no phone-memory book (ME)"));
    }

    void entriesOfARangeRead()
    {
        // NUL bytes after the reply, as later Ericsson models send them.
        const QByteArray reply = QByteArray("AT+CPBR=1,5\r\r\n+CPBR: 1,\"46701234567\",145,\"Anna\"\r\n"
                                            "+CPBR: 3,\"0701112233\",129,\"\",\"05/06/07,12:34:56\"\r\n"
                                            "+CPBR: 4,\"112\"\r\n+CPBR: x\r\n\r\nOK\r\n")
                                 + QByteArray(3, '\0');
        const QList<Entry> e = parseEntries(reply);
        QCOMPARE(e.size(), 3);
        QCOMPARE(e[0].number, QByteArray("+46701234567"));
        QCOMPARE(e[0].name, QByteArray("Anna"));
        QCOMPARE(e[1].location, 3);
        QCOMPARE(e[1].time, QByteArray("05/06/07,12:34:56"));
        QCOMPARE(e[2].number, QByteArray("112"));
        QCOMPARE(parseEntries(QByteArray("+CPBR: 2,\"1\",129,\"N\"") + '\0' + "\r\n").value(0).name, QByteArray("N"));
    }

    void selectedCounts()
    {
        QCOMPARE(parseSelected("+CPBS: \"MC\",3,10\r\n")->total, 10);
        // Some phones leave the counts out: the range comes from AT+CPBR=?.
        QVERIFY(!parseSelected("+CPBS: \"MC\"\r\n"));
    }

    void dialStrings_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("command"); // empty: refused
        QTest::newRow("international") << "+46 70-123 45 67" << QByteArray("ATD+46701234567;\r\n");
        QTest::newRow("codes and pauses") << "*31#0701P2w3" << QByteArray("ATD*31#0701p2w3;\r\n");
        QTest::newRow("second plus") << "+46+70" << QByteArray();
        QTest::newRow("injection") << "123;ATH\r" << QByteArray();
        QTest::newRow("quote") << "12\"3" << QByteArray();
        QTest::newRow("letters") << "0701ABC" << QByteArray();
        QTest::newRow("no digit") << "*#" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
    }
    void dialStrings()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, command);
        const auto number = dialNumber(typed);
        QCOMPARE(number ? dialCommand(*number) : QByteArray(), command);
    }

    void statusReplies()
    {
        using namespace StatusAt;
        QCOMPARE(signalText(*parseCsq("\r\n+CSQ: 21,99\r\n\r\nOK\r\n")), QStringLiteral("-71 dBm (4 of 5 bars)"));
        QCOMPARE(signalText(*parseCsq("+CSQ: 31,0")), QStringLiteral("-51 dBm (5 of 5 bars)"));
        QCOMPARE(signalText(*parseCsq("+CSQ: 0,0")), QStringLiteral("-113 dBm (0 of 5 bars)"));
        QCOMPARE(signalText(*parseCsq("+CSQ: 99,99")), QStringLiteral("no signal"));
        QVERIFY(!parseCsq("+CSQ: 45,0"));
        QVERIFY(!parseCsq("+CSQ: -1,0"));
        QCOMPARE(parseCbc("+CBC: 0,80\r\n"), std::optional<int>(80));
        QVERIFY(!parseCbc("+CBC: 0,180"));
        QVERIFY(!parseCbc("+CBC: 0"));
        QCOMPARE(parseCindBattery("+CIND: 4,3,0"), std::optional<int>(80));
        QCOMPARE(parseCindBattery("+CIND: 1,3,0", "+CIND: (\"signal\",(0-5)),(\"battchg\",(0-5))"),
                 std::optional<int>(60));
        QVERIFY(!parseCindBattery("+CIND: 1,3", "+CIND: (\"signal\",(0-5))"));
        QCOMPARE(parseCops("+COPS: 0,0,\"UK VODAFONE\"\r\n"), std::optional<QByteArray>("UK VODAFONE"));
        QVERIFY(!parseCops("+COPS: 0\r\n"));
        QCOMPARE(registrationText(*parseCreg("+CREG: 0,5")), QStringLiteral("roaming"));
        QCOMPARE(registrationText(*parseCreg("+CREG: 2,1,\"00C3\",\"0010\"")), QStringLiteral("home"));
        QCOMPARE(registrationText(*parseCreg("+CREG: 3")), QStringLiteral("denied"));
        QVERIFY(!parseCreg("+CREG: 0,9"));
        QCOMPARE(parseCpin("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"), std::optional<QByteArray>("SIM PUK"));
        QCOMPARE(lockIn("+CPIN: READY"), Lock::None);
        QCOMPARE(lockIn("AT+CPBS=\"SM\"\r\r\n+CME ERROR: 11\r\n"), Lock::Pin);
        QCOMPARE(lockIn("+CME ERROR: 12\r\n"), Lock::Puk);
        QCOMPARE(parseTriesLeft("+CPINR: SIM PIN,2,3\r\n+CPINR: SIM PUK,10,10\r\n", "SIM PUK"),
                 std::optional<int>(10));
        QCOMPARE(cmeText(*cmeCode("+CME ERROR: 16\r\n")), QStringLiteral("incorrect password"));
    }

    void pinCommandsTakeDigitsOnly()
    {
        QCOMPARE(StatusAt::pinCommand(QStringLiteral(" 1234 ")), std::optional<QByteArray>("AT+CPIN=\"1234\"\r\n"));
        QCOMPARE(StatusAt::pukCommand(QStringLiteral("12345678"), QStringLiteral("0000")),
                 std::optional<QByteArray>("AT+CPIN=\"12345678\",\"0000\"\r\n"));
        for (const char *bad : {"123", "123456789", "12\"4", "12\r34", "abcd"})
            QVERIFY2(!StatusAt::pinCommand(QString::fromLatin1(bad)), bad);
    }

    void maskHidesTheCodesInEveryChunking()
    {
        const QByteArray line = "AT+CGMI\r\nAT+CPIN=\"1234\"\r\r\nOK\r\nat+cpin=\"12345678\",\"4321\"\r\nAT+CPIN?\r\n"
                                "AT+CPIN=9876\r\n";
        const QByteArray shown = "AT+CGMI\r\nAT+CPIN=\"****\"\r\r\nOK\r\nat+cpin=\"****\",\"****\"\r\nAT+CPIN?\r\n"
                                 "AT+CPIN=****\r\n";
        for (int size : {1, 2, 3, 7, int(line.size())}) {
            SecretMask mask;
            QByteArray out;
            for (qsizetype i = 0; i < line.size(); i += size)
                out += mask.feed(line.mid(i, size));
            QCOMPARE(out, shown);
        }
    }
};

QTEST_GUILESS_MAIN(TestCoreCalls)
#include "tst_core_calls.moc"
