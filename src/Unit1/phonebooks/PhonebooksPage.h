#pragma once
// The Phonebooks page (Panel2): the SMS, ICQ, SIM and Phone tabs.
#include <QWidget>

class PhoneLink;
class SmsBooks;
class QFileDialog;
class QTabWidget;
class QTableWidget;
class QPushButton;

class PhonebooksPage : public QWidget {
    Q_OBJECT
public:
    PhonebooksPage(PhoneLink &link, SmsBooks &books, QWidget *parent = nullptr);

    QTabWidget *Tabs;       // TabSheet5 "SMS", then "ICQ", "SIM", "Phone"
    QTableWidget *SimGrid;
    QTableWidget *PhoneGrid;
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
    // "#", the column titles and the numbers 1..50, when the top-left cell
    // of SimGrid is still empty.
    void fillGridHeaders();
    // Writes every row of the grid, from 1 to its row count, as a *.pbk file.
    static bool savePbk(const QTableWidget &grid, const QString &path, QString *error = nullptr);

private:
    void flashBooks(const QColor &colour);

    PhoneLink &m_link;
    SmsBooks &m_books;
};
