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
    m_link.setCommandText("AT*EPRW=?\r\n");
    m_link.SendCommand();
    const QByteArray &reply = m_link.ReplyText();
    if (reply.isEmpty() || m_link.AbortRequested())
        return std::nullopt;
    const std::optional<RingList::Ranges> ranges = RingList::entryRanges(reply);
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
    m_link.setCommandText("AT*ERIN=?\r\n");
    m_link.SendCommand();
    const QByteArray &reply = m_link.ReplyText();
    if (reply.isEmpty() || m_link.AbortRequested())
        return false;
    const std::optional<RingList::Codes> codes = RingList::ringInfoCodes(reply);
    if (!codes)
        return false;
    setCodes(codes->items, codes->complete);
    return codes->complete;
}

std::optional<RingList::Entry> PersonalRings::readEntry(int index)
{
    m_link.setCommandText("AT*EPRR=" + QByteArray::number(index) + "\r\n");
    m_link.SendCommand();
    const QByteArray &reply = m_link.ReplyText();
    if (reply.isEmpty() || m_link.AbortRequested())
        return std::nullopt;
    return RingList::entry(reply);
}

PersonalRings::Result PersonalRings::send(const std::optional<QByteArray> &command)
{
    if (!command)
        return Result::NotSent;
    m_link.setCommandText(*command);
    m_link.SendCommand();
    return m_link.ReplyText().isEmpty() || m_link.AbortRequested() ? Result::Refused : Result::Done;
}

PersonalRings::Result PersonalRings::writeEntry(int index, const QString &number, const QString &ring)
{
    return send(RingList::writeCommand(index, toPhoneText(number), toPhoneText(ring.trimmed())));
}

PersonalRings::Result PersonalRings::playRing(const QString &ring)
{
    return send(RingList::playCommand(toPhoneText(ring.trimmed())));
}
