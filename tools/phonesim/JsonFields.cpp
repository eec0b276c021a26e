// SPDX-License-Identifier: GPL-2.0-or-later
#include "JsonFields.h"

#include <QJsonValue>

namespace JsonFields {

QString readString(const QJsonObject &o, const char *key, QString &target)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (!v.isString())
        return QStringLiteral("\"%1\" must be a string").arg(QLatin1String(key));
    target = v.toString();
    return {};
}

QString readInt(const QJsonObject &o, const char *key, int &target, int lo, int hi)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (!v.isDouble() || v.toDouble() != double(v.toInt()) || v.toInt() < lo || v.toInt() > hi)
        return QStringLiteral("\"%1\" must be a whole number from %2 to %3").arg(QLatin1String(key)).arg(lo).arg(hi);
    target = v.toInt();
    return {};
}

QString readBool(const QJsonObject &o, const char *key, bool &target)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return {};
    if (!v.isBool())
        return QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(key));
    target = v.toBool();
    return {};
}

} // namespace JsonFields
