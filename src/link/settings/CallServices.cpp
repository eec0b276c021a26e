// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/settings/CallServices.h"

#include "core/at/Charset.h"

CallForward::Status CallServices::queryForwarding(CallForward::Service service, CallForward::Reason reason)
{
    const Exchange e = m_link.exchange(CallForward::queryCommand(service, reason), Wait::Network);
    return CallForward::readStatus(e.answer(), service, m_link.AbortRequested());
}

Exchange::Status CallServices::setForwarding(CallForward::Service service, CallForward::Reason reason,
                                             const QString &typed)
{
    return m_link.exchange(CallForward::setCommand(service, reason, toPhoneText(typed)), Wait::Network).status;
}

Exchange::Status CallServices::cancelForwarding(CallForward::Service service, CallForward::Reason reason)
{
    return m_link.exchange(CallForward::cancelCommand(service, reason), Wait::Network).status;
}

CallWaiting::State CallServices::queryWaiting()
{
    const Exchange e = m_link.exchange(CallWaiting::command(CallWaiting::Mode::Query), Wait::Network);
    return CallWaiting::readState(e.answer(), m_link.AbortRequested());
}

Exchange::Status CallServices::switchWaiting(bool on)
{
    const auto mode = on ? CallWaiting::Mode::Enable : CallWaiting::Mode::Disable;
    return m_link.exchange(CallWaiting::command(mode), Wait::Network).status;
}
