// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/OperationGuard.h"

#include "link/PhoneLink.h"

OperationGuard::OperationGuard(PhoneLink &link, std::optional<Tab> lockTab) : m_link(link)
{
    if (link.m_operationRunning || link.m_busyPage != PhoneLink::Idle)
        return;
    m_started = true;
    link.m_operationRunning = true;
    if (lockTab) {
        m_locked = true;
        link.m_busyPage = int(*lockTab);
    }
    emit link.operationChanged(true, link.m_busyPage);
}

OperationGuard::~OperationGuard()
{
    if (!m_started)
        return;
    if (m_locked)
        m_link.m_busyPage = PhoneLink::Idle;
    m_link.m_operationRunning = false;
    emit m_link.operationChanged(false, PhoneLink::Idle);
}
