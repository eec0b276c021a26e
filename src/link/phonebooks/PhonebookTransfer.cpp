// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/phonebooks/PhonebookTransfer.h"

#include "link/PhoneLink.h"

PhonebookTransfer::PhonebookTransfer(PhoneLink &link) : m_link(link) {}

bool PhonebookTransfer::select(PhonebookAt::Book book)
{
    return m_link.exchange(PhonebookAt::selectCommand(book)).ok() && !m_link.AbortRequested();
}

PhonebookTransfer::Location PhonebookTransfer::read(int location)
{
    const Exchange answer = m_link.exchange(PhonebookAt::readCommand(location));
    if (!answer.ok() || m_link.AbortRequested())
        return {};
    if (const auto entry = PhonebookAt::parseRead(answer.reply))
        return {Location::Filled, *entry};
    return {Location::Empty, {}};
}

bool PhonebookTransfer::write(int location, const PhonebookEntry &entry)
{
    return m_link.exchange(PhonebookAt::writeCommand(location, entry)).ok();
}

void PhonebookTransfer::finish()
{
    if (m_link.connected()) {
        // After an abort the rest of the abandoned reply may still be
        // waiting; its "OK" must not pass for the answer to the selection.
        m_link.purgeInput();
        m_link.exchange(PhonebookAt::selectCommand(PhonebookAt::Book::Sim));
    }
    m_link.closePort();
}
