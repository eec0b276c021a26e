// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/settings/PhoneFinder.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/PortChooser.h"
#include "gui/common/Tab.h"
#include "link/PhoneLink.h"
#include "link/port/PortProbe.h"

PhoneFinder::PhoneFinder(PhoneLink &link, PortChooser *chooser, QWidget *parent)
    : QWidget(parent), m_link(link), m_chooser(chooser)
{
    setObjectName(QStringLiteral("phoneFinder"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    btnFindPhone = new QPushButton(QStringLiteral("Find phone"), this);
    btnFindPhone->setObjectName(QStringLiteral("btnFindPhone"));
    btnFindPhone->setToolTip(QStringLiteral("Try every COM name with \"AT\" and choose the first one a phone answers on"));
    layout->addWidget(btnFindPhone, 0, Qt::AlignLeft);

    m_report = new QLabel(this);
    m_report->setObjectName(QStringLiteral("findPhoneReport"));
    m_report->setWordWrap(true);
    m_report->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_report->setAccessibleName(QStringLiteral("Find phone report"));
    layout->addWidget(m_report);

    connect(btnFindPhone, &QPushButton::clicked, this, &PhoneFinder::btnFindPhoneClick);
}

void PhoneFinder::btnFindPhoneClick()
{
    const OperationGuard op(m_link, Tab::Settings);
    if (!op)
        return;
    btnFindPhone->setEnabled(false);
    m_report->setText(QStringLiteral("Looking for the phone…"));

    // The probe opens each port itself; ours must not be the one holding it.
    m_link.runGuarded([this] { m_link.closePort(); });
    const QList<PortReport> reports = PortProbe::probeAll(m_link.timing());

    QStringList lines;
    QString chosen;
    for (const PortReport &r : reports) {
        QString where = r.device;
        if (!r.byId.isEmpty())
            where += QStringLiteral(" (%1)").arg(r.byId);
        lines << QStringLiteral("%1: %2 — %3").arg(r.name, where, r.stateText());
        if (chosen.isEmpty() && r.state == PortReport::Answers)
            chosen = r.name;
    }
    if (reports.isEmpty())
        lines << QStringLiteral("No serial port found. Is the cable plugged in?");
    else if (chosen.isEmpty())
        lines << QStringLiteral("No phone answered.") << PortProbe::advice(reports);
    else
        lines << QStringLiteral("%1 chosen.").arg(chosen);

    if (!chosen.isEmpty()) {
        m_link.usePort(chosen);
        if (m_chooser)
            m_chooser->UpdateSettings();
    }
    m_report->setText(lines.join(QLatin1Char('\n')));
    btnFindPhone->setEnabled(true);
}
