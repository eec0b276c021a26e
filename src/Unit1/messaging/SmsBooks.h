#pragma once
// The SMS and ICQ address books: their grids, the recipient items they feed,
// and the book file "QXsms.phb" that holds them with the port and ICQ numbers.
#include <QObject>
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

    static QString bookPath(); // "QXsms.phb" in the working directory

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

private:
    MessagingState &m_state;
    TComPort &m_port;
    QComboBox &m_combo1;
    QComboBox &m_combo2;
};
