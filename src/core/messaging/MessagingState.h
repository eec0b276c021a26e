// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What one send carries between the encoders and the senders.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

struct MessagingState {
    // Encoder results.
    QByteArray NumberText;
    bool NumberPreset = false;
    bool International = false;
    std::uint8_t DigitCount = 0;
    std::array<std::uint8_t, 14> AddressOctets{};
    std::uint8_t AddressOctetCount = 0;
    std::array<std::uint8_t, 160> UserData{};
    std::uint8_t UserDataOctetCount = 0;
    int TextLength = 0; // septets in UserData (the TP-UDL octet)

    // Flags of the current send.
    bool IcqMode = false;
    bool SmscRestored = true;
    bool SmscRead = false;

    // 16 characters, "+" and digits padded with blanks. Loaded from the book
    // file; until then, and for a new file, the defaults.
    QByteArray IcqSmscNumber = defaultIcqSmsc();
    QByteArray IcqGatewayNumber = defaultIcqGateway();

    // The phone's own centre as the last read showed it (" " and the number),
    // which an ICQ send writes back.
    QString SmscText;

    // Body of the phone's answer to the centre query, kept until restored.
    QByteArray SavedSmscFrame;

    static QByteArray defaultIcqSmsc() { return QByteArray("+44802000332").leftJustified(16, ' '); }
    static QByteArray defaultIcqGateway() { return QByteArray("+447781484000").leftJustified(16, ' '); }
};
