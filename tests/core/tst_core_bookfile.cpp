// SPDX-License-Identifier: GPL-2.0-or-later
// The book file "QXsms.phb": layout, the damage flags of loading, the repair,
// and the partial writes of "Save" through the atomic writer.
#include <QtTest>

#include <random>

#include "Scratch.h"
#include "core/io/AtomicFile.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/IcqNumbers.h"

namespace {
const QByteArray Smsc = IcqNumbers::defaultCentre();
const QByteArray Gateway = IcqNumbers::defaultGateway();

// A well-formed full file with a few entries.
QByteArray sampleImage(int port)
{
    std::array<BookFile::Entry, BookFile::Entries> sms{}, icq{};
    sms[0] = {"+46701234567", "Anna"};
    sms[1] = {"0701234567", "Bo \xC5kesson"};
    sms[19] = {"112", "Last"};
    icq[0] = {"12345678", "Bob"};
    icq[19] = {"99", "Zed"};
    QByteArray image = BookFile::smsBookBytes(sms);
    image.append(char(port));
    image.append(char(0));
    image.append(QByteArray("+4670111").leftJustified(16, ' '));
    image.append(QByteArray("+4670222").leftJustified(16, ' '));
    image.append(BookFile::icqBookBytes(icq));
    return image;
}

QByteArray readFile(const QString &path) { return Scratch::readFile(path); }
bool writeFile(const QString &path, const QByteArray &bytes) { return Scratch::writeFile(path, bytes); }

QByteArray randomBytes(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray out(n, '\0');
    for (char &c : out)
        c = char(rng() % 256);
    return out;
}
} // namespace

class TestCoreBookFile : public QObject {
    Q_OBJECT
private slots:
    void freshImage();
    void fullFileLoads();
    void damageFlags_data();
    void damageFlags();
    void fileWithoutIcqBook();
    void repairAfterCutInsideIcqNumbers();
    void repairKeepsThePort_data();
    void repairKeepsThePort();
    void recordLayout();
    void recipientItems();
    void writeRangeTouchesOnlyItsRange();
    void writeRangeGrowsANewFile();
    void writeRangeRefusals();
    void readOnlyFolderKeepsTheFile();
    void failedReplaceKeepsTheFile();
    void writeWhole();
};

void TestCoreBookFile::freshImage()
{
    const QByteArray image = BookFile::newImage(Smsc, Gateway);
    QCOMPARE(image.size(), BookFile::NewSize);
    QCOMPARE(image.left(720), QByteArray(720, ' '));
    QCOMPARE(image.mid(720, 2), QByteArray("\x01\x00", 2));
    QCOMPARE(image.mid(722, 16), QByteArray("+44802000332    "));
    QCOMPARE(image.mid(738, 16), QByteArray("+447781484000   "));
    QCOMPARE(image.mid(754), QByteArray(520, ' '));
    // Reading it back: nothing damaged, the ICQ book's missing tail is blank.
    const BookFile::Contents c = BookFile::parse(image);
    QVERIFY(!c.bookNew);
    QVERIFY(!c.icqPartNew);
    QCOMPARE(c.portNumber, 1);
    QCOMPARE(c.icqSmsc, Smsc);
    for (const auto &e : c.icq)
        QVERIFY(e.number.isEmpty() && e.name.isEmpty());
}

void TestCoreBookFile::fullFileLoads()
{
    const QByteArray image = sampleImage(3);
    QCOMPARE(image.size(), BookFile::FullSize);
    const BookFile::Contents c = BookFile::parse(image);
    QVERIFY(!c.bookNew);
    QVERIFY(!c.icqPartNew);
    QCOMPARE(c.portNumber, 3);
    QCOMPARE(c.sms[0].number, QByteArray("+46701234567"));
    QCOMPARE(c.sms[0].name, QByteArray("Anna"));
    QCOMPARE(c.sms[1].name, QByteArray("Bo \xC5kesson"));
    QCOMPARE(c.sms[19].number, QByteArray("112"));
    QVERIFY(c.sms[5].number.isEmpty());
    QCOMPARE(c.icqSmsc, QByteArray("+4670111        "));
    QCOMPARE(c.icqGateway, QByteArray("+4670222        "));
    QCOMPARE(c.icq[0].number, QByteArray("12345678"));
    QCOMPARE(c.icq[19].name, QByteArray("Zed"));
    // Writing the loaded books back gives the same bytes.
    QCOMPARE(BookFile::smsBookBytes(c.sms), image.left(720));
    QCOMPARE(BookFile::icqBookBytes(c.icq), image.mid(754));
}

void TestCoreBookFile::damageFlags_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("bookNew");
    QTest::addColumn<bool>("icqPartNew");
    QTest::addColumn<int>("port");
    const QByteArray good = sampleImage(4);
    auto with = [&](int offset, char c) { QByteArray b = good; b[offset] = c; return b; };
    QTest::newRow("missing file") << QByteArray() << true << true << 1;
    QTest::newRow("0x00 in SMS book") << with(40, '\0') << true << false << 4;
    QTest::newRow("0x1A in SMS book") << with(719, '\x1A') << true << false << 4;
    QTest::newRow("port 0") << with(720, '\0') << true << false << 1;
    QTest::newRow("port 0x1A") << with(720, '\x1A') << true << false << 1;
    QTest::newRow("port 9") << with(720, '\x09') << false << false << 1;
    QTest::newRow("port 0xFF") << with(720, '\xFF') << false << false << 1;
    QTest::newRow("port 8") << with(720, '\x08') << false << false << 8;
    QTest::newRow("0x1A after the port") << with(721, '\x1A') << true << false << 4;
    QTest::newRow("blank after the port") << with(721, ' ') << false << false << 4;
    QTest::newRow("0x00 in ICQ centre") << with(730, '\0') << false << true << 4;
    QTest::newRow("0x1A in ICQ gateway") << with(753, '\x1A') << false << true << 4;
    QTest::newRow("0x00 in ICQ book") << with(800, '\0') << false << false << 4;
    QTest::newRow("cut inside the SMS book") << good.left(300) << true << true << 1;
}

void TestCoreBookFile::damageFlags()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, bookNew);
    QFETCH(bool, icqPartNew);
    QFETCH(int, port);
    const BookFile::Contents c = BookFile::parse(image);
    QCOMPARE(c.bookNew, bookNew);
    QCOMPARE(c.icqPartNew, icqPartNew);
    QCOMPARE(c.portNumber, port);
    // A damaged character reads as a blank, never as itself.
    for (const auto &e : c.sms)
        QVERIFY(!e.number.contains('\0') && !e.name.contains('\x1A') && !e.name.contains('\0'));
    QVERIFY(!c.icqSmsc.contains('\0') && !c.icqGateway.contains('\x1A'));
    QCOMPARE(c.icqSmsc.size(), 16);
}

void TestCoreBookFile::fileWithoutIcqBook()
{
    const QByteArray image = sampleImage(2).left(754);
    const BookFile::Contents c = BookFile::parse(image);
    QVERIFY(!c.bookNew);
    QVERIFY(!c.icqPartNew);
    QCOMPARE(c.portNumber, 2);
    QCOMPARE(c.sms[0].name, QByteArray("Anna"));
    for (const auto &e : c.icq)
        QVERIFY(e.number.isEmpty() && e.name.isEmpty());
}

void TestCoreBookFile::repairAfterCutInsideIcqNumbers()
{
    const QByteArray image = sampleImage(3).left(740);
    const BookFile::Contents c = BookFile::parse(image);
    QVERIFY(!c.bookNew);
    QVERIFY(c.icqPartNew);
    const QByteArray repaired = BookFile::repairedImage(c, c.portNumber, Smsc, Gateway);
    QCOMPARE(repaired.size(), BookFile::NewSize);
    QCOMPARE(repaired.left(720), image.left(720));
    QCOMPARE(repaired.mid(720, 2), QByteArray("\x03\x00", 2));
    QCOMPARE(repaired.mid(722, 32), Smsc + Gateway);
    QCOMPARE(repaired.mid(754), QByteArray(520, ' '));
    const BookFile::Contents again = BookFile::parse(repaired);
    QVERIFY(!again.bookNew && !again.icqPartNew);
}

void TestCoreBookFile::repairKeepsThePort_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("written");
    for (int p = 1; p <= 8; ++p)
        QTest::addRow("COM%d", p) << p << p;
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("9") << 9 << 1;
}

void TestCoreBookFile::repairKeepsThePort()
{
    QFETCH(int, port);
    QFETCH(int, written);
    const QByteArray repaired = BookFile::repairedImage(BookFile::Contents{}, port, Smsc, Gateway);
    QCOMPARE(int(repaired.at(720)), written);
}

void TestCoreBookFile::recordLayout()
{
    std::array<BookFile::Entry, BookFile::Entries> sms{};
    sms[0] = {"  0701234567 ", " Anna "};
    // 18 characters push the name right; the record is cut at 36.
    sms[1] = {"123456789012345678", "A name of twenty ch!"};
    const QByteArray bytes = BookFile::smsBookBytes(sms);
    QCOMPARE(bytes.size(), 720);
    QCOMPARE(bytes.left(36), QByteArray("0701234567      Anna").leftJustified(36, ' '));
    QCOMPARE(bytes.mid(36, 36), QByteArray("123456789012345678A name of twenty c"));
    QCOMPARE(bytes.mid(72), QByteArray(720 - 72, ' '));
    // The next load splits at 16 again.
    QByteArray image = bytes + QByteArray("\x01\x00", 2) + Smsc + Gateway;
    const BookFile::Contents c = BookFile::parse(image);
    QCOMPARE(c.sms[1].number, QByteArray("1234567890123456"));
    QCOMPARE(c.sms[1].name, QByteArray("78A name of twenty c"));

    std::array<BookFile::Entry, BookFile::Entries> icq{};
    icq[0] = {"123", "Bob"};
    icq[1] = {"12345678901", "Twenty-one characters"};
    const QByteArray icqBytes = BookFile::icqBookBytes(icq);
    QCOMPARE(icqBytes.size(), 600);
    QCOMPARE(icqBytes.left(30), QByteArray("123       Bob").leftJustified(30, ' '));
    QCOMPARE(icqBytes.mid(30, 30), QByteArray("12345678901Twenty-one characte"));
}

void TestCoreBookFile::recipientItems()
{
    QCOMPARE(BookFile::smsItem("0701234567", "Anna"), QByteArray("0701234567") + QByteArray(6, ' ') + " - Anna");
    QCOMPARE(BookFile::smsItem("", ""), QByteArray(16, ' ') + " - ");
    QCOMPARE(BookFile::smsItem("12345678901234567890", "X"), QByteArray("12345678901234567890 - X"));
    QCOMPARE(BookFile::icqItem(" 123 ", " Bob "), QByteArray("123") + QByteArray(7, ' ') + " - Bob");
    QCOMPARE(BookFile::icqItem("", ""), QByteArray(10, ' ') + " - ");
}

void TestCoreBookFile::writeRangeTouchesOnlyItsRange()
{
    Scratch dir;
    QVERIFY(dir.ok());
    const QString path = dir.filePath("QXsms.phb");
    // Random bytes everywhere, so any stray write shows.
    const QByteArray before = randomBytes(BookFile::FullSize, 7);
    QVERIFY(writeFile(path, before));

    std::array<BookFile::Entry, BookFile::Entries> sms{};
    sms[3] = {"+4670", "Dag"};
    const QByteArray smsBytes = BookFile::smsBookBytes(sms);
    QString error;
    QVERIFY2(AtomicFile::writeAt(path, 0, smsBytes).told(&error), qPrintable(error));
    QByteArray after = readFile(path);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.left(720), smsBytes);
    QCOMPARE(after.mid(720), before.mid(720));

    const QByteArray icqBytes = BookFile::icqBookBytes({});
    QVERIFY2(AtomicFile::writeAt(path, BookFile::IcqBookOffset, icqBytes).told(&error), qPrintable(error));
    after = readFile(path);
    QCOMPARE(after.left(754), smsBytes + before.mid(720, 34));
    QCOMPARE(after.mid(754), icqBytes);

    const QByteArray numbers = Smsc + Gateway;
    QVERIFY(AtomicFile::writeAt(path, BookFile::IcqNumbersOffset, numbers));
    after = readFile(path);
    QCOMPARE(after.mid(722, 32), numbers);
    QCOMPARE(after.left(722), smsBytes + before.mid(720, 2));
    QCOMPARE(after.mid(754), icqBytes);
    // Nothing but the book file is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"QXsms.phb"});
}

void TestCoreBookFile::writeRangeGrowsANewFile()
{
    Scratch dir;
    QVERIFY(dir.ok());
    const QString path = dir.filePath("QXsms.phb");
    QVERIFY(AtomicFile::write(path, BookFile::newImage(Smsc, Gateway)));
    QCOMPARE(QFileInfo(path).size(), qint64(BookFile::NewSize));
    std::array<BookFile::Entry, BookFile::Entries> icq{};
    icq[19] = {"42", "Last"};
    QVERIFY(AtomicFile::writeAt(path, BookFile::IcqBookOffset, BookFile::icqBookBytes(icq)));
    const QByteArray image = readFile(path);
    QCOMPARE(image.size(), BookFile::FullSize);
    QCOMPARE(image.left(754), BookFile::newImage(Smsc, Gateway).left(754));
    QCOMPARE(BookFile::parse(image).icq[19].name, QByteArray("Last"));

    // A file shorter than the offset is padded with blanks up to it.
    QVERIFY(writeFile(path, QByteArray(700, 'x')));
    QVERIFY(AtomicFile::writeAt(path, BookFile::IcqBookOffset, "abc"));
    QCOMPARE(readFile(path), QByteArray(700, 'x') + QByteArray(54, ' ') + "abc");
}

void TestCoreBookFile::writeRangeRefusals()
{
    Scratch dir;
    QVERIFY(dir.ok());
    const QString path = dir.filePath("QXsms.phb");
    QString error;
    QVERIFY(!AtomicFile::writeAt(path, 0, "abc").told(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFileInfo::exists(path));

    // A folder where the file should be: reported, and left as it is.
    QVERIFY(QDir(dir.path()).mkdir("QXsms.phb"));
    error.clear();
    QVERIFY(!AtomicFile::writeAt(path, 0, "abc").told(&error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(path).isDir());

    error.clear();
    QVERIFY(!AtomicFile::write(dir.filePath("no/such/folder/QXsms.phb"), "abc").told(&error));
    QVERIFY(!error.isEmpty());
}

void TestCoreBookFile::readOnlyFolderKeepsTheFile()
{
    Scratch dir;
    QVERIFY(dir.ok());
    const QString sub = dir.filePath("ro");
    QVERIFY(QDir().mkpath(sub));
    const QString path = sub + "/QXsms.phb";
    const QByteArray before = sampleImage(5);
    QVERIFY(writeFile(path, before));
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
    auto restore = qScopeGuard([&] {
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    {
        QFile probe(sub + "/probe");
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QSKIP("this user can write into read-only folders (root)");
        }
    }
    QString error;
    QVERIFY(!AtomicFile::writeAt(path, 0, QByteArray(720, 'z')).told(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), before);
    QVERIFY(!AtomicFile::write(path, QByteArray(10, 'z')).told(&error));
    QCOMPARE(readFile(path), before);
    QCOMPARE(QDir(sub).entryList(QDir::Files | QDir::Hidden), QStringList{"QXsms.phb"});
}

void TestCoreBookFile::failedReplaceKeepsTheFile()
{
    // A name so long that no temporary file can be made beside it: the save
    // fails even for a user whom permissions do not stop.
    Scratch dir;
    QVERIFY(dir.ok());
    const QString path = dir.filePath(QString(250, QLatin1Char('b')));
    const QByteArray before = sampleImage(7);
    QVERIFY(writeFile(path, before));
    QString error;
    QVERIFY(!AtomicFile::writeAt(path, 0, QByteArray(720, 'z')).told(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), before);
    error.clear();
    QVERIFY(!AtomicFile::write(path, QByteArray(10, 'z')).told(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestCoreBookFile::writeWhole()
{
    Scratch dir;
    QVERIFY(dir.ok());
    const QString path = dir.filePath("QXsms.phb");
    QVERIFY(writeFile(path, randomBytes(2000, 3)));
    const QByteArray image = sampleImage(6);
    QString error;
    QVERIFY2(AtomicFile::write(path, image).told(&error), qPrintable(error));
    // The longer old file is replaced, not overwritten in part.
    QCOMPARE(readFile(path), image);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"QXsms.phb"});
}

QTEST_GUILESS_MAIN(TestCoreBookFile)
#include "tst_core_bookfile.moc"
