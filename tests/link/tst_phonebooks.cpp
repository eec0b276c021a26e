// SPDX-License-Identifier: GPL-2.0-or-later
// A whole book read and written against the simulated phone: where the run
// ends, and what it reports of each location.
#include "LinkTestSupport.h"

#include "link/phonebooks/PhonebookTransfer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using namespace linktest;

namespace {
// A SIM book of `size` locations, "N<k>" at every third one.
QJsonObject simBook(int size)
{
    QJsonArray entries;
    for (int k = 1; k <= size; k += 3)
        entries.append(QJsonObject{{"index", k}, {"number", QString::number(100 + k)}, {"name", QStringLiteral("N%1").arg(k)}});
    return {{"sim", QJsonObject{{"size", size}, {"entries", entries}}}};
}

const QString NoRange = QStringLiteral("error:AT+CPBR=?");
} // namespace

class TestPhonebooks : public QObject {
    Q_OBJECT
    TraceFile m_trace;

private slots:
    void init() { m_trace.reset(); }

    void readEndsWhereTheBookDoes_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("stated");
        QTest::addColumn<int>("read");      // locations 1.. read Ok
        QTest::addColumn<int>("endedAt");   // the failing location, 0 for none
        QTest::addColumn<int>("status");    // how the run ended
        QTest::addColumn<QString>("lastAsked");

        QTest::newRow("range stated") << QString() << 7 << 7 << 7 << 0 << int(Exchange::Ok) << "AT+CPBR=7";
        QTest::newRow("no range, refused at 5") << NoRange << 4 << 0 << 4 << 0 << int(Exchange::Ok) << "AT+CPBR=5";
        QTest::newRow("no range, never refused") << NoRange << 300 << 0 << 255 << 0 << int(Exchange::Ok)
                                                 << "AT+CPBR=255";
        QTest::newRow("book refused at 1") << "error:AT+CPBR" << 4 << 0 << 0 << 1 << int(Exchange::Error)
                                           << "AT+CPBR=1";
        QTest::newRow("silent mid-book") << "mute:AT+CPBR=3" << 5 << 5 << 2 << 3 << int(Exchange::Timeout)
                                         << "AT+CPBR=3";
    }

    void readEndsWhereTheBookDoes()
    {
        QFETCH(QString, fault);
        QFETCH(int, size);
        QFETCH(int, stated);
        QFETCH(int, read);
        QFETCH(int, endedAt);
        QFETCH(int, status);
        QFETCH(QString, lastAsked);

        SimulatedPhone phone(fault.isEmpty() ? QStringList() : QStringList{"--fault", fault}, simBook(size));
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        PhonebookTransfer transfer(phone.link);
        QList<int> done;
        PhonebookTransfer::Watch watch;
        watch.done = [&](const PhonebookTransfer::Location &at) { done << at.location; };
        PhonebookTransfer::Run run;
        phone.link.runGuarded([&] { run = transfer.readBook(PhonebookAt::Book::Sim, watch); });

        QCOMPARE(run.statedLast, stated);
        QCOMPARE(int(run.status), status);
        QCOMPARE(run.endedAt, endedAt);
        // Every location asked is reported with its status, the failing one last.
        QCOMPARE(run.locations.size(), read + (endedAt ? 1 : 0));
        QList<int> asked;
        for (const PhonebookTransfer::Location &at : run.locations) {
            asked << at.location;
            QCOMPARE(at.location, int(asked.size()));
            QCOMPARE(int(at.status), at.location == endedAt ? status : int(Exchange::Ok));
            const bool filled = at.status == Exchange::Ok && at.location % 3 == 1;
            QCOMPARE(at.entry.name, filled ? QStringLiteral("N%1").arg(at.location).toLatin1() : QByteArray());
        }
        QCOMPARE(done, asked);
        QCOMPARE(phone.sim.commands().filter("AT+CPBR=").last(), lastAsked);
    }

    // A phone that refuses an empty location with +CME ERROR: 255: the
    // location is empty and the read goes on.
    void cme255IsAnEmptyLocation()
    {
        QJsonObject state = simBook(5);
        state.insert("quirks", QJsonObject{{"cme255Empty", true}});
        SimulatedPhone phone({}, state);
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        PhonebookTransfer transfer(phone.link);
        PhonebookTransfer::Run run;
        phone.link.runGuarded([&] { run = transfer.readBook(PhonebookAt::Book::Sim); });
        QVERIFY(run.complete());
        QCOMPARE(run.locations.size(), 5);
        QCOMPARE(run.locations.at(3).entry.name, QByteArray("N4"));
        QVERIFY(run.locations.at(1).entry.number.isEmpty());
    }

    // Clearing to the end of a book of unstated size: the file's rows, then
    // on until the phone refuses; that refusal is the end, not a failure.
    void writeToTheBooksEnd()
    {
        SimulatedPhone phone({"--fault", NoRange}, simBook(4));
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        PhonebookTransfer transfer(phone.link);
        const auto planned = [](int r) { return std::optional(PhonebookEntry{r == 1 ? "555" : "", ""}); };
        PhonebookTransfer::Run run;
        phone.link.runGuarded([&] { run = transfer.writeBook(PhonebookAt::Book::Sim, 2, planned, true); });
        QVERIFY(run.complete());
        QCOMPARE(run.locations.size(), 4);
        QCOMPARE(phone.sim.commands().filter("AT+CPBW=").size(), 5);
        QCOMPARE(phone.sim.stopAndDump().value("sim").toObject().value("entries").toArray().size(), 1);
    }

    // A SIM of 14-character names and 12-digit numbers, three locations:
    // the write keeps to what AT+CPBR=? states, asked once, and says what
    // it left out or cut.
    void writeKeepsToTheBook()
    {
        SimulatedPhone phone({}, {{"sim", QJsonObject{{"size", 3}, {"numberLength", 12}, {"nameLength", 14},
                                                      {"entries", QJsonArray{}}}}});
        phone.link.setTiming(Timing().scaled(0.2));
        QVERIFY(phone.start());
        PhonebookTransfer transfer(phone.link);
        const QList<PhonebookEntry> rows{{"+46701234567", "Annabelle Lindqvist"}, {"+4670123456789", "Long"},
                                         {"555", "Bo"}, {"666", "Past"}};
        const auto planned = [&](int r) { return std::optional(rows.value(r - 1)); };
        PhonebookTransfer::Run asked, run;
        phone.link.runGuarded([&] {
            asked = transfer.range(PhonebookAt::Book::Sim);
            run = transfer.writeBook(PhonebookAt::Book::Sim, 4, planned, false);
        });
        QCOMPARE((QList<int>{asked.limits.last, asked.limits.number, asked.limits.name}), (QList<int>{3, 12, 14}));
        QCOMPARE(phone.sim.commands(),
                 (QStringList{"AT+CPBS=\"SM\"", "AT+CPBR=?", "AT+CPBS=\"SM\"",
                              "AT+CPBW=1,\"46701234567\",145,\"Annabelle Lind\"", "AT+CPBW=3,\"555\",129,\"Bo\""}));
        QCOMPARE(PhonebookTransfer::writeSummary(run),
                 (QStringList{"Names cut to the book's 14 characters: location 1.",
                              "Not written, the number longer than the book's 12 digits: location 2.",
                              "Not written, past the book's last location 3: location 4."}));
        QVERIFY(PhonebookTransfer::lostEntries(run));

        // The simulated SIM refuses a name longer than it takes, as a SIM does.
        phone.link.runGuarded([&] { phone.link.exchange("AT+CPBW=2,\"1\",129,\"Fifteen letters\"\r\n"); });
        QCOMPARE(int(phone.link.lastStatus()), int(Exchange::Error));
        QCOMPARE(phone.sim.stopAndDump().value("sim").toObject().value("entries").toArray().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestPhonebooks)
#include "tst_phonebooks.moc"
