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
    bool answered = false;
    QByteArray reply;
    if (!m_link.AbortRequested()) {
        m_link.setCommandText("AT*ESOM?\r\n");
        m_link.SendCommand();
        reply = m_link.ReplyText();
        answered = !reply.isEmpty() && !m_link.AbortRequested();
    }
    m_link.closePort();
    if (!answered) {
        read.status = Read::Refused;
        return read;
    }
    read.status = Read::Done;
    const MelodyAt::Slots found = MelodyAt::ownMelodies(reply);
    for (size_t k = 0; k < found.size(); ++k)
        if (found[k])
            read.melodies[k] = fromPhoneText(*found[k]);
    return read;
}

PhoneMelodies::Result PhoneMelodies::send(const std::optional<QByteArray> &command)
{
    if (!command)
        return Result::NotSent;
    m_link.setCommandText(*command);
    m_link.SendCommand();
    return m_link.ReplyText().isEmpty() || m_link.AbortRequested() ? Result::Refused : Result::Done;
}

PhoneMelodies::Result PhoneMelodies::storeMelody(int slot, const QString &tuneBoxText)
{
    const Result result = send(MelodyAt::storeCommand(slot, toPhoneText(tuneBoxText)));
    if (result != Result::NotSent)
        m_link.closePort();
    return result;
}

PhoneMelodies::Result PhoneMelodies::setRingType(const QString &code, int callType)
{
    const Result result = send(MelodyAt::ringTypeCommand(toPhoneText(code), callType));
    if (result != Result::NotSent)
        m_link.closePort();
    return result;
}

PhoneMelodies::Result PhoneMelodies::playMelody(int slot)
{
    if (slot < 1 || slot > SlotCount)
        return Result::NotSent;
    return send(MelodyAt::playCommand(MelodyAt::ownMelodyCode(slot)));
}

PhoneMelodies::Result PhoneMelodies::playRing(const QString &code)
{
    return send(MelodyAt::playCommand(toPhoneText(code)));
}
