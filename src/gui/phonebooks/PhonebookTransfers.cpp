// SPDX-License-Identifier: GPL-2.0-or-later
// The Read, Write and Update buttons of the Phonebooks page: the book of the
// tab showing moved between its grid and the phone, one location at a time.
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include "gui/common/BookTableModel.h"
#include "gui/common/Tab.h"
#include "gui/phonebooks/PhonebooksPage.h"
#include "link/PhoneLink.h"
#include "link/info/CapabilityService.h"

void PhonebooksPage::setUpTransfers()
{
    connect(btnRead, &QPushButton::clicked, this, &PhonebooksPage::btnReadClick);
    connect(btnWrite, &QPushButton::clicked, this, &PhonebooksPage::btnWriteClick);
    connect(btnChanges, &QPushButton::clicked, this, &PhonebooksPage::btnChangesClick);
}

void PhonebooksPage::beginTransfer(QPushButton *pressed)
{
    for (QPushButton *b : {btnRead, btnWrite, btnChanges, btnLoad, btnSave})
        b->setEnabled(false);
    pressed->hide();
    // The tab bar too: a tab change would enable Load and the transfer
    // buttons again in the middle of a transfer.
    for (QWidget *w : std::initializer_list<QWidget *>{SimGrid, PhoneGrid, Tabs->tabBar()})
        w->setEnabled(false);
    emit busyChanged(true);
    repaint();
}

void PhonebooksPage::endTransfer(const BookSide &side, bool toFirstRow)
{
    // Still inside the operation, so nothing can start while the phone
    // takes the SIM book back.
    m_link.runGuarded([this] { m_transfer.finish(); });

    for (QPushButton *b : {btnRead, btnWrite, btnChanges})
        b->show();
    btnSave->setEnabled(true);
    for (QWidget *w : std::initializer_list<QWidget *>{SimGrid, PhoneGrid, Tabs->tabBar()})
        w->setEnabled(true);
    // The buttons as the tab showing now wants them.
    TabsChange();
    if (toFirstRow)
        side.makeCurrentRow(1);
    emit busyChanged(false);
}

QString PhonebooksPage::lackedBook(const BookSide *side) const
{
    const PhoneCapabilities *caps = CapabilityService::of(m_link).current();
    if (!side || !caps)
        return {};
    const QString book = side->storage == PhonebookAt::Book::Phone ? QStringLiteral("ME") : QStringLiteral("SM");
    return caps->book(book) == Offer::No ? lackedBookText(book) : QString();
}

bool PhonebooksPage::learnPhone(const BookSide &side)
{
    CapabilityService::Outcome learned = CapabilityService::Outcome::Stopped;
    m_link.runGuarded([&] { learned = CapabilityService::of(m_link).learn(); });
    if (learned != CapabilityService::Outcome::Known)
        return false;
    if (const QString lacked = lackedBook(&side); !lacked.isEmpty()) {
        showError(QStringLiteral("msgBookMissing"), lacked + QLatin1Char('.'));
        return false;
    }
    return true;
}

void PhonebooksPage::btnReadClick()
{
    const BookSide *shown = shownSide();
    if (!shown)
        return;
    const BookSide &side = *shown;
    const OperationGuard op(m_link, Tab::Phonebooks);
    if (!op)
        return;

    beginTransfer(btnRead);
    m_link.setAbortRequested(false);
    if (!learnPhone(side)) {
        endTransfer(side, false);
        return;
    }
    side.book->clear();
    *side.copy = PhonebookEntries(CopyEntries);
    side.grid->setCurrentIndex(
        side.table->index(qMax(1, side.grid->currentIndex().row()), BookTableModel::NumberColumn));

    PhonebookTransfer::Watch watch;
    // The grid grows with the read, one row per location.
    watch.done = [&side](const PhonebookTransfer::Location &at) {
        if (at.status != Exchange::Ok)
            return;
        side.book->resize(at.location);
        side.book->setEntry(at.location, at.entry);
        side.copy->set(at.location, at.entry);
        side.showRowCount();
        side.makeCurrentRow(at.location);
    };
    // Whatever ends the read, the rows read stay as the phone holds them.
    m_link.runGuarded([&] { m_transfer.readBook(side.storage, watch); });

    endTransfer(side, true);
}

void PhonebooksPage::btnWriteClick()
{
    const BookSide *shown = shownSide();
    if (!shown)
        return;
    const BookSide &side = *shown;
    const OperationGuard op(m_link, Tab::Phonebooks);
    if (!op)
        return;

    if (!UpdateOnly) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Write all entries..."),
                        QStringLiteral("Write all entries to %1, Are you sure?").arg(side.name),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("confirmWrite"));
        if (box.exec() != QMessageBox::Ok)
            return;
    }

    beginTransfer(UpdateOnly ? btnChanges : btnWrite);
    if (!learnPhone(side)) {
        endTransfer(side, false);
        return;
    }
    side.grid->setCurrentIndex(side.table->index(1, BookTableModel::NumberColumn));

    const auto planned = [&](int r) -> std::optional<PhonebookEntry> {
        const PhonebookEntry entry = side.book->entry(r);
        if (UpdateOnly && entry == side.copy->at(r))
            return std::nullopt;
        return entry;
    };
    PhonebookTransfer::Watch watch;
    watch.asking = [&side](int r, int) { side.makeCurrentRow(r); };
    // A location the phone refuses is passed over; only an abort stops the run.
    PhonebookTransfer::Run run;
    m_link.runGuarded([&] { run = m_transfer.writeBook(side.storage, side.book->count(), planned, false, watch); });

    endTransfer(side, !UpdateOnly);
    // What did not go as the grid shows it is told, never passed over in
    // silence.
    if (const QStringList summary = PhonebookTransfer::writeSummary(run); !summary.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Write"), summary.join(u'\n'), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("msgWriteReport"));
        box.exec();
    }
}

void PhonebooksPage::btnChangesClick()
{
    UpdateOnly = true;
    btnWriteClick();
    UpdateOnly = false;
}
