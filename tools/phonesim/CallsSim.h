// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The call lists, dialling, the network's state and the SIM's PIN, and the
// quirks of real phones a test may ask for. State and commands together, so
// Phone and PhoneState need only a hook each.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

struct CallsSimState {
    struct Entry {
        QString number;
        int type = 129;
        QString name;
        QString time; // "yy/MM/dd,hh:mm:ss", empty for none
    };
    struct List {
        int size = 10;
        QMap<int, Entry> entries;
    };
    // "DC" (or "LD"), "MC", "RC", and "ON", "FD", "EN" when given.
    QMap<QString, List> lists;
    QString dialledBook = QStringLiteral("DC");
    int rssi = 21;  // +CSQ, 0..31 or 99
    int creg = 1;   // +CREG stat, 0..5
    bool cbcRefused = false;  // AT+CBC answers ERROR: the battery comes from +CIND
    QString pinState = QStringLiteral("READY"); // "READY", "SIM PIN", "SIM PUK"
    QString pin = QStringLiteral("1234");
    QString puk = QStringLiteral("12345678");
    int pinTries = 3;
    int pukTries = 10;
    bool triesReported = true; // AT+CPINR answered
    bool athRefused = false;   // ATH answers ERROR, AT+CHUP hangs up
    QString calling;           // the number of the call under way
    // Quirks of real phones.
    bool cme255Empty = false;  // an empty location read answers +CME ERROR: 255
    bool cpbsNoCounts = false; // AT+CPBS? names the book without its counts
    int nulAfterReply = 0;     // NUL bytes after every final result
    QString selected;          // the call list AT+CPBS chose; empty for SM/ME
    QStringList given;         // keys the loaded state held

    CallsSimState();
    static QStringList keys();
    QString load(const QJsonObject &o);
    // Writes the keys the loaded state held and any that no longer hold
    // their default.
    void save(QJsonObject &o) const;

private:
    QJsonObject all() const;
};

namespace CallsSim {
struct Answer {
    QStringList lines;
    bool ok = true;
    int cme = -1; // a "+CME ERROR: n" instead of OK/ERROR
};
// The answer to a command line (without "AT", case kept) that this part
// handles, taking precedence over the phone's own table; nothing for the
// rest. A locked SIM refuses what needs it with +CME ERROR: 11 (or 12).
std::optional<Answer> answer(CallsSimState &s, const QString &command);
// The answer line to AT+CPBS=?: `phonebooks` and the call lists the phone
// holds, in the order an Ericsson names them
// ("+CPBS: ("FD","EN","SM","ME","DC","RC","MC","LD","ON")").
QString bookList(const CallsSimState &s, const QStringList &phonebooks);
} // namespace CallsSim
