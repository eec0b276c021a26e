// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/messaging/NumberKey.h"

#include <QSet>

namespace {

// E.164 country codes: 1 and 7 stand alone, these take two digits, every
// other one three.
const QSet<QString> &twoDigitCodes()
{
    static const QSet<QString> codes{
        "20", "27", "30", "31", "32", "33", "34", "36", "39", "40", "41", "43", "44", "45", "46",
        "47", "48", "49", "51", "52", "53", "54", "55", "56", "57", "58", "60", "61", "62", "63",
        "64", "65", "66", "81", "82", "84", "86", "90", "91", "92", "93", "94", "95", "98"};
    return codes;
}

// "+" and digits for "+..." and "00...", else nothing.
QString international(const QString &digits, bool plus)
{
    if (plus)
        return QLatin1Char('+') + digits;
    if (digits.startsWith(QLatin1String("00")) && digits.size() > 4)
        return QLatin1Char('+') + digits.mid(2);
    return QString();
}

} // namespace

namespace NumberKey {

QString countryCode(const QString &number)
{
    const QString key = of(number);
    if (!key.startsWith(QLatin1Char('+')) || key.size() < 4)
        return QString();
    const QString digits = key.mid(1);
    if (digits.startsWith(QLatin1Char('1')) || digits.startsWith(QLatin1Char('7')))
        return digits.left(1);
    if (twoDigitCodes().contains(digits.left(2)))
        return digits.left(2);
    return digits.left(3);
}

QString of(const QString &number, const QString &countryCode)
{
    const QString trimmed = number.trimmed();
    QString digits;
    bool other = false;
    for (QChar c : trimmed) {
        if (c.isDigit() && c.unicode() < 0x80)
            digits += c;
        else if (c != QLatin1Char(' ') && c != QLatin1Char('-') && c != QLatin1Char('(') && c != QLatin1Char(')')
                 && !(c == QLatin1Char('+') && digits.isEmpty()))
            other = true;
    }
    if (other || digits.isEmpty())
        return trimmed.toLower();
    const QString full = international(digits, trimmed.startsWith(QLatin1Char('+')));
    if (!full.isEmpty())
        return full;
    // A national number: one trunk zero, then the subscriber's digits.
    if (!countryCode.isEmpty() && digits.startsWith(QLatin1Char('0')) && digits.size() >= 7)
        return QLatin1Char('+') + countryCode + digits.mid(1);
    return digits;
}

} // namespace NumberKey
