// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading a file "up to a limit" without claiming the limit first:
// QIODevice::read(n) sets aside n bytes before it reads one, so a 300-byte
// vCard read with a 64 MB limit took 64 MB for a moment.
#include <QByteArray>
#include <QIODevice>

namespace BoundedRead {

// What is left of `in`, but no more than `limit` bytes. Reading stops at
// the end of the device, or once `limit` bytes have come.
QByteArray atMost(QIODevice &in, qint64 limit);

} // namespace BoundedRead
