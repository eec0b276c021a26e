// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/info/PhoneStatus.h"

#include "core/status/StatusAt.h"
#include "link/PhoneLink.h"

namespace {
QString refusal(const Exchange &e)
{
    if (const auto code = StatusAt::cmeCode(e.reply))
        return QStringLiteral("refused: %1").arg(StatusAt::cmeText(*code));
    switch (e.status) {
    case Exchange::Ok: return QStringLiteral("no usable answer");
    case Exchange::Timeout: return QStringLiteral("no answer");
    case Exchange::Aborted: return QStringLiteral("aborted");
    case Exchange::PortFailed: return QStringLiteral("port failed");
    default: break;
    }
    return QStringLiteral("refused");
}
} // namespace

StatusItem PhoneStatus::signal()
{
    StatusItem item{QStringLiteral("signal"), {}, {}};
    const Exchange e = m_link.exchange("AT+CSQ\r\n");
    if (const auto s = StatusAt::parseCsq(e.answer())) {
        item.value = StatusAt::signalText(*s);
        item.level = s->bars;
    } else {
        item.reason = refusal(e);
    }
    return item;
}

StatusItem PhoneStatus::battery()
{
    StatusItem item{QStringLiteral("battery"), {}, {}};
    const Exchange cbc = m_link.exchange("AT+CBC\r\n");
    std::optional<int> level = StatusAt::parseCbc(cbc.answer());
    if (!level && !m_link.AbortRequested() && cbc.status != Exchange::Timeout) {
        // Phones without AT+CBC show the charge among their indicators.
        const Exchange cind = m_link.exchange("AT+CIND?\r\n");
        level = StatusAt::parseCindBattery(cind.answer());
        if (!level)
            item.reason = refusal(cind);
    } else if (!level) {
        item.reason = refusal(cbc);
    }
    if (level) {
        item.value = QStringLiteral("%1 %").arg(*level);
        item.level = *level;
    }
    return item;
}

StatusItem PhoneStatus::network()
{
    StatusItem item{QStringLiteral("operator"), {}, {}};
    const Exchange e = m_link.exchange("AT+COPS?\r\n");
    if (const auto name = StatusAt::parseCops(e.answer()))
        item.value = QString::fromLatin1(*name);
    else
        item.reason = e.ok() ? QStringLiteral("no network") : refusal(e);
    return item;
}

StatusItem PhoneStatus::registration()
{
    StatusItem item{QStringLiteral("registration"), {}, {}};
    const Exchange e = m_link.exchange("AT+CREG?\r\n");
    if (const auto r = StatusAt::parseCreg(e.answer()))
        item.value = StatusAt::registrationText(*r);
    else
        item.reason = refusal(e);
    return item;
}

StatusItem PhoneStatus::pin()
{
    StatusItem item{QStringLiteral("pin"), {}, {}};
    const Exchange e = m_link.exchange("AT+CPIN?\r\n");
    if (const auto word = StatusAt::parseCpin(e.answer()))
        item.value = QString::fromLatin1(*word);
    else
        item.reason = refusal(e);
    return item;
}

QList<StatusItem> PhoneStatus::all(const std::function<bool(const QList<StatusItem> &done)> &stop)
{
    QList<StatusItem> items;
    for (StatusItem (PhoneStatus::*read)() :
         {&PhoneStatus::signal, &PhoneStatus::battery, &PhoneStatus::network, &PhoneStatus::registration,
          &PhoneStatus::pin}) {
        if (!items.isEmpty() && stop && stop(items))
            break;
        items << (this->*read)();
    }
    return items;
}
