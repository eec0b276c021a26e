// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/phonebooks/PhonebookModel.h"

#include <QtGlobal>

PhonebookEntries::PhonebookEntries(int count) { grow(count); }

const PhonebookEntry &PhonebookEntries::at(int r) const
{
    static const PhonebookEntry empty;
    return r >= 1 && r <= count() ? m_entries.at(r - 1) : empty;
}

void PhonebookEntries::set(int r, const PhonebookEntry &entry)
{
    if (r < 1)
        return;
    grow(r);
    m_entries[r - 1] = entry;
}

void PhonebookEntries::grow(int count)
{
    if (count > this->count())
        m_entries.resize(count);
}

void PhonebookEntries::resize(int count) { m_entries.resize(qMax(0, count)); }

void PhonebookEntries::clear()
{
    for (PhonebookEntry &e : m_entries)
        e = PhonebookEntry();
}

PhonebookModel::PhonebookModel(int count, QObject *parent) : QObject(parent), m_entries(count) {}

void PhonebookModel::announce(int oldCount, int first, int last)
{
    if (count() != oldCount)
        emit countChanged(oldCount, count());
    last = qMin(last, count());
    if (first <= last)
        emit entriesChanged(first, last);
}

void PhonebookModel::setEntry(int r, const PhonebookEntry &entry)
{
    if (r < 1 || (r <= count() && this->entry(r) == entry))
        return;
    const int old = count();
    m_entries.set(r, entry);
    announce(old, r, r);
}

void PhonebookModel::setNumber(int r, const QByteArray &number)
{
    setEntry(r, {number, entry(r).name});
}

void PhonebookModel::setName(int r, const QByteArray &name)
{
    setEntry(r, {entry(r).number, name});
}

void PhonebookModel::grow(int count)
{
    const int old = this->count();
    m_entries.grow(count);
    announce(old, 1, 0);
}

void PhonebookModel::resize(int count)
{
    const int old = this->count();
    m_entries.resize(count);
    announce(old, 1, 0);
}

void PhonebookModel::clear()
{
    m_entries.clear();
    announce(count(), 1, count());
}

void PhonebookModel::setEntries(const PhonebookEntries &entries)
{
    const int old = count();
    m_entries = entries;
    announce(old, 1, count());
}
