// SPDX-License-Identifier: GPL-2.0-or-later
// The SMS-SUBMIT builder and the binary-mode frames, byte for byte.
#include <QtTest>

#include <random>

#include "core/at/ReplyParse.h"
#include "core/messaging/BinaryFrames.h"
#include "core/messaging/IcqNumbers.h"
#include "core/messaging/PduBuilder.h"
#include "core/messaging/SmsDecode.h"

namespace {
QByteArray bytes(const char *hexText)
{
    return QByteArray::fromHex(hexText);
}

Pdu::Address address(const QByteArray &number)
{
    const std::optional<Pdu::Address> a = Pdu::encodeNumber(number);
    if (!a)
        qWarning("number %s refused", number.constData());
    return a.value_or(Pdu::Address());
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
    void messages_data();
    void messages();
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
    const Pdu::Address a = address("+123456789");
    const Pdu::UserData abc = Pdu::encodeMessage(QStringLiteral("abc"), 0).value(0);
    QVERIFY(a.international);
    QCOMPARE(a.digitCount, 9);
    QCOMPARE(a.octets, bytes("21436587F9"));
    QCOMPARE(abc.octets, bytes("61F118"));
    QCOMPARE(Pdu::hex(Pdu::submitPdu(a, abc, false)), QByteArray("001100099121436587F90000C40361F118"));
    QCOMPARE(Pdu::tpduLength(a, abc), 16);

    const Pdu::Address b = address("0123456");
    const Pdu::UserData hi = Pdu::encodeMessage(QStringLiteral("Hi @ $5"), 0).value(0);
    QVERIFY(!b.international);
    QCOMPARE(Pdu::hex(Pdu::submitPdu(b, hi, true)), QByteArray("0091000781103254F60000C407C834080012D400"));
    QCOMPARE(Pdu::tpduLength(b, hi), 19);

    // UCS-2: DCS 08, the length in octets.
    const Pdu::UserData ru = Pdu::encodeMessage(QStringLiteral("Да"), 0).value(0);
    QCOMPARE(Pdu::hex(Pdu::submitPdu(a, ru, false)), QByteArray("001100099121436587F90008C40404140430"));
    // A part of a long message: TP-UDHI, the header, one fill bit, then 153 septets.
    const QList<Pdu::UserData> parts = Pdu::encodeMessage(QString(161, QLatin1Char('x')), 0xA7);
    QCOMPARE(parts.size(), 2);
    QCOMPARE(Pdu::hex(Pdu::submitPdu(a, parts[1], false)), QByteArray("005100099121436587F90000C40F050003A70202F0783C1E8FC7E301"));
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
    // The first 20 characters hold two digits only.
    QTest::newRow("digits past the cut") << QByteArray("12" + QByteArray(18, ' ') + "345") << false << false
                                         << QByteArray() << 2;
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
    const std::optional<Pdu::Address> a = Pdu::encodeNumber(number);
    QCOMPARE(a.has_value(), accepted);
    if (accepted) {
        QCOMPARE(a->digitCount, digits);
        QCOMPARE(a->international, international);
        QCOMPARE(a->octets, octets);
        // The PDU never carries a byte of padding alone.
        QVERIFY(!a->octets.contains('\xFF'));
    }
}

void TestCorePdu::bookItemAndIcq()
{
    // A book item: ten digits padded to 16, " - ", a name.
    const Pdu::Address s = address(Reply::trimmed("0701234567       - Anna"));
    QVERIFY(!s.international);
    QCOMPARE(s.digitCount, 10);
    QCOMPARE(s.octets, bytes("7010325476"));
    QCOMPARE(Pdu::submitPdu(s, Pdu::encodeMessage(QStringLiteral("a"), 0).value(0), false).at(4), char(0x81));

    const QByteArray gateway = IcqNumbers::defaultGateway(); // "+447781484000" padded
    QCOMPARE(Pdu::icqRecipient("12345678  - Bob", gateway).value_or("none"), QByteArray("+44778148400012345678"));
    // Only the first ten characters are looked at.
    QCOMPARE(Pdu::icqRecipient("1234567890123 - X", gateway).value_or("none"), QByteArray("+4477814840001234567890"));
    QVERIFY(!Pdu::icqRecipient("1 - Bob", gateway));
    QVERIFY(!Pdu::icqRecipient("          123", gateway));

    const Pdu::Address icq = address(*Pdu::icqRecipient("12345678  - Bob", gateway));
    QVERIFY(icq.international);
    // The gateway's 12 digits, then the ICQ number until the 20-character cut.
    QCOMPARE(icq.digitCount, 19);
    QCOMPARE(icq.octets, bytes("447718840400214365F7"));
}

void TestCorePdu::messages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ucs2");
    QTest::addColumn<int>("used");
    QTest::addColumn<QList<int>>("lengths"); // TP-UDL of each part
    QString everyGsm;
    for (const char16_t c : u"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?¡ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                            u"ÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
        if (c)
            everyGsm += QChar(c);
    const QString extension = QStringLiteral("€[]{}\\~^|\f");
    const QString x = QStringLiteral("x");
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QTest::newRow("abc") << QStringLiteral("abc") << false << 3 << QList<int>{3};
    QTest::newRow("every default character") << everyGsm << false << 127 << QList<int>{127};
    QTest::newRow("extension counts two") << extension << false << 20 << QList<int>{20};
    QTest::newRow("line ends") << QStringLiteral("a\r\nb") << false << 4 << QList<int>{4};
    QTest::newRow("160 in one") << x.repeated(160) << false << 160 << QList<int>{160};
    QTest::newRow("161 in two") << x.repeated(161) << false << 161 << QList<int>{160, 15};
    QTest::newRow("159 and a euro") << x.repeated(159) + QStringLiteral("€") << false << 161 << QList<int>{160, 15};
    // The euro's escape would be septet 153: the pair goes to the next part.
    QTest::newRow("escape pair kept whole") << x.repeated(152) + QStringLiteral("€") + x.repeated(10) << false << 164
                                            << QList<int>{159, 19};
    QTest::newRow("six parts") << x.repeated(918) << false << 918 << QList<int>(6, 160);
    QTest::newRow("seven parts") << x.repeated(919) << false << 919 << QList<int>{160, 160, 160, 160, 160, 160, 8};
    QTest::newRow("c cedilla is not in the table") << QStringLiteral("ç") << true << 1 << QList<int>{2};
    QTest::newRow("a control character") << QStringLiteral("a\x1a") << true << 2 << QList<int>{4};
    QTest::newRow("Cyrillic and emoji") << QStringLiteral("Привет ") + emoji << true << 9 << QList<int>{18};
    QTest::newRow("70 in one") << QStringLiteral("Ж").repeated(70) << true << 70 << QList<int>{140};
    QTest::newRow("71 in two") << QStringLiteral("Ж").repeated(71) << true << 71 << QList<int>{140, 14};
    // Unit 67 would be the first half of an emoji: it moves on whole.
    QTest::newRow("surrogate pair kept whole") << emoji.repeated(36) << true << 72 << QList<int>{138, 18};
    QTest::newRow("402 in six") << QStringLiteral("Ж").repeated(402) << true << 402 << QList<int>(6, 140);
}

// Each case encoded, then read back by the program's own message reader:
// the parts in order make the text again, each under its header.
void TestCorePdu::messages()
{
    QFETCH(QString, text);
    QFETCH(bool, ucs2);
    QFETCH(int, used);
    QFETCH(QList<int>, lengths);
    const Pdu::Plan plan = Pdu::plan(text);
    QCOMPARE(plan.ucs2, ucs2);
    QCOMPARE(plan.used, used);
    QCOMPARE(plan.parts, lengths.size());
    QCOMPARE(plan.fits(), lengths.size() <= Pdu::MaxParts);
    const int single = ucs2 ? Pdu::SingleUnits : Pdu::SingleSeptets;
    QCOMPARE(plan.capacity, lengths.size() == 1 ? single : int(lengths.size()) * (ucs2 ? Pdu::PartUnits : Pdu::PartSeptets));

    const QList<Pdu::UserData> parts = Pdu::encodeMessage(text, 0x5C);
    const Pdu::Address a = address("+4670123");
    QString joined;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const Pdu::UserData &p = parts[i];
        QCOMPARE(p.length, lengths[i]);
        QCOMPARE(p.ucs2, ucs2);
        QCOMPARE(p.header, parts.size() > 1);
        const QByteArray pdu = Pdu::submitPdu(a, p, false);
        const DecodedSms d = SmsDecode::decode(Pdu::hex(pdu), Pdu::tpduLength(a, p));
        QCOMPARE(d.kind, DecodedSms::Submit);
        if (parts.size() > 1) {
            QCOMPARE(p.octets.left(6), QByteArray::fromHex("0500035C") + char(parts.size()) + char(i + 1));
            QCOMPARE(d.reference, 0x5C);
            QCOMPARE(d.total, int(parts.size()));
            QCOMPARE(d.part, int(i + 1));
        }
        joined += d.text;
    }
    QCOMPARE(joined, text);
}

void TestCorePdu::packingMatchesGroupLayout()
{
    // Letters and digits are their own septets.
    const QByteArray alphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    std::mt19937 rng(2003);
    for (int round = 0; round < 200; ++round) {
        QByteArray septets;
        const int len = 1 + int(rng() % 160);
        for (int i = 0; i < len; ++i)
            septets.append(alphabet[rng() % alphabet.size()]);
        const Pdu::UserData t = Pdu::encodeMessage(QString::fromLatin1(septets), 0).value(0);
        QCOMPARE(t.length, len);
        QCOMPARE(t.octets, packByGroups(septets).left((7 * len + 7) / 8));
    }
}

void TestCorePdu::frames()
{
    QCOMPARE(Frames::centreQuery(), bytes("02024151"));

    QCOMPARE(Frames::submit(Pdu::submitPdu(address("+123456789"), Pdu::encodeMessage(QStringLiteral("abc"), 0).value(0), false)),
             bytes("021541070302001100099121436587F90000C40361F118"));

    const QByteArray set = Frames::centreSet(address("+12345"));
    QCOMPARE(set, bytes("0207425104912143F5"));
    // The set frame's body has the shape of the query reply.
    QCOMPARE(Frames::centreText(set.mid(2)), QByteArray(" +12345"));

    const QByteArray national = Frames::centreSet(address("0705008999"));
    QCOMPARE(national, bytes("0209425106817050009899"));
    QCOMPARE(Frames::centreText(national.mid(2)), QByteArray(" 0705008999"));
}

void TestCorePdu::longSubmitFrame()
{
    const Pdu::Address a = address("+123456789012");
    QCOMPARE(int(a.octets.size()), 6);
    const QByteArray frame = Frames::submit(Pdu::submitPdu(a, Pdu::encodeMessage(QString(160, QLatin1Char('x')), 0).value(0), true));
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
