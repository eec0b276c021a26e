// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a service reports of a command the user asked for.
#include <QByteArray>
#include <optional>

#include "link/PhoneLink.h"

enum class ServiceResult {
    Done,     // the phone said OK
    Refused,  // ERROR, no answer, aborted, or the port would not open
    NotSent,  // nothing the phone could take: the input made no command
};

// The command, when the input made one, as one exchange; NotSent, with
// nothing on the line, when it did not.
ServiceResult sendCommand(PhoneLink &link, const std::optional<QByteArray> &command, Wait wait = Wait::Normal);
