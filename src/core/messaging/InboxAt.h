// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's message stores on the wire: the commands that select a store,
// list it, read and delete one location, and the replies taken apart. The
// replies come in many shapes from real phones; every parser here takes
// what it can and never loses a message over a header it cannot read.
#include <QByteArray>
#include <QList>
#include <optional>

namespace InboxAt {

enum class Store { Sim, Phone };
// "SM" or "ME".
QByteArray storeName(Store store);

// The status field of a stored message: received unread or read, stored
// unsent or sent. Unknown when the header gives none or one we cannot read.
enum Status { Unread = 0, Read = 1, Unsent = 2, Sent = 3, Unknown = -1 };

// Every command ends with CR LF. Nothing from the phone ever goes into one.
QByteArray pduModeCommand();        // AT+CMGF=0
QByteArray storesCommand();         // AT+CPMS=?
QByteArray selectCommand(Store store); // AT+CPMS="SM"
QByteArray storeQueryCommand();     // AT+CPMS?
QByteArray listCommand();           // AT+CMGL=4, every message
QByteArray readCommand(int location);
QByteArray deleteCommand(int location);

// The stores the phone names in the first list of its AT+CPMS=? answer
// (where it reads from); both when the answer names none.
QList<Store> offeredStores(const QByteArray &reply);

// How many messages the selected store holds and how many fit: the first
// two numbers of "+CPMS: used,total,..." (the answer to a selection) or of
// "+CPMS: "SM",used,total,..." (the answer to the query).
struct Counts {
    int used = 0;
    int total = 0;
};
std::optional<Counts> counts(const QByteArray &reply);

// One stored message as a list or read answer gives it.
struct StoredPdu {
    int location = 0;
    Status status = Unknown;
    int length = -1;  // the header's TPDU length, -1 when it gave none
    QByteArray pdu;   // hex as sent
    friend bool operator==(const StoredPdu &, const StoredPdu &) = default;
};

// Every "+CMGL: index,stat,[alpha],length" line and the PDU line after it.
// A reply cut short keeps the messages whose PDU line was ended.
QList<StoredPdu> parseList(const QByteArray &reply);

// The message in a read answer, nothing for an empty location ("OK" alone).
// Takes "+CMGR: stat,[alpha],length", "+CMGR: stat,length",
// "+CMGR: ,,length", "+CMGR: length" and "+CMGR: index,stat,,length".
std::optional<StoredPdu> parseRead(const QByteArray &reply, int location);

// "+CMS ERROR: 321" (nothing stored there), whatever surrounds it.
bool emptyLocationError(const QByteArray &reply);

} // namespace InboxAt
