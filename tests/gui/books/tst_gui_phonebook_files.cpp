// The SIM and phone grids of the real window: *.pbk files saved and loaded
// through the dialogs, and the grids' menus with their entry actions.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "FormRig.h"
#include "Unit1/messaging/SmsBooks.h"
#include "Unit1/messaging/SmsPage.h"
#include "Unit1/phonebooks/PhonebooksPage.h"
#include "Unit1/shell/BookTableModel.h"

using guitest::FormRig;

namespace {
enum { SimTab = 2, PhoneTab = 3 };

QString cell(QTableView *g, int r, int c) { return g->model()->index(r, c).data().toString(); }

// Hands each modal window that comes up, in turn, to the next of `steps`;
// the step closes it. Returns how many steps ran.
class ModalSteps : public QObject {
public:
    explicit ModalSteps(QList<std::function<void(QWidget *)>> steps) : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || w == m_last || m_steps.isEmpty())
                return;
            m_last = w;
            ++ran;
            m_steps.takeFirst()(w);
        });
        m_timer.start(10);
    }
    int ran = 0;

private:
    QList<std::function<void(QWidget *)>> m_steps;
    QWidget *m_last = nullptr;
    QTimer m_timer;
};

// A step that picks `path` in a file dialog.
std::function<void(QWidget *)> choose(const QString &path)
{
    return [path](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        QVERIFY(d);
        QCOMPARE(d->nameFilters(), QStringList({QStringLiteral("Phonebook (*.pbk)"), QStringLiteral("All Files (*)")}));
        // The open dialog selects only what its file model has listed yet;
        // the typed name is taken as it is.
        auto *typed = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(typed);
        typed->setText(path);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    };
}

// A step that notes a message box's name and text and answers it with `button`.
std::function<void(QWidget *)> answer(QString *seen, QMessageBox::StandardButton button = QMessageBox::Ok)
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
    PhonebooksPage *p = nullptr;

    Window()
    {
        rig.openWindow();
        rig.form->mainTabs->setCurrentIndex(1);
        p = rig.form->phonebooksPage;
    }
    void clickWith(QPushButton *b, QList<std::function<void(QWidget *)>> steps)
    {
        const int count = int(steps.size());
        ModalSteps modal(std::move(steps));
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(modal.ran, count);
    }
    void load(const QString &path, QList<std::function<void(QWidget *)>> more = {})
    {
        clickWith(p->btnLoad, QList<std::function<void(QWidget *)>>{choose(path)} + more);
    }
};
} // namespace

class TestPhonebookFiles : public QObject {
    Q_OBJECT
private slots:
    void saveAndLoadBack();
    void oddFilesLoad();
    void menusAndEntryActions();
};

void TestPhonebookFiles::saveAndLoadBack()
{
    Window w;
    PhonebooksPage &p = *w.p;
    QVERIFY(!p.btnLoad->isEnabled());
    QCOMPARE(p.btnLoad->toolTip(), QStringLiteral("Load from file"));
    p.Tabs->setCurrentIndex(SimTab);
    QVERIFY(p.btnLoad->isEnabled());
    QCOMPARE(p.btnSave->toolTip(), QStringLiteral("Save book to file"));

    p.simTable->setData(p.simTable->index(1, 1), QStringLiteral("+46701234567"));
    p.simTable->setData(p.simTable->index(1, 2), QStringLiteral("Anna"));
    p.simTable->setData(p.simTable->index(42, 2), QStringLiteral(" Caf\u00e9 "));
    const QString path = w.rig.filePath(QStringLiteral("sim.pbk"));
    w.clickWith(p.btnSave, {choose(path)});
    const QByteArray saved = Scratch::readFile(path);
    QVERIFY(saved.startsWith("001:Anna\r\n+46701234567\r\n"));
    QVERIFY(saved.endsWith("051:\r\n\r\n"));

    // Saving over it asks first; "No" keeps the file as it was.
    p.simTable->setData(p.simTable->index(1, 2), QStringLiteral("Changed"));
    QString question;
    w.clickWith(p.btnSave, {choose(path), answer(&question, QMessageBox::No),
                            [](QWidget *d) { QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection); }});
    QVERIFY(!question.isEmpty());
    QCOMPARE(Scratch::readFile(path), saved);

    // A save that cannot write says why and leaves the old file whole.
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    QString why;
    w.clickWith(p.btnSave, {choose(path), answer(&question, QMessageBox::Yes), answer(&why)});
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

    // A cancelled dialog changes nothing.
    p.simTable->setData(p.simTable->index(7, 1), QStringLiteral("999"));
    w.clickWith(p.btnLoad, {[](QWidget *d) { QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection); }});
    QCOMPARE(cell(p.SimGrid, 7, 1), QStringLiteral("999"));
}

void TestPhonebookFiles::oddFilesLoad()
{
    Window w;
    PhonebooksPage &p = *w.p;
    p.Tabs->setCurrentIndex(PhoneTab);
    p.phoneBook.setEntry(5, {"555", "Keep"});
    const QString path = w.rig.filePath(QStringLiteral("odd.pbk"));

    // A device is no file: a message, and the grid as it was.
    QString why;
    w.load(QStringLiteral("/dev/null"), {answer(&why)});
    QVERIFY2(why.startsWith(QStringLiteral("msgLoadFailed|Error|")), qPrintable(why));
    QCOMPARE(cell(p.PhoneGrid, 5, 2), QStringLiteral("Keep"));

    QVERIFY(Scratch::writeFile(path, "003:Bob\r\n123\r\n120:\r\n\r\n"));
    w.load(path);
    QCOMPARE(p.PhoneGrid->model()->rowCount(), 120);
    QCOMPARE(cell(p.PhoneGrid, 0, 0), QStringLiteral("119"));
    QCOMPARE(cell(p.PhoneGrid, 3, 2), QStringLiteral("Bob"));
    QCOMPARE(cell(p.PhoneGrid, 5, 2), QString());
    QCOMPARE(p.PhoneCopy.at(3), (PhonebookEntry{"123", "Bob"}));

    QVERIFY(Scratch::writeFile(path, "002:A\r\n1\r\n401:B\r\n2\r\n003:C\r\n3\r\n"));
    w.load(path);
    QCOMPARE(p.PhoneGrid->model()->rowCount(), 120); // never shrinks
    QCOMPARE(cell(p.PhoneGrid, 2, 2), QStringLiteral("A"));
    QCOMPARE(cell(p.PhoneGrid, 3, 2), QString());

    // Eight megabytes without a line end, then more: read only so far.
    QByteArray junk(9 * 1024 * 1024, '\xFF');
    junk.replace(0, 4, "004:");
    QVERIFY(Scratch::writeFile(path, junk + "\r\n444\r\n"));
    w.load(path);
    QCOMPARE(p.phoneBook.entry(4).name.size(), 255);
    QCOMPARE(p.phoneBook.entry(4).number, QByteArray());
}

void TestPhonebookFiles::menusAndEntryActions()
{
    Window w;
    PhonebooksPage &p = *w.p;
    SmsPage &sms = *w.rig.form->smsPage;
    SmsBooks &books = *w.rig.form->books;
    p.Tabs->setCurrentIndex(PhoneTab);
    QVERIFY(QTest::qWaitForWindowExposed(w.rig.form.get()));
    p.phoneBook.setEntry(7, {" 0701234567 ", " Anna "});
    QAction *copy = p.findChild<QAction *>(QStringLiteral("MenuCopy2"));
    QAction *forSms = p.findChild<QAction *>(QStringLiteral("UseEntry1ForSMS2"));
    QAction *forRing = p.findChild<QAction *>(QStringLiteral("UsePhoneforPR"));
    QVERIFY(copy && forSms && forRing);

    // A left press on row 7 makes it current and names the items.
    const QModelIndex at = p.phoneTable->index(7, 2);
    p.PhoneGrid->scrollTo(at);
    QTest::mouseClick(p.PhoneGrid->viewport(), Qt::LeftButton, {}, p.PhoneGrid->visualRect(at).center());
    QCOMPARE(p.PhoneGrid->currentIndex(), at);
    QCOMPARE(copy->text(), QStringLiteral("Copy entry 7 to SMS book"));
    QCOMPARE(forSms->text(), QStringLiteral("Use entry 7 for SMS"));
    QCOMPARE(forRing->text(), QStringLiteral("Use entry 7 in Personal-Rings"));
    // The number column names nothing and opens nothing.
    p.PhoneGridMouseDown(3, 0, Qt::RightButton);
    QCOMPARE(copy->text(), QStringLiteral("Copy entry 7 to SMS book"));
    auto *menu = p.findChild<QMenu *>(QStringLiteral("PopupMenu1"));
    QVERIFY(menu && !menu->isVisible());
    QTest::mouseClick(p.PhoneGrid->viewport(), Qt::RightButton, {}, p.PhoneGrid->visualRect(at).center());
    QTRY_VERIFY(menu->isVisible());
    menu->close();

    // Copied into the first free row of the SMS book and its recipient item.
    books.smsBook.setEntry(1, {"111", "One"});
    books.smsBook.setEntry(2, {"222", "Two"});
    books.smsBook.setEntry(4, {"444", "Four"});
    copy->trigger();
    QCOMPARE(books.smsBook.entry(3), (PhonebookEntry{" 0701234567 ", " Anna "}));
    const QString shown = QStringLiteral("0701234567") + QString(6, u' ') + QStringLiteral(" - Anna");
    QCOMPARE(sms.ComboBox1->itemText(2), shown);
    for (int k = 5; k <= 20; ++k)
        books.smsBook.setEntry(k, {"1", ""});
    QString why;
    {
        ModalSteps modal({answer(&why)});
        copy->trigger();
    }
    QCOMPARE(why, QStringLiteral("msgSmsBookFull|Error|Your SMS.. book is full."));
    QCOMPARE(books.smsBook.entry(5).name, QByteArray());

    forSms->trigger();
    QCOMPARE(sms.ComboBox1->currentText(), shown);

    QSignalSpy ring(&p, &PhonebooksPage::personalRingNumberChosen);
    p.phoneBook.setEntry(7, {"  +4670123456789012345 ", "x"});
    forRing->trigger();
    QCOMPARE(ring.size(), 1);
    QCOMPARE(ring.at(0).at(0).toString(), QStringLiteral("+467012345678901"));
}

QTEST_MAIN(TestPhonebookFiles)
#include "tst_gui_phonebook_files.moc"
