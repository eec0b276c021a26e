// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The colours every page paints with, and the one way to paint a control:
// whoever paints a background also sets the text that reads on it, so a
// dark desktop theme never leaves white text on a silver box.
#include <QColor>

class QWidget;

namespace Palette {
inline const QColor Silver{192, 192, 192};  // edit fields, combo boxes and grids at rest
inline const QColor Teal{0, 128, 128};      // a value being read from the phone
inline const QColor Lime{0, 255, 0};        // success
inline const QColor Red{255, 0, 0};         // failure, refused input
inline const QColor DarkGreen{0, 128, 0};   // a melody stored
inline const QColor Grey{128, 128, 128};    // gauges at rest

// Paints the background of a control, whatever kind it is: the text area of
// an edit or combo box, a grid's cells, a button's face, a label's panel;
// and its text in the colour that reads on it, enabled or not.
void paint(QWidget *w, const QColor &colour);
// The colour paint() gave it.
QColor painted(const QWidget *w);

// The text colour for a background: black on silver, lime and the light
// greys, white on teal, red and dark green, and the desktop's own button
// text on the desktop's button face.
QColor textOn(const QColor &background);
// `text` where it reads on `background` (3:1 at least), else the nearest
// lighter or darker shade of it that does: a blue link stays blue on a
// dark window, only lighter.
QColor legible(const QColor &text, const QColor &background);
// WCAG 2 contrast ratio of two colours, 1 to 21.
double contrast(const QColor &a, const QColor &b);
}
