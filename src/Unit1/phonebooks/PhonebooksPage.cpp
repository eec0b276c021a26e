#include "Unit1/phonebooks/PhonebooksPage.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "Unit1/link/Charset.h"
#include "Unit1/link/PhoneLink.h"
#include "Unit1/messaging/SmsBooks.h"
#include "Unit1/phonebooks/BookGrid.h"

namespace {
using BookGrid::Silver;
constexpr int SimRows = 51;
constexpr int MaxField = 255;
enum TabIndex { SmsTab, IcqTab, SimTab, PhoneTab };

QTableWidget *makeTransferGrid(const QString &name)
{
    QTableWidget *grid = BookGrid::make(name, SimRows);
    grid->setToolTip(QStringLiteral("Right-Click for menu"));
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

void setGridColour(QTableWidget *grid, const QColor &colour)
{
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, colour);
    grid->setPalette(pal);
}

QString cell(const QTableWidget &grid, int row, int col)
{
    const QTableWidgetItem *item = grid.item(row, col);
    return item ? item->text() : QString();
}
} // namespace

PhonebooksPage::PhonebooksPage(PhoneLink &link, SmsBooks &books, QWidget *parent)
    : QWidget(parent), m_link(link), m_books(books)
{
    setObjectName(QStringLiteral("Panel2"));

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    SimGrid = makeTransferGrid(QStringLiteral("SimGrid"));
    PhoneGrid = makeTransferGrid(QStringLiteral("PhoneGrid"));
    Tabs->addTab(tabPage(QStringLiteral("TabSheet5"), books.SMSgrid), QStringLiteral("SMS"));
    Tabs->addTab(tabPage(QStringLiteral("TabSheetICQ"), books.ICQgrid), QStringLiteral("ICQ"));
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
    if (!cell(*SimGrid, 0, 0).isEmpty())
        return;
    for (QTableWidget *grid : {SimGrid, PhoneGrid}) {
        grid->item(0, 0)->setText(QStringLiteral("#"));
        grid->item(0, 1)->setText(QStringLiteral("   (+)123..."));
        grid->item(0, 2)->setText(QStringLiteral("    ABC..."));
        for (int r = 1; r < grid->rowCount(); ++r)
            grid->item(r, 0)->setText(QString::number(r));
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

void PhonebooksPage::flashBooks(const QColor &colour)
{
    setGridColour(m_books.SMSgrid, colour);
    setGridColour(m_books.ICQgrid, colour);
    repaint();
    m_link.sleep(500);
    setGridColour(m_books.SMSgrid, Silver);
    setGridColour(m_books.ICQgrid, Silver);
}

void PhonebooksPage::btnSaveClick()
{
    const int tab = Tabs->currentIndex();
    if (tab == SmsTab || tab == IcqTab) {
        const bool ok = m_books.SaveSMSICQ(tab == SmsTab);
        btnSave->setToolTip(ok ? (tab == SmsTab ? QStringLiteral("Save SMS book to disk")
                                                : QStringLiteral("Save ICQ book to disk"))
                               : m_books.lastError);
        flashBooks(ok ? QColor(0, 255, 0) : QColor(255, 0, 0));
        return;
    }

    SaveFile->setNameFilters({QStringLiteral("Phonebook (*.pbk)"), QStringLiteral("All Files (*)")});
    if (SaveFile->exec() != QDialog::Accepted || SaveFile->selectedFiles().isEmpty())
        return;
    const QString path = SaveFile->selectedFiles().constFirst();
    QString error;
    if (!savePbk(tab == SimTab ? *SimGrid : *PhoneGrid, path, &error))
        QMessageBox::warning(this, QStringLiteral("Error"), error);
}

bool PhonebooksPage::savePbk(const QTableWidget &grid, const QString &path, QString *error)
{
    QByteArray text;
    for (int r = 1; r <= grid.rowCount(); ++r) {
        text += QByteArray::number(r).rightJustified(3, '0') + ':'
            + toPhoneText(cell(grid, r, 2)).left(MaxField) + "\r\n";
        text += toPhoneText(cell(grid, r, 1)).left(MaxField) + "\r\n";
    }
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.commit())
        return true;
    if (error)
        *error = QStringLiteral("Could not save %1: %2").arg(path, out.errorString());
    return false;
}
