// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The whole phone into one backup file, and back. Each run is one
// operation: one OperationGuard, every command through PhoneLink::exchange,
// the port closed at its end. The services of each part of the phone do
// the talking; this class puts their answers into sections and decides
// what a restore writes.
//
// A backup never loses what it has read: the file is rewritten (atomically)
// after every finished section, a section that fails is written as failed
// with its reason and the others go on. A restore reads the phone first,
// writes only the differences, clears nothing unless told to replace a
// section, reads back what it wrote and reports every difference.
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/backup/BackupFile.h"
#include "core/backup/RestorePlan.h"

class PhoneLink;

class BackupService : public QObject {
    Q_OBJECT
public:
    explicit BackupService(PhoneLink &link, QObject *parent = nullptr);

    struct Options {
        QList<Backup::Section> sections = Backup::allSections();
        QString path;            // rewritten after every section; empty: kept in memory only
        QString bookFile;        // the book file (QXsms.phb) of the books section
        QString version;         // Mirvak's, for the phone section
        std::optional<int> lockPage; // the tab a window locks while it runs
    };
    struct Outcome {
        bool started = false;    // false: another operation was running
        Backup::Document document;
        QStringList failed;      // "settings: the phone did not answer"
        bool aborted = false;
        QString saveError;       // the file could not be written: the run stopped there
        bool ok() const { return started && failed.isEmpty() && !aborted && saveError.isEmpty(); }
    };
    Outcome backup(const Options &options);

    struct RestoreOptions {
        QList<Backup::Section> sections = Backup::allSections();
        QSet<Backup::Section> replace; // sections whose items the backup lacks are cleared
        QString bookFile;
        bool dryRun = false;           // plan only: the phone is read, nothing written
        std::optional<int> lockPage;
    };
    struct StepResult {
        Backup::Step step = Backup::Step::Settings;
        QList<Backup::Planned> plan;
        QString error;          // why the step could not run (read failed, aborted)
        int written = 0, unchanged = 0, skipped = 0, failed = 0;
        QStringList problems;   // "location 12: the phone refused it", "volume: reads back 2, not 3"
        // "sim: 3 written, 247 unchanged, 0 skipped, 0 failed"
        QString summary() const;
    };
    struct RestoreOutcome {
        bool started = false;
        QList<StepResult> steps;
        bool aborted = false;
        bool ok() const;
    };
    // The preview: the phone read, the plan made, nothing written.
    RestoreOutcome preview(const Backup::Document &document, const RestoreOptions &options);
    RestoreOutcome restore(const Backup::Document &document, const RestoreOptions &options);

    // What the Abort buttons do: the run ends at its next step, keeping
    // what it has.
    void abort();

signals:
    // `section` is under way at `item`; done of total for one progress bar.
    void progress(const QString &section, const QString &item, int done, int total);
    // A section is in the file (or failed).
    void sectionDone(const QString &section, bool ok);

private:
    struct Failed {
        QString reason;
    };
    QJsonObject readSection(Backup::Section section, const Options &options);
    QJsonObject readPhone(const Options &options);
    QJsonObject readBook(bool sim);
    QJsonObject readMessages();
    QJsonObject readMelodies();
    QJsonObject readSettings(bool settings, bool callServices);
    QJsonObject readBooks(const QString &path);
    // The phone's state for one restore step, in the form of its section.
    QJsonObject readForStep(Backup::Step step, const RestoreOptions &options);
    void writeStep(StepResult &result, const Backup::Document &document, const RestoreOptions &options);
    RestoreOutcome runRestore(const Backup::Document &document, const RestoreOptions &options, bool write);

    // Throws Failed when the last exchange ended in silence, an abort or a
    // port failure; false when the phone refused the command.
    bool answered(const QString &what);
    void tell(const QString &section, const QString &item);
    // After a range left unanswered its answer may still be coming; taken
    // for the next command's, its "OK" would end that one early and lose
    // locations. Waits until the line has been quiet for a reply's
    // allowance, then drops what came.
    void letTheLineSettle();

    PhoneLink &m_link;
    int m_done = 0;
    int m_total = 1;
    QString m_section;
};
