#pragma once
// Settings page 1: minute minder, answer mode, key and message sounds, key lock.
#include "Unit1/settings/SettingsPanel.h"

class Settings1Panel : public SettingsPanel {
    Q_OBJECT
public:
    explicit Settings1Panel(QWidget *parent = nullptr);
};
