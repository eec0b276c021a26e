// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/OperationGuard.h"

#include "link/PhoneLink.h"

OperationGuard::OperationGuard(PhoneLink &link, std::optional<int> lockPage) : m_link(link)
{
    if (link.m_operationRunning || link.m_lockedPage != PhoneLink::Idle)
        return;
    m_started = true;
    link.m_operationRunning = true;
    link.m_abortHeld = false;
    if (lockPage) {
        m_locked = true;
        link.m_lockedPage = *lockPage;
    }
    emit link.operationChanged(true, link.m_lockedPage);
}

OperationGuard::~OperationGuard()
{
    if (!m_started)
        return;
    if (m_locked)
        m_link.m_lockedPage = PhoneLink::Idle;
    m_link.m_operationRunning = false;
    // The flag itself stays for the caller to see; the next exchange clears it.
    m_link.m_abortHeld = false;
    emit m_link.operationChanged(false, PhoneLink::Idle);
}
