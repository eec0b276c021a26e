// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/calls/CallListService.h"

#include "core/capabilities/PhoneCapabilities.h"
#include "core/phonebooks/PhonebookAt.h"
#include "core/phonebooks/PhonebookRange.h"
#include "core/status/StatusAt.h"
#include "link/info/CapabilityService.h"
#include "link/phonebooks/PhonebookTransfer.h"

QString CallListService::refusal(const Exchange &e) const
{
    if (const auto code = StatusAt::cmeCode(e.reply))
        return QStringLiteral("the phone refused: %1").arg(StatusAt::cmeText(*code));
    switch (e.status) {
    case Exchange::Timeout: return QStringLiteral("the phone did not answer");
    case Exchange::Aborted: return QStringLiteral("aborted");
    case Exchange::PortFailed: return QStringLiteral("the port failed");
    default: break;
    }
    return QStringLiteral("the phone refused");
}

std::optional<QStringList> CallListService::books(QString *why)
{
    if (m_books || m_booksUnsaid)
        return m_books;
    const Exchange e = m_link.exchange(CapabilityAt::BooksQuery);
    if (!e.ok()) {
        if (why)
            *why = refusal(e);
        m_booksUnsaid = e.status == Exchange::Error
                        || (e.status == Exchange::CmeError && StatusAt::lockIn(e.reply) == StatusAt::Lock::None);
        return std::nullopt;
    }
    m_books = CallsAt::parseBooks(e.reply);
    return m_books;
}

CallListService::Result CallListService::read(CallsAt::List list)
{
    Result r;
    auto failed = [&](const Exchange &e) {
        r.status = e.status == Exchange::Ok ? Exchange::Error : e.status;
        r.reason = refusal(e);
        return r;
    };
    const std::optional<QStringList> offered = books(&r.reason);
    if (!offered && !m_booksUnsaid) {
        r.status = m_link.lastStatus() == Exchange::Ok ? Exchange::Error : m_link.lastStatus();
        return r;
    }
    r.reason.clear();
    static const QStringList usualBooks{QStringLiteral("DC"), QStringLiteral("MC"), QStringLiteral("RC"),
                                        QStringLiteral("ON"), QStringLiteral("FD"), QStringLiteral("EN")};
    const std::optional<QByteArray> book = CallsAt::bookFor(list, offered.value_or(usualBooks));
    if (!book) {
        r.offered = false;
        r.reason = QStringLiteral("the phone has no %1 list").arg(CallsAt::caption(list).toLower());
        return r;
    }
    if (const Exchange e = m_link.exchange(PhonebookAt::selectCommand(*book)); !e.ok())
        return failed(e);
    int first = 1, last = 0;
    if (const Exchange e = m_link.exchange("AT+CPBS?\r\n"); e.ok()) {
        if (const auto counts = CallsAt::parseSelected(e.reply)) {
            if (counts->used == 0)
                return r;
            last = counts->total;
        }
    }
    // Some phones name the book without its counts: the range tells.
    if (last < 1) {
        const Exchange e = m_link.exchange(PhonebookAt::RangeQuery);
        const auto range = PhonebookAt::parseRange(e.answer());
        if (!range)
            return failed(e);
        first = range->first;
        last = range->last;
    }
    const Exchange e = m_link.exchange(CallsAt::readCommand(first, last));
    // "+CME ERROR: 255" is how some phones say the list is empty.
    if (e.status == Exchange::CmeError && StatusAt::cmeCode(e.reply) == 255)
        return r;
    if (e.status == Exchange::Aborted || e.status == Exchange::Timeout) {
        // What came before the stop, up to the last whole line.
        r.entries = CallsAt::parseEntries(e.reply.left(e.reply.lastIndexOf('\n') + 1));
        return failed(e);
    }
    if (!e.ok())
        return failed(e);
    r.entries = CallsAt::parseEntries(e.reply);
    return r;
}

CallListService::Result CallListService::readAfterLearning(CallsAt::List list)
{
    CapabilityService &capabilities = CapabilityService::of(m_link);
    switch (capabilities.learn()) {
    case CapabilityService::Outcome::Known:
        break;
    case CapabilityService::Outcome::Locked: {
        Result r;
        r.status = Exchange::CmeError;
        r.reason = QStringLiteral("the SIM waits for its PIN");
        return r;
    }
    case CapabilityService::Outcome::Stopped: {
        Result r;
        r.status = m_link.AbortRequested() ? Exchange::Aborted : m_link.lastStatus();
        if (r.status == Exchange::Ok)
            r.status = Exchange::Error;
        r.reason = refusal(Exchange{r.status, {}});
        return r;
    }
    }
    m_books = capabilities.current()->books;
    m_booksUnsaid = !m_books;
    return read(list);
}

CallListService::Dialled CallListService::dial(const QString &typed, QString *why)
{
    const std::optional<QByteArray> number = CallsAt::dialNumber(typed);
    if (!number) {
        if (why)
            *why = QStringLiteral("\"%1\" is no number to dial: only +, digits, *, #, p and w").arg(typed);
        return Dialled::BadNumber;
    }
    const Exchange e = m_link.exchange(CallsAt::dialCommand(*number), Wait::Network);
    if (!e.ok()) {
        if (why)
            *why = refusal(e);
        return Dialled::Refused;
    }
    return Dialled::Calling;
}

bool CallListService::hangUp()
{
    if (m_link.exchange(CallsAt::HangUp).ok())
        return true;
    if (m_link.AbortRequested() || !m_link.connected())
        return false;
    return m_link.exchange(CallsAt::HangUpAlt).ok();
}

void CallListService::finish()
{
    PhonebookTransfer(m_link).finish();
}
