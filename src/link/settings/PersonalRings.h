// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's personal rings (*EPRW, *EPRR, *ERIP) and its list of ring
// codes (*EPRW=? or *ERIN=?). The list of ring codes is held here, so every
// ring-type box (the personal-ring panel's, the melody page's) fills from the
// one list and none needs another page's widgets.
//
// Every call is one step of an operation: the caller holds the
// OperationGuard and runs it inside PhoneLink::runGuarded.
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/settings/RingList.h"
#include "link/ServiceResult.h"

class PhoneLink;

class PersonalRings : public QObject {
    Q_OBJECT
public:
    explicit PersonalRings(PhoneLink &link, QObject *parent = nullptr);

    // Sends "AT*EPRW=?" and refills the ring codes from its answer. The
    // number of personal-ring entries to read, or nothing when the phone
    // gave no usable answer (then no entry is to be read).
    std::optional<int> readRanges();
    // Sends "AT*ERIN=?" and refills the ring codes from its answer; true
    // when the phone's list was read whole. The port stays open.
    bool readRingCodes();

    // The items as the ring-type boxes show them (codes and "--"), and
    // whether they are the phone's whole list.
    const QStringList &ringCodes() const { return m_codes; }
    bool ringCodesListed() const { return m_listed; }

    // "AT*EPRR=n", n from 1. Nothing for an empty entry or a failed read.
    std::optional<RingList::Entry> readEntry(int index);

    // NotSent: no number, no ring code.
    // "AT*EPRW=index,\"number\",type,ring" for the number as typed.
    ServiceResult writeEntry(int index, const QString &number, const QString &ring);
    // "AT*ERIP=6,ring": the phone plays the ring.
    ServiceResult playRing(const QString &ring);

signals:
    // The ring codes changed: emptied when a read starts, filled as the
    // phone lists them. `listed`: the whole list was read, so the boxes
    // show the first code, "1".
    void ringCodesChanged(const QStringList &codes, bool listed);

private:
    void setCodes(const QStringList &codes, bool listed);

    PhoneLink &m_link;
    QStringList m_codes;
    bool m_listed = false;
};
