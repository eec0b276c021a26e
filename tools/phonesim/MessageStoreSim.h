// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's message stores, the SIM ("SM") and the phone memory ("ME"):
// +CPMS (query, test and selection), +CMGL, +CMGR and +CMGD in PDU mode.
// State and commands together, so Phone and PhoneState need only a hook
// each.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

struct MessageStoreState {
    struct Message {
        int status = 1;    // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
        QString pdu;       // hex, with the centre address as stored
    };
    struct Store {
        int size = 20;
        QMap<int, Message> messages; // by location
    };
    Store sim;
    Store phone;           // size 0: the phone has no store of its own
    QString selected = QStringLiteral("SM");
    bool cmglRefused = false;         // AT+CMGL answers ERROR
    bool emptyLocationError = false;  // an empty location answers +CMS ERROR: 321, not OK alone
    bool storedWithoutCentre = false; // PDUs go out without their centre address
    QStringList given;     // keys the loaded state held

    MessageStoreState();
    static QStringList keys();
    // Empty on success, else a message naming the bad key.
    QString load(const QJsonObject &o);
    // Writes the keys the loaded state held, and the stores once changed.
    void save(QJsonObject &o) const;
    bool changed = false;
};

namespace MessageStoreSim {
struct Answer {
    QStringList lines;
    enum Final { Ok, Error, CmsError } final = Ok;
    int cms = 0; // the +CMS ERROR code
};
// A +CPMS, +CMGL, +CMGR or +CMGD command line without "AT" (arguments as
// typed); nothing for any other command.
std::optional<Answer> answer(MessageStoreState &state, const QString &command);
} // namespace MessageStoreSim
