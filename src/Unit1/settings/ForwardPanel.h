#pragma once
// Call forwarding for one basic service. The voice, data and fax panels are
// the same panel made three times: they differ only in the service, so the
// forwarding rows can come from one table rather than three copies.
#include "Unit1/settings/SettingsPanel.h"

class ForwardPanel : public SettingsPanel {
    Q_OBJECT
public:
    // The values are the class numbers the forwarding command carries.
    enum class Service { Voice = 1, Data = 2, Fax = 4 };

    explicit ForwardPanel(Service service, QWidget *parent = nullptr);

    Service service() const { return m_service; }

private:
    Service m_service;
};
