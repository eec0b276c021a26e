// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading one field of the phone's JSON state: a field left out keeps the
// target's default; a field of the wrong type or range gives the message
// that stops the simulator (empty when all is well).
#include <QJsonObject>
#include <QString>

namespace JsonFields {

QString readString(const QJsonObject &o, const char *key, QString &target);
QString readInt(const QJsonObject &o, const char *key, int &target, int lo, int hi);
QString readBool(const QJsonObject &o, const char *key, bool &target);

} // namespace JsonFields
