// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "QXsms.phb": SMS book, port byte, ICQ numbers, ICQ book, fixed layout.
#include <QByteArray>
#include <QString>
#include <array>

#include "core/phonebooks/PhonebookModel.h"

namespace BookFile {
constexpr int SmsRecord = 36, SmsNumber = 16, SmsName = 20;
constexpr int IcqRecord = 30, IcqNumber = 10, IcqName = 20;
constexpr int Entries = 20;
constexpr int PortOffset = 720;
constexpr int IcqNumbersOffset = 722;
constexpr int IcqBookOffset = 754;
constexpr int FullSize = 1354;
constexpr int NewSize = 1274;

// A record's number and name, trimmed when read.
using Entry = PhonebookEntry;

struct Contents {
    std::array<Entry, Entries> sms;
    std::array<Entry, Entries> icq;
    int portNumber = 1;       // 1..8
    bool bookNew = false;     // 0x00/0x1A in the SMS book or port bytes, or port byte 0
    bool icqPartNew = false;  // 0x00/0x1A in the ICQ numbers
    QByteArray icqSmsc;       // 16 characters as read (0x00/0x1A as blanks)
    QByteArray icqGateway;
};

// Reads an image; characters past its end count as 0x1A. A missing file is
// an empty image.
Contents parse(const QByteArray &image);
// A new file: 720 blanks, 01 00, the two numbers padded to 16, 520 blanks.
QByteArray newImage(const QByteArray &icqSmsc, const QByteArray &icqGateway);
// The rewrite when the ICQ numbers were damaged: SMS book, port, defaults, 520 blanks.
QByteArray repairedImage(const Contents &contents, int portNumber,
                         const QByteArray &icqSmsc, const QByteArray &icqGateway);
// Exactly 720 and 600 bytes.
QByteArray smsBookBytes(const std::array<Entry, Entries> &sms);
QByteArray icqBookBytes(const std::array<Entry, Entries> &icq);
// Recipient item texts: number padded to 16 (ICQ: 10), " - ", name.
QByteArray smsItem(const QByteArray &number, const QByteArray &name);
QByteArray icqItem(const QByteArray &number, const QByteArray &name);
// A book's records as the grids and lookups take them: entry k is record k.
PhonebookEntries entries(const std::array<Entry, Entries> &records);

// The file is saved through AtomicFile (core/io), like every other.
}
