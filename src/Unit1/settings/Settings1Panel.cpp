#include "Unit1/settings/Settings1Panel.h"

Settings1Panel::Settings1Panel(QWidget *parent)
    : SettingsPanel(QStringLiteral("panelSet1"), QStringLiteral("Settings - 1"), parent)
{
}
