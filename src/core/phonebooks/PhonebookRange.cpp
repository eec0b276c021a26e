// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/PhonebookRange.h"

#include <QRegularExpression>

namespace PhonebookAt {

std::optional<Range> parseRange(const QByteArray &reply)
{
    static const QRegularExpression re(QStringLiteral("\\+CPBR:\\s*\\(\\s*(\\d{1,4})\\s*-\\s*(\\d{1,4})\\s*\\)"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(reply));
    if (!m.hasMatch())
        return std::nullopt;
    const int first = m.captured(1).toInt();
    const int last = m.captured(2).toInt();
    if (first < 1 || last < first)
        return std::nullopt;
    return Range{first, last};
}

} // namespace PhonebookAt
