// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/MirvakPanel.h"

#include <QScrollArea>
#include <QVBoxLayout>

MirvakPanel::MirvakPanel(QWidget *portChooser, QWidget *icqSettings, QWidget *phoneFinder, QWidget *capabilities,
                         QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelMirvak"), QString(), parent)
{
    // More than the window's page holds: the panel's contents scroll.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("MirvakScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *contents = new QWidget;
    contents->setObjectName(QStringLiteral("MirvakContents"));
    // As wide as the view, never wider: only the height scrolls.
    contents->setMinimumWidth(1);
    auto *layout = new QVBoxLayout(contents);
    layout->setContentsMargins(2, 4, 2, 4);
    layout->setSpacing(4);
    for (QWidget *w : {portChooser, phoneFinder, icqSettings, capabilities})
        if (w)
            layout->addWidget(w);
    layout->addStretch(1);
    scroll->setWidget(contents);

    panelLayout()->setContentsMargins(0, 0, 0, 0);
    panelLayout()->insertWidget(panelLayout()->count() - 1, scroll, 1);
    panelLayout()->setStretch(panelLayout()->count() - 1, 0);
}
