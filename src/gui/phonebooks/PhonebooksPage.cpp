// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/phonebooks/PhonebooksPage.h"

#include <QAction>
#include <QMenu>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

#include "core/at/ReplyParse.h"
#include "gui/common/BookTableModel.h"
#include "gui/common/Buttons.h"
#include "gui/common/BookView.h"
#include "gui/phonebooks/CallsPanel.h"
#include "gui/messaging/SmsBooks.h"
#include "link/PhoneLink.h"

namespace {
QTableView *makeTransferGrid(const QString &name, BookTableModel *table, QWidget *parent)
{
    QTableView *grid = BookView::make(name, table, parent);
    grid->setToolTip(QStringLiteral("Right-Click for menu"));
    return grid;
}

// The SMS and ICQ grids start editing at the first key and report every
// keystroke, so the counters and recipient items follow the typing.
QTableView *makeBookGrid(const QString &name, BookTableModel *table, QWidget *parent,
                         std::function<void(int, int, const QString &)> onEdit, QObject *context)
{
    QTableView *grid = BookView::make(name, table, parent);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    auto *delegate = new LiveEditDelegate(grid);
    QObject::connect(delegate, &LiveEditDelegate::textEdited, context, std::move(onEdit));
    grid->setItemDelegate(delegate);
    return grid;
}

QWidget *tabPage(const QString &name, QWidget *grid)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    return page;
}


} // namespace

PhonebooksPage::PhonebooksPage(PhoneLink &link, SmsBooks &books, QWidget *parent)
    : QWidget(parent), m_link(link), m_books(books)
{
    setObjectName(QStringLiteral("Panel2"));

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    simTable = new BookTableModel(simBook, this);
    phoneTable = new BookTableModel(phoneBook, this);
    SMSgrid = makeBookGrid(QStringLiteral("SMSgrid"), books.smsTable, this,
                           [&books](int c, int r, const QString &v) { books.SMSgridSetEditText(c, r, v); }, &books);
    ICQgrid = makeBookGrid(QStringLiteral("ICQgrid"), books.icqTable, this,
                           [&books](int c, int r, const QString &v) { books.ICQgridSetEditText(c, r, v); }, &books);
    SimGrid = makeTransferGrid(QStringLiteral("SimGrid"), simTable, this);
    PhoneGrid = makeTransferGrid(QStringLiteral("PhoneGrid"), phoneTable, this);
    Tabs->addTab(tabPage(QStringLiteral("TabSheet5"), SMSgrid), QStringLiteral("SMS"));
    Tabs->addTab(tabPage(QStringLiteral("TabSheetICQ"), ICQgrid), QStringLiteral("ICQ"));
    Tabs->addTab(tabPage(QStringLiteral("TabSheetSIM"), SimGrid), QStringLiteral("SIM"));
    Tabs->addTab(tabPage(QStringLiteral("TabSheetPhone"), PhoneGrid), QStringLiteral("Phone"));
    Calls = new CallsPanel(link, this);
    Tabs->addTab(Calls, QStringLiteral("Calls"));

    // Each Abort button lies exactly beneath its button: a running transfer
    // hides the button and the Abort button shows through.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    auto stacked = [&](QPushButton *top, QPushButton *beneath) { buttons->addLayout(Buttons::overAbort(top, beneath)); };
    btnRead = Buttons::plainButton(QStringLiteral("btnRead"), QStringLiteral("Read"), this);
    btnAbort4 = Buttons::plainButton(QStringLiteral("btnAbort4"), QStringLiteral("Abort"), this);
    btnWrite = Buttons::plainButton(QStringLiteral("btnWrite"), QStringLiteral("Write"), this);
    btnAbort5 = Buttons::plainButton(QStringLiteral("btnAbort5"), QStringLiteral("Abort"), this);
    btnChanges = Buttons::plainButton(QStringLiteral("btnChanges"), QStringLiteral("Update"), this);
    btnAbort3 = Buttons::plainButton(QStringLiteral("btnAbort3"), QStringLiteral("Abort"), this);
    btnLoad = Buttons::plainButton(QStringLiteral("btnLoad"), QStringLiteral("Load"), this);
    btnSave = Buttons::plainButton(QStringLiteral("btnSave"), QStringLiteral("Save"), this);
    stacked(btnRead, btnAbort4);
    stacked(btnWrite, btnAbort5);
    stacked(btnChanges, btnAbort3);
    buttons->addWidget(btnLoad);
    buttons->addWidget(btnSave);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(Tabs, 1);
    layout->addLayout(buttons);

    btnRead->setToolTip(QStringLiteral("Read all enrties from SIM/Phone"));
    btnWrite->setToolTip(QStringLiteral("Write all entries to SIM/Phone"));
    btnChanges->setToolTip(QStringLiteral("Write changed entries"));
    btnLoad->setToolTip(QStringLiteral("Load from file"));
    btnSave->setToolTip(QStringLiteral("Save SMS book to disk"));
    for (QPushButton *b : {btnRead, btnWrite, btnChanges, btnLoad})
        b->setEnabled(false);
    for (QPushButton *b : {btnAbort3, btnAbort4, btnAbort5})
        connect(b, &QPushButton::clicked, &m_link, &PhoneLink::requestAbort);

    connect(Tabs, &QTabWidget::currentChanged, this, &PhonebooksPage::TabsChange);
    // What an operation learnt of the phone's books, once it is over.
    connect(&m_link, &PhoneLink::operationChanged, this, [this](bool running) {
        if (!running && Tabs->tabBar()->isEnabledTo(this))
            TabsChange();
    });

    fillGridHeaders();
    setUpTransfers();
    setUpFilesAndMenus();
    setUpSides();

    // "Call" dials the number of the row last pressed.
    for (const BookSide *side : {&m_sim, &m_phone}) {
        QAction *call = side->menu->addAction(QStringLiteral("Call"));
        call->setObjectName(side == &m_sim ? QStringLiteral("MenuCallSim") : QStringLiteral("MenuCallPhone"));
        connect(call, &QAction::triggered, this, [this, side] {
            if (const PhonebookEntry *e = side->currentEntry(); e && !e->number.trimmed().isEmpty()) {
                showCalls();
                Calls->dial(QString::fromLatin1(e->number));
            }
        });
    }
    connect(Calls, &CallsPanel::busyChanged, this, &PhonebooksPage::busyChanged);
    // The SMS book's numbers too: a menu of its own with "Call".
    auto *smsMenu = new QMenu(this);
    smsMenu->setObjectName(QStringLiteral("SmsGridMenu"));
    QAction *callSms = smsMenu->addAction(QStringLiteral("Call"));
    callSms->setObjectName(QStringLiteral("MenuCallSms"));
    SMSgrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(SMSgrid, &QWidget::customContextMenuRequested, this, [this, smsMenu](const QPoint &at) {
        const int row = SMSgrid->rowAt(at.y());
        if (row < 1 || Reply::trimmed(m_books.smsBook.entry(row).number).isEmpty())
            return;
        SMSgrid->setCurrentIndex(SMSgrid->model()->index(row, BookTableModel::NumberColumn));
        smsMenu->popup(SMSgrid->viewport()->mapToGlobal(at));
    });
    connect(callSms, &QAction::triggered, this, [this] {
        const int row = SMSgrid->currentIndex().row();
        const QByteArray number = Reply::trimmed(m_books.smsBook.entry(row).number);
        if (row >= 1 && !number.isEmpty()) {
            showCalls();
            Calls->dial(QString::fromLatin1(number));
        }
    });
}

void PhonebooksPage::showCalls()
{
    Tabs->setCurrentIndex(CallsTab);
}

void PhonebooksPage::setUpSides()
{
    m_sim = {PhonebookAt::Book::Sim, QStringLiteral("SIM"), &simBook, simTable, SimGrid, &SimCopy, PopupMenu,
             MenuCopy, UseEntry1forSMS1, UseSIMforPR, QStringLiteral("Your SMS book is full.")};
    m_phone = {PhonebookAt::Book::Phone, QStringLiteral("Phone"), &phoneBook, phoneTable, PhoneGrid, &PhoneCopy,
               PopupMenu1, MenuCopy2, UseEntry1ForSMS2, UsePhoneforPR, QStringLiteral("Your SMS.. book is full.")};
}

const BookSide *PhonebooksPage::shownSide() const
{
    switch (Tabs->currentIndex()) {
    case SimTab:
        return &m_sim;
    case PhoneTab:
        return &m_phone;
    default:
        return nullptr;
    }
}

void PhonebooksPage::fillGridHeaders()
{
    if (!simTable->headerText(BookTableModel::RowColumn).isEmpty())
        return;
    for (BookTableModel *table : {simTable, phoneTable}) {
        table->setHeaderText(BookTableModel::RowColumn, QStringLiteral("#"));
        table->setHeaderText(BookTableModel::NumberColumn, QStringLiteral("   (+)123..."));
        table->setHeaderText(BookTableModel::NameColumn, QStringLiteral("    ABC..."));
    }
    m_books.fillGridHeaders();
}

void PhonebooksPage::TabsChange()
{
    const BookSide *side = shownSide();
    if (side) {
        btnRead->setToolTip(QStringLiteral("Read all entries from ") + side->name);
        btnWrite->setToolTip(QStringLiteral("Write all entries to ") + side->name);
        btnChanges->setToolTip(QStringLiteral("Write all changes to ") + side->name);
        btnSave->setToolTip(QStringLiteral("Save book to file"));
    } else {
        btnSave->setToolTip(Tabs->currentIndex() == SmsTab ? QStringLiteral("Save SMS book to disk")
                                                           : QStringLiteral("Save ICQ book to disk"));
    }
    btnLoad->setEnabled(side != nullptr);
    // A book the phone does not have: nothing to read or write, and why.
    const QString lacked = lackedBook(side);
    for (QPushButton *b : {btnRead, btnWrite, btnChanges}) {
        b->setEnabled(side != nullptr && lacked.isEmpty());
        if (!lacked.isEmpty())
            b->setToolTip(lacked);
    }
    // The call lists are the phone's own: nothing to save or load.
    btnSave->setEnabled(Tabs->currentIndex() != CallsTab);
}

