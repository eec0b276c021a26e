// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// ICQ gateway and ICQ SMS centre numbers, on the program's own settings page.
#include <QWidget>

class PhoneLink;
class SmsBooks;
class QLabel;
class QLineEdit;
class QPushButton;

class IcqSettings : public QWidget {
    Q_OBJECT
public:
    // The numbers are those of `books`, saved into its book file; the
    // colour flash after "Save" holds through the link's sleep.
    IcqSettings(SmsBooks &books, PhoneLink &link, QWidget *parent = nullptr);

    // The numbers in memory, trailing blanks removed, into the boxes.
    void showNumbers();
    void EditICQSMSCChange();
    void EditICQPHChange();
    void btnICQdClick();
    void btnICQsClick();

    // Why the last "Save" wrote nothing to the file; empty after a success.
    QString lastError;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepPlus(QLineEdit *box);

    QLabel *StaticText8;
    QLineEdit *EditICQSMSC;
    QLabel *StaticText9;
    QLineEdit *EditICQPH;
    QPushButton *btnICQd;
    QPushButton *btnICQs;

    SmsBooks &m_books;
    PhoneLink &m_link;
};
