// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's own settings: the port chooser, Find phone, the ICQ
// gateway numbers, and what the phone last asked offers.
// Both widgets belong to the main window, which wires them to the port and the
// book file; this panel only gives them a place on the settings page.
#include "gui/settings/SettingsPanel.h"

class MirvakPanel : public SettingsPanel {
    Q_OBJECT
public:
    MirvakPanel(QWidget *portChooser, QWidget *icqSettings, QWidget *phoneFinder = nullptr,
                QWidget *capabilities = nullptr, QWidget *parent = nullptr);
};
