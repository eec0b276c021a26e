// SPDX-License-Identifier: GPL-2.0-or-later
// The SMS-SUBMIT builder and the binary-mode frames, byte for byte.
#include <QtTest>

#include <algorithm>
#include <random>

#include "core/at/ReplyParse.h"
#include "core/messaging/BinaryFrames.h"
#include "core/messaging/PduBuilder.h"

namespace {
QByteArray bytes(const char *hexText)
{
    return QByteArray::fromHex(hexText);
}

QByteArray address(const MessagingState &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.AddressOctets.data()), s.AddressOctetCount);
}

QByteArray userData(const MessagingState &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.UserData.data()), s.UserDataOctetCount);
}

MessagingState encoded(const QByteArray &number, const QByteArray &text)
{
    MessagingState s;
    s.NumberText = number;
    if (!Pdu::encodeNumber(s))
        qWarning("number %s refused", number.constData());
    Pdu::encodeText(s, text);
    return s;
}

// The packing written the way GSM 03.38 lays it out, group by group, to
// check the encoder against something built differently.
QByteArray packByGroups(const QByteArray &septetsIn)
{
    QByteArray s = septetsIn.leftJustified(160, '\0');
    QByteArray out;
    for (int g = 0; g < 160; g += 8) {
        auto v = [&](int i) { return unsigned(static_cast<unsigned char>(s[g + i])); };
        out.append(char(v(0) | (v(1) & 1) << 7));
        out.append(char(v(1) >> 1 | (v(2) & 3) << 6));
        out.append(char(v(2) >> 2 | (v(3) & 7) << 5));
        out.append(char(v(3) >> 3 | (v(4) & 0xF) << 4));
        out.append(char(v(4) >> 4 | (v(5) & 0x1F) << 3));
        out.append(char(v(5) >> 5 | (v(6) & 0x3F) << 2));
        out.append(char(v(6) >> 6 | v(7) << 1));
    }
    return out;
}
} // namespace

class TestCorePdu : public QObject {
    Q_OBJECT
private slots:
    void workedExamples();
    void numberRules_data();
    void numberRules();
    void bookItemAndIcq();
    void textMapping();
    void textLengths();
    void packingMatchesGroupLayout();
    void frames();
    void longSubmitFrame();
    void restoreFrame();
    void judgeSubmitReply();
    void centreText_data();
    void centreText();
};

void TestCorePdu::workedExamples()
{
    MessagingState a = encoded("+123456789", "abc");
    QVERIFY(a.International);
    QCOMPARE(int(a.DigitCount), 9);
    QCOMPARE(address(a), bytes("21436587F9"));
    QCOMPARE(userData(a), bytes("61F118"));
    QCOMPARE(Pdu::hex(Pdu::submitPdu(a, false)), QByteArray("001100099121436587F90000C40361F118"));
    QCOMPARE(Pdu::tpduLength(a), 16);

    MessagingState b = encoded("0123456", "Hi @ $5");
    QVERIFY(!b.International);
    QCOMPARE(Pdu::hex(Pdu::submitPdu(b, true)), QByteArray("0091000781103254F60000C407C834080012D400"));
    QCOMPARE(Pdu::tpduLength(b), 19);
}

void TestCorePdu::numberRules_data()
{
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("international");
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<int>("digits");
    QTest::newRow("+1 refused") << QByteArray("+1") << false << true << QByteArray() << 1;
    QTest::newRow("12 refused") << QByteArray("12") << false << false << QByteArray() << 2;
    QTest::newRow("1 refused") << QByteArray("1") << false << false << QByteArray() << 0;
    QTest::newRow("letters refused") << QByteArray("abcdef") << false << false << QByteArray() << 0;
    QTest::newRow("123 accepted") << QByteArray("123") << true << false << bytes("21F3") << 3;
    QTest::newRow("even count, no padding byte") << QByteArray("+1234") << true << true << bytes("2143") << 4;
    QTest::newRow("punctuation skipped") << QByteArray("+46 (70) 12-34") << true << true << bytes("64072143") << 8;
    QTest::newRow("inner plus is no digit") << QByteArray("12+34") << true << false << bytes("2143") << 4;
    // Cut to 20 characters before the "+" goes: 19 digits.
    QTest::newRow("international cut") << QByteArray("+1234567890123456789012") << true << true
                                       << bytes("214365870921436587F9") << 19;
    QTest::newRow("national cut") << QByteArray("123456789012345678901234") << true << false
                                  << bytes("21436587092143658709") << 20;
}

void TestCorePdu::numberRules()
{
    QFETCH(QByteArray, number);
    QFETCH(bool, accepted);
    QFETCH(bool, international);
    QFETCH(QByteArray, octets);
    QFETCH(int, digits);
    MessagingState s;
    s.NumberText = number;
    QCOMPARE(Pdu::encodeNumber(s), accepted);
    QCOMPARE(int(s.DigitCount), digits);
    QVERIFY(s.NumberText.size() <= 20);
    if (accepted) {
        QCOMPARE(s.International, international);
        QCOMPARE(address(s), octets);
        // The PDU never carries a byte of padding alone.
        QVERIFY(!address(s).contains('\xFF'));
    }
}

void TestCorePdu::bookItemAndIcq()
{
    // A book item: ten digits padded to 16, " - ", a name.
    MessagingState s;
    s.NumberText = Reply::trimmed("0701234567       - Anna");
    QVERIFY(Pdu::encodeNumber(s));
    QVERIFY(!s.International);
    QCOMPARE(int(s.DigitCount), 10);
    QCOMPARE(address(s), bytes("7010325476"));
    QCOMPARE(Pdu::submitPdu(s, false).at(4), char(0x81));

    const QByteArray gateway = MessagingState::defaultIcqGateway(); // "+447781484000" padded
    QCOMPARE(Pdu::icqRecipient("12345678  - Bob", gateway).value_or("none"), QByteArray("+44778148400012345678"));
    // Only the first ten characters are looked at.
    QCOMPARE(Pdu::icqRecipient("1234567890123 - X", gateway).value_or("none"), QByteArray("+4477814840001234567890"));
    QVERIFY(!Pdu::icqRecipient("1 - Bob", gateway));
    QVERIFY(!Pdu::icqRecipient("          123", gateway));

    MessagingState icq;
    icq.NumberText = *Pdu::icqRecipient("12345678  - Bob", gateway);
    QVERIFY(Pdu::encodeNumber(icq));
    QVERIFY(icq.International);
    // The gateway's 12 digits, then the ICQ number until the 20-character cut.
    QCOMPARE(icq.NumberText, QByteArray("+4477814840001234567"));
    QCOMPARE(int(icq.DigitCount), 19);
    QCOMPARE(address(icq), bytes("447718840400214365F7"));
}

void TestCorePdu::textMapping()
{
    MessagingState s;
    Pdu::encodeText(s, "@");
    QCOMPARE(userData(s), bytes("00"));
    QCOMPARE(s.TextLength, 1);
    Pdu::encodeText(s, "$");
    QCOMPARE(userData(s), bytes("02"));
    Pdu::encodeText(s, "\xE9");
    QCOMPARE(userData(s), bytes("69"));
    // Line breaks count as characters and go as they are.
    Pdu::encodeText(s, "a\r\nb");
    QCOMPARE(s.TextLength, 4);
    QCOMPARE(userData(s), packByGroups(QByteArray("a\r\nb")).left(4));
    // Nothing of an earlier, longer text is left behind.
    Pdu::encodeText(s, QByteArray(160, 'z'));
    Pdu::encodeText(s, "a");
    QCOMPARE(userData(s), bytes("61"));
    QVERIFY(std::all_of(s.UserData.begin() + 1, s.UserData.end(), [](auto b) { return b == 0; }));
}

void TestCorePdu::textLengths()
{
    const std::pair<int, int> cases[] = {{1, 1}, {2, 2}, {7, 7}, {8, 7}, {9, 8}, {159, 140}, {160, 140}};
    for (auto [len, octets] : cases) {
        MessagingState s;
        Pdu::encodeText(s, QByteArray(len, 'x'));
        QCOMPARE(int(s.UserDataOctetCount), octets);
        QCOMPARE(s.TextLength, len);
    }
    MessagingState s = encoded("+123456789012", QByteArray(170, 'x'));
    QCOMPARE(s.TextLength, 160);
    QCOMPARE(int(s.UserDataOctetCount), 140);
    const QByteArray pdu = Pdu::submitPdu(s, false);
    QCOMPARE(pdu.at(8 + s.AddressOctetCount), char(0xA0));
    QCOMPARE(pdu.size(), 9 + 6 + 140);
}

void TestCorePdu::packingMatchesGroupLayout()
{
    std::mt19937 rng(2003);
    for (int round = 0; round < 200; ++round) {
        QByteArray text;
        const int len = int(rng() % 161);
        QByteArray septets;
        for (int i = 0; i < len; ++i) {
            const auto c = static_cast<unsigned char>(rng() % 256);
            text.append(char(c));
            septets.append(char(c == '@' ? 0 : c == '$' ? 2 : (c & 0x7F)));
        }
        MessagingState s;
        Pdu::encodeText(s, text);
        QCOMPARE(userData(s), packByGroups(septets).left(s.UserDataOctetCount));
    }
}

void TestCorePdu::frames()
{
    QCOMPARE(Frames::centreQuery(), bytes("02024151"));

    MessagingState a = encoded("+123456789", "abc");
    QCOMPARE(Frames::submit(Pdu::submitPdu(a, false)),
             bytes("021541070302001100099121436587F90000C40361F118"));

    MessagingState c;
    c.NumberText = "+12345";
    QVERIFY(Pdu::encodeNumber(c));
    const QByteArray set = Frames::centreSet(c);
    QCOMPARE(set, bytes("0207425104912143F5"));
    // The set frame's body has the shape of the query reply.
    QCOMPARE(Frames::centreText(set.mid(2)), QByteArray(" +12345"));

    c.NumberText = "0705008999";
    QVERIFY(Pdu::encodeNumber(c));
    QCOMPARE(Frames::centreSet(c), bytes("0209425106817050009899"));
    QCOMPARE(Frames::centreText(Frames::centreSet(c).mid(2)), QByteArray(" 0705008999"));
}

void TestCorePdu::longSubmitFrame()
{
    MessagingState s = encoded("+123456789012", QByteArray(160, 'x'));
    QCOMPARE(int(s.AddressOctetCount), 6);
    const QByteArray frame = Frames::submit(Pdu::submitPdu(s, true));
    QCOMPARE(static_cast<unsigned char>(frame.at(1)), 159);
    QCOMPARE(frame.size(), 2 + 159);
}

void TestCorePdu::restoreFrame()
{
    const QByteArray saved = bytes("425106912143658709");
    QCOMPARE(Frames::restore(saved), bytes("0209") + saved);
    // The third byte claims more than was received: the length byte follows
    // the bytes actually sent.
    const QByteArray shortBody = bytes("4251099121");
    QCOMPARE(Frames::restore(shortBody), bytes("0205") + shortBody);
    const QByteArray tiny = bytes("42");
    QCOMPARE(Frames::restore(tiny), bytes("020142"));
}

void TestCorePdu::judgeSubmitReply()
{
    QCOMPARE(Frames::judgeSubmitReply(bytes("0025")), Frames::Outcome::Sent);
    QCOMPARE(Frames::judgeSubmitReply(bytes("0026")), Frames::Outcome::Failed);
    QCOMPARE(Frames::judgeSubmitReply(bytes("0027")), Frames::Outcome::Unknown);
    QCOMPARE(Frames::judgeSubmitReply(bytes("25")), Frames::Outcome::Unknown);
    QCOMPARE(Frames::judgeSubmitReply(QByteArray()), Frames::Outcome::Unknown);
}

void TestCorePdu::centreText_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("worked example") << bytes("425104912143F5") << QByteArray(" +12345");
    QTest::newRow("type 81") << bytes("425104812143F5") << QByteArray(" 12345");
    QTest::newRow("even digits") << bytes("42510391214300") << QByteArray(" +1234");
    QTest::newRow("length beyond the body") << bytes("42510991214365") << QByteArray(" +123456");
    QTest::newRow("k zero") << bytes("4251009121") << QByteArray(" +");
    QTest::newRow("three bytes") << bytes("425104") << QByteArray(" ");
    QTest::newRow("not BQ") << bytes("41510491214365") << QByteArray();
    QTest::newRow("two bytes") << bytes("4251") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestCorePdu::centreText()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, text);
    QCOMPARE(Frames::centreText(body), text);
}

QTEST_GUILESS_MAIN(TestCorePdu)
#include "tst_core_pdu.moc"
