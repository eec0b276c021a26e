#pragma once
// Tests reach every control the way a user's script would: by its
// objectName, below the window. A missing or ambiguous name fails loudly.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtTest>
#include <QWidget>

namespace guitest {

template <typename T = QWidget>
T *find(const QObject *root, const QString &name)
{
    const QList<T *> all = root->findChildren<T *>(name);
    if (all.size() != 1) {
        const QByteArray why = QStringLiteral("%1 controls named \"%2\" of the asked type")
                                   .arg(all.size()).arg(name).toUtf8();
        QTest::qFail(why.constData(), __FILE__, __LINE__);
        return nullptr;
    }
    return all.first();
}

} // namespace guitest
