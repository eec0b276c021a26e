// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/MainWindow.h"

#include <memory>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QCheckBox>
#include <QStyleOptionTab>
#include <QComboBox>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QTime>
#include <QVBoxLayout>
#include <QtDebug>

#include "core/messaging/InboxMessages.h"
#include "core/backup/BackupExport.h"
#include "core/backup/BackupFile.h"
#include "gui/backup/BackupPage.h"
#include "gui/common/FirstShow.h"
#include "gui/common/PortChooser.h"
#include "gui/common/Tab.h"
#include "gui/inbox/ArchiveView.h"
#include "gui/common/PinDialog.h"
#include "link/SimLock.h"
#include "gui/inbox/InboxPage.h"
#include "gui/phonebooks/CallsPanel.h"
#include "gui/info/InfoPage.h"
#include "gui/melodies/MelodiesPage.h"
#include "gui/messaging/IcqSettings.h"
#include "gui/messaging/SmsBooks.h"
#include "gui/messaging/SmsPage.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "gui/settings/CapabilityReport.h"
#include "gui/settings/MirvakPanel.h"
#include "gui/settings/PersonalRingsPanel.h"
#include "gui/settings/PhoneFinder.h"
#include "gui/settings/SettingsPage.h"
#include "gui/settings/SettingsTree.h"
#include "gui/window/AboutPage.h"
#include "gui/window/PortErrorDialog.h"
#include "link/BinaryLink.h"
#include "link/melodies/PhoneMelodies.h"
#include "link/messaging/CentreService.h"
#include "link/messaging/SmsSender.h"
#include "link/port/LinkTrace.h"
#include "store/archive/MessageArchive.h"
#include "link/settings/PersonalRings.h"

namespace {
constexpr int ClientWidth = 329;
constexpr int ClientHeight = 284;
constexpr int TabHeight = 18;

// Tabs of a fixed height, drawn by the desktop's own style.
class FixedTabHeightStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_TabBarTab)
            s.setHeight(TabHeight);
        return s;
    }
};

} // namespace

MainWindow::MainWindow(QWidget *parent, const QString &bookFolder)
    : QWidget(parent), m_dataFolder(bookFolder.isEmpty() ? QDir::currentPath() : bookFolder)
{
    setUpFrame();
    buildTabs();
    // The pages, in the order their dependencies need them.
    buildMessaging(bookFolder);
    buildPhonebooks();
    buildMelodiesAndSettings();
    buildInbox();
    backupPage = new BackupPage(link, [this] { return books->bookPath(); });
    // The books on screen are the file's again once a restore rewrote it.
    connect(backupPage, &BackupPage::bookFileRestored, books, &SmsBooks::GetPhoneBook);
    aboutPage = new AboutPage;
    stackPages();
    wirePages();
    adoptMembers();
    handleLinkFailures();

    fitPages();

    // The dialogs come after the main window's own controls. They are
    // top-level windows of their own, so disabling the main window leaves
    // the error box usable.
    portErrorDialog = new PortErrorDialog;

    FormCreate();
}

// Just wide enough for every tab at least. The user may make the window
// larger: the Inbox grows with it, every other page keeps its size in the
// top left corner (a page is never laid out beyond its maximum size).
void MainWindow::fitPages()
{
    const QSize least(qMax(ClientWidth, mainTabs->sizeHint().width()), ClientHeight);
    // The pages keep their width when the tabs need a wider window.
    const QSize page(ClientWidth, least.height() - TabHeight);
    for (int i = 0; i < mainPages->count(); ++i)
        if (mainPages->widget(i) != inboxPage)
            mainPages->widget(i)->setMaximumSize(page);
    setMinimumSize(least);
    const QSize saved = windowSettings().value(QStringLiteral("window/size")).toSize();
    resize(saved.expandedTo(least));
}

QSettings MainWindow::windowSettings() const
{
    return QSettings(m_dataFolder + QStringLiteral("/mirvak.ini"), QSettings::IniFormat);
}

void MainWindow::setUpFrame()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Mirvak ") + AboutPage::Version);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSize(8);
    f.setStyleHint(QFont::Serif);
    setFont(f);
}

void MainWindow::buildTabs()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mainTabs = new QTabBar(this);
    mainTabs->setObjectName(QStringLiteral("mainTabs"));
    mainTabs->setDrawBase(true);
    mainTabs->setExpanding(false);
    mainTabs->setUsesScrollButtons(false);
    mainTabs->setFocusPolicy(Qt::TabFocus);
    // The tab height is part of the layout: the pages get what remains.
    auto *tabStyle = new FixedTabHeightStyle;
    tabStyle->setParent(mainTabs);
    mainTabs->setStyle(tabStyle);
    for (const char *text : {"SMS", "Phonebooks", "Melodies", "Settings", "Inbox", "Backup", "About"})
        mainTabs->addTab(QString::fromLatin1(text));
    layout->addWidget(mainTabs);

    mainPages = new QStackedWidget(this);
    mainPages->setObjectName(QStringLiteral("mainPages"));
    mainPages->setFrameShape(QFrame::NoFrame);
    layout->addWidget(mainPages, 1);
}

void MainWindow::buildMessaging(const QString &bookFolder)
{
    // The sender reads the ICQ numbers the books load.
    books = new SmsBooks(bookFolder, this);
    centre = new CentreService(link, this);
    sender = new SmsSender(link, *centre, books->icqNumbers, this);
    smsPage = new SmsPage(link, *sender);
    // A short beep once a message is with the phone; a sound problem must
    // never spoil a send that has already happened.
    connect(sender, &SmsSender::handedOver, this, [this] {
        try {
            bleep.PlayTone(1000, 1);
        } catch (const std::exception &e) {
            LinkTrace::op(QStringLiteral("tone failed: %1").arg(QString::fromLocal8Bit(e.what())));
        }
    });
    // The port saved in the book file becomes the port in use.
    connect(books, &SmsBooks::portChoiceLoaded, &link, &PhoneLink::usePort);
    // The books feed the SMS page's recipient boxes.
    connect(books, &SmsBooks::smsRecipientChanged, smsPage, &SmsPage::setSmsRecipientItem);
    connect(books, &SmsBooks::icqRecipientChanged, smsPage, &SmsPage::setIcqRecipientItem);
    connect(books, &SmsBooks::smsRecipientPrompt, smsPage, &SmsPage::setSmsRecipientText);
    connect(books, &SmsBooks::icqRecipientPrompt, smsPage, &SmsPage::setIcqRecipientText);
}

void MainWindow::buildPhonebooks()
{
    phonebooksPage = new PhonebooksPage(link, *books);
    phonebooksPage->Calls->setNameLookup([this](const QString &number) { return nameForNumber(number); });
    connect(phonebooksPage, &PhonebooksPage::smsRecipientChosen, smsPage, &SmsPage::setSmsRecipientText);
}

void MainWindow::buildMelodiesAndSettings()
{
    personalRings = new PersonalRings(link, this);
    phoneMelodies = new PhoneMelodies(link, *personalRings, this);
    Panel3 = new MelodiesPage(link, bleeper, *phoneMelodies, *personalRings);
    settingsPage = new SettingsPage(settingsTree({link, [this] { return makeInfoPage(); },
                                                  [this] { return makeMirvakPanel(); }, *personalRings}));
    connect(settingsPage, &SettingsPage::panelsBuilt, this, [this] {
        personalRingsPanel = qobject_cast<PersonalRingsPanel *>(settingsPage->panel(QStringLiteral("PanelPersonal")));
    });
    // A phonebook entry's number can go into the personal-rings number box,
    // which is built for it if the Settings page has not been shown yet.
    connect(phonebooksPage, &PhonebooksPage::personalRingNumberChosen, this, [this](const QString &number) {
        settingsPage->panel(QStringLiteral("PanelPersonal"));
        if (personalRingsPanel)
            personalRingsPanel->setPhoneNumber(number);
    });
}

QWidget *MainWindow::makeInfoPage()
{
    infoPage = new InfoPage(link, *centre);
    // An SMS send reads the centre too, and may have done so before this
    // page was built.
    if (auto *smsc = infoPage->findChild<QLineEdit *>(QStringLiteral("txtGSMSMSC")))
        smsc->setText(centre->shownCentre());
    return infoPage;
}

QWidget *MainWindow::makeMirvakPanel()
{
    icqSettings = new IcqSettings(*books, link);
    icqSettings->showNumbers();
    cpa = new PortChooser(ComPort1);
    cpa->setObjectName(QStringLiteral("cpa"));
    cpa->mayChange = [this] { return !link.operationRunning(); };
    cpa->UpdateSettings();
    return new MirvakPanel(cpa, icqSettings, new PhoneFinder(link, cpa), new CapabilityReport(link));
}

void MainWindow::buildInbox()
{
    inboxPage = new InboxPage(link);
    inboxPage->setNameLookup([this](const QString &number) { return nameForNumber(number); });
    // Reply: the SMS page in front, writing to the message's number.
    connect(inboxPage, &InboxPage::replyRequested, this, [this](const QString &number) {
        smsPage->setReplyRecipient(number);
        mainTabs->setCurrentIndex(int(Tab::Sms));
    });
    // Call: the call line of the Calls tab in front, with its "Hang up".
    connect(inboxPage, &InboxPage::callRequested, this, [this](const QString &number) {
        mainTabs->setCurrentIndex(int(Tab::Phonebooks));
        phonebooksPage->showCalls();
        phonebooksPage->Calls->dial(number);
    });
    ArchiveView *view = inboxPage->archiveView();
    view->setNameLookup([this](const QString &number) { return nameForNumber(number); });
    // The archive is opened when it is first shown or written, not at start.
    FirstShow::whenShown(view, [this, view] { view->setArchive(archive(), m_archiveError); });
    connect(inboxPage, &InboxPage::messagesRead, this, [this](const QList<InboxMessage> &messages) {
        keep([&](MessageArchive &archive) { return bool(archive.addRead(messages)); });
    });
    connect(smsPage, &SmsPage::messageSent, this, [this](const SmsSender::Message &m, const SmsSender::Result &result) {
        const ArchivedMessage sent = MessageArchive::sentMessage(
            m.icq ? m.icqRecipient : m.smsRecipient, m.text, SmsSender::keptStatus(result.outcome), result.pdus,
            result.messageReference, QDateTime::currentDateTime());
        keep([&](MessageArchive &archive) { return bool(archive.add({sent})); });
    });
    connect(view, &ArchiveView::importRequested, this, &MainWindow::importBackupMessages);
}

void MainWindow::setArchivePath(const QString &path)
{
    m_archivePath = path;
}

MessageArchive *MainWindow::archive()
{
    if (!m_archive && m_archiveError.isEmpty()) {
        m_archive = std::make_unique<MessageArchive>(
            m_archivePath.isEmpty() ? m_dataFolder + QStringLiteral("/messages.sqlite") : m_archivePath);
        if (!m_archive->isOpen()) {
            // The window runs on without it, and says why where it would be.
            m_archiveError = m_archive->error();
            qWarning("mirvak: %s", qPrintable(m_archiveError));
            m_archive.reset();
        }
    }
    return m_archive.get();
}

void MainWindow::keep(const std::function<bool(MessageArchive &)> &store)
{
    MessageArchive *kept = archive();
    if (!kept)
        return;
    if (!store(*kept))
        qWarning("mirvak: %s", qPrintable(kept->error()));
    if (inboxPage->archiveView()->isVisible())
        inboxPage->archiveView()->refresh();
}

void MainWindow::importBackupMessages()
{
    QFileDialog choose(this, QStringLiteral("Import backup"), m_dataFolder,
                       QStringLiteral("Mirvak backups (*.json);;All files (*)"));
    choose.setObjectName(QStringLiteral("ArchiveImportFile"));
    choose.setFileMode(QFileDialog::ExistingFile);
    choose.setOption(QFileDialog::DontUseNativeDialog);
    if (choose.exec() != QDialog::Accepted || choose.selectedFiles().isEmpty())
        return;
    const QString path = choose.selectedFiles().constFirst();
    QString said;
    QString error;
    const std::optional<Backup::Opened> opened = Backup::open(path, &error);
    if (!opened) {
        said = QStringLiteral("Nothing was imported. %1").arg(error);
    } else if (!opened->document.has(Backup::Section::Messages)
               || !Backup::sectionOk(opened->document.section(Backup::Section::Messages))) {
        said = QStringLiteral("%1 holds no messages.").arg(QFileInfo(path).fileName());
    } else {
        // A file changed since it was written is still what it holds; the
        // messages only go into the archive, never to the phone.
        const QList<InboxMessage> messages = BackupExport::messages(opened->document.section(Backup::Section::Messages));
        std::optional<QList<ArchivedMessage>> added;
        keep([&](MessageArchive &archive) { return bool(added = archive.addRead(messages)); });
        said = !archive() ? QStringLiteral("Nothing was imported. %1").arg(m_archiveError)
             : !added     ? QStringLiteral("Nothing was imported. %1").arg(archive()->error())
                          : QStringLiteral("%1 of %2 messages were new to the archive.").arg(added->size()).arg(messages.size());
        if (!opened->warning().isEmpty())
            said = opened->warning() + QStringLiteral("\n\n") + said;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("Import backup"), said, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("archiveImported"));
    box.exec();
}

void MainWindow::stackPages()
{
    if (smsPage->objectName().isEmpty())
        smsPage->setObjectName(QStringLiteral("Panel1"));
    if (phonebooksPage->objectName().isEmpty())
        phonebooksPage->setObjectName(QStringLiteral("Panel2"));
    mainPages->addWidget(smsPage);             // Panel1
    mainPages->addWidget(phonebooksPage);      // Panel2
    mainPages->addWidget(Panel3);              // Panel3
    mainPages->addWidget(settingsPage);        // Panel4
    mainPages->addWidget(aboutPage);           // Panel5
    mainPages->addWidget(aboutPage->Panel6);   // Panel6
    mainPages->addWidget(inboxPage);
    mainPages->addWidget(backupPage);
    for (int i = 0; i < mainPages->count(); ++i)
        mainPages->widget(i)->setEnabled(false);
}

void MainWindow::wirePages()
{
    connect(mainTabs, &QTabBar::currentChanged, this, &MainWindow::mainTabsChange);
    connect(smsPage, &SmsPage::exitRequested, this, &QWidget::close);
    // No exit while a phonebook transfer runs.
    connect(phonebooksPage, &PhonebooksPage::busyChanged, smsPage, &SmsPage::setExitDisabled);
    connect(aboutPage, &AboutPage::pageRequested, this, &MainWindow::showMainPanel);

    m_closeWhenIdle.setInterval(50);
    connect(&m_closeWhenIdle, &QTimer::timeout, this, [this] {
        if (!link.operationRunning())
            close();
        else
            link.requestAbort(); // a later step may have cleared the first abort
    });
}

void MainWindow::adoptMembers()
{
    // Members, but children too, so they can be found by name like the controls.
    ComPort1.setObjectName(QStringLiteral("ComPort1"));
    ComPort1.setParent(this);
    link.setParent(this);
    TimerClock.setObjectName(QStringLiteral("TimerClock"));
    TimerClock.setParent(this);
    TimerClock.setInterval(1000);
    connect(&TimerClock, &QTimer::timeout, this, &MainWindow::TimerClockTimer);
    TimerClock.start();
}

void MainWindow::handleLinkFailures()
{
    link.setOpenFailureHandler([this](const PortError &e) { showErrorDialog(e.reason()); });
    link.setLinkFailureHandler([this] {
        showErrorDialog(QStringLiteral("the phone did not answer in binary mode"));
    });
    // The SIM's PIN, asked for whenever an operation finds the SIM locked;
    // once the user cancels, not again until that operation is over.
    auto declined = std::make_shared<bool>(false);
    connect(&link, &PhoneLink::operationChanged, this, [declined](bool running) {
        if (!running)
            *declined = false;
    });
    SimLock::setHandler(link, [this, declined](StatusAt::Lock lock, const QString &note) -> std::optional<QByteArray> {
        if (*declined)
            return std::nullopt;
        const std::optional<QByteArray> code = PinDialog::ask(lock, note, this);
        *declined = !code;
        return code;
    });
    link.setPortFailureHandler([this](const PortError &e) {
        // The port's own message stays the box's text; the system's reason
        // and what to check come under it.
        QMessageBox box(QMessageBox::Critical, QStringLiteral("mirvak"), e.message(), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("portFailureBox"));
        box.setInformativeText(e.systemReason() + QStringLiteral("\n\n") + e.hint());
        box.exec();
    });
}

MainWindow::~MainWindow()
{
    TimerClock.stop();
    link.setOpenFailureHandler(nullptr);
    link.setLinkFailureHandler(nullptr);
    link.setPortFailureHandler(nullptr);
    SimLock::setHandler(link, nullptr);
    // The pages hold references to link and the port, which die
    // with this object's members: take the pages down first.
    delete mainPages;
    mainPages = nullptr;
    delete books;
    books = nullptr;
    delete portErrorDialog;
}

void MainWindow::FormCreate()
{
    aboutPage->fillTexts();
    smsPage->setReplyCaption();
    books->GetPhoneBook();
    // The loader restored the saved port into ComPort1; line the chooser up.
    if (cpa)
        cpa->UpdateSettings();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void MainWindow::FormShow()
{
    // 1-2
    smsPage->showPlaceholderText();
    smsPage->setReplyCaption();
    // 3
    setWindowTitle(QStringLiteral("Mirvak ") + AboutPage::Version);
    // 4: these show only their pictures
    smsPage->showButtonPicturesOnly();
    // 5
    aboutPage->fillTexts();
    // 6
    smsPage->chooseFirstRecipients(books->BookNew, books->IcqPartNew);
    // 7
    smsPage->TextBoxChange();
    // 8
    books->fillGridHeaders();
    // 9-10: the Mirvak panel's boxes, if it is built already (it fills them when it is)
    if (icqSettings)
        icqSettings->showNumbers();
    if (cpa)
        cpa->UpdateSettings();
    // 11
    Panel3->chooseVoice();
    // 12: a new book file means a first run: show the port chooser first.
    if (books->BookNew) {
        {
            const QSignalBlocker block(mainTabs);
            mainTabs->setCurrentIndex(int(Tab::Settings));
        }
        showMainPanel(settingsPage);
        settingsPage->showPanel(QStringLiteral("PanelMirvak"));
        // The clock only runs while its page is showing.
        TimerClock.stop();
    } else {
        {
            const QSignalBlocker block(mainTabs);
            mainTabs->setCurrentIndex(int(Tab::Sms));
        }
        showMainPanel(smsPage);
        settingsPage->selectNode(QStringLiteral("Settings-1"));
        smsPage->focusText();
        if (!TimerClock.isActive())
            TimerClock.start();
    }
    // 13-14
    TimerClockTimer();
    smsPage->setPortText(link.portName());

    // A book file that could not be created or repaired would otherwise go
    // unnoticed until the first save flashes red. Not blocking: the window
    // stays usable behind it.
    if (!books->lastError.isEmpty()) {
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("mirvak"),
                                    QStringLiteral("The book file could not be written: %1\n"
                                                   "Book edits and the port choice will not be kept.")
                                        .arg(books->lastError),
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("bookFileWarning"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }
}

void MainWindow::mainTabsChange(int index)
{
    if (link.lockedPage() != PhoneLink::Idle) {
        // An operation of another page is running: undo the click.
        const QSignalBlocker block(mainTabs);
        mainTabs->setCurrentIndex(link.lockedPage());
        return;
    }
    QWidget *const pages[] = {smsPage, phonebooksPage, Panel3, settingsPage, inboxPage, backupPage, aboutPage};
    if (index < 0 || index >= int(std::size(pages)))
        return;
    showMainPanel(pages[index]);
    if (index == int(Tab::Sms)) {
        smsPage->setPortText(link.portName());
        TimerClock.start();
        TimerClockTimer();
    } else {
        TimerClock.stop();
    }
}

void MainWindow::showMainPanel(QWidget *panel)
{
    if (!panel || mainPages->indexOf(panel) < 0)
        return;
    // What the page builds on its first showing is there for whatever
    // brought it to the front, even in a window not shown.
    FirstShow::buildNow(panel);
    for (int i = 0; i < mainPages->count(); ++i)
        mainPages->widget(i)->setEnabled(false);
    mainPages->setCurrentWidget(panel);
    panel->setEnabled(true);
    panel->update();
}

QString MainWindow::nameForNumber(const QString &number) const
{
    return Inbox::nameFor(number, {&books->smsBook.entries(), &phonebooksPage->simBook.entries(),
                                   &phonebooksPage->phoneBook.entries()});
}

void MainWindow::TimerClockTimer()
{
    smsPage->setClockText(QTime::currentTime().toString(QStringLiteral("hh:mm")));
}

void MainWindow::showErrorDialog(const QString &reason)
{
    portErrorDialog->setReason(reason);
    portErrorDialog->show();
    portErrorDialog->raise();
    portErrorDialog->activateWindow();
    setEnabled(false);
    // Quasi-modal: the operation that failed waits here, the rest of the
    // program keeps running (repaints, timers), the main window takes no input.
    while (portErrorDialog->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    setEnabled(true);
    raise();
    activateWindow();
    if (QWidget *w = focusWidget())
        w->setFocus(Qt::ActiveWindowFocusReason);
    else
        setFocus(Qt::ActiveWindowFocusReason);
}

bool MainWindow::FormCloseQuery()
{
    if (m_closed)
        return true;
    m_closed = true;

    setWindowTitle(QStringLiteral("Closing........"));
    smsPage->setStatus(QStringLiteral("Closing........."));
    repaint();

    // A phone operation still waiting for the phone must stop before the
    // port goes away under it.
    link.requestAbort();

    try {
        if (link.connected()) {
            // The break brings a phone that is still in binary mode back to AT mode.
            BinaryLink(link).SendCommBreak();
            link.closePort();
        }
    } catch (const PortError &e) {
        qWarning("mirvak: closing the port: %s", e.what());
        try {
            link.closePort();
        } catch (const PortError &) {
        }
    }

    // Only into an existing file: it is created at start-up, and a file that
    // vanished meanwhile is not worth recreating with an empty book.
    if (!books->savePortChoice(link.portName()))
        qWarning("mirvak: the port choice was not saved: %s", qPrintable(books->lastError));
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A tune ends after its current note; its Play button's operation then
    // ends and the close below goes through.
    bleeper.setTuneStopRequested(true);
    if (link.operationRunning() && !m_closed) {
        // Closing the port under a running send would leave an ICQ centre on
        // the phone. Abort instead: the operation's abort path puts the
        // phone's own centre back and closes the port, then the window closes.
        link.requestAbort();
        event->ignore();
        m_closeWhenIdle.start();
        return;
    }
    m_closeWhenIdle.stop();
    FormCloseQuery();
    // Only a size the user chose is kept; a file that cannot be written
    // costs nothing but the size.
    if (size() != minimumSize() || windowSettings().contains(QStringLiteral("window/size"))) {
        QSettings settings = windowSettings();
        settings.setValue(QStringLiteral("window/size"), isMaximized() ? normalGeometry().size() : size());
    }
    event->accept();
}
