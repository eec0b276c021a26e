// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// MIRVAK_TRACE=file: every byte in and out and every port operation, with
// millisecond timestamps. Does nothing when the variable is unset.
namespace LinkTrace {
bool enabled();
void op(const QString &what);                      // "open /dev/pts/3", "purge in out", "dtr 1", ...
void bytes(char direction, const QByteArray &data); // '>' to the phone, '<' from it
}
