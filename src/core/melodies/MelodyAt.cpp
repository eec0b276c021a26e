// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/melodies/MelodyAt.h"

#include "core/at/Quoted.h"
#include "core/at/ReplyParse.h"
#include "core/settings/RingList.h"

namespace MelodyAt {

Slots ownMelodies(const QByteArray &reply)
{
    Slots found;
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const QByteArray marker = QByteArray::number(slot) + ",\"";
        const qsizetype at = reply.indexOf(marker);
        if (at < 0)
            continue;
        const qsizetype from = at + marker.size();
        qsizetype end = reply.indexOf('"', from);
        // A quote left open must not take the result lines into the melody.
        for (const char eol : {'\r', '\n'}) {
            const qsizetype e = reply.indexOf(eol, from);
            if (e >= 0 && (end < 0 || e < end))
                end = e;
        }
        if (end < 0)
            end = reply.size();
        found[slot - 1] = reply.mid(from, qMin<qsizetype>(end - from, MaxMelody));
    }
    return found;
}

bool isNotationChar(char c)
{
    return c == '#' || c == '(' || c == ')' || c == '+' || (c >= 'A' && c <= 'G') || (c >= 'a' && c <= 'g')
           || c == 'p';
}

QByteArray storableMelody(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text)
        if (isNotationChar(c))
            out.append(c);
    // A "+" or "#" waits for a note letter that never comes.
    while (out.endsWith('#') || out.endsWith('+'))
        out.chop(1);
    return out;
}

QByteArray ownMelodyCode(int slot)
{
    return QByteArray::number(30 + slot);
}

std::optional<QByteArray> storeCommand(int slot, const QByteArray &text)
{
    if (slot < 1 || slot > SlotCount || text.isEmpty())
        return std::nullopt;
    return "AT*ESOM=" + QByteArray::number(slot) + ",\"" + quoted(storableMelody(text)) + "\"\r\n";
}

std::optional<char> alertTypeDigit(int callType)
{
    switch (callType) {
    case 1: return '1';
    case 2: return '4';
    case 3: return '3';
    case 4: return '5';
    default: return std::nullopt;
    }
}

namespace {
std::optional<QByteArray> ringCode(const QByteArray &code)
{
    const QByteArray c = Reply::trimmed(code);
    if (!RingList::isRingCode(c))
        return std::nullopt;
    return c;
}
} // namespace

std::optional<QByteArray> ringTypeCommand(const QByteArray &code, int callType)
{
    const std::optional<QByteArray> c = ringCode(code);
    const std::optional<char> digit = alertTypeDigit(callType);
    if (!c || !digit)
        return std::nullopt;
    return "AT*ERIN=" + *c + ',' + *digit + "\r\n";
}

std::optional<QByteArray> playCommand(const QByteArray &code)
{
    const std::optional<QByteArray> c = ringCode(code);
    if (!c)
        return std::nullopt;
    return "AT*ERIP=7," + *c + "\r\n";
}

} // namespace MelodyAt
