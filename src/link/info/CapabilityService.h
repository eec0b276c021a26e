// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the phone on the port offers, asked once a session for each phone.
// The operations that read or write the books and the messages call learn()
// first, inside their own OperationGuard: it asks the phone's serial number
// (AT+CGSN) and, for a phone not seen before in this session, the books,
// message stores, character sets, message formats and each book's size.
// A phone seen before is asked nothing more. The pages disable what the
// phone lacks; what it would not say stays open to the user.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <optional>

#include "core/capabilities/PhoneCapabilities.h"

class PhoneLink;

class CapabilityService : public QObject {
    Q_OBJECT
public:
    // The one of this link, made at its first use; it goes with the link.
    static CapabilityService &of(PhoneLink &link);

    enum class Outcome { Known, Stopped, Locked };
    // Known: current() is the phone on the port. Stopped: an abort, a
    // silent phone or a failed port ended the questions (the operation
    // ends as after any such exchange); nothing of them is kept. Locked:
    // the SIM waits for its PIN and none was given; current() holds what
    // the phone said without it, and it is asked again next time.
    Outcome learn();

    // The phone last seen; nothing before the first learn().
    const PhoneCapabilities *current() const;

signals:
    // current() is another phone, or the same one told again.
    void changed();

private:
    explicit CapabilityService(PhoneLink &link);

    PhoneLink &m_link;
    QHash<QByteArray, PhoneCapabilities> m_seen; // by serial number
    std::optional<QByteArray> m_current;
    // Phones whose SIM was locked while they were asked.
    QList<QByteArray> m_askAgain;

    // The questions to a phone not seen yet.
    Outcome ask(PhoneCapabilities &caps);
    Outcome askSizes(PhoneCapabilities &caps);
};
