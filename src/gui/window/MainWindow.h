// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window: composition root of every page.
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "link/port/SerialPort.h"
#include "link/sound/MelodyPlayer.h"
#include "link/sound/ToneGenerator.h"
#include "link/PhoneLink.h"

class QTabBar;
class QStackedWidget;
class SmsPage;
class PhonebooksPage;
class SettingsPage;
class AboutPage;
class InboxPage;
class BackupPage;
class InfoPage;
class CentreService;
class PersonalRings;
class PersonalRingsPanel;
class PhoneMelodies;
class MelodiesPage;
class SmsSender;
class SmsBooks;
class IcqSettings;
class PortChooser;
class PortErrorDialog;
class MessageArchive;
struct ArchivedMessage;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The book file is kept in bookFolder; without one, in the working directory.
    explicit MainWindow(QWidget *parent = nullptr, const QString &bookFolder = QString());
    ~MainWindow() override;
    // The message archive's file; without one, messages.sqlite beside the
    // book file. Set before the archive is first used.
    void setArchivePath(const QString &path);
    // Opened at its first use; null when it cannot be (the Inbox's archive
    // view says why).
    MessageArchive *archive();

    SerialPort ComPort1;
    PhoneLink link{ComPort1};
    ToneGenerator bleep;                 // every tone: melodies and the beep after a send
    MelodyPlayer bleeper{bleep};      // the melody player

    QTabBar *mainTabs = nullptr;
    QStackedWidget *mainPages = nullptr; // Panel1..Panel6
    SmsPage *smsPage = nullptr;          // Panel1
    PhonebooksPage *phonebooksPage = nullptr; // Panel2
    MelodiesPage *Panel3 = nullptr;      // Melodies
    SettingsPage *settingsPage = nullptr; // Panel4
    InboxPage *inboxPage = nullptr;      // the messages stored in the phone
    BackupPage *backupPage = nullptr;    // the whole phone into one file and back
    AboutPage *aboutPage = nullptr;      // Panel5 and Panel6
    // Those on a Settings panel are null until the Settings page builds its
    // panels, when it is first shown.
    InfoPage *infoPage = nullptr;        // PanelInfo, a Settings panel
    CentreService *centre = nullptr;     // the phone's SMS centre, read and set
    SmsSender *sender = nullptr;         // the SMS and ICQ sends
    PersonalRings *personalRings = nullptr; // personal rings and the phone's ring codes
    PersonalRingsPanel *personalRingsPanel = nullptr; // PanelPersonal, a Settings panel
    PhoneMelodies *phoneMelodies = nullptr; // the phone's own melodies and ring types
    SmsBooks *books = nullptr;           // SMS and ICQ books and the book file
    IcqSettings *icqSettings = nullptr;  // on PanelMirvak, a Settings panel
    PortChooser *cpa = nullptr;       // on PanelMirvak, a Settings panel
    PortErrorDialog *portErrorDialog = nullptr;
    QTimer TimerClock;

    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void mainTabsChange(int index);
    void TimerClockTimer();
    // Brings a main page (Panel1..Panel6) to the front, the others disabled.
    void showMainPanel(QWidget *panel);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The steps of construction, in this order.
    void setUpFrame();                                // title, border and font
    void buildTabs();                                 // the tab bar over the page stack
    void buildMessaging(const QString &bookFolder);  // the SMS page, the sender, the books
    void buildPhonebooks();
    void buildMelodiesAndSettings();
    void buildInbox();
    void stackPages();
    void wirePages();                                 // what crosses pages, and the close
    void adoptMembers();                              // the port, the link and the clock as children
    void handleLinkFailures();
    // Two of the Settings panels, made when that page builds its panels.
    QWidget *makeInfoPage();
    QWidget *makeMirvakPanel();

    // The name a number goes by in the SMS book or a phonebook on screen.
    QString nameForNumber(const QString &number) const;
    // portErrorDialog shown, main window disabled, until the user closes portErrorDialog.
    void showErrorDialog(const QString &reason);

    bool m_shown = false;
    bool m_closed = false;
    // A close asked for during a phone operation waits for it to unwind.
    QTimer m_closeWhenIdle;
    QString m_dataFolder; // the book file's, where the window's size is kept too
    QString m_archivePath;
    std::unique_ptr<MessageArchive> m_archive;
    QString m_archiveError; // why there is none; then it is not tried again
    // The archive written by `store`, the archive view shown anew.
    void keep(const std::function<bool(MessageArchive &)> &store);
    // "Import backup…": the messages of a backup file into the archive.
    void importBackupMessages();
    void fitPages();
    QSettings windowSettings() const;
};
