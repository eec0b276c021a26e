// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/SimLock.h"

#include <QHash>

namespace SimLock {

namespace {
struct Entry {
    Handler handler;
    bool busy = false;
};
// One a link; the window and mirvak-cli each have one link.
QHash<const PhoneLink *, Entry> &entries()
{
    static QHash<const PhoneLink *, Entry> all;
    return all;
}
} // namespace

void setHandler(const PhoneLink &link, Handler handler)
{
    if (handler)
        entries()[&link].handler = std::move(handler);
    else
        entries().remove(&link);
}

Unlocking::Unlocking(PhoneLink &link) : m_link(link)
{
    const auto it = entries().find(&link);
    if (it == entries().end() || it->busy || !it->handler)
        return;
    it->busy = true;
    m_held = true;
}

Unlocking::~Unlocking()
{
    if (!m_held)
        return;
    if (const auto it = entries().find(&m_link); it != entries().end())
        it->busy = false;
}

Exchange Unlocking::afterRefusal(const QByteArray &command, Wait wait, const Exchange &refused)
{
    // A refusal that names the locked SIM, or the phone's own state asked
    // (AT+CPIN?) answering that it waits for its PIN or PUK.
    const bool stateAsked = refused.ok() && command.startsWith("AT+CPIN?");
    if (refused.status != Exchange::CmeError && !stateAsked)
        return refused;
    StatusAt::Lock lock = StatusAt::lockIn(refused.reply);
    QString note;
    while (lock != StatusAt::Lock::None) {
        // A copy: the handler may take itself away.
        const Handler handler = entries().value(&m_link).handler;
        const std::optional<QByteArray> code = handler ? handler(lock, note) : std::nullopt;
        if (!code || m_link.AbortRequested())
            return refused;
        const Exchange entered = m_link.exchange(*code);
        if (entered.ok())
            return m_link.exchange(command, wait);
        if (entered.status != Exchange::CmeError && entered.status != Exchange::Error)
            return entered;
        // What the SIM waits for now (three wrong PINs ask for the PUK),
        // and how many tries are left, when the phone says.
        const Exchange state = m_link.exchange("AT+CPIN?\r\n");
        const StatusAt::Lock now = StatusAt::lockIn(state.answer());
        if (state.ok() && now == StatusAt::Lock::None)
            return m_link.exchange(command, wait);
        if (now != StatusAt::Lock::None)
            lock = now;
        const bool pukGiven = code->contains("\",\"");
        const Exchange left = m_link.exchange("AT+CPINR\r\n");
        const std::optional<int> tries =
            StatusAt::parseTriesLeft(left.answer(), lock == StatusAt::Lock::Puk ? "SIM PUK" : "SIM PIN");
        note = pukGiven ? QStringLiteral("Wrong PUK.") : QStringLiteral("Wrong PIN.");
        if (tries)
            note += QStringLiteral(" %1 %2 left.").arg(*tries).arg(*tries == 1 ? QStringLiteral("try")
                                                                               : QStringLiteral("tries"));
        if (m_link.AbortRequested() || !m_link.connected())
            return refused;
    }
    return refused;
}

} // namespace SimLock
