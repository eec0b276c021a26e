#pragma once
// The phone's active profile and its ring volume, silent mode, vibration and light.
#include "Unit1/settings/SettingsPanel.h"

class ProfilesPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit ProfilesPanel(QWidget *parent = nullptr);
};
