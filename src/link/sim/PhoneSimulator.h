// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// mirvak-phonesim as a child process: found, started on a fresh
// pseudo-terminal with the state it is given, asked for its device, and
// stopped. `mirvak --demo`, the tests and the benchmarks all start the
// simulated phone through this.
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QProcess;
class QTemporaryDir;

class PhoneSimulator {
public:
    PhoneSimulator();
    ~PhoneSimulator();
    PhoneSimulator(const PhoneSimulator &) = delete;
    PhoneSimulator &operator=(const PhoneSimulator &) = delete;

    // MIRVAK_PHONESIM, then beside the program (same folder, or the build
    // tree's tools/phonesim), then PATH. Empty when none is found.
    static QString locate(const QString &programDir);

    // What start() runs; left empty, it is located from the running
    // program's folder.
    void setProgram(const QString &path) { m_program = path; }
    // Options of mirvak-phonesim beyond those said here (--pace, --fault, ...).
    void setArguments(const QStringList &args) { m_args = args; }
    // The phone's initial state; keys left out take the simulator's defaults.
    void setState(const QJsonObject &state);
    // Keep a log, and the state the phone is left in when it stops; see
    // log() and dumpedState().
    void setRecording(bool on) { m_recording = on; }
    // Leave the simulator's files behind for a look afterwards.
    void setKeepFiles(bool keep) { m_keepFiles = keep; }

    // Starts the simulator and waits for the device path on its first
    // output line. False with a reason in *error.
    bool start(QString *error = nullptr);
    bool running() const;
    QString program() const { return m_program; }
    // The pseudo-terminal's slave side, as the simulator reported it.
    QString device() const { return m_device; }
    // MIRVAK_COMn := device()
    void useAsCom(int n = 1) const;
    void stop();

    // Where the state, log and dump files are; empty when there are none.
    QString folder() const;
    // Recording: the log so far, one object a line.
    QList<QJsonObject> log() const;
    // Recording: the file it is written to, line by line as things happen.
    QString logFile() const;
    // Recording: the state written when the simulator stopped.
    QJsonObject dumpedState() const;

private:
    bool fail(QString *error, const QString &why);

    QProcess *m_proc = nullptr;
    QString m_program;
    QStringList m_args;
    QJsonObject m_state;
    bool m_hasState = false;
    bool m_recording = false;
    bool m_keepFiles = false;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_device;
};
