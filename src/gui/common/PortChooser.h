// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The port chooser "cpa": a radio group bound to SerialPort::Port, applied at once.
#include <QGroupBox>
#include <functional>

class QButtonGroup;
class SerialPort;

class PortChooser : public QGroupBox {
    Q_OBJECT
public:
    PortChooser(SerialPort &port, QWidget *parent = nullptr);
    // Selects the item whose text equals the port's name, or none.
    void UpdateSettings();
    // Asked before a click changes the port; a phone operation in the middle
    // of an exchange must not have its device swapped under it.
    std::function<bool()> mayChange;

private:
    SerialPort &m_port;
    QButtonGroup *m_group;
};
