#include "Unit1/phonebooks/PhonebooksPage.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
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
