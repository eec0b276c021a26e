// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's state as a user asks for it: signal, battery, operator,
// registration and the SIM's PIN, each with the reason when the phone
// refuses it. One exchange an item (two for the battery when AT+CBC is
// refused); the caller runs them inside one operation.
#include <QList>
#include <QString>
#include <functional>

class PhoneLink;

struct StatusItem {
    QString key;   // "signal", "battery", "operator", "registration", "pin"
    QString value; // "-71 dBm (4 of 5 bars)", ... empty when refused
    QString reason; // why there is no value
    int level = -1; // signal bars 0..5 or battery percent, -1 when none
    bool ok() const { return !value.isEmpty(); }
};

class PhoneStatus {
public:
    explicit PhoneStatus(PhoneLink &link) : m_link(link) {}

    StatusItem signal();
    StatusItem battery();
    StatusItem network();
    StatusItem registration();
    StatusItem pin();
    // All five in that order; `stop` is asked between them with the items
    // read so far (an abort, a port gone, a phone that answered nothing).
    QList<StatusItem> all(const std::function<bool(const QList<StatusItem> &done)> &stop = {});

private:
    PhoneLink &m_link;
};
