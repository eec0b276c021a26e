// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/phonebooks/CallsPanel.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/at/Charset.h"
#include "gui/common/Buttons.h"
#include "gui/common/Tab.h"
#include "link/PhoneLink.h"
#include "link/info/CapabilityService.h"

namespace {
enum Column { LocationColumn, NumberColumn, NameColumn, TimeColumn, Columns };

} // namespace

CallsPanel::CallsPanel(PhoneLink &link, QWidget *parent) : QWidget(parent), m_link(link)
{
    setObjectName(QStringLiteral("TabSheetCalls"));
    CallList = new QComboBox(this);
    CallList->setObjectName(QStringLiteral("CallList"));
    CallList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    CallList->setToolTip(QStringLiteral("The call list to read"));
    btnCallsRead = Buttons::plainButton(QStringLiteral("btnCallsRead"), QStringLiteral("Read"), this);
    btnCallsRead->setToolTip(QStringLiteral("Read the chosen list from the phone"));
    btnAbortCalls = Buttons::plainButton(QStringLiteral("btnAbortCalls"), QStringLiteral("Abort"), this);
    btnAbortCalls->setToolTip(QStringLiteral("Stop reading, keeping what was read"));

    CallsGrid = new QTableWidget(0, Columns, this);
    CallsGrid->setObjectName(QStringLiteral("CallsGrid"));
    CallsGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Location"), QStringLiteral("Number"), QStringLiteral("Name"), QStringLiteral("Time")});
    CallsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CallsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    CallsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    CallsGrid->verticalHeader()->hide();
    CallsGrid->horizontalHeader()->setStretchLastSection(true);
    CallsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    CallsGrid->setToolTip(QStringLiteral("Right-Click for menu"));

    CallsMenu = new QMenu(this);
    CallsMenu->setObjectName(QStringLiteral("CallsMenu"));
    QAction *call = CallsMenu->addAction(QStringLiteral("Call"));
    call->setObjectName(QStringLiteral("MenuCallsCall"));

    CallStatus = new QLabel(this);
    CallStatus->setObjectName(QStringLiteral("CallStatus"));
    btnHangUp = Buttons::plainButton(QStringLiteral("btnHangUp"), QStringLiteral("Hang up"), this);
    btnHangUp->setToolTip(QStringLiteral("End the call"));
    btnHangUp->hide();

    auto *top = new QHBoxLayout;
    top->addWidget(CallList);
    top->addLayout(Buttons::overAbort(btnCallsRead, btnAbortCalls));
    top->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(CallStatus, 1);
    bottom->addWidget(btnHangUp);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(CallsGrid, 1);
    layout->addLayout(bottom);

    // Until the phone says which lists it has, the three every phone keeps.
    fillLists({QStringLiteral("DC"), QStringLiteral("MC"), QStringLiteral("RC")});

    connect(btnCallsRead, &QPushButton::clicked, this, &CallsPanel::btnCallsReadClick);
    connect(btnAbortCalls, &QPushButton::clicked, &m_link, &PhoneLink::requestAbort);
    // What another operation learnt of the phone's lists, once it is over.
    connect(&m_link, &PhoneLink::operationChanged, this, [this](bool running) {
        if (!running)
            followCapabilities();
    });
    connect(btnHangUp, &QPushButton::clicked, this, &CallsPanel::btnHangUpClick);
    connect(CallsGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const int row = CallsGrid->rowAt(at.y());
        if (row < 0)
            return;
        CallsGrid->selectRow(row);
        CallsMenu->popup(CallsGrid->viewport()->mapToGlobal(at));
    });
    connect(call, &QAction::triggered, this, [this] {
        const int row = CallsGrid->currentRow();
        if (row >= 0 && CallsGrid->item(row, NumberColumn))
            dial(CallsGrid->item(row, NumberColumn)->text());
    });
}

void CallsPanel::fillLists(const QStringList &books)
{
    const QVariant chosen = CallList->currentData();
    CallList->clear();
    for (CallsAt::List l : CallsAt::offered(books))
        CallList->addItem(CallsAt::caption(l), int(l));
    const int again = CallList->findData(chosen);
    CallList->setCurrentIndex(again < 0 ? 0 : again);
    // A phone that keeps no call list: nothing to choose or read.
    const bool none = CallList->count() == 0;
    const QString why = QStringLiteral("The phone keeps no call lists");
    CallList->setToolTip(none ? why : QStringLiteral("The call list to read"));
    btnCallsRead->setToolTip(none ? why : QStringLiteral("Read the chosen list from the phone"));
    m_noLists = none;
    CallList->setEnabled(!none);
    btnCallsRead->setEnabled(!none);
}

void CallsPanel::followCapabilities()
{
    if (const PhoneCapabilities *caps = CapabilityService::of(m_link).current(); caps && caps->books)
        fillLists(*caps->books);
}

void CallsPanel::setBusy(bool busy)
{
    for (QWidget *w : std::initializer_list<QWidget *>{btnCallsRead, CallList})
        w->setEnabled(!busy && !m_noLists);
    btnHangUp->setEnabled(!busy);
    emit busyChanged(busy);
}

void CallsPanel::btnCallsReadClick()
{
    const QVariant chosen = CallList->currentData();
    if (!chosen.isValid())
        return;
    const OperationGuard op(m_link, Tab::Phonebooks);
    if (!op)
        return;
    setBusy(true);
    // The Abort button beneath shows through.
    btnCallsRead->hide();
    m_link.setAbortRequested(false);
    CallListService::Result result;
    result.status = Exchange::PortFailed;
    m_link.runGuarded([&] {
        result = m_service.readAfterLearning(CallsAt::List(chosen.toInt()));
        m_service.finish();
    });
    btnCallsRead->show();
    if (const std::optional<QStringList> &books = m_service.knownBooks())
        fillLists(*books);
    if (result.ok()) {
        showEntries(result.entries);
    } else if (!result.entries.isEmpty()) {
        // Stopped half way: what came whole stays.
        showEntries(result.entries);
        CallStatus->setText(QStringLiteral("Stopped (%1): %2 calls read.").arg(result.reason).arg(result.entries.size()));
    } else if (!result.reason.isEmpty()) {
        CallStatus->setText(QStringLiteral("Not read: %1").arg(result.reason));
    }
    setBusy(false);
}

void CallsPanel::showEntries(const QList<CallsAt::Entry> &entries)
{
    CallsGrid->setRowCount(0);
    bool anyTime = false;
    for (const CallsAt::Entry &e : entries) {
        const int row = CallsGrid->rowCount();
        CallsGrid->insertRow(row);
        const QString number = fromPhoneText(e.number);
        QString name = m_nameFor ? m_nameFor(number) : QString();
        if (name.isEmpty())
            name = fromPhoneText(e.name);
        const QString cells[Columns] = {QString::number(e.location), number, name, fromPhoneText(e.time)};
        for (int c = 0; c < Columns; ++c)
            CallsGrid->setItem(row, c, new QTableWidgetItem(cells[c]));
        anyTime = anyTime || !e.time.isEmpty();
    }
    // The time column only when the phone gives one.
    CallsGrid->setColumnHidden(TimeColumn, !anyTime);
    CallsGrid->resizeColumnsToContents();
    CallStatus->setText(entries.isEmpty() ? QStringLiteral("The list is empty.")
                                          : QStringLiteral("%1 calls read.").arg(entries.size()));
}

void CallsPanel::dial(const QString &number)
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    setBusy(true);
    CallListService::Dialled dialled = CallListService::Dialled::Refused;
    QString why;
    m_link.runGuarded([&] {
        dialled = m_service.dial(number, &why);
        m_link.closePort();
    });
    setBusy(false);
    if (dialled == CallListService::Dialled::Calling) {
        CallStatus->setText(QStringLiteral("Calling %1").arg(QString::fromLatin1(*CallsAt::dialNumber(number))));
        btnHangUp->show();
    } else {
        CallStatus->setText(QStringLiteral("Not dialled: %1").arg(why));
    }
}

void CallsPanel::btnHangUpClick()
{
    const OperationGuard op(m_link, std::nullopt);
    if (!op)
        return;
    setBusy(true);
    bool done = false;
    m_link.runGuarded([&] {
        done = m_service.hangUp();
        m_link.closePort();
    });
    setBusy(false);
    CallStatus->setText(done ? QStringLiteral("Call ended.") : QStringLiteral("The phone did not hang up."));
    if (done)
        btnHangUp->hide();
}
