// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/MirvakPanel.h"

#include <QVBoxLayout>

MirvakPanel::MirvakPanel(QWidget *portChooser, QWidget *icqSettings, QWidget *phoneFinder, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelMirvak"), QString(), parent)
{
    panelLayout()->setContentsMargins(4, 4, 4, 4);
    panelLayout()->setSpacing(4);
    if (portChooser)
        addContent(portChooser);
    if (phoneFinder)
        addContent(phoneFinder);
    if (icqSettings)
        addContent(icqSettings);
}
