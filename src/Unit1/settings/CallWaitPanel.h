#pragma once
// The network's call-waiting service: query, activate, de-activate.
#include "Unit1/settings/SettingsPanel.h"

class CallWaitPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit CallWaitPanel(QWidget *parent = nullptr);
};
