// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/info/GsmInfo.h"

#include "link/PhoneLink.h"

namespace {
std::optional<QByteArray> afterEcho(const QByteArray &reply)
{
    return Reply::textAfterEcho(reply);
}
} // namespace

std::optional<QByteArray> GsmInfo::textItem(const char *command, Extract extract)
{
    const Exchange e = m_link.exchange(command);
    if (!e.ok())
        return std::nullopt;
    return extract(e.reply);
}

std::optional<QByteArray> GsmInfo::network()
{
    return textItem("AT+COPS?\r\n", &Reply::network);
}

std::optional<QByteArray> GsmInfo::model()
{
    return textItem("AT+CGMM\r\n", &afterEcho);
}

std::optional<QByteArray> GsmInfo::software()
{
    return textItem("AT+CGMR\r\n", &afterEcho);
}

std::optional<QByteArray> GsmInfo::imei()
{
    return textItem("AT+CGSN\r\n", &Reply::imei);
}

std::optional<QByteArray> GsmInfo::make()
{
    return textItem("AT+CGMI\r\n", &afterEcho);
}

std::optional<Reply::Battery> GsmInfo::battery()
{
    const Exchange e = m_link.exchange("AT+CBC\r\n");
    if (!e.ok() || !e.reply.contains(','))
        return std::nullopt;
    return Reply::battery(e.reply);
}

std::optional<Reply::SignalLevel> GsmInfo::signal()
{
    const Exchange e = m_link.exchange("AT+CIND?\r\n");
    if (!e.ok() || !e.reply.contains(','))
        return std::nullopt;
    return Reply::signal(e.reply);
}
