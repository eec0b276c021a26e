// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/PortChooser.h"

#include "link/port/PortMap.h"
#include "link/port/SerialPort.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

PortChooser::PortChooser(SerialPort &port, QWidget *parent)
    : QGroupBox(QStringLiteral("Com Port"), parent), m_port(port), m_group(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("cpa"));
    QStringList names = SerialPort::availablePorts();
    // With no serial device found the user can still point MIRVAK_COM1 at
    // one and pick it here.
    if (names.isEmpty())
        names << QStringLiteral("COM1");

    auto *layout = new QVBoxLayout(this);
    int id = 0;
    for (const QString &name : names) {
        auto *button = new QRadioButton(name, this);
        button->setObjectName(name);
        button->setToolTip(deviceForPort(name));
        m_group->addButton(button, id++);
        layout->addWidget(button);
    }
    layout->addStretch(1);

    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) {
        const QString name = m_group->button(id)->text();
        if (mayChange && !mayChange()) {
            UpdateSettings();
            return;
        }
        try {
            m_port.setPort(name); // same name: nothing happens
        } catch (const PortError &e) {
            // Only when the port was open and the new device refused: the
            // port is closed now and the user should know why.
            QMessageBox::critical(window(), QStringLiteral("Error"), e.message() + QStringLiteral("\n") + e.reason());
        }
    });
}

void PortChooser::UpdateSettings()
{
    for (QAbstractButton *b : m_group->buttons()) {
        if (b->text() == m_port.name()) {
            b->setChecked(true);
            return;
        }
    }
    // An exclusive group will not let its last checked button go.
    m_group->setExclusive(false);
    for (QAbstractButton *b : m_group->buttons())
        b->setChecked(false);
    m_group->setExclusive(true);
}
