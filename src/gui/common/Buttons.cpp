// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/common/Buttons.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <tuple>

QIcon Buttons::standardIcon(const QWidget *widget, QStyle::StandardPixmap icon)
{
    struct Kept {
        QPointer<const QStyle> style; // a style made anew at a freed one's address is another style
        QIcon icon;
    };
    // Without a widget the style takes the program's direction for the arrows.
    using Key = std::tuple<const QStyle *, Qt::LayoutDirection, QStyle::StandardPixmap>;
    static std::map<Key, Kept> kept;
    // The pictures go with the application, not after it.
    static const bool clearedAtExit = (qAddPostRoutine([] { kept.clear(); }), true);
    Q_UNUSED(clearedAtExit);
    const QStyle *style = widget->style();
    Kept &k = kept[Key{style, QGuiApplication::layoutDirection(), icon}];
    if (!k.style) {
        k.style = style;
        k.icon = style->standardIcon(icon);
    }
    return k.icon;
}

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
    b->setIcon(standardIcon(parent, icon));
    b->setIconSize(QSize(16, 16));
    return b;
}

QPushButton *Buttons::readButton(QWidget *parent, const char *name, const QString &hint)
{
    return iconButton(parent, name, QStyle::SP_BrowserReload, hint);
}

QPushButton *Buttons::plainButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QGridLayout *Buttons::overAbort(QPushButton *button, QPushButton *abort)
{
    auto *cell = new QGridLayout;
    cell->setContentsMargins(0, 0, 0, 0);
    cell->addWidget(abort, 0, 0);
    if (button) {
        cell->addWidget(button, 0, 0);
        button->raise();
    }
    return cell;
}
