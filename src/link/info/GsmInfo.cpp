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
    m_link.setCommandText(command);
    m_link.SendCommand();
    if (m_link.ReplyText().isEmpty() || m_link.AbortRequested())
        return std::nullopt;
    return extract(m_link.ReplyText());
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
    m_link.setCommandText("AT+CBC\r\n");
    m_link.SendCommand();
    const QByteArray &reply = m_link.ReplyText();
    if (reply.isEmpty() || m_link.AbortRequested() || !reply.contains(','))
        return std::nullopt;
    return Reply::battery(reply);
}

std::optional<Reply::SignalLevel> GsmInfo::signal()
{
    m_link.setCommandText("AT+CIND?\r\n");
    m_link.SendCommand();
    const QByteArray &reply = m_link.ReplyText();
    if (reply.isEmpty() || !reply.contains(','))
        return std::nullopt;
    return Reply::signal(reply);
}
