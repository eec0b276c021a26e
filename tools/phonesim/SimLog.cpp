#include "SimLog.h"

#include <QJsonDocument>

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

void SimLog::write(const QJsonObject &entry)
{
    if (!m_file.isOpen())
        return;
    // One write call per line, so a reader never sees half an entry.
    m_file.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}

void SimLog::event(const QString &what)
{
    write(QJsonObject{{QStringLiteral("t"), QStringLiteral("event")}, {QStringLiteral("what"), what}});
}
