// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's SMS centre: read in AT mode or in binary mode, and set.
// It knows nothing of the window; whoever shows the centre listens to its
// signals (the GSM information page paints its SMSC field from them).
#include <QByteArray>
#include <QObject>
#include <QString>

#include "link/BinaryLink.h"

class PhoneLink;
namespace Pdu {
struct Address;
}

class CentreService : public QObject {
    Q_OBJECT
public:
    CentreService(PhoneLink &link, QObject *parent = nullptr);

    // "AT+CSCA?": SmscRead set when the reply held a quoted field, an empty
    // one included, and the centre shown as " " + number.
    void GetSMSC();
    // The same through binary mode, ended with a break; the port stays open.
    void GetSMSCbinary();
    // Whether the last AT read found the centre.
    bool SmscRead() const;

    // The centre as shown, the text a restore writes back. Follows the
    // reads above and whatever the user types into the shown field.
    QString shownCentre() const;
    void setShownCentre(const QString &text);

    // BadNumber: the phone refused the number in AT mode and it cannot be
    // put into a set frame (fewer than three digits); binary mode is not
    // entered and the operation goes on.
    enum class SetResult { SetAT, Cancelled, SetBinary, FailedBinary, BadNumber };
    // "AT+CSCA=" with the number, or the set frame in binary mode when the
    // phone refuses that. The caller shows the result, then calls finishSet.
    SetResult setCentre(const QString &typed);
    // After a binary set, the break; then the port closed.
    void finishSet(SetResult result);

    // In binary mode: sends the set frame for `centre` and waits, within
    // Timer2 or until an abort, for its answer (a byte, then a frame). True
    // when the answer arrived.
    bool setFrameAnswered(const Pdu::Address &centre);

signals:
    // A read begins; `clear`: the shown centre is emptied first.
    void reading(bool clear);
    void centreShown(const QString &text);
    void readDone();

private:
    bool setCentreBinary(const Pdu::Address &centre);

    PhoneLink &m_link;
    BinaryLink m_binary;
    // " " and the number as the last read showed it, or as the user typed it.
    QString m_shown;
    bool m_read = false;
};
