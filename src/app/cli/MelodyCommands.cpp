// SPDX-License-Identifier: GPL-2.0-or-later
// The phone's own melodies: "melody read" and "melody store".
#include "app/cli/CommandSupport.h"
#include "link/ServiceResult.h"
#include "link/melodies/PhoneMelodies.h"
#include "link/settings/PersonalRings.h"

namespace CliCommands {

int melodyRead(CliSession &s, const Invocation &)
{
    PersonalRings rings(s.link);
    PhoneMelodies melodies(s.link, rings);
    PhoneMelodies::Read read;
    s.run([&] { read = melodies.readMelodies(); });
    s.run([&] { s.link.closePort(); });
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    if (read.status != PhoneMelodies::Read::Done) {
        s.fail(Exit::Phone, QStringLiteral("own melodies on %1: %2").arg(s.where(), exchangeFailure(s.link.lastStatus())));
        return s.exitCode();
    }
    for (int slot = 1; slot <= PhoneMelodies::SlotCount; ++slot)
        print(QStringLiteral("%1: %2").arg(slot).arg(read.shown(slot).trimmed()));
    return Exit::Ok;
}

int melodyStore(CliSession &s, const Invocation &call)
{
    bool ok = false;
    const int slot = call.arguments.value(0).toInt(&ok);
    if (!ok || slot < 1 || slot > PhoneMelodies::SlotCount)
        return usage(QStringLiteral("the slot is 1 to %1, not \"%2\"").arg(PhoneMelodies::SlotCount).arg(call.arguments.value(0)));
    const QString notation = call.arguments.value(1);
    PersonalRings rings(s.link);
    PhoneMelodies melodies(s.link, rings);
    ServiceResult result = ServiceResult::NotSent;
    s.run([&] { result = melodies.storeMelody(slot, notation); });
    if (s.stopIfInterrupted() || s.failed())
        return s.exitCode();
    switch (result) {
    case ServiceResult::Done:
        return Exit::Ok;
    case ServiceResult::NotSent:
        return usage(QStringLiteral("the melody is empty"));
    case ServiceResult::Refused:
        break;
    }
    s.fail(Exit::Phone, QStringLiteral("melody %1 on %2: %3").arg(slot).arg(s.where(), exchangeFailure(s.link.lastStatus())));
    return s.exitCode();
}

} // namespace CliCommands
