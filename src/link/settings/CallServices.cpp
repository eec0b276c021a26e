#include "link/settings/CallServices.h"

#include "core/at/Charset.h"

Exchange CallServices::send(const QByteArray &command)
{
    return m_link.exchange(command, Wait::Network);
}

CallForward::Status CallServices::queryForwarding(CallForward::Service service, CallForward::Reason reason)
{
    const Exchange e = send(CallForward::queryCommand(service, reason));
    return CallForward::readStatus(e.ok() ? e.reply : QByteArray(), service, m_link.AbortRequested());
}

Exchange::Status CallServices::setForwarding(CallForward::Service service, CallForward::Reason reason,
                                             const QString &typed)
{
    return send(CallForward::setCommand(service, reason, toPhoneText(typed))).status;
}

Exchange::Status CallServices::cancelForwarding(CallForward::Service service, CallForward::Reason reason)
{
    return send(CallForward::cancelCommand(service, reason)).status;
}

CallWaiting::State CallServices::queryWaiting()
{
    const Exchange e = send(CallWaiting::command(CallWaiting::Mode::Query));
    return CallWaiting::readState(e.ok() ? e.reply : QByteArray(), m_link.AbortRequested());
}

Exchange::Status CallServices::switchWaiting(bool on)
{
    return send(CallWaiting::command(on ? CallWaiting::Mode::Enable : CallWaiting::Mode::Disable)).status;
}
