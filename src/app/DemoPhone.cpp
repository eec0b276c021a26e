// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/DemoPhone.h"

bool DemoPhone::start(const QString &programDir, QString *error)
{
    m_sim.setProgram(PhoneSimulator::locate(programDir));
    // The network takes its time, as a real one does: the long wait of call
    // forwarding and call waiting, and their Abort buttons, can be seen.
    m_sim.setArguments({QStringLiteral("--network-delay"), QStringLiteral("1500")});
    if (!m_sim.start(error))
        return false;
    m_sim.useAsCom(1);
    return true;
}
