// SPDX-License-Identifier: GPL-2.0-or-later
// mirvak-cli status, calls, dial and hangup against the simulated phone,
// the SIM's PIN from a file, and the real phones' quirks each replayed.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "Scratch.h"
#include "SimPhone.h"

namespace {
struct Ran {
    int code = -1;
    QByteArray out;
    QByteArray err;
};
} // namespace

class TestCliCalls : public QObject {
    Q_OBJECT

    Scratch m_dir;

    // mirvak-cli on a phone of its own; `sent` gets the phone's commands.
    Ran run(const QJsonObject &phone, const QStringList &args, QStringList *sent = nullptr)
    {
        SimPhone sim({}, phone);
        if (!sim.start())
            return {};
        sim.useAsCom(1);
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(QStringLiteral(MIRVAK_CLI), args);
        p.waitForFinished(180000);
        if (sent)
            *sent = sim.commands();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

private slots:
    void status_data()
    {
        QTest::addColumn<QJsonObject>("phone");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("plain") << QJsonObject{{"operator", "UK VODAFONE"}}
                               << QByteArray("signal: -71 dBm (4 of 5 bars)\nbattery: 80 %\noperator: UK VODAFONE\n"
                                             "registration: home\npin: READY\n");
        // No AT+CBC: the charge from the indicators; no signal; roaming.
        QTest::newRow("indicators") << QJsonObject{{"cbcRefused", true}, {"battery", 60}, {"csq", 99}, {"creg", 5}}
                                    << QByteArray("signal: no signal\nbattery: 60 %\noperator: Telia\n"
                                                  "registration: roaming\npin: READY\n");
        // NUL bytes after every answer change nothing.
        QTest::newRow("NUL bytes") << QJsonObject{{"quirks", QJsonObject{{"nulAfterReply", 4}}}, {"creg", 2}}
                                   << QByteArray("signal: -71 dBm (4 of 5 bars)\nbattery: 80 %\noperator: Telia\n"
                                                 "registration: searching\npin: READY\n");
    }
    void status()
    {
        QFETCH(QJsonObject, phone);
        QFETCH(QByteArray, out);
        const Ran r = run(phone, {"status"});
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, out);
    }

    void statusAsJsonAndInfoPastNulBytes()
    {
        Ran r = run({}, {"status", "--format", "json"});
        QVERIFY2(r.code == 0, r.err.constData());
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys(), (QStringList{"battery", "operator", "pin", "registration", "signal"}));
        QCOMPARE(o["signal"].toString(), QStringLiteral("-71 dBm (4 of 5 bars)"));
        // The IMEI is found by its place in the reply: NUL bytes ahead of it
        // would shift it.
        r = run({{"quirks", QJsonObject{{"nulAfterReply", 3}}}}, {"info"});
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.out.contains("IMEI: 520001234567897\n"), r.out.constData());
    }

    void callLists_data()
    {
        QTest::addColumn<QJsonObject>("phone");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("select");
        const QByteArray dialled = "  1  +46701234567" + QByteArray(30, ' ') + "05/06/07,12:34:56\n  2  0812345678\n";
        QTest::newRow("DC") << QJsonObject{} << QStringList{"calls"} << dialled << "AT+CPBS=\"DC\"";
        QTest::newRow("LD") << QJsonObject{{"callLists", QJsonObject{{"dialledBook", "LD"}}}}
                            << QStringList{"calls", "--list", "dialled"} << dialled << "AT+CPBS=\"LD\"";
        // The range from AT+CPBR=? when AT+CPBS? gives no counts.
        QTest::newRow("no counts") << QJsonObject{{"quirks", QJsonObject{{"cpbsNoCounts", true}}}}
                                   << QStringList{"calls", "--list", "missed", "--format", "csv"}
                                   << QByteArray("Location,Number,Name,Time\r\n1,\"0701112233\",\"\",\"05/06/08,08:00:00\"\r\n")
                                   << "AT+CPBR=?";
        // An empty list refused with +CME ERROR: 255 is an empty list.
        QTest::newRow("CME 255") << QJsonObject{{"callLists", QJsonObject{{"RC", QJsonObject{{"size", 5}}}}},
                                                {"quirks", QJsonObject{{"cme255Empty", true}, {"cpbsNoCounts", true}}}}
                                 << QStringList{"calls", "--list", "received"} << QByteArray() << "AT+CPBR=1,5";
    }
    void callLists()
    {
        QFETCH(QJsonObject, phone);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        QFETCH(QString, select);
        QStringList sent;
        const Ran r = run(phone, args, &sent);
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, out);
        QVERIFY2(sent.contains(select), qPrintable(sent.join(u' ')));
        // The SIM book is selected again; nothing is ever written.
        QCOMPARE(sent.last(), QStringLiteral("AT+CPBS=\"SM\""));
        QVERIFY(!sent.join(u' ').contains(QLatin1String("CPBW")));
    }

    void missingListAndDialling()
    {
        QStringList sent;
        Ran r = run({}, {"calls", "--list", "fixed"}, &sent);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("the phone has no fixed dialling list"), r.err.constData());

        r = run({}, {"dial", "+46 70-123 45 67"}, &sent);
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(r.out, QByteArray("calling +46701234567\n"));
        QCOMPARE(sent, QStringList{"ATD+46701234567;"});
        // Nothing that could end the command reaches the phone.
        r = run({}, {"dial", "0701;ATH"}, &sent);
        QCOMPARE(r.code, 2);
        QVERIFY(sent.isEmpty());
        // A phone that refuses ATH hangs up on AT+CHUP.
        r = run({{"athRefused", true}, {"calling", "0701"}}, {"hangup"}, &sent);
        QVERIFY2(r.code == 0, r.err.constData());
        QCOMPARE(sent, (QStringList{"ATH", "AT+CHUP"}));
    }

    // What the phone offers, asked in one go; a locked SIM hides its books.
    void capabilities()
    {
        QStringList sent;
        Ran r = run({{"phonebook", QJsonObject{{"size", 0}, {"entries", QJsonArray()}}}}, {"capabilities"}, &sent);
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY2(r.out.startsWith("Phone: IMEI 520001234567897\nPhonebooks: SM, DC, RC, MC\n"), r.out.constData());
        QVERIFY(r.out.contains("\nCharacter sets: GSM, IRA, 8859-1, UTF-8, UCS2\nMessage formats: PDU\n"));
        QCOMPARE(sent, SimPhone::capabilityProbe({"SM", "DC", "RC", "MC"}));
        r = run({{"pin", QJsonObject{{"state", "SIM PIN"}}}}, {"capabilities"}, &sent);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.out.contains("Phonebooks: unknown"), r.out.constData());
        QVERIFY2(r.err.contains("the SIM waits for its PIN: its books and stores are not known"), r.err.constData());
    }

    // The PIN from a file unlocks the SIM and the command goes on; it is in
    // no trace. A wrong one is sent once, never again.
    void pinFromFile()
    {
        QVERIFY(m_dir.write("pin", "1234\n"));
        QVERIFY(m_dir.write("wrong", "9999\n"));
        const QJsonObject locked{{"pin", QJsonObject{{"state", "SIM PIN"}}}};
        const QString trace = m_dir.filePath("trace.txt");
        QStringList sent;
        Ran r = run(locked, {"calls", "--list", "missed", "--pin-file", m_dir.filePath("pin"), "--trace", trace}, &sent);
        QVERIFY2(r.code == 0, r.err.constData());
        QVERIFY(r.out.contains("0701112233"));
        QCOMPARE(sent.mid(0, 3), (QStringList{"AT+CPBS=?", "AT+CPIN=\"1234\"", "AT+CPBS=?"}));
        const QByteArray traced = m_dir.read("trace.txt");
        QVERIFY(traced.contains("AT+CPIN=\"****\""));
        QVERIFY(!traced.contains("\"1234\"") && !traced.contains("22 31 32 33 34 22"));

        r = run(locked, {"status", "--pin-file", m_dir.filePath("wrong")}, &sent);
        QCOMPARE(sent.count(QStringLiteral("AT+CPIN=\"9999\"")), 1);
        QVERIFY2(r.err.contains("Wrong PIN. 2 tries left."), r.err.constData());
        // Without a file or a terminal the PIN is asked of nobody.
        r = run(locked, {"calls"}, &sent);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("the SIM waits for its PIN; give it with --pin-file FILE"), r.err.constData());
        QVERIFY(!sent.join(u' ').contains(QLatin1String("AT+CPIN=")));
    }
};

QTEST_GUILESS_MAIN(TestCliCalls)
#include "tst_cli_calls.moc"
