#include "gui/settings/MirvakPanel.h"

#include <QVBoxLayout>

MirvakPanel::MirvakPanel(QWidget *portChooser, QWidget *icqSettings, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelMirvak"), QString(), parent)
{
    panelLayout()->setContentsMargins(4, 4, 4, 4);
    panelLayout()->setSpacing(4);
    if (portChooser)
        addContent(portChooser);
    if (icqSettings)
        addContent(icqSettings);
}
