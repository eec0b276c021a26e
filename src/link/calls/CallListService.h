// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's call lists read whole, and a number dialled and hung up.
// Each call is one operation: the caller runs it inside an OperationGuard
// and closes the port after it (finish()).
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/calls/CallsAt.h"
#include "link/PhoneLink.h"

class CallListService {
public:
    explicit CallListService(PhoneLink &link) : m_link(link) {}

    // The books the phone offers (AT+CPBS=?), asked on the first use and
    // kept; nothing, with the reason in `why`, when the phone refused. A
    // phone that will not say has its lists read by their usual names.
    std::optional<QStringList> books(QString *why = nullptr);
    // What books() found, without asking.
    const std::optional<QStringList> &knownBooks() const { return m_books; }

    struct Result {
        Exchange::Status status = Exchange::Ok;
        bool offered = true;          // false: the phone has no such list
        QString reason;               // why it failed, in words
        QList<CallsAt::Entry> entries;
        bool ok() const { return status == Exchange::Ok && offered; }
    };
    // Selects the list's book, finds its range (AT+CPBS? counts, else
    // AT+CPBR=?) and reads it in one AT+CPBR=first,last. A read stopped by
    // an abort or the phone's silence keeps the entries that came whole.
    Result read(CallsAt::List list);
    // The same after asking the phone what it offers (CapabilityService),
    // its books taken from there, as the window reads.
    Result readAfterLearning(CallsAt::List list);

    enum class Dialled { Calling, BadNumber, Refused };
    Dialled dial(const QString &typed, QString *why = nullptr);
    // ATH, and AT+CHUP when the phone refuses ATH.
    bool hangUp();

    // The SIM book selected again and the port closed, as after every
    // phonebook transfer.
    void finish();

private:
    PhoneLink &m_link;
    std::optional<QStringList> m_books;
    bool m_booksUnsaid = false; // the phone refused to name its books
    QString refusal(const Exchange &e) const;
};
