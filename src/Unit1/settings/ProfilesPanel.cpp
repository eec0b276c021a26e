#include "Unit1/settings/ProfilesPanel.h"

ProfilesPanel::ProfilesPanel(QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelProfiles"), QStringLiteral("Profiles"), parent)
{
}
