// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/Flash.h"

#include <QAbstractButton>
#include <QLabel>
#include <QList>
#include <QWidget>

#include "link/PhoneLink.h"
#include "gui/common/Palette.h"

namespace {
QString caption(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    return {};
}

void setCaption(QWidget *w, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(w))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(w))
        button->setText(text);
}
} // namespace

void flash(PhoneLink &link, QWidget *w, const QColor &colour, int ms, const QString &text)
{
    const Palette::Fill rest = Palette::fillOf(w);
    const QString restCaption = caption(w);
    Palette::paint(w, colour);
    if (!text.isNull())
        setCaption(w, text);
    w->repaint();
    link.sleep(ms);
    Palette::paint(w, rest);
    if (!text.isNull())
        setCaption(w, restCaption);
    w->repaint();
}

void flashThenRest(PhoneLink &link, QWidget *w, const QColor &colour, int ms, const QColor &rest)
{
    Palette::paint(w, colour);
    w->repaint();
    link.sleep(ms);
    Palette::paint(w, rest);
    w->repaint();
}

void flash(PhoneLink &link, std::initializer_list<QWidget *> widgets, const QColor &colour, int ms)
{
    QList<Palette::Fill> rest;
    for (QWidget *w : widgets) {
        rest.append(Palette::fillOf(w));
        Palette::paint(w, colour);
        w->repaint();
    }
    link.sleep(ms);
    int i = 0;
    for (QWidget *w : widgets) {
        Palette::paint(w, rest.at(i++));
        w->repaint();
    }
}
