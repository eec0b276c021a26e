// SPDX-License-Identifier: GPL-2.0-or-later
// The exchange and the binary-mode link against the simulated phone, paced
// like a 9600-baud cable.
#include "LinkTestSupport.h"

#include "core/messaging/IcqNumbers.h"
#include "link/BinaryLink.h"
#include "link/messaging/CentreService.h"
#include "link/messaging/SmsSender.h"

#include <QSignalSpy>
#include <QtTest>

using namespace linktest;

class TestSim : public QObject {
    Q_OBJECT

    static const QStringList paced() { return {QStringLiteral("--pace"), QStringLiteral("960")}; }

    static int count(const QList<QJsonObject> &log, const QString &t)
    {
        int n = 0;
        for (const QJsonObject &o : log)
            n += o.value("t").toString() == t;
        return n;
    }

private slots:
    void init()
    {
        qunsetenv("MIRVAK_TRACE");
    }

    void atExchanges()
    {
        SimulatedPhone phone(paced());
        QVERIFY(phone.start());
        auto &[sim, port, link] = phone;

        link.setCommandText("AT\r\n");
        link.SendCommand();
        QCOMPARE(link.ReplyText(), QByteArray("AT\r\r\nOK\r\n"));

        link.setCommandText("AT+CGMM\r\n");
        link.SendCommand();
        QCOMPARE(link.ReplyText(), QByteArray("AT+CGMM\r\r\n1101101-BVT28s\r\n\r\nOK\r\n"));
        QVERIFY(!link.AbortRequested());

        link.setCommandText("AT+NOSUCH\r\n");
        link.SendCommand();
        QVERIFY(link.ReplyText().isEmpty());
        QVERIFY(!link.AbortRequested());
        QVERIFY(!link.replyTimerRunning());

        port.close();
        QCOMPARE(sim.commands(), (QStringList{"AT", "AT+CGMM", "AT+NOSUCH"}));
    }

    void extendedErrorEndsAtOnce()
    {
        SimulatedPhone phone(paced() + QStringList{"--fault", "cme:AT+CPIN:10"});
        QVERIFY(phone.start());
        auto &[sim, port, link] = phone;
        // Not after the network's 15 s: then the status would say Timeout.
        const Exchange result = link.exchange("AT+CPIN?\r\n", Wait::Network);
        QCOMPARE(result.status, Exchange::CmeError);
        QVERIFY(result.reply.endsWith("+CME ERROR: 10\r\n"));
        QVERIFY(link.ReplyText().isEmpty());
    }

    void phoneVanishes()
    {
        SimulatedPhone phone(paced() + QStringList{"--fault", "hangup-after:AT+CGMI"});
        QVERIFY(phone.start());
        auto &[sim, port, link] = phone;
        QStringList shown;
        link.setPortFailureHandler([&](const PortError &e) { shown << e.message(); });
        int sent = 0;
        link.runGuarded([&] {
            link.setCommandText("AT+CGMI\r\n");
            link.SendCommand();
            QVERIFY(!link.ReplyText().isEmpty());
            ++sent;
            QTRY_VERIFY(port.hungUp()); // the cable is pulled
            for (const char *cmd : {"AT+CGMM\r\n", "AT+CGMR\r\n"}) {
                link.setCommandText(cmd);
                link.SendCommand();
                ++sent;
            }
        });
        QCOMPARE(shown.size(), 1);
        QCOMPARE(sent, 1);
        QVERIFY(!port.isOpen());
        QVERIFY(!link.replyTimerRunning());
        QVERIFY(link.AbortRequested());
    }

    void binaryModeCentreQuery()
    {
        SimulatedPhone phone(paced());
        QVERIFY(phone.start());
        auto &[sim, port, link] = phone;
        BinaryLink binary(link);
        link.runGuarded([&] {
            QVERIFY(link.exchange("AT\r\n").ok());
            binary.GoBinary();
            QVERIFY(!link.AbortRequested());
            QVERIFY(!link.replyTimerRunning());

            const BinaryLink::Answer answer = binary.request(
                QByteArray("\x02\x02" "AQ", 4), BinaryLink::Request(BinaryLink::WithinTimer).purgingFirst().within(3000));
            QVERIFY(answer.acknowledged && answer.whole);
            QVERIFY(link.replyTimerRunning());
            QVERIFY(answer.body.startsWith("BQ"));
            link.stopReplyTimer();
            binary.SendCommBreak();
            port.write("\r\n");
            port.close();
        });
        QVERIFY(!link.AbortRequested());
        const QList<QJsonObject> log = sim.log();
        QCOMPARE(count(log, "ack-in"), 3); // two greeting frames and the reply
        QCOMPARE(count(log, "frame-in"), 1);
    }

    void binaryModeRefused()
    {
        SimulatedPhone phone(paced() + QStringList{"--fault", "binary-silent"});
        QVERIFY(phone.start());
        auto &[sim, port, link] = phone;
        link.setTiming(Timing().scaled(0.2));
        port.open();
        BinaryLink(link).GoBinary();
        QVERIFY(link.AbortRequested());
        port.close();
    }

    // Every AT command a send writes is told through commandWritten, those
    // written outside an exchange too: the length before the prompt, the
    // entry to binary mode.
    void sendTellsEveryCommand_data()
    {
        QTest::addColumn<bool>("binaryOnly");
        QTest::addColumn<QString>("outsideExchange");
        QTest::newRow("at mode") << false << QStringLiteral("AT+CMGS=18");
        QTest::newRow("binary mode") << true << QStringLiteral("AT*BINARY");
    }
    void sendTellsEveryCommand()
    {
        QFETCH(bool, binaryOnly);
        QFETCH(QString, outsideExchange);
        SimulatedPhone phone({}, binaryOnly ? QJsonObject{{"binaryOnly", true}} : QJsonObject{});
        QVERIFY(phone.start());
        auto &[sim, port, link] = phone;
        link.setTiming(Timing().scaled(0.2));
        const IcqNumbers icq;
        CentreService centre(link);
        SmsSender sender(link, centre, icq);
        QStringList told;
        connect(&link, &PhoneLink::commandWritten, this, [&](const QByteArray &command) {
            if (command.startsWith("AT")) // the message itself is hex, no command
                told << QString::fromLatin1(command.trimmed());
        });
        QSignalSpy handed(&sender, &SmsSender::handedOver);
        link.runGuarded([&] { sender.send({QStringLiteral("hello"), QStringLiteral("0701234567"), {}, false}); });
        QCOMPARE(handed.size(), 1);
        QVERIFY(!port.isOpen());
        QVERIFY2(told.contains(outsideExchange), qPrintable(told.join(' ')));
        QCOMPARE(told, sim.commands());
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
