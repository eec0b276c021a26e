// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A scripted phone on the master side of a pseudo-terminal, living in the
// test process: it answers from a socket notifier, so the exchange under
// test and the phone share one event loop and each case is exact. With
// onData forwarding elsewhere it is the program's end of a relay instead.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

class PtyPeer : public QObject {
    Q_OBJECT
public:
    PtyPeer();
    ~PtyPeer() override;

    bool isOpen() const { return m_master >= 0; }
    QString device() const { return m_device; }
    // MIRVAK_COMn := device()
    void useAsCom(int n = 1) const;

    // Everything the program wrote, in order.
    QByteArray received;
    // Called with all that has arrived since the last call (received
    // already holds it).
    std::function<void(const QByteArray &chunk)> onData;
    // Replies once when `received` first contains trigger.
    void replyTo(const QByteArray &trigger, const QByteArray &reply, int delayMs = 0);

    void send(const QByteArray &bytes);
    void sendLater(int ms, const QByteArray &bytes);
    // One byte every intervalMs.
    void trickle(const QByteArray &bytes, int intervalMs);
    // The device vanishes: the program's side is hung up.
    void closeMaster();

    // Everything waiting on a non-blocking fd; once the other side is gone
    // `watch` is switched off, or it would fire for ever.
    static QByteArray drain(int fd, QSocketNotifier *watch);
    // All of bytes, however many writes it takes.
    static void writeAll(int fd, const QByteArray &bytes);

private:
    struct Rule {
        QByteArray trigger;
        QByteArray reply;
        int delayMs;
        bool done;
    };
    int m_master = -1;
    int m_slave = -1; // held so the master never reads EIO between opens
    QString m_device;
    QSocketNotifier *m_notifier = nullptr;
    QList<Rule> m_rules;
    void onReadable();
};
