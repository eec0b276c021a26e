#pragma once
// Starts mirvak-phonesim on a fresh pseudo-terminal for one test and stops it
// afterwards. The phone's state goes in as JSON and comes back as JSON.
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QList>

class QProcess;

class SimPhone {
public:
    // args: extra command-line options of mirvak-phonesim (pace, faults, ...).
    // state: initial phone state; keys left out take the simulator's defaults.
    explicit SimPhone(const QStringList &args = {}, const QJsonObject &state = {});
    ~SimPhone();
    SimPhone(const SimPhone &) = delete;
    SimPhone &operator=(const SimPhone &) = delete;

    bool start();                 // true once the device path is known
    QString device() const;       // the pty slave path
    void useAsCom(int n = 1);     // MIRVAK_COMn := device()
    QList<QJsonObject> log() const; // the simulator's log so far, one object a line
    QStringList commands() const; // just the AT command lines received, in order
    QJsonObject stopAndDump();    // stops it and returns the state it dumped
    void stop();

private:
    QProcess *m_proc = nullptr;
    QStringList m_args;
    QJsonObject m_state;
    QString m_dir;
    QString m_device;
};
