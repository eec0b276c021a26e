// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/melodies/PhoneMelodies.h"

#include "core/at/Charset.h"
#include "link/PhoneLink.h"
#include "core/melodies/MelodyAt.h"
#include "link/settings/PersonalRings.h"

static_assert(PhoneMelodies::SlotCount == MelodyAt::SlotCount);

PhoneMelodies::PhoneMelodies(PhoneLink &link, PersonalRings &rings, QObject *parent)
    : QObject(parent), m_link(link), m_rings(rings)
{
}

QString PhoneMelodies::Read::shown(int slot) const
{
    if (slot < 1 || slot > SlotCount)
        return {};
    const std::optional<QString> &melody = melodies[size_t(slot - 1)];
    return melody ? *melody : QString::fromLatin1(MelodyAt::NotAvailable);
}

PhoneMelodies::Read PhoneMelodies::readMelodies()
{
    Read read;
    read.ringCodesListed = m_rings.readRingCodes();
    emit ringCodesRead(read.ringCodesListed);
    // A port that would not open for the ring codes asks nothing more.
    if (!m_link.connected())
        return read;
    // The next exchange would clear an abort pressed during the ring codes.
    Exchange answer;
    if (!m_link.AbortRequested())
        answer = m_link.exchange("AT*ESOM?\r\n");
    m_link.closePort();
    if (!answer.ok()) {
        read.status = Read::Refused;
        return read;
    }
    read.status = Read::Done;
    const MelodyAt::Slots found = MelodyAt::ownMelodies(answer.reply);
    for (size_t k = 0; k < found.size(); ++k)
        if (found[k])
            read.melodies[k] = fromPhoneText(*found[k]);
    return read;
}

ServiceResult PhoneMelodies::storeMelody(int slot, const QString &tuneBoxText)
{
    const ServiceResult result = sendCommand(m_link, MelodyAt::storeCommand(slot, toPhoneText(tuneBoxText)));
    if (result != ServiceResult::NotSent)
        m_link.closePort();
    return result;
}

ServiceResult PhoneMelodies::setRingType(const QString &code, int callType)
{
    const ServiceResult result = sendCommand(m_link, MelodyAt::ringTypeCommand(toPhoneText(code), callType));
    if (result != ServiceResult::NotSent)
        m_link.closePort();
    return result;
}

ServiceResult PhoneMelodies::playMelody(int slot)
{
    if (slot < 1 || slot > SlotCount)
        return ServiceResult::NotSent;
    return sendCommand(m_link, MelodyAt::playCommand(MelodyAt::ownMelodyCode(slot)));
}

ServiceResult PhoneMelodies::playRing(const QString &code)
{
    return sendCommand(m_link, MelodyAt::playCommand(toPhoneText(code)));
}
