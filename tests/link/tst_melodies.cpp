// SPDX-License-Identifier: GPL-2.0-or-later
// The own melodies and ring types against the simulated phone: what goes on
// the line, what comes back, and what the phone keeps.
#include "LinkTestSupport.h"

#include "link/melodies/PhoneMelodies.h"
#include "link/settings/PersonalRings.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

using namespace linktest;

namespace {
const QJsonObject kState{
    {"ringCodes", "1-12,31-34"},
    {"ownMelodies", QJsonObject{{"1", "cdef"}, {"3", "+#GA(b)b"}}},
};

// The phone and the services over it, with the link's timing scaled down.
struct Rig {
    SimulatedPhone phone;
    PersonalRings rings{phone.link};
    PhoneMelodies melodies{phone.link, rings};
    explicit Rig(const QJsonObject &state = kState, const QStringList &args = {}) : phone(args, state)
    {
        phone.link.setTiming(Timing().scaled(0.2));
    }
};
} // namespace

class TestMelodies : public QObject {
    Q_OBJECT
private slots:
    void readStoreAndReadBack()
    {
        Rig rig;
        QVERIFY(rig.phone.start());
        QSignalSpy codesRead(&rig.melodies, &PhoneMelodies::ringCodesRead);

        PhoneMelodies::Read read = rig.melodies.readMelodies();
        QCOMPARE(read.status, PhoneMelodies::Read::Done);
        QVERIFY(read.ringCodesListed);
        QCOMPARE(codesRead.size(), 1);
        QVERIFY(rig.rings.ringCodes().contains("34"));
        QCOMPARE((QStringList{read.shown(1), read.shown(2), read.shown(3), read.shown(4)}),
                 (QStringList{"cdef", " n/a", "+#GA(b)b", " n/a"}));
        QVERIFY(!rig.phone.port.isOpen());

        QCOMPARE(rig.melodies.storeMelody(2, "c d e+"), ServiceResult::Done);
        QVERIFY(!rig.phone.port.isOpen());
        QCOMPARE(rig.melodies.storeMelody(4, QString()), ServiceResult::NotSent);
        // One command line however the text tries to end it or start another.
        QCOMPARE(rig.melodies.storeMelody(4, "g\"\r\nAT*ESOM=1,\"\x1a\x1b" "a"), ServiceResult::Done);
        QCOMPARE(rig.melodies.storeMelody(5, "c"), ServiceResult::NotSent);

        read = rig.melodies.readMelodies();
        QCOMPARE((QStringList{read.shown(1), read.shown(2), read.shown(3), read.shown(4)}),
                 (QStringList{"cdef", "cde", "+#GA(b)b", "gAEa"}));

        const QStringList sent = rig.phone.sim.commands();
        QCOMPARE(sent.filter("AT*ESOM=").size(), 2);
        QVERIFY(sent.contains("AT*ESOM=2,\"cde\""));
        QVERIFY(sent.contains("AT*ESOM=4,\"gAEa\""));
        QCOMPARE(rig.phone.sim.stopAndDump().value("ownMelodies").toObject(),
                 (QJsonObject{{"1", "cdef"}, {"2", "cde"}, {"3", "+#GA(b)b"}, {"4", "gAEa"}}));
    }

    void ringTypesAndPlaying()
    {
        Rig rig(QJsonObject{{"ringCodes", "1-3,12"}});
        QVERIFY(rig.phone.start());
        auto &m = rig.melodies;
        using R = ServiceResult;

        QCOMPARE(m.setRingType("12", 4), R::Done);      // UseCombo, "Alarm"
        QVERIFY(!rig.phone.port.isOpen());
        QCOMPARE(m.setRingType("5", 1), R::Refused);    // a code the phone does not list
        QCOMPARE(m.setRingType("31", 2), R::Refused);   // nor its own melodies, here
        QCOMPARE(m.setRingType("2", 0), R::NotSent);    // " Call Type"
        QCOMPARE(m.setRingType("x", 1), R::NotSent);

        QCOMPARE(m.playMelody(3), R::Done);             // own melodies play though unlisted
        QVERIFY(rig.phone.port.isOpen());            // playing leaves the port open
        QCOMPARE(m.playRing("2"), R::Done);
        QCOMPARE(m.playRing("9"), R::Refused);
        QCOMPARE(m.playRing(""), R::NotSent);
        QCOMPARE(m.playMelody(5), R::NotSent);

        QCOMPARE(rig.phone.sim.commands(),
                 (QStringList{"AT*ERIN=12,5", "AT*ERIN=5,1", "AT*ERIN=31,4", "AT*ERIP=7,33", "AT*ERIP=7,2",
                              "AT*ERIP=7,9"}));
        QCOMPARE(rig.phone.sim.stopAndDump().value("ringTypes").toObject(), (QJsonObject{{"alarm", 12}}));
    }

    void readRefusedOrNoPort()
    {
        // The phone refuses the melody query: no slot is claimed empty.
        Rig refused(kState, {"--fault", "error:AT*ESOM?"});
        QVERIFY(refused.phone.start());
        PhoneMelodies::Read read = refused.melodies.readMelodies();
        QCOMPARE(read.status, PhoneMelodies::Read::Refused);
        QVERIFY(!read.melodies[0]);
        QVERIFY(!refused.phone.port.isOpen());

        // No phone at COM1 at all: nothing is asked after the ring codes.
        Rig none;
        qputenv("MIRVAK_COM1", "/nonexistent/tty");
        read = none.melodies.readMelodies();
        QCOMPARE(read.status, PhoneMelodies::Read::NoPort);
        QVERIFY(!read.ringCodesListed);
    }
};

QTEST_GUILESS_MAIN(TestMelodies)
#include "tst_melodies.moc"
