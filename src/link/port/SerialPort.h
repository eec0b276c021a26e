// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's only access to the phone: one serial device, 9600 8N1, raw.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include "link/port/PortError.h"

class QSocketNotifier;

class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject *parent = nullptr);
    ~SerialPort() override;

    QString name() const { return m_port; }
    // Normalises the name (com3 -> COM3, COM0/COMX/COM17 -> COM1). A change
    // while open closes the old device and opens the new one.
    void setPort(const QString &name);
    bool isOpen() const { return m_fd >= 0; }
    // The device behind Port (MIRVAK_COMn, else the n-th serial device).
    QString devicePath() const;

    void open();
    void close();
    int write(const QByteArray &data);
    QByteArray read(int count);
    int bytesWaiting();
    void purge(bool input, bool output);
    void setDtr(bool on);
    void setBreak(bool on);
    void sendAhead(char byte);
    static QStringList availablePorts();

    // Bookkeeping for the wait loops (PhoneLink::pumpOnce): a counter that
    // moves whenever bytes arrive, are consumed or are written, and whether
    // the device has gone away.
    quint64 activity() const { return m_activity; }
    bool hungUp() const { return m_hangErrno != 0; }

signals:
    // Input arrived or the line changed state (hang-up). Wakes waiting loops.
    void readyRead();
    void portNameChanged(const QString &name);

private:
    QString m_port = QStringLiteral("COM1");
    QString m_device;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    // Input is drained from the driver into m_rx as soon as the notifier
    // fires: a level-triggered notifier on unread bytes would otherwise wake
    // the event loop without pause while a wait loop collects a frame.
    QByteArray m_rx;
    quint64 m_activity = 0;
    int m_hangErrno = 0;
    bool m_rearmPending = false;

    void onReadable();
    bool pullInput();          // true if bytes were taken
    void markHungUp(int err);
    void rearmNotifier();
    void releaseFd();
    [[noreturn]] void fail(ComErrorCode code, int err) const;
};
