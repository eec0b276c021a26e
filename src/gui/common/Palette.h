#pragma once
// The colours every page paints with, and the one way to paint a control.
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
// an edit or combo box, a grid's cells, a button's face, a label's panel.
void paint(QWidget *w, const QColor &colour);
// The colour paint() gave it.
QColor painted(const QWidget *w);
}
