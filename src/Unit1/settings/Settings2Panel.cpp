#include "Unit1/settings/Settings2Panel.h"

Settings2Panel::Settings2Panel(QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelSet2"), QStringLiteral("Settings - 2"), parent)
{
}
