// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One JSON object a line, flushed at once, so a test can read the log while
// the simulator still runs. Every entry carries "us", when it was written in
// microseconds of the system's monotonic clock (CLOCK_MONOTONIC, the clock
// std::chrono::steady_clock reads on Linux), so another process on the same
// machine can put it in order with what it saw itself.
#include <QByteArray>
#include <QFile>
#include <QJsonObject>
#include <QString>

class SimLog {
public:
    bool open(const QString &path, QString *error);
    void write(QJsonObject entry);
    void event(const QString &what);

    // Bytes as the log shows them: upper-case hexadecimal.
    static QString hex(const QByteArray &bytes);

private:
    QFile m_file;
};
