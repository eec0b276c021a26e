// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The items of the GSM information read-out, one exchange each. Every item
// is empty when the phone gave no usable answer.
#include <QByteArray>
#include <optional>

#include "core/at/ReplyParse.h"

class PhoneLink;

class GsmInfo {
public:
    explicit GsmInfo(PhoneLink &link) : m_link(link) {}

    std::optional<QByteArray> network();  // "AT+COPS?"
    std::optional<QByteArray> model();    // "AT+CGMM"
    std::optional<QByteArray> software(); // "AT+CGMR"
    std::optional<QByteArray> imei();     // "AT+CGSN"
    std::optional<QByteArray> make();     // "AT+CGMI"
    std::optional<Reply::Battery> battery();    // "AT+CBC"
    std::optional<Reply::SignalLevel> signal(); // "AT+CIND?"

private:
    using Extract = std::optional<QByteArray> (*)(const QByteArray &reply);
    std::optional<QByteArray> textItem(const char *command, Extract extract);

    PhoneLink &m_link;
};
