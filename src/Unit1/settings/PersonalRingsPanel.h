#pragma once
// The phone's list of numbers that ring with a sound of their own.
#include "Unit1/settings/SettingsPanel.h"

class PersonalRingsPanel : public SettingsPanel {
    Q_OBJECT
public:
    explicit PersonalRingsPanel(QWidget *parent = nullptr);
};
