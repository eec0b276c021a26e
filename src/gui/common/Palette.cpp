// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/Palette.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScopedValueRollback>
#include <QWidget>
#include <cmath>

namespace {

double channel(int c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QColor blend(const QColor &a, const QColor &b, double towardB)
{
    const auto mix = [towardB](int x, int y) { return int(std::lround(x + (y - x) * towardB)); };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

void paintNow(QWidget *w, const QColor &colour)
{
    const QColor text = Palette::textOn(colour);
    // Disabled text keeps its side of the background but fades toward it.
    const QColor faded = blend(text, colour, 0.4);
    QPalette pal = w->palette();
    for (auto [face, ink] : {std::pair{QPalette::Base, QPalette::Text},
                             std::pair{QPalette::Button, QPalette::ButtonText}}) {
        pal.setColor(face, colour);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            pal.setColor(group, ink, text);
        pal.setColor(QPalette::Disabled, face, colour);
        pal.setColor(QPalette::Disabled, ink, faded);
    }
    // These draw no face of their own: they show their parent's, unless
    // given one.
    if (qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)
        || qobject_cast<QGroupBox *>(w)) {
        pal.setColor(QPalette::Window, colour);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(QPalette::Disabled, QPalette::WindowText, faded);
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
    // An editable combo box shows its text in an edit of its own.
    if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->lineEdit())
        paintNow(combo->lineEdit(), colour);
}

// Runs again what worked colours out from the palette when the desktop's
// palette changes (a theme switched while the program runs) and, for colours
// worked out from the widget's own palette, whenever that changes. A child
// widget learns of the desktop's change only as a change of its own palette,
// which is also what setting its palette directly sends.
class Follower : public QObject {
public:
    Follower(QWidget *w, std::function<void()> apply, bool ownPalette)
        : QObject(w), m_apply(std::move(apply)), m_ownPalette(ownPalette)
    {
        w->installEventFilter(this);
    }

    void run()
    {
        m_desktop = QApplication::palette();
        // What `apply` sets is a palette change of its own.
        const QScopedValueRollback running(m_running, true);
        m_apply();
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        const bool changed = e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange;
        if (changed && !m_running && (m_ownPalette || QApplication::palette() != m_desktop))
            run();
        return false;
    }

private:
    std::function<void()> m_apply;
    bool m_ownPalette;
    bool m_running = false;
    QPalette m_desktop; // the desktop's palette when `apply` last ran
};

// What paint() last gave a widget. Its text is chosen against the desktop's
// palette, and the button face is the desktop's, so both are worked out again
// when the desktop's palette changes.
class Painting : public Follower {
public:
    Painting(QWidget *w, const Palette::Fill &f)
        : Follower(w, [this, w] { paintNow(w, fill.colour()); }, false), fill(f)
    {
    }
    Palette::Fill fill;
};

Painting *paintingOf(const QWidget *w)
{
    for (QObject *child : w->children())
        if (auto *painting = dynamic_cast<Painting *>(child))
            return painting;
    return nullptr;
}

} // namespace

QColor Palette::Fill::colour() const
{
    return m_colour.isValid() ? m_colour : QApplication::palette().color(QPalette::Button);
}

double Palette::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

QColor Palette::textOn(const QColor &background)
{
    // Red takes white text as every warning light does, though black would
    // read a little better on it.
    if (background == Teal || background == Red || background == DarkGreen)
        return Qt::white;
    const QPalette desktop = QApplication::palette();
    for (auto [face, text] : {std::pair{QPalette::Button, QPalette::ButtonText},
                              std::pair{QPalette::Window, QPalette::WindowText},
                              std::pair{QPalette::Base, QPalette::Text}}) {
        if (background == desktop.color(face) && contrast(desktop.color(text), background) >= 3.0)
            return desktop.color(text);
    }
    const QColor black(Qt::black), white(Qt::white);
    return contrast(black, background) >= contrast(white, background) ? black : white;
}

QColor Palette::legible(const QColor &text, const QColor &background)
{
    if (contrast(text, background) >= 3.0)
        return text;
    // Toward white on a dark background, toward black on a light one, in
    // small steps so the hue stays recognisable.
    const QColor goal = luminance(background) < 0.18 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 1; step <= 20; ++step) {
        const QColor c = blend(text, goal, step / 20.0);
        if (contrast(c, background) >= 4.5)
            return c;
    }
    return goal;
}

void Palette::paint(QWidget *w, const Fill &fill)
{
    if (!w)
        return;
    if (Painting *painting = paintingOf(w)) {
        painting->fill = fill;
        painting->run();
    } else {
        (new Painting(w, fill))->run();
    }
}

QColor Palette::painted(const QWidget *w)
{
    return w->palette().color(QPalette::Base);
}

Palette::Fill Palette::fillOf(const QWidget *w)
{
    const Painting *painting = paintingOf(w);
    return painting ? painting->fill : Fill(painted(w));
}

void Palette::follow(QWidget *w, std::function<void()> apply)
{
    (new Follower(w, std::move(apply), true))->run();
}

void Palette::setLegible(QWidget *w, QPalette::ColorRole ink, const QColor &text, QPalette::ColorRole background)
{
    QPalette pal = w->palette();
    pal.setColor(ink, legible(text, pal.color(background)));
    w->setPalette(pal);
}
