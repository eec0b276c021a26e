// SPDX-License-Identifier: GPL-2.0-or-later
#include "SimLog.h"

#include <QJsonDocument>

#include <chrono>

bool SimLog::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

void SimLog::write(QJsonObject entry)
{
    if (!m_file.isOpen())
        return;
    // A double holds whole microseconds exactly for some 285 years of uptime.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    entry.insert(QStringLiteral("us"), double(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    // One write call per line, so a reader never sees half an entry.
    m_file.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}

void SimLog::event(const QString &what)
{
    write(QJsonObject{{QStringLiteral("t"), QStringLiteral("event")}, {QStringLiteral("what"), what}});
}

QString SimLog::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}
