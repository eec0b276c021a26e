#pragma once
// Settings page 2 of the phone's own settings.
#include "Unit1/settings/SettingsPanel.h"

class Settings2Panel : public SettingsPanel {
    Q_OBJECT
public:
    explicit Settings2Panel(QWidget *parent = nullptr);
};
