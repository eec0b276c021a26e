// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The network's call services in AT form: call forwarding (+CCFC) for one
// basic service and one condition, and call waiting (+CCWA). Commands and
// the reading of replies only; the exchanges are CallServices'.
#include <QByteArray>

namespace CallForward {

// The class numbers the command carries.
enum class Service { Voice = 1, Data = 2, Fax = 4 };
// The forwarding conditions by their reason numbers.
enum class Reason { AllCalls = 0, Busy = 1, NoAnswer = 2, Unreachable = 3 };

// "AT+CCFC=reason,2,,,class\r\n": the status the network holds.
QByteArray queryCommand(Service service, Reason reason);
// "AT+CCFC=reason,0,,,class\r\n": forwarding off.
QByteArray cancelCommand(Service service, Reason reason);
// "AT+CCFC=reason,1,\"digits\",type,class\r\n" for the number as typed:
// only digits and "+" survive, so the number cannot end the line or the
// quotes. Type 145 for a number typed with a leading "+" (sent without
// it), 128 for any other, an empty one included. No time field: the
// network's own delay applies to "No Answer".
QByteArray setCommand(Service service, Reason reason, const QByteArray &typed);

struct Status {
    enum Kind { Off, Forwarded, NetworkError };
    Kind kind = NetworkError;
    QByteArray number; // when Forwarded: "+" in front of an international number
};
// What a query's reply says. reply: the whole exchange (echo included)
// after OK; empty after a failure. Off when the response, everything after
// the echoed command line, holds "0," and the service's class digit, or a
// status line of status 0 whose class mask includes the service's class
// ("+CCFC: 0,7"); otherwise the quoted number; NetworkError when there is
// neither (a status for other classes only), or the exchange failed or was
// aborted.
Status readStatus(const QByteArray &reply, Service service, bool abortRequested);

} // namespace CallForward

namespace CallWaiting {

enum class Mode { Disable = 0, Enable = 1, Query = 2 };
// "AT+CCWA=1,mode\r\n": presentation of waiting calls on, no class (the
// phone's default applies).
QByteArray command(Mode mode);

enum class State { NotActive, Active, Unknown };
// The status digit two places after the first ":" of the reply ("+CCWA: 1,1").
// Unknown for another character, no ":", a failed or aborted exchange.
State readState(const QByteArray &reply, bool abortRequested);

} // namespace CallWaiting
