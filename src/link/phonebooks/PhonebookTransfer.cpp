// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/phonebooks/PhonebookTransfer.h"

#include "core/phonebooks/PhonebookRange.h"
#include "core/status/StatusAt.h"

#include <algorithm>

namespace {
// Without a stated size, a refusal past the first location marks the end
// of the book. Every book has a location 1: a refusal there is the phone
// refusing the book (no SIM, a PIN not given).
bool pastTheEnd(const PhonebookTransfer::Run &run, int location, Exchange::Status status)
{
    return !run.statedLast && location > 1 && (status == Exchange::Error || status == Exchange::CmeError);
}
} // namespace

PhonebookTransfer::PhonebookTransfer(PhoneLink &link) : m_link(link) {}

PhonebookTransfer::Run &PhonebookTransfer::endEarly(Run &run, int location, Exchange::Status status)
{
    run.status = status;
    run.endedAt = location;
    return run;
}

bool PhonebookTransfer::begin(PhonebookAt::Book book, bool askSize, Run &run)
{
    // Select the book.
    const Exchange selected = m_link.exchange(PhonebookAt::selectCommand(book));
    if (!selected.ok()) {
        endEarly(run, 0, selected.status);
        return false;
    }
    if (m_known) {
        run.range = *std::exchange(m_known, std::nullopt);
    } else if (askSize && !m_link.AbortRequested()) {
        // Ask how many locations it has; a phone that cannot say is no fault.
        const Exchange size = m_link.exchange(PhonebookAt::RangeQuery);
        run.range = PhonebookAt::parseRange(size.answer());
    }
    run.statedLast = run.range ? run.range->last : 0;
    run.limits = PhonebookAt::limitsOf(run.range);
    if (m_link.AbortRequested()) {
        endEarly(run, 0, Exchange::Aborted);
        return false;
    }
    return true;
}

PhonebookTransfer::Run PhonebookTransfer::readBook(PhonebookAt::Book book, const Watch &watch)
{
    Run run;
    if (!begin(book, true, run))
        return run;
    const int last = run.statedLast ? run.statedLast : MaxLocations;
    for (int n = 1; n <= last; ++n) {
        // An abort pressed between two locations.
        if (m_link.AbortRequested())
            return endEarly(run, n, Exchange::Aborted);
        if (watch.asking)
            watch.asking(n, run.statedLast);
        // Read location n.
        Exchange answer = m_link.exchange(PhonebookAt::readCommand(n));
        // Inside a stated range, "+CME ERROR: 255" is how some phones say
        // the location is empty.
        if (run.statedLast && answer.status == Exchange::CmeError && StatusAt::cmeCode(answer.reply) == 255)
            answer = {Exchange::Ok, {}};
        if (pastTheEnd(run, n, answer.status))
            return run;
        Location at{n, answer.status, {}};
        if (answer.ok())
            at.entry = PhonebookAt::parseRead(answer.reply).value_or(PhonebookEntry());
        run.locations.append(at);
        if (watch.done)
            watch.done(at);
        if (!answer.ok())
            return endEarly(run, n, answer.status);
    }
    return run;
}

PhonebookTransfer::Run PhonebookTransfer::range(PhonebookAt::Book book)
{
    Run run;
    m_known.reset();
    if (begin(book, true, run))
        m_known = run.range;
    return run;
}

PhonebookTransfer::Run PhonebookTransfer::writeBook(PhonebookAt::Book book, int rows, const Planned &planned,
                                                    bool toBookEnd, const Watch &watch)
{
    Run run;
    // An update with nothing to write asks the phone nothing either.
    bool any = toBookEnd;
    for (int r = 1; r <= rows && !any; ++r)
        any = planned(r).has_value();
    if (!begin(book, any, run))
        return run;
    int last = toBookEnd ? qMax(rows, run.statedLast ? run.statedLast : MaxLocations) : rows;
    if (run.statedLast) {
        last = toBookEnd ? run.statedLast : qMin(rows, run.statedLast);
        for (int r = last + 1; r <= rows; ++r)
            if (const auto entry = planned(r); entry && *entry != PhonebookEntry())
                run.pastEnd << r;
    }
    for (int r = 1; r <= last; ++r) {
        if (m_link.AbortRequested())
            return endEarly(run, r, Exchange::Aborted);
        const std::optional<PhonebookEntry> wanted = planned(r);
        if (!wanted)
            continue;
        const PhonebookAt::Fitted fit = PhonebookAt::fitted(*wanted, run.limits);
        if (!fit.entry) {
            run.tooLong << r;
            continue;
        }
        if (fit.nameCut)
            run.namesCut << r;
        const PhonebookEntry *entry = &*fit.entry;
        if (watch.asking)
            watch.asking(r, last);
        // Write location r.
        const Exchange::Status status = m_link.exchange(PhonebookAt::writeCommand(r, *entry)).status;
        if (toBookEnd && r > rows && pastTheEnd(run, r, status))
            return run;
        const Location at{r, status, *entry};
        run.locations.append(at);
        if (watch.done)
            watch.done(at);
        if (status == Exchange::Aborted || status == Exchange::PortFailed)
            return endEarly(run, r, status);
    }
    return run;
}

void PhonebookTransfer::finish()
{
    m_known.reset();
    if (m_link.connected()) {
        // After an abort the rest of the abandoned reply may still be
        // waiting; its "OK" must not pass for the answer to the selection.
        m_link.purgeInput();
        const PhoneLink::PuttingBack after(m_link);
        m_link.exchange(PhonebookAt::selectCommand(PhonebookAt::Book::Sim));
    }
    m_link.closePort();
}

namespace {
// The locations written whose exchange ended as one of `statuses`.
QList<int> endedAs(const PhonebookTransfer::Run &run, std::initializer_list<Exchange::Status> statuses)
{
    QList<int> out;
    for (const PhonebookTransfer::Location &at : run.locations)
        if (std::find(statuses.begin(), statuses.end(), at.status) != statuses.end())
            out << at.location;
    return out;
}
QList<int> refused(const PhonebookTransfer::Run &run)
{
    return endedAs(run, {Exchange::Error, Exchange::CmeError});
}
QList<int> unanswered(const PhonebookTransfer::Run &run)
{
    return endedAs(run, {Exchange::Timeout});
}
} // namespace

QStringList PhonebookTransfer::writeSummary(const Run &run)
{
    using PhonebookAt::locationList;
    QStringList lines;
    if (!run.namesCut.isEmpty())
        lines << QStringLiteral("Names cut to the book's %1 characters: location %2.")
                     .arg(run.limits.name)
                     .arg(locationList(run.namesCut));
    if (!run.tooLong.isEmpty())
        lines << QStringLiteral("Not written, the number longer than the book's %1 digits: location %2.")
                     .arg(run.limits.number)
                     .arg(locationList(run.tooLong));
    if (!run.pastEnd.isEmpty())
        lines << QStringLiteral("Not written, past the book's last location %1: location %2.")
                     .arg(run.statedLast)
                     .arg(locationList(run.pastEnd));
    if (const QList<int> no = refused(run); !no.isEmpty())
        lines << QStringLiteral("Refused by the phone: location %1.").arg(locationList(no));
    if (const QList<int> silent = unanswered(run); !silent.isEmpty())
        lines << QStringLiteral("No answer from the phone: location %1.").arg(locationList(silent));
    return lines;
}

bool PhonebookTransfer::lostEntries(const Run &run)
{
    return !run.tooLong.isEmpty() || !run.pastEnd.isEmpty() || !refused(run).isEmpty() || !unanswered(run).isEmpty();
}
