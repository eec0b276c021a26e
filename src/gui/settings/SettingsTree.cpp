// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/SettingsTree.h"

#include "gui/settings/CallWaitPanel.h"
#include "gui/settings/ClockPanel.h"
#include "gui/settings/ComingSoonPanel.h"
#include "gui/settings/ForwardPanel.h"
#include "gui/settings/PersonalRingsPanel.h"
#include "gui/settings/ProfilesPanel.h"
#include "gui/settings/Settings1Panel.h"
#include "gui/settings/Settings2Panel.h"

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
