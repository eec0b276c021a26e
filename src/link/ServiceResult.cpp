// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/ServiceResult.h"

ServiceResult sendCommand(PhoneLink &link, const std::optional<QByteArray> &command, Wait wait)
{
    if (!command)
        return ServiceResult::NotSent;
    return link.exchange(*command, wait).ok() ? ServiceResult::Done : ServiceResult::Refused;
}
