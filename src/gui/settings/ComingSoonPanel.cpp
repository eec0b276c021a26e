// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/ComingSoonPanel.h"

ComingSoonPanel::ComingSoonPanel(const QString &name, const QString &notice, QWidget *parent)
    : SettingsPanel(name, notice, parent)
{
}
