// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/Buttons.h"

#include <QPushButton>
#include <QWidget>

QPushButton *Buttons::panelButton(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QPushButton *Buttons::iconButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const QString &hint)
{
    QPushButton *b = panelButton(parent, name, QString(), hint);
    b->setFixedSize(24, 24);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(16, 16));
    return b;
}

QPushButton *Buttons::readButton(QWidget *parent, const char *name, const QString &hint)
{
    return iconButton(parent, name, QStyle::SP_BrowserReload, hint);
}
