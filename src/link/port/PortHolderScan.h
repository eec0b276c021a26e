// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Who holds a serial device open: every process's descriptors in /proc,
// read and never touched, and the adapter's USB ids from sysfs for the
// advice.
#include <QString>

#include "core/port/PortAdvice.h"

namespace PortHolderScan {
// This process is left out: its own port is not "another program".
PortAdvice::Diagnosis diagnose(const QString &device);
std::optional<PortAdvice::UsbId> usbIdOf(const QString &device);
}
