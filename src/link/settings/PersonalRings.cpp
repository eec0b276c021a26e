// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/settings/PersonalRings.h"

#include "core/at/Charset.h"
#include "link/PhoneLink.h"

PersonalRings::PersonalRings(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link)
{
}

void PersonalRings::setCodes(const QStringList &codes, bool listed)
{
    m_codes = codes;
    m_listed = listed;
    emit ringCodesChanged(m_codes, m_listed);
}

std::optional<int> PersonalRings::readRanges()
{
    setCodes({}, false);
    const Exchange e = m_link.exchange("AT*EPRW=?\r\n");
    if (!e.ok())
        return std::nullopt;
    const std::optional<RingList::Ranges> ranges = RingList::entryRanges(e.reply);
    if (!ranges)
        return std::nullopt;
    setCodes(ranges->ringCodes.items, ranges->ringCodes.complete);
    if (!ranges->ringCodes.complete)
        return std::nullopt;
    return ranges->entryCount;
}

bool PersonalRings::readRingCodes()
{
    setCodes({}, false);
    const Exchange e = m_link.exchange("AT*ERIN=?\r\n");
    if (!e.ok())
        return false;
    const std::optional<RingList::Codes> codes = RingList::ringInfoCodes(e.reply);
    if (!codes)
        return false;
    setCodes(codes->items, codes->complete);
    return codes->complete;
}

std::optional<RingList::Entry> PersonalRings::readEntry(int index)
{
    const Exchange e = m_link.exchange("AT*EPRR=" + QByteArray::number(index) + "\r\n");
    if (!e.ok())
        return std::nullopt;
    return RingList::entry(e.reply);
}

ServiceResult PersonalRings::writeEntry(int index, const QString &number, const QString &ring)
{
    return sendCommand(m_link, RingList::writeCommand(index, toPhoneText(number), toPhoneText(ring.trimmed())));
}

ServiceResult PersonalRings::playRing(const QString &ring)
{
    return sendCommand(m_link, RingList::playCommand(toPhoneText(ring.trimmed())));
}
