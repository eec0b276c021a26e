#pragma once
// The SMS and ICQ address books: their grids, the recipient items they feed,
// and the book file "QXsms.phb" that holds them with the port and ICQ numbers.
#include <QObject>
#include <QPointer>
#include <QString>

struct MessagingState;
class TComPort;
class QComboBox;
class QTableWidget;

class SmsBooks : public QObject {
    Q_OBJECT
public:
    SmsBooks(MessagingState &state, TComPort &port, QComboBox &ComboBox1, QComboBox &ComboBox2,
             QObject *parent = nullptr);
    ~SmsBooks() override;

    static QString bookPath(); // "QXsms.phb" in the working directory
    // Writes bytes at offset of the existing book file and nothing else.
    // A file marked read-only is left alone even for a user who could
    // override that. False, with the reason, when nothing was written.
    static bool writeBook(int offset, const QByteArray &bytes, QString *error = nullptr);

    // Created without a parent; the Phonebooks page places them in its tabs.
    QTableWidget *SMSgrid;
    QTableWidget *ICQgrid;

    bool BookNew = false;
    bool IcqPartNew = false;
    int PortNumber = 1;
    QString PortName = QStringLiteral("COM1");
    QString LoadedPortName = QStringLiteral("COM1");

    void GetPhoneBook();
    // Writes the book of the showing tab; false (and nothing written) when
    // the file is missing or cannot be written.
    bool SaveSMSICQ(bool smsTabShowing);
    void SMSgridSetEditText(int col, int row, const QString &value);
    void ICQgridSetEditText(int col, int row, const QString &value);
    // Grid headers and row numbers, as shown at start-up.
    void fillGridHeaders();
    // The close handler's write of a changed port choice: bytes 720..721
    // only. True when nothing needed writing or the write succeeded.
    bool savePortChoice(const QString &portName);
    // Why the last save (or the repair at start-up) wrote nothing; empty
    // after a success.
    QString lastError;

private:
    void setCell(QTableWidget *grid, int row, int col, const QString &text);
    void gridEdit(QTableWidget *grid, QComboBox &combo, int numberWidth, const QString &numberHeader,
                  int col, int row, const QString &value);

    QPointer<QTableWidget> m_smsGrid;
    QPointer<QTableWidget> m_icqGrid;
    bool m_filling = false;
    MessagingState &m_state;
    TComPort &m_port;
    QComboBox &m_combo1;
    QComboBox &m_combo2;
};
