// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/CallServicesAt.h"

#include "core/at/NumberConversion.h"
#include "core/at/ReplyParse.h"

#include <QList>

namespace CallForward {

namespace {
QByteArray digit(int n)
{
    return QByteArray::number(n);
}

QByteArray plainCommand(Service service, Reason reason, int mode)
{
    return "AT+CCFC=" + digit(int(reason)) + ',' + digit(mode) + ",,," + digit(int(service)) + "\r\n";
}

// A status line "+CCFC: 0,<classes>" whose class mask holds the service's
// class. Networks answer so for forwarding that is off for every class at
// once ("+CCFC: 0,7"), which names no class of its own.
bool offForClassOf(const QByteArray &response, Service service)
{
    for (const QByteArray &line : response.split('\n')) {
        const QByteArray fields = Reply::trimmed(line);
        if (!fields.startsWith("+CCFC:"))
            continue;
        const QList<QByteArray> values = fields.mid(6).split(',');
        if (values.size() < 2)
            continue;
        bool statusRead = false, classRead = false;
        const int status = values.at(0).trimmed().toInt(&statusRead);
        const int classes = values.at(1).trimmed().toInt(&classRead);
        if (statusRead && classRead && status == 0 && (classes & int(service)))
            return true;
    }
    return false;
}
} // namespace

QByteArray queryCommand(Service service, Reason reason)
{
    return plainCommand(service, reason, 2);
}

QByteArray cancelCommand(Service service, Reason reason)
{
    return plainCommand(service, reason, 0);
}

QByteArray setCommand(Service service, Reason reason, const QByteArray &typed)
{
    QByteArray number = numberTophone(typed);
    // The networks take a national number as type 128 ("unknown"), where
    // 129 would ask them to check the numbering plan.
    if (number.endsWith('9'))
        number.back() = '8';
    return "AT+CCFC=" + digit(int(reason)) + ",1,\"" + number + ',' + digit(int(service)) + "\r\n";
}

Status readStatus(const QByteArray &reply, Service service, bool abortRequested)
{
    if (reply.isEmpty() || abortRequested)
        return {};
    // The echo carries the query's own "0,<class>" for "All Calls": only
    // the phone's answer counts.
    const qsizetype lineFeed = reply.indexOf('\n');
    const QByteArray response = lineFeed < 0 ? QByteArray() : reply.mid(lineFeed + 1);
    if (response.contains("0," + digit(int(service))) || offForClassOf(response, service))
        return {Status::Off, {}};
    const QByteArray number = numberfromphone(reply, abortRequested);
    if (number.isEmpty())
        return {};
    return {Status::Forwarded, number};
}

} // namespace CallForward

namespace CallWaiting {

QByteArray command(Mode mode)
{
    return "AT+CCWA=1," + QByteArray::number(int(mode)) + "\r\n";
}

State readState(const QByteArray &reply, bool abortRequested)
{
    if (reply.isEmpty() || abortRequested)
        return State::Unknown;
    switch (Reply::charAfter(reply, ':', 2).value_or('\0')) {
    case '1':
        return State::Active;
    case '0':
        return State::NotActive;
    default:
        return State::Unknown;
    }
}

} // namespace CallWaiting
