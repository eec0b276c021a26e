#pragma once
// The Phonebooks page (Panel2): the SMS, ICQ, SIM and Phone tabs.
#include <QWidget>

#include "Unit1/link/PhonebookModel.h"

class BookTableModel;
class PhoneLink;
class SmsBooks;
class QFileDialog;
class QTabWidget;
class QTableView;
class QPushButton;
class QMenu;
class QAction;
class QMessageBox;

class PhonebooksPage : public QWidget {
    Q_OBJECT
public:
    PhonebooksPage(PhoneLink &link, SmsBooks &books, QWidget *parent = nullptr);

    QTabWidget *Tabs;       // TabSheet5 "SMS", then "ICQ", "SIM", "Phone"
    // The SMS and ICQ grids show the books' own tables; the SIM and phone
    // books are the page's.
    QTableView *SMSgrid;
    QTableView *ICQgrid;
    QTableView *SimGrid;
    QTableView *PhoneGrid;
    static constexpr int TransferEntries = 50; // of SimGrid and PhoneGrid at start
    PhonebookModel simBook{TransferEntries};
    PhonebookModel phoneBook{TransferEntries};
    BookTableModel *simTable;
    BookTableModel *phoneTable;
    QPushButton *btnRead, *btnAbort4;
    QPushButton *btnWrite, *btnAbort5;
    QPushButton *btnChanges, *btnAbort3;
    QPushButton *btnLoad;
    QPushButton *btnSave;
    QFileDialog *SaveFile;

    // Whether "Read", "Write", "Update" and "Load" have handlers yet; until
    // then they stay disabled on the SIM and Phone tabs too.
    bool transfersAvailable = false;

    void TabsChange();
    void btnSaveClick();
    // "#" and the column titles of the SIM and Phone grids, when the
    // top-left cell of SimGrid is still empty; the books' own headers.
    void fillGridHeaders();

private:
    PhoneLink &m_link;
    SmsBooks &m_books;

    // ---- Phonebook files, grid menus and entry actions ----
public:
    // What was last read from the phone or loaded from a file, entry r for
    // location r; "Update" writes only the rows that differ.
    static constexpr int CopyEntries = 500;
    PhonebookEntries SimCopy{CopyEntries};
    PhonebookEntries PhoneCopy{CopyEntries};

    QFileDialog *OpenFile;
    QMenu *PopupMenu;  // of SimGrid
    QAction *MenuCopy, *UseEntry1forSMS1, *UseSIMforPR;
    QMenu *PopupMenu1; // of PhoneGrid
    QAction *MenuCopy2, *UseEntry1ForSMS2, *UsePhoneforPR;

    void btnLoadClick();
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
    struct GridSide;
    GridSide side(bool sim);
    void gridMouseDown(const GridSide &g, int row, int column, Qt::MouseButton button, const QPoint &globalPos);
    void copyToSmsBook(const GridSide &g);
    void useForSms(const GridSide &g);
    void useForPersonalRing(const GridSide &g);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showError(const QString &name, const QString &text);
    void setupFilesAndMenus();
};
