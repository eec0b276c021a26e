// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Phonebooks page (Panel2): the SMS, ICQ, SIM and Phone tabs. The page
// builds the tabs and follows the tab showing (PhonebooksPage.cpp); the
// transfers between grid and phone (PhonebookTransfers.cpp) and the files,
// grid menus and entry actions (PhonebookFilesAndMenus.cpp) act on the
// BookSide of the SIM or of the phone book.
#include <QWidget>

#include "core/phonebooks/PhonebookModel.h"
#include "gui/phonebooks/BookSide.h"
#include "link/phonebooks/PhonebookTransfer.h"

class BookTableModel;
class CallsPanel;
class PhoneLink;
class SmsBooks;
class QFileDialog;
class QTabWidget;
class QTableView;
class QPushButton;
class QMenu;
class QAction;

class PhonebooksPage : public QWidget {
    Q_OBJECT
public:
    PhonebooksPage(PhoneLink &link, SmsBooks &books, QWidget *parent = nullptr);

private:
    QTabWidget *Tabs;       // TabSheet5 "SMS", then "ICQ", "SIM", "Phone", "Calls"
    // The SMS and ICQ grids show the books' own tables; the SIM and phone
    // books are the page's.
    QTableView *SMSgrid;
    QTableView *ICQgrid;
    QTableView *SimGrid;
    QTableView *PhoneGrid;

public:
    // The "Calls" tab: the call lists, and the call line every "Call" dials through.
    CallsPanel *Calls;
    // The Calls tab in front.
    void showCalls();
    // The books and the models the grids show (not widgets).
    static constexpr int TransferEntries = 50; // of SimGrid and PhoneGrid at start
    PhonebookModel simBook{TransferEntries};
    PhonebookModel phoneBook{TransferEntries};
    BookTableModel *simTable;
    BookTableModel *phoneTable;
private:
    QPushButton *btnRead, *btnAbort4;
    QPushButton *btnWrite, *btnAbort5;
    QPushButton *btnChanges, *btnAbort3;
    QPushButton *btnLoad;
    QPushButton *btnSave;

public:
    void TabsChange();
    // "#" and the column titles of the SIM and Phone grids, when the
    // top-left cell of SimGrid is still empty; the books' own headers.
    void fillGridHeaders();

private:
    enum TabIndex { SmsTab, IcqTab, SimTab, PhoneTab, CallsTab };
    PhoneLink &m_link;
    SmsBooks &m_books;
    BookSide m_sim;
    BookSide m_phone;
    // The side of the tab showing; none on the SMS and ICQ tabs.
    const BookSide *shownSide() const;
    void setUpSides();

    // ---- Transfer of the SIM and phone books between grid and phone ----
public:
    static constexpr int CopyEntries = 500;
    // What each location held at the last read from the phone or load from
    // a file; "Update" writes only the rows that differ. Read and Load set
    // them, Write and Update never do.
    PhonebookEntries SimCopy{CopyEntries};
    PhonebookEntries PhoneCopy{CopyEntries};
    // Set while "Update" runs the write.
    bool UpdateOnly = false;

    void btnReadClick();
    void btnWriteClick();
    void btnChangesClick();

signals:
    // A transfer started (true) or ended (false): controls outside the page
    // that must not act meanwhile (the SMS page's Exit) follow it.
    void busyChanged(bool busy);

private:
    void setUpTransfers();
    // The pressed button hidden over its Abort button; every other control
    // that could start something on the books disabled.
    void beginTransfer(QPushButton *pressed);
    // Every ending: controls back as the tab wants them, the SIM book
    // reselected and the port closed.
    void endTransfer(const BookSide &side, bool toFirstRow);

    PhonebookTransfer m_transfer{m_link};
    // The phone asked what it offers, first in a transfer; false when the
    // transfer is to end there: stopped, the SIM left locked, or the book
    // not on this phone (told).
    bool learnPhone(const BookSide &side);
    // Why the book of `side` is not on the phone last asked; empty when it
    // is there or the phone did not say.
    QString lackedBook(const BookSide *side) const;

    // ---- Phonebook files, grid menus and entry actions ----
private:
    // Made when the page is first shown (makeFileDialogs).
    QFileDialog *OpenFile = nullptr;
    QFileDialog *SaveFile = nullptr;
    QMenu *PopupMenu;  // of SimGrid
    QAction *MenuCopy, *UseEntry1forSMS1, *UseSIMforPR;
    QMenu *PopupMenu1; // of PhoneGrid
    QAction *MenuCopy2, *UseEntry1ForSMS2, *UsePhoneforPR;

public:
    void btnLoadClick();
    // The SMS or ICQ book into the book file; the SIM or phone book into a
    // *.pbk, vCard or CSV file. A vCard or CSV load ends with a message of
    // what was read and what was not.
    void btnSaveClick();
    // A press on a cell of the grid (row and column of the model, pointer in
    // global coordinates): a data cell becomes current and names the menu
    // items; the right button opens the menu there.
    void SimGridMouseDown(int row, int column, Qt::MouseButton button, const QPoint &globalPos = {});
    void PhoneGridMouseDown(int row, int column, Qt::MouseButton button, const QPoint &globalPos = {});
    void MenuCopyClick();
    void MenuCopy2Click();
    void Useentry1forSMS1Click();
    void Useentry1forSMS2Click();
    void UseSIMforPRClick();
    void UsePhoneforPRClick();

signals:
    // The SMS recipient box is to show `text` (an entry's number and name).
    void smsRecipientChosen(const QString &text);
    // The personal-rings number box is to show `number`.
    void personalRingNumberChosen(const QString &number);

private:
    void setUpFilesAndMenus();
    void makeFileDialogs();
    void gridMouseDown(const BookSide &side, int row, int column, Qt::MouseButton button, const QPoint &globalPos);
    void copyToSmsBook(const BookSide &side);
    void useForSms(const BookSide &side);
    void useForPersonalRing(const BookSide &side);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showError(const QString &name, const QString &text);
    // What the book takes, asked of the phone when its port opens; the T28
    // class's lengths when there is no phone to ask.
    PhonebookAt::Limits askLimits(const BookSide &side);
};
