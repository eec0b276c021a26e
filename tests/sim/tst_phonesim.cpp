// SPDX-License-Identifier: GPL-2.0-or-later
// Drives mirvak-phonesim over its pseudo-terminal the way a serial program
// would, byte for byte, with plain termios and poll().
#include "SimPhone.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray kExample1 = "001100099121436587F90000C40361F118";

// The binary mode's own delays at a fifth, for a case that does not measure
// them.
QJsonObject quick(QJsonObject state = {})
{
    state.insert("binaryDelayPercent", 20);
    return state;
}
const QByteArray kExample2 = "0091000781103254F60000C407C834080012D400";

class Port {
public:
    explicit Port(const QString &path) { open(path); }
    ~Port() { close(); }

    bool open(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        if (m_fd < 0)
            return false;
        termios t{};
        tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        tcsetattr(m_fd, TCSANOW, &t);
        return true;
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool isOpen() const { return m_fd >= 0; }
    void write(const QByteArray &b) { QCOMPARE(qint64(::write(m_fd, b.constData(), size_t(b.size()))), qint64(b.size())); }
    void purge() { tcflush(m_fd, TCIFLUSH); }

    // Reads until `want` bytes came or the line was silent for quietMs.
    QByteArray read(int want, int quietMs = 2000)
    {
        QByteArray out;
        while (out.size() < want) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0)
                break;
            char buf[512];
            const ssize_t n = ::read(m_fd, buf, size_t(qMin<qsizetype>(sizeof buf, want - out.size())));
            if (n <= 0) {
                m_eof = true;
                break;
            }
            out.append(buf, int(n));
        }
        return out;
    }
    // Everything that arrives until the line is silent for quietMs.
    QByteArray drain(int quietMs = 300) { return read(1 << 20, quietMs); }
    // Reads until the text ends with `suffix`.
    QByteArray until(const QByteArray &suffix, int quietMs = 2000)
    {
        QByteArray out;
        while (!out.endsWith(suffix)) {
            const QByteArray b = read(1, quietMs);
            if (b.isEmpty())
                break;
            out += b;
        }
        return out;
    }
    QByteArray frame()
    {
        const QByteArray head = read(2);
        if (head.size() < 2)
            return head;
        return head + read(quint8(head.at(1)));
    }
    bool eof() const { return m_eof; }

private:
    int m_fd = -1;
    bool m_eof = false;
};

QByteArray frameOf(const QByteArray &body)
{
    return QByteArray(1, '\x02') + char(body.size()) + body;
}

QByteArray exchange(Port &port, const QByteArray &command)
{
    port.write(command);
    return port.until("OK\r\n");
}

QList<QJsonObject> entries(const SimPhone &sim, const QString &type)
{
    QList<QJsonObject> out;
    for (const QJsonObject &o : sim.log())
        if (o.value(QStringLiteral("t")).toString() == type)
            out.append(o);
    return out;
}

// Waits until the simulator has logged at least `count` entries of `type`.
bool awaitLog(const SimPhone &sim, const QString &type, qsizetype count)
{
    return sim.waitFor([&] { return entries(sim, type).size() >= count; });
}

// Enters binary mode and takes the two frames that follow, acknowledging each.
void enterBinary(Port &port, const SimPhone &sim)
{
    port.write("AT*BINARY\r\n");
    const QByteArray answer = port.read(25);
    QCOMPARE(answer.size(), 25);
    QVERIFY(answer.startsWith("AT*BINARY\r\r\nOK\r\n"));
    port.purge();
    for (int i = 0; i < 2; ++i) {
        const QByteArray f = port.frame();
        QVERIFY2(f.size() >= 2 && f.at(0) == '\x02', f.toHex().constData());
        const qsizetype acks = entries(sim, "ack-in").size();
        port.write("\x06");
        // Repeats already in flight go with the purge once the phone has the
        // acknowledgement.
        QVERIFY(awaitLog(sim, "ack-in", acks + 1));
        port.purge();
    }
}

} // namespace

class TestPhoneSim : public QObject {
    Q_OBJECT

private slots:
    void atFramingAndEcho();
    void infoCommands();
    void centreInAtMode();
    void submitWorkedExamples();
    void submitRefusals();
    void binaryEntryAndRepeats();
    void binaryCentreExchange();
    void binarySubmitVerdicts();
    void leavesBinaryMode();
    void faultsOfTheAtLink();
    void faultsOfBinaryMode();
    void hangupAfter();
    void noiseAndCutAnswers();
    void pacedOutputIsComplete();
    void stateRoundTrip();
    void badStateAndOptions();
    void receivedCommandsAreStamped();
    void callListsStatusAndPin();
};

void TestPhoneSim::atFramingAndEcho()
{
    SimPhone sim;
    QVERIFY(sim.start());
    Port port(sim.device());
    QVERIFY(port.isOpen());

    port.write("AT+CGMM\r");
    QCOMPARE(port.until("OK\r\n"), QByteArray("AT+CGMM\r\r\n1101101-BVT28s\r\n\r\nOK\r\n"));
    // The LF of CR LF is not echoed; a lower-case command is understood.
    port.write("at\r\n");
    QCOMPARE(port.until("OK\r\n"), QByteArray("at\r\r\nOK\r\n"));
    port.write("AT+NOSUCH\r\n");
    QCOMPARE(port.until("ERROR\r\n"), QByteArray("AT+NOSUCH\r\r\nERROR\r\n"));
    port.write("HELLO\r\n");
    QCOMPARE(port.until("ERROR\r\n"), QByteArray("HELLO\r\r\nERROR\r\n"));
    // An empty line is echoed and otherwise ignored: nothing comes before
    // the next echo.
    port.write("\r\n");
    QCOMPARE(port.read(1), QByteArray("\r"));
    // A command split over several writes is one line.
    // Each piece's echo is awaited so the phone really sees it alone.
    port.write("AT+C");
    QCOMPARE(port.read(4), QByteArray("AT+C"));
    port.write("GMI\r");
    QCOMPARE(port.read(4), QByteArray("GMI\r"));
    port.write("\n");
    QCOMPARE(port.until("OK\r\n"), QByteArray("\r\nERICSSON\r\n\r\nOK\r\n"));

    port.write("ATE0\r\n");
    QCOMPARE(port.until("OK\r\n"), QByteArray("ATE0\r\r\nOK\r\n"));
    port.write("AT+CGMM\r\n");
    QCOMPARE(port.until("OK\r\n"), QByteArray("\r\n1101101-BVT28s\r\n\r\nOK\r\n"));
    port.write("ATE1\r\n");
    QCOMPARE(port.until("OK\r\n"), QByteArray("\r\nOK\r\n"));

    QCOMPARE(sim.commands(), (QStringList{"AT+CGMM", "at", "AT+NOSUCH", "HELLO", "AT+CGMI", "ATE0", "AT+CGMM", "ATE1"}));
    QCOMPARE(sim.stopAndDump().value("echo").toBool(), true);
}

void TestPhoneSim::infoCommands()
{
    SimPhone sim({}, QJsonObject{{"battery", 13}, {"signal", 1}, {"operator", "Comviq"}, {"revision", "R9"},
                                 {"imei", "351234567890123"},
                                 {"overrides", QJsonObject{{"+CGMR", QJsonArray{"R9A", "extra"}}}}});
    QVERIFY(sim.start());
    Port port(sim.device());

    // The program's idioms: IMEI at positions 9..27, battery after the first
    // comma, signal right after the first comma.
    const QByteArray imei = exchange(port, "AT+CGSN\r\n");
    QCOMPARE(imei.mid(8, 19), QByteArray("\r\n351234567890123\r\n"));
    const QByteArray cbc = exchange(port, "AT+CBC\r\n");
    QCOMPARE(cbc.mid(cbc.indexOf(',') + 1, 3).trimmed(), QByteArray("13"));
    const QByteArray cind = exchange(port, "AT+CIND?\r\n");
    QCOMPARE(cind.at(cind.indexOf(',') + 1), '1');
    QCOMPARE(exchange(port, "AT+COPS?\r\n"), QByteArray("AT+COPS?\r\r\n+COPS: 0,0,\"Comviq\"\r\n\r\nOK\r\n"));
    QCOMPARE(exchange(port, "AT+CGMR\r\n"), QByteArray("AT+CGMR\r\r\nR9A\r\nextra\r\n\r\nOK\r\n"));
}

void TestPhoneSim::centreInAtMode()
{
    SimPhone sim;
    QVERIFY(sim.start());
    Port port(sim.device());
    QCOMPARE(exchange(port, "AT+CSCA?\r\n"), QByteArray("AT+CSCA?\r\r\n+CSCA: \"+46705008999\",145\r\n\r\nOK\r\n"));
    QVERIFY(exchange(port, "AT+CSCA=\"4612345\",145\r\n").endsWith("\r\nOK\r\n"));
    QVERIFY(exchange(port, "AT+CSCA?\r\n").contains("+CSCA: \"+4612345\",145\r\n"));
    QVERIFY(exchange(port, "AT+CSCA=\"0701234\",129\r\n").endsWith("\r\nOK\r\n"));
    QVERIFY(exchange(port, "AT+CSCA?\r\n").contains("+CSCA: \"0701234\",129\r\n"));
    for (const QByteArray bad : {"AT+CSCA=4612345,145\r\n", "AT+CSCA=\"46abc\",145\r\n", "AT+CSCA=\"\",145\r\n",
                                 "AT+CSCA=\"123\",999\r\n"}) {
        port.write(bad);
        QVERIFY2(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"), bad.constData());
    }
    const QJsonObject dump = sim.stopAndDump();
    QCOMPARE(dump.value("smsc").toObject(), (QJsonObject{{"number", "0701234"}, {"type", 129}}));

    SimPhone refusing({}, QJsonObject{{"cscaSetFail", true}});
    QVERIFY(refusing.start());
    Port port2(refusing.device());
    port2.write("AT+CSCA=\"4612345\",145\r\n");
    QVERIFY(port2.until("ERROR\r\n").endsWith("\r\nERROR\r\n"));
    QCOMPARE(refusing.stopAndDump().value("smsc").toObject().value("number").toString(), QString("+46705008999"));
}

void TestPhoneSim::submitWorkedExamples()
{
    SimPhone sim({}, QJsonObject{{"messageReference", 41}});
    QVERIFY(sim.start());
    Port port(sim.device());
    QCOMPARE(exchange(port, "AT+CMGS=?\r\n"), QByteArray("AT+CMGS=?\r\r\nOK\r\n"));
    QCOMPARE(exchange(port, "AT+CMGF=0\r\n"), QByteArray("AT+CMGF=0\r\r\nOK\r\n"));

    port.write("AT+CMGS=16\r");
    QCOMPARE(port.until("> "), QByteArray("AT+CMGS=16\r\r\n> "));
    port.write(kExample1 + "\x1a");
    QCOMPARE(port.until("OK\r\n"), kExample1 + "\r\n+CMGS: 41\r\n\r\nOK\r\n");

    port.write("AT+CMGS=19\r");
    QVERIFY(port.until("> ").endsWith("\r\n> "));
    port.write(kExample2 + "\x1a");
    QVERIFY(port.until("OK\r\n").endsWith("\r\n+CMGS: 42\r\n\r\nOK\r\n"));

    const QList<QJsonObject> sms = entries(sim, "sms");
    QCOMPARE(sms.size(), 2);
    QCOMPARE(sms[0].value("mode").toString(), QString("at"));
    QCOMPARE(sms[0].value("number").toString(), QString("+123456789"));
    QCOMPARE(sms[0].value("toa").toInt(), 145);
    QCOMPARE(sms[0].value("text").toString(), QString("abc"));
    QCOMPARE(sms[0].value("firstOctet").toInt(), 0x11);
    QCOMPARE(sms[0].value("replyPath").toBool(), false);
    QCOMPARE(sms[0].value("validity").toInt(), 196);
    QCOMPARE(sms[0].value("declaredLength").toInt(), 16);
    QCOMPARE(sms[0].value("actualLength").toInt(), 16);
    QCOMPARE(sms[0].value("lengthOk").toBool(), true);
    QCOMPARE(sms[0].value("pduHex").toString(), QString(kExample1));
    QCOMPARE(sms[1].value("number").toString(), QString("0123456"));
    QCOMPARE(sms[1].value("toa").toInt(), 129);
    QCOMPARE(sms[1].value("text").toString(), QString("Hi @ $5"));
    QCOMPARE(sms[1].value("replyPath").toBool(), true);
    QCOMPARE(sms[1].value("actualLength").toInt(), 19);

    const QJsonObject dump = sim.stopAndDump();
    const QJsonArray outbox = dump.value("outbox").toArray();
    QCOMPARE(outbox.size(), 2);
    QCOMPARE(outbox[0].toObject().value("text").toString(), QString("abc"));
    QCOMPARE(outbox[0].toObject().value("smsc").toString(), QString("+46705008999"));
    QCOMPARE(outbox[1].toObject().value("messageReference").toInt(), 42);
    QCOMPARE(dump.value("messageReference").toInt(), 43);
}

void TestPhoneSim::submitRefusals()
{
    {
        SimPhone sim;
        QVERIFY(sim.start());
        Port port(sim.device());
        // Declared length one too many: flagged and refused, not sent.
        port.write("AT+CMGS=17\r");
        port.until("> ");
        port.write(kExample1 + "\x1a");
        QVERIFY(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"));
        // Not hexadecimal, and a PDU cut short.
        for (const QByteArray &bad : {QByteArray("00110009912143XX87F90000C40361F118"), kExample1.left(20)}) {
            port.write("AT+CMGS=16\r");
            port.until("> ");
            port.write(bad + "\x1a");
            QVERIFY2(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"), bad.constData());
        }
        // ESC cancels the submission.
        port.write("AT+CMGS=16\r");
        port.until("> ");
        port.write("0011\x1b");
        QVERIFY(port.until("OK\r\n").endsWith("0011\r\nOK\r\n"));
        // Out of range lengths.
        for (const QByteArray bad : {"AT+CMGS=0\r", "AT+CMGS=x\r", "AT+CMGS=999\r", "AT+CMGF=1\r"}) {
            port.write(bad);
            QVERIFY2(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"), bad.constData());
        }
        const QList<QJsonObject> sms = entries(sim, "sms");
        QCOMPARE(sms.size(), 1);
        QCOMPARE(sms[0].value("declaredLength").toInt(), 17);
        QCOMPARE(sms[0].value("actualLength").toInt(), 16);
        QCOMPARE(sms[0].value("lengthOk").toBool(), false);
        QVERIFY(sim.stopAndDump().value("outbox").toArray().isEmpty());
    }
    {
        SimPhone sim({}, QJsonObject{{"binaryOnly", true}, {"cmgfFail", true}});
        QVERIFY(sim.start());
        Port port(sim.device());
        for (const QByteArray cmd : {"AT+CMGS=?\r\n", "AT+CMGF=0\r\n", "AT+CMGS=16\r"}) {
            port.write(cmd);
            QVERIFY2(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"), cmd.constData());
        }
    }
    {
        SimPhone sim({}, QJsonObject{{"cmgsFail", true}, {"promptDelayMs", 200}});
        QVERIFY(sim.start());
        Port port(sim.device());
        port.write("AT+CMGS=16\r");
        QCOMPARE(port.until("> "), QByteArray("AT+CMGS=16\r\r\n> "));
        port.write(kExample1 + "\x1a");
        QVERIFY(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"));
        QCOMPARE(entries(sim, "sms").size(), 1);
        QVERIFY(sim.stopAndDump().value("outbox").toArray().isEmpty());
    }
}

void TestPhoneSim::binaryEntryAndRepeats()
{
    SimPhone sim({}, quick());
    QVERIFY(sim.start());
    Port port(sim.device());

    port.write("AT*BINARY\r\n");
    // Exactly 25 bytes answer the command, echo included.
    const QByteArray answer = port.read(25);
    QCOMPARE(answer.size(), 25);
    QVERIFY(answer.startsWith("AT*BINARY\r\r\nOK\r\n"));
    QCOMPARE(answer.at(16), '\x02');
    QCOMPARE(int(answer.at(17)), 7);
    port.purge();

    // Unacknowledged, the identity frame comes again and again.
    const QByteArray identity = port.frame();
    QCOMPARE(identity.left(2), QByteArray("\x02\x04"));
    QCOMPARE(port.frame(), identity);
    QCOMPARE(port.frame(), identity);
    port.write("\x06");
    QVERIFY(awaitLog(sim, "ack-in", 1));
    port.purge();
    const QByteArray status = port.frame();
    QVERIFY(status != identity);
    QCOMPARE(status.left(3), QByteArray("\x02\x03S"));
    port.write("\x06");
    // Both acknowledged: the line stays quiet for several repeat periods
    // (but for a copy that may have crossed our acknowledgement).
    QVERIFY(awaitLog(sim, "ack-in", 2));
    port.purge();
    const QByteArray rest = port.drain(200);
    QVERIFY2(rest.isEmpty() || rest == status, rest.toHex().constData());

    const QList<QJsonObject> log = sim.log();
    QVERIFY(std::any_of(log.begin(), log.end(), [](const QJsonObject &o) {
        return o.value("t").toString() == "mode" && o.value("mode").toString() == "binary";
    }));
    QCOMPARE(entries(sim, "ack-in").size(), 2);
    QVERIFY(entries(sim, "frame-out").size() >= 4);

    // With the echo off the answer is still 25 bytes.
    SimPhone quiet({}, QJsonObject{{"echo", false}});
    QVERIFY(quiet.start());
    Port port2(quiet.device());
    port2.write("AT*BINARY\r\n");
    const QByteArray answer2 = port2.read(25);
    QCOMPARE(answer2.size(), 25);
    QVERIFY(answer2.startsWith("\r\nOK\r\n\x02\x11"));
    QCOMPARE(port2.read(1, 100), QByteArray()); // the first frame waits until after the purge
}

void TestPhoneSim::binaryCentreExchange()
{
    SimPhone sim({}, quick());
    QVERIFY(sim.start());
    Port port(sim.device());
    enterBinary(port, sim);

    port.purge();
    port.write(frameOf("AQ"));
    QCOMPARE(port.read(1), QByteArray("\x06"));
    const QByteArray centre = port.frame();
    QCOMPARE(centre, frameOf(QByteArray::fromHex("425107916407058099F9")));
    port.write("\x06");

    port.purge();
    port.write(frameOf(QByteArray::fromHex("425104912143F5")));
    QCOMPARE(port.read(1), QByteArray("\x06"));
    QCOMPARE(port.frame().left(2), QByteArray("\x02\x02"));
    port.write("\x06");

    port.purge();
    port.write(frameOf("AQ"));
    QCOMPARE(port.read(1), QByteArray("\x06"));
    QCOMPARE(port.frame(), frameOf(QByteArray::fromHex("425104912143F5")));
    port.write("\x06");

    // A national centre keeps its type.
    port.purge();
    port.write(frameOf(QByteArray::fromHex("42510481103254")));
    QCOMPARE(port.read(1), QByteArray("\x06"));
    port.frame();
    const qsizetype acks = entries(sim, "ack-in").size();
    port.write("\x06");
    QVERIFY(awaitLog(sim, "ack-in", acks + 1));
    QCOMPARE(sim.stopAndDump().value("smsc").toObject(), (QJsonObject{{"number", "012345"}, {"type", 0x81}}));
}

void TestPhoneSim::binarySubmitVerdicts()
{
    const QByteArray submit = QByteArray::fromHex("41070302") + QByteArray::fromHex(kExample1);
    QCOMPARE(frameOf(submit).toHex(' ').toUpper(),
             QByteArray("02 15 41 07 03 02 00 11 00 09 91 21 43 65 87 F9 00 00 C4 03 61 F1 18"));
    for (const QString verdict : {"%", "&", "x"}) {
        SimPhone sim({}, quick({{"submitReply", verdict}, {"messageReference", 7}}));
        QVERIFY(sim.start());
        Port port(sim.device());
        enterBinary(port, sim);
        port.purge();
    port.write(frameOf(submit));
        QCOMPARE(port.read(1), QByteArray("\x06"));
        // The program purges after our acknowledgement byte; the reply comes anyway.
        port.purge();
        const QByteArray reply = port.frame();
        QVERIFY2(reply.size() >= 4, reply.toHex().constData());
        QCOMPARE(reply.at(3), verdict.at(0).toLatin1());
        port.write("\x06");

        const QList<QJsonObject> sms = entries(sim, "sms");
        QCOMPARE(sms.size(), 1);
        QCOMPARE(sms[0].value("mode").toString(), QString("binary"));
        QCOMPARE(sms[0].value("number").toString(), QString("+123456789"));
        QCOMPARE(sms[0].value("text").toString(), QString("abc"));
        QCOMPARE(sms[0].value("declaredLength").toInt(), 21);
        QCOMPARE(sms[0].value("lengthOk").toBool(), true);
        QCOMPARE(entries(sim, "frame-in").first().value("hex").toString(), QString(frameOf(submit).toHex().toUpper()));
        QCOMPARE(sim.stopAndDump().value("outbox").toArray().size(), verdict == "%" ? 1 : 0);
    }
}

void TestPhoneSim::leavesBinaryMode()
{
    SimPhone sim({}, quick());
    QVERIFY(sim.start());
    {
        Port port(sim.device());
        enterBinary(port, sim);
        // Closing the device is what a break and close look like on a pty.
    }
    QVERIFY(awaitLog(sim, "mode", 2)); // back to AT once the device was closed
    {
        Port port(sim.device());
        QCOMPARE(exchange(port, "AT\r\n"), QByteArray("AT\r\r\nOK\r\n"));
        enterBinary(port, sim);
        // A line end outside a frame also brings the phone back.
        port.write("\r\n");
        QVERIFY(awaitLog(sim, "mode", 4));
        port.purge();
        QCOMPARE(exchange(port, "AT+CGMI\r\n"), QByteArray("AT+CGMI\r\r\nERICSSON\r\n\r\nOK\r\n"));
        enterBinary(port, sim);
        // So does the first letter of a command, which is not lost.
        port.write("AT\r\n");
        QVERIFY(port.until("OK\r\n").endsWith("AT\r\r\nOK\r\n"));
    }
    QList<QString> modes;
    for (const QJsonObject &o : entries(sim, "mode"))
        modes << o.value("mode").toString();
    QCOMPARE(modes, (QList<QString>{"binary", "at", "binary", "at", "binary", "at"}));
    const QList<QJsonObject> events = entries(sim, "event");
    QVERIFY(std::any_of(events.begin(), events.end(),
                        [](const QJsonObject &o) { return o.value("what").toString() == "device closed"; }));
}

void TestPhoneSim::faultsOfTheAtLink()
{
    {
        SimPhone sim({"--fault", "silent"});
        QVERIFY(sim.start());
        Port port(sim.device());
        port.write("AT\r\n");
        // Once the phone has the line it has given whatever answer it gives.
        QVERIFY(sim.waitForCommand(QStringLiteral("AT")));
        QCOMPARE(port.drain(100), QByteArray());
        QCOMPARE(sim.commands(), QStringList{"AT"});
    }
    {
        SimPhone sim({}, QJsonObject{{"poweredOff", true}});
        QVERIFY(sim.start());
        Port port(sim.device());
        port.write("AT+CGMM\r\n");
        QVERIFY(sim.waitForCommand(QStringLiteral("AT+CGMM")));
        QCOMPARE(port.drain(100), QByteArray());
    }
    {
        SimPhone sim({"--fault", "cme:AT+CGMM:10", "--fault", "error:at+cgmi", "--fault", "error:AT+CSCA="});
        QVERIFY(sim.start());
        Port port(sim.device());
        port.write("AT+CGMM\r\n");
        QCOMPARE(port.until("10\r\n"), QByteArray("AT+CGMM\r\r\n+CME ERROR: 10\r\n"));
        // No final result: the next command's echo comes next.
        port.write("AT+CGMI\r\n");
        QCOMPARE(port.until("ERROR\r\n"), QByteArray("AT+CGMI\r\r\nERROR\r\n"));
        port.write("AT+CSCA=\"123\",129\r\n");
        QVERIFY(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"));
        QVERIFY(exchange(port, "AT+CSCA?\r\n").endsWith("\r\nOK\r\n"));
        QCOMPARE(exchange(port, "AT\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    }
    {
        SimPhone sim({"--fault", "no-prompt"});
        QVERIFY(sim.start());
        Port port(sim.device());
        port.write("AT+CMGS=16\r");
        QCOMPARE(port.until("16\r"), QByteArray("AT+CMGS=16\r"));
        QVERIFY(sim.waitForCommand(QStringLiteral("AT+CMGS=16")));
        QCOMPARE(port.drain(100), QByteArray());
    }
    {
        SimPhone sim({"--fault", "trickle:2", "--latency", "30"});
        QVERIFY(sim.start());
        Port port(sim.device());
        QCOMPARE(exchange(port, "AT+CGMM\r\n"), QByteArray("AT+CGMM\r\r\n1101101-BVT28s\r\n\r\nOK\r\n"));
    }
}

void TestPhoneSim::faultsOfBinaryMode()
{
    {
        SimPhone sim({"--fault", "binary-silent"}, quick());
        QVERIFY(sim.start());
        Port port(sim.device());
        port.write("AT*BINARY\r\n");
        QByteArray answer = port.until("OK\r\n");
        answer += port.drain(100); // several times the first frame's delay
        QCOMPARE(answer, QByteArray("AT*BINARY\r\r\nOK\r\n"));
        QVERIFY(answer.size() < 25);
        // The program writes its submit frame all the same: nothing is sent.
        // The frame is no AT command, and a line end makes the phone say so.
        port.purge();
        port.write(frameOf(QByteArray::fromHex("41070302") + QByteArray::fromHex(kExample1)) + "\r");
        QVERIFY(port.until("ERROR\r\n").endsWith("\r\nERROR\r\n"));
        QVERIFY(entries(sim, "sms").isEmpty());
        QVERIFY(entries(sim, "mode").isEmpty());
        QVERIFY(sim.stopAndDump().value("outbox").toArray().isEmpty());
    }
    {
        SimPhone sim({"--fault", "aq-silent"}, quick());
        QVERIFY(sim.start());
        Port port(sim.device());
        enterBinary(port, sim);
        port.purge();
        port.write(frameOf("AQ"));
        QVERIFY(awaitLog(sim, "frame-in", 1));
        QCOMPARE(port.drain(100), QByteArray()); // several times a reply frame's delay
    }
    {
        SimPhone sim({"--fault", "stall-frame"}, quick());
        QVERIFY(sim.start());
        Port port(sim.device());
        enterBinary(port, sim);
        port.purge();
        port.write(frameOf(QByteArray::fromHex("41070302") + QByteArray::fromHex(kExample1)));
        QByteArray got = port.read(3);
        got += port.drain(200); // several repeat periods
        QVERIFY2(got.startsWith("\x06\x02\x03"), got.toHex().constData());
        QVERIFY2(got.size() < 1 + 5, got.toHex().constData()); // never the whole frame, never repeated
    }
}

void TestPhoneSim::hangupAfter()
{
    SimPhone sim({"--fault", "hangup-after:AT+CGMM"});
    QVERIFY(sim.start());
    const QString device = sim.device();
    Port port(device);
    QCOMPARE(exchange(port, "AT\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    QCOMPARE(exchange(port, "AT+CGMM\r\n"), QByteArray("AT+CGMM\r\r\n1101101-BVT28s\r\n\r\nOK\r\n"));
    // Then the device goes away under the reader.
    port.read(1, 3000);
    QVERIFY(port.eof());
    port.close();
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(device), 3000);
    // Its number stays taken while the simulator runs: the next phone
    // (which would get the lowest free number) is another device, so a
    // program still naming the old one cannot reach it.
    SimPhone next;
    QVERIFY(next.start());
    QVERIFY2(next.device() != device, qPrintable(device));
    QVERIFY(!Port(device).isOpen());
    QCOMPARE(sim.stopAndDump().value("model").toString(), QString("1101101-BVT28s"));
}

// Noise comes before the answer, which then follows whole; a cut answer
// stops halfway and the device goes.
void TestPhoneSim::noiseAndCutAnswers()
{
    SimPhone sim({"--fault", "garbage:AT+CGMM", "--fault", "cut:AT+CGMI"});
    QVERIFY(sim.start());
    Port port(sim.device());
    const QByteArray noisy = exchange(port, "AT+CGMM\r\n");
    QVERIFY(noisy.startsWith("AT+CGMM\r"));
    QVERIFY(noisy.endsWith("\r\n1101101-BVT28s\r\n\r\nOK\r\n"));
    QVERIFY(noisy.contains('\xff') && noisy.contains('\x02'));
    QCOMPARE(exchange(port, "AT\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    port.write("AT+CGMI\r\n");
    QCOMPARE(port.read(1 << 10, 3000), QByteArray("AT+CGMI\r\r\nERICSSO"));
    QVERIFY(port.eof());
}

void TestPhoneSim::pacedOutputIsComplete()
{
    SimPhone sim({"--pace", "960"}, quick());
    QVERIFY(sim.start());
    Port port(sim.device());
    QCOMPARE(exchange(port, "AT+CSCA?\r\n"), QByteArray("AT+CSCA?\r\r\n+CSCA: \"+46705008999\",145\r\n\r\nOK\r\n"));
    enterBinary(port, sim);
    port.purge();
    port.write(frameOf("AQ"));
    QCOMPARE(port.read(1), QByteArray("\x06"));
    QCOMPARE(port.frame(), frameOf(QByteArray::fromHex("425107916407058099F9")));
}

void TestPhoneSim::stateRoundTrip()
{
    const QJsonObject state{
        {"manufacturer", "SONY ERICSSON"}, {"model", "T28 World"}, {"revision", "R1"},
        {"imei", "123456789012345"}, {"operator", "Tele2"}, {"battery", 55}, {"signal", 2},
        {"smsc", QJsonObject{{"number", "+4670000"}, {"type", 145}}}, {"echo", false},
        {"binaryOnly", true}, {"cmgsFail", true}, {"cmgfFail", true}, {"cscaSetFail", true},
        {"promptDelayMs", 5}, {"binaryDelayPercent", 40}, {"submitReply", "&%"}, {"binaryHeaders", false},
        {"messageReference", 9},
        {"outbox", QJsonArray{QJsonObject{{"text", "old"}}}}, {"poweredOff", false},
        {"futurePhonebook", QJsonArray{1, 2, 3}},
        {"sim", QJsonObject{{"size", 2}, {"entries", QJsonArray{QJsonObject{
                    {"index", 2}, {"number", "+4670"}, {"type", 145}, {"name", "Ren\u00e9"}}}}}},
        {"phonebook", QJsonObject{{"size", 0}, {"entries", QJsonArray{}}}}, {"storage", "ME"},
    };
    SimPhone sim({}, state);
    QVERIFY(sim.start());
    QCOMPARE(sim.stopAndDump(), state);

    // Every key left out takes its default.
    SimPhone fresh;
    QVERIFY(fresh.start());
    const QJsonObject defaults = fresh.stopAndDump();
    QCOMPARE(defaults.value("manufacturer").toString(), QString("ERICSSON"));
    QCOMPARE(defaults.value("model").toString(), QString("1101101-BVT28s"));
    QCOMPARE(defaults.value("operator").toString(), QString("Telia"));
    QCOMPARE(defaults.value("imei").toString().size(), 15);
    QCOMPARE(defaults.value("smsc").toObject(), (QJsonObject{{"number", "+46705008999"}, {"type", 145}}));
    QCOMPARE(defaults.value("submitReply").toString(), QString("%"));
    QCOMPARE(defaults.value("binaryOnly").toBool(true), false);
}

void TestPhoneSim::badStateAndOptions()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto run = [&](const QByteArray &stateText, const QStringList &extra) {
        QFile f(dir.filePath("state.json"));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(stateText);
        f.close();
        QProcess p;
        p.start(qEnvironmentVariable("MIRVAK_PHONESIM"), QStringList{"--state", f.fileName()} + extra);
        p.waitForFinished(5000);
        return std::pair{p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
    };
    const auto [rc1, err1] = run("{\"battery\": \"full\"}", {});
    QCOMPARE(rc1, 2);
    QVERIFY2(err1.contains("battery"), qPrintable(err1));
    const auto [rc2, err2] = run("{not json", {});
    QCOMPARE(rc2, 2);
    QVERIFY2(err2.contains("not valid JSON"), qPrintable(err2));
    const auto [rc3, err3] = run("{}", {"--fault", "explode"});
    QCOMPARE(rc3, 2);
    QVERIFY2(err3.contains("unknown fault"), qPrintable(err3));
    const auto [rc4, err4] = run("{}", {"--pace", "fast"});
    QCOMPARE(rc4, 2);
    QVERIFY2(err4.contains("--pace"), qPrintable(err4));
    const auto [rc5, err5] = run("{\"submitReply\": \"\"}", {});
    QCOMPARE(rc5, 2);
    QVERIFY2(err5.contains("submitReply"), qPrintable(err5));

    // --link makes a symlink to the device and takes it away on exit.
    const QString link = dir.filePath("ttyT28");
    SimPhone sim({"--link", link});
    QVERIFY(sim.start());
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
    Port port(link);
    QCOMPARE(exchange(port, "AT\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    port.close();
    sim.stop();
    QVERIFY(!QFileInfo(link).isSymLink());
}

// Each command is stamped on this process's steady clock when the phone had
// it whole: after the test wrote it, before the answer came back.
void TestPhoneSim::receivedCommandsAreStamped()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    SimPhone sim({}, quick());
    QVERIFY(sim.start());
    Port port(sim.device());
    const QList<QByteArray> lines{"AT", "AT+CGMM", "AT+CGMI", "AT+CSCA?"};
    QList<std::pair<Clock::time_point, Clock::time_point>> around;
    for (const QByteArray &line : lines) {
        const Clock::time_point before = Clock::now();
        QVERIFY(exchange(port, line + "\r\n").endsWith("OK\r\n"));
        around.append({before, Clock::now()});
    }
    enterBinary(port, sim);
    port.purge();
    const Clock::time_point beforeFrame = Clock::now();
    port.write(frameOf("AQ"));
    QCOMPARE(port.read(1), QByteArray("\x06"));
    const Clock::time_point afterFrame = Clock::now();

    const QList<SimPhone::Received> got = sim.received();
    QCOMPARE(got.size(), lines.size() + 1); // and AT*BINARY
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(got[i].line, QString::fromLatin1(lines[i]));
        QVERIFY2(around[i].first <= got[i].at && got[i].at <= around[i].second, lines[i].constData());
        if (i > 0)
            QVERIFY(got[i - 1].at <= got[i].at);
    }
    // Every entry is stamped, from the start on, frames as well.
    const QList<QJsonObject> log = sim.log();
    QVERIFY(!log.isEmpty());
    for (const QJsonObject &o : log) {
        QVERIFY2(o.value("us").isDouble(), QJsonDocument(o).toJson().constData());
        QVERIFY(SimPhone::when(o) >= started);
    }
    const QJsonObject frameIn = entries(sim, "frame-in").value(0);
    QVERIFY(beforeFrame <= SimPhone::when(frameIn) && SimPhone::when(frameIn) <= afterFrame);
}

// The call lists ("LD" in place of "DC" when told), the network's state,
// dialling, and the SIM's PIN and PUK with their try counters.
void TestPhoneSim::callListsStatusAndPin()
{
    SimPhone sim({}, QJsonObject{{"callLists", QJsonObject{{"dialledBook", "LD"}}},
                                 {"csq", 99},
                                 {"creg", 5},
                                 {"athRefused", true},
                                 {"pin", QJsonObject{{"state", "SIM PIN"}, {"pinTries", 2}}}});
    QVERIFY(sim.start());
    Port port(sim.device());
    auto ask = [&](const QByteArray &command) {
        port.write(command + "\r");
        QByteArray out = port.until("\r\n", 2000);
        while (!out.endsWith("OK\r\n") && !out.endsWith("ERROR\r\n") && !out.contains("+CME ERROR")) {
            const QByteArray more = port.until("\r\n", 2000);
            if (more.isEmpty())
                break;
            out += more;
        }
        return out.mid(command.size() + 1);
    };
    QCOMPARE(ask("AT+CPIN?"), QByteArray("\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPBS=\"SM\""), QByteArray("\r\n+CME ERROR: 11\r\n"));
    QCOMPARE(ask("AT+CPIN=\"1111\""), QByteArray("\r\n+CME ERROR: 16\r\n"));
    QCOMPARE(ask("AT+CPINR"), QByteArray("\r\n+CPINR: SIM PIN,1,3\r\n+CPINR: SIM PUK,10,10\r\n\r\nOK\r\n"));
    // The last wrong PIN asks for the PUK.
    QCOMPARE(ask("AT+CPIN=\"2222\""), QByteArray("\r\n+CME ERROR: 16\r\n"));
    QCOMPARE(ask("AT+CPIN?"), QByteArray("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPIN=\"12345678\",\"4321\""), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPBS=?"), QByteArray("\r\n+CPBS: (\"SM\",\"ME\",\"RC\",\"MC\",\"LD\")\r\n\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPBS=\"DC\""), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(ask("AT+CPBS=\"LD\""), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPBR=1,10"), QByteArray("\r\n+CPBR: 1,\"+46701234567\",145,\"\",\"05/06/07,12:34:56\"\r\n"
                                             "+CPBR: 2,\"0812345678\",129,\"\"\r\n\r\nOK\r\n"));
    QCOMPARE(ask("AT+CPBW=1,\"123\""), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(ask("AT+CSQ"), QByteArray("\r\n+CSQ: 99,99\r\n\r\nOK\r\n"));
    QCOMPARE(ask("AT+CREG?"), QByteArray("\r\n+CREG: 0,5\r\n\r\nOK\r\n"));
    QCOMPARE(ask("ATD0701;"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(ask("ATH"), QByteArray("\r\nERROR\r\n"));
    QCOMPARE(ask("AT+CHUP"), QByteArray("\r\nOK\r\n"));
    const QJsonObject dumped = sim.stopAndDump();
    QCOMPARE(dumped["pin"].toObject()["pin"].toString(), QStringLiteral("4321"));
    QCOMPARE(dumped["calling"].toString(), QString());
}

QTEST_GUILESS_MAIN(TestPhoneSim)
#include "tst_phonesim.moc"
