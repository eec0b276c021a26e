// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one way text reaches the inside of a quoted command parameter (a
// name, a number, a greeting): nothing in it can close the quotes, end the
// command line or start another command.
#include <QByteArray>

// The text without '"', CR, LF, Ctrl-Z, ESC or any other control character.
QByteArray quoted(const QByteArray &text);
