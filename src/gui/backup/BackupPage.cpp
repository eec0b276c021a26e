// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/backup/BackupPage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/backup/BackupExport.h"
#include "core/io/AtomicFile.h"
#include "gui/backup/RestoreDialog.h"
#include "gui/common/Buttons.h"
#include "gui/common/Tab.h"
#include "link/PhoneLink.h"
#include "link/backup/BackupService.h"

using namespace Backup;

BackupPage::BackupPage(PhoneLink &link, std::function<QString()> bookFile, QWidget *parent)
    : QWidget(parent), m_link(link), m_service(new BackupService(link, this)), m_bookFile(std::move(bookFile))
{
    setObjectName(QStringLiteral("BackupPage"));
    buildLayout();
    connect(m_service, &BackupService::progress, this,
            [this](const QString &section, const QString &item, int done, int total) {
                BackupProgress->setRange(0, qMax(total, 1));
                BackupProgress->setValue(qMin(done, BackupProgress->maximum()));
                if (!section.isEmpty())
                    BackupStatus->setText(item.isEmpty() ? section : QStringLiteral("%1: %2").arg(section, item));
            });
    setBusy(false);
}

void BackupPage::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    auto *top = new QGridLayout;
    btnBackup = Buttons::panelButton(this, "btnBackup", QStringLiteral("Back up\u2026"),
                                     QStringLiteral("Read the whole phone into one file"));
    btnBackupAbort = Buttons::panelButton(this, "btnBackupAbort", QStringLiteral("Abort"),
                                          QStringLiteral("Stop, keeping every section read so far"));
    top->addWidget(btnBackup, 0, 0);
    top->addWidget(btnBackupAbort, 0, 0);
    BackupProgress = new QProgressBar(this);
    BackupProgress->setObjectName(QStringLiteral("BackupProgress"));
    BackupProgress->setAccessibleName(QStringLiteral("Backup progress"));
    BackupProgress->setRange(0, 1);
    BackupProgress->setValue(0);
    BackupProgress->setTextVisible(false);
    top->addWidget(BackupProgress, 0, 1);
    top->setColumnStretch(1, 1);
    layout->addLayout(top);
    BackupStatus = new QLabel(this);
    BackupStatus->setObjectName(QStringLiteral("BackupStatus"));
    BackupStatus->setWordWrap(true);
    layout->addWidget(BackupStatus);

    BackupTree = new QTreeWidget(this);
    BackupTree->setObjectName(QStringLiteral("BackupTree"));
    BackupTree->setAccessibleName(QStringLiteral("Sections of the backup"));
    BackupTree->setColumnCount(2);
    BackupTree->setHeaderLabels({QStringLiteral("Section"), QStringLiteral("Holds")});
    BackupTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    BackupTree->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(BackupTree, 1);

    auto *bottom = new QHBoxLayout;
    btnBackupOpen = Buttons::panelButton(this, "btnBackupOpen", QStringLiteral("Open\u2026"),
                                         QStringLiteral("Show what a backup file holds"));
    btnRestore = Buttons::panelButton(this, "btnRestore", QStringLiteral("Restore\u2026"),
                                      QStringLiteral("Write the open backup back to the phone"));
    bottom->addWidget(btnBackupOpen);
    bottom->addWidget(btnRestore);
    bottom->addStretch(1);
    layout->addLayout(bottom);

    connect(btnBackup, &QPushButton::clicked, this, &BackupPage::btnBackupClick);
    connect(btnBackupAbort, &QPushButton::clicked, this, &BackupPage::btnBackupAbortClick);
    connect(btnBackupOpen, &QPushButton::clicked, this, &BackupPage::btnBackupOpenClick);
    connect(btnRestore, &QPushButton::clicked, this, &BackupPage::btnRestoreClick);
    connect(BackupTree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const QTreeWidgetItem *item = BackupTree->itemAt(at);
        if (!item || !m_opened)
            return;
        const auto section = sectionNamed(item->data(0, Qt::UserRole).toString());
        if (!section || BackupExport::formatsOf(*section).isEmpty() || !sectionOk(m_opened->document.section(*section)))
            return;
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("BackupSectionMenu"));
        menu.addAction(QStringLiteral("Save as\u2026"), this, [this, s = *section] { saveSectionAs(s); });
        menu.exec(BackupTree->viewport()->mapToGlobal(at));
    });
}

void BackupPage::setBusy(bool busy)
{
    m_busy = busy;
    btnBackup->setVisible(!busy);
    btnBackupAbort->setVisible(busy);
    btnBackupAbort->setEnabled(busy);
    for (QWidget *w : std::initializer_list<QWidget *>{btnBackupOpen, BackupTree})
        w->setEnabled(!busy);
    btnRestore->setEnabled(!busy && m_opened && !m_opened->document.present().isEmpty());
    repaint();
}

void BackupPage::showMessageBox(const QString &name, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Backup"), text, QMessageBox::Ok, this);
    box.setObjectName(name);
    box.exec();
}

QFileDialog *BackupPage::fileDialog(QFileDialog *&dialog, const char *name, bool save, const QStringList &filters)
{
    if (!dialog) {
        dialog = new QFileDialog(this);
        dialog->setObjectName(QLatin1String(name));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
    }
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setNameFilters(filters);
    return dialog;
}

void BackupPage::btnBackupClick()
{
    QFileDialog *dialog = fileDialog(BackupSaveFile, "BackupSaveFile", true, {QStringLiteral("Backups (*.json)")});
    dialog->selectFile(QStringLiteral("mirvak-backup-%1.json")
                           .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    QString path = dialog->selectedFiles().constFirst();
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".json");

    BackupService::Options options;
    options.path = path;
    options.bookFile = m_bookFile ? m_bookFile() : QString();
    options.version = QCoreApplication::applicationVersion();
    options.lockPage = Tab::Backup;
    setBusy(true);
    m_link.setAbortRequested(false);
    BackupProgress->setValue(0);
    const BackupService::Outcome out = m_service->backup(options);
    setBusy(false);
    if (!out.started)
        return;
    QString text = out.aborted ? QStringLiteral("Aborted; the sections read so far are in %1.")
                               : QStringLiteral("Backed up to %1.");
    text = text.arg(QFileInfo(path).fileName());
    if (!out.failed.isEmpty())
        text += QStringLiteral(" Failed: ") + out.failed.join(QStringLiteral("; "));
    if (!out.saveError.isEmpty())
        text = QStringLiteral("The backup could not be written: %1").arg(out.saveError);
    else
        openFile(path);
    BackupStatus->setText(text);
}

void BackupPage::btnBackupAbortClick()
{
    m_service->abort();
}

bool BackupPage::openFile(const QString &path)
{
    QString error;
    std::optional<Opened> opened = Backup::open(path, &error);
    if (!opened) {
        showMessageBox(QStringLiteral("backupOpenFailed"), error);
        return false;
    }
    m_opened = std::move(opened);
    m_path = path;
    showOpened();
    setBusy(false);
    if (const QString warning = m_opened->warning(); !warning.isEmpty())
        showMessageBox(QStringLiteral("backupDamaged"), warning);
    return true;
}

void BackupPage::btnBackupOpenClick()
{
    QFileDialog *dialog = fileDialog(BackupOpenFile, "BackupOpenFile", false,
                                     {QStringLiteral("Backups (*.json)"), QStringLiteral("All files (*)")});
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        openFile(dialog->selectedFiles().constFirst());
}

void BackupPage::showOpened()
{
    BackupTree->clear();
    if (!m_opened)
        return;
    const Document &d = m_opened->document;
    const QJsonObject phone = d.section(Section::Phone);
    auto *file = new QTreeWidgetItem(BackupTree, {QFileInfo(m_path).fileName(),
                                                  phone.value(QLatin1String("time")).toString()});
    file->setFirstColumnSpanned(false);
    for (Section s : d.present()) {
        auto *item = new QTreeWidgetItem(file, {BackupExport::title(s), BackupExport::summary(s, d.section(s))});
        item->setData(0, Qt::UserRole, key(s));
    }
    for (const QString &bad : m_opened->unreadable)
        new QTreeWidgetItem(file, {QStringLiteral("unreadable"), bad});
    file->setExpanded(true);
}

void BackupPage::saveSectionAs(Section section)
{
    if (!m_opened)
        return;
    const QList<BackupExport::Format> formats = BackupExport::formatsOf(section);
    QStringList filters;
    for (BackupExport::Format f : formats)
        filters << BackupExport::filter(f);
    QFileDialog *dialog = fileDialog(BackupExportFile, "BackupExportFile", true, filters);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    QString path = dialog->selectedFiles().constFirst();
    BackupExport::Format format = formats.value(int(filters.indexOf(dialog->selectedNameFilter())), formats.first());
    // A name's own suffix wins over the filter chosen.
    for (BackupExport::Format f : formats)
        if (QFileInfo(path).suffix().compare(BackupExport::suffix(f), Qt::CaseInsensitive) == 0) {
            format = f;
            break;
        }
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + BackupExport::suffix(format);
    const AtomicFile::Outcome saved = AtomicFile::write(
        path, BackupExport::bytes(format, m_opened->document.section(section), QDateTime::currentDateTimeUtc()));
    if (!saved)
        showMessageBox(QStringLiteral("backupExportFailed"), saved.text());
    else
        BackupStatus->setText(QStringLiteral("Saved %1 as %2.").arg(BackupExport::title(section), QFileInfo(path).fileName()));
}

void BackupPage::btnRestoreClick()
{
    if (!m_opened)
        return;
    if (!m_opened->checksumOk) {
        QMessageBox confirm(QMessageBox::Question, QStringLiteral("Restore"),
                            m_opened->warning() + QStringLiteral("\n\nRestore the sections that still read?"),
                            QMessageBox::Yes | QMessageBox::No, this);
        confirm.setObjectName(QStringLiteral("restoreConfirmDamaged"));
        confirm.setDefaultButton(QMessageBox::No);
        if (confirm.exec() != QMessageBox::Yes)
            return;
    }
    RestoreDialog dialog(*m_service, m_opened->document, m_bookFile ? m_bookFile() : QString(), this);
    dialog.exec();
    if (dialog.bookFileWritten())
        emit bookFileRestored();
}
