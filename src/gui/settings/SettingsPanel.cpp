// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/SettingsPanel.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsPanel::SettingsPanel(const QString &name, const QString &title, QWidget *parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    setObjectName(name);
    m_layout->setContentsMargins(6, 6, 6, 6);
    if (!title.isEmpty()) {
        m_caption = new QLabel(title, this);
        m_caption->setObjectName(name + QStringLiteral("Caption"));
        m_caption->setWordWrap(true);
        QFont f = m_caption->font();
        f.setBold(true);
        m_caption->setFont(f);
        m_layout->addWidget(m_caption);
    }
    m_layout->addStretch(1);
}

void SettingsPanel::addContent(QWidget *widget)
{
    m_layout->insertWidget(m_layout->count() - 1, widget);
}
