#pragma once
// GSM information page (PanelInfo).
#include <QByteArray>
#include <QColor>
#include <QWidget>
#include <optional>

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
    QLabel *StaticText45;

    void btnInfoClick();
    void btnSetSMSCClick();
    void GetNetwork();
    void getModel();
    void GetSoftware();
    void GetIMEI();
    void getMake();
    void GetBatt();
    void getSignal();

    // btnSetSMSC is the default button (Enter presses it) while
    // txtGSMSMSC has the focus.
    void txtGSMSMSCEnter();
    void txtGSMSMSCExit();
    bool setSmscIsDefault() const { return m_setIsDefault; }

    // The colours the page paints with: a field's background, a gauge's
    // background and a gauge's bar.
    static QColor fieldColour(const QLineEdit *field);
    static QColor gaugeBackground(const QProgressBar *gauge);
    static QColor gaugeBar(const QProgressBar *gauge);

    static constexpr int SettingsTab = 3;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Extract = std::optional<QByteArray> (*)(const QByteArray &reply);
    void readTextItem(QLineEdit *field, const char *command, Extract extract);
    bool setCentreBinary();
    void backToRest();

    PhoneLink &m_link;
    MessagingState &m_state;
    SmsPage *m_sms = nullptr;
    bool m_setIsDefault = false;
};
