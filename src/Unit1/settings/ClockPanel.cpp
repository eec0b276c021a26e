#include "Unit1/settings/ClockPanel.h"

ClockPanel::ClockPanel(QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelClock"), QStringLiteral("Clock"), parent)
{
}
