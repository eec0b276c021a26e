// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A short flash of a control: painted in a colour (and, for a label or a
// button, showing a caption such as "OK"), held while the window repaints but
// takes no input, then given back the colour and caption it had.
#include <QColor>
#include <QString>
#include <initializer_list>

class PhoneLink;
class QWidget;

void flash(PhoneLink &link, QWidget *w, const QColor &colour, int ms, const QString &caption = {});
// The same, ending on `rest` instead of the colour it had (a field that was
// teal while the phone was busy goes back to silver).
void flashThenRest(PhoneLink &link, QWidget *w, const QColor &colour, int ms, const QColor &rest);
// Several controls flashed together, as one.
void flash(PhoneLink &link, std::initializer_list<QWidget *> widgets, const QColor &colour, int ms);
