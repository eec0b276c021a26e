// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Text crosses to the phone and the book file as 8-bit Latin-1. A character
// outside Latin-1 becomes "?". Every boundary goes through these two.
#include <QByteArray>
#include <QString>

QByteArray toPhoneText(const QString &text);
QString fromPhoneText(const QByteArray &bytes);

// Text from elsewhere (an address book) made fit for toPhoneText: each
// character Latin-1 lacks is spelled with ones it has ("Ł" -> "L", "€" ->
// "EUR", "ﬁ" -> "fi", accents dropped where the accented letter is missing).
// A character that cannot be spelled so becomes "?". Latin-1 text comes back
// unchanged.
QString spelledForPhone(const QString &text);
