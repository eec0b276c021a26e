// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a user sees wrong on a page, found the way a careful eye would find
// it: a text wider than its control, two controls lying on each other, a
// control reaching past its parent, and a text too faint against what it is
// painted on (below the WCAG ratio of 3:1).
#include <QColor>
#include <QPalette>
#include <QStringList>

class QWidget;

namespace readability {

// Every fault among the visible controls below `root`, one line each,
// naming the control by its path of object names.
QStringList faults(const QWidget *root);

// A dark desktop palette, as a theme such as KDE's Breeze Dark hands it to a
// Qt program.
QPalette darkPalette();

} // namespace readability
