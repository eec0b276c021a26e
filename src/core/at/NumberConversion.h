// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Phone numbers between the user's form ("+46 70-123 45") and the AT form
// (digits, closing quote, comma and type: 4670 12345",145).
#include <QByteArray>

// The tail of a command for a typed number: digits and "+" kept, then
// "\",145" when it began with "+", else "\",129". Input cut to 255.
QByteArray numberTophone(const QByteArray &typed);
// The number quoted in a reply, "+" in front when ",145" appears anywhere;
// empty when the reply is empty, the exchange was aborted, or it holds fewer
// than two double quotes.
QByteArray numberfromphone(const QByteArray &reply, bool abortRequested);
