// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/messaging/InboxService.h"

#include "link/PhoneLink.h"

using InboxAt::Store;

namespace {
// A store reports its size; one that gives none is read this far.
constexpr int DefaultLocations = 255;
// No store is larger; a reply claiming more is not believed.
constexpr int MostLocations = 1000;

bool refused(const Exchange &answer)
{
    return answer.status == Exchange::Error || answer.status == Exchange::CmeError;
}
} // namespace

InboxService::InboxService(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link) {}

bool InboxService::stopped(const Exchange &answer, QString *why) const
{
    if (m_link.AbortRequested() || answer.status == Exchange::Aborted) {
        why->clear();
        return true;
    }
    switch (answer.status) {
    case Exchange::Ok:
    case Exchange::Error:
    case Exchange::CmeError:
        return false;
    case Exchange::Timeout:
        *why = QStringLiteral("The phone did not answer.");
        return true;
    default:
        // The port's failure has been shown already.
        *why = QStringLiteral("The port could not be used.");
        return true;
    }
}

// What one read carries from store to store.
struct InboxService::Run {
    ReadResult &result;
    bool listWorks = true; // until the phone refuses AT+CMGL once
    int found = 0;
    int total = 0;
};

bool InboxService::giveUp(const Exchange &answer, ReadResult &r) const
{
    if (!stopped(answer, &r.error))
        return false;
    r.aborted = m_link.AbortRequested() || answer.status == Exchange::Aborted;
    return true;
}

void InboxService::read(Choice choice, ReadResult &r)
{
    r = {};
    if (!pduMode(r))
        return;
    const std::optional<QList<Store>> stores = storesToRead(choice, r);
    if (!stores)
        return;
    Run run{r};
    for (const Store store : *stores)
        if (!readStore(store, choice == Choice::Both, run))
            return;
    r.complete = true;
}

bool InboxService::pduMode(ReadResult &r)
{
    // Switch to PDU mode.
    const Exchange mode = m_link.exchange(InboxAt::pduModeCommand());
    if (giveUp(mode, r))
        return false;
    if (!mode.ok())
        r.error = QStringLiteral("The phone refused PDU mode (AT+CMGF=0).");
    return mode.ok();
}

std::optional<QList<Store>> InboxService::storesToRead(Choice choice, ReadResult &r)
{
    if (choice != Choice::Both)
        return QList<Store>{choice == Choice::Phone ? Store::Phone : Store::Sim};
    // Ask which stores the phone has.
    const Exchange offer = m_link.exchange(InboxAt::storesCommand());
    if (giveUp(offer, r))
        return std::nullopt;
    const QList<Store> stores = offer.ok() ? InboxAt::offeredStores(offer.reply) : QList<Store>{Store::Sim, Store::Phone};
    for (const Store store : {Store::Sim, Store::Phone})
        if (!stores.contains(store))
            r.missing << store;
    return stores;
}

InboxService::Selected InboxService::select(Store store, ReadResult &r, std::optional<InboxAt::Counts> &counts)
{
    // Select the store.
    const Exchange select = m_link.exchange(InboxAt::selectCommand(store));
    if (giveUp(select, r))
        return Selected::Stopped;
    if (!select.ok())
        return Selected::Refused;
    counts = InboxAt::counts(select.reply);
    if (!counts) {
        // Ask how full it is.
        const Exchange query = m_link.exchange(InboxAt::storeQueryCommand());
        if (giveUp(query, r))
            return Selected::Stopped;
        counts = InboxAt::counts(query.reply);
    }
    if (counts && counts->total > 0)
        r.sizes.insert(store, counts->total);
    return Selected::Ok;
}

bool InboxService::readStore(Store store, bool anyStore, Run &run)
{
    ReadResult &r = run.result;
    std::optional<InboxAt::Counts> counts;
    switch (select(store, r, counts)) {
    case Selected::Stopped:
        return false;
    case Selected::Refused:
        // "Both" takes the stores the phone has; one asked for by name must be there.
        if (!anyStore)
            r.error = QStringLiteral("The phone refused the %1 store.").arg(Inbox::storeText(store));
        else if (!r.missing.contains(store))
            r.missing << store;
        return anyStore;
    case Selected::Ok:
        break;
    }
    const int used = counts ? counts->used : -1;
    if (used == 0)
        return true;
    run.total += qMax(used, 0);
    emit progress(run.found, run.total);

    if (run.listWorks) {
        switch (listStore(store, run)) {
        case Listed::Whole:
            return true;
        case Listed::Stopped:
            return false;
        case Listed::Refused:
            run.listWorks = false;
            break;
        }
    }
    const int size = counts && counts->total > 0 ? qMin(counts->total, MostLocations) : DefaultLocations;
    return readLocations(store, size, used, run);
}

void InboxService::readOne(Store store, int location, ReadResult &r)
{
    r = {};
    if (!pduMode(r))
        return;
    std::optional<InboxAt::Counts> counts;
    switch (select(store, r, counts)) {
    case Selected::Stopped:
        return;
    case Selected::Refused:
        r.error = QStringLiteral("The phone refused the %1 store.").arg(Inbox::storeText(store));
        return;
    case Selected::Ok:
        break;
    }
    if (location > r.sizes.value(store, MostLocations)) {
        r.complete = true;
        return;
    }
    // Read the location.
    const Exchange answer = m_link.exchange(InboxAt::readCommand(location));
    if (giveUp(answer, r))
        return;
    if (const auto p = InboxAt::parseRead(answer.reply, location))
        r.parts << inboxPart(store, *p);
    // "OK" alone or "+CMS ERROR: 321": nothing there. Another refusal is no answer.
    r.complete = answer.ok() || InboxAt::emptyLocationError(answer.reply);
    if (!r.complete)
        r.error = QStringLiteral("The phone refused to read location %1.").arg(location);
}

InboxService::Listed InboxService::listStore(Store store, Run &run)
{
    // List the whole store.
    const Exchange list = m_link.exchange(InboxAt::listCommand());
    // A list cut short keeps the messages that came whole.
    for (const InboxAt::StoredPdu &p : InboxAt::parseList(list.reply))
        run.result.parts << inboxPart(store, p);
    run.found = int(run.result.parts.size());
    emit progress(run.found, qMax(run.total, run.found));
    if (giveUp(list, run.result))
        return Listed::Stopped;
    return list.ok() || InboxAt::emptyLocationError(list.reply) ? Listed::Whole : Listed::Refused;
}

bool InboxService::readLocations(Store store, int size, int used, Run &run)
{
    int inStore = 0;
    for (int n = 1; n <= size && (used < 0 || inStore < used); ++n) {
        // Read one location.
        const Exchange answer = m_link.exchange(InboxAt::readCommand(n));
        if (giveUp(answer, run.result))
            return false;
        // "OK" alone, "+CMS ERROR: 321" or a refusal: nothing there.
        if (refused(answer))
            continue;
        if (const auto p = InboxAt::parseRead(answer.reply, n)) {
            run.result.parts << inboxPart(store, *p);
            ++inStore;
            ++run.found;
            emit progress(run.found, qMax(run.total, run.found));
        }
    }
    return true;
}

InboxService::DeleteResult InboxService::remove(const QList<Location> &locations, bool withinSize)
{
    DeleteResult r;
    QList<Location> left = locations;
    for (const Store store : {Store::Sim, Store::Phone}) {
        QList<int> here;
        for (const Location &l : locations)
            if (l.store == store)
                here << l.location;
        if (here.isEmpty())
            continue;
        const Exchange select = m_link.exchange(InboxAt::selectCommand(store));
        if (stopped(select, &r.error))
            break;
        const auto counts = InboxAt::counts(select.reply);
        const qsizetype outBefore = r.outOfRange.size();
        if (counts && counts->total > 0) {
            r.sizes.insert(store, counts->total);
            for (int n : here)
                if (withinSize && n > counts->total)
                    r.outOfRange << Location{store, n};
        }
        const bool beyond = r.outOfRange.size() > outBefore;
        if (!select.ok() || beyond) {
            for (int n : here) {
                r.refused << Location{store, n};
                left.removeOne(Location{store, n});
            }
            continue;
        }
        for (int n : here) {
            const Exchange answer = m_link.exchange(InboxAt::deleteCommand(n));
            // Whether the phone deleted it before it fell silent is unknown:
            // it stays in the list.
            if (stopped(answer, &r.error)) {
                r.refused << left;
                return r;
            }
            (answer.ok() ? r.deleted : r.refused) << Location{store, n};
            left.removeOne(Location{store, n});
        }
    }
    r.refused << left;
    return r;
}

void InboxService::finish()
{
    if (m_link.connected())
        m_link.purgeInput();
    m_link.closePort();
}
