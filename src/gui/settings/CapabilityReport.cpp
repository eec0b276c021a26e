// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/CapabilityReport.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "link/info/CapabilityService.h"

CapabilityReport::CapabilityReport(PhoneLink &link, QWidget *parent)
    : QGroupBox(QStringLiteral("Phone capabilities"), parent), m_link(link)
{
    setObjectName(QStringLiteral("PhoneCapabilitiesBox"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("PhoneCapabilities"));
    m_text->setAccessibleName(QStringLiteral("Phone capabilities"));
    m_text->setReadOnly(true);
    // Room for the report's lines; the Mirvak panel scrolls.
    m_text->setMinimumHeight(m_text->fontMetrics().lineSpacing() * 9);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_text);
    connect(&CapabilityService::of(m_link), &CapabilityService::changed, this, &CapabilityReport::showCurrent);
    showCurrent();
}

void CapabilityReport::showCurrent()
{
    const PhoneCapabilities *caps = CapabilityService::of(m_link).current();
    m_text->setPlainText(caps ? caps->report().join(u'\n')
                              : QStringLiteral("Not read yet: the phone is asked when a phonebook, a call list or "
                                               "the messages are first read from it."));
}
