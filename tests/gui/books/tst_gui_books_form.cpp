// SPDX-License-Identifier: GPL-2.0-or-later
// The books inside the real main window: first run, a normal run, the port
// choice kept in the book file, and new ICQ numbers used by the next send.
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

#include "BookTestSupport.h"
#include "Find.h"
#include "SimPhone.h"
#include "core/messaging/IcqNumbers.h"
#include "gui/settings/SettingsPage.h"
#include "gui/window/MainWindow.h"

using namespace booktest;

namespace {
QByteArray healthyBook()
{
    QByteArray b = field("+46701234567", 16) + field("Anna", 20);
    b += QByteArray(19 * 36, ' ');
    b += char(1);
    b += char(0);
    b += field("+4411112222", 16) + field("+4433334444", 16);
    b += field("123456789", 10) + field("Bob", 20);
    b += QByteArray(19 * 30, ' ');
    return b;
}

QString cell(const QTableView *grid, int r, int c) { return grid->model()->index(r, c).data().toString(); }

// A control of the window by name.
template <typename T = QWidget> T *find(const MainWindow &w, const char *name)
{
    return guitest::find<T>(&w, QString::fromLatin1(name));
}
QComboBox *combo(const MainWindow &w, const char *name) { return find<QComboBox>(w, name); }
} // namespace

class TestBooksForm : public QObject {
    Q_OBJECT
    FolderPerTest m_folders;

private slots:
    void initTestCase() { QVERIFY(m_folders.valid()); }
    void init() { QVERIFY(m_folders.enter()); }

    void firstRunOpensThePortChooser()
    {
        MainWindow w(nullptr, bookFolder());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(readBook().size(), 1274);
        QCOMPARE(w.mainTabs->currentIndex(), 3);
        QCOMPARE(w.mainPages->currentWidget(), static_cast<QWidget *>(w.settingsPage));
        QCOMPARE(w.settingsPage->currentPanel()->objectName(), QStringLiteral("PanelMirvak"));
        QCOMPARE(combo(w, "ComboBox1")->currentText(), QStringLiteral(" New Phonebook created."));
        QCOMPARE(combo(w, "ComboBox2")->currentText(), QStringLiteral(" New ICQ book created"));
        QCOMPARE(w.ComPort1.name(), QStringLiteral("COM1"));
        QCOMPARE(find<QLineEdit>(w, "EditICQSMSC")->text(),
                 QString::fromLatin1(IcqNumbers::defaultCentre().trimmed()));
        QCOMPARE(cell(find<QTableView>(w, "SMSgrid"), 0, 1), QStringLiteral("   (+)123...    (16)"));
        w.close();
        QCOMPARE(readBook().size(), 1274);
    }

    void gridsLook_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("hint");
        QTest::newRow("SMS") << "SMSgrid" << 21 << "";
        QTest::newRow("ICQ") << "ICQgrid" << 21 << "";
        QTest::newRow("SIM") << "SimGrid" << 51 << "Right-Click for menu";
        QTest::newRow("Phone") << "PhoneGrid" << 51 << "Right-Click for menu";
    }
    void gridsLook()
    {
        QFETCH(QString, name);
        QFETCH(int, rows);
        QFETCH(QString, hint);
        writeBook(healthyBook());
        MainWindow w(nullptr, bookFolder());
        auto *g = guitest::find<QTableView>(&w, name);
        QVERIFY(g);
        QCOMPARE(g->model()->rowCount(), rows);
        QCOMPARE(g->toolTip(), hint);
        QVERIFY(g->horizontalHeader()->isHidden() && g->verticalHeader()->isHidden());
        QCOMPARE(g->rowHeight(rows - 1), 18);
        QCOMPARE(QList<int>({g->columnWidth(0), g->columnWidth(1), g->columnWidth(2)}), QList<int>({24, 108, 158}));
        QCOMPARE(g->palette().color(QPalette::Base), QColor(192, 192, 192));
        QCOMPARE(g->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(g->currentIndex(), g->model()->index(1, 1));
        QCOMPARE(cell(g, 0, 0), QStringLiteral("#"));
        QCOMPARE(cell(g, rows - 1, 0), QString::number(rows - 1));
        QVERIFY(g->model()->index(0, 2).data(Qt::FontRole).value<QFont>().bold());
    }

    void portChoiceSurvivesARestart()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        sim.useAsCom(3);
        writeBook(healthyBook());
        {
            MainWindow w(nullptr, bookFolder());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.mainTabs->currentIndex(), 0);
            QCOMPARE(combo(w, "ComboBox1")->currentText(), QStringLiteral("+46701234567     - Anna"));
            QCOMPARE(combo(w, "ComboBox2")->currentText(), QStringLiteral("123456789  - Bob"));
            w.mainTabs->setCurrentIndex(3);
            w.settingsPage->showPanel(QStringLiteral("PanelMirvak"));
            auto *com3 = find<QAbstractButton>(w, "COM3");
            QVERIFY(com3);
            // On the indicator: the text ends well before the middle of the row.
            QTest::mouseClick(com3, Qt::LeftButton, {}, QPoint(6, com3->height() / 2));
            QCOMPARE(w.ComPort1.name(), QStringLiteral("COM3"));
            QCOMPARE(readBook(), healthyBook()); // written at exit only
            w.close();
        }
        QByteArray expected = healthyBook();
        expected[720] = 3;
        QCOMPARE(readBook(), expected);
        {
            MainWindow w(nullptr, bookFolder());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(w.ComPort1.name(), QStringLiteral("COM3"));
            w.close();
        }
        QCOMPARE(readBook(), expected); // unchanged choice: nothing written
    }

    // Typed into the grid, saved, and there again at the next start.
    void bookEditsReachRecipientsAndFile()
    {
        writeBook(healthyBook());
        {
            MainWindow w(nullptr, bookFolder());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.mainTabs->setCurrentIndex(1);
            QCOMPARE(find<QTabWidget>(w, "Tabs")->currentIndex(), 0);
            auto *g = find<QTableView>(w, "SMSgrid");
            QVERIFY(g);
            // Typing opens the editor on the current cell.
            g->setCurrentIndex(g->model()->index(2, 2));
            g->setFocus();
            QTest::keyClicks(g, QStringLiteral("O"));
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(editor);
            QTest::keyClicks(editor, QStringLiteral("lof"));
            QCOMPARE(combo(w, "ComboBox1")->itemText(1), QString(16, u' ') + QStringLiteral(" - Olof"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(cell(g, 2, 2), QStringLiteral("Olof"));
            QCOMPARE(combo(w, "ComboBox1")->itemText(1), QString(16, u' ') + QStringLiteral(" - Olof"));
            QTest::mouseClick(find<QPushButton>(w, "btnSave"), Qt::LeftButton);
            const QByteArray b = readBook();
            QCOMPARE(b.mid(36, 36), QByteArray(16, ' ') + field("Olof", 20));
            QCOMPARE(b.mid(72), healthyBook().mid(72));
            w.close();
        }
        MainWindow w(nullptr, bookFolder());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(cell(find<QTableView>(w, "SMSgrid"), 2, 2), QStringLiteral("Olof"));
        QCOMPARE(combo(w, "ComboBox1")->itemText(1), QString(16, u' ') + QStringLiteral(" - Olof"));
        w.close();
    }

    void savedIcqNumbersServeTheNextSend()
    {
        SimPhone sim;
        QVERIFY(sim.start());
        sim.useAsCom(1);
        writeBook(healthyBook());
        MainWindow w(nullptr, bookFolder());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mainTabs->setCurrentIndex(3);
        w.settingsPage->showPanel(QStringLiteral("PanelMirvak"));
        find<QLineEdit>(w, "EditICQSMSC")->setText(QStringLiteral("+46 700 111 222"));
        find<QLineEdit>(w, "EditICQPH")->setText(QStringLiteral("+46700999888"));
        QTest::mouseClick(find<QPushButton>(w, "btnICQs"), Qt::LeftButton);
        QCOMPARE(readBook().mid(722, 32), field("+46700111222", 16) + field("+46700999888", 16));

        w.mainTabs->setCurrentIndex(0);
        find<QPlainTextEdit>(w, "TextBox")->setPlainText(QStringLiteral("hi"));
        QTest::mouseClick(find<QPushButton>(w, "btnICQ"), Qt::LeftButton);
        const QStringList commands = sim.commands();
        bool centreUsed = false;
        for (const QString &c : commands)
            centreUsed = centreUsed || (c.startsWith(QStringLiteral("AT+CSCA=")) && c.contains(QStringLiteral("46700111222")));
        QVERIFY2(centreUsed, qPrintable(commands.join(u'|')));
        w.close();
    }
};

QTEST_MAIN(TestBooksForm)
#include "tst_gui_books_form.moc"
