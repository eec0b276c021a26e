// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Phone capabilities" on the Mirvak panel: what the phone last asked
// offers, as the first phonebook, call-list or message read learnt it.
// Read-only; it follows every phone seen.
#include <QGroupBox>

class PhoneLink;
class QPlainTextEdit;

class CapabilityReport : public QGroupBox {
    Q_OBJECT
public:
    explicit CapabilityReport(PhoneLink &link, QWidget *parent = nullptr);

private:
    PhoneLink &m_link;
    QPlainTextEdit *m_text; // PhoneCapabilities
    void showCurrent();
};
