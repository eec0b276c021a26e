// SPDX-License-Identifier: GPL-2.0-or-later
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

#include "Observers.h"
#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/Tab.h"
#include "gui/phonebooks/PhonebooksPage.h"

using guitest::FormRig;

namespace {
enum { SimTab = 2, PhoneTab = 3 };
using pagetest::DialogSteps;
using Step = DialogSteps::Step;

QString cell(QTableView *g, int r, int c) { return g->model()->index(r, c).data().toString(); }
void setCell(QTableView *g, int r, int c, const QString &text)
{
    QVERIFY(g->model()->setData(g->model()->index(r, c), text));
}

// Types `path` into the file dialog, the filter at `filter` chosen first
// as a user does (the first, *.pbk, is the default).
Step choose(const QString &path, int filter = 0)
{
    return [path, filter](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        QVERIFY(d);
        QCOMPARE(d->nameFilters(),
                 QStringList({QStringLiteral("Phonebook files (*.pbk)"), QStringLiteral("vCard files (*.vcf)"),
                              QStringLiteral("CSV files (*.csv)"), QStringLiteral("All Files (*)")}));
        QCOMPARE(d->selectedNameFilter(), d->nameFilters().constFirst());
        auto *types = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        for (int k = 0; k < filter; ++k)
            QTest::keyClick(types, Qt::Key_Down);
        QCOMPARE(d->selectedNameFilter(), d->nameFilters().at(filter));
        pagetest::typeAndAccept(d, path);
    };
}

// Notes a message box as "name|caption|text" and answers it.
Step answer(QString *seen, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    return [seen, button](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        *seen = box->objectName() + QLatin1Char('|') + box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(button)->click();
    };
}

struct Window {
    FormRig rig;
    PhonebooksPage *p;

    Window()
    {
        rig.openWindow();
        rig.form->mainTabs->setCurrentIndex(int(Tab::Phonebooks));
        p = guitest::find<PhonebooksPage>(rig.form.get(), QStringLiteral("Panel2"));
    }
    template <typename T = QWidget> T *find(const char *name) const
    {
        return guitest::find<T>(p, QString::fromLatin1(name));
    }
    QTableView *grid(const char *name) const { return find<QTableView>(name); }
    void showTab(int tab) const { find<QTabWidget>("Tabs")->setCurrentIndex(tab); }
    // Runs `act`; each dialog that comes up meanwhile goes, in turn, to the
    // next step, which closes it.
    void run(const std::function<void()> &act, QList<Step> steps)
    {
        DialogSteps dialogs(steps);
        act();
        QVERIFY(dialogs.allTaken());
        QCOMPARE(dialogs.shown, int(steps.size()));
    }
    void click(const char *button, QList<Step> steps)
    {
        QPushButton *b = find<QPushButton>(button);
        run([b] { QTest::mouseClick(b, Qt::LeftButton); }, steps);
    }
    void load(const QString &path, QList<Step> more = {}) { click("btnLoad", QList<Step>{choose(path)} + more); }
};
} // namespace

class TestPhonebookFiles : public QObject {
    Q_OBJECT
private slots:
    void saveAndLoadBack();
    void oddFilesLoad();
    void menusAndEntryActions();
    void readSavedLoadedUpdatesNothing();
    void vcardSavedLoadedAndWritten();
    void importToSmallSim();
    void csvLoadsReport();
};

void TestPhonebookFiles::saveAndLoadBack()
{
    Window w;
    PhonebooksPage &p = *w.p;
    QTableView *sim = w.grid("SimGrid");
    QVERIFY(!w.find("btnLoad")->isEnabled());
    w.showTab(SimTab);
    QVERIFY(w.find("btnLoad")->isEnabled());
    setCell(sim, 1, 1, QStringLiteral("+46701234567"));
    setCell(sim, 1, 2, QStringLiteral("Anna"));
    setCell(sim, 42, 2, QStringLiteral(" Caf\u00e9 "));
    const QString path = w.rig.filePath(QStringLiteral("sim.pbk"));
    w.click("btnSave", {choose(path)});
    const QByteArray saved = Scratch::readFile(path);
    QVERIFY(saved.startsWith("001:Anna\r\n+46701234567\r\n") && saved.endsWith("051:\r\n\r\n"));

    // Replacing asks first; a save that cannot write says why and leaves the
    // old file whole.
    setCell(sim, 1, 2, QStringLiteral("Changed"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    QString question, why;
    w.click("btnSave", {choose(path), answer(&question, QMessageBox::Yes), answer(&why)});
    QVERIFY(question.contains(QStringLiteral("sim.pbk")));
    QVERIFY2(why.startsWith(QStringLiteral("msgSaveFailed|Error|")) && why.contains(QStringLiteral("read-only")),
             qPrintable(why));
    QCOMPARE(Scratch::readFile(path), saved);

    // Loaded back over the edits: the grid as saved, the copy as the grid.
    setCell(sim, 7, 1, QStringLiteral("999"));
    w.load(path);
    QCOMPARE(cell(sim, 1, 2), QStringLiteral("Anna"));
    QCOMPARE(cell(sim, 42, 2), QStringLiteral("Caf\u00e9"));
    QCOMPARE(cell(sim, 7, 1), QString());
    QCOMPARE(sim->model()->rowCount(), 51);
    for (int r = 1; r <= p.simBook.count(); ++r)
        QCOMPARE(p.SimCopy.at(r), p.simBook.entry(r));
    QCOMPARE(p.PhoneCopy, PhonebookEntries(PhonebooksPage::CopyEntries));

    setCell(sim, 7, 1, QStringLiteral("999"));
    w.click("btnLoad", {[](QWidget *d) { static_cast<QDialog *>(d)->reject(); }});
    QCOMPARE(cell(sim, 7, 1), QStringLiteral("999"));
}

void TestPhonebookFiles::oddFilesLoad()
{
    Window w;
    PhonebooksPage &p = *w.p;
    QTableView *phone = w.grid("PhoneGrid");
    w.showTab(PhoneTab);
    setCell(phone, 5, 2, QStringLiteral("Keep"));

    // A device is no file: a message, and the grid as it was.
    QString why;
    w.load(QStringLiteral("/dev/null"), {answer(&why)});
    QVERIFY2(why.startsWith(QStringLiteral("msgLoadFailed|Error|")), qPrintable(why));
    QCOMPARE(cell(phone, 5, 2), QStringLiteral("Keep"));

    // A record just past the last row holds an entry: the grid grows by
    // one, and the top-left cell shows the new count as every growth does.
    const QString path = w.rig.filePath(QStringLiteral("odd.pbk"));
    QVERIFY(Scratch::writeFile(path, "051:Zed\r\n5151\r\n"));
    w.load(path);
    QCOMPARE(phone->model()->rowCount(), 52);
    QCOMPARE(cell(phone, 0, 0), QStringLiteral("51"));
    QCOMPARE(cell(phone, 51, 2), QStringLiteral("Zed"));
    QCOMPARE(cell(phone, 51, 0), QStringLiteral("51"));

    QVERIFY(Scratch::writeFile(path, "003:Bob\r\n123\r\n120:\r\n\r\n"));
    w.load(path);
    QCOMPARE(phone->model()->rowCount(), 120);
    QCOMPARE(cell(phone, 0, 0), QStringLiteral("119"));
    QCOMPARE(cell(phone, 5, 2), QString());
    QCOMPARE(cell(phone, 51, 2), QString());
    QCOMPARE(p.PhoneCopy.at(3), (PhonebookEntry{"123", "Bob"}));

    QVERIFY(Scratch::writeFile(path, "002:A\r\n1\r\n401:B\r\n2\r\n003:C\r\n3\r\n"));
    w.load(path);
    QCOMPARE(phone->model()->rowCount(), 120); // never shrinks
    QCOMPARE(cell(phone, 2, 2), QStringLiteral("A"));
    QCOMPARE(cell(phone, 3, 2), QString());

    // A record 120 that holds an entry grows the grid past the empty one's
    // 119 rows, and its entry is kept in a row of its own.
    QTableView *sim = w.grid("SimGrid");
    w.showTab(SimTab);
    QVERIFY(Scratch::writeFile(path, "120:Zed\r\n999\r\n"));
    w.load(path);
    QCOMPARE(sim->model()->rowCount(), 121);
    QCOMPARE(cell(sim, 0, 0), QStringLiteral("120"));
    QCOMPARE(cell(sim, 120, 2), QStringLiteral("Zed"));
}

void TestPhonebookFiles::menusAndEntryActions()
{
    Window w;
    PhonebooksPage &p = *w.p;
    auto *recipient = guitest::find<QComboBox>(w.rig.form.get(), QStringLiteral("ComboBox1"));
    QTableView *phone = w.grid("PhoneGrid");
    QTableView *sms = w.grid("SMSgrid");
    w.showTab(PhoneTab);
    QVERIFY(QTest::qWaitForWindowExposed(w.rig.form.get()));
    setCell(phone, 7, 1, QStringLiteral(" 0701234567 "));
    setCell(phone, 7, 2, QStringLiteral(" Anna "));
    auto *copy = w.find<QAction>("MenuCopy2");
    auto *forSms = w.find<QAction>("UseEntry1ForSMS2");
    auto *forRing = w.find<QAction>("UsePhoneforPR");
    auto *menu = w.find<QMenu>("PopupMenu1");
    QVERIFY(copy && forSms && forRing && menu);

    const QModelIndex at = phone->model()->index(7, 2);
    phone->scrollTo(at);
    QTest::mouseClick(phone->viewport(), Qt::LeftButton, {}, phone->visualRect(at).center());
    QCOMPARE(phone->currentIndex(), at);
    QCOMPARE(copy->text(), QStringLiteral("Copy entry 7 to SMS book"));
    QCOMPARE(forSms->text(), QStringLiteral("Use entry 7 for SMS"));
    QCOMPARE(forRing->text(), QStringLiteral("Use entry 7 in Personal-Rings"));
    p.PhoneGridMouseDown(3, 0, Qt::RightButton); // the number column: nothing
    QCOMPARE(copy->text(), QStringLiteral("Copy entry 7 to SMS book"));
    QVERIFY(!menu->isVisible());
    QTest::mouseClick(phone->viewport(), Qt::RightButton, {}, phone->visualRect(at).center());
    QTRY_VERIFY(menu->isVisible());
    menu->close();

    setCell(sms, 1, 1, QStringLiteral("111"));
    setCell(sms, 2, 1, QStringLiteral("222"));
    setCell(sms, 4, 1, QStringLiteral("444"));
    copy->trigger();
    QCOMPARE(cell(sms, 3, 1), QStringLiteral(" 0701234567 "));
    QCOMPARE(cell(sms, 3, 2), QStringLiteral(" Anna "));
    const QString shown = QStringLiteral("0701234567") + QString(6, u' ') + QStringLiteral(" - Anna");
    QCOMPARE(recipient->itemText(2), shown);
    for (int k = 5; k <= 20; ++k)
        setCell(sms, k, 1, QStringLiteral("1"));
    QString why;
    w.run([copy] { copy->trigger(); }, {answer(&why)});
    QCOMPARE(why, QStringLiteral("msgSmsBookFull|Error|Your SMS.. book is full."));

    forSms->trigger();
    QCOMPARE(recipient->currentText(), shown);

    QSignalSpy ring(&p, &PhonebooksPage::personalRingNumberChosen);
    setCell(phone, 7, 1, QStringLiteral("  +4670123456789012345 "));
    setCell(phone, 7, 2, QStringLiteral("x"));
    forRing->trigger();
    QCOMPARE(ring.size(), 1);
    QCOMPARE(ring.at(0).at(0).toString(), QStringLiteral("+467012345678901"));
    // It lands in the personal-rings number box whole, though typing there stops at 14.
    auto *numberBox = guitest::find<QLineEdit>(w.rig.form.get(), QStringLiteral("EditPR"));
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
    w.rig.form->link.setTiming(guitest::testTiming(0.2));
    w.showTab(SimTab);
    QTest::mouseClick(w.find("btnRead"), Qt::LeftButton);
    QCOMPARE(cell(w.grid("SimGrid"), 0, 0), QStringLiteral("3"));
    QCOMPARE(cell(w.grid("SimGrid"), 1, 1), QStringLiteral("+46701234567"));

    const QString path = w.rig.filePath(QStringLiteral("read.pbk"));
    w.click("btnSave", {choose(path)});
    w.showTab(PhoneTab);
    w.load(path);
    QCOMPARE(cell(w.grid("PhoneGrid"), 1, 2), QStringLiteral("Anna"));
    QCOMPARE(w.p->PhoneCopy.at(1), (PhonebookEntry{"+46701234567", "Anna"}));

    const qsizetype before = sim.commands().size();
    QTest::mouseClick(w.find("btnChanges"), Qt::LeftButton);
    QCOMPARE(sim.commands().mid(before), (QStringList{"AT+CGSN", "AT+CPBS=\"ME\"", "AT+CPBS=\"SM\""}));
    qunsetenv("MIRVAK_COM1");
}

// The SIM book saved as a vCard (the filter gives the name its extension),
// loaded into the phone grid with one message, and written to the phone.
void TestPhonebookFiles::vcardSavedLoadedAndWritten()
{
    SimPhone sim({}, QJsonObject{{"phonebook", QJsonObject{{"size", 50}, {"entries", QJsonArray{}}}}});
    QVERIFY(sim.start());
    sim.useAsCom(1);
    Window w;
    PhonebooksPage &p = *w.p;
    w.rig.form->link.setTiming(guitest::testTiming(0.2));
    QTableView *simGrid = w.grid("SimGrid");
    QTableView *phone = w.grid("PhoneGrid");
    w.showTab(SimTab);
    setCell(simGrid, 1, 1, QStringLiteral("+46701234567"));
    setCell(simGrid, 1, 2, QStringLiteral("\u00c5sa M\u00fcller"));
    setCell(simGrid, 4, 1, QStringLiteral("0812"));
    setCell(simGrid, 4, 2, QStringLiteral("Smith, Jo"));
    setCell(simGrid, 9, 1, QStringLiteral("*100#"));
    w.click("btnSave", {choose(w.rig.filePath(QStringLiteral("sim")), 1)});
    const QByteArray card = Scratch::readFile(w.rig.filePath(QStringLiteral("sim.vcf")));
    QVERIFY2(card.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xC3\x85sa M\xC3\xBCller\r\n"), card.constData());
    QCOMPARE(card.count("BEGIN:VCARD"), 3);

    // Loaded over edits in the phone grid: each entry in its row, the copy
    // as the grid, so "Update" writes nothing.
    w.showTab(PhoneTab);
    setCell(phone, 2, 2, QStringLiteral("Gone"));
    QString report;
    w.load(w.rig.filePath(QStringLiteral("sim.vcf")), {answer(&report)});
    QCOMPARE(report, QStringLiteral("msgLoadReport|Load|3 entries read from sim.vcf."));
    QCOMPARE(cell(phone, 1, 2), QStringLiteral("\u00c5sa M\u00fcller"));
    QCOMPARE(cell(phone, 4, 2), QStringLiteral("Smith, Jo"));
    QCOMPARE(cell(phone, 9, 1), QStringLiteral("*100#"));
    QCOMPARE(cell(phone, 9, 2), QString());
    QCOMPARE(cell(phone, 2, 2), QString());
    for (int r = 1; r <= p.phoneBook.count(); ++r)
        QCOMPARE(p.PhoneCopy.at(r), p.phoneBook.entry(r));
    qsizetype before = sim.commands().size();
    QTest::mouseClick(w.find("btnChanges"), Qt::LeftButton);
    // The first transfer asks what the phone offers first.
    QCOMPARE(sim.commands().mid(before),
             SimPhone::capabilityProbe() + (QStringList{"AT+CPBS=\"ME\"", "AT+CPBS=\"SM\""}));

    // "Write" sends every row, the names as the phone's 8-bit text.
    QString question;
    before = sim.commands().size();
    w.click("btnWrite", {answer(&question, QMessageBox::Ok)});
    QCOMPARE(question, QStringLiteral("confirmWrite|Write all entries...|Write all entries to Phone, Are you sure?"));
    const QStringList sent = sim.commands().mid(before + 1);
    QCOMPARE(sim.commands().at(before), QStringLiteral("AT+CGSN"));
    QCOMPARE(sent.size(), 53);
    QCOMPARE(sent.at(1), QStringLiteral("AT+CPBR=?"));
    QCOMPARE(sent.at(2), QStringLiteral("AT+CPBW=1,\"46701234567\",145,\"\u00c5sa M\u00fcller\""));
    QCOMPARE(sent.at(5), QStringLiteral("AT+CPBW=4,\"0812\",129,\"Smith, Jo\""));
    QCOMPARE(sent.at(10), QStringLiteral("AT+CPBW=9,\"*100#\",129,\"\""));
    QCOMPARE(sent.at(3), QStringLiteral("AT+CPBW=2,\"\",129,\"\""));
    qunsetenv("MIRVAK_COM1");
}

// A SIM of 14-character names: the load asks the phone what its book takes
// and cuts the names to it, and the write stores every entry.
void TestPhonebookFiles::importToSmallSim()
{
    SimPhone sim({}, QJsonObject{{"sim", QJsonObject{{"size", 30}, {"nameLength", 14}, {"entries", QJsonArray{}}}}});
    QVERIFY(sim.start());
    sim.useAsCom(1);
    Window w;
    w.rig.form->link.setTiming(guitest::testTiming(0.2));
    w.showTab(SimTab);
    const QString path = w.rig.filePath(QStringLiteral("outlook.csv"));
    QVERIFY(Scratch::writeFile(path, "First Name,Last Name,Mobile Phone,Business Phone,Business Fax\r\n"
                                     "Bartholomew,Longname,0701,Tel privat,0703\r\nAl,Ek,0704,,\r\n"));
    QString report;
    w.load(path, {answer(&report)});
    QCOMPARE(sim.commands(), (QStringList{"AT+CPBS=\"SM\"", "AT+CPBR=?", "AT+CPBS=\"SM\""}));
    QCOMPARE(report, QStringLiteral("msgLoadReport|Load|3 entries read from outlook.csv.\n"
                                    "2 names were cut or changed to fit the phone.\n"
                                    "1 fax or pager number was read as an \"/O\" entry.\n\nSkipped:\n"
                                    "line 2: \"Bartholomew Longname\": \"Tel privat\" is no phone number"));
    QString question;
    w.click("btnWrite", {answer(&question, QMessageBox::Ok)});
    const QJsonArray stored = sim.stopAndDump().value("sim").toObject().value("entries").toArray();
    QStringList names;
    for (const QJsonValue &e : stored)
        names << e.toObject().value("name").toString();
    QCOMPARE(names, (QStringList{"Bartholomew/M", "Bartholomew/O", "Al Ek"}));
    qunsetenv("MIRVAK_COM1");
}

// CSV exports of other programs: a typed extension picks the format, the
// message names what was changed and skipped, and a file of no known
// header leaves the grid as it was.
void TestPhonebookFiles::csvLoadsReport()
{
    Window w;
    QTableView *sim = w.grid("SimGrid");
    w.showTab(SimTab);
    const QString path = w.rig.filePath(QStringLiteral("thunderbird.csv"));
    QVERIFY(Scratch::writeFile(path, "First Name,Last Name,Display Name,Work Phone,Home Phone,Mobile Number\r\n"
                                     "Bartholomew,Z,,031-1,,0705\r\n"
                                     "\xC5\x81ukasz,Nowak,,,,0706\r\n"
                                     "Mail,Only,,,,\r\n"));
    QString report;
    w.load(path, {answer(&report)});
    QCOMPARE(report, QStringLiteral("msgLoadReport|Load|3 entries read from thunderbird.csv.\n"
                                    "1 name was cut or changed to fit the phone.\n\nSkipped:\n"
                                    "line 4: \"Mail Only\" has no phone number"));
    QCOMPARE(cell(sim, 1, 2), QStringLiteral("Bartholomew Z/W"));
    QCOMPARE(cell(sim, 2, 2), QStringLiteral("Bartholomew Z/M"));
    QCOMPARE(cell(sim, 3, 2), QStringLiteral("Lukasz Nowak"));
    QCOMPARE(cell(sim, 3, 1), QStringLiteral("0706"));

    QVERIFY(Scratch::writeFile(path, "Foo,Bar\r\n1,2\r\n"));
    QString why;
    w.load(path, {answer(&why)});
    QVERIFY2(why.startsWith(QStringLiteral("msgLoadFailed|Error|Cannot load ")), qPrintable(why));
    QCOMPARE(cell(sim, 3, 2), QStringLiteral("Lukasz Nowak"));

    // A file with nothing the phone can hold also leaves the grid alone.
    QVERIFY(Scratch::writeFile(path, "Name,Number\r\nAnn,\r\n"));
    w.load(path, {answer(&report)});
    QVERIFY2(report.endsWith(QStringLiteral("The book was left as it was.")), qPrintable(report));
    QCOMPARE(cell(sim, 3, 2), QStringLiteral("Lukasz Nowak"));
}

QTEST_MAIN(TestPhonebookFiles)
#include "tst_gui_phonebook_files.moc"
