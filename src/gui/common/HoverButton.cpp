// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/HoverButton.h"

#include <QEnterEvent>
#include <QPalette>

#include "gui/common/Palette.h"

HoverButton::HoverButton(QWidget *parent) : QPushButton(parent)
{
    applyColor(m_colorOut);
}

HoverButton::HoverButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    applyColor(m_colorOut);
}

void HoverButton::setFontColorIn(const QColor &c)
{
    m_colorIn = c;
    if (m_inside)
        applyColor(c);
}

void HoverButton::setFontColorOut(const QColor &c)
{
    m_colorOut = c;
    if (!m_inside)
        applyColor(c);
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

void HoverButton::applyColor(const QColor &c)
{
    QPalette pal = palette();
    pal.setColor(QPalette::ButtonText, Palette::legible(c, pal.color(QPalette::Button)));
    setPalette(pal);
}

void HoverButton::enterEvent(QEnterEvent *event)
{
    m_inside = true;
    emit OnMouseOver();
    applyColor(m_colorIn);
    if (!m_glyphIn.isNull())
        setIcon(m_glyphIn);
    QPushButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent *event)
{
    m_inside = false;
    emit OnMouseOut();
    applyColor(m_colorOut);
    if (!m_glyphOut.isNull())
        setIcon(m_glyphOut);
    QPushButton::leaveEvent(event);
}
