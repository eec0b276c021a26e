// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The network's call-waiting service: query, activate, de-activate.
#include "link/settings/CallServices.h"
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class QLabel;
class QPushButton;

class CallWaitPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit CallWaitPanel(PhoneLink &link, QWidget *parent = nullptr);

private:
    QPushButton *btnCWs; // "Get Status", over btnAbort6
    QPushButton *btnCWa; // "Activate", over btnAbort7
    QPushButton *btnCWd; // "De-Activate", over btnAbort8
    QPushButton *btnAbort6;
    QPushButton *btnAbort7;
    QPushButton *btnAbort8;
    QLabel *txtCW;       // "Status" until the first query

public:
    void btnCWsClick();
    void btnCWaClick();
    void btnCWdClick();

private:
    // The query with its busy look; the caller holds the operation.
    void getStatus();
    void change(bool on);

    PhoneLink &m_link;
    CallServices m_calls;
};
