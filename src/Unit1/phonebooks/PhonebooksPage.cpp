#include "Unit1/phonebooks/PhonebooksPage.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>

#include "Unit1/link/PhoneLink.h"
#include "Unit1/messaging/SmsBooks.h"
#include "Unit1/shell/BookTableModel.h"
#include "Unit1/shell/BookView.h"
#include "Unit1/shell/Flash.h"
#include "Unit1/shell/Palette.h"

namespace {
constexpr int MaxField = 255;
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
    // The replacement is silent, as it always was.
    SaveFile->setOption(QFileDialog::DontConfirmOverwrite);
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
    const bool transfers = (tab == SimTab || tab == PhoneTab) && transfersAvailable;
    for (QPushButton *b : {btnRead, btnWrite, btnLoad, btnChanges})
        b->setEnabled(transfers);
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
    if (!savePbk((tab == SimTab ? simBook : phoneBook).entries(), path, &error))
        QMessageBox::warning(this, QStringLiteral("Error"), error);
}

bool PhonebooksPage::savePbk(const PhonebookEntries &book, const QString &path, QString *error)
{
    QByteArray text;
    for (int r = 1; r <= book.count() + 1; ++r) {
        text += QByteArray::number(r).rightJustified(3, '0') + ':' + book.at(r).name.left(MaxField) + "\r\n";
        text += book.at(r).number.left(MaxField) + "\r\n";
    }
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit())
        return true;
    if (error)
        *error = QStringLiteral("Could not save %1: %2").arg(path, out.errorString());
    return false;
}

// ---- Transfer of the SIM and phone books between grid and phone ----

void PhonebooksPage::setUpTransfers()
{
    transfersAvailable = true;
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
