// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The master side of the pseudo-terminal the program opens as its serial
// port, with an output queue that can hold replies back (latency), pace them
// to a baud rate or trickle them byte by byte.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

class QSocketNotifier;

class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject *parent = nullptr);
    ~PtyPort() override;

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }
    bool isOpen() const { return m_master >= 0; }
    // True while some process holds the slave side open.
    bool clientPresent() const { return m_clientPresent; }

    void setPace(int bytesPerSecond) { m_pace = bytesPerSecond; }
    void setTrickle(int msPerByte) { m_trickleMs = msPerByte; }

    // delayMs counts from the moment the segment reaches the head of the queue.
    // done runs once its last byte has been handed to the pty.
    void send(const QByteArray &data, int delayMs = 0, int tag = 0,
              std::function<void()> done = {});
    // Removes queued segments with this tag that have not started going out.
    void dropQueued(int tag);
    void clearOutput();
    bool outputIdle() const { return m_queue.empty(); }

    // Closes the master: the slave device disappears, its number stays taken
    // while the simulator runs.
    void hangup();

signals:
    void received(const QByteArray &bytes);
    void clientClosed();
    void clientOpened();

private:
    struct Segment {
        QByteArray data;
        int delayMs = 0;
        int tag = 0;
        std::function<void()> done;
        bool started = false;
        qsizetype written = 0;
    };

    void readAvailable();
    void pollClosed();
    void pump();
    void scheduleWrite(int ms);

    int m_master = -1;
    int m_reserve = -1;    // a slave descriptor kept after hangup(): see there
    QString m_slavePath;
    QSocketNotifier *m_readNotifier = nullptr;
    QTimer m_closedPoll;   // while nobody holds the slave, reads fail: look again later
    QTimer m_writeTimer;
    bool m_clientPresent = false;
    bool m_delaying = false;

    std::deque<Segment> m_queue;
    int m_pace = 0;        // bytes per second, 0 = as fast as the pty takes them
    int m_trickleMs = 0;
    double m_tokens = 0;
    QElapsedTimer m_paceClock;
    qint64 m_paceSeenNs = 0; // where the clock stood when the tokens were last topped up
};
