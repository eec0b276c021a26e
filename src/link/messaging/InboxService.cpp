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

void InboxService::read(Choice choice, ReadResult &r)
{
    r = {};
    auto giveUp = [&](const Exchange &answer) {
        if (stopped(answer, &r.error)) {
            r.aborted = m_link.AbortRequested() || answer.status == Exchange::Aborted;
            return true;
        }
        return false;
    };

    const Exchange mode = m_link.exchange(InboxAt::pduModeCommand());
    if (giveUp(mode))
        return;
    if (!mode.ok()) {
        r.error = QStringLiteral("The phone refused PDU mode (AT+CMGF=0).");
        return;
    }

    QList<Store> stores;
    if (choice == Choice::Both) {
        const Exchange offer = m_link.exchange(InboxAt::storesCommand());
        if (giveUp(offer))
            return;
        stores = offer.ok() ? InboxAt::offeredStores(offer.reply) : QList<Store>{Store::Sim, Store::Phone};
    } else {
        stores = {choice == Choice::Phone ? Store::Phone : Store::Sim};
    }

    bool listWorks = true;
    int found = 0, total = 0;
    for (const Store store : stores) {
        const Exchange select = m_link.exchange(InboxAt::selectCommand(store));
        if (giveUp(select))
            return;
        if (!select.ok()) {
            // "Both" takes the stores the phone has; one asked for by name must be there.
            if (choice == Choice::Both)
                continue;
            r.error = QStringLiteral("The phone refused the %1 store.").arg(Inbox::storeText(store));
            return;
        }
        std::optional<InboxAt::Counts> counts = InboxAt::counts(select.reply);
        if (!counts) {
            const Exchange query = m_link.exchange(InboxAt::storeQueryCommand());
            if (giveUp(query))
                return;
            counts = InboxAt::counts(query.reply);
        }
        const int used = counts ? counts->used : -1;
        const int size = counts && counts->total > 0 ? qMin(counts->total, MostLocations) : DefaultLocations;
        if (used == 0)
            continue;
        total += qMax(used, 0);
        emit progress(found, total);

        if (listWorks) {
            const Exchange list = m_link.exchange(InboxAt::listCommand());
            // A list cut short keeps the messages that came whole.
            for (const InboxAt::StoredPdu &p : InboxAt::parseList(list.reply))
                r.parts << inboxPart(store, p);
            found = int(r.parts.size());
            emit progress(found, qMax(total, found));
            if (giveUp(list))
                return;
            if (list.ok() || InboxAt::emptyLocationError(list.reply))
                continue;
            listWorks = false;
        }

        int inStore = 0;
        for (int n = 1; n <= size && (used < 0 || inStore < used); ++n) {
            const Exchange answer = m_link.exchange(InboxAt::readCommand(n));
            if (giveUp(answer))
                return;
            // "OK" alone, "+CMS ERROR: 321" or a refusal: nothing there.
            if (refused(answer))
                continue;
            if (const auto p = InboxAt::parseRead(answer.reply, n)) {
                r.parts << inboxPart(store, *p);
                ++inStore;
                emit progress(++found, qMax(total, found));
            }
        }
    }
    r.complete = true;
}

InboxService::DeleteResult InboxService::remove(const QList<Location> &locations)
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
        if (!select.ok()) {
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
