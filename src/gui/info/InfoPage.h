// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// GSM information page (PanelInfo).
#include <QByteArray>
#include <QColor>
#include <QWidget>
#include <optional>

class PhoneLink;
class CentreService;
class GsmInfo;
class QLineEdit;
class QPushButton;
class QProgressBar;
class QLabel;

class InfoPage : public QWidget {
    Q_OBJECT
public:
    InfoPage(PhoneLink &link, CentreService &centre, QWidget *parent = nullptr);

private:
    QPushButton *btnInfo;
    QLineEdit *txtNetwork;
    QLineEdit *txtModel;
    QLineEdit *txtSoftware;
    QLineEdit *txtGSMSMSC;
    QPushButton *btnSetSMSC = nullptr;
    QPushButton *btnAbort30 = nullptr;
    QLineEdit *txtIMEI;
    QLineEdit *txtMake;
    QProgressBar *Batt;
    QProgressBar *Signal;
    QLabel *StaticText6;
    QLabel *StaticText7;
    QLabel *StaticText45;
    // Signal in dBm, registration and the SIM's PIN state on one line; each
    // item, with the reason when the phone refused it, in its tooltip.
    QLabel *PhoneState;

public:
    void btnInfoClick();
    void btnSetSMSCClick();
    void GetNetwork();
    void getModel();
    void GetSoftware();
    void GetIMEI();
    void getMake();
    void GetBatt();
    void getSignal();
    // AT+CSQ, AT+CREG? and AT+CPIN? into PhoneState.
    void GetPhoneState();

    // The colours the page paints with: a field's background, a gauge's
    // background and a gauge's bar.
    static QColor fieldColour(const QLineEdit *field);
    static QColor gaugeBackground(const QProgressBar *gauge);
    static QColor gaugeBar(const QProgressBar *gauge);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildHeading();
    void buildFields();
    void buildCentreRow();
    void buildGauges();
    void connectControls();
    void placeCentreRow();
    void readTextItem(QLineEdit *field, std::optional<QByteArray> (GsmInfo::*item)());
    void backToRest();

    PhoneLink &m_link;
    CentreService &m_centre;
    // AT+CBC gave no level this read-out: the one of AT+CIND? shows instead.
    bool m_chargeFromIndicators = false;
};
