// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Tests reach every control the way a user's script would: by its
// objectName, below the window. A missing or ambiguous name fails loudly.
#include <QApplication>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtTest>
#include <QWidget>

namespace guitest {

namespace detail {
template <typename T>
T *exactlyOne(const QList<T *> &all, const QString &name, const char *where)
{
    if (all.size() != 1) {
        const QByteArray why = QStringLiteral("%1 %2 named \"%3\" of the asked type")
                                   .arg(all.size()).arg(QLatin1String(where), name).toUtf8();
        QTest::qFail(why.constData(), __FILE__, __LINE__);
        return nullptr;
    }
    return all.first();
}
} // namespace detail

template <typename T = QWidget>
T *find(const QObject *root, const QString &name)
{
    return detail::exactlyOne(root->findChildren<T *>(name), name, "controls");
}

// A window of its own (a dialog the main window shows, not a child of it).
template <typename T = QWidget>
T *findWindow(const QString &name)
{
    QList<T *> all;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            if (T *t = qobject_cast<T *>(w))
                all.append(t);
    return detail::exactlyOne(all, name, "windows");
}

} // namespace guitest
