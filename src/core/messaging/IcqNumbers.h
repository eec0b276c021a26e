// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The two numbers an ICQ send goes through, as the book file stores them:
// 16 characters each, "+" and digits padded with blanks.
#include <QByteArray>

struct IcqNumbers {
    // The SMS centre the phone is switched to for the send.
    QByteArray centre = defaultCentre();
    // The gateway's number, which the ICQ number is appended to.
    QByteArray gateway = defaultGateway();

    static QByteArray defaultCentre() { return QByteArray("+44802000332").leftJustified(16, ' '); }
    static QByteArray defaultGateway() { return QByteArray("+447781484000").leftJustified(16, ' '); }
};
