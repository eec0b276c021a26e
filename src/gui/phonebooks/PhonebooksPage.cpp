#include "gui/phonebooks/PhonebooksPage.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTabBar>
#include <QDir>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

#include "core/at/Charset.h"
#include "link/PhoneLink.h"
#include "core/at/ReplyParse.h"
#include "gui/messaging/SmsBooks.h"
#include "core/phonebooks/PbkFile.h"
#include "gui/common/BookTableModel.h"
#include "gui/common/BookView.h"
#include "gui/common/Flash.h"
#include "gui/common/Palette.h"

namespace {
enum TabIndex { SmsTab, IcqTab, SimTab, PhoneTab };

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

QPushButton *button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
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

    // Each Abort button lies exactly beneath its button: a running transfer
    // hides the button and the Abort button shows through.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    auto stacked = [&](QPushButton *top, QPushButton *beneath) {
        auto *cellLayout = new QGridLayout;
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->addWidget(beneath, 0, 0);
        if (top) {
            cellLayout->addWidget(top, 0, 0);
            top->raise();
        }
        buttons->addLayout(cellLayout);
    };
    btnRead = button(QStringLiteral("btnRead"), QStringLiteral("Read"), this);
    btnAbort4 = button(QStringLiteral("btnAbort4"), QStringLiteral("Abort"), this);
    btnWrite = button(QStringLiteral("btnWrite"), QStringLiteral("Write"), this);
    btnAbort5 = button(QStringLiteral("btnAbort5"), QStringLiteral("Abort"), this);
    btnChanges = button(QStringLiteral("btnChanges"), QStringLiteral("Update"), this);
    btnAbort3 = button(QStringLiteral("btnAbort3"), QStringLiteral("Abort"), this);
    btnLoad = button(QStringLiteral("btnLoad"), QStringLiteral("Load"), this);
    btnSave = button(QStringLiteral("btnSave"), QStringLiteral("Save"), this);
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

    SaveFile = new QFileDialog(this);
    SaveFile->setObjectName(QStringLiteral("SaveFile"));
    SaveFile->setAcceptMode(QFileDialog::AcceptSave);
    SaveFile->setFileMode(QFileDialog::AnyFile);
    SaveFile->setOption(QFileDialog::DontUseNativeDialog);

    btnRead->setToolTip(QStringLiteral("Read all enrties from SIM/Phone"));
    btnWrite->setToolTip(QStringLiteral("Write all entries to SIM/Phone"));
    btnChanges->setToolTip(QStringLiteral("Write changed entries"));
    btnLoad->setToolTip(QStringLiteral("Load from file"));
    btnSave->setToolTip(QStringLiteral("Save SMS book to disk"));
    for (QPushButton *b : {btnRead, btnWrite, btnChanges, btnLoad})
        b->setEnabled(false);
    for (QPushButton *b : {btnAbort3, btnAbort4, btnAbort5})
        connect(b, &QPushButton::clicked, &m_link, &PhoneLink::btnAbortClick);

    connect(Tabs, &QTabWidget::currentChanged, this, &PhonebooksPage::TabsChange);
    connect(btnSave, &QPushButton::clicked, this, &PhonebooksPage::btnSaveClick);

    fillGridHeaders();
    setUpTransfers();
    setupFilesAndMenus();
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
    const int tab = Tabs->currentIndex();
    if (tab == SimTab || tab == PhoneTab) {
        const QString where = tab == SimTab ? QStringLiteral("SIM") : QStringLiteral("Phone");
        btnRead->setToolTip(QStringLiteral("Read all entries from ") + where);
        btnWrite->setToolTip(QStringLiteral("Write all entries to ") + where);
        btnChanges->setToolTip(QStringLiteral("Write all changes to ") + where);
        btnSave->setToolTip(QStringLiteral("Save book to file"));
    } else {
        btnSave->setToolTip(tab == SmsTab ? QStringLiteral("Save SMS book to disk")
                                          : QStringLiteral("Save ICQ book to disk"));
    }
    const bool phoneBook = tab == SimTab || tab == PhoneTab;
    for (QPushButton *b : {btnRead, btnWrite, btnLoad, btnChanges})
        b->setEnabled(phoneBook);
}

void PhonebooksPage::btnSaveClick()
{
    const int tab = Tabs->currentIndex();
    if (tab == SmsTab || tab == IcqTab) {
        const bool ok = m_books.SaveSMSICQ(tab == SmsTab);
        btnSave->setToolTip(ok ? (tab == SmsTab ? QStringLiteral("Save SMS book to disk")
                                                : QStringLiteral("Save ICQ book to disk"))
                               : m_books.lastError);
        flash(m_link, {SMSgrid, ICQgrid}, ok ? Palette::Lime : Palette::Red, m_link.timing().flash);
        return;
    }

    SaveFile->setNameFilters({QStringLiteral("Phonebook (*.pbk)"), QStringLiteral("All Files (*)")});
    if (SaveFile->exec() != QDialog::Accepted || SaveFile->selectedFiles().isEmpty())
        return;
    const QString path = SaveFile->selectedFiles().constFirst();
    QString error;
    if (!PbkFile::save(path, (tab == SimTab ? simBook : phoneBook).entries(), &error))
        showError(QStringLiteral("msgSaveFailed"), error);
}

// ---- Phonebook files, grid menus and entry actions ----

// What tells the SIM side of the page from the phone side.
struct PhonebooksPage::GridSide {
    QTableView *grid;
    PhonebookModel &book;
    QMenu *menu;
    QAction *copy, *useForSms, *useForRing;
    QString bookFull;
};

PhonebooksPage::GridSide PhonebooksPage::side(bool sim)
{
    if (sim)
        return {SimGrid, simBook, PopupMenu, MenuCopy, UseEntry1forSMS1, UseSIMforPR,
                QStringLiteral("Your SMS book is full.")};
    return {PhoneGrid, phoneBook, PopupMenu1, MenuCopy2, UseEntry1ForSMS2, UsePhoneforPR,
            QStringLiteral("Your SMS.. book is full.")};
}

// ---- Transfer of the SIM and phone books between grid and phone ----

void PhonebooksPage::setUpTransfers()
{
    connect(btnRead, &QPushButton::clicked, this, &PhonebooksPage::btnReadClick);
    connect(btnWrite, &QPushButton::clicked, this, &PhonebooksPage::btnWriteClick);
    connect(btnChanges, &QPushButton::clicked, this, &PhonebooksPage::btnChangesClick);
}

void PhonebooksPage::makeCurrentRow(QTableView *grid, int row)
{
    const int column = qMax(int(BookTableModel::NumberColumn), grid->currentIndex().column());
    const QModelIndex cell = grid->model()->index(row, column);
    grid->setCurrentIndex(cell);
    grid->scrollTo(cell);
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

void PhonebooksPage::endTransfer(QTableView *grid, bool toFirstRow)
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
        makeCurrentRow(grid, 1);
    emit busyChanged(false);
}

void PhonebooksPage::btnReadClick()
{
    const int tab = Tabs->currentIndex();
    if (tab != SimTab && tab != PhoneTab)
        return;
    const OperationGuard op(m_link, Tab::Phonebooks);
    if (!op)
        return;
    const bool phone = tab == PhoneTab;
    PhonebookModel &book = phone ? phoneBook : simBook;
    BookTableModel *table = phone ? phoneTable : simTable;
    QTableView *grid = phone ? PhoneGrid : SimGrid;
    PhonebookEntries &copy = phone ? PhoneCopy : SimCopy;

    beginTransfer(btnRead);
    m_link.setAbortRequested(false);
    book.clear();
    copy = PhonebookEntries(CopyEntries);
    grid->setCurrentIndex(table->index(qMax(1, grid->currentIndex().row()), BookTableModel::NumberColumn));

    m_link.runGuarded([&] {
        if (!m_transfer.select(phone ? PhonebookAt::Book::Phone : PhonebookAt::Book::Sim))
            return;
        for (int n = 1; n <= MaxReadLocations && !m_link.AbortRequested(); ++n) {
            const PhonebookTransfer::Location at = m_transfer.read(n);
            // Past the last location the phone refuses: the book is complete.
            if (at.kind == PhonebookTransfer::Location::Ended)
                return;
            // The grid grows with the read, one row per location.
            book.resize(n);
            book.setEntry(n, at.entry);
            copy.set(n, at.entry);
            table->setHeaderText(BookTableModel::RowColumn, QString::number(n));
            makeCurrentRow(grid, n);
        }
    });

    endTransfer(grid, true);
}

void PhonebooksPage::btnWriteClick()
{
    const int tab = Tabs->currentIndex();
    if (tab != SimTab && tab != PhoneTab)
        return;
    const OperationGuard op(m_link, Tab::Phonebooks);
    if (!op)
        return;
    const bool phone = tab == PhoneTab;

    if (!UpdateOnly) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Write all entries..."),
                        phone ? QStringLiteral("Write all entries to Phone, Are you sure?")
                              : QStringLiteral("Write all entries to SIM, Are you sure?"),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("confirmWrite"));
        if (box.exec() != QMessageBox::Ok)
            return;
    }

    const PhonebookModel &book = phone ? phoneBook : simBook;
    const PhonebookEntries &copy = phone ? PhoneCopy : SimCopy;
    QTableView *grid = phone ? PhoneGrid : SimGrid;

    beginTransfer(UpdateOnly ? btnChanges : btnWrite);
    grid->setCurrentIndex(grid->model()->index(1, BookTableModel::NumberColumn));

    m_link.runGuarded([&] {
        if (!m_transfer.select(phone ? PhonebookAt::Book::Phone : PhonebookAt::Book::Sim))
            return;
        for (int r = 1; r <= book.count(); ++r) {
            const PhonebookEntry entry = book.entry(r);
            if (UpdateOnly && entry == copy.at(r))
                continue;
            makeCurrentRow(grid, r);
            // A location the phone refuses is passed over; only an abort
            // stops the run.
            m_transfer.write(r, entry);
            if (m_link.AbortRequested())
                return;
        }
    });

    endTransfer(grid, !UpdateOnly);
}

void PhonebooksPage::btnChangesClick()
{
    UpdateOnly = true;
    btnWriteClick();
    UpdateOnly = false;
}

// ---- Phonebook files, grid menus and entry actions ----

void PhonebooksPage::setupFilesAndMenus()
{
    OpenFile = new QFileDialog(this);
    OpenFile->setObjectName(QStringLiteral("OpenFile"));
    OpenFile->setAcceptMode(QFileDialog::AcceptOpen);
    OpenFile->setFileMode(QFileDialog::ExistingFile);
    OpenFile->setOption(QFileDialog::DontUseNativeDialog);
    connect(btnLoad, &QPushButton::clicked, this, &PhonebooksPage::btnLoadClick);

    auto menu = [this](const QString &name) {
        auto *m = new QMenu(this);
        m->setObjectName(name);
        return m;
    };
    auto item = [](QMenu *m, const QString &name, const QString &caption) {
        QAction *a = m->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    PopupMenu = menu(QStringLiteral("PopupMenu"));
    MenuCopy = item(PopupMenu, QStringLiteral("MenuCopy"), QStringLiteral("Copy entry to SMS book"));
    UseEntry1forSMS1 = item(PopupMenu, QStringLiteral("UseEntry1forSMS1"), QStringLiteral("Use entry for SMS"));
    UseSIMforPR = item(PopupMenu, QStringLiteral("UseSIMforPR"), QStringLiteral("Use entry in Personal-Rings"));
    PopupMenu1 = menu(QStringLiteral("PopupMenu1"));
    MenuCopy2 = item(PopupMenu1, QStringLiteral("MenuCopy2"), QStringLiteral("Copy entry to SMS book"));
    UseEntry1ForSMS2 = item(PopupMenu1, QStringLiteral("UseEntry1ForSMS2"), QStringLiteral("Use entry for SMS"));
    UsePhoneforPR = item(PopupMenu1, QStringLiteral("UsePhoneforPR"), QStringLiteral("Use entry in Personal-Rings"));
    connect(MenuCopy, &QAction::triggered, this, &PhonebooksPage::MenuCopyClick);
    connect(UseEntry1forSMS1, &QAction::triggered, this, &PhonebooksPage::Useentry1forSMS1Click);
    connect(UseSIMforPR, &QAction::triggered, this, &PhonebooksPage::UseSIMforPRClick);
    connect(MenuCopy2, &QAction::triggered, this, &PhonebooksPage::MenuCopy2Click);
    connect(UseEntry1ForSMS2, &QAction::triggered, this, &PhonebooksPage::Useentry1forSMS2Click);
    connect(UsePhoneforPR, &QAction::triggered, this, &PhonebooksPage::UsePhoneforPRClick);

    SimGrid->viewport()->installEventFilter(this);
    PhoneGrid->viewport()->installEventFilter(this);
}

void PhonebooksPage::showError(const QString &name, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), text, QMessageBox::Ok, this);
    box.setObjectName(name);
    box.exec();
}

void PhonebooksPage::btnLoadClick()
{
    const bool sim = Tabs->currentIndex() == SimTab;
    OpenFile->setNameFilters({QStringLiteral("Phonebook (*.pbk)"), QStringLiteral("All Files (*)")});
    if (OpenFile->exec() != QDialog::Accepted || OpenFile->selectedFiles().isEmpty())
        return;
    const QString path = OpenFile->selectedFiles().constFirst();
    const QString shown = QDir::toNativeSeparators(path);

    // The grid is emptied only once the file is open: a file that cannot be
    // read must not cost the book on the screen. A pipe or a device could
    // block the window or never end.
    if (!QFileInfo(path).isFile()) {
        showError(QStringLiteral("msgLoadFailed"), QStringLiteral("%1 is not a file.").arg(shown));
        return;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("msgLoadFailed"), QStringLiteral("Cannot read %1: %2").arg(shown, in.errorString()));
        return;
    }
    PhonebookModel &book = sim ? simBook : phoneBook;
    PhonebookEntries &copy = sim ? SimCopy : PhoneCopy;
    const int before = book.count();
    const PbkFile::Loaded loaded = PbkFile::read(in, before);
    book.setEntries(loaded.rows);
    // The copy is emptied over the grid's old row count, as the grid is, and
    // then holds exactly what the grid shows.
    for (int r = 1; r <= qMin(book.count() + 1, copy.count()); ++r)
        copy.set(r, loaded.rows.at(r));
    if (loaded.grew)
        (sim ? simTable : phoneTable)->setHeaderText(BookTableModel::RowColumn, QString::number(loaded.shownCount));
}

bool PhonebooksPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress
        && (watched == SimGrid->viewport() || watched == PhoneGrid->viewport())) {
        const bool sim = watched == SimGrid->viewport();
        auto *press = static_cast<QMouseEvent *>(event);
        const QModelIndex at = side(sim).grid->indexAt(press->position().toPoint());
        if (at.isValid()) {
            gridMouseDown(side(sim), at.row(), at.column(), press->button(), press->globalPosition().toPoint());
            // The menu is open; the view must not start a selection under it.
            if (press->button() == Qt::RightButton && at.row() >= 1 && at.column() >= 1)
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PhonebooksPage::SimGridMouseDown(int row, int column, Qt::MouseButton button, const QPoint &globalPos)
{
    gridMouseDown(side(true), row, column, button, globalPos);
}

void PhonebooksPage::PhoneGridMouseDown(int row, int column, Qt::MouseButton button, const QPoint &globalPos)
{
    gridMouseDown(side(false), row, column, button, globalPos);
}

void PhonebooksPage::gridMouseDown(const GridSide &g, int row, int column, Qt::MouseButton button,
                                   const QPoint &globalPos)
{
    if (row < 1 || column < 1 || row >= g.grid->model()->rowCount() || column >= g.grid->model()->columnCount())
        return;
    g.grid->setCurrentIndex(g.grid->model()->index(row, column));
    const QString n = QString::number(row);
    g.copy->setText(QStringLiteral("Copy entry ") + n + QStringLiteral(" to SMS book"));
    g.useForSms->setText(QStringLiteral("Use entry ") + n + QStringLiteral(" for SMS"));
    g.useForRing->setText(QStringLiteral("Use entry ") + n + QStringLiteral(" in Personal-Rings"));
    if (button == Qt::RightButton)
        g.menu->popup(globalPos);
}

namespace {
// The entry of the grid's current row; none when no data row is current.
const PhonebookEntry *currentEntry(QTableView *grid, const PhonebookModel &book)
{
    const int row = grid->currentIndex().row();
    return row >= 1 && row <= book.count() ? &book.entry(row) : nullptr;
}
} // namespace

void PhonebooksPage::copyToSmsBook(const GridSide &g)
{
    const PhonebookEntry *e = currentEntry(g.grid, g.book);
    if (e && m_books.copyIntoFreeSmsRow(*e) == 0)
        showError(QStringLiteral("msgSmsBookFull"), g.bookFull);
}

void PhonebooksPage::useForSms(const GridSide &g)
{
    if (const PhonebookEntry *e = currentEntry(g.grid, g.book)) {
        const QByteArray number = Reply::trimmed(e->number).leftJustified(16, ' ', true);
        emit smsRecipientChosen(fromPhoneText(number + " - " + Reply::trimmed(e->name).left(20)));
    }
}

void PhonebooksPage::useForPersonalRing(const GridSide &g)
{
    if (const PhonebookEntry *e = currentEntry(g.grid, g.book))
        emit personalRingNumberChosen(fromPhoneText(Reply::trimmed(e->number).left(16)));
}

void PhonebooksPage::MenuCopyClick() { copyToSmsBook(side(true)); }
void PhonebooksPage::MenuCopy2Click() { copyToSmsBook(side(false)); }
void PhonebooksPage::Useentry1forSMS1Click() { useForSms(side(true)); }
void PhonebooksPage::Useentry1forSMS2Click() { useForSms(side(false)); }
void PhonebooksPage::UseSIMforPRClick() { useForPersonalRing(side(true)); }
void PhonebooksPage::UsePhoneforPRClick() { useForPersonalRing(side(false)); }
