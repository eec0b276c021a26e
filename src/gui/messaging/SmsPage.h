#pragma once
// The SMS page (Panel1): composer, recipients and the send buttons. The
// sending itself is SmsSender's; this page hands it the message and shows
// what it reports.
#include <QWidget>

#include "link/messaging/SmsSender.h"

class PhoneLink;
struct MessagingState;
class QPlainTextEdit;
class QLabel;
class QCheckBox;
class QPushButton;
class QComboBox;
class QStatusBar;
class TPassOverBtn;

class SmsPage : public QWidget {
    Q_OBJECT
public:
    SmsPage(PhoneLink &link, MessagingState &state, SmsSender &sender, QWidget *parent = nullptr);

    QPlainTextEdit *TextBox;
    QLabel *txtLeft;
    QCheckBox *chkReply;
    QPushButton *btnClear;
    QComboBox *ComboBox1;
    QComboBox *ComboBox2;
    TPassOverBtn *btnSend;
    TPassOverBtn *btnICQ;
    QPushButton *btnAbort;
    QPushButton *btnAbort2;
    QPushButton *btnExit;
    QStatusBar *StatusBar;
    QLabel *statusPanel[3]; // message, clock, port

    void setStatus(const QString &text);
    QString status() const;

    void TextBoxChange();
    void btnClearClick();
    void btnSendClick();
    void btnICQClick();

    // The books' items in the recipient lists (ComboBox1 for SMS, ComboBox2
    // for ICQ), and the text a box shows when its book was just created.
    void setSmsRecipientItem(int index, const QString &text);
    void setIcqRecipientItem(int index, const QString &text);
    void setSmsRecipientText(const QString &text);
    void setIcqRecipientText(const QString &text);

signals:
    void exitRequested();
    // Every text written to the message line, as it is written.
    void statusChanged(const QString &text);

private:
    SmsSender::Message message() const;
    void markRefused(SmsSender::Field field);
    void buildLayout();
    void limitText();

    PhoneLink &m_link;
    MessagingState &m_state;
    SmsSender &m_sender;
};
