// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/messaging/SmsBooks.h"

#include <QDir>
#include <QFile>
#include <QtDebug>

#include "core/port/PortName.h"
#include "core/at/Charset.h"
#include "core/io/AtomicFile.h"
#include "core/messaging/BookFile.h"
#include "gui/common/BookTableModel.h"

// What tells the two books apart: their width of number, the title of its
// counter, the recipient list they feed and the form of its items.
struct SmsBooks::Book {
    PhonebookModel &model;
    BookTableModel &table;
    int numberWidth;
    QString numberTitle;
    void (SmsBooks::*recipientChanged)(int, const QString &);
    QByteArray (*item)(const QByteArray &, const QByteArray &);
};

namespace {
using Records = std::array<BookFile::Entry, BookFile::Entries>;

Records recordsOf(const PhonebookEntries &entries)
{
    Records records;
    for (int k = 1; k <= BookFile::Entries; ++k)
        records[k - 1] = entries.at(k);
    return records;
}

QString counter(const QString &title, qsizetype left) { return QStringLiteral("%1    (%2)").arg(title).arg(left); }
} // namespace

SmsBooks::SmsBooks(const QString &folder, QObject *parent)
    : QObject(parent),
      smsBook(BookFile::Entries),
      icqBook(BookFile::Entries),
      smsTable(new BookTableModel(smsBook, this)),
      icqTable(new BookTableModel(icqBook, this)),
      m_folder(folder.isEmpty() ? QDir::currentPath() : folder)
{
    // Whatever changes an entry (an edit committed in the grid, a load, an
    // entry copied in from the SIM book) changes its recipient item with it.
    connect(&smsBook, &PhonebookModel::entriesChanged, this,
            [this](int first, int last) { announceRecipients(sms(), first, last); });
    connect(&icqBook, &PhonebookModel::entriesChanged, this,
            [this](int first, int last) { announceRecipients(icq(), first, last); });
    fillGridHeaders();
}

SmsBooks::Book SmsBooks::sms()
{
    return {smsBook, *smsTable, BookFile::SmsNumber, QStringLiteral("   (+)123..."),
            &SmsBooks::smsRecipientChanged, &BookFile::smsItem};
}

SmsBooks::Book SmsBooks::icq()
{
    return {icqBook, *icqTable, BookFile::IcqNumber, QStringLiteral("   ICQ#..."),
            &SmsBooks::icqRecipientChanged, &BookFile::icqItem};
}

QString SmsBooks::bookPath() const { return QDir(m_folder).filePath(QStringLiteral("QXsms.phb")); }

bool SmsBooks::writeBook(int offset, const QByteArray &bytes, QString *error) const
{
    return AtomicFile::writeAt(bookPath(), offset, bytes).told(error);
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

    smsBook.setEntries(BookFile::entries(book.sms));

    BookNew = book.bookNew;
    PortNumber = book.portNumber;
    PortName = QStringLiteral("COM%1").arg(PortNumber);
    emit portChoiceLoaded(PortName);
    LoadedPortName = PortName;

    IcqPartNew = book.icqPartNew;
    icqNumbers = {book.icqSmsc, book.icqGateway};

    icqBook.setEntries(BookFile::entries(book.icq));

    // Numbers read intact are the user's; only damaged (or missing) ones
    // give way to the defaults.
    const QByteArray smsc = IcqPartNew ? IcqNumbers::defaultCentre() : book.icqSmsc;
    const QByteArray gateway = IcqPartNew ? IcqNumbers::defaultGateway() : book.icqGateway;
    lastError.clear();
    auto rewrite = [&](const QByteArray &image) {
        if (!AtomicFile::write(path, image).told(&lastError))
            qWarning("mirvak: the book file was not repaired: %s", qPrintable(lastError));
    };
    if (BookNew) {
        // A damaged SMS book must not cost the ICQ numbers: they go into the
        // new file as they were read, or the next start would find defaults.
        rewrite(BookFile::newImage(smsc, gateway));
        PortName = QStringLiteral("COM1");
        // The new file says COM1. Remembering that lets the close handler
        // write a port that was read intact, instead of losing it.
        LoadedPortName = PortName;
        // An ICQ send in this session would otherwise go to a blank centre.
        icqNumbers = {smsc, gateway};
        emit smsRecipientPrompt(QStringLiteral(" New Phonebook created."));
        emit icqRecipientPrompt(QStringLiteral(" New ICQ book created"));
    } else if (IcqPartNew) {
        rewrite(BookFile::repairedImage(book, portNumberForBook(PortName), smsc, gateway));
        emit icqRecipientPrompt(QStringLiteral("New ICQ book created"));
        icqNumbers = {smsc, gateway};
    }
    fillGridHeaders();
}

bool SmsBooks::SaveSMSICQ(bool smsTabShowing)
{
    const Records records = recordsOf((smsTabShowing ? smsBook : icqBook).entries());
    const bool ok = smsTabShowing
        ? writeBook(0, BookFile::smsBookBytes(records), &lastError)
        : writeBook(BookFile::IcqBookOffset, BookFile::icqBookBytes(records), &lastError);
    if (ok)
        lastError.clear();
    return ok;
}

int SmsBooks::copyIntoFreeSmsRow(const PhonebookEntry &entry)
{
    for (int k = 1; k <= BookFile::Entries; ++k) {
        if (smsBook.entry(k).number.isEmpty()) {
            smsBook.setEntry(k, {entry.number.left(BookFile::SmsNumber), entry.name.left(BookFile::SmsName)});
            return k;
        }
    }
    return 0;
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

void SmsBooks::announceRecipients(const Book &book, int first, int last)
{
    for (int k = qMax(1, first); k <= qMin(last, BookFile::Entries); ++k) {
        const PhonebookEntry &e = book.model.entry(k);
        emit(this->*book.recipientChanged)(k - 1, fromPhoneText(book.item(e.number, e.name)));
    }
}

void SmsBooks::gridEdit(const Book &book, int col, int row, const QString &value)
{
    if (row < 1 || row > BookFile::Entries)
        return;
    // The cell holds its old text until the editor commits; the counters
    // and the item describe what is being typed.
    const PhonebookEntry &e = book.model.entry(row);
    const QString number = col == BookTableModel::NumberColumn ? value : fromPhoneText(e.number);
    const QString name = col == BookTableModel::NameColumn ? value : fromPhoneText(e.name);
    if (col == BookTableModel::NumberColumn)
        book.table.setHeaderText(col, counter(book.numberTitle, book.numberWidth - number.size()));
    else if (col == BookTableModel::NameColumn)
        book.table.setHeaderText(col, counter(QStringLiteral("    ABC..."), BookFile::SmsName - name.size()));
    emit(this->*book.recipientChanged)(row - 1, fromPhoneText(book.item(toPhoneText(number), toPhoneText(name))));
}

void SmsBooks::SMSgridSetEditText(int col, int row, const QString &value) { gridEdit(sms(), col, row, value); }

void SmsBooks::ICQgridSetEditText(int col, int row, const QString &value) { gridEdit(icq(), col, row, value); }

void SmsBooks::fillGridHeaders()
{
    for (const Book &book : {sms(), icq()}) {
        book.table.setHeaderText(BookTableModel::RowColumn, QStringLiteral("#"));
        book.table.setHeaderText(BookTableModel::NumberColumn,
                                 counter(book.numberTitle, book.numberWidth - fromPhoneText(book.model.entry(1).number).size()));
        book.table.setHeaderText(BookTableModel::NameColumn, counter(QStringLiteral("    ABC..."), BookFile::SmsName));
    }
}
