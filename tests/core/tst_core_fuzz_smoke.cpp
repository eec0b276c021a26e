// A few thousand pseudo-random and mutated inputs through the fuzz entry, so
// the sanitizer build exercises the parsers without libFuzzer. Fixed seed:
// a failure here reproduces.
#include <QtTest>

#include <random>
#include <vector>

#include "FuzzCoreEntry.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/MessagingState.h"

namespace {
std::vector<QByteArray> seeds()
{
    QByteArray book = BookFile::newImage(MessagingState::defaultIcqSmsc(), MessagingState::defaultIcqGateway());
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
        "001:Anna\r\n+46701234567\r\n003:Bob\n123\r120:\r\n\r\n\x1A\r\n",
        "ModemManager\n/usr/sbin/ModemManager\0--debug\0",
        "AT+CPBR=?\r\r\n+CPBR: (1-250),20,18\r\n\r\nOK\r\n",
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
        for (int i = 0; i < 3000; ++i, ++fed)
            feed(mutate(base[rng() % base.size()], rng));
        QVERIFY(fed > 3000);
    }

    void randomBytes()
    {
        std::mt19937 rng(1354);
        for (int i = 0; i < 2000; ++i) {
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
