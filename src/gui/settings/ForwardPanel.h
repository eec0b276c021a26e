// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Call forwarding for one basic service. The voice, data and fax panels are
// the same panel made three times: they differ only in the service and the
// names of their controls, so the 36 row handlers and the 3 request-all
// handlers are one routine each, driven by the table of members.
#include <array>

#include "link/settings/CallServices.h"
#include "gui/settings/SettingsPanel.h"

class PhoneLink;
class QLabel;
class QLineEdit;
class QPushButton;

class ForwardPanel : public SettingsPanel {
    Q_OBJECT
public:
    // The values are the class numbers the forwarding command carries.
    using Service = CallForward::Service;
    enum class Action { Get = 0, Set = 1, Cancel = 2 };
    static constexpr int RowCount = 4;
    // Typing stops here; what the phone reports is shown whole.
    static constexpr int TypedNumberLength = 18;

    ForwardPanel(PhoneLink &link, Service service, QWidget *parent = nullptr);

    Service service() const { return m_service; }

    // One forwarding condition: its box, its get, set and cancel buttons,
    // and the Abort button beneath each of them.
    struct Row {
        CallForward::Reason reason;
        QLabel *label;
        QLineEdit *edit;
        std::array<QPushButton *, 3> buttons; // by Action
        std::array<QPushButton *, 3> aborts;  // by Action
    };

    // Every row handler (btnGetVunreachableClick ... btnCancelFallClick):
    // get shows the status the network reports; set and cancel send their
    // change, then show the status as get does.
    void rowClick(int row, Action action);
    // btnGetVoiceClick, btnGetAllDataClick, btnGetAllFaxClick: every row's
    // status in turn, until an abort.
    void getAllClick();
    // The 13 buttons of the panel off or on (the Abort buttons stay live).
    void ForwardButtonsOff();
    void ForwardButtonsOn();

private:
    void showStatus(Row &row);
    void showBusy(Row &row, Action action, const QString &text);
    void showResult(Row &row, const QString &text);

    PhoneLink &m_link;
    CallServices m_calls;
    Service m_service;
    // Unreachable, Busy, No Answer, All Calls.
    std::array<Row, RowCount> m_rows{};
    QPushButton *btnGetAll = nullptr;   // btnGetVoice, btnGetAllData, btnGetAllFax
    QPushButton *btnAbortAll = nullptr; // btnAbort21, btnAbortD1, btnAbortF1
};
