// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One key per party a user writes with, whatever form its number arrives
// in: "+46701234567", "0046701234567" and, on a Swedish network,
// "0701234567" are one person; a text sender ("Telia") is itself.
#include <QString>

namespace NumberKey {

// The country calling code an international number starts with ("46" of
// "+46705008999"); empty when the number is not international.
QString countryCode(const QString &number);

// The key: "+" and digits for a number that is or can be made international
// (a national number needs the network's `countryCode`), the digits alone
// for one that cannot, the lower-cased text for a text sender.
QString of(const QString &number, const QString &countryCode = QString());

} // namespace NumberKey
