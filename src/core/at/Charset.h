#pragma once
// Text crosses to the phone and the book file as 8-bit Latin-1. A character
// outside Latin-1 becomes "?". Every boundary goes through these two.
#include <QByteArray>
#include <QString>

QByteArray toPhoneText(const QString &text);
QString fromPhoneText(const QByteArray &bytes);
