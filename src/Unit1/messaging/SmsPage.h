#pragma once
// The SMS page (Panel1): composer, recipients, send driver and both senders.
#include <QWidget>

class PhoneLink;
struct MessagingState;
class QPlainTextEdit;
class QLabel;
class QCheckBox;
class QPushButton;
class QComboBox;
class QLineEdit;
class QStatusBar;
class TPassOverBtn;

class SmsPage : public QWidget {
    Q_OBJECT
public:
    // txtGSMSMSC is the SMS centre field of the GSM information page: the
    // ICQ send reads the phone's own centre into it and restores it from it.
    SmsPage(PhoneLink &link, MessagingState &state, QLineEdit &txtGSMSMSC, QWidget *parent = nullptr);

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
    void MainLoop1();

    void ProcessNumber();
    void ProcessICQ();
    void ProcessText();
    void SendSMSAT();
    void SendSMSbinary();
    void GetSMSC();
    void GetSMSCbinary();

signals:
    void exitRequested();
    // Every text written to the message line, as it is written.
    void statusChanged(const QString &text);

private:
    enum class BinaryExit { Done, TimedOut, Aborted, NoCentre };
    bool submitAT();
    void finishAT();
    void closeLink();
    BinaryExit switchToIcqCentre();
    void restoreCentreBinary();
    void binaryTimeOut();
    void binaryAborted();
    void restoreCentreAT();
    bool waitForInput(bool stopOnAbort, bool stopOnTimeout);
    void flashRed(QWidget *box, const QColor &restColour);
    void buildLayout();
    void limitText();
    bool startOperation();

    PhoneLink &m_link;
    MessagingState &m_state;
    QLineEdit &m_smsc;

public:
    // The books' items in the recipient lists (ComboBox1 for SMS, ComboBox2
    // for ICQ), and the text a box shows when its book was just created.
    void setSmsRecipientItem(int index, const QString &text);
    void setIcqRecipientItem(int index, const QString &text);
    void setSmsRecipientText(const QString &text);
    void setIcqRecipientText(const QString &text);
};
