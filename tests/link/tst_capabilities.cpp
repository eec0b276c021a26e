// SPDX-License-Identifier: GPL-2.0-or-later
// What the phone offers, asked once a session for each phone; the SIM's
// state found locked in an answer; a call list read cut short.
#include "LinkTestSupport.h"

#include "core/status/StatusAt.h"
#include "link/SimLock.h"
#include "link/calls/CallListService.h"
#include "link/info/CapabilityService.h"
#include "link/info/PhoneStatus.h"

#include <QJsonArray>
#include <QtTest>

using namespace linktest;

class TestCapabilities : public QObject {
    Q_OBJECT

    TraceFile m_trace;

private slots:
    void init() { m_trace.reset(); }

    // The first phone is asked everything, then only its serial number; a
    // second phone (no phone memory, a fixed-dialling list, text mode only,
    // no AT+CSCS) is asked anew.
    void askedOncePerPhone()
    {
        SimulatedPhone first({});
        QVERIFY(first.start());
        PhoneLink &link = first.link;
        link.setTiming(Timing().scaled(0.2));
        CapabilityService &service = CapabilityService::of(link);
        QCOMPARE(&CapabilityService::of(link), &service);
        QVERIFY(!service.current());
        QSignalSpy changed(&service, &CapabilityService::changed);

        QCOMPARE(service.learn(), CapabilityService::Outcome::Known);
        QCOMPARE(first.sim.commands(), SimPhone::capabilityProbe());
        const PhoneCapabilities *caps = service.current();
        QVERIFY(caps);
        QCOMPARE(caps->imei, QByteArray("520001234567897"));
        QCOMPARE(caps->books, std::optional(QStringList{"SM", "ME", "DC", "RC", "MC"}));
        QCOMPARE(caps->stores, std::optional(QList<QStringList>(3, QStringList{"ME", "SM"})));
        QCOMPARE(caps->charsets->size(), 5);
        QCOMPARE(caps->pduMode(), Offer::Yes);
        QCOMPARE(caps->bookSizes.value("SM").last, 10);
        QCOMPARE(caps->bookSizes.value("ME").last, 20);
        QCOMPARE(caps->bookSizes.value("MC").nameLength, 18);

        QCOMPARE(service.learn(), CapabilityService::Outcome::Known);
        QCOMPARE(first.sim.commands().mid(SimPhone::capabilityProbe().size()), QStringList{"AT+CGSN"});
        QCOMPARE(changed.size(), 2);

        link.closePort();
        SimPhone second({}, QJsonObject{{"imei", "520009999999999"},
                                        {"phonebook", QJsonObject{{"size", 0}, {"entries", QJsonArray()}}},
                                        {"characterSets", QJsonArray()}, {"messageFormats", QJsonArray{"1"}},
                                        {"callLists", QJsonObject{{"FD", QJsonObject{{"size", 5}}}}},
                                        {"messageStores", QJsonObject{{"ME", QJsonObject{{"size", 0}}}}}});
        QVERIFY(second.start());
        second.useAsCom(1);
        QCOMPARE(service.learn(), CapabilityService::Outcome::Known);
        // In an Ericsson's order.
        QCOMPARE(second.commands(), SimPhone::capabilityProbe({"FD", "SM", "DC", "RC", "MC"}));
        caps = service.current();
        QCOMPARE(caps->imei, QByteArray("520009999999999"));
        QCOMPARE(caps->book("ME"), Offer::No);
        QCOMPARE(caps->store("ME"), Offer::No);
        QCOMPARE(caps->pduMode(), Offer::No);
        // Refused is unknown, never lacking.
        QVERIFY(!caps->charsets);
        QVERIFY(caps->report().contains("Character sets: unknown (the phone did not answer AT+CSCS=?)"));
    }

    // The SIM's state asked and found waiting for its PIN goes to the PIN's
    // handler like a refusal does: a code given unlocks it and the state is
    // asked again; none given leaves it as the phone said. A probe that
    // meets the locked SIM stops, and the phone is asked again next time.
    void lockedStateAsksForThePin_data()
    {
        QTest::addColumn<bool>("give");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("state");
        QTest::newRow("PIN given") << true << QStringList{"AT+CPIN?", "AT+CPIN=\"1234\"", "AT+CPIN?"} << "READY";
        QTest::newRow("none given") << false << QStringList{"AT+CPIN?"} << "SIM PIN";
    }
    void lockedStateAsksForThePin()
    {
        QFETCH(bool, give);
        QFETCH(QStringList, sent);
        QFETCH(QString, state);
        SimulatedPhone phone({}, QJsonObject{{"pin", QJsonObject{{"state", "SIM PIN"}}}});
        QVERIFY(phone.start());
        phone.link.setTiming(Timing().scaled(0.2));
        QList<StatusAt::Lock> asked;
        SimLock::setHandler(phone.link, [&](StatusAt::Lock lock, const QString &) {
            asked << lock;
            return give ? StatusAt::pinCommand(QStringLiteral("1234")) : std::nullopt;
        });
        const StatusItem pin = PhoneStatus(phone.link).pin();
        QCOMPARE(pin.value, state);
        QCOMPARE(phone.sim.commands(), sent);
        QCOMPARE(asked, QList<StatusAt::Lock>{StatusAt::Lock::Pin});

        CapabilityService &service = CapabilityService::of(phone.link);
        const qsizetype before = phone.sim.commands().size();
        QCOMPARE(service.learn(), give ? CapabilityService::Outcome::Known : CapabilityService::Outcome::Locked);
        if (!give) {
            QCOMPARE(phone.sim.commands().mid(before), (QStringList{"AT+CGSN", "AT+CPBS=?"}));
            QCOMPARE(service.current()->book("SM"), Offer::Unknown);
            QCOMPARE(service.learn(), CapabilityService::Outcome::Locked);
            QCOMPARE(phone.sim.commands().mid(before).count("AT+CPBS=?"), 2);
        }
        SimLock::setHandler(phone.link, nullptr);
    }

    // A read the phone leaves unfinished keeps the entries that came whole.
    void callListCutShort()
    {
        ScriptedPhone phone;
        auto &[peer, port, link] = phone;
        link.setTiming(Timing().scaled(0.2));
        peer.replyTo("AT+CPBS=?\r", "\r\n+CPBS: (\"SM\",\"DC\")\r\n\r\nOK\r\n");
        peer.replyTo("AT+CPBS=\"DC\"\r", "\r\nOK\r\n");
        peer.replyTo("AT+CPBS?\r", "\r\n+CPBS: \"DC\",3,10\r\n\r\nOK\r\n");
        peer.replyTo("AT+CPBR=1,10\r",
                     "\r\n+CPBR: 1,\"0701\",129,\"\"\r\n+CPBR: 2,\"0702\",129,\"\"\r\n+CPBR: 3,\"07");
        CallListService calls(link);
        const CallListService::Result r = calls.read(CallsAt::List::Dialled);
        QCOMPARE(r.status, Exchange::Timeout);
        QCOMPARE(r.reason, QStringLiteral("the phone did not answer"));
        QCOMPARE(r.entries.size(), 2);
        QCOMPARE(r.entries.last().number, QByteArray("0702"));
    }
};

QTEST_GUILESS_MAIN(TestCapabilities)
#include "tst_capabilities.moc"
