// SPDX-License-Identifier: GPL-2.0-or-later
// The real main window in a scratch folder: start-up, navigation, the page
// lock, the clock, the error dialog, and what closing does to the book file.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
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

#include "FormRig.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/IcqNumbers.h"
#include "gui/common/Tab.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/settings/SettingsPage.h"
#include "gui/window/AboutPage.h"
#include "link/port/SerialPort.h"

namespace {

const QString BookFileName = QStringLiteral("QXsms.phb");

// A complete, valid book file with one SMS entry and the port byte given.
QByteArray bookImage(int port)
{
    QByteArray image = BookFile::newImage(IcqNumbers::defaultCentre(), IcqNumbers::defaultGateway());
    const QByteArray entry = QByteArray("+4670123456").leftJustified(16, ' ') + QByteArray("Anna").leftJustified(20, ' ');
    image.replace(0, entry.size(), entry);
    image[BookFile::PortOffset] = char(port);
    image += QByteArray(BookFile::FullSize - image.size(), ' ');
    return image;
}

QTabBar *tabBar(const MainWindow &form)
{
    return guitest::find<QTabBar>(&form, QStringLiteral("mainTabs"));
}

void clickTab(const MainWindow &form, int index)
{
    QTabBar *tabs = tabBar(form);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

template <typename T = QWidget>
T *named(const MainWindow &form, const char *name)
{
    return guitest::find<T>(&form, QString::fromLatin1(name));
}

QWidget *currentPage(const MainWindow &form)
{
    return named<QStackedWidget>(form, "mainPages")->currentWidget();
}

SettingsPage *settingsPage(const MainWindow &form)
{
    return named<SettingsPage>(form, "Panel4");
}

QString statusPanel(const MainWindow &form, int i)
{
    return guitest::find<QLabel>(&form, QStringLiteral("statusPanel%1").arg(i))->text();
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
    void settingsPanelsShowWhatCameBefore();
    void tabsSwitchPagesAndTheClock();
    void pageLockSnapsTheTabBack();
    void aboutPageAndCable();
    void closeSavesAChangedPort_data();
    void closeSavesAChangedPort();
    void closeWithoutChangeLeavesTheFileAlone();
    void closeWithoutBookFileCreatesNothing();
    void largerWindowGrowsTheInboxOnly();
    void missingPortShowsTheErrorDialog();
    void linkAndPortFailuresReachTheUser();
    void closeEndsTheLinkWithThePhone();
    void closeDuringAnExchangeAbortsIt();
    void screenshots();

private:
    // The window opened on the scratch folder as it stands.
    MainWindow &openForm();

    std::unique_ptr<guitest::FormRig> m_rig;
    const Scratch *m_dir = nullptr;
    QString BookName; // the window's book file, in m_dir
};

void TstShellWindow::init()
{
    m_rig = std::make_unique<guitest::FormRig>();
    m_dir = &m_rig->dir();
    QVERIFY(m_rig->ok());
    BookName = m_dir->filePath(BookFileName);
    // Nothing here may reach a real serial device.
    m_rig->unplugPhone();
}

void TstShellWindow::cleanup()
{
    m_rig.reset();
    m_dir = nullptr;
}

MainWindow &TstShellWindow::openForm()
{
    m_rig->openWindow();
    return *m_rig->form;
}

void TstShellWindow::firstRunOpensThePortChooser()
{
    QVERIFY(!QFile::exists(BookName));
    MainWindow &form = openForm();
    QCOMPARE(form.windowTitle(), QStringLiteral("Mirvak v1.7c"));
    // Just wide enough for the six tabs.
    QCOMPARE(form.size(), QSize(qMax(329, tabBar(form)->sizeHint().width()), 284));
    QCOMPARE(form.minimumSize(), form.size());

    QCOMPARE(tabBar(form)->currentIndex(), 3);
    SettingsPage *settings = settingsPage(form);
    QCOMPARE(currentPage(form), static_cast<QWidget *>(settings));
    QVERIFY(settings->isEnabled());
    QVERIFY(!named(form, "Panel1")->isEnabled());
    QWidget *mirvak = settings->currentPanel();
    QCOMPARE(mirvak->objectName(), QStringLiteral("PanelMirvak"));
    QVERIFY(mirvak->isAncestorOf(named(form, "cpa")));
    QVERIFY(guitest::find(mirvak, QStringLiteral("EditICQSMSC")));
    QVERIFY(!named<QTimer>(form, "TimerClock")->isActive()); // the clock runs on the SMS tab only

    QVERIFY(form.books->BookNew);
    QCOMPARE(QFileInfo(BookName).size(), qint64(BookFile::NewSize));
    QCOMPARE(named<QComboBox>(form, "ComboBox1")->currentText(), QStringLiteral(" New Phonebook created."));
    QCOMPARE(statusPanel(form, 2), QStringLiteral("COM1"));
    QVERIFY(!form.findChild<QMessageBox *>(QStringLiteral("bookFileWarning")));
}

// A damaged book file the user made read-only cannot be repaired: the user
// is told at start-up, the window stays usable, and the file is left as it was.
void TstShellWindow::unwritableBookFileIsReported()
{
    const QByteArray damaged = bookImage(2).left(BookFile::IcqNumbersOffset + 5);
    QVERIFY(m_dir->write(BookFileName, damaged));
    QFile::setPermissions(BookName, QFileDevice::ReadOwner);
    MainWindow &form = openForm();
    auto *box = named<QMessageBox>(form, "bookFileWarning");
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY2(box->text().contains(QStringLiteral("read-only")), qPrintable(box->text()));
    QVERIFY(form.isEnabled());
    QVERIFY(QApplication::activeModalWidget() != box);
    QFile::setPermissions(BookName, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(m_dir->read(BookFileName), damaged);
}

void TstShellWindow::normalRunOpensOnSms()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    QVERIFY(!form.books->BookNew);

    QTabBar *tabs = tabBar(form);
    QCOMPARE(tabs->count(), 7);
    const QStringList texts{"SMS", "Phonebooks", "Melodies", "Settings", "Inbox", "Backup", "About"};
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(tabs->tabText(i), texts.at(i));
    QVERIFY(tabs->height() <= 22);

    QCOMPARE(tabs->currentIndex(), 0);
    QWidget *sms = named(form, "Panel1");
    QCOMPARE(currentPage(form), sms);
    auto *pages = named<QStackedWidget>(form, "mainPages");
    for (int i = 0; i < pages->count(); ++i)
        QCOMPARE(pages->widget(i)->isEnabled(), pages->widget(i) == sms);

    auto *text = named<QPlainTextEdit>(form, "TextBox");
    QCOMPARE(text->toPlainText(), QStringLiteral("SMS..."));
    QCOMPARE(text->textCursor().selectedText(), QStringLiteral("SMS..."));
    QCOMPARE(named<QCheckBox>(form, "chkReply")->text(), QStringLiteral("Request reply"));
    QVERIFY(named<QPushButton>(form, "btnExit")->text().isEmpty());
    QVERIFY(named<QPushButton>(form, "btnAbort")->text().isEmpty());
    QVERIFY(named<QComboBox>(form, "ComboBox1")->currentText().startsWith(QStringLiteral("+4670123456")));
    QCOMPARE(named<QTreeWidget>(form, "Tree")->currentItem()->text(0), QStringLiteral("Settings-1"));
    QCOMPARE(settingsPage(form)->currentPanel()->objectName(), QStringLiteral("panelSet1"));

    auto *clock = named<QTimer>(form, "TimerClock");
    QVERIFY(clock->isActive());
    QCOMPARE(clock->interval(), 1000);
    const QRegularExpression hhmm(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"));
    QVERIFY(hhmm.match(statusPanel(form, 1)).hasMatch());
    QCOMPARE(statusPanel(form, 2), QStringLiteral("COM1"));
    // The clock keeps itself current: its next tick writes the time again.
    named<QLabel>(form, "statusPanel1")->setText(QStringLiteral("--"));
    QSignalSpy tick(clock, &QTimer::timeout);
    QVERIFY(tick.wait(5000));
    QVERIFY(hhmm.match(statusPanel(form, 1)).hasMatch());
}

void TstShellWindow::settingsTreeBringsEachPanelForward()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    clickTab(form, 3);
    SettingsPage *page = settingsPage(form);
    auto *tree = named<QTreeWidget>(form, "Tree");
    QCOMPARE(tree->width(), 114);
    QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);

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
    const QList<QTreeWidgetItem *> items = treeInOrder(tree);
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
        QWidget *panel = node.panel.isEmpty() ? nullptr : guitest::find(page, node.panel);
        clickNode(tree, item);
        QCOMPARE(tree->currentItem(), item);
        QCOMPARE(page->currentPanel(), panel ? panel : before);
        QVERIFY(page->currentPanel()->isVisible());
        QCOMPARE(page->panelForNode(node.text), panel);
        QCOMPARE(page->panel(node.panel), panel);
        const auto *caption = page->currentPanel()->findChild<QLabel *>(node.panel + "Caption");
        QCOMPARE(caption ? caption->text() : QString(), node.caption);
    }
    QCOMPARE(page->nodeTexts(), texts);

    // Right-click selects too.
    QTreeWidgetItem *clock = items.at(9);
    tree->scrollToItem(clock);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(clock).center());
    QCOMPARE(page->currentPanel()->objectName(), QStringLiteral("PanelClock"));

    // Brought forward by name, the tree left alone.
    QVERIFY(page->showPanel(QStringLiteral("PanelMirvak")));
    QCOMPARE(page->currentPanel()->objectName(), QStringLiteral("PanelMirvak"));
    QCOMPARE(tree->currentItem(), clock);
    QVERIFY(!page->showPanel(QStringLiteral("NoSuchPanel")));
    QCOMPARE(page->currentPanel()->objectName(), QStringLiteral("PanelMirvak"));
}

// The Settings panels are built when their page first comes to the front;
// the centre an ICQ send read before that is on the GSM information panel.
void TstShellWindow::settingsPanelsShowWhatCameBefore()
{
    QVERIFY(m_rig->startPhone());
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    form.link.setTiming(guitest::testTiming());
    named<QPlainTextEdit>(form, "TextBox")->setPlainText(QStringLiteral("hello"));
    named<QComboBox>(form, "ComboBox2")->setEditText(QStringLiteral("12345"));
    QTest::mouseClick(named<QPushButton>(form, "btnICQ"), Qt::LeftButton);
    QVERIFY(m_rig->sim->commands().contains(QStringLiteral("AT+CSCA?")));

    clickTab(form, 3);
    QVERIFY(settingsPage(form)->selectNode(QStringLiteral("GSM Info")));
    QCOMPARE(named<QLineEdit>(form, "txtGSMSMSC")->text(), QStringLiteral(" +46705008999"));
}

void TstShellWindow::tabsSwitchPagesAndTheClock()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    // The timers are found by name like every control.
    auto *clock = named<QTimer>(form, "TimerClock");
    QVERIFY(clock);
    QVERIFY(named<QTimer>(form, "Timer2"));
    QWidget *const pages[] = {named(form, "Panel1"), named(form, "Panel2"), named(form, "Panel3"),
                              named(form, "Panel4"), named(form, "InboxPage"), named(form, "BackupPage"),
                              named(form, "Panel5")};
    for (int i : {1, 2, 3, 4, 5, 6, 0}) {
        clickTab(form, i);
        QCOMPARE(tabBar(form)->currentIndex(), i);
        QCOMPARE(currentPage(form), pages[i]);
        for (QWidget *p : pages)
            QCOMPARE(p->isEnabled(), p == pages[i]);
        QCOMPARE(clock->isActive(), i == 0);
    }

    // Back on the SMS tab the status bar shows the port chosen meanwhile.
    clickTab(form, 3);
    form.ComPort1.setPort(QStringLiteral("com3"));
    QCOMPARE(statusPanel(form, 2), QStringLiteral("COM1"));
    named<QLabel>(form, "statusPanel1")->clear();
    clickTab(form, 0);
    QCOMPARE(statusPanel(form, 2), QStringLiteral("COM3"));
    QVERIFY(!statusPanel(form, 1).isEmpty()); // refreshed at once
    QVERIFY(clock->isActive());
}

void TstShellWindow::pageLockSnapsTheTabBack()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    clickTab(form, 3);
    SettingsPage *settings = settingsPage(form);
    settings->selectNode(QStringLiteral("Clock"));
    auto op = std::make_unique<OperationGuard>(form.link, Tab::Settings);
    for (int i : {0, 1, 4}) {
        clickTab(form, i);
        QCOMPARE(tabBar(form)->currentIndex(), 3);
        QCOMPARE(currentPage(form), static_cast<QWidget *>(settings));
        QVERIFY(settings->isEnabled());
        QVERIFY(!named<QTimer>(form, "TimerClock")->isActive());
    }
    // The settings tree is not locked.
    settings->selectNode(QStringLiteral("Wap"));
    QCOMPARE(settings->currentPanel()->objectName(), QStringLiteral("panelWapsoon"));

    op.reset();
    clickTab(form, 0);
    QCOMPARE(tabBar(form)->currentIndex(), 0);
    QCOMPARE(currentPage(form), named(form, "Panel1"));
}

void TstShellWindow::aboutPageAndCable()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    clickTab(form, int(Tab::About));
    QWidget *about = named(form, "Panel5");
    QCOMPARE(named<QGroupBox>(form, "VisitBox")->title(), QStringLiteral(" For updates and GSM data cables please visit: "));
    QCOMPARE(named<QLabel>(form, "verLabel")->text(), QStringLiteral("v1.7c"));
    auto *www = named<QLabel>(form, "www");
    auto *email = named<QLabel>(form, "lblEmail");
    QCOMPARE(www->toolTip(), AboutPage::WebLink);
    QVERIFY(AboutPage::WebLink.startsWith(QStringLiteral("https://")));
    QVERIFY(AboutPage::WebLink.contains(www->text()));
    QCOMPARE(email->toolTip(), QStringLiteral("mailto:") + email->text());
    QCOMPARE(guitest::find(about, QStringLiteral("Image1"))->toolTip(), AboutPage::WebLink);
    for (QLabel *l : {www, email}) {
        QVERIFY(l->font().bold());
        QCOMPARE(l->font().pixelSize(), 21);
        QCOMPARE(l->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
        // The address must fit its box, not be cut.
        QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                 qPrintable(l->objectName()));
    }
    auto *info = named<QPlainTextEdit>(form, "InfoBox");
    QVERIFY(info->isReadOnly());
    QCOMPARE(info->focusPolicy(), Qt::NoFocus);
    QVERIFY(!info->toPlainText().isEmpty());
    QVERIFY(!named<QLabel>(form, "cwlabel")->text().isEmpty());

    auto *more = named<QPushButton>(form, "BitBtn3");
    QCOMPARE(more->text(), QStringLiteral("More...."));
    QTest::mouseClick(more, Qt::LeftButton);
    QWidget *cable = named(form, "Panel6");
    QCOMPARE(currentPage(form), cable);
    QVERIFY(cable->isEnabled());
    QVERIFY(!about->isEnabled());
    QCOMPARE(named<QLabel>(form, "cableTitle")->text(), QStringLiteral("  T2x,T2618, r3x0 etc Data / SMS cable "));
    QTest::mouseClick(guitest::find<QPushButton>(cable, QStringLiteral("BitBtn1")), Qt::LeftButton);
    QCOMPARE(currentPage(form), about);
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
    MainWindow &form = openForm();
    QCOMPARE(form.ComPort1.name(), QStringLiteral("COM%1").arg(loaded));
    form.ComPort1.setPort(chosen);
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
    QCOMPARE(form.windowTitle(), QStringLiteral("Closing........"));
    QCOMPARE(statusPanel(form, 0), QStringLiteral("Closing........."));

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
    MainWindow &form = openForm();
    form.ComPort1.setPort(QStringLiteral("COM2"));
    form.ComPort1.setPort(QStringLiteral("COM5")); // changed and changed back
    QVERIFY(form.close());
    QCOMPARE(m_dir->read(BookFileName), before);
    QCOMPARE(QFileInfo(BookName).lastModified(), stamp);
}

void TstShellWindow::closeWithoutBookFileCreatesNothing()
{
    MainWindow &form = openForm(); // creates the file on first run
    QVERIFY(QFile::exists(BookName));
    QVERIFY(QFile::remove(BookName));
    form.ComPort1.setPort(QStringLiteral("COM3"));
    QVERIFY(form.close()); // still closes
    QVERIFY(!form.isVisible());
    QVERIFY(!QFile::exists(BookName));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// The user makes the window larger: the Inbox takes the room, every other
// page stays as it was in the top left corner, and the next start opens at
// the size the user left.
void TstShellWindow::largerWindowGrowsTheInboxOnly()
{
    MainWindow &form = openForm();
    const QSize least = form.size();
    const QSize settingsSize = settingsPage(form)->size();
    form.resize(least + QSize(300, 200));
    QTRY_COMPARE(currentPage(form)->parentWidget()->height(), settingsSize.height() + 200);
    for (int tab : {int(Tab::Inbox), int(Tab::Settings), int(Tab::Sms)}) {
        tabBar(form)->setCurrentIndex(tab);
        QWidget *page = currentPage(form);
        QTRY_COMPARE(page->size(), tab == Tab::Inbox ? page->parentWidget()->size() : settingsSize);
        QCOMPARE(page->pos(), QPoint(0, 0));
    }
    form.resize(least - QSize(50, 50));
    QTRY_COMPARE(form.size(), least);
    form.resize(least + QSize(120, 80));
    QVERIFY(form.close());
    m_rig->closeWindow();
    QCOMPARE(openForm().size(), least + QSize(120, 80));
}

void TstShellWindow::missingPortShowsTheErrorDialog()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    bool dialogShown = false, mainDisabled = false;
    QString reason;
    const guitest::Dialogs dialogs([&](QWidget *dialog) {
        dialogShown = dialog->objectName() == QLatin1String("Form2");
        mainDisabled = !form.isEnabled();
        reason = guitest::dialogText(dialog);
        guitest::answerAsUser(dialog);
    });
    auto *errorDialog = guitest::findWindow<QDialog>(QStringLiteral("Form2"));

    for (int round = 1; round <= 2; ++round) { // once per exchange
        form.link.setCommandText("AT\r\n");
        form.link.SendCommand();
        QCOMPARE(dialogs.count, round);
        QVERIFY(dialogShown);
        QVERIFY(mainDisabled);
        QVERIFY2(reason.contains(QStringLiteral("unplugged")), qPrintable(reason));
        QVERIFY(form.link.AbortRequested());
        QVERIFY(form.link.ReplyText().isEmpty());
        QVERIFY(!form.ComPort1.isOpen());
        QVERIFY(!errorDialog->isVisible());
        QVERIFY(form.isEnabled());
        QCOMPARE(errorDialog->windowTitle(), QStringLiteral("Error"));
    }
}

void TstShellWindow::linkAndPortFailuresReachTheUser()
{
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    QString reason, detail;
    bool windowLocked = false;
    const guitest::Dialogs dialogs([&](QWidget *dialog) {
        reason = guitest::dialogText(dialog);
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            detail = box->informativeText();
        windowLocked = !form.isEnabled();
        guitest::answerAsUser(dialog);
    });

    form.link.showLinkFailure();
    QCOMPARE(dialogs.count, 1);
    QCOMPARE(reason, QStringLiteral("the phone did not answer in binary mode"));
    QVERIFY(windowLocked);
    QVERIFY(form.isEnabled());

    // A port failure in the middle of an operation: the window system's error box.
    form.link.runGuarded([] { throw PortError(ComErrorCode::ClearCommError, EIO, "/dev/ttyUSB0"); });
    QCOMPARE(dialogs.count, 2);
    QCOMPARE(reason, QStringLiteral("ClearCommError function failed (win error code: 5)"));
    QVERIFY2(detail.startsWith("Input/output error\n") && detail.contains("plugged in")
                 && detail.contains("/dev/ttyUSB0") && detail.contains("dialout group"),
             qPrintable(detail));
    QVERIFY(form.link.AbortRequested());
}

void TstShellWindow::closeEndsTheLinkWithThePhone()
{
    QVERIFY(m_rig->startPhone());
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    form.link.setCommandText("AT\r\n");
    form.link.SendCommand();
    QVERIFY2(form.link.ReplyText().contains("OK\r\n"), form.link.ReplyText().constData());
    QVERIFY(form.ComPort1.isOpen());

    QVERIFY(form.close());
    QVERIFY(!form.ComPort1.isOpen());
    QVERIFY(m_rig->sim->commands().contains(QStringLiteral("AT")));
}

void TstShellWindow::closeDuringAnExchangeAbortsIt()
{
    // The phone takes its time; the user closes the window meanwhile.
    QVERIFY(m_rig->startPhone({QStringLiteral("--latency"), QStringLiteral("3000")}));
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    bool closed = false;
    connect(&form.link, &PhoneLink::commandWritten, this, [&] {
        QTimer::singleShot(0, this, [&] { closed = form.close(); });
    });
    form.link.setCommandText("AT\r\n");
    form.link.SendCommand();
    QVERIFY(closed);
    QCOMPARE(form.link.lastStatus(), Exchange::Aborted);
    QVERIFY(form.link.AbortRequested());
    QVERIFY(form.link.ReplyText().isEmpty());
    QVERIFY(!form.ComPort1.isOpen());
    QVERIFY(!form.isVisible());
}

void TstShellWindow::screenshots()
{
    const QString dir = qEnvironmentVariable("MIRVAK_SHELL_SCREENSHOTS");
    if (dir.isEmpty())
        QSKIP("set MIRVAK_SHELL_SCREENSHOTS to a folder to get pictures of every page");
    // A phone with two melodies of its own, to show on the Melodies page.
    QVERIFY(m_rig->startPhone({}, QJsonObject{{"ownMelodies", QJsonObject{{"1", "+c+cbagab+c"}, {"3", "Cdef#gG"}}}}));
    QVERIFY(m_dir->write(BookFileName, bookImage(1)));
    MainWindow &form = openForm();
    const auto save = [&](QWidget *w, const QString &name) {
        return w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    };
    // The Backup tab's picture shows a finished backup; its own test takes it.
    const QList<std::pair<Tab::Page, const char *>> pages{{Tab::Sms, "sms"},           {Tab::Phonebooks, "phonebooks"},
                                                          {Tab::Melodies, "melodies"}, {Tab::Settings, "settings"},
                                                          {Tab::Inbox, "inbox"},       {Tab::About, "about"}};
    for (const auto &[tab, name] : pages) {
        clickTab(form, int(tab));
        QVERIFY(save(&form, QString::fromLatin1(name)));
    }
    QTest::mouseClick(named<QPushButton>(form, "BitBtn3"), Qt::LeftButton);
    QVERIFY(save(&form, QStringLiteral("cable")));
    // The melodies as the phone holds them.
    clickTab(form, 2);
    QTest::mouseClick(named<QPushButton>(form, "btnReadMelodies"), Qt::LeftButton);
    QVERIFY(save(&form, QStringLiteral("melodies")));
    // The messages the phone holds.
    clickTab(form, int(Tab::Inbox));
    QTest::mouseClick(named<QPushButton>(form, "btnInboxRead"), Qt::LeftButton);
    QVERIFY(save(&form, QStringLiteral("inbox")));
    clickTab(form, 3);
    SettingsPage *settings = settingsPage(form);
    for (const char *name : {"Settings-1", "Settings-2", "Profiles", "Voice", "Call Waiting", "Personal Rings",
                             "Clock", "GSM Info", "Mirvak", "Wap"}) {
        const QString node = QString::fromLatin1(name);
        settings->selectNode(node);
        // A panel that reads the phone with one button shows what it read.
        for (const char *read : {"BtnSet1", "btnSet2", "btnProfiles", "btnGetVoice", "btnCWs", "btnGetPR", "btngetClock"})
            if (auto *b = settings->findChild<QPushButton *>(QString::fromLatin1(read)); b && b->isVisible())
                QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(save(&form, QStringLiteral("settings-") + node.toLower().remove(' ')));
    }
    // The read-out a newcomer tries first, against the simulated phone.
    settings->selectNode(QStringLiteral("GSM Info"));
    QTest::mouseClick(named<QPushButton>(form, "btnInfo"), Qt::LeftButton);
    QVERIFY(save(&form, QStringLiteral("settings-gsminfo-read")));
    auto *error = guitest::findWindow<PortErrorDialog>(QStringLiteral("Form2"));
    error->setReason(QStringLiteral("/dev/ttyUSB0: permission denied: add your user to the dialout group"));
    error->show();
    QVERIFY(save(error, QStringLiteral("form2")));
    error->hide();
}

QTEST_MAIN(TstShellWindow)
#include "tst_gui_shell_window.moc"
