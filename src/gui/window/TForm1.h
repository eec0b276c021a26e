// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The main window: composition root of every page.
#include <QTimer>
#include <QWidget>

#include "link/port/TComPort.h"
#include "link/sound/MyBleeper.h"
#include "link/sound/Mybleep.h"
#include "link/PhoneLink.h"
#include "core/messaging/MessagingState.h"

class QTabBar;
class QStackedWidget;
class SmsPage;
class PhonebooksPage;
class SettingsPage;
class AboutPage;
class InboxPage;
class InfoPage;
class CentreService;
class PersonalRings;
class PersonalRingsPanel;
class PhoneMelodies;
class MelodiesPage;
class SmsSender;
class SmsBooks;
class IcqSettings;
class TComRadioGroup;
class TForm2;
class TForm5;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // The book file is kept in bookFolder; without one, in the working directory.
    explicit TForm1(QWidget *parent = nullptr, const QString &bookFolder = QString());
    ~TForm1() override;

    TComPort ComPort1;
    PhoneLink link{ComPort1};
    MessagingState messaging;
    Mybleep bleep;                 // every tone: melodies and the beep after a send
    MyBleeper bleeper{bleep};      // the melody player

    QTabBar *mainTabs = nullptr;
    QStackedWidget *mainPages = nullptr; // Panel1..Panel6
    SmsPage *smsPage = nullptr;          // Panel1
    PhonebooksPage *phonebooksPage = nullptr; // Panel2
    MelodiesPage *Panel3 = nullptr;      // Melodies
    SettingsPage *settingsPage = nullptr; // Panel4
    InboxPage *inboxPage = nullptr;      // the messages stored in the phone
    AboutPage *aboutPage = nullptr;      // Panel5 and Panel6
    InfoPage *infoPage = nullptr;        // PanelInfo
    CentreService *centre = nullptr;     // the phone's SMS centre, read and set
    SmsSender *sender = nullptr;         // the SMS and ICQ sends
    PersonalRings *personalRings = nullptr; // personal rings and the phone's ring codes
    PersonalRingsPanel *personalRingsPanel = nullptr; // PanelPersonal
    PhoneMelodies *phoneMelodies = nullptr; // the phone's own melodies and ring types
    SmsBooks *books = nullptr;           // SMS and ICQ books and the book file
    IcqSettings *icqSettings = nullptr;  // on PanelMirvak
    TComRadioGroup *cpa = nullptr;       // on PanelMirvak
    TForm2 *Form2 = nullptr;
    TForm5 *Form5 = nullptr;
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
    // The name a number goes by in the SMS book or a phonebook on screen.
    QString nameForNumber(const QString &number) const;
    // Form2 shown, main window disabled, until the user closes Form2.
    void showErrorDialog(const QString &reason);

    bool m_shown = false;
    bool m_closed = false;
    // A close asked for during a phone operation waits for it to unwind.
    QTimer m_closeWhenIdle;
};
