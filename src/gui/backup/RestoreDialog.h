// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Restore…": which sections go back to the phone and which are replaced,
// a preview read from the phone at that moment, then the restore itself.
// The dialog runs its reads and writes through BackupService, each as one
// operation that locks the Backup tab.
#include <QDialog>
#include <QMap>

#include "core/backup/BackupFile.h"
#include "link/backup/BackupService.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    RestoreDialog(BackupService &service, const Backup::Document &document, const QString &bookFile,
                  QWidget *parent = nullptr);

    void btnRestorePreviewClick();
    void btnRestoreRunClick();
    // A restore wrote the book file: whoever holds its books reads it again.
    bool bookFileWritten() const { return m_bookFileWritten; }
    // Not while the phone is read or written: Abort ends that first.
    void reject() override;

private:
    BackupService::RestoreOptions options() const;
    // The preview tree: section, then added / changed / cleared / skipped /
    // unchanged, then the locations.
    void showPlan(const BackupService::RestoreOutcome &outcome);
    void showSummary(const BackupService::RestoreOutcome &outcome);
    void setBusy(bool busy);

    BackupService &m_service;
    const Backup::Document &m_document;
    QString m_bookFile;
    QMap<Backup::Section, QCheckBox *> m_chosen;
    QMap<Backup::Section, QCheckBox *> m_replace;
    QTreeWidget *RestorePreview;
    QLabel *RestoreStatus;
    QPushButton *btnRestorePreview;
    QPushButton *btnRestoreRun;
    QPushButton *btnRestoreCancel;
    QPushButton *btnRestoreAbort;
    bool m_previewed = false;
    bool m_bookFileWritten = false;
    bool m_busy = false;
};
