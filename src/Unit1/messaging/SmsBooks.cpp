#include "Unit1/messaging/SmsBooks.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QtDebug>
#include <functional>

#include "CPort/PortName.h"
#include "CPort/TComPort.h"
#include "Unit1/link/Charset.h"
#include "Unit1/messaging/BookFile.h"
#include "Unit1/messaging/MessagingState.h"
#include "Unit1/phonebooks/BookGrid.h"

namespace {
constexpr int Rows = BookFile::Entries + 1;

// Reports every keystroke in a cell editor, so the length counter in the
// header and the recipient item follow the typing and not only the commit.
class LiveEditDelegate : public QStyledItemDelegate {
public:
    LiveEditDelegate(std::function<void(int, int, const QString &)> onEdit, QObject *parent)
        : QStyledItemDelegate(parent), m_onEdit(std::move(onEdit))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            const int row = index.row(), col = index.column();
            auto onEdit = m_onEdit;
            QObject::connect(line, &QLineEdit::textEdited, line,
                             [onEdit, row, col](const QString &text) { onEdit(col, row, text); });
        }
        return editor;
    }

private:
    std::function<void(int, int, const QString &)> m_onEdit;
};

QTableWidget *makeBookGrid(const QString &name)
{
    QTableWidget *grid = BookGrid::make(name, Rows);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                          | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    return grid;
}

QString cellText(const QTableWidget *grid, int row, int col)
{
    const QTableWidgetItem *item = grid->item(row, col);
    return item ? item->text() : QString();
}

void setRecipientItem(QComboBox &combo, int index, const QString &text)
{
    while (combo.count() <= index)
        combo.addItem(QString());
    // Replacing the current item's text must not overwrite what the user has
    // in the edit field; the field follows only an explicit selection.
    const QString edit = combo.isEditable() ? combo.currentText() : QString();
    const bool current = combo.currentIndex() == index;
    combo.setItemText(index, text);
    if (current && combo.isEditable())
        combo.setEditText(edit);
}

void setComboText(QComboBox &combo, const QString &text)
{
    if (combo.isEditable()) {
        combo.setEditText(text);
    } else {
        combo.setPlaceholderText(text);
        combo.setCurrentIndex(-1);
    }
}
} // namespace

SmsBooks::SmsBooks(MessagingState &state, TComPort &port, QComboBox &ComboBox1, QComboBox &ComboBox2,
                   QObject *parent)
    : QObject(parent), m_state(state), m_port(port), m_combo1(ComboBox1), m_combo2(ComboBox2)
{
    SMSgrid = makeBookGrid(QStringLiteral("SMSgrid"));
    ICQgrid = makeBookGrid(QStringLiteral("ICQgrid"));
    m_smsGrid = SMSgrid;
    m_icqGrid = ICQgrid;

    SMSgrid->setItemDelegate(new LiveEditDelegate(
        [this](int c, int r, const QString &v) { SMSgridSetEditText(c, r, v); }, SMSgrid));
    ICQgrid->setItemDelegate(new LiveEditDelegate(
        [this](int c, int r, const QString &v) { ICQgridSetEditText(c, r, v); }, ICQgrid));

    connect(SMSgrid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!m_filling && item->row() > 0 && item->column() > 0)
            SMSgridSetEditText(item->column(), item->row(), item->text());
    });
    connect(ICQgrid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!m_filling && item->row() > 0 && item->column() > 0)
            ICQgridSetEditText(item->column(), item->row(), item->text());
    });

    fillGridHeaders();
}

SmsBooks::~SmsBooks()
{
    // The grids live in the Phonebooks page when it exists; otherwise they
    // are still ours. A grid that outlives us must not call back into us.
    for (QTableWidget *grid : {m_smsGrid.data(), m_icqGrid.data()}) {
        if (!grid)
            continue;
        if (grid->parent())
            grid->setItemDelegate(new QStyledItemDelegate(grid));
        else
            delete grid;
    }
}

QString SmsBooks::bookPath() { return QDir::current().filePath(QStringLiteral("QXsms.phb")); }

bool SmsBooks::writeBook(int offset, const QByteArray &bytes, QString *error)
{
    return BookFile::writeRange(bookPath(), offset, bytes, error);
}

void SmsBooks::setCell(QTableWidget *grid, int row, int col, const QString &text)
{
    const bool wasFilling = m_filling;
    m_filling = true;
    grid->item(row, col)->setText(text);
    m_filling = wasFilling;
}

void SmsBooks::GetPhoneBook()
{
    const QString path = bookPath();
    QByteArray image;
    {
        QFile in(path);
        // Everything past the ICQ book is never looked at; reading no more
        // keeps a huge or endless file from stalling the start.
        if (in.open(QIODevice::ReadOnly))
            image = in.read(BookFile::FullSize);
    }
    const BookFile::Contents book = BookFile::parse(image);

    for (int k = 1; k <= BookFile::Entries; ++k) {
        const BookFile::Entry &e = book.sms[k - 1];
        setCell(SMSgrid, k, 1, fromPhoneText(e.number));
        setCell(SMSgrid, k, 2, fromPhoneText(e.name));
        setRecipientItem(m_combo1, k - 1, fromPhoneText(BookFile::smsItem(e.number, e.name)));
    }

    BookNew = book.bookNew;
    PortNumber = book.portNumber;
    PortName = QStringLiteral("COM%1").arg(PortNumber);
    try {
        m_port.setPort(PortName);
    } catch (const std::exception &e) {
        qWarning("%s", e.what());
    }
    LoadedPortName = PortName;

    IcqPartNew = book.icqPartNew;
    m_state.IcqSmscNumber = book.icqSmsc;
    m_state.IcqGatewayNumber = book.icqGateway;

    for (int k = 1; k <= BookFile::Entries; ++k) {
        const BookFile::Entry &e = book.icq[k - 1];
        setCell(ICQgrid, k, 1, fromPhoneText(e.number));
        setCell(ICQgrid, k, 2, fromPhoneText(e.name));
        setRecipientItem(m_combo2, k - 1, fromPhoneText(BookFile::icqItem(e.number, e.name)));
    }

    const QByteArray smsc = MessagingState::defaultIcqSmsc();
    const QByteArray gateway = MessagingState::defaultIcqGateway();
    lastError.clear();
    auto rewrite = [&](const QByteArray &image) {
        if (!BookFile::writeWhole(path, image, &lastError))
            qWarning("mirvak: the book file was not repaired: %s", qPrintable(lastError));
    };
    if (BookNew) {
        rewrite(BookFile::newImage(smsc, gateway));
        PortName = QStringLiteral("COM1");
        // The new file says COM1. Remembering that lets the close handler
        // write a port that was read intact, instead of losing it.
        LoadedPortName = PortName;
        // An ICQ send in this session would otherwise go to a blank centre.
        m_state.IcqSmscNumber = smsc;
        m_state.IcqGatewayNumber = gateway;
        setComboText(m_combo1, QStringLiteral(" New Phonebook created."));
        setComboText(m_combo2, QStringLiteral(" New ICQ book created"));
    } else if (IcqPartNew) {
        rewrite(BookFile::repairedImage(book, portNumberForBook(PortName), smsc, gateway));
        setComboText(m_combo2, QStringLiteral("New ICQ book created"));
        m_state.IcqSmscNumber = smsc;
        m_state.IcqGatewayNumber = gateway;
    }
    fillGridHeaders();
}

bool SmsBooks::SaveSMSICQ(bool smsTabShowing)
{
    QTableWidget *grid = smsTabShowing ? SMSgrid : ICQgrid;
    std::array<BookFile::Entry, BookFile::Entries> entries;
    for (int k = 1; k <= BookFile::Entries; ++k) {
        entries[k - 1].number = toPhoneText(cellText(grid, k, 1));
        entries[k - 1].name = toPhoneText(cellText(grid, k, 2));
    }
    const bool ok = smsTabShowing
        ? writeBook(0, BookFile::smsBookBytes(entries), &lastError)
        : writeBook(BookFile::IcqBookOffset, BookFile::icqBookBytes(entries), &lastError);
    if (ok)
        lastError.clear();
    return ok;
}

bool SmsBooks::savePortChoice(const QString &portName)
{
    if (portName == LoadedPortName)
        return true;
    QByteArray bytes;
    bytes.append(char(portNumberForBook(portName)));
    bytes.append(char(0x00));
    if (!writeBook(BookFile::PortOffset, bytes, &lastError))
        return false;
    LoadedPortName = portName;
    lastError.clear();
    return true;
}

void SmsBooks::gridEdit(QTableWidget *grid, QComboBox &combo, int numberWidth, const QString &numberHeader,
                        int col, int row, const QString &value)
{
    if (row < 1 || row > BookFile::Entries)
        return;
    const QString number = col == 1 ? value : cellText(grid, row, 1);
    const QString name = col == 2 ? value : cellText(grid, row, 2);
    // The counters describe the cell being typed in; a cell filled from
    // elsewhere (a copy from the SIM book) only updates its recipient item.
    const bool current = grid->currentRow() == row || grid->currentRow() < 1;
    if (current && col == 1)
        setCell(grid, 0, 1, QStringLiteral("%1    (%2)").arg(numberHeader).arg(numberWidth - number.size()));
    else if (current && col == 2)
        setCell(grid, 0, 2, QStringLiteral("    ABC...    (%1)").arg(BookFile::SmsName - name.size()));

    const QByteArray n = toPhoneText(number), m = toPhoneText(name);
    setRecipientItem(combo, row - 1,
                     fromPhoneText(numberWidth == BookFile::SmsNumber ? BookFile::smsItem(n, m)
                                                                      : BookFile::icqItem(n, m)));
}

void SmsBooks::SMSgridSetEditText(int col, int row, const QString &value)
{
    gridEdit(SMSgrid, m_combo1, BookFile::SmsNumber, QStringLiteral("   (+)123..."), col, row, value);
}

void SmsBooks::ICQgridSetEditText(int col, int row, const QString &value)
{
    gridEdit(ICQgrid, m_combo2, BookFile::IcqNumber, QStringLiteral("   ICQ#..."), col, row, value);
}

void SmsBooks::fillGridHeaders()
{
    const struct {
        QTableWidget *grid;
        int width;
        QString header;
    } grids[] = {{SMSgrid, BookFile::SmsNumber, QStringLiteral("   (+)123...")},
                 {ICQgrid, BookFile::IcqNumber, QStringLiteral("   ICQ#...")}};
    for (const auto &g : grids) {
        const int row = qBound(1, g.grid->currentRow(), BookFile::Entries);
        setCell(g.grid, 0, 0, QStringLiteral("#"));
        setCell(g.grid, 0, 1,
                QStringLiteral("%1    (%2)").arg(g.header).arg(g.width - cellText(g.grid, row, 1).size()));
        setCell(g.grid, 0, 2, QStringLiteral("    ABC...    (20)"));
        for (int k = 1; k <= BookFile::Entries; ++k)
            setCell(g.grid, k, 0, QString::number(k));
    }
}
