// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/HoverButton.h"

#include <QEnterEvent>
#include <QPalette>

#include "gui/common/Palette.h"

HoverButton::HoverButton(QWidget *parent) : QPushButton(parent)
{
    Palette::follow(this, [this] { showColour(); });
}

HoverButton::HoverButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    Palette::follow(this, [this] { showColour(); });
}

void HoverButton::setFontColorIn(const QColor &c)
{
    m_colorIn = c;
    showColour();
}

void HoverButton::setFontColorOut(const QColor &c)
{
    m_colorOut = c;
    showColour();
}

void HoverButton::setGlyphIn(const QIcon &icon)
{
    m_glyphIn = icon;
    if (m_inside && !icon.isNull())
        setIcon(icon);
}

void HoverButton::setGlyphOut(const QIcon &icon)
{
    m_glyphOut = icon;
    if (!m_inside && !icon.isNull())
        setIcon(icon);
}

QColor HoverButton::fontColor() const
{
    return palette().color(QPalette::ButtonText);
}

// Against the face the button has now: a theme switched to dark makes a
// black caption light.
void HoverButton::showColour()
{
    Palette::setLegible(this, QPalette::ButtonText, m_inside ? m_colorIn : m_colorOut, QPalette::Button);
}

void HoverButton::enterEvent(QEnterEvent *event)
{
    m_inside = true;
    emit OnMouseOver();
    showColour();
    if (!m_glyphIn.isNull())
        setIcon(m_glyphIn);
    QPushButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent *event)
{
    m_inside = false;
    emit OnMouseOut();
    showColour();
    if (!m_glyphOut.isNull())
        setIcon(m_glyphOut);
    QPushButton::leaveEvent(event);
}
