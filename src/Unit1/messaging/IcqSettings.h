#pragma once
// ICQ gateway and ICQ SMS centre numbers, on the program's own settings page.
#include <QWidget>

struct MessagingState;
class PhoneLink;
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

    // The colour flash holds through the link's sleep when one is given;
    // without it an input-blocking local loop does the same.
    void setLink(PhoneLink *link) { m_link = link; }
    // Why the last "Save" wrote nothing to the file; empty after a success.
    QString lastError;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keepPlus(QLineEdit *box);
    void flash(const QColor &colour);
    void hold(int ms);

    MessagingState &m_state;
    PhoneLink *m_link = nullptr;
};
