#include "Unit1/settings/PersonalRingsPanel.h"

PersonalRingsPanel::PersonalRingsPanel(QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelPersonal"), QStringLiteral("Personal Rings"), parent)
{
}
