// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every command of mirvak-cli shares: the port and the link, how
// failures become words on standard error and an exit code, Ctrl-C as the
// Abort button, progress on a terminal, and results written whole.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/io/AtomicFile.h"
#include "link/PhoneLink.h"
#include "link/port/SerialPort.h"
#include "store/archive/MessageArchive.h"

class QSocketNotifier;

namespace Exit {
constexpr int Ok = 0;
constexpr int Phone = 1; // the phone refused or did not answer; also an abort
constexpr int Usage = 2;
constexpr int Port = 3;  // the port could not be used
}

class CliSession : public QObject {
    Q_OBJECT
public:
    CliSession();
    ~CliSession() override;

    SerialPort port;
    PhoneLink link{port};

    // "COM1 (/dev/ttyUSB0)"; the path alone when the user gave one.
    QString where() const;
    // The user named the device by its path (it stands behind COM1): every
    // message names it by that path, never as a COM name it never typed.
    void setGivenDevice(const QString &path) { m_givenDevice = path; }

    // A message on standard error, "mirvak-cli: " first.
    static void say(const QString &message);
    // A failure: told, and its exit code kept unless an earlier failure
    // already set one (the first cause is the one that matters).
    void fail(int code, const QString &message);
    int exitCode() const { return m_exit; }
    bool failed() const { return m_exit != Exit::Ok; }

    // Set once Ctrl-C (or SIGTERM, SIGHUP) came; the running exchange ends
    // as after Abort.
    bool interrupted() const { return m_interrupted; }
    // Failed because of an interrupt, told once.
    bool stopIfInterrupted();

    // One phone operation: guarded like the window's, port failures caught.
    void run(const std::function<void()> &operation);

    // "reading 37/250" on standard error, only when it is a terminal.
    void progress(const QString &text);
    void endProgress();

    // The result: to standard output, or saved whole to `path` (AtomicFile:
    // never in place). False, told, when it could not be written.
    bool deliver(const QByteArray &bytes, const QString &path);
    // Whether deliver() could write `path`, asked before the phone is: a
    // read that marks messages read must not end in a file that cannot be
    // written. False, told, when it could not.
    bool checkWritable(const QString &path);

    // The message archive: `path`, else messages.sqlite here. Opened at its
    // first use; null, told once, when it cannot be.
    void setArchivePath(const QString &path) { m_archivePath = path; }
    MessageArchive *archive();
    // Messages read from the phone kept in the archive (quietly when there is
    // none: reading goes on); the newly kept ones, or nothing on failure.
    std::optional<QList<ArchivedMessage>> keep(const QList<ArchivedMessage> &messages, const QString &country = {});

private:
    int m_exit = Exit::Ok;
    bool m_interrupted = false;
    bool m_progressShown = false;
    QString m_givenDevice;
    QString m_archivePath;
    std::unique_ptr<MessageArchive> m_archive;
    bool m_archiveTried = false;
    QSocketNotifier *m_signals = nullptr;
    void onSignal();
    // A save's failure told in the words of a usage error.
    bool told(const AtomicFile::Outcome &saved, const QString &path);
};
