// SPDX-License-Identifier: GPL-2.0-or-later
// A few thousand pseudo-random and mutated inputs through the fuzz entry, so
// the sanitizer build exercises the parsers without libFuzzer. Fixed seed:
// a failure here reproduces.
#include <QtTest>

#include <random>
#include <vector>

#include "FuzzCoreEntry.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/IcqNumbers.h"

namespace {
std::vector<QByteArray> seeds()
{
    QByteArray book = BookFile::newImage(IcqNumbers::defaultCentre(), IcqNumbers::defaultGateway());
    book.replace(0, 36, QByteArray("+46701234567    Anna").leftJustified(36, ' '));
    return {
        "AT+COPS?\r\r\n+COPS: 0,0,\"Telia S\"\r\n\r\nOK\r\n",
        "AT+CGSN\r\r\n520001234567891\r\n\r\nOK\r\n",
        "AT+CBC\r\r\n+CBC: 0,80\r\n\r\nOK\r\n",
        "AT+CIND?\r\r\n+CIND: 5,3,1,0,0,0,0\r\n\r\nOK\r\n",
        "AT+CSCA?\r\r\n+CSCA: \"46705008999\",145\r\n\r\nOK\r\n",
        "+CCFC: 1,1,\"0701234567\",129\r\n",
        "AT+CPBR=2\r\r\n+CPBR: 2,\"46701234567\",145,\"Anna\"\r\n\r\nOK\r\n",
        "+46 (70) 123-45 67",
        "AT*EPRW=?\r\r\n*EPRW: (1-10),(129,145),(1-3,5,31-34)\r\n\r\nOK\r\n",
        "AT*EPRR=1\r\r\n*EPRR: 1,\"46701234567\",145,12\r\n\r\nOK\r\n",
        QByteArray::fromHex("425104912143F5"),
        QByteArray::fromHex("0025"),
        book,
        book.left(740),
        book.left(720) + QByteArray(1, '\0'), // a port byte of 0
        "001:Anna\r\n+46701234567\r\n003:Bob\n123\r120:\r\n\r\n\x1A\r\n",
        "Nokia:d=4,o=5,b=225:8e6,8d6,f#,g#,8c#6,8b,d,e,8b,8a,c#,e,2a\r\nx:d=8,o=6,b=225:4c7,8p,8d#.\nTune|+#Cp",
        "BEGIN:EMELODY\r\nVERSION:1.0\r\nNAME:Tune\r\nMELODY:c+#D(b)ep\r\n fg\r\nEND:EMELODY\r\nBEGIN:EMELODY\r\n",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;QUOTED-PRINTABLE:=C3=85sa M=\r\n=C3=BCller\r\n"
        "TEL;CELL:+46 70\r\nTEL;VALUE=uri;TYPE=\"home\":tel:+1-555;ext=1\r\nX-MIRVAK-LOCATION:7\r\n"
        "N:Ek;Bo;;;\r\n folded\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:x\r\n",
        "\xEF\xBB\xBFName,Given Name,Phone 1 - Type,Phone 1 - Value,Location,Mobile Phone\r\n"
        "\"A, \"\"B\"\"\",A,Mobile,+46 70 ::: 08-1,7,0705P1W2\r\n\"open\r\n,,,,1,2\r\n",
        "AT+CMGL=4\r\r\n+CMGL: 2,3,,28\r\n0011000B916407214365F70000AA10D37219947FD741613AA89C3EA3E9\r\n\r\nOK\r\n",
        "\r\n+CMGR: 0,,36\r\n07916407058099F9440B912121550501F000086210203040500A170608041234030100480065006A0020"
        "D83DDE00002000E5\r\n\r\nOK\r\n",
        QByteArray::fromHex("440B916407214365F7000062216071055040320500032A0202826E3288FC06B9DF7490F92D3F97E9"),
        // Every character of the extension table.
        "AT+CMGR=7\r\r\n+CMGR: 0,,36\r\n07916407058099F9040A81701011223300006221708030004024C3F79C3E07D5366"
        "5D086F75E6F7CA00D0ABF498136BD0D6503DCBC40E4B7BB0C\r\n\r\nOK\r\n",
        // Both parts of one message, to be joined.
        "AT+CMGL=4\r\r\n+CMGL: 1,1,,155\r\n"
        "07916407058099F9440B916407214365F70000622160710500409B0500032A0201906950D0ED0E83D065793904A2A2CB20BA"
        "3C9C7683D273103B4C2F83C2E770DACD02CDDFA024E89E66B341E232284C07D1D165D09C1EA6A7DF6E5058FEAEBBC9207498"
        "6D06C1C3733A689EC683D2EE39BD1C26BB40C3779D4D06E5DF75103C3D5E83EA7090585E0E9341613719D44EB3D7A0B71B94"
        "7FD7E5A07B380F42BFDBE51F08"
        "\r\n+CMGL: 2,1,,63\r\n"
        "07916407058099F9440B916407214365F7000062216071055040320500032A0202826E3288FC06B9DF7490F92D3F97E9203A"
        "BA0CA2A7C7EB327D0E32BFE5A069985E9793C37917"
        "\r\n\r\nOK\r\n",
        "ModemManager\n/usr/sbin/ModemManager\0--debug\0",
        "AT+CPBR=?\r\r\n+CPBR: (1-250),20,18\r\n\r\nOK\r\n",
        "+CPBS: (\"SM\",\"LD\",\"MC\")\r\n+CPBR: 1,\"+4670\",145,\"A\",\"05/06/07,12:34:56\"\r\n\0\0",
        "+CSQ: 21,99\r\n+CBC: 0,80\r\n+CREG: 0,5\r\n+CPIN: SIM PIN\r\n+CPINR: SIM PIN,2,3\r\nAT+CPIN=\"1234\",\"5\"",
        // A backup of a SIM book, its checksum no longer matching.
        "{\"format\":\"mirvak-backup\",\"sections\":{\"sim\":{\"entries\":[{\"location\":1,\"name\":\"Anna\",\"nameHex\":"
        "\"416e6e61\",\"number\":\"+46701234567\",\"type\":145}],\"limits\":{\"last\":10,\"numberLength\":40},\"status\":\"ok\"},"
        "\"settings\":{\"status\":\"ok\",\"values\":{\"volume\":\"3\"},\"forwarding\":[{\"reason\":\"busy\",\"class\":\"voice\","
        "\"number\":\"+4670\"}],\"callWaiting\":true},\"phone\":{\"status\":\"failed\",\"reason\":\"aborted\"}},\"version\":1,"
        "\"sha256\":\"5b8d482e4f2c68d56446b863c7ba952eb794139b84326f1027ae232bde1db113\"}",
        "AT+CPBR=1,10\r\r\n+CPBR: 1,\"+4670\",145,\"A \"quoted\" name\"\r\n+CPBR: 3,\"070\",129,\"\"\r\n\r\nOK\r\n",
        QByteArray(),
    };
}

QByteArray mutate(QByteArray in, std::mt19937 &rng)
{
    static const char specials[] = {'"', ',', '\n', '\r', '+', '\0', '\x1A', '\xFF', 'B', 'Q', '\x91'};
    const int edits = 1 + int(rng() % 8);
    for (int e = 0; e < edits; ++e) {
        const qsizetype pos = in.isEmpty() ? 0 : qsizetype(rng() % in.size());
        switch (rng() % 6) {
        case 0:
            if (!in.isEmpty())
                in[pos] = char(rng());
            break;
        case 1:
            in.insert(pos, specials[rng() % sizeof specials]);
            break;
        case 2:
            in.truncate(pos);
            break;
        case 3:
            in.remove(pos, qsizetype(rng() % 16));
            break;
        case 4:
            in.insert(pos, in.mid(qsizetype(rng() % (in.size() + 1)), qsizetype(rng() % 64)));
            break;
        default:
            if (!in.isEmpty())
                in[pos] = specials[rng() % sizeof specials];
            break;
        }
    }
    return in;
}

void feed(const QByteArray &in)
{
    mirvakFuzzCoreOne(reinterpret_cast<const std::uint8_t *>(in.constData()), std::size_t(in.size()));
}
} // namespace

class TestCoreFuzzSmoke : public QObject {
    Q_OBJECT
private slots:
    void seedsAndMutations()
    {
        std::mt19937 rng(20240607);
        const auto base = seeds();
        int fed = 0;
        for (const QByteArray &s : base) {
            feed(s);
            ++fed;
        }
        // The seeds carry the rare shapes, so this many mutations reach the
        // lines of the parsers that twice as many did (gcov).
        for (int i = 0; i < 1500; ++i, ++fed)
            feed(mutate(base[rng() % base.size()], rng));
        QVERIFY(fed > 1500);
    }

    void randomBytes()
    {
        std::mt19937 rng(1354);
        for (int i = 0; i < 1000; ++i) {
            // Mostly short inputs, some as long as a book file and beyond.
            const int len = int(i % 10 == 0 ? rng() % 2000 : rng() % 64);
            QByteArray in(len, '\0');
            for (char &c : in)
                c = char(rng());
            feed(in);
        }
    }
};

QTEST_GUILESS_MAIN(TestCoreFuzzSmoke)
#include "tst_core_fuzz_smoke.moc"
