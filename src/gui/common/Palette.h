// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The colours every page paints with, and the one way to paint a control:
// whoever paints a background also sets the text that reads on it, so a
// dark desktop theme never leaves white text on a silver box. What is worked
// out from the desktop's palette is worked out again when the desktop
// switches its theme while the program runs.
#include <QColor>
#include <QPalette>
#include <functional>

class QWidget;

namespace Palette {
inline const QColor Silver{192, 192, 192};  // edit fields, combo boxes and grids at rest
inline const QColor Teal{0, 128, 128};      // a value being read from the phone
inline const QColor Lime{0, 255, 0};        // success
inline const QColor Red{255, 0, 0};         // failure, refused input
inline const QColor DarkGreen{0, 128, 0};   // a melody stored
inline const QColor Grey{128, 128, 128};    // gauges at rest

// A control's background as paint() keeps it: a fixed colour, or the
// desktop's button face, which changes with the desktop's theme.
class Fill {
public:
    Fill(const QColor &colour) : m_colour(colour) {} // every colour is a fill
    static Fill buttonFace() { return Fill(); }
    // The colour it stands for now.
    QColor colour() const;

private:
    Fill() = default;
    QColor m_colour; // invalid for the button face
};
inline const Fill ButtonFace = Fill::buttonFace(); // check boxes, radio groups and status labels at rest

// Paints the background of a control, whatever kind it is: the text area of
// an edit or combo box, a grid's cells, a button's face, a label's panel;
// and its text in the colour that reads on it, enabled or not. Painted again
// when the desktop's palette changes.
void paint(QWidget *w, const Fill &fill);
// The colour paint() gave it.
QColor painted(const QWidget *w);
// The fill paint() was last given, to paint it back after a flash.
Fill fillOf(const QWidget *w);

// Runs `apply` now, and again whenever the palette `w` shows changes (the
// desktop's theme, or a parent's palette), for colours worked out from that
// palette.
void follow(QWidget *w, std::function<void()> apply);
// Sets the `ink` role of `w` to `text` where it reads on the widget's
// `background` role, else to the nearest shade that does (legible()).
void setLegible(QWidget *w, QPalette::ColorRole ink, const QColor &text, QPalette::ColorRole background);

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
