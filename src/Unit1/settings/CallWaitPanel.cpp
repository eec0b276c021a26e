#include "Unit1/settings/CallWaitPanel.h"

CallWaitPanel::CallWaitPanel(QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelCallWait"), QStringLiteral("Call Waiting"), parent)
{
}
