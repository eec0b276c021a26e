// SPDX-License-Identifier: GPL-2.0-or-later
// Call forwarding and call waiting in AT form: the commands built from what
// the user typed, and what the network's replies say.
#include <QtTest>

#include "core/settings/CallServicesAt.h"

using namespace CallForward;

Q_DECLARE_METATYPE(CallForward::Service)
Q_DECLARE_METATYPE(CallForward::Reason)
Q_DECLARE_METATYPE(CallForward::Status::Kind)
Q_DECLARE_METATYPE(CallWaiting::State)

class TestCoreCallServices : public QObject {
    Q_OBJECT
private slots:
    void setCommand_data()
    {
        QTest::addColumn<Service>("service");
        QTest::addColumn<Reason>("reason");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("national, blanks and hyphen") << Service::Voice << Reason::NoAnswer << QByteArray("070-123 45 67")
                                                     << QByteArray("AT+CCFC=2,1,\"0701234567\",128,1\r\n");
        QTest::newRow("international") << Service::Voice << Reason::NoAnswer << QByteArray("+46701234567")
                                       << QByteArray("AT+CCFC=2,1,\"46701234567\",145,1\r\n");
        QTest::newRow("a second command") << Service::Fax << Reason::Unreachable
                                          << QByteArray("1\",129,4\r\nAT+CCFC=0,0,,,1\r\n")
                                          << QByteArray("AT+CCFC=3,1,\"11294+001\",128,4\r\n");
        QTest::newRow("only the type's 9 turns 8") << Service::Voice << Reason::Busy << QByteArray("0709")
                                                     << QByteArray("AT+CCFC=1,1,\"0709\",128,1\r\n");
    }
    void setCommand()
    {
        QFETCH(Service, service);
        QFETCH(Reason, reason);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, command);
        QCOMPARE(CallForward::setCommand(service, reason, typed), command);
    }

    void readStatus_data()
    {
        QTest::addColumn<Service>("service");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("aborted");
        QTest::addColumn<Status::Kind>("kind");
        QTest::addColumn<QByteArray>("number");
        const QByteArray ok = "\r\n\r\nOK\r\n";
        QTest::newRow("voice off") << Service::Voice << "AT+CCFC=1,2,,,1\r\r\n+CCFC: 0,1" + ok << false << Status::Off
                                   << QByteArray();
        QTest::newRow("echo not searched") << Service::Data
                                           << "AT+CCFC=0,2,,,2\r\r\n+CCFC: 1,2,\"0701234567\",129" + ok << false
                                           << Status::Forwarded << QByteArray("0701234567");
        QTest::newRow("international") << Service::Fax << "AT+CCFC=3,2,,,4\r\r\n+CCFC: 1,4,\"4670555\",145" + ok
                                       << false << Status::Forwarded << QByteArray("+4670555");
        QTest::newRow("no echo, off") << Service::Fax << "\r\n+CCFC: 0,4" + ok << false << Status::Off << QByteArray();
        // Off for every class at once: the mask holds the row's class.
        QTest::newRow("voice off in mask 7") << Service::Voice << "AT+CCFC=3,2,,,1\r\r\n+CCFC: 0,7" + ok << false
                                             << Status::Off << QByteArray();
        QTest::newRow("data off in mask 7") << Service::Data << "AT+CCFC=0,2,,,2\r\r\n+CCFC: 0,7" + ok << false
                                            << Status::Off << QByteArray();
        QTest::newRow("fax off in mask 5") << Service::Fax << "\r\n+CCFC: 0, 5" + ok << false << Status::Off
                                           << QByteArray();
        QTest::newRow("mask without the class") << Service::Voice << "AT+CCFC=3,2,,,1\r\r\n+CCFC: 0,6" + ok << false
                                                << Status::NetworkError << QByteArray();
        QTest::newRow("active in mask 7") << Service::Voice
                                          << "AT+CCFC=0,2,,,1\r\r\n+CCFC: 1,7,\"0701234567\",129" + ok << false
                                          << Status::Forwarded << QByteArray("0701234567");
        QTest::newRow("echo's 0,7 not searched") << Service::Data << "AT+CCFC=0,2,,,7\r\r\n+CCFC: 1,2" + ok << false
                                                 << Status::NetworkError << QByteArray();
        QTest::newRow("mask 7 aborted") << Service::Voice << "\r\n+CCFC: 0,7" + ok << true << Status::NetworkError
                                        << QByteArray();
        QTest::newRow("OK alone") << Service::Voice << "AT+CCFC=3,2,,,1\r" + ok << false << Status::NetworkError
                                  << QByteArray();
        QTest::newRow("failed exchange") << Service::Voice << QByteArray() << false << Status::NetworkError
                                         << QByteArray();
        QTest::newRow("aborted") << Service::Data << "\r\n+CCFC: 1,2,\"123\",129" + ok << true << Status::NetworkError
                                 << QByteArray();
        QTest::newRow("one quote") << Service::Data << "\r\n+CCFC: 1,2,\"123" + ok << false << Status::NetworkError
                                   << QByteArray();
    }
    void readStatus()
    {
        QFETCH(Service, service);
        QFETCH(QByteArray, reply);
        QFETCH(bool, aborted);
        QFETCH(Status::Kind, kind);
        QFETCH(QByteArray, number);
        const Status s = CallForward::readStatus(reply, service, aborted);
        QCOMPARE(s.kind, kind);
        QCOMPARE(s.number, number);
    }

    void readWaiting_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("aborted");
        QTest::addColumn<CallWaiting::State>("state");
        QTest::newRow("not active") << QByteArray("\r\n+CCWA: 0,1\r\n\r\nOK\r\n") << false
                                    << CallWaiting::State::NotActive;
        QTest::newRow("OK alone") << QByteArray("AT+CCWA=1,2\r\r\nOK\r\n") << false << CallWaiting::State::Unknown;
        QTest::newRow("no blank") << QByteArray("\r\n+CCWA:1,1\r\n\r\nOK\r\n") << false << CallWaiting::State::Unknown;
        QTest::newRow("colon at the end") << QByteArray("+CCWA:") << false << CallWaiting::State::Unknown;
        QTest::newRow("aborted") << QByteArray("\r\n+CCWA: 1,1\r\n\r\nOK\r\n") << true << CallWaiting::State::Unknown;
    }
    void readWaiting()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, aborted);
        QFETCH(CallWaiting::State, state);
        QCOMPARE(CallWaiting::readState(reply, aborted), state);
    }
};

QTEST_GUILESS_MAIN(TestCoreCallServices)
#include "tst_core_callservices.moc"
