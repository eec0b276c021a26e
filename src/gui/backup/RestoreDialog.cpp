// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/backup/RestoreDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/backup/BackupExport.h"
#include "core/backup/RestorePlan.h"
#include "gui/common/Tab.h"

using namespace Backup;

RestoreDialog::RestoreDialog(BackupService &service, const Document &document, const QString &bookFile,
                             QWidget *parent)
    : QDialog(parent), m_service(service), m_document(document), m_bookFile(bookFile)
{
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QStringLiteral("Restore"));
    auto *layout = new QVBoxLayout(this);

    // One row a section the phone can take back: messages cannot be.
    auto *grid = new QGridLayout;
    int row = 0;
    for (Section s : document.present()) {
        if (stepsOf(s).isEmpty() || !sectionOk(document.section(s)))
            continue;
        auto *chosen = new QCheckBox(BackupExport::title(s), this);
        chosen->setObjectName(QStringLiteral("RestoreSection_") + key(s));
        chosen->setChecked(true);
        auto *replace = new QCheckBox(QStringLiteral("Replace"), this);
        replace->setObjectName(QStringLiteral("RestoreReplace_") + key(s));
        replace->setToolTip(QStringLiteral("Also clear what the backup does not hold"));
        grid->addWidget(chosen, row, 0);
        grid->addWidget(replace, row++, 1);
        m_chosen.insert(s, chosen);
        m_replace.insert(s, replace);
        // A changed choice needs a new preview before anything is written.
        for (QCheckBox *box : {chosen, replace})
            connect(box, &QCheckBox::toggled, this, [this] {
                m_previewed = false;
                btnRestoreRun->setEnabled(false);
            });
    }
    layout->addLayout(grid);

    RestorePreview = new QTreeWidget(this);
    RestorePreview->setObjectName(QStringLiteral("RestorePreview"));
    RestorePreview->setColumnCount(2);
    RestorePreview->setHeaderLabels({QStringLiteral("What"), QStringLiteral("Phone now \u2192 backup")});
    RestorePreview->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(RestorePreview, 1);
    RestoreStatus = new QLabel(QStringLiteral("Press Preview to see what a restore would change."), this);
    RestoreStatus->setObjectName(QStringLiteral("RestoreStatus"));
    RestoreStatus->setWordWrap(true);
    layout->addWidget(RestoreStatus);

    auto *buttons = new QHBoxLayout;
    btnRestorePreview = new QPushButton(QStringLiteral("Preview"), this);
    btnRestorePreview->setObjectName(QStringLiteral("btnRestorePreview"));
    btnRestoreRun = new QPushButton(QStringLiteral("Restore"), this);
    btnRestoreRun->setObjectName(QStringLiteral("btnRestoreRun"));
    btnRestoreRun->setEnabled(false);
    btnRestoreCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnRestoreCancel->setObjectName(QStringLiteral("btnRestoreCancel"));
    // In Cancel's place while the phone is read or written.
    btnRestoreAbort = new QPushButton(QStringLiteral("Abort"), this);
    btnRestoreAbort->setObjectName(QStringLiteral("btnRestoreAbort"));
    btnRestoreAbort->hide();
    buttons->addStretch(1);
    for (QPushButton *b : {btnRestorePreview, btnRestoreRun, btnRestoreCancel, btnRestoreAbort})
        buttons->addWidget(b);
    connect(btnRestoreAbort, &QPushButton::clicked, &m_service, &BackupService::abort);
    layout->addLayout(buttons);
    connect(btnRestorePreview, &QPushButton::clicked, this, &RestoreDialog::btnRestorePreviewClick);
    connect(btnRestoreRun, &QPushButton::clicked, this, &RestoreDialog::btnRestoreRunClick);
    connect(btnRestoreCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, 360);
}

BackupService::RestoreOptions RestoreDialog::options() const
{
    BackupService::RestoreOptions o;
    o.sections.clear();
    for (auto it = m_chosen.begin(); it != m_chosen.end(); ++it)
        if (it.value()->isChecked()) {
            o.sections << it.key();
            if (m_replace.value(it.key())->isChecked())
                o.replace.insert(it.key());
        }
    o.bookFile = m_bookFile;
    o.lockPage = Tab::Backup;
    return o;
}

void RestoreDialog::reject()
{
    if (!m_busy)
        QDialog::reject();
}

void RestoreDialog::setBusy(bool busy)
{
    m_busy = busy;
    for (QWidget *w : findChildren<QCheckBox *>())
        w->setEnabled(!busy);
    btnRestorePreview->setEnabled(!busy);
    btnRestoreRun->setEnabled(!busy && m_previewed);
    btnRestoreCancel->setVisible(!busy);
    btnRestoreAbort->setVisible(busy);
    repaint();
}

void RestoreDialog::btnRestorePreviewClick()
{
    setBusy(true);
    RestoreStatus->setText(QStringLiteral("Reading the phone\u2026"));
    const BackupService::RestoreOutcome outcome = m_service.preview(m_document, options());
    m_previewed = outcome.started && !outcome.aborted;
    showPlan(outcome);
    setBusy(false);
}

void RestoreDialog::btnRestoreRunClick()
{
    if (!m_previewed)
        return;
    setBusy(true);
    RestoreStatus->setText(QStringLiteral("Restoring\u2026"));
    const BackupService::RestoreOutcome outcome = m_service.restore(m_document, options());
    m_previewed = false;
    for (const BackupService::StepResult &step : outcome.steps)
        m_bookFileWritten = m_bookFileWritten || (step.step == Step::Books && step.written > 0);
    showPlan(outcome);
    showSummary(outcome);
    setBusy(false);
}

void RestoreDialog::showPlan(const BackupService::RestoreOutcome &outcome)
{
    RestorePreview->clear();
    int changes = 0;
    for (const BackupService::StepResult &step : outcome.steps) {
        auto *top = new QTreeWidgetItem(RestorePreview, {stepName(step.step)});
        if (!step.error.isEmpty()) {
            top->setText(1, step.error);
            continue;
        }
        for (Change change : {Change::Added, Change::Changed, Change::Cleared, Change::Skipped, Change::Unchanged}) {
            QTreeWidgetItem *group = nullptr;
            for (const Planned &p : step.plan) {
                if (p.change != change)
                    continue;
                if (!group)
                    group = new QTreeWidgetItem(top, {changeName(change)});
                const QString what = p.change == Change::Skipped || p.change == Change::Unchanged
                                         ? (p.reason.isEmpty() ? shown(step.step, p.from) : p.reason)
                                         : QStringLiteral("%1 \u2192 %2").arg(shown(step.step, p.from), shown(step.step, p.to));
                new QTreeWidgetItem(group, {p.key, what});
                if (change != Change::Unchanged && change != Change::Skipped)
                    ++changes;
            }
            if (group)
                group->setText(1, QString::number(group->childCount()));
        }
        top->setExpanded(true);
    }
    RestoreStatus->setText(!outcome.started ? QStringLiteral("Another operation is running.")
                           : changes ? QStringLiteral("A restore writes %1 items; nothing else changes.").arg(changes)
                                     : QStringLiteral("The phone already holds what the backup does."));
}

void RestoreDialog::showSummary(const BackupService::RestoreOutcome &outcome)
{
    QStringList lines;
    for (const BackupService::StepResult &step : outcome.steps) {
        lines << step.summary();
        for (const QString &p : step.problems)
            lines << QStringLiteral("  ") + p;
    }
    if (outcome.aborted)
        lines << QStringLiteral("Aborted.");
    RestoreStatus->setText(lines.join(QLatin1Char('\n')));
}
