#include "Unit1/settings/SettingsTree.h"

#include "Unit1/settings/CallWaitPanel.h"
#include "Unit1/settings/ClockPanel.h"
#include "Unit1/settings/ComingSoonPanel.h"
#include "Unit1/settings/ForwardPanel.h"
#include "Unit1/settings/PersonalRingsPanel.h"
#include "Unit1/settings/ProfilesPanel.h"
#include "Unit1/settings/Settings1Panel.h"
#include "Unit1/settings/Settings2Panel.h"

namespace {
template <typename Panel, typename... Args>
PanelFactory make(Args... args)
{
    return [=] { return new Panel(args...); };
}
} // namespace

QList<SettingsNode> settingsTree(const SettingsContext &context)
{
    const QString callForward = QStringLiteral("Call Forward");
    return {
        {QStringLiteral("Settings-1"), {}, [&link = context.link] { return new Settings1Panel(link); }},
        {QStringLiteral("Settings-2"), {}, [&link = context.link] { return new Settings2Panel(link); }},
        {QStringLiteral("Profiles"), {}, [&link = context.link] { return new ProfilesPanel(link); }},
        {callForward, {}, {}},
        {QStringLiteral("Voice"), callForward,
         [&link = context.link] { return new ForwardPanel(link, ForwardPanel::Service::Voice); }},
        {QStringLiteral("Data"), callForward,
         [&link = context.link] { return new ForwardPanel(link, ForwardPanel::Service::Data); }},
        {QStringLiteral("Fax"), callForward,
         [&link = context.link] { return new ForwardPanel(link, ForwardPanel::Service::Fax); }},
        {QStringLiteral("Call Waiting"), {}, [&link = context.link] { return new CallWaitPanel(link); }},
        {QStringLiteral("Personal Rings"), {},
         [&link = context.link, &rings = context.personalRings] { return new PersonalRingsPanel(link, rings); }},
        {QStringLiteral("Clock"), {}, [&link = context.link] { return new ClockPanel(link); }},
        {QStringLiteral("GSM Info"), {}, context.gsmInfo},
        {QStringLiteral("Wap"), {},
         make<ComingSoonPanel>(QStringLiteral("panelWapsoon"), QStringLiteral("WAP settings coming soon....."))},
        {QStringLiteral("GPRS"), {},
         make<ComingSoonPanel>(QStringLiteral("PanelGPRSSoon"), QStringLiteral("GPRS settings coming soon....."))},
        {QStringLiteral("Mirvak"), {}, context.mirvak},
    };
}
