// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The phone's message stores on the wire: read every message of the SIM,
// the phone memory or both, and delete locations. It knows nothing of the
// list; the Inbox page runs it inside an OperationGuard and shows what
// comes back.
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <optional>

#include "core/messaging/InboxMessages.h"

class PhoneLink;
struct Exchange;

class InboxService : public QObject {
    Q_OBJECT
public:
    explicit InboxService(PhoneLink &link, QObject *parent = nullptr);

    enum class Choice { Sim, Phone, Both };

    struct ReadResult {
        QList<InboxPart> parts; // everything read, also when the read stopped early
        bool complete = false;
        bool aborted = false;
        QString error;          // why it stopped, when it did and the user did not stop it
        // Stores asked for with Both that the phone does not have.
        QList<InboxAt::Store> missing;
        // The size each store read reported (not when it reported none).
        QMap<InboxAt::Store, int> sizes;
    };
    // AT+CMGF=0, then each store: selected, listed with AT+CMGL=4 (tried
    // once), or read location by location until the store's count is found.
    // Filled as it goes, so a port failure thrown out of it keeps what was read.
    void read(Choice choice, ReadResult &result);
    // AT+CMGF=0, the store selected, AT+CMGR for one location: parts holds
    // the message there, or nothing for an empty location (complete) or one
    // past the store's size (complete, the size in sizes).
    void readOne(InboxAt::Store store, int location, ReadResult &result);

    struct Location {
        InboxAt::Store store;
        int location;
        friend bool operator==(const Location &, const Location &) = default;
    };
    struct DeleteResult {
        QList<Location> deleted; // the phone confirmed these
        QList<Location> refused; // the phone said no, or never got to them
        QString error;           // why the run stopped early
        // With withinSize, the locations past the size their store reported:
        // none of that store is deleted then, as a typing error must not
        // cost half a list.
        QList<Location> outOfRange;
        QMap<InboxAt::Store, int> sizes;
    };
    // Each store selected once, then AT+CMGD for each of its locations.
    // withinSize: for locations typed by hand rather than taken from a list.
    DeleteResult remove(const QList<Location> &locations, bool withinSize = false);

    // How every operation ends: whatever is left of an abandoned answer
    // dropped, the port closed.
    void finish();

signals:
    // found of total messages the stores reported so far.
    void progress(int found, int total);

private:
    // Ok; otherwise the reason to give up, unless the phone just said no.
    bool stopped(const Exchange &answer, QString *why) const;
    // stopped(), and whether the user stopped it, written into the result.
    bool giveUp(const Exchange &answer, ReadResult &r) const;

    // The steps of read(); each false (or empty) when the read ends there.
    struct Run;
    enum class Listed { Whole, Refused, Stopped };
    bool pduMode(ReadResult &r);
    std::optional<QList<InboxAt::Store>> storesToRead(Choice choice, ReadResult &r);
    // anyStore: a store the phone refuses is passed over, not an error.
    bool readStore(InboxAt::Store store, bool anyStore, Run &run);
    // The store selected, and how full it is when the phone says.
    enum class Selected { Ok, Refused, Stopped };
    Selected select(InboxAt::Store store, ReadResult &r, std::optional<InboxAt::Counts> &counts);
    Listed listStore(InboxAt::Store store, Run &run);
    // Up to `size` locations, until `used` messages are found (all when unknown).
    bool readLocations(InboxAt::Store store, int size, int used, Run &run);

    PhoneLink &m_link;
};
