// SPDX-License-Identifier: GPL-2.0-or-later
// The SMS and ICQ books, the ICQ numbers and the Phonebooks page, driven
// through their widgets against a book file in a scratch directory.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "BookTestSupport.h"
#include "FormRig.h"
#include "Observers.h"
#include "link/port/SerialPort.h"
#include "link/PhoneLink.h"
#include "gui/messaging/IcqSettings.h"
#include "core/messaging/IcqNumbers.h"
#include "link/messaging/CentreService.h"
#include "gui/messaging/SmsBooks.h"
#include "link/messaging/SmsSender.h"
#include "gui/messaging/SmsPage.h"
#include "gui/phonebooks/PhonebooksPage.h"

using namespace booktest;

namespace {
const QByteArray DefaultSmsc = IcqNumbers::defaultCentre();
const QByteArray DefaultGateway = IcqNumbers::defaultGateway();

// A complete, healthy file with an entry in both books.
QByteArray fullBook(char port = 3)
{
    QByteArray b;
    for (int k = 1; k <= 20; ++k) {
        if (k == 1)
            b += field("+46701234567", 16) + field("Anna", 20);
        else if (k == 4)
            b += field("0701112233", 16) + field("Ren\xE9", 20);
        else
            b += QByteArray(36, ' ');
    }
    b += port;
    b += char(0);
    b += field("+4411112222", 16) + field("+4433334444", 16);
    for (int k = 1; k <= 20; ++k)
        b += k == 2 ? field("123456789", 10) + field("Icq Bob", 20) : QByteArray(30, ' ');
    return b;
}

// The books with the SMS page, the Phonebooks page and the ICQ settings
// around them, as the main window wires them.
struct Harness {
    SerialPort port;
    PhoneLink link{port};
    SmsBooks books{bookFolder()};
    CentreService centre{link};
    SmsSender sender{link, centre, books.icqNumbers};
    SmsPage sms{link, sender};
    QComboBox &combo1 = *guitest::find<QComboBox>(&sms, QStringLiteral("ComboBox1"));
    QComboBox &combo2 = *guitest::find<QComboBox>(&sms, QStringLiteral("ComboBox2"));
    std::unique_ptr<PhonebooksPage> page;
    std::unique_ptr<QWidget> panelMirvak;
    IcqSettings *icq = nullptr;

    Harness()
    {
        QObject::connect(&books, &SmsBooks::portChoiceLoaded, &port, &SerialPort::setPort);
        QObject::connect(&books, &SmsBooks::smsRecipientChanged, &sms, &SmsPage::setSmsRecipientItem);
        QObject::connect(&books, &SmsBooks::icqRecipientChanged, &sms, &SmsPage::setIcqRecipientItem);
        QObject::connect(&books, &SmsBooks::smsRecipientPrompt, &sms, &SmsPage::setSmsRecipientText);
        QObject::connect(&books, &SmsBooks::icqRecipientPrompt, &sms, &SmsPage::setIcqRecipientText);
        // The flashes are holds of the window, at a fifth they still show.
        link.setTiming(guitest::testTiming(0.2));
        page = std::make_unique<PhonebooksPage>(link, books);
        panelMirvak = std::make_unique<QWidget>();
        icq = new IcqSettings(books, link, panelMirvak.get());
    }
    void load()
    {
        books.GetPhoneBook();
        page->fillGridHeaders();
        icq->showNumbers();
    }
    // The page's and the ICQ settings' controls by name.
    template <typename T = QWidget> T *find(const char *name) const
    {
        return guitest::find<T>(page.get(), QString::fromLatin1(name));
    }
    QTableView *grid(const char *name) const { return find<QTableView>(name); }
    QLineEdit *icqBox(const char *name) const
    {
        return guitest::find<QLineEdit>(panelMirvak.get(), QString::fromLatin1(name));
    }
    QPushButton *icqButton(const char *name) const
    {
        return guitest::find<QPushButton>(panelMirvak.get(), QString::fromLatin1(name));
    }
    static QString cell(QTableView *g, int r, int c) { return g->model()->index(r, c).data().toString(); }
    static void setCell(QTableView *g, int r, int c, const QString &text)
    {
        QVERIFY(g->model()->setData(g->model()->index(r, c), text));
    }
    // Opens the cell's editor, as a double-click does, and returns it.
    static QLineEdit *openEditor(QTableView *g, int r, int c)
    {
        g->setCurrentIndex(g->model()->index(r, c));
        g->edit(g->currentIndex());
        return qobject_cast<QLineEdit *>(QApplication::focusWidget());
    }
    void saveTab(int tab)
    {
        find<QTabWidget>("Tabs")->setCurrentIndex(tab);
        QTest::mouseClick(find<QPushButton>("btnSave"), Qt::LeftButton);
    }
};

// The colours a widget was painted with: a flash, then silver again.
using FlashLog = guitest::ColourLog;
bool flashed(const FlashLog &log, const QColor &colour)
{
    return log.saw(colour) && log.seen.last() == QColor(192, 192, 192);
}
} // namespace

class TestBooks : public QObject {
    Q_OBJECT
    FolderPerTest m_folders;

private slots:
    void initTestCase() { QVERIFY(m_folders.valid()); }
    void init()
    {
        QVERIFY(m_folders.enter());
        QFile::remove(bookPath());
    }

    void freshStartCreatesTheFile()
    {
        Harness h;
        h.port.setPort(QStringLiteral("COM4"));
        h.load();
        QVERIFY(h.books.BookNew);
        const QByteArray b = readBook();
        QCOMPARE(b.size(), 1274);
        QCOMPARE(b.left(720), QByteArray(720, ' '));
        QCOMPARE(b.mid(720, 2), QByteArray("\x01\x00", 2));
        QCOMPARE(b.mid(722, 16), DefaultSmsc);
        QCOMPARE(b.mid(738, 16), DefaultGateway);
        QCOMPARE(b.mid(754), QByteArray(520, ' '));
        QCOMPARE(h.port.name(), QStringLiteral("COM1"));
        QCOMPARE(h.books.LoadedPortName, QStringLiteral("COM1"));
        QCOMPARE(h.combo1.currentText(), QStringLiteral(" New Phonebook created."));
        QCOMPARE(h.combo2.currentText(), QStringLiteral(" New ICQ book created"));
        QCOMPARE(h.combo1.count(), 20);
        QCOMPARE(h.combo2.count(), 20);
        // An empty row still has its recipient item.
        QCOMPARE(h.combo1.itemText(0), QString(16, u' ') + QStringLiteral(" - "));
        QCOMPARE(h.combo2.itemText(19), QString(10, u' ') + QStringLiteral(" - "));
        for (int r = 1; r <= 20; ++r) {
            QVERIFY(h.cell(h.grid("SMSgrid"), r, 1).isEmpty());
            QCOMPARE(h.cell(h.grid("SMSgrid"), r, 0), QString::number(r));
        }
        QCOMPARE(h.cell(h.grid("SMSgrid"), 0, 0), QStringLiteral("#"));
        QCOMPARE(h.cell(h.grid("SMSgrid"), 0, 1), QStringLiteral("   (+)123...    (16)"));
        QCOMPARE(h.cell(h.grid("ICQgrid"), 0, 1), QStringLiteral("   ICQ#...    (10)"));
        QCOMPARE(h.cell(h.grid("ICQgrid"), 0, 2), QStringLiteral("    ABC...    (20)"));
        // The session sends ICQ through the numbers the file now holds.
        QCOMPARE(h.books.icqNumbers.centre, DefaultSmsc);
        QCOMPARE(h.icqBox("EditICQSMSC")->text(), QString::fromLatin1(DefaultSmsc.trimmed()));
    }

    void healthyFileLoads()
    {
        const QByteArray book = fullBook(3);
        writeBook(book);
        Harness h;
        h.load();
        QVERIFY(!h.books.BookNew);
        QVERIFY(!h.books.IcqPartNew);
        QCOMPARE(readBook(), book); // loading writes nothing
        QCOMPARE(h.port.name(), QStringLiteral("COM3"));
        QCOMPARE(h.books.LoadedPortName, QStringLiteral("COM3"));
        QCOMPARE(h.cell(h.grid("SMSgrid"), 1, 1), QStringLiteral("+46701234567"));
        QCOMPARE(h.cell(h.grid("SMSgrid"), 4, 2), QStringLiteral("Ren\u00e9"));
        QCOMPARE(h.combo1.itemText(0), QStringLiteral("+46701234567     - Anna"));
        QCOMPARE(h.combo2.itemText(1), QStringLiteral("123456789  - Icq Bob"));
        QCOMPARE(h.books.icqNumbers.centre, field("+4411112222", 16));
        QCOMPARE(h.icqBox("EditICQPH")->text(), QStringLiteral("+4433334444"));
        QCOMPARE(h.cell(h.grid("SMSgrid"), 0, 1), QStringLiteral("   (+)123...    (4)"));
    }

    void portByte_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("bookNew");
        QTest::newRow("8") << 8 << "COM8" << false;
        QTest::newRow("9") << 9 << "COM1" << false;
        QTest::newRow("0") << 0 << "COM1" << true;
    }
    void portByte()
    {
        QFETCH(int, byte);
        QFETCH(QString, port);
        QFETCH(bool, bookNew);
        writeBook(fullBook(char(byte)));
        Harness h;
        h.load();
        QCOMPARE(h.books.BookNew, bookNew);
        QCOMPARE(h.port.name(), port);
    }

    void fileWithoutIcqBook()
    {
        const QByteArray book = fullBook(2).left(754);
        writeBook(book);
        Harness h;
        h.load();
        QVERIFY(!h.books.BookNew);
        QVERIFY(!h.books.IcqPartNew);
        QCOMPARE(readBook(), book);
        for (int r = 1; r <= 20; ++r)
            QVERIFY(h.cell(h.grid("ICQgrid"), r, 1).isEmpty());
        QCOMPARE(h.combo2.itemText(1), QString(10, u' ') + QStringLiteral(" - "));
        // The first ICQ save writes the whole book.
        h.setCell(h.grid("ICQgrid"), 1, 1, QStringLiteral("42"));
        h.saveTab(1);
        const QByteArray after = readBook();
        QCOMPARE(after.size(), 1354);
        QCOMPARE(after.left(754), book);
        QCOMPARE(after.mid(754, 30), field("42", 30));
    }

    void fileCutInsideIcqNumbers()
    {
        writeBook(fullBook(6).left(730));
        Harness h;
        h.load();
        QVERIFY(!h.books.BookNew);
        QVERIFY(h.books.IcqPartNew);
        QCOMPARE(h.combo2.currentText(), QStringLiteral("New ICQ book created"));
        QCOMPARE(h.combo1.itemText(0), QStringLiteral("+46701234567     - Anna"));
        const QByteArray b = readBook();
        QCOMPARE(b.size(), 1274);
        QCOMPARE(b.left(720), fullBook().left(720));
        QCOMPARE(int(b[720]), 6); // COM6 survives the repair
        QCOMPARE(int(b[721]), 0);
        QCOMPARE(b.mid(722, 32), DefaultSmsc + DefaultGateway);
        QCOMPARE(b.mid(754), QByteArray(520, ' '));
        QCOMPARE(h.books.icqNumbers.gateway, DefaultGateway);
        QCOMPARE(h.port.name(), QStringLiteral("COM6"));
    }

    void damagedIcqNumbersKeepTheGridUntilSaved()
    {
        QByteArray book = fullBook(2);
        book[730] = 0x00;
        writeBook(book);
        Harness h;
        h.load();
        QVERIFY(h.books.IcqPartNew);
        QCOMPARE(readBook().mid(754), QByteArray(520, ' '));
        QCOMPARE(h.cell(h.grid("ICQgrid"), 2, 2), QStringLiteral("Icq Bob"));
        h.saveTab(1);
        const QByteArray b = readBook();
        QCOMPARE(b.size(), 1354);
        QCOMPARE(b.mid(754 + 30, 30), field("123456789", 10) + field("Icq Bob", 20));
    }

    void damagedSmsBookKeepsThePortForTheCloseHandler()
    {
        QByteArray book = fullBook(5);
        book[40] = 0x1A;
        writeBook(book);
        Harness h;
        h.load();
        QVERIFY(h.books.BookNew);
        QCOMPARE(readBook().size(), 1274);
        QCOMPARE(int(readBook()[720]), 1);
        QCOMPARE(h.port.name(), QStringLiteral("COM5"));
        // The file says COM1 now; the close handler puts the user's port back.
        QVERIFY(h.books.savePortChoice(h.port.name()));
        QCOMPARE(int(readBook()[720]), 5);
        QCOMPARE(h.cell(h.grid("SMSgrid"), 1, 2), QStringLiteral("Anna"));
    }

    // A new file for a damaged SMS book still holds the user's ICQ numbers,
    // so the next start has them too; damaged numbers give way to the defaults.
    void damagedSmsBookKeepsIntactIcqNumbers_data()
    {
        QTest::addColumn<QList<int>>("damaged");
        QTest::addColumn<QByteArray>("numbers");
        const QByteArray own = field("+4411112222", 16) + field("+4433334444", 16);
        QTest::newRow("sms book") << QList<int>{40} << own;
        QTest::newRow("port byte") << QList<int>{720} << own;
        QTest::newRow("icq numbers too") << QList<int>{40, 730} << DefaultSmsc + DefaultGateway;
    }
    void damagedSmsBookKeepsIntactIcqNumbers()
    {
        QFETCH(QList<int>, damaged);
        QFETCH(QByteArray, numbers);
        QByteArray book = fullBook(2);
        for (int at : damaged)
            book[at] = at == 40 ? 0x1A : 0x00;
        writeBook(book);
        for (int start = 0; start < 2; ++start) {
            Harness h;
            h.load();
            QCOMPARE(h.books.BookNew, start == 0);
            QCOMPARE(h.books.icqNumbers.centre + h.books.icqNumbers.gateway, numbers);
            QCOMPARE(readBook().mid(722, 32), numbers);
            QCOMPARE(h.icqBox("EditICQSMSC")->text(), QString::fromLatin1(numbers.left(16).trimmed()));
        }
    }

    void readOnlyDamagedFileIsLeftAlone()
    {
        QByteArray book = fullBook(2);
        book[730] = 0x1A;
        writeBook(book);
        QFile::setPermissions(bookPath(), QFileDevice::ReadOwner);
        Harness h;
        h.load();
        QVERIFY(h.books.IcqPartNew);
        QVERIFY(!h.books.lastError.isEmpty());
        QFile::setPermissions(bookPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readBook(), book);
    }

    void portChoiceWritesTwoBytesOnly()
    {
        const QByteArray book = fullBook(2);
        writeBook(book);
        Harness h;
        h.load();
        QVERIFY(h.books.savePortChoice(QStringLiteral("COM2")));
        QCOMPARE(readBook(), book);
        QVERIFY(h.books.savePortChoice(QStringLiteral("COM12")));
        QByteArray expected = book;
        expected[720] = 1;
        QCOMPARE(readBook(), expected);
    }

    void saveSmsTabTouchesOnlyTheSmsBook()
    {
        QByteArray book = fullBook(4);
        book += "tail kept"; // whatever follows the ICQ book stays
        writeBook(book);
        Harness h;
        h.load();
        h.setCell(h.grid("SMSgrid"), 2, 1, QStringLiteral("  0709998877 "));
        h.setCell(h.grid("SMSgrid"), 2, 2, QStringLiteral("Bo"));
        h.setCell(h.grid("SMSgrid"), 20, 1, QStringLiteral("123456789012345678"));
        h.setCell(h.grid("SMSgrid"), 20, 2, QStringLiteral("NameThatIsTwentyLong"));
        FlashLog probe(h.grid("SMSgrid"), QPalette::Base);
        h.saveTab(0);
        QVERIFY(flashed(probe, QColor(0, 255, 0)));
        QCOMPARE(h.grid("SMSgrid")->palette().color(QPalette::Base), QColor(192, 192, 192));
        const QByteArray b = readBook();
        QCOMPARE(b.size(), book.size());
        QCOMPARE(b.mid(720), book.mid(720));
        QCOMPARE(b.left(36), book.left(36));
        QCOMPARE(b.mid(36, 36), field("0709998877", 16) + field("Bo", 20));
        QCOMPARE(b.mid(3 * 36, 36), book.mid(3 * 36, 36)); // the Latin-1 name, byte for byte
        QCOMPARE(b.mid(19 * 36, 36), QByteArray("123456789012345678NameThatIsTwentyLo"));
    }

    void saveIcqTabTouchesOnlyTheIcqBook()
    {
        const QByteArray book = fullBook(4);
        writeBook(book);
        Harness h;
        h.load();
        h.setCell(h.grid("ICQgrid"), 20, 1, QStringLiteral("98765"));
        h.setCell(h.grid("ICQgrid"), 20, 2, QStringLiteral("Z\u00e9ta"));
        h.saveTab(1);
        const QByteArray b = readBook();
        QCOMPARE(b.left(754), book.left(754));
        QCOMPARE(b.mid(754, 570), book.mid(754, 570));
        QCOMPARE(b.mid(754 + 19 * 30), field("98765", 10) + field("Z\xE9ta", 20));
    }

    void typingUpdatesHeaderAndRecipient()
    {
        writeBook(fullBook());
        Harness h;
        h.load();
        h.page->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.page.get()));
        QTableView *g = h.grid("SMSgrid");
        QLineEdit *editor = h.openEditor(g, 3, 1);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("123456789012345678"));
        // Live, before the cell is committed.
        QCOMPARE(h.cell(g, 0, 1), QStringLiteral("   (+)123...    (-2)"));
        QCOMPARE(h.combo1.itemText(2), QStringLiteral("123456789012345678 - "));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(h.cell(g, 3, 1), QStringLiteral("123456789012345678"));
        QCOMPARE(h.cell(g, 0, 1), QStringLiteral("   (+)123...    (-2)"));

        editor = h.openEditor(g, 3, 2);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Eve"));
        QCOMPARE(h.cell(g, 0, 2), QStringLiteral("    ABC...    (17)"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(h.cell(g, 3, 2), QStringLiteral("Eve"));
        QCOMPARE(h.combo1.itemText(2), QStringLiteral("123456789012345678 - Eve"));

        // An ICQ number counts against 10.
        QTableView *icq = h.grid("ICQgrid");
        h.find<QTabWidget>("Tabs")->setCurrentIndex(1);
        editor = h.openEditor(icq, 5, 1);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("1234"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(h.cell(icq, 5, 1), QStringLiteral("1234"));
        QCOMPARE(h.cell(icq, 0, 1), QStringLiteral("   ICQ#...    (6)"));
        QCOMPARE(h.combo2.itemText(4), QStringLiteral("1234       - "));
        // Header and number cells are not for typing.
        QVERIFY(!(g->model()->index(0, 1).flags() & Qt::ItemIsEditable));
        QVERIFY(!(g->model()->index(7, 0).flags() & Qt::ItemIsEditable));
        QVERIFY(g->model()->index(7, 2).flags() & Qt::ItemIsEditable);
    }

    void editingTheSelectedRowKeepsTheRecipientText()
    {
        writeBook(fullBook());
        Harness h;
        h.load();
        h.combo1.setCurrentIndex(0);
        h.combo1.setEditText(QStringLiteral("+4670 - typed"));
        h.setCell(h.grid("SMSgrid"), 1, 2, QStringLiteral("Annie"));
        QCOMPARE(h.combo1.itemText(0), QStringLiteral("+46701234567     - Annie"));
        QCOMPARE(h.combo1.currentText(), QStringLiteral("+4670 - typed"));
    }

    void saveWithoutFileFlashesRedAndCreatesNothing()
    {
        Harness h;
        h.load();
        QFile::remove(bookPath());
        for (int tab : {0, 1}) {
            FlashLog probe(h.grid("ICQgrid"), QPalette::Base);
            h.saveTab(tab);
            QVERIFY(flashed(probe, QColor(255, 0, 0)));
            QVERIFY(!QFile::exists(bookPath()));
            QVERIFY(!h.find<QPushButton>("btnSave")->toolTip().isEmpty());
        }
        FlashLog probe(h.icqBox("EditICQPH"), QPalette::Base);
        QTest::mouseClick(h.icqButton("btnICQd"), Qt::LeftButton);
        QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
        QVERIFY(flashed(probe, QColor(255, 0, 0)));
        QVERIFY(!QFile::exists(bookPath()));
        QCOMPARE(h.icqBox("EditICQPH")->palette().color(QPalette::Base), QColor(192, 192, 192));
    }

    void saveIntoReadOnlyFileFlashesRed()
    {
        const QByteArray book = fullBook();
        writeBook(book);
        Harness h;
        h.load();
        QFile::setPermissions(bookPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        h.setCell(h.grid("SMSgrid"), 1, 1, QStringLiteral("999"));
        FlashLog probe(h.grid("SMSgrid"), QPalette::Base);
        h.saveTab(0);
        QVERIFY(flashed(probe, QColor(255, 0, 0)));
        FlashLog icqProbe(h.icqBox("EditICQSMSC"), QPalette::Base);
        h.icqBox("EditICQSMSC")->setText(QStringLiteral("+123456789"));
        QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
        QVERIFY(flashed(icqProbe, QColor(255, 0, 0)));
        QFile::setPermissions(bookPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readBook(), book);
    }

    void defaultThenSaveWritesTheNumbersOnly()
    {
        const QByteArray book = fullBook();
        writeBook(book);
        Harness h;
        h.load();
        QTest::mouseClick(h.icqButton("btnICQd"), Qt::LeftButton);
        QCOMPARE(h.icqBox("EditICQSMSC")->text(), QString::fromLatin1(DefaultSmsc.trimmed()));
        QCOMPARE(readBook(), book); // nothing stored before "Save"
        QVERIFY(h.icqButton("btnICQs")->isEnabled());
        FlashLog probe(h.icqBox("EditICQSMSC"), QPalette::Base);
        QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
        QVERIFY(flashed(probe, QColor(0, 255, 0)));
        QByteArray expected = book;
        expected.replace(722, 32, DefaultSmsc + DefaultGateway);
        QCOMPARE(readBook(), expected);
        QCOMPARE(h.books.icqNumbers.gateway, DefaultGateway);
    }

    void icqSaveDigitRules()
    {
        const QByteArray book = fullBook();
        writeBook(book);
        Harness h;
        h.load();
        // The gateway box enabled the button; the centre has 6 digits.
        h.icqBox("EditICQSMSC")->setText(QStringLiteral("+12-3456"));
        QVERIFY(h.icqButton("btnICQs")->isEnabled());
        h.icqBox("EditICQSMSC")->setText(QStringLiteral("+123456"));
        QVERIFY(!h.icqButton("btnICQs")->isEnabled());
        h.icqBox("EditICQPH")->setText(QStringLiteral("+44 7781 484000"));
        QVERIFY(h.icqButton("btnICQs")->isEnabled());
        QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
        QCOMPARE(readBook().mid(722, 32), field("+123456", 16) + field("+447781484000", 16));
        QCOMPARE(readBook().left(722), book.left(722));

        // Five digits are never stored; the centre still changes in memory.
        const QByteArray before = readBook();
        h.icqBox("EditICQSMSC")->setText(QStringLiteral("+98765432"));
        h.icqBox("EditICQPH")->setText(QStringLiteral("+12345"));
        h.icqButton("btnICQs")->setEnabled(true); // as if the other box had enabled it
        QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
        QCOMPARE(readBook(), before);
        QCOMPARE(h.books.icqNumbers.centre, field("+98765432", 16));
        h.icqBox("EditICQSMSC")->setText(QStringLiteral("+12345"));
        QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
        QCOMPARE(readBook(), before);
    }

    void plusAndCaretRules()
    {
        writeBook(fullBook());
        Harness h;
        h.load();
        h.panelMirvak->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.panelMirvak.get()));
        QLineEdit *ph = h.icqBox("EditICQPH");
        ph->setFocus();
        ph->selectAll();
        QTest::keyClick(ph, Qt::Key_Delete);
        QCOMPARE(ph->text(), QStringLiteral("+"));
        QVERIFY(!h.icqButton("btnICQs")->isEnabled());
        ph->setText(QStringLiteral("4477 81"));
        QCOMPARE(ph->text(), QStringLiteral("+4477 81"));
        QVERIFY(h.icqButton("btnICQs")->isEnabled());
        // A click before the "+" leaves the caret behind it.
        QTest::mouseClick(ph, Qt::LeftButton, {}, QPoint(1, ph->height() / 2));
        QCOMPARE(ph->cursorPosition(), 1);
        ph->setCursorPosition(0);
        QTest::keyClick(ph, Qt::Key_Home);
        QCOMPARE(ph->cursorPosition(), 1);
        QTest::keyClicks(ph, QStringLiteral("9"));
        QCOMPARE(ph->text(), QStringLiteral("+94477 81"));
        QCOMPARE(h.icqBox("EditICQSMSC")->maxLength(), 16);
    }

    void simGridSavesAsPbk()
    {
        Harness h;
        h.load();
        QTableView *sim = h.grid("SimGrid");
        h.setCell(sim, 1, 1, QStringLiteral("+46701234567"));
        h.setCell(sim, 1, 2, QStringLiteral("Anna"));
        h.setCell(sim, 42, 2, QStringLiteral(" Caf\u00e9 "));
        const QString target = QDir(bookFolder()).filePath(QStringLiteral("sim.pbk"));
        h.find<QTabWidget>("Tabs")->setCurrentIndex(2);
        auto *save = h.find<QPushButton>("btnSave");
        {
            pagetest::DialogSteps dialogs({[&](QWidget *w) {
                auto *d = qobject_cast<QFileDialog *>(w);
                QCOMPARE(d, h.find<QFileDialog>("SaveFile"));
                QVERIFY(d->nameFilters().contains(QStringLiteral("Phonebook files (*.pbk)")));
                pagetest::typeAndAccept(d, target);
            }});
            QTest::mouseClick(save, Qt::LeftButton);
            QVERIFY(dialogs.allTaken());
        }
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 103); // 102 lines and the end after the last CR LF
        QCOMPARE(lines[0], QByteArray("001:Anna\r"));
        QCOMPARE(lines[1], QByteArray("+46701234567\r"));
        QCOMPARE(lines[82], QByteArray("042: Caf\xE9 \r"));
        QCOMPARE(lines[100], QByteArray("051:\r"));
        QCOMPARE(lines[101], QByteArray("\r"));
        // A cancelled dialog writes nothing.
        QFile::remove(target);
        {
            pagetest::DialogSteps dialogs({[](QWidget *d) { static_cast<QDialog *>(d)->reject(); }});
            QTest::mouseClick(save, Qt::LeftButton);
            QCOMPARE(dialogs.shown, 1);
        }
        QVERIFY(!QFile::exists(target));
        // A book that grows shows its new rows at once.
        h.page->simBook.setEntry(60, {"112", "Last"});
        QCOMPARE(sim->model()->rowCount(), 61);
        QCOMPARE(h.cell(sim, 60, 0), QStringLiteral("60"));
        QCOMPARE(h.cell(sim, 60, 2), QStringLiteral("Last"));
    }

    void garbageFilesNeverCrash()
    {
        auto *rng = QRandomGenerator::global();
        for (int size : {0, 1, 719, 721, 753, 1353, 70000}) {
            QByteArray junk(size, Qt::Uninitialized);
            for (char &c : junk)
                c = char(rng->bounded(256));
            writeBook(junk);
            Harness h;
            h.load();
            QVERIFY(readBook().size() >= qMin(size, 1274));
            QVERIFY(h.port.name().startsWith(QStringLiteral("COM")));
            QCOMPARE(h.combo1.count(), 20);
            h.saveTab(0);
            h.saveTab(1);
            QTest::mouseClick(h.icqButton("btnICQs"), Qt::LeftButton);
            QVERIFY(readBook().size() >= 1354);
        }
    }
};

QTEST_MAIN(TestBooks)
#include "tst_gui_books.moc"
