#pragma once
// `mirvak --demo`: the simulated phone as a child process on a pseudo-terminal,
// set up as COM1 for the lifetime of the program.
#include <QString>
#include <QStringList>

class QProcess;

class DemoPhone {
public:
    DemoPhone() = default;
    ~DemoPhone();
    DemoPhone(const DemoPhone &) = delete;
    DemoPhone &operator=(const DemoPhone &) = delete;

    // MIRVAK_PHONESIM, then beside the program (same folder, or the build
    // tree's tools/phonesim), then PATH. Empty when none is found.
    static QString locate(const QString &programDir);

    // Starts the simulator, waits for the device path on its first output
    // line and points MIRVAK_COM1 at it. False with a reason in *error.
    bool start(const QString &programDir, QString *error);
    QString device() const { return m_device; }
    QString program() const { return m_program; }
    bool running() const;
    void stop();

private:
    QProcess *m_proc = nullptr;
    QString m_program;
    QString m_device;
};
