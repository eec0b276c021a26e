// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
#include <QString>

// "com3" -> "COM3"; anything not 1..16 -> "COM1".
QString normalisePortName(const QString &name);
// The number kept in the book file: COM2..COM8 give 2..8, anything else 1.
int portNumberForBook(const QString &name);
