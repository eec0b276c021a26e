// The real main window in a scratch folder: start-up, navigation, the page
// lock, the clock, the error dialog, and what closing does to the book file.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cerrno>
#include <memory>

#include "link/port/TComPort.h"
#include "gui/common/TComRadioGroup.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "gui/info/InfoPage.h"
#include "Scratch.h"
#include "SimPhone.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/MessagingState.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/messaging/SmsPage.h"
#include "gui/window/AboutPage.h"
#include "gui/settings/SettingsPage.h"
#include "gui/melodies/MelodiesPage.h"
#include "gui/window/TForm1.h"
#include "gui/window/TForm2.h"
#include "gui/window/TForm5.h"

namespace {

const QString BookFileName = QStringLiteral("QXsms.phb");

// A complete, valid book file with one SMS entry and the port byte given.
QByteArray bookImage(int port)
{
    QByteArray image = BookFile::newImage(MessagingState::defaultIcqSmsc(), MessagingState::defaultIcqGateway());
    const QByteArray entry = QByteArray("+4670123456").leftJustified(16, ' ') + QByteArray("Anna").leftJustified(20, ' ');
    image.replace(0, entry.size(), entry);
    image[BookFile::PortOffset] = char(port);
    image += QByteArray(BookFile::FullSize - image.size(), ' ');
    return image;
}

void clickTab(TForm1 &form, int index)
{
    QTest::mouseClick(form.mainTabs, Qt::LeftButton, {}, form.mainTabs->tabRect(index).center());
}

QList<QTreeWidgetItem *> treeInOrder(QTreeWidget *tree)
{
    QList<QTreeWidgetItem *> items;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        items << *it;
    return items;
}

void clickNode(QTreeWidget *tree, QTreeWidgetItem *item)
{
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

} // namespace

class TstShellWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstRunOpensThePortChooser();
    void unwritableBookFileIsReported();
    void normalRunOpensOnSms();
    void settingsTreeBringsEachPanelForward();
    void tabsSwitchPagesAndTheClock();
    void pageLockSnapsTheTabBack();
    void aboutPageAndCable();
    void closeSavesAChangedPort_data();
    void closeSavesAChangedPort();
    void closeWithoutChangeLeavesTheFileAlone();
    void closeWithoutBookFileCreatesNothing();
    void missingPortShowsTheErrorDialog();
    void linkAndPortFailuresReachTheUser();
    void closeEndsTheLinkWithThePhone();
    void closeDuringAnExchangeAbortsIt();
    void screenshots();

private:
    std::unique_ptr<TForm1> makeForm();

    std::unique_ptr<Scratch> m_dir;
    QString BookName; // the window's book file, in m_dir
};

void TstShellWindow::init()
{
    m_dir = std::make_unique<Scratch>();
    QVERIFY(m_dir->ok());
    BookName = m_dir->filePath(BookFileName);
    // Nothing here may reach a real serial device.
    qputenv("MIRVAK_COM1", QFile::encodeName(m_dir->filePath(QStringLiteral("no-such-tty"))));
}

void TstShellWindow::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<TForm1> TstShellWindow::makeForm()
{
    auto form = std::make_unique<TForm1>(nullptr, m_dir->path());
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        qWarning("main window not exposed");
    return form;
}

void TstShellWindow::firstRunOpensThePortChooser()
{
    QVERIFY(!QFile::exists(BookName));
    auto form = makeForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Mirvak v1.7c"));
    QCOMPARE(form->size(), QSize(329, 284));
    QCOMPARE(form->minimumSize(), form->maximumSize());

    QCOMPARE(form->mainTabs->currentIndex(), 3);
    QCOMPARE(form->mainPages->currentWidget(), static_cast<QWidget *>(form->settingsPage));
    QVERIFY(form->settingsPage->isEnabled());
    QVERIFY(!form->smsPage->isEnabled());
    QWidget *mirvak = form->settingsPage->currentPanel();
    QCOMPARE(mirvak->objectName(), QStringLiteral("PanelMirvak"));
    QVERIFY(mirvak->isAncestorOf(form->cpa));
    QVERIFY(mirvak->findChild<QWidget *>(QStringLiteral("EditICQSMSC")));
    QVERIFY(!form->TimerClock.isActive()); // the clock runs on the SMS tab only

    QVERIFY(form->books->BookNew);
    QCOMPARE(QFileInfo(BookName).size(), qint64(BookFile::NewSize));
    QCOMPARE(form->smsPage->ComboBox1->currentText(), QStringLiteral(" New Phonebook created."));
    QCOMPARE(form->smsPage->statusPanel[2]->text(), QStringLiteral("COM1"));
    QVERIFY(!form->findChild<QMessageBox *>(QStringLiteral("bookFileWarning")));
}

// A damaged book file the user made read-only cannot be repaired: the user
// is told at start-up, the window stays usable, and the file is left as it was.
void TstShellWindow::unwritableBookFileIsReported()
{
    const QByteArray damaged = bookImage(2).left(BookFile::IcqNumbersOffset + 5);
    QVERIFY(m_dir->write(BookFileName, damaged));
    QFile::setPermissions(BookName, QFileDevice::ReadOwner);
    auto form = makeForm();
    auto *box = form->findChild<QMessageBox *>(QStringLiteral("bookFileWarning"));
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY2(box->text().contains(QStringLiteral("read-only")), qPrintable(box->text()));
    QVERIFY(form->isEnabled());
    QVERIFY(QApplication::activeModalWidget() != box);
    QFile::setPermissions(BookName, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(m_dir->read(BookFileName), damaged);
}

void TstShellWindow::normalRunOpensOnSms()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    QVERIFY(!form->books->BookNew);

    QCOMPARE(form->mainTabs->count(), 5);
    const QStringList tabs{"SMS", "Phonebooks", "Melodies", "Settings", "About"};
    for (int i = 0; i < tabs.size(); ++i)
        QCOMPARE(form->mainTabs->tabText(i), tabs.at(i));
    QVERIFY(form->mainTabs->height() <= 22);

    QCOMPARE(form->mainTabs->currentIndex(), 0);
    QCOMPARE(form->mainPages->currentWidget(), static_cast<QWidget *>(form->smsPage));
    for (int i = 0; i < form->mainPages->count(); ++i)
        QCOMPARE(form->mainPages->widget(i)->isEnabled(), form->mainPages->widget(i) == form->smsPage);

    QCOMPARE(form->smsPage->TextBox->toPlainText(), QStringLiteral("SMS..."));
    QCOMPARE(form->smsPage->TextBox->textCursor().selectedText(), QStringLiteral("SMS..."));
    QCOMPARE(form->smsPage->chkReply->text(), QStringLiteral("Request reply"));
    QVERIFY(form->smsPage->btnExit->text().isEmpty());
    QVERIFY(form->smsPage->btnAbort->text().isEmpty());
    QVERIFY(form->smsPage->ComboBox1->currentText().startsWith(QStringLiteral("+4670123456")));
    QCOMPARE(form->settingsPage->Tree->currentItem()->text(0), QStringLiteral("Settings-1"));
    QCOMPARE(form->settingsPage->currentPanel()->objectName(), QStringLiteral("panelSet1"));

    QVERIFY(form->TimerClock.isActive());
    QCOMPARE(form->TimerClock.interval(), 1000);
    const QRegularExpression hhmm(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"));
    QVERIFY(hhmm.match(form->smsPage->statusPanel[1]->text()).hasMatch());
    QCOMPARE(form->smsPage->statusPanel[2]->text(), QStringLiteral("COM1"));
    // The clock keeps itself current.
    form->smsPage->statusPanel[1]->setText(QStringLiteral("--"));
    QTRY_VERIFY_WITH_TIMEOUT(hhmm.match(form->smsPage->statusPanel[1]->text()).hasMatch(), 5000);
}

void TstShellWindow::settingsTreeBringsEachPanelForward()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    clickTab(*form, 3);
    SettingsPage *page = form->settingsPage;
    QCOMPARE(page->Tree->width(), 114);
    QCOMPARE(page->Tree->editTriggers(), QAbstractItemView::NoEditTriggers);

    // Node, its parent node, the panel it brings to the front and that panel's caption.
    const struct {
        QString text, parent, panel, caption;
    } nodes[] = {
        {"Settings-1", "", "panelSet1", "Settings - 1"},
        {"Settings-2", "", "PanelSet2", "Settings - 2"},
        {"Profiles", "", "PanelProfiles", "Profiles"},
        {"Call Forward", "", "", ""}, // brings nothing: the panel in front stays
        {"Voice", "Call Forward", "PanelVoice", "Voice Call Forwarding"},
        {"Data", "Call Forward", "PanelData", "Data Call Forwarding"},
        {"Fax", "Call Forward", "PanelFax", "Fax Call Forwarding"},
        {"Call Waiting", "", "PanelCallWait", "Call Waiting"},
        {"Personal Rings", "", "PanelPersonal", "Personal Rings"},
        {"Clock", "", "PanelClock", "Clock"},
        {"GSM Info", "", "PanelInfo", ""},
        {"Wap", "", "panelWapsoon", "WAP settings coming soon....."},
        {"GPRS", "", "PanelGPRSSoon", "GPRS settings coming soon....."},
        {"Mirvak", "", "PanelMirvak", ""},
    };
    const QList<QTreeWidgetItem *> items = treeInOrder(page->Tree);
    QCOMPARE(items.size(), int(std::size(nodes)));
    QStringList texts;
    for (int i = 0; i < items.size(); ++i) {
        const auto &node = nodes[i];
        QTreeWidgetItem *item = items.at(i);
        texts << node.text;
        QCOMPARE(item->text(0), node.text);
        QCOMPARE(item->parent() ? item->parent()->text(0) : QString(), node.parent);
        QVERIFY(item->childCount() == 0 || item->isExpanded());
        QWidget *before = page->currentPanel();
        clickNode(page->Tree, item);
        QCOMPARE(page->Tree->currentItem(), item);
        QCOMPARE(page->currentPanel(), node.panel.isEmpty() ? before : page->panel(node.panel));
        QVERIFY(page->currentPanel()->isVisible());
        QCOMPARE(page->panelForNode(node.text), node.panel.isEmpty() ? nullptr : page->panel(node.panel));
        const auto *caption = page->currentPanel()->findChild<QLabel *>(node.panel + "Caption");
        QCOMPARE(caption ? caption->text() : QString(), node.caption);
    }
    QCOMPARE(page->nodeTexts(), texts);
    QCOMPARE(page->panel("PanelInfo"), static_cast<QWidget *>(form->infoPage));

    // Right-click selects too.
    QTreeWidgetItem *clock = items.at(9);
    page->Tree->scrollToItem(clock);
    QTest::mouseClick(page->Tree->viewport(), Qt::RightButton, {}, page->Tree->visualItemRect(clock).center());
    QCOMPARE(page->currentPanel()->objectName(), QStringLiteral("PanelClock"));

    // Brought forward by name, the tree left alone.
    QVERIFY(page->showPanel(QStringLiteral("PanelMirvak")));
    QCOMPARE(page->currentPanel()->objectName(), QStringLiteral("PanelMirvak"));
    QCOMPARE(page->Tree->currentItem(), clock);
    QVERIFY(!page->showPanel(QStringLiteral("NoSuchPanel")));
    QCOMPARE(page->currentPanel()->objectName(), QStringLiteral("PanelMirvak"));
}

void TstShellWindow::tabsSwitchPagesAndTheClock()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    // The timers are found by name like every control.
    QCOMPARE(form->findChild<QTimer *>(QStringLiteral("TimerClock")), &form->TimerClock);
    QVERIFY(form->findChild<QTimer *>(QStringLiteral("Timer2")));
    QWidget *const pages[] = {form->smsPage, form->phonebooksPage, form->Panel3, form->settingsPage, form->aboutPage};
    for (int i : {1, 2, 3, 4, 0}) {
        clickTab(*form, i);
        QCOMPARE(form->mainTabs->currentIndex(), i);
        QCOMPARE(form->mainPages->currentWidget(), pages[i]);
        for (QWidget *p : pages)
            QCOMPARE(p->isEnabled(), p == pages[i]);
        QCOMPARE(form->TimerClock.isActive(), i == 0);
    }

    // Back on the SMS tab the status bar shows the port chosen meanwhile.
    clickTab(*form, 3);
    form->ComPort1.setPort(QStringLiteral("com3"));
    QCOMPARE(form->smsPage->statusPanel[2]->text(), QStringLiteral("COM1"));
    form->smsPage->statusPanel[1]->clear();
    clickTab(*form, 0);
    QCOMPARE(form->smsPage->statusPanel[2]->text(), QStringLiteral("COM3"));
    QVERIFY(!form->smsPage->statusPanel[1]->text().isEmpty()); // refreshed at once
    QVERIFY(form->TimerClock.isActive());
}

void TstShellWindow::pageLockSnapsTheTabBack()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    clickTab(*form, 3);
    form->settingsPage->selectNode(QStringLiteral("Clock"));
    auto op = std::make_unique<OperationGuard>(form->link, Tab::Settings);
    for (int i : {0, 1, 4}) {
        clickTab(*form, i);
        QCOMPARE(form->mainTabs->currentIndex(), 3);
        QCOMPARE(form->mainPages->currentWidget(), static_cast<QWidget *>(form->settingsPage));
        QVERIFY(form->settingsPage->isEnabled());
        QVERIFY(!form->TimerClock.isActive());
    }
    // The settings tree is not locked.
    form->settingsPage->selectNode(QStringLiteral("Wap"));
    QCOMPARE(form->settingsPage->currentPanel()->objectName(), QStringLiteral("panelWapsoon"));

    op.reset();
    clickTab(*form, 0);
    QCOMPARE(form->mainTabs->currentIndex(), 0);
    QCOMPARE(form->mainPages->currentWidget(), static_cast<QWidget *>(form->smsPage));
}

void TstShellWindow::aboutPageAndCable()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    clickTab(*form, 4);
    AboutPage *about = form->aboutPage;
    QCOMPARE(about->VisitBox->title(), QStringLiteral(" For updates and GSM data cables please visit: "));
    QCOMPARE(about->verLabel->text(), QStringLiteral("v1.7c"));
    QCOMPARE(about->www->toolTip(), AboutPage::WebLink);
    QVERIFY(AboutPage::WebLink.startsWith(QStringLiteral("https://")));
    QVERIFY(AboutPage::WebLink.contains(about->www->text()));
    QCOMPARE(about->lblEmail->toolTip(), QStringLiteral("mailto:") + about->lblEmail->text());
    QCOMPARE(about->Image1->toolTip(), AboutPage::WebLink);
    for (QLabel *l : {static_cast<QLabel *>(about->www), static_cast<QLabel *>(about->lblEmail)}) {
        QVERIFY(l->font().bold());
        QCOMPARE(l->font().pixelSize(), 21);
        QCOMPARE(l->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
        // The address must fit its box, not be cut.
        QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                 qPrintable(l->objectName()));
    }
    QVERIFY(about->InfoBox->isReadOnly());
    QCOMPARE(about->InfoBox->focusPolicy(), Qt::NoFocus);
    QVERIFY(!about->InfoBox->toPlainText().isEmpty());
    QVERIFY(!about->cwlabel->text().isEmpty());

    QCOMPARE(about->BitBtn3->text(), QStringLiteral("More...."));
    QTest::mouseClick(about->BitBtn3, Qt::LeftButton);
    QCOMPARE(form->mainPages->currentWidget(), about->Panel6);
    QVERIFY(about->Panel6->isEnabled());
    QVERIFY(!about->isEnabled());
    QCOMPARE(about->cableTitle->text(), QStringLiteral("  T2x,T2618, r3x0 etc Data / SMS cable "));
    QTest::mouseClick(about->BitBtn1, Qt::LeftButton);
    QCOMPARE(form->mainPages->currentWidget(), static_cast<QWidget *>(about));
    QVERIFY(about->isEnabled());
}

void TstShellWindow::closeSavesAChangedPort_data()
{
    QTest::addColumn<int>("loaded");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("saved");
    QTest::newRow("COM1 to COM3") << 1 << "COM3" << 3;
    QTest::newRow("COM2 to COM8") << 2 << "COM8" << 8;
    QTest::newRow("COM2 to COM9") << 2 << "COM9" << 1;
    QTest::newRow("COM4 to COM16") << 4 << "COM16" << 1;
}

void TstShellWindow::closeSavesAChangedPort()
{
    QFETCH(int, loaded);
    QFETCH(QString, chosen);
    QFETCH(int, saved);
    const QByteArray before = bookImage(loaded);
    QVERIFY(m_dir->write(BookFileName, before));
    auto form = makeForm();
    QCOMPARE(form->ComPort1.Port(), QStringLiteral("COM%1").arg(loaded));
    form->ComPort1.setPort(chosen);
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
    QCOMPARE(form->windowTitle(), QStringLiteral("Closing........"));
    QCOMPARE(form->smsPage->status(), QStringLiteral("Closing........."));

    QByteArray expected = before;
    expected[720] = char(saved);
    expected[721] = 0;
    const QByteArray after = m_dir->read(BookFileName);
    QCOMPARE(after.size(), expected.size());
    for (int i = 0; i < after.size(); ++i)
        QVERIFY2(after.at(i) == expected.at(i), qPrintable(QStringLiteral("offset %1: %2 instead of %3")
                                                              .arg(i).arg(int(uchar(after.at(i))))
                                                              .arg(int(uchar(expected.at(i))))));
}

void TstShellWindow::closeWithoutChangeLeavesTheFileAlone()
{
    // A file whose ICQ book is shorter than the full size stays exactly so.
    QByteArray before = bookImage(5);
    before.truncate(BookFile::NewSize);
    QVERIFY(m_dir->write(BookFileName, before));
    const QDateTime stamp = QFileInfo(BookName).lastModified();
    auto form = makeForm();
    form->ComPort1.setPort(QStringLiteral("COM2"));
    form->ComPort1.setPort(QStringLiteral("COM5")); // changed and changed back
    QVERIFY(form->close());
    QCOMPARE(m_dir->read(BookFileName), before);
    QCOMPARE(QFileInfo(BookName).lastModified(), stamp);
}

void TstShellWindow::closeWithoutBookFileCreatesNothing()
{
    auto form = makeForm(); // creates the file on first run
    QVERIFY(QFile::exists(BookName));
    QVERIFY(QFile::remove(BookName));
    form->ComPort1.setPort(QStringLiteral("COM3"));
    QVERIFY(form->close()); // still closes
    QVERIFY(!form->isVisible());
    QVERIFY(!QFile::exists(BookName));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TstShellWindow::missingPortShowsTheErrorDialog()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    bool checked = false, dialogShown = false, mainDisabled = false;
    QString reason;
    auto closeDialog = [&] {
        checked = true;
        dialogShown = form->Form2->isVisible();
        mainDisabled = !form->isEnabled();
        reason = form->Form2->reason();
        QTest::mouseClick(form->Form2->BitBtn1, Qt::LeftButton);
    };

    for (int round = 0; round < 2; ++round) { // once per exchange
        checked = false;
        QTimer::singleShot(100, this, closeDialog);
        form->link.setCommandText("AT\r\n");
        form->link.SendCommand();
        QVERIFY(checked);
        QVERIFY(dialogShown);
        QVERIFY(mainDisabled);
        QVERIFY2(reason.contains(QStringLiteral("no-such-tty")), qPrintable(reason));
        QVERIFY(form->link.AbortRequested());
        QVERIFY(form->link.ReplyText().isEmpty());
        QVERIFY(!form->ComPort1.Connected());
        QVERIFY(!form->Form2->isVisible());
        QVERIFY(form->isEnabled());
        QCOMPARE(form->Form2->windowTitle(), QStringLiteral("Error"));
    }
}

void TstShellWindow::linkAndPortFailuresReachTheUser()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();

    QString reason;
    QTimer::singleShot(100, this, [&] {
        reason = form->Form2->reason();
        QVERIFY(!form->isEnabled());
        form->Form2->BitBtn1->click();
    });
    form->link.showLinkFailure();
    QCOMPARE(reason, QStringLiteral("the phone did not answer in binary mode"));
    QVERIFY(form->isEnabled());

    // A port failure in the middle of an operation: the window system's error box.
    QString boxText, boxDetail;
    QTimer::singleShot(100, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxText = box->text();
            boxDetail = box->informativeText();
            box->accept();
        }
    });
    form->link.runGuarded([] { throw EComPort(ComErrorCode::ClearCommError, EIO, "/dev/ttyUSB0"); });
    QCOMPARE(boxText, QStringLiteral("ClearCommError function failed (win error code: 5)"));
    QVERIFY2(boxDetail.startsWith("Input/output error\n") && boxDetail.contains("plugged in")
                 && boxDetail.contains("/dev/ttyUSB0") && boxDetail.contains("dialout group"),
             qPrintable(boxDetail));
    QVERIFY(form->link.AbortRequested());
}

void TstShellWindow::closeEndsTheLinkWithThePhone()
{
    SimPhone sim;
    QVERIFY(sim.start());
    sim.useAsCom(1);
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    form->link.setCommandText("AT\r\n");
    form->link.SendCommand();
    QVERIFY2(form->link.ReplyText().contains("OK\r\n"), form->link.ReplyText().constData());
    QVERIFY(form->ComPort1.Connected());

    QVERIFY(form->close());
    QVERIFY(!form->ComPort1.Connected());
    QVERIFY(sim.commands().contains(QStringLiteral("AT")));
    sim.stopAndDump();
}

void TstShellWindow::closeDuringAnExchangeAbortsIt()
{
    // The phone takes its time; the user closes the window meanwhile.
    SimPhone sim({QStringLiteral("--latency"), QStringLiteral("3000")});
    QVERIFY(sim.start());
    sim.useAsCom(1);
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    bool closed = false;
    QTimer::singleShot(200, this, [&] { closed = form->close(); });
    form->link.setCommandText("AT\r\n");
    form->link.SendCommand();
    QVERIFY(closed);
    QVERIFY(form->link.AbortRequested());
    QVERIFY(form->link.ReplyText().isEmpty());
    QVERIFY(!form->ComPort1.Connected());
    QVERIFY(!form->isVisible());
    sim.stopAndDump();
}

void TstShellWindow::screenshots()
{
    const QString dir = qEnvironmentVariable("MIRVAK_SHELL_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set MIRVAK_SHELL_SCREENSHOTS to a folder to get pictures of every page");
    // A phone with two melodies of its own, to show on the Melodies page.
    SimPhone sim({}, QJsonObject{{"ownMelodies", QJsonObject{{"1", "+c+cbagab+c"}, {"3", "Cdef#gG"}}}});
    QVERIFY(sim.start());
    sim.useAsCom(1);
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    auto form = makeForm();
    const QStringList names{"sms", "phonebooks", "melodies", "settings", "about"};
    for (int i = 0; i < names.size(); ++i) {
        clickTab(*form, i);
        QVERIFY(form->grab().save(QDir(dir).filePath(names.at(i) + QStringLiteral(".png"))));
    }
    QTest::mouseClick(form->aboutPage->BitBtn3, Qt::LeftButton);
    QVERIFY(form->grab().save(QDir(dir).filePath(QStringLiteral("cable.png"))));
    // The melodies as the phone holds them.
    clickTab(*form, 2);
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("btnReadMelodies")), Qt::LeftButton);
    QVERIFY(form->grab().save(QDir(dir).filePath(QStringLiteral("melodies.png"))));
    clickTab(*form, 3);
    for (const char *name : {"Settings-1", "Settings-2", "Profiles", "Voice", "Call Waiting", "Personal Rings",
                             "Clock", "GSM Info", "Mirvak", "Wap"}) {
        const QString node = QString::fromLatin1(name);
        form->settingsPage->selectNode(node);
        // A panel that reads the phone with one button shows what it read.
        for (const char *read : {"BtnSet1", "btnGetVoice"})
            if (auto *b = form->settingsPage->findChild<QPushButton *>(QString::fromLatin1(read)); b && b->isVisible())
                QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(form->grab().save(QDir(dir).filePath(QStringLiteral("settings-") + node.toLower().remove(' ')
                                                     + QStringLiteral(".png"))));
    }
    // The read-out a newcomer tries first, against the simulated phone.
    form->settingsPage->selectNode(QStringLiteral("GSM Info"));
    QTest::mouseClick(form->infoPage->btnInfo, Qt::LeftButton);
    QVERIFY(form->grab().save(QDir(dir).filePath(QStringLiteral("settings-gsminfo-read.png"))));
    form->Form2->setReason(QStringLiteral("/dev/ttyUSB0: permission denied: add your user to the dialout group"));
    form->Form2->show();
    QVERIFY(form->Form2->grab().save(QDir(dir).filePath(QStringLiteral("form2.png"))));
    form->Form2->hide();
    form->Form5->show();
    QVERIFY(form->Form5->grab().save(QDir(dir).filePath(QStringLiteral("form5.png"))));
    form->Form5->hide();
}

QTEST_MAIN(TstShellWindow)
#include "tst_gui_shell_window.moc"
