#pragma once
// The phone's date and time, its alarm, and how it displays time and date.
#include "Unit1/settings/SettingsPanel.h"

class ClockPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit ClockPanel(QWidget *parent = nullptr);
};
