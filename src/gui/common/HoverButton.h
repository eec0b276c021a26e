// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A picture button that changes its caption colour (and optionally its
// picture) while the pointer is over it.
#include <QColor>
#include <QIcon>
#include <QPushButton>

class HoverButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QColor FontColorIn READ FontColorIn WRITE setFontColorIn)
    Q_PROPERTY(QColor FontColorOut READ FontColorOut WRITE setFontColorOut)
    Q_PROPERTY(QIcon GlyphIn READ GlyphIn WRITE setGlyphIn)
    Q_PROPERTY(QIcon GlyphOut READ GlyphOut WRITE setGlyphOut)
public:
    explicit HoverButton(QWidget *parent = nullptr);
    explicit HoverButton(const QString &text, QWidget *parent = nullptr);

    QColor FontColorIn() const { return m_colorIn; }
    void setFontColorIn(const QColor &c);
    QColor FontColorOut() const { return m_colorOut; }
    void setFontColorOut(const QColor &c);
    QIcon GlyphIn() const { return m_glyphIn; }
    void setGlyphIn(const QIcon &icon);
    QIcon GlyphOut() const { return m_glyphOut; }
    void setGlyphOut(const QIcon &icon);

    // The caption colour shown right now.
    QColor fontColor() const;
    bool pointerInside() const { return m_inside; }

signals:
    // Fired before the colour and picture change.
    void OnMouseOver();
    void OnMouseOut();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void showColour();

    QColor m_colorIn = Qt::red;
    QColor m_colorOut = Qt::black;
    QIcon m_glyphIn;
    QIcon m_glyphOut;
    bool m_inside = false;
};
