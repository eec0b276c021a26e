// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The network's call forwarding and call waiting, over the phone. Every
// command waits the network's time (Timing::network) for its answer.
//
// Every call is one step of an operation: the caller holds the
// OperationGuard, runs it inside PhoneLink::runGuarded and closes the port
// when its whole operation is over.
#include <QString>

#include "link/PhoneLink.h"
#include "core/settings/CallServicesAt.h"

class CallServices {
public:
    explicit CallServices(PhoneLink &link) : m_link(link) {}

    // The forwarding the network holds for a service and condition.
    CallForward::Status queryForwarding(CallForward::Service service, CallForward::Reason reason);
    // Forwarding on to the number as typed, or off. The network's answer
    // is reported, though a caller learns more from the query that follows.
    Exchange::Status setForwarding(CallForward::Service service, CallForward::Reason reason, const QString &typed);
    Exchange::Status cancelForwarding(CallForward::Service service, CallForward::Reason reason);

    CallWaiting::State queryWaiting();
    Exchange::Status switchWaiting(bool on);

private:
    PhoneLink &m_link;
};
