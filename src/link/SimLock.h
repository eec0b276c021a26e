// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SIM's PIN, when an exchange finds the SIM locked (+CME ERROR: 11 or
// 12, or AT+CPIN? answered "+CPIN: SIM PIN" or "SIM PUK"). Whoever drives the link names who asks the user: the window's
// PinDialog, the terminal or --pin-file of mirvak-cli. The handler gets
// what the SIM waits for and a note on the last try ("Wrong PIN. 2 tries
// left."), and gives the AT+CPIN command to send, or nothing to give up.
// Once the code is taken, the refused command is sent again (AT+CPIN? then
// tells the state the SIM is in now). A wrong code
// asks the handler again: nothing retries a code by itself, as three wrong
// PINs lock the SIM.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "core/status/StatusAt.h"
#include "link/PhoneLink.h"

namespace SimLock {

using Handler = std::function<std::optional<QByteArray>(StatusAt::Lock lock, const QString &note)>;
// None to stop asking (the owner going away).
void setHandler(const PhoneLink &link, Handler handler);

// Held by PhoneLink::exchange around one exchange: true when a handler is
// set and no unlock runs yet; the exchanges made meanwhile are plain ones.
class Unlocking {
public:
    explicit Unlocking(PhoneLink &link);
    ~Unlocking();
    Unlocking(const Unlocking &) = delete;
    Unlocking &operator=(const Unlocking &) = delete;
    explicit operator bool() const { return m_held; }

    // The result of `command`, or after a refusal that names a locked SIM
    // and a code taken, the result of sending it again.
    Exchange afterRefusal(const QByteArray &command, Wait wait, const Exchange &result);

private:
    PhoneLink &m_link;
    bool m_held = false;
};

} // namespace SimLock
