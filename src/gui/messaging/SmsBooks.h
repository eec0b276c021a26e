// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SMS and ICQ address books, the book file "QXsms.phb" that holds them
// with the port and the ICQ numbers, and the recipient items they feed. The
// books are models; the Phonebooks page shows them and the SMS page's
// recipient boxes follow the signals below.
#include <QObject>
#include <QString>

#include "core/messaging/IcqNumbers.h"
#include "core/phonebooks/PhonebookModel.h"

class BookTableModel;

class SmsBooks : public QObject {
    Q_OBJECT
public:
    // The book file lives in `folder`; without one, in the working directory
    // as it is now.
    explicit SmsBooks(const QString &folder = QString(), QObject *parent = nullptr);

    QString bookPath() const;
    // Writes bytes at offset of the existing book file and nothing else.
    // A file marked read-only is left alone even for a user who could
    // override that. False, with the reason, when nothing was written.
    bool writeBook(int offset, const QByteArray &bytes, QString *error = nullptr) const;

    // 20 entries each; entry k is book row k and recipient item k - 1.
    PhonebookModel smsBook;
    PhonebookModel icqBook;
    // What SMSgrid and ICQgrid show: the books with their counters in row 0.
    BookTableModel *smsTable;
    BookTableModel *icqTable;

    // As loaded from the book file (or the defaults where it had none) and
    // as the settings page last saved them; an ICQ send reads them.
    IcqNumbers icqNumbers;

    bool BookNew = false;
    bool IcqPartNew = false;
    int PortNumber = 1;
    QString PortName = QStringLiteral("COM1");
    QString LoadedPortName = QStringLiteral("COM1");

    void GetPhoneBook();
    // Writes the book of the showing tab; false (and nothing written) when
    // the file is missing or cannot be written.
    bool SaveSMSICQ(bool smsTabShowing);
    // A keystroke in a cell of the grid: the counter of its column and the
    // recipient item of its row follow the text typed so far.
    void SMSgridSetEditText(int col, int row, const QString &value);
    void ICQgridSetEditText(int col, int row, const QString &value);
    // "#" and both counters, as shown at start-up (for entry 1, the current
    // cell then).
    void fillGridHeaders();
    // Puts an entry of the SIM or phone book into the free SMS book row with
    // the lowest number (one whose number is empty), number cut to 16 and
    // name to 20 characters. The row, or 0 when the book is full. The book
    // file is written only by "Save".
    int copyIntoFreeSmsRow(const PhonebookEntry &entry);
    // The close handler's write of a changed port choice: bytes 720..721
    // only. True when nothing needed writing or the write succeeded.
    bool savePortChoice(const QString &portName);
    // Why the last save (or the repair at start-up) wrote nothing; empty
    // after a success.
    QString lastError;

signals:
    // Item `index` of the SMS (ICQ) recipient list now reads `text`.
    void smsRecipientChanged(int index, const QString &text);
    void icqRecipientChanged(int index, const QString &text);
    // The text a recipient box shows when its book was just created.
    void smsRecipientPrompt(const QString &text);
    void icqRecipientPrompt(const QString &text);
    // The port the book file names, as it is loaded.
    void portChoiceLoaded(const QString &name);

private:
    struct Book;
    Book sms();
    Book icq();
    void gridEdit(const Book &book, int col, int row, const QString &value);
    void announceRecipients(const Book &book, int first, int last);

    QString m_folder;
};
