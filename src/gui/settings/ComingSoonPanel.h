// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A tree node whose settings the program does not offer yet: the panel says so
// and holds nothing else.
#include "gui/settings/SettingsPanel.h"

class ComingSoonPanel : public SettingsPanel {
    Q_OBJECT
public:
    ComingSoonPanel(const QString &name, const QString &notice, QWidget *parent = nullptr);
};
