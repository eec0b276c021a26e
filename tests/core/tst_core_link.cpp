// SPDX-License-Identifier: GPL-2.0-or-later
// Number conversion, the reply idioms and the GSM information items, fed
// with replies as a T28 sends them (echo on: "AT+CGSN\r" then the answer).
#include <QtTest>

#include "core/at/Charset.h"
#include "core/at/NumberConversion.h"
#include "core/at/Quoted.h"
#include "core/at/ReplyParse.h"

namespace {
QByteArray echoed(const QByteArray &command, const QByteArray &line)
{
    return command + "\r\r\n" + line + "\r\n\r\nOK\r\n";
}
} // namespace

class TestCoreLink : public QObject {
    Q_OBJECT
private slots:
    void numberTophone_data();
    void numberTophone();
    void numberTophoneCutsAt255();
    void numberfromphone_data();
    void numberfromphone();
    void trimmedKeepsLatin1();
    void textItemsAfterEcho();
    void network_data();
    void network();
    void imei();
    void battery_data();
    void battery();
    void signal_data();
    void signal();
    void smsCentre_data();
    void smsCentre();
    void idiomsStayInsideTheReply();
    void charset();
    void quotedCannotLeaveItsQuotes();
};

void TestCoreLink::numberTophone_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("international with blanks and hyphens") << QByteArray("+46 70-123 45 67") << QByteArray("46701234567\",145");
    QTest::newRow("national with brackets") << QByteArray("(070) 123 45") << QByteArray("07012345\",129");
    QTest::newRow("empty") << QByteArray() << QByteArray("\",129");
    QTest::newRow("lone plus") << QByteArray("+") << QByteArray("\",145");
    QTest::newRow("letters only") << QByteArray("abc") << QByteArray("\",129");
    QTest::newRow("blank before plus is national") << QByteArray(" +4670") << QByteArray("+4670\",129");
    QTest::newRow("inner plus stays") << QByteArray("12+34") << QByteArray("12+34\",129");
    QTest::newRow("latin-1 letters dropped") << QByteArray("0\xE9" "7\xFF" "0") << QByteArray("070\",129");
}

void TestCoreLink::numberTophone()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, tail);
    QCOMPARE(::numberTophone(typed), tail);
}

void TestCoreLink::numberTophoneCutsAt255()
{
    // 255 digits survive; what lies beyond the working copy is dropped.
    const QByteArray typed = QByteArray(255, '1') + "999";
    QCOMPARE(::numberTophone(typed), QByteArray(255, '1') + "\",129");
    QCOMPARE(::numberTophone("+" + QByteArray(300, '2')), QByteArray(254, '2') + "\",145");
}

void TestCoreLink::numberfromphone_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("aborted");
    QTest::addColumn<QByteArray>("number");
    QTest::newRow("forwarding type 129") << echoed("AT+CCFC=0,2", "+CCFC: 1,1,\"0701234567\",129") << false << QByteArray("0701234567");
    QTest::newRow("forwarding type 145") << echoed("AT+CCFC=0,2", "+CCFC: 1,1,\"46701234567\",145") << false << QByteArray("+46701234567");
    QTest::newRow("empty number type 145") << echoed("AT*ESVM?", "*ESVM: 0,\"\",145") << false << QByteArray("+");
    QTest::newRow("already has plus") << echoed("AT*ESVM?", "*ESVM: 0,\"+4670\",145") << false << QByteArray("+4670");
    QTest::newRow("aborted") << echoed("AT*ESVM?", "*ESVM: 0,\"123\",129") << true << QByteArray();
    QTest::newRow("failed exchange") << QByteArray() << false << QByteArray();
    QTest::newRow("one quote only") << QByteArray("+CCFC: 1,1,\"0701\r\n\r\nOK\r\n") << false << QByteArray();
    QTest::newRow("no quote") << echoed("AT+CCFC=0,2", "+CCFC: 0,1") << false << QByteArray();
    QTest::newRow("closing quote beyond 255") << QByteArray("\"" + QByteArray(256, '1') + "\",129") << false << QByteArray();
    QTest::newRow("closing quote at 255") << QByteArray("\"" + QByteArray(254, '1') + "\",129") << false << QByteArray(254, '1');
}

void TestCoreLink::numberfromphone()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, aborted);
    QFETCH(QByteArray, number);
    QCOMPARE(::numberfromphone(reply, aborted), number);
}

void TestCoreLink::trimmedKeepsLatin1()
{
    QCOMPARE(Reply::trimmed(" \t\r\n\x01" "ab c\x7F\r\n "), QByteArray("ab c\x7F"));
    // Bytes above 0x7F are letters in Latin-1, not control characters.
    QCOMPARE(Reply::trimmed("\xE9t\xE9\xA0"), QByteArray("\xE9t\xE9\xA0"));
    QCOMPARE(Reply::trimmed("  \r\n"), QByteArray());
}

void TestCoreLink::textItemsAfterEcho()
{
    QCOMPARE(Reply::firstLine(Reply::textAfterEcho(echoed("AT+CGMM", "1130202-BVT28s"))), QByteArray("1130202-BVT28s"));
    QCOMPARE(Reply::firstLine(Reply::textAfterEcho(echoed("AT+CGMR", "990622 1022 PRGCXC125101"))),
             QByteArray("990622 1022 PRGCXC125101"));
    QCOMPARE(Reply::firstLine(Reply::textAfterEcho(echoed("AT+CGMI", "ERICSSON"))), QByteArray("ERICSSON"));
    // Echo off: the answer still starts after the first line feed.
    QCOMPARE(Reply::firstLine(Reply::textAfterEcho("\r\nERICSSON\r\n\r\nOK\r\n")), QByteArray("ERICSSON"));
    QCOMPARE(Reply::textAfterEcho(""), QByteArray());
    QCOMPARE(Reply::textAfterEcho("\n"), QByteArray());
    QCOMPARE(Reply::fixedColumns("abcdef", 2, 4), QByteArray("bcd"));
    QCOMPARE(Reply::fixedColumns("abc", 2, 40), QByteArray("bc"));
    QCOMPARE(Reply::fixedColumns("abc", 9, 27), QByteArray());
}

void TestCoreLink::network_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("quoted") << echoed("AT+COPS?", "+COPS: 0,0,\"Telia S\"") << true << QByteArray("Telia S");
    QTest::newRow("no quotes") << echoed("AT+COPS?", "+COPS: 0") << false << QByteArray();
    QTest::newRow("empty name") << echoed("AT+COPS?", "+COPS: 0,0,\"\"") << true << QByteArray();
    // An opening quote alone: the rest of the reply, first line only.
    QTest::newRow("one quote") << echoed("AT+COPS?", "+COPS: 0,0,\"Telia S") << true << QByteArray("Telia S");
    QTest::newRow("quote at the very end") << QByteArray("+COPS: 0,0,\"") << true << QByteArray();
}

void TestCoreLink::network()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, present);
    QFETCH(QByteArray, name);
    const auto got = Reply::network(reply);
    QCOMPARE(got.has_value(), present);
    if (present)
        QCOMPARE(*got, name);
}

void TestCoreLink::imei()
{
    const QByteArray reply = "AT+CGSN\r" + QByteArray("\r\n520001234567891\r\n\r\nOK\r\n");
    QCOMPARE(Reply::imei(reply).value_or("none"), QByteArray("520001234567891"));
    // Shorter than 24 characters: no value at all.
    const QByteArray shortReply = "AT+CGSN\r\r\n123\r\n\r\nOK\r\n";
    QVERIFY(shortReply.size() < 24);
    QVERIFY(!Reply::imei(shortReply));
    // A quoted IMEI: the part up to the first quote is blanked before the
    // columns are taken, the echo included.
    const QByteArray quoted = "AT+CGSN\r\r\n\"520001234567891\r\n\r\nOK\r\n";
    QCOMPARE(Reply::imei(quoted).value_or("none"), QByteArray("520001234567891"));
}

void TestCoreLink::battery_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("bar");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("80") << echoed("AT+CBC", "+CBC: 0,80") << true << 80 << true << 80;
    QTest::newRow("13") << echoed("AT+CBC", "+CBC: 0,13") << true << 13 << true << 13;
    QTest::newRow("100") << echoed("AT+CBC", "+CBC: 1,100") << true << 100 << true << 100;
    QTest::newRow("0") << echoed("AT+CBC", "+CBC: 0,0") << true << 0 << true << 0;
    QTest::newRow("101") << echoed("AT+CBC", "+CBC: 0,101") << true << 0 << false << 101;
    QTest::newRow("negative") << echoed("AT+CBC", "+CBC: 0,-5") << true << 0 << false << -5;
    QTest::newRow("garbage") << echoed("AT+CBC", "+CBC: 0,xy") << false << 0 << false << 0;
    QTest::newRow("digits and garbage") << echoed("AT+CBC", "+CBC: 0,8x") << false << 0 << false << 0;
    QTest::newRow("next field inside the three") << echoed("AT+CBC", "+CBC: 0,8,1") << false << 0 << false << 0;
    QTest::newRow("nothing after the comma") << QByteArray("+CBC: 0,") << false << 0 << false << 0;
    QTest::newRow("no comma") << echoed("AT+CBC", "+CBC: 0") << false << 0 << false << 0;
}

void TestCoreLink::battery()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, present);
    QFETCH(int, bar);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto got = Reply::battery(reply);
    QCOMPARE(got.has_value(), present);
    if (present) {
        QCOMPARE(got->bar, bar);
        QCOMPARE(got->valid, valid);
        QCOMPARE(got->value, value);
    }
}

void TestCoreLink::signal_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("bar");
    QTest::addColumn<char>("shown");
    QTest::newRow("1") << echoed("AT+CIND?", "+CIND: 5,1,1,0,0,0,0") << true << 1 << '1';
    QTest::newRow("5") << echoed("AT+CIND?", "+CIND: 5,5,1,0,0,0,0") << true << 5 << '5';
    QTest::newRow("9") << echoed("AT+CIND?", "+CIND: 5,9,1,0,0,0,0") << true << 0 << '9';
    QTest::newRow("x") << echoed("AT+CIND?", "+CIND: 5,x,1") << true << 0 << 'x';
    QTest::newRow("no comma") << echoed("AT+CIND?", "+CIND: 5") << false << 0 << char(0);
    QTest::newRow("comma last") << QByteArray("+CIND: 5,") << false << 0 << char(0);
}

void TestCoreLink::signal()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, present);
    QFETCH(int, bar);
    QFETCH(char, shown);
    const auto got = Reply::signal(reply);
    QCOMPARE(got.has_value(), present);
    if (present) {
        QCOMPARE(got->bar, bar);
        QCOMPARE(got->shown, shown);
    }
}

void TestCoreLink::smsCentre_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("centre");
    QTest::newRow("145 gets a plus") << echoed("AT+CSCA?", "+CSCA: \"12345\",145") << true << QByteArray("+12345");
    QTest::newRow("no second plus") << echoed("AT+CSCA?", "+CSCA: \"+46705008999\",145") << true << QByteArray("+46705008999");
    QTest::newRow("129 as it is") << echoed("AT+CSCA?", "+CSCA: \"0705008999\",129") << true << QByteArray("0705008999");
    QTest::newRow("no type") << echoed("AT+CSCA?", "+CSCA: \"0705008999\"") << true << QByteArray("0705008999");
    QTest::newRow("no quotes") << echoed("AT+CSCA?", "+CSCA: 0") << false << QByteArray();
    QTest::newRow("unclosed quote") << QByteArray("+CSCA: \"4670") << true << QByteArray("4670");
    QTest::newRow("blank-padded number") << echoed("AT+CSCA?", "+CSCA: \" 4670 \",145") << true << QByteArray("+4670");
}

void TestCoreLink::smsCentre()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, present);
    QFETCH(QByteArray, centre);
    const auto got = Reply::smsCentre(reply);
    QCOMPARE(got.has_value(), present);
    if (present)
        QCOMPARE(*got, centre);
}

void TestCoreLink::idiomsStayInsideTheReply()
{
    QVERIFY(!Reply::charAfter("abc", 'x'));
    QVERIFY(!Reply::charAfter("a:", ':', 2));
    QCOMPARE(Reply::charAfter("+CCWA: 1,1", ':', 2).value_or('?'), '1');
    QCOMPARE(Reply::textAfter("+CBC: 0,8", ',', 3), QByteArray("8"));
    QCOMPARE(Reply::textAfter("abc", ',', 3), QByteArray());
    QCOMPARE(Reply::quotedField("no quotes"), QByteArray());
    QCOMPARE(Reply::firstLine("one\rtwo"), QByteArray("one"));
}

void TestCoreLink::charset()
{
    QCOMPARE(toPhoneText(QStringLiteral("Hej \u00E9\u00FF")), QByteArray("Hej \xE9\xFF"));
    QCOMPARE(toPhoneText(QStringLiteral("5\u20AC")), QByteArray("5?"));
    // A character outside the BMP is one character, one "?".
    QCOMPARE(toPhoneText(QString::fromUtf8("a\xF0\x9F\x98\x80" "b")), QByteArray("a?b"));
    QCOMPARE(fromPhoneText("\xE9t\xE9"), QStringLiteral("\u00E9t\u00E9"));
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all.append(char(c));
    QCOMPARE(toPhoneText(fromPhoneText(all)), all);
}

void TestCoreLink::quotedCannotLeaveItsQuotes()
{
    const struct {
        QByteArray in, out;
    } cases[] = {
        {"Anna \xe5", "Anna \xe5"},                       // Latin-1 letters stay
        {"Bo\"\r\nAT+CPBW=1\r", "BoAT+CPBW=1"},         // no closing quote, no new command
        {QByteArray("a\x1a" "b\x1b" "c\x00" "d\x7f", 8), "abcd"}, // Ctrl-Z, ESC, NUL, DEL
        {"\t+46 70\n", "+46 70"},
    };
    for (const auto &c : cases)
        QCOMPARE(quoted(c.in), c.out);
}

QTEST_GUILESS_MAIN(TestCoreLink)
#include "tst_core_link.moc"
