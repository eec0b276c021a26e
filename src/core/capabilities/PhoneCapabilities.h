// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a phone offers, asked once a session: its phonebooks (AT+CPBS=?),
// its message stores (AT+CPMS=?), its character sets (AT+CSCS=?), its
// message formats (AT+CMGF=?) and what each book holds (AT+CPBR=? with the
// book selected). A question the phone refused leaves that part unknown: a
// phone lacks something only when it answered and did not name it.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/phonebooks/PhonebookRange.h"

namespace CapabilityAt {

inline constexpr char IdentityQuery[] = "AT+CGSN\r\n";
inline constexpr char BooksQuery[] = "AT+CPBS=?\r\n";
inline constexpr char StoresQuery[] = "AT+CPMS=?\r\n";
inline constexpr char CharsetsQuery[] = "AT+CSCS=?\r\n";
inline constexpr char FormatsQuery[] = "AT+CMGF=?\r\n";

// The bracketed lists after `prefix` ("+CPMS:") on the first line that has
// it, each item unquoted: "+CPMS: ("ME","SM"),("ME","SM"),("MT")" gives
// {{ME, SM}, {ME, SM}, {MT}}. An answer without brackets is one list.
// Items that are no short name (letters, digits, "-", "_", ".", up to 16)
// are left out. Nothing when no line has the prefix.
std::optional<QList<QStringList>> parseLists(const QByteArray &reply, const QByteArray &prefix);

// The books of "+CPBS: ("FD","EN","SM","ME",...)", upper case, each once.
std::optional<QStringList> parseBooks(const QByteArray &reply);
// The three lists of "+CPMS: (...),(...),(...)": the stores read and
// deleted from, written and sent from, and received into.
std::optional<QList<QStringList>> parseStores(const QByteArray &reply);
// The sets of "+CSCS: ("GSM","IRA","8859-1","UTF-8","UCS2")".
std::optional<QStringList> parseCharsets(const QByteArray &reply);
// The modes of "+CMGF: (0,1)", "(0-1)" or "(0)": 0 PDU, 1 text.
std::optional<QList<int>> parseFormats(const QByteArray &reply);
// The serial number the AT+CGSN answer holds on a line of its own (8 to 20
// digits); nothing when there is none.
std::optional<QByteArray> parseIdentity(const QByteArray &reply);

} // namespace CapabilityAt

// Whether the phone offers a thing: it named it, it answered without it, or
// it did not say.
enum class Offer { Unknown, Yes, No };

struct PhoneCapabilities {
    QByteArray imei; // empty when the phone gave none
    std::optional<QStringList> books;
    std::optional<QList<QStringList>> stores;
    std::optional<QStringList> charsets;
    std::optional<QList<int>> formats;
    // What each book's AT+CPBR=? said; a book that could not be selected or
    // gave no range is not here.
    QMap<QString, PhonebookAt::Range> bookSizes;

    Offer book(const QString &name) const;
    // A store messages are read from (the first list of AT+CPMS=?).
    Offer store(const QString &name) const;
    // PDU mode, in which every message is read and sent.
    Offer pduMode() const;

    // Line by line, for the user: each question and what the phone said.
    QStringList report() const;
};

// Why a control is off, in words: "The phone has no phone-memory book (ME)".
QString lackedBookText(const QString &book);
// "The phone keeps no messages in its own memory (ME)".
QString lackedStoreText(const QString &store);
