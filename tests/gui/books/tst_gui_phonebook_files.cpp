// The SIM and phone grids of the real window: *.pbk files saved and loaded
// through the dialogs, and the grids' menus with their entry actions.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <functional>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/messaging/SmsPage.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "gui/common/BookTableModel.h"

using guitest::FormRig;

namespace {
enum { SimTab = 2, PhoneTab = 3 };
using Step = std::function<void(QWidget *)>;

QString cell(QTableView *g, int r, int c) { return g->model()->index(r, c).data().toString(); }

Step choose(const QString &path)
{
    return [path](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        QVERIFY(d);
        QCOMPARE(d->nameFilters(), QStringList({QStringLiteral("Phonebook (*.pbk)"), QStringLiteral("All Files (*)")}));
        // The dialog selects only files its model has listed already; a typed
        // name is taken as it is.
        d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    };
}

// Notes a message box as "name|caption|text" and answers it.
Step answer(QString *seen, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    return [seen, button](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        *seen = box->objectName() + QLatin1Char('|') + box->windowTitle() + QLatin1Char('|') + box->text();
        QMetaObject::invokeMethod(box->button(button), "click", Qt::QueuedConnection);
    };
}

struct Window {
    FormRig rig;
    PhonebooksPage *p;

    Window()
    {
        rig.openWindow();
        rig.form->mainTabs->setCurrentIndex(1);
        p = rig.form->phonebooksPage;
    }
    // Runs `act`; each modal window that comes up meanwhile goes, in turn,
    // to the next step, which closes it.
    void run(const std::function<void()> &act, QList<Step> steps)
    {
        QTimer poll;
        QWidget *last = nullptr;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget *m = QApplication::activeModalWidget();
            if (m && m != last && !steps.isEmpty()) {
                last = m;
                steps.takeFirst()(m);
            }
        });
        poll.start(10);
        act();
        QVERIFY(steps.isEmpty());
    }
    void click(QPushButton *b, QList<Step> steps) { run([b] { QTest::mouseClick(b, Qt::LeftButton); }, steps); }
    void load(const QString &path, QList<Step> more = {}) { click(p->btnLoad, QList<Step>{choose(path)} + more); }
};
} // namespace

class TestPhonebookFiles : public QObject {
    Q_OBJECT
private slots:
    void saveAndLoadBack();
    void oddFilesLoad();
    void menusAndEntryActions();
    void readSavedLoadedUpdatesNothing();
};

void TestPhonebookFiles::saveAndLoadBack()
{
    Window w;
    PhonebooksPage &p = *w.p;
    QVERIFY(!p.btnLoad->isEnabled());
    p.Tabs->setCurrentIndex(SimTab);
    QVERIFY(p.btnLoad->isEnabled());
    p.simTable->setData(p.simTable->index(1, 1), QStringLiteral("+46701234567"));
    p.simTable->setData(p.simTable->index(1, 2), QStringLiteral("Anna"));
    p.simTable->setData(p.simTable->index(42, 2), QStringLiteral(" Caf\u00e9 "));
    const QString path = w.rig.filePath(QStringLiteral("sim.pbk"));
    w.click(p.btnSave, {choose(path)});
    const QByteArray saved = Scratch::readFile(path);
    QVERIFY(saved.startsWith("001:Anna\r\n+46701234567\r\n") && saved.endsWith("051:\r\n\r\n"));

    // Replacing asks first; a save that cannot write says why and leaves the
    // old file whole.
    p.simTable->setData(p.simTable->index(1, 2), QStringLiteral("Changed"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    QString question, why;
    w.click(p.btnSave, {choose(path), answer(&question, QMessageBox::Yes), answer(&why)});
    QVERIFY(question.contains(QStringLiteral("sim.pbk")));
    QVERIFY2(why.startsWith(QStringLiteral("msgSaveFailed|Error|")) && why.contains(QStringLiteral("read-only")),
             qPrintable(why));
    QCOMPARE(Scratch::readFile(path), saved);

    // Loaded back over the edits: the grid as saved, the copy as the grid.
    p.simTable->setData(p.simTable->index(7, 1), QStringLiteral("999"));
    w.load(path);
    QCOMPARE(cell(p.SimGrid, 1, 2), QStringLiteral("Anna"));
    QCOMPARE(cell(p.SimGrid, 42, 2), QStringLiteral("Caf\u00e9"));
    QCOMPARE(cell(p.SimGrid, 7, 1), QString());
    QCOMPARE(p.SimGrid->model()->rowCount(), 51);
    for (int r = 1; r <= p.simBook.count(); ++r)
        QCOMPARE(p.SimCopy.at(r), p.simBook.entry(r));
    QCOMPARE(p.PhoneCopy, PhonebookEntries(PhonebooksPage::CopyEntries));

    p.simTable->setData(p.simTable->index(7, 1), QStringLiteral("999"));
    w.click(p.btnLoad, {[](QWidget *d) { QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection); }});
    QCOMPARE(cell(p.SimGrid, 7, 1), QStringLiteral("999"));
}

void TestPhonebookFiles::oddFilesLoad()
{
    Window w;
    PhonebooksPage &p = *w.p;
    p.Tabs->setCurrentIndex(PhoneTab);
    p.phoneBook.setEntry(5, {"555", "Keep"});

    // A device is no file: a message, and the grid as it was.
    QString why;
    w.load(QStringLiteral("/dev/null"), {answer(&why)});
    QVERIFY2(why.startsWith(QStringLiteral("msgLoadFailed|Error|")), qPrintable(why));
    QCOMPARE(cell(p.PhoneGrid, 5, 2), QStringLiteral("Keep"));

    const QString path = w.rig.filePath(QStringLiteral("odd.pbk"));
    QVERIFY(Scratch::writeFile(path, "003:Bob\r\n123\r\n120:\r\n\r\n"));
    w.load(path);
    QCOMPARE(p.PhoneGrid->model()->rowCount(), 120);
    QCOMPARE(cell(p.PhoneGrid, 0, 0), QStringLiteral("119"));
    QCOMPARE(cell(p.PhoneGrid, 5, 2), QString());
    QCOMPARE(p.PhoneCopy.at(3), (PhonebookEntry{"123", "Bob"}));

    QVERIFY(Scratch::writeFile(path, "002:A\r\n1\r\n401:B\r\n2\r\n003:C\r\n3\r\n"));
    w.load(path);
    QCOMPARE(p.PhoneGrid->model()->rowCount(), 120); // never shrinks
    QCOMPARE(cell(p.PhoneGrid, 2, 2), QStringLiteral("A"));
    QCOMPARE(cell(p.PhoneGrid, 3, 2), QString());

    // A record 120 that holds an entry grows the grid as the empty one does,
    // and its entry is kept in a row of its own.
    p.Tabs->setCurrentIndex(SimTab);
    QVERIFY(Scratch::writeFile(path, "120:Zed\r\n999\r\n"));
    w.load(path);
    QCOMPARE(cell(p.SimGrid, 0, 0), QStringLiteral("119"));
    QCOMPARE(cell(p.SimGrid, 120, 2), QStringLiteral("Zed"));
}

void TestPhonebookFiles::menusAndEntryActions()
{
    Window w;
    PhonebooksPage &p = *w.p;
    QComboBox &recipient = *w.rig.form->smsPage->ComboBox1;
    PhonebookModel &smsBook = w.rig.form->books->smsBook;
    p.Tabs->setCurrentIndex(PhoneTab);
    QVERIFY(QTest::qWaitForWindowExposed(w.rig.form.get()));
    p.phoneBook.setEntry(7, {" 0701234567 ", " Anna "});
    QAction *copy = p.findChild<QAction *>(QStringLiteral("MenuCopy2"));
    QAction *forSms = p.findChild<QAction *>(QStringLiteral("UseEntry1ForSMS2"));
    QAction *forRing = p.findChild<QAction *>(QStringLiteral("UsePhoneforPR"));
    auto *menu = p.findChild<QMenu *>(QStringLiteral("PopupMenu1"));
    QVERIFY(copy && forSms && forRing && menu);

    const QModelIndex at = p.phoneTable->index(7, 2);
    p.PhoneGrid->scrollTo(at);
    QTest::mouseClick(p.PhoneGrid->viewport(), Qt::LeftButton, {}, p.PhoneGrid->visualRect(at).center());
    QCOMPARE(p.PhoneGrid->currentIndex(), at);
    QCOMPARE(copy->text(), QStringLiteral("Copy entry 7 to SMS book"));
    QCOMPARE(forSms->text(), QStringLiteral("Use entry 7 for SMS"));
    QCOMPARE(forRing->text(), QStringLiteral("Use entry 7 in Personal-Rings"));
    p.PhoneGridMouseDown(3, 0, Qt::RightButton); // the number column: nothing
    QCOMPARE(copy->text(), QStringLiteral("Copy entry 7 to SMS book"));
    QVERIFY(!menu->isVisible());
    QTest::mouseClick(p.PhoneGrid->viewport(), Qt::RightButton, {}, p.PhoneGrid->visualRect(at).center());
    QTRY_VERIFY(menu->isVisible());
    menu->close();

    smsBook.setEntry(1, {"111", "One"});
    smsBook.setEntry(2, {"222", "Two"});
    smsBook.setEntry(4, {"444", "Four"});
    copy->trigger();
    QCOMPARE(smsBook.entry(3), (PhonebookEntry{" 0701234567 ", " Anna "}));
    const QString shown = QStringLiteral("0701234567") + QString(6, u' ') + QStringLiteral(" - Anna");
    QCOMPARE(recipient.itemText(2), shown);
    for (int k = 5; k <= 20; ++k)
        smsBook.setEntry(k, {"1", ""});
    QString why;
    w.run([copy] { copy->trigger(); }, {answer(&why)});
    QCOMPARE(why, QStringLiteral("msgSmsBookFull|Error|Your SMS.. book is full."));

    forSms->trigger();
    QCOMPARE(recipient.currentText(), shown);

    QSignalSpy ring(&p, &PhonebooksPage::personalRingNumberChosen);
    p.phoneBook.setEntry(7, {"  +4670123456789012345 ", "x"});
    forRing->trigger();
    QCOMPARE(ring.size(), 1);
    QCOMPARE(ring.at(0).at(0).toString(), QStringLiteral("+467012345678901"));
    // It lands in the personal-rings number box whole, though typing there stops at 14.
    auto *numberBox = w.rig.form->findChild<QLineEdit *>(QStringLiteral("EditPR"));
    QVERIFY(numberBox);
    QCOMPARE(numberBox->text(), QStringLiteral("+467012345678901"));
    QCOMPARE(w.rig.form->mainTabs->currentIndex(), int(Tab::Phonebooks)); // the page is not switched
}


// A book read from the phone, saved, and loaded into the other book: the
// copy then holds what the grid shows, so "Update" writes nothing.
void TestPhonebookFiles::readSavedLoadedUpdatesNothing()
{
    const QJsonObject anna{{"index", 1}, {"number", "46701234567"}, {"type", 145}, {"name", "Anna"}};
    SimPhone sim({}, QJsonObject{{"sim", QJsonObject{{"size", 3}, {"entries", QJsonArray{anna}}}}});
    QVERIFY(sim.start());
    sim.useAsCom(1);
    Window w;
    w.rig.form->link.setTiming(Timing().scaled(0.2));
    PhonebooksPage &p = *w.p;
    p.Tabs->setCurrentIndex(SimTab);
    QTest::mouseClick(p.btnRead, Qt::LeftButton);
    QCOMPARE(cell(p.SimGrid, 0, 0), QStringLiteral("3"));
    QCOMPARE(cell(p.SimGrid, 1, 1), QStringLiteral("+46701234567"));

    const QString path = w.rig.filePath(QStringLiteral("read.pbk"));
    w.click(p.btnSave, {choose(path)});
    p.Tabs->setCurrentIndex(PhoneTab);
    w.load(path);
    QCOMPARE(cell(p.PhoneGrid, 1, 2), QStringLiteral("Anna"));
    QCOMPARE(p.PhoneCopy.at(1), (PhonebookEntry{"+46701234567", "Anna"}));

    const qsizetype before = sim.commands().size();
    QTest::mouseClick(p.btnChanges, Qt::LeftButton);
    QCOMPARE(sim.commands().mid(before),
             (QStringList{QStringLiteral("AT+CPBS=\"ME\""), QStringLiteral("AT+CPBS=\"SM\"")}));
    qunsetenv("MIRVAK_COM1");
}

QTEST_MAIN(TestPhonebookFiles)
#include "tst_gui_phonebook_files.moc"
