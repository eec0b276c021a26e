#pragma once
// The Phonebooks page (Panel2): the SMS, ICQ, SIM and Phone tabs.
#include <QWidget>

class PhoneLink;
class SmsBooks;
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

    void TabsChange();
    void btnSaveClick();

private:
    PhoneLink &m_link;
    SmsBooks &m_books;
};
