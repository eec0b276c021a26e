// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The locations a book has, from the answer to "AT+CPBR=?":
// "+CPBR: (1-250),20,18".
#include <QByteArray>
#include <optional>

namespace PhonebookAt {

inline constexpr char RangeQuery[] = "AT+CPBR=?\r\n";

struct Range {
    int first = 1;
    int last = 0;
};
// Nothing when the reply holds no "+CPBR: (a-b)" with 1 <= a <= b <= 9999.
std::optional<Range> parseRange(const QByteArray &reply);

} // namespace PhonebookAt
