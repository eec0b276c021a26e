// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/info/CapabilityService.h"

#include <functional>

#include "core/phonebooks/PhonebookAt.h"
#include "core/status/StatusAt.h"
#include "link/PhoneLink.h"

using Outcome = CapabilityService::Outcome;

namespace {
// How one question ended: answered, refused (the phone will not say, which
// leaves that part unknown), refused for a locked SIM, or not answered at all.
enum class Answered { Said, Refused, Locked, Stopped };

Answered capabilityAnswer(const PhoneLink &link, const Exchange &e)
{
    if (link.AbortRequested())
        return Answered::Stopped;
    switch (e.status) {
    case Exchange::Ok: return Answered::Said;
    case Exchange::Error: return Answered::Refused;
    case Exchange::CmeError:
        return StatusAt::lockIn(e.reply) == StatusAt::Lock::None ? Answered::Refused : Answered::Locked;
    default: return Answered::Stopped;
    }
}
} // namespace

CapabilityService &CapabilityService::of(PhoneLink &link)
{
    if (auto *known = link.findChild<CapabilityService *>(QString(), Qt::FindDirectChildrenOnly))
        return *known;
    return *new CapabilityService(link);
}

CapabilityService::CapabilityService(PhoneLink &link) : QObject(&link), m_link(link) {}

const PhoneCapabilities *CapabilityService::current() const
{
    if (!m_current)
        return nullptr;
    const auto it = m_seen.constFind(*m_current);
    return it == m_seen.cend() ? nullptr : &*it;
}

Outcome CapabilityService::learn()
{
    const Exchange id = m_link.exchange(CapabilityAt::IdentityQuery);
    if (capabilityAnswer(m_link, id) == Answered::Stopped)
        return Outcome::Stopped;
    // A phone that gives no serial number is kept under none: the next such
    // phone is taken for it.
    const QByteArray imei = id.ok() ? CapabilityAt::parseIdentity(id.reply).value_or(QByteArray()) : QByteArray();
    Outcome outcome = Outcome::Known;
    if (!m_seen.contains(imei) || m_askAgain.contains(imei)) {
        PhoneCapabilities caps;
        caps.imei = imei;
        outcome = ask(caps);
        if (outcome == Outcome::Stopped)
            return outcome;
        m_seen.insert(imei, caps);
        m_askAgain.removeAll(imei);
        if (outcome == Outcome::Locked)
            m_askAgain << imei;
    }
    m_current = imei;
    emit changed();
    return outcome;
}

Outcome CapabilityService::ask(PhoneCapabilities &caps)
{
    // Each question in turn; a locked SIM ends them, as every later one
    // would be refused for it (and the PIN asked again).
    const auto question = [this](const char *command, auto parse, auto &into) {
        const Exchange e = m_link.exchange(command);
        const Answered answered = capabilityAnswer(m_link, e);
        if (answered == Answered::Said)
            into = parse(e.reply);
        return answered;
    };
    const std::function<Answered()> questions[] = {
        [&] { return question(CapabilityAt::BooksQuery, CapabilityAt::parseBooks, caps.books); },
        [&] { return question(CapabilityAt::StoresQuery, CapabilityAt::parseStores, caps.stores); },
        [&] { return question(CapabilityAt::CharsetsQuery, CapabilityAt::parseCharsets, caps.charsets); },
        [&] { return question(CapabilityAt::FormatsQuery, CapabilityAt::parseFormats, caps.formats); },
    };
    for (const auto &asked : questions) {
        switch (asked()) {
        case Answered::Stopped: return Outcome::Stopped;
        case Answered::Locked: return Outcome::Locked;
        default: break;
        }
    }
    return askSizes(caps);
}

Outcome CapabilityService::askSizes(PhoneCapabilities &caps)
{
    if (!caps.books)
        return Outcome::Known;
    Outcome outcome = Outcome::Known;
    bool selected = false;
    for (const QString &book : *caps.books) {
        const Answered chosen = capabilityAnswer(m_link, m_link.exchange(PhonebookAt::selectCommand(book.toLatin1())));
        if (chosen == Answered::Stopped)
            return Outcome::Stopped;
        if (chosen == Answered::Locked)
            outcome = Outcome::Locked;
        if (chosen != Answered::Said)
            continue;
        selected = true;
        const Exchange size = m_link.exchange(PhonebookAt::RangeQuery);
        switch (capabilityAnswer(m_link, size)) {
        case Answered::Stopped: return Outcome::Stopped;
        case Answered::Locked: outcome = Outcome::Locked; break;
        case Answered::Refused: break;
        case Answered::Said:
            if (const auto range = PhonebookAt::parseRange(size.reply))
                caps.bookSizes.insert(book, *range);
            break;
        }
    }
    // The SIM book selected again, as every phonebook operation leaves it.
    if (selected && caps.book(QStringLiteral("SM")) == Offer::Yes
        && capabilityAnswer(m_link, m_link.exchange(PhonebookAt::selectCommand(PhonebookAt::Book::Sim))) == Answered::Stopped)
        return Outcome::Stopped;
    return outcome;
}
