// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/CallWaitPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "link/PhoneLink.h"
#include "gui/settings/SettingsPattern.h"
#include "gui/common/Palette.h"

using SettingsPattern::panelButton;

namespace {
QString shown(CallWaiting::State state)
{
    switch (state) {
    case CallWaiting::State::Active:
        return QStringLiteral("Active");
    case CallWaiting::State::NotActive:
        return QStringLiteral("Not Active");
    case CallWaiting::State::Unknown:
        break;
    }
    return QStringLiteral("N/A");
}
} // namespace

CallWaitPanel::CallWaitPanel(PhoneLink &link, QWidget *parent)
    : SettingsPanel(QStringLiteral("PanelCallWait"), QStringLiteral("Call Waiting"), parent),
      m_link(link),
      m_calls(link)
{
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("PanelCallWaitContent"));
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);

    txtCW = new QLabel(QStringLiteral("Status"), content);
    txtCW->setObjectName(QStringLiteral("txtCW"));
    txtCW->setAlignment(Qt::AlignCenter);
    txtCW->setFrameShape(QFrame::Panel);
    txtCW->setFrameShadow(QFrame::Sunken);
    txtCW->setMinimumHeight(24);
    Palette::paint(txtCW, Palette::Silver);
    grid->addWidget(txtCW, 0, 0, 1, 3);

    btnCWs = panelButton(content, "btnCWs", QStringLiteral("Get Status"));
    btnCWa = panelButton(content, "btnCWa", QStringLiteral("Activate"));
    btnCWd = panelButton(content, "btnCWd", QStringLiteral("De-Activate"));
    btnAbort6 = panelButton(content, "btnAbort6", QStringLiteral("Abort"));
    btnAbort7 = panelButton(content, "btnAbort7", QStringLiteral("Abort"));
    btnAbort8 = panelButton(content, "btnAbort8", QStringLiteral("Abort"));
    // Each Abort button lies beneath its button; a running command hides
    // the button and the Abort button shows through.
    int column = 0;
    for (auto [top, abort] : {std::pair{btnCWs, btnAbort6}, {btnCWa, btnAbort7}, {btnCWd, btnAbort8}}) {
        abort->setToolTip(QStringLiteral("Abort"));
        grid->addWidget(abort, 1, column);
        grid->addWidget(top, 1, column++);
        top->raise();
        connect(abort, &QPushButton::clicked, &m_link, &PhoneLink::requestAbort);
    }
    addContent(content);

    connect(btnCWs, &QPushButton::clicked, this, &CallWaitPanel::btnCWsClick);
    connect(btnCWa, &QPushButton::clicked, this, &CallWaitPanel::btnCWaClick);
    connect(btnCWd, &QPushButton::clicked, this, &CallWaitPanel::btnCWdClick);
}

void CallWaitPanel::btnCWsClick()
{
    // The tab bar stays free; the guard keeps a second command from starting.
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    getStatus();
}

void CallWaitPanel::btnCWaClick()
{
    change(true);
}

void CallWaitPanel::btnCWdClick()
{
    change(false);
}

void CallWaitPanel::getStatus()
{
    Palette::paint(txtCW, Palette::Teal);
    txtCW->setText(QStringLiteral("Requesting"));
    btnCWs->hide();
    btnCWa->setEnabled(false);
    btnCWd->setEnabled(false);
    repaint();

    CallWaiting::State state = CallWaiting::State::Unknown;
    m_link.runGuarded([&] {
        state = m_calls.queryWaiting();
        m_link.closePort();
    });

    txtCW->setText(shown(state));
    btnCWs->show();
    btnCWa->setEnabled(true);
    btnCWd->setEnabled(true);
    Palette::paint(txtCW, Palette::Silver);
}

void CallWaitPanel::change(bool on)
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    QPushButton *own = on ? btnCWa : btnCWd;
    Palette::paint(txtCW, Palette::Teal);
    txtCW->setText(QStringLiteral("Sending..."));
    own->hide();
    for (QPushButton *b : {btnCWs, btnCWa, btnCWd})
        if (b != own)
            b->setEnabled(false);
    repaint();

    bool reached = false;
    m_link.runGuarded([&] {
        reached = m_calls.switchWaiting(on) != Exchange::PortFailed;
        m_link.closePort();
    });

    txtCW->clear();
    own->show();
    for (QPushButton *b : {btnCWs, btnCWa, btnCWd})
        b->setEnabled(true);
    txtCW->repaint();
    // A port that would not open or failed under the change has been
    // reported; a query now would only report it a second time.
    if (!reached) {
        txtCW->setText(QStringLiteral("N/A"));
        Palette::paint(txtCW, Palette::Silver);
        return;
    }
    getStatus();
}
