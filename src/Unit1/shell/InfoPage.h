#pragma once
// GSM information page (PanelInfo).
#include <QWidget>

class PhoneLink;
struct MessagingState;
class SmsPage;
class QLineEdit;
class QPushButton;
class QProgressBar;
class QLabel;

class InfoPage : public QWidget {
    Q_OBJECT
public:
    InfoPage(PhoneLink &link, MessagingState &state, QWidget *parent = nullptr);
    // The SMS page holds GetSMSC, GetSMSCbinary and ProcessNumber.
    void setSmsPage(SmsPage *page) { m_sms = page; }

    QPushButton *btnInfo;
    QLineEdit *txtNetwork;
    QLineEdit *txtModel;
    QLineEdit *txtSoftware;
    QLineEdit *txtGSMSMSC;
    QPushButton *btnSetSMSC;
    QPushButton *btnAbort30;
    QLineEdit *txtIMEI;
    QLineEdit *txtMake;
    QProgressBar *Batt;
    QProgressBar *Signal;
    QLabel *StaticText6;
    QLabel *StaticText7;

    void btnInfoClick();
    void btnSetSMSCClick();
    void GetNetwork();
    void getModel();
    void GetSoftware();
    void GetIMEI();
    void getMake();
    void GetBatt();
    void getSignal();

private:
    PhoneLink &m_link;
    MessagingState &m_state;
    SmsPage *m_sms = nullptr;
};
