#include "Unit1/settings/ForwardPanel.h"

namespace {
struct Names {
    QString panel;
    QString title;
};

Names namesOf(ForwardPanel::Service service)
{
    switch (service) {
    case ForwardPanel::Service::Data:
        return {QStringLiteral("PanelData"), QStringLiteral("Data Call Forwarding")};
    case ForwardPanel::Service::Fax:
        return {QStringLiteral("PanelFax"), QStringLiteral("Fax Call Forwarding")};
    case ForwardPanel::Service::Voice:
        break;
    }
    return {QStringLiteral("PanelVoice"), QStringLiteral("Voice Call Forwarding")};
}
} // namespace

ForwardPanel::ForwardPanel(Service service, QWidget *parent)
    : SettingsPanel(namesOf(service).panel, namesOf(service).title, parent), m_service(service)
{
}
