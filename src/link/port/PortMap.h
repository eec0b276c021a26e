// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Which device stands behind COM1..COM16 on this machine:
// MIRVAK_COMn when set, else /dev/ttyUSB*, /dev/ttyACM*, then the /dev/ttyS*
// that have a real UART, in that order.
struct PortMapping {
    QString name;   // "COM1"
    QString device; // "/dev/ttyUSB0"
};
QList<PortMapping> systemPorts();
QString deviceForPort(const QString &comName);
