#pragma once
// ICQ gateway and ICQ SMS centre numbers, on the program's own settings page.
#include <QWidget>

struct MessagingState;
class QLabel;
class QLineEdit;
class QPushButton;

class IcqSettings : public QWidget {
    Q_OBJECT
public:
    IcqSettings(MessagingState &state, QWidget *parent = nullptr);

    QLabel *StaticText8;
    QLineEdit *EditICQSMSC;
    QLabel *StaticText9;
    QLineEdit *EditICQPH;
    QPushButton *btnICQd;
    QPushButton *btnICQs;

    // The numbers in memory, trailing blanks removed, into the boxes.
    void showNumbers();
    void EditICQSMSCChange();
    void EditICQPHChange();
    void btnICQdClick();
    void btnICQsClick();

private:
    MessagingState &m_state;
};
