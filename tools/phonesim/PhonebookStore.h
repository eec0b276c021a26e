// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's two phonebooks, the SIM book ("SM") and the phone memory
// ("ME"), and the commands that select, read and write them. AT+CPBS=? is
// the phone's (Phone.cpp), as it names the call lists too.
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

class PhonebookStore {
public:
    struct Entry {
        QString number; // as stored: a "+" is kept when it was given
        int type = 129;
        QString name;
    };
    struct Book {
        int size = 0;
        // The longest number and name it takes, as AT+CPBR=? states them;
        // longer ones are refused, as a SIM refuses them.
        int numberLength = 40;
        int nameLength = 255;
        QMap<int, Entry> entries; // location -> entry; absent = empty
    };

    PhonebookStore();

    // Reads "sim", "phonebook" and "storage" from a state object; an empty
    // string on success, else a message naming the bad key.
    QString load(const QJsonObject &state);
    void save(QJsonObject &state) const;
    static QStringList keys();

    struct Answer {
        QStringList lines;
        bool ok = true;
    };
    // A +CPBS, +CPBR or +CPBW command line without "AT" (case of the
    // arguments kept); nothing for any other command.
    std::optional<Answer> answer(const QString &command);
    // The books there are: "SM", and "ME" unless the phone memory's size is
    // 0 (a phone without one).
    QStringList names() const;

private:
    Book &selected() { return m_storage == QLatin1String("ME") ? m_phone : m_sim; }
    Answer read(const QString &args);
    Answer write(const QString &args);

    Book m_sim;
    Book m_phone;
    QString m_storage = QStringLiteral("SM");
};
