// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The push buttons every page makes the same way.
#include <QIcon>
#include <QStyle>
#include <QString>

class QGridLayout;
class QPushButton;
class QWidget;

namespace Buttons {

// The style's standard picture, read once for the whole program: a style
// without a desktop icon theme decodes every size of it from PNG each time.
QIcon standardIcon(const QWidget *widget, QStyle::StandardPixmap icon);

// A plain push button with its objectName, as the phonebook pages make them.
QPushButton *plainButton(const QString &name, const QString &caption, QWidget *parent);
// Never the dialog default: Enter belongs to the box that has the focus.
QPushButton *panelButton(QWidget *parent, const char *name, const QString &caption, const QString &hint = {});
// The same with a 24 x 24 picture instead of a caption.
QPushButton *iconButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const QString &hint);
// The button of a panel or page that reads its values from the phone: the
// reload picture, 24 x 24.
QPushButton *readButton(QWidget *parent, const char *name, const QString &hint);

// One layout cell holding an Abort button exactly beneath `button`: an
// operation hides the button and its Abort button shows through.
QGridLayout *overAbort(QPushButton *button, QPushButton *abort);

} // namespace Buttons
