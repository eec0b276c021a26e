#pragma once
// One JSON object a line, flushed at once, so a test can read the log while
// the simulator still runs.
#include <QFile>
#include <QJsonObject>
#include <QString>

class SimLog {
public:
    bool open(const QString &path, QString *error);
    void write(const QJsonObject &entry);
    void event(const QString &what);

private:
    QFile m_file;
};
