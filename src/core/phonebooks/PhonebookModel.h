// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A phonebook as data: numbered entries of a number and a name, 8-bit text
// exactly as the phone and the files hold them. Entry r is row r of its grid
// (row 0 is the grid's header), so entries count from 1.
//
// PhonebookEntries is a plain value: copying it (the last-read copy of a
// book, for example) is cheap and shares nothing that a later edit could
// change. PhonebookModel holds one and tells its views what changed.
#include <QByteArray>
#include <QList>
#include <QObject>

struct PhonebookEntry {
    QByteArray number;
    QByteArray name;
    friend bool operator==(const PhonebookEntry &, const PhonebookEntry &) = default;
};

class PhonebookEntries {
public:
    PhonebookEntries() = default;
    explicit PhonebookEntries(int count);

    int count() const { return int(m_entries.size()); }
    // Entry r, 1..count(); an empty entry for any other r, so the row past
    // the last one reads as empty rather than failing.
    const PhonebookEntry &at(int r) const;
    // Sets entry r, growing the book to r entries when it is shorter.
    // Nothing happens for r < 1.
    void set(int r, const PhonebookEntry &entry);
    // At least `count` entries; a longer book keeps its length.
    void grow(int count);
    // Exactly `count` entries: the one way to make a book shorter.
    void resize(int count);
    // Every entry emptied; the count stays.
    void clear();

    friend bool operator==(const PhonebookEntries &, const PhonebookEntries &) = default;

private:
    QList<PhonebookEntry> m_entries;
};

class PhonebookModel : public QObject {
    Q_OBJECT
public:
    explicit PhonebookModel(int count = 0, QObject *parent = nullptr);

    const PhonebookEntries &entries() const { return m_entries; }
    int count() const { return m_entries.count(); }
    const PhonebookEntry &entry(int r) const { return m_entries.at(r); }

    // The edits of PhonebookEntries, each announced when it changed anything.
    void setEntry(int r, const PhonebookEntry &entry);
    void setNumber(int r, const QByteArray &number);
    void setName(int r, const QByteArray &name);
    void grow(int count);
    void resize(int count);
    void clear();
    // The whole book replaced (a file loaded); the count becomes the new one's.
    void setEntries(const PhonebookEntries &entries);

signals:
    // Announced first when both change, so a view has its rows before it is
    // told about their contents.
    void countChanged(int oldCount, int newCount);
    // Entries first..last (1-based, inclusive) may hold new text.
    void entriesChanged(int first, int last);

private:
    void announce(int oldCount, int first, int last);

    PhonebookEntries m_entries;
};
