// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Backup page: the whole phone into one file ("Back up…", with Abort
// in its place while it runs), a backup file opened and shown section by
// section, any section saved in a format other programs read, and
// "Restore…". The wire work is BackupService's.
#include <QWidget>
#include <functional>
#include <optional>

#include "core/backup/BackupFile.h"

class PhoneLink;
class BackupService;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class BackupPage : public QWidget {
    Q_OBJECT
public:
    // bookFile: the book file whose SMS and ICQ books the books section holds.
    BackupPage(PhoneLink &link, std::function<QString()> bookFile, QWidget *parent = nullptr);

    void btnBackupClick();
    void btnBackupAbortClick();
    void btnBackupOpenClick();
    void btnRestoreClick();
    // The section's "Save as…" in one of its formats.
    void saveSectionAs(Backup::Section section);

    // The file shown, when one is open.
    const std::optional<Backup::Opened> &opened() const { return m_opened; }
    bool openFile(const QString &path);

signals:
    // A restore rewrote the book file's SMS and ICQ books.
    void bookFileRestored();

private:
    void buildLayout();
    void showOpened();
    void setBusy(bool busy);
    void showMessageBox(const QString &name, const QString &text);
    QFileDialog *fileDialog(QFileDialog *&dialog, const char *name, bool save, const QStringList &filters);

    PhoneLink &m_link;
    BackupService *m_service;
    std::function<QString()> m_bookFile;
    QPushButton *btnBackup;
    QPushButton *btnBackupAbort;
    QProgressBar *BackupProgress;
    QLabel *BackupStatus;
    QPushButton *btnBackupOpen;
    QPushButton *btnRestore;
    QTreeWidget *BackupTree;
    // Made when first needed: a file dialog watches its folders from a
    // thread of its own.
    QFileDialog *BackupSaveFile = nullptr;
    QFileDialog *BackupOpenFile = nullptr;
    QFileDialog *BackupExportFile = nullptr;
    std::optional<Backup::Opened> m_opened;
    QString m_path;
    bool m_busy = false;
};
