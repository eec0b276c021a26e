// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/inbox/InboxPage.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "core/messaging/InboxFiles.h"
#include "gui/common/Buttons.h"
#include "gui/common/Tab.h"
#include "gui/inbox/ArchiveView.h"
#include "link/PhoneLink.h"
#include "link/info/CapabilityService.h"
#include "link/messaging/InboxService.h"

namespace {
const QStringList Filters{QStringLiteral("CSV files (*.csv)"), QStringLiteral("Mailbox files (*.mbox)")};
const QString ReadHint = QStringLiteral("Read the messages stored in the phone");
enum Memory { SimMemory, PhoneMemory, BothMemories };

// A number the SMS page can send to: digits, perhaps a leading "+".
bool dialable(const QString &number)
{
    static const QRegularExpression form(QStringLiteral("^\\+?[0-9*#]{2,20}$"));
    return form.match(number).hasMatch();
}
} // namespace

InboxPage::InboxPage(PhoneLink &link, QWidget *parent)
    : QWidget(parent), m_link(link), m_service(new InboxService(link, this))
{
    setObjectName(QStringLiteral("InboxPage"));
    buildLayout();
    connect(m_service, &InboxService::progress, this, [this](int found, int total) {
        InboxProgress->setRange(0, qMax(total, 1));
        InboxProgress->setValue(qMin(found, InboxProgress->maximum()));
    });
    updateButtons();
    // What an operation learnt of the phone, once it is over.
    connect(&m_link, &PhoneLink::operationChanged, this, [this](bool running) {
        if (!running && !m_busy)
            followCapabilities();
    });
}

QString InboxPage::lackedFor(int memory) const
{
    const PhoneCapabilities *caps = CapabilityService::of(m_link).current();
    if (!caps)
        return {};
    if (caps->pduMode() == Offer::No)
        return QStringLiteral("The phone reads no messages in PDU mode (AT+CMGF=? names text mode only)");
    if (memory == PhoneMemory && caps->store(QStringLiteral("ME")) == Offer::No)
        return lackedStoreText(QStringLiteral("ME"));
    return {};
}

void InboxPage::followCapabilities()
{
    const QString noPhoneStore = lackedFor(PhoneMemory);
    const QString noRead = lackedFor(SimMemory);
    if (auto *items = qobject_cast<QStandardItemModel *>(InboxMemory->model())) {
        QStandardItem *phone = items->item(PhoneMemory);
        const bool lacked = !noPhoneStore.isEmpty() && noRead.isEmpty();
        phone->setEnabled(!lacked);
        phone->setToolTip(lacked ? noPhoneStore : QString());
        if (lacked && InboxMemory->currentIndex() == PhoneMemory)
            InboxMemory->setCurrentIndex(SimMemory);
    }
    btnInboxRead->setEnabled(!m_busy && noRead.isEmpty());
    btnInboxRead->setToolTip(noRead.isEmpty() ? ReadHint : noRead);
}

void InboxPage::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto *top = new QGridLayout;
    InboxMemory = new QComboBox(this);
    InboxMemory->setObjectName(QStringLiteral("InboxMemory"));
    InboxMemory->addItems({QStringLiteral("SIM"), QStringLiteral("Phone"), QStringLiteral("Both")});
    InboxMemory->setAccessibleName(QStringLiteral("Memory"));
    InboxMemory->setToolTip(QStringLiteral("The memory to read the messages from"));
    InboxMemory->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    top->addWidget(InboxMemory, 0, 0);
    btnInboxRead = Buttons::panelButton(this, "btnInboxRead", QStringLiteral("Read"), ReadHint);
    btnInboxAbort = Buttons::panelButton(this, "btnInboxAbort", QStringLiteral("Abort"),
                                         QStringLiteral("Stop reading, keeping what was read"));
    btnInboxAbort->hide();
    // Abort takes Read's place while a read runs.
    top->addWidget(btnInboxRead, 0, 1);
    top->addWidget(btnInboxAbort, 0, 1);
    InboxProgress = new QProgressBar(this);
    InboxProgress->setObjectName(QStringLiteral("InboxProgress"));
    InboxProgress->setAccessibleName(QStringLiteral("Read progress"));
    InboxProgress->setRange(0, 1);
    InboxProgress->setValue(0);
    InboxProgress->setTextVisible(false);
    top->addWidget(InboxProgress, 0, 2);
    top->setColumnStretch(2, 1);
    InboxView = new QComboBox(this);
    InboxView->setObjectName(QStringLiteral("InboxView"));
    InboxView->addItems({QStringLiteral("On the phone"), QStringLiteral("Archive")});
    InboxView->setAccessibleName(QStringLiteral("View"));
    InboxView->setToolTip(QStringLiteral("The messages on the phone, or every message kept in the archive"));
    InboxView->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    top->addWidget(InboxView, 0, 3);
    layout->addLayout(top);

    // The phone's list and the archive take turns below the read controls.
    InboxViews = new QStackedWidget(this);
    InboxViews->setObjectName(QStringLiteral("InboxViews"));
    auto *phoneView = new QWidget(InboxViews);
    auto *phoneLayout = new QVBoxLayout(phoneView);
    phoneLayout->setContentsMargins(0, 0, 0, 0);
    phoneLayout->setSpacing(4);
    m_archiveView = new ArchiveView(InboxViews);
    m_archiveView->setObjectName(QStringLiteral("ArchiveView"));
    InboxViews->addWidget(phoneView);
    InboxViews->addWidget(m_archiveView);
    layout->addWidget(InboxViews, 1);
    connect(InboxView, &QComboBox::currentIndexChanged, InboxViews, &QStackedWidget::setCurrentIndex);

    InboxList = new QTableWidget(0, 5, phoneView);
    InboxList->setObjectName(QStringLiteral("InboxList"));
    InboxList->setAccessibleName(QStringLiteral("Messages"));
    InboxList->setHorizontalHeaderLabels(
        {QStringLiteral("Status"), QStringLiteral("Number"), QStringLiteral("Name"), QStringLiteral("Date"),
         QStringLiteral("Text")});
    InboxList->setSelectionBehavior(QAbstractItemView::SelectRows);
    InboxList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    InboxList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    InboxList->setWordWrap(false);
    InboxList->verticalHeader()->hide();
    InboxList->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    InboxList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Every cell as wide as its text; a long text scrolls rather than being cut.
    InboxList->horizontalHeader()->setStretchLastSection(false);
    phoneLayout->addWidget(InboxList, 3);

    InboxText = new QPlainTextEdit(phoneView);
    InboxText->setObjectName(QStringLiteral("InboxText"));
    InboxText->setAccessibleName(QStringLiteral("Message"));
    InboxText->setReadOnly(true);
    phoneLayout->addWidget(InboxText, 2);

    auto *bottom = new QHBoxLayout;
    btnInboxReply = Buttons::panelButton(phoneView, "btnInboxReply", QStringLiteral("Reply"),
                                         QStringLiteral("Write a message to this number"));
    btnInboxDelete = Buttons::panelButton(phoneView, "btnInboxDelete", QStringLiteral("Delete"),
                                          QStringLiteral("Delete the selected messages from the phone"));
    btnInboxSave = Buttons::panelButton(phoneView, "btnInboxSave", QStringLiteral("Save\u2026"),
                                        QStringLiteral("Keep the list as a CSV file or a mailbox"));
    btnInboxCall = Buttons::panelButton(this, "btnInboxCall", QStringLiteral("Call"),
                                        QStringLiteral("Call this number"));
    for (QPushButton *b : {btnInboxReply, btnInboxCall, btnInboxDelete, btnInboxSave})
        bottom->addWidget(b);
    bottom->addStretch(1);
    phoneLayout->addLayout(bottom);

    connect(btnInboxRead, &QPushButton::clicked, this, &InboxPage::btnInboxReadClick);
    connect(btnInboxAbort, &QPushButton::clicked, this, &InboxPage::btnInboxAbortClick);
    connect(btnInboxReply, &QPushButton::clicked, this, &InboxPage::btnInboxReplyClick);
    connect(btnInboxCall, &QPushButton::clicked, this, &InboxPage::btnInboxCallClick);
    connect(btnInboxDelete, &QPushButton::clicked, this, &InboxPage::btnInboxDeleteClick);
    connect(btnInboxSave, &QPushButton::clicked, this, &InboxPage::btnInboxSaveClick);
    connect(InboxList, &QTableWidget::itemSelectionChanged, this, [this] {
        showCurrent();
        updateButtons();
    });
    connect(InboxList, &QTableWidget::currentCellChanged, this, [this] {
        showCurrent();
        updateButtons();
    });
}

void InboxPage::setNameLookup(NameLookup lookup)
{
    m_lookup = std::move(lookup);
}

void InboxPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The books may have changed on another page meanwhile.
    if (!m_busy && !m_messages.isEmpty())
        showParts();
}

void InboxPage::setBusy(bool busy, bool reading)
{
    m_busy = busy;
    for (QWidget *w : std::initializer_list<QWidget *>{InboxMemory, InboxList, btnInboxRead})
        w->setEnabled(!busy);
    btnInboxRead->setVisible(!(busy && reading));
    btnInboxAbort->setVisible(busy && reading);
    btnInboxAbort->setEnabled(busy && reading);
    if (!busy)
        followCapabilities();
    updateButtons();
    repaint();
}

void InboxPage::updateButtons()
{
    const InboxMessage *m = current();
    btnInboxReply->setEnabled(!m_busy && m && dialable(m->number));
    btnInboxCall->setEnabled(btnInboxReply->isEnabled());
    btnInboxDelete->setEnabled(!m_busy && !selectedRows().isEmpty());
    btnInboxSave->setEnabled(!m_busy && !m_messages.isEmpty());
}

QList<int> InboxPage::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &i : InboxList->selectionModel()->selectedRows())
        if (i.row() < m_messages.size())
            rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

const InboxMessage *InboxPage::current() const
{
    const int row = InboxList->currentRow();
    return row >= 0 && row < m_messages.size() ? &m_messages[row] : nullptr;
}

void InboxPage::showParts()
{
    // The selection and the message shown are kept by location across a rebuild.
    const auto where = [](const InboxMessage &m) { return std::pair(int(m.store), m.locations()); };
    QList<std::pair<int, QList<int>>> selected;
    for (int row : selectedRows())
        selected << where(m_messages[row]);
    const std::optional<std::pair<int, QList<int>>> shown =
        current() ? std::optional(where(*current())) : std::nullopt;

    m_messages = Inbox::join(m_parts);
    for (InboxMessage &m : m_messages)
        m.name = m_lookup ? m_lookup(m.number) : QString();

    const QSignalBlocker block(InboxList);
    InboxList->clearContents();
    InboxList->setRowCount(int(m_messages.size()));
    for (int row = 0; row < m_messages.size(); ++row) {
        const InboxMessage &m = m_messages[row];
        const QStringList cells{Inbox::statusText(m.status), m.number, m.name, Inbox::dateText(m.time),
                                Inbox::oneLine(m.text)};
        for (int c = 0; c < cells.size(); ++c)
            InboxList->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    InboxList->setCurrentCell(-1, -1);
    for (int row = 0; row < m_messages.size(); ++row) {
        if (shown == where(m_messages[row]))
            InboxList->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
        if (selected.contains(where(m_messages[row])))
            InboxList->selectionModel()->select(InboxList->model()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    showCurrent();
    updateButtons();
}

void InboxPage::showCurrent()
{
    if (const InboxMessage *m = current())
        InboxText->setPlainText(Inbox::details(*m));
    else
        InboxText->setPlainText(m_notice);
}

void InboxPage::showMessageBox(const QString &name, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Inbox"), text, QMessageBox::Ok, this);
    box.setObjectName(name);
    box.exec();
}

void InboxPage::btnInboxReadClick()
{
    const OperationGuard op(m_link, Tab::Inbox);
    if (!op)
        return;
    setBusy(true, true);
    m_link.setAbortRequested(false);
    InboxProgress->setRange(0, 1);
    InboxProgress->setValue(0);
    const int memory = InboxMemory->currentIndex();
    const auto choice = memory == PhoneMemory    ? InboxService::Choice::Phone
                        : memory == BothMemories ? InboxService::Choice::Both
                                                 : InboxService::Choice::Sim;
    InboxService::ReadResult result;
    m_link.runGuarded([&] {
        // The phone asked what it offers first.
        switch (CapabilityService::of(m_link).learn()) {
        case CapabilityService::Outcome::Known:
            break;
        case CapabilityService::Outcome::Locked:
            result.error = QStringLiteral("The SIM waits for its PIN.");
            return;
        case CapabilityService::Outcome::Stopped:
            result.aborted = m_link.AbortRequested() || m_link.lastStatus() == Exchange::Aborted;
            if (!result.aborted)
                result.error = m_link.lastStatus() == Exchange::Timeout ? QStringLiteral("The phone did not answer.")
                                                                        : QStringLiteral("The port could not be used.");
            return;
        }
        if (const QString lacked = lackedFor(memory); !lacked.isEmpty()) {
            result.error = lacked + QLatin1Char('.');
            return;
        }
        m_service->read(choice, result);
    });
    m_link.runGuarded([&] { m_service->finish(); });

    m_parts = result.parts;
    // Whatever was read is kept, a read stopped half way included.
    if (!m_parts.isEmpty())
        emit messagesRead(Inbox::join(m_parts));
    m_notice = result.complete ? QString()
               : result.error.isEmpty() ? QStringLiteral("The read was stopped; the list holds what was read.")
                                        : QStringLiteral("The read stopped: %1 The list holds what was read.")
                                              .arg(result.error);
    if (result.complete)
        InboxProgress->setValue(InboxProgress->maximum());
    setBusy(false);
    showParts();
}

void InboxPage::btnInboxAbortClick()
{
    m_link.requestAbort();
}

void InboxPage::btnInboxReplyClick()
{
    if (const InboxMessage *m = current(); m && dialable(m->number))
        emit replyRequested(m->number);
}

void InboxPage::btnInboxCallClick()
{
    if (const InboxMessage *m = current(); m && dialable(m->number))
        emit callRequested(m->number);
}

void InboxPage::btnInboxDeleteClick()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const OperationGuard op(m_link, Tab::Inbox);
    if (!op)
        return;
    QMessageBox confirm(QMessageBox::Question, QStringLiteral("Delete messages"),
                        rows.size() == 1 ? QStringLiteral("Delete this message from the phone?")
                                         : QStringLiteral("Delete these %1 messages from the phone?").arg(rows.size()),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
    confirm.setObjectName(QStringLiteral("confirmDelete"));
    confirm.setDefaultButton(QMessageBox::Cancel);
    if (confirm.exec() != QMessageBox::Ok)
        return;

    QList<InboxService::Location> locations;
    for (int row : rows)
        for (const InboxPart &p : m_messages[row].parts)
            locations << InboxService::Location{p.store, p.stored.location};
    setBusy(true);
    m_link.setAbortRequested(false);
    InboxService::DeleteResult result;
    // Until the phone confirms a location it counts as still there.
    result.refused = locations;
    m_link.runGuarded([&] { result = m_service->remove(locations); });
    m_link.runGuarded([&] { m_service->finish(); });

    m_parts.removeIf([&](const InboxPart &p) {
        return result.deleted.contains(InboxService::Location{p.store, p.stored.location});
    });
    m_notice.clear();
    setBusy(false);
    showParts();
    if (!result.refused.isEmpty()) {
        QStringList where;
        for (const InboxService::Location &l : result.refused)
            where << QStringLiteral("%1 %2").arg(Inbox::storeText(l.store)).arg(l.location);
        QString text = QStringLiteral("The phone did not delete %1: they stay in the list.")
                           .arg(where.join(QStringLiteral(", ")));
        if (!result.error.isEmpty())
            text += QLatin1Char(' ') + result.error;
        showMessageBox(QStringLiteral("inboxDeleteFailed"), text);
    }
}

void InboxPage::btnInboxSaveClick()
{
    if (m_messages.isEmpty())
        return;
    const OperationGuard op(m_link, Tab::Inbox);
    if (!op)
        return;
    // Made at the first save: a file dialog starts a thread of its own to
    // watch the folders, which a window that never saves does without.
    if (!InboxSaveFile) {
        InboxSaveFile = new QFileDialog(this);
        InboxSaveFile->setObjectName(QStringLiteral("InboxSaveFile"));
        InboxSaveFile->setAcceptMode(QFileDialog::AcceptSave);
        InboxSaveFile->setFileMode(QFileDialog::AnyFile);
        InboxSaveFile->setOption(QFileDialog::DontUseNativeDialog);
        InboxSaveFile->setNameFilters(Filters);
    }
    if (InboxSaveFile->exec() != QDialog::Accepted || InboxSaveFile->selectedFiles().isEmpty())
        return;
    QString path = InboxSaveFile->selectedFiles().constFirst();
    const auto chosen = InboxSaveFile->selectedNameFilter() == Filters.last() ? InboxFiles::Format::Mbox
                                                                               : InboxFiles::Format::Csv;
    if (QFileInfo(path).suffix().isEmpty())
        path += chosen == InboxFiles::Format::Mbox ? QStringLiteral(".mbox") : QStringLiteral(".csv");
    const InboxFiles::Format format = InboxFiles::formatFor(path, chosen);
    const QByteArray bytes = format == InboxFiles::Format::Mbox
                                 ? InboxFiles::mbox(m_messages, QDateTime::currentDateTimeUtc())
                                 : InboxFiles::csv(m_messages);
    QString error;
    if (!InboxFiles::save(path, bytes, &error))
        showMessageBox(QStringLiteral("inboxSaveFailed"),
                       QStringLiteral("The messages were not saved. %1").arg(error));
}
