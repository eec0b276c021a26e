#include "Phone.h"

#include "PduDecoder.h"
#include "OwnMelodySim.h"
#include "PersonalRingSim.h"
#include "CallServicesSim.h"
#include "PtyPort.h"
#include "SettingsSim.h"
#include "SimLog.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

constexpr int kFrameTag = 1;
constexpr char kAck = 0x06;
constexpr char kFrameStart = 0x02;
constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
constexpr int kRepeatMs = 300;
constexpr int kMaxTries = 20;
constexpr int kReplyFrameDelayMs = 50;  // lets the program purge its input after reading our ack
constexpr int kFirstFrameDelayMs = 150; // after the bytes that answer AT*BINARY
constexpr int kFrameInTimeoutMs = 2000;
constexpr int kMaxLine = 1024;
constexpr int kMaxPduHex = 2 * 200;
constexpr int kMinBinaryAnswer = 25;

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex().toUpper());
}

QString byteName(char c)
{
    return QStringLiteral("0x%1").arg(int(quint8(c)), 2, 16, QLatin1Char('0'));
}

QByteArray frame(const QByteArray &body)
{
    QByteArray f;
    f.append(kFrameStart);
    f.append(char(quint8(body.size())));
    f.append(body);
    return f;
}

} // namespace

Phone::Phone(PtyPort &port, PhoneState &state, SimLog &log, const Faults &faults,
             const PhoneOptions &options, QObject *parent)
    : QObject(parent), m_port(port), m_state(state), m_log(log), m_faults(faults), m_options(options)
{
    buildCommandTable();
    m_frameInTimeout.setSingleShot(true);
    m_frameInTimeout.setInterval(kFrameInTimeoutMs);
    connect(&m_frameInTimeout, &QTimer::timeout, this, [this] {
        m_log.event(QStringLiteral("incomplete frame dropped: %1").arg(hex(m_frameIn)));
        m_frameIn.clear();
    });
    m_repeatTimer.setSingleShot(true);
    m_repeatTimer.setInterval(kRepeatMs);
    connect(&m_repeatTimer, &QTimer::timeout, this, [this] {
        if (m_currentFrame.isEmpty())
            return;
        if (m_currentTries >= kMaxTries) {
            m_log.event(QStringLiteral("frame not acknowledged after %1 tries: %2").arg(kMaxTries).arg(hex(m_currentFrame)));
            m_currentFrame.clear();
            sendNextFrame();
            return;
        }
        transmitCurrentFrame();
    });
}

void Phone::add(const QString &key, bool prefix, Handler h)
{
    m_commands.push_back(Command{key, prefix, std::move(h)});
}

void Phone::buildCommandTable()
{
    auto line = [this](std::function<QString()> text) {
        return [this, text](const QString &) { respond({text()}); };
    };
    add(QString(), false, [this](const QString &) { ok(); });
    add(QStringLiteral("E0"), false, [this](const QString &) { m_state.echo = false; ok(); });
    add(QStringLiteral("E"), false, [this](const QString &) { m_state.echo = false; ok(); });
    add(QStringLiteral("E1"), false, [this](const QString &) { m_state.echo = true; ok(); });
    add(QStringLiteral("Z"), false, [this](const QString &) { ok(); });
    add(QStringLiteral("&F"), false, [this](const QString &) { ok(); });

    add(QStringLiteral("+CGMI"), false, line([this] { return m_state.manufacturer; }));
    add(QStringLiteral("+CGMM"), false, line([this] { return m_state.model; }));
    add(QStringLiteral("+CGMR"), false, line([this] { return m_state.revision; }));
    add(QStringLiteral("+CGSN"), false, line([this] { return m_state.imei; }));
    add(QStringLiteral("+COPS?"), false, line([this] {
        return QStringLiteral("+COPS: 0,0,\"%1\"").arg(m_state.operatorName);
    }));
    add(QStringLiteral("+CSCA?"), false, line([this] {
        return QStringLiteral("+CSCA: \"%1\",%2").arg(m_state.smscNumber).arg(m_state.smscType);
    }));
    add(QStringLiteral("+CSCA=?"), false, [this](const QString &) { ok(); });
    add(QStringLiteral("+CSCA="), true, [this](const QString &a) { setCentre(a); });
    add(QStringLiteral("+CBC"), false, line([this] { return QStringLiteral("+CBC: 0,%1").arg(m_state.battery); }));
    add(QStringLiteral("+CIND?"), false, line([this] {
        const int charge = qMin(5, m_state.battery / 20);
        return QStringLiteral("+CIND: %1,%2,0,0,1,0,0,0,0,0").arg(charge).arg(m_state.signal);
    }));
    add(QStringLiteral("+CIND=?"), false, line([] {
        return QStringLiteral("+CIND: (\"battchg\",(0-5)),(\"signal\",(0-5)),(\"batterywarning\",(0-1)),"
                              "(\"chargerconnected\",(0-1)),(\"service\",(0-1)),(\"sounder\",(0-1)),"
                              "(\"message\",(0-1)),(\"call\",(0-1)),(\"roam\",(0-1)),(\"smsfull\",(0-1))");
    }));
    add(QStringLiteral("+CMGF=?"), false, line([] { return QStringLiteral("+CMGF: (0)"); }));
    add(QStringLiteral("+CMGF?"), false, line([] { return QStringLiteral("+CMGF: 0"); }));
    add(QStringLiteral("+CMGF="), true, [this](const QString &a) {
        // A T28 knows PDU mode only.
        if (a.trimmed() == QLatin1String("0") && !m_state.cmgfFail)
            ok();
        else
            error();
    });
    add(QStringLiteral("+CMGS=?"), false, [this](const QString &) {
        if (m_state.binaryOnly)
            error();
        else
            ok();
    });
    add(QStringLiteral("+CMGS="), true, [this](const QString &a) { startSubmission(a); });
    add(QStringLiteral("*BINARY"), false, [this](const QString &) { enterBinary(); });
    // +CPBS, +CPBR, +CPBW: the phonebooks keep their own commands.
    add(QStringLiteral("+CPB"), true, [this](const QString &a) {
        const auto answer = m_state.books.answer(QStringLiteral("+CPB") + a);
        respond(answer ? answer->lines : QStringList(), answer && answer->ok ? Final::Ok : Final::Error);
    });
    QList<PersonalRingSim::Command> more = PersonalRingSim::commands(m_state.rings);
    more += OwnMelodySim::commands(m_state.melodies, m_state.rings);
    more += SettingsSim::commands(m_state.settings);
    for (const PersonalRingSim::Command &c : more)
        add(c.key, c.prefix, [this, h = c.handler](const QString &a) {
            if (const std::optional<QStringList> lines = h(a))
                respond(*lines);
            else
                error();
        });
    // The network's answers take their time; --network-delay wins over the state's.
    for (const PersonalRingSim::Command &c : CallServicesSim::commands(m_state.calls))
        add(c.key, c.prefix, [this, h = c.handler](const QString &a) {
            const std::optional<QStringList> lines = h(a);
            respond(lines.value_or(QStringList()), lines ? Final::Ok : Final::Error, networkDelay());
        });
}

// ---------------------------------------------------------------- input

void Phone::onReceived(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (!m_port.isOpen())
            return;
        // The LF of a CR LF line end is swallowed, whatever mode the CR left us in.
        if (c == '\n' && m_lastWasCr) {
            m_lastWasCr = false;
            continue;
        }
        m_lastWasCr = false;
        switch (m_mode) {
        case Mode::Command: commandByte(c); break;
        case Mode::PduInput: pduByte(c); break;
        case Mode::Binary: binaryByte(c); break;
        }
    }
}

void Phone::onClientClosed()
{
    m_log.event(QStringLiteral("device closed"));
    resetInput();
    cancelFrames();
    m_port.clearOutput();
    if (m_mode != Mode::Command)
        setMode(Mode::Command);
    if (m_hangupPending)
        m_port.hangup();
}

void Phone::onClientOpened()
{
    m_log.event(QStringLiteral("device opened"));
}

void Phone::resetInput()
{
    m_line.clear();
    m_lineTooLong = false;
    m_lastWasCr = false;
    m_lineEchoBytes = 0;
    m_pduHex.clear();
    m_pduOverflow = false;
    m_frameIn.clear();
    m_frameInTimeout.stop();
}

void Phone::setMode(Mode m)
{
    const bool wasBinary = m_mode == Mode::Binary;
    m_mode = m;
    m_lineEchoBytes = 0;
    if (wasBinary != (m == Mode::Binary))
        m_log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("mode")},
                                {QStringLiteral("mode"), m == Mode::Binary ? QStringLiteral("binary") : QStringLiteral("at")}});
}

// ---------------------------------------------------------------- AT command mode

void Phone::echo(char c)
{
    if (m_state.echo && !m_state.poweredOff && !m_faults.silent) {
        m_port.send(QByteArray(1, c));
        ++m_lineEchoBytes;
    }
}

void Phone::commandByte(char c)
{
    echo(c);
    if (c == '\r') {
        m_lastWasCr = true;
        const QByteArray line = m_line;
        m_line.clear();
        runLine(line);
        if (m_mode == Mode::Command)
            m_lineEchoBytes = 0;
        m_lineTooLong = false;
        return;
    }
    if (c == '\n')
        return; // a lone LF is no line end for a GSM phone
    if (c == '\b') {
        m_line.chop(1);
        return;
    }
    if (m_line.size() >= kMaxLine) {
        m_lineTooLong = true;
        return;
    }
    m_line.append(c);
}

void Phone::runLine(const QByteArray &raw)
{
    const QString line = QString::fromLatin1(raw);
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return;
    m_log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("cmd")}, {QStringLiteral("line"), line}});
    if (m_state.poweredOff || m_faults.silent)
        return;
    if (m_lineTooLong) {
        m_log.event(QStringLiteral("command line longer than %1 characters").arg(kMaxLine));
        error();
        return;
    }
    if (!trimmed.startsWith(QLatin1String("AT"), Qt::CaseInsensitive)) {
        error();
        return;
    }
    const QString rest = trimmed.mid(2);
    const QString upper = rest.toUpper();

    if (m_faults.noise.garbles(upper)) {
        m_log.event(QStringLiteral("fault garbage: %1").arg(trimmed));
        m_port.send(NoiseFaults::noise(), m_options.latencyMs);
    }
    m_cutReply = m_faults.noise.cuts(upper);

    bool answered = false;
    for (const CommandFault &f : m_faults.cme) {
        if (f.matches(upper)) {
            m_log.event(QStringLiteral("fault cme: %1").arg(trimmed));
            respond({QStringLiteral("+CME ERROR: %1").arg(f.cmeCode)}, Final::None);
            answered = true;
            break;
        }
    }
    if (!answered) {
        for (const CommandFault &f : m_faults.error) {
            if (f.matches(upper)) {
                m_log.event(QStringLiteral("fault error: %1").arg(trimmed));
                error();
                answered = true;
                break;
            }
        }
    }
    if (!answered) {
        const QJsonValue ov = m_state.overrides.value(upper);
        if (!ov.isUndefined()) {
            QStringList lines;
            if (ov.isString())
                lines << ov.toString();
            else
                for (const QJsonValue &v : ov.toArray())
                    lines << v.toString();
            // An answer given in place of the network's comes no sooner.
            const bool network = upper.startsWith(QLatin1String("+CCFC")) || upper.startsWith(QLatin1String("+CCWA"));
            respond(lines, Final::Ok, network ? networkDelay() : 0);
        } else {
            dispatch(rest);
        }
    }

    m_cutReply = false;
    for (const CommandFault &f : m_faults.hangupAfter) {
        if (f.matches(upper)) {
            m_hangupPending = true;
            // Once the answer is out, give the reader a moment to take it
            // from the pty before the device disappears under it.
            m_port.send(QByteArray(), 0, 0, [this] {
                QTimer::singleShot(150, this, [this] {
                    m_log.event(QStringLiteral("fault hangup: device removed"));
                    m_port.hangup();
                });
            });
            break;
        }
    }
}

void Phone::dispatch(const QString &rest)
{
    const QString upper = rest.toUpper();
    const Command *best = nullptr;
    for (const Command &c : m_commands) {
        if (!c.prefix && c.key == upper) {
            best = &c;
            break;
        }
        if (c.prefix && upper.startsWith(c.key) && (!best || c.key.size() > best->key.size()))
            best = &c;
    }
    if (!best) {
        error();
        return;
    }
    best->handler(rest.mid(best->key.size()));
}

int Phone::networkDelay() const
{
    return m_options.networkDelayMs > 0 ? m_options.networkDelayMs : m_state.calls.networkDelayMs;
}

void Phone::respond(const QStringList &lines, Final final, int extraDelayMs)
{
    QByteArray out;
    for (const QString &l : lines)
        out += "\r\n" + l.toLatin1() + "\r\n";
    if (final == Final::Ok)
        out += "\r\nOK\r\n";
    else if (final == Final::Error)
        out += "\r\nERROR\r\n";
    if (m_cutReply) {
        m_cutReply = false;
        m_hangupPending = true;
        m_port.send(NoiseFaults::firstHalf(out), m_options.latencyMs + extraDelayMs, 0,
                    [this] { removeDevice(QStringLiteral("fault cut: device removed mid-answer")); });
        return;
    }
    m_port.send(out, m_options.latencyMs + extraDelayMs);
}

void Phone::removeDevice(const QString &why)
{
    // The bytes already sent stay readable a moment before the device goes.
    QTimer::singleShot(150, this, [this, why] {
        m_log.event(why);
        m_port.hangup();
    });
}

void Phone::setCentre(const QString &args)
{
    static const QRegularExpression re(QStringLiteral("^\\s*\"([^\"]*)\"\\s*(?:,\\s*(\\d{1,3}))?\\s*$"));
    const QRegularExpressionMatch m = re.match(args);
    if (!m.hasMatch() || m_state.cscaSetFail) {
        error();
        return;
    }
    QString number = m.captured(1).trimmed();
    static const QRegularExpression numberRe(QStringLiteral("^\\+?[0-9]{1,20}$"));
    if (!numberRe.match(number).hasMatch()) {
        m_log.event(QStringLiteral("refused centre number \"%1\"").arg(number));
        error();
        return;
    }
    int type = m.captured(2).isEmpty() ? (number.startsWith(QLatin1Char('+')) ? 145 : 129) : m.captured(2).toInt();
    if (type > 255) {
        error();
        return;
    }
    if (type == 145 && !number.startsWith(QLatin1Char('+')))
        number.prepend(QLatin1Char('+'));
    m_state.smscNumber = number;
    m_state.smscType = type;
    ok();
}

// ---------------------------------------------------------------- SMS submission in PDU mode

void Phone::startSubmission(const QString &args)
{
    bool isNumber = false;
    const int n = args.trimmed().toInt(&isNumber);
    if (!isNumber || n < 1 || n > 180 || m_state.binaryOnly) {
        error();
        return;
    }
    m_declaredLength = n;
    m_pduHex.clear();
    m_pduOverflow = false;
    setMode(Mode::PduInput);
    if (m_faults.noPrompt) {
        m_log.event(QStringLiteral("fault no-prompt: prompt withheld"));
        return;
    }
    m_port.send(QByteArray("\r\n> "), m_options.latencyMs + m_state.promptDelayMs);
}

void Phone::pduByte(char c)
{
    if (c == kCtrlZ) {
        finishSubmission();
        return;
    }
    if (c == kEsc) {
        setMode(Mode::Command);
        m_log.event(QStringLiteral("submission cancelled"));
        ok();
        return;
    }
    echo(c);
    if (m_pduHex.size() < kMaxPduHex)
        m_pduHex.append(c);
    else
        m_pduOverflow = true;
}

// What the log and the outbox both say of one submitted message.
QJsonObject Phone::messageFields(const DecodedSubmit &d, const QString &mode, const QByteArray &pdu) const
{
    return QJsonObject{
        {QStringLiteral("mode"), mode},
        {QStringLiteral("number"), d.number},
        {QStringLiteral("toa"), d.toa},
        {QStringLiteral("text"), d.text},
        {QStringLiteral("firstOctet"), d.firstOctet},
        {QStringLiteral("replyPath"), d.replyPath},
        {QStringLiteral("validity"), d.validity},
        {QStringLiteral("pduHex"), hex(pdu)},
        {QStringLiteral("smsc"), m_state.smscNumber},
    };
}

QJsonObject Phone::submissionLog(const DecodedSubmit &d, const QString &mode, int declared, int actual,
                                 const QByteArray &pdu) const
{
    QJsonObject o = messageFields(d, mode, pdu);
    o.insert(QStringLiteral("t"), QStringLiteral("sms"));
    o.insert(QStringLiteral("declaredLength"), declared);
    o.insert(QStringLiteral("actualLength"), actual);
    o.insert(QStringLiteral("lengthOk"), declared == actual);
    return o;
}

void Phone::acceptIntoOutbox(const DecodedSubmit &d, const QString &mode, const QByteArray &pdu, int mr)
{
    QJsonObject o = messageFields(d, mode, pdu);
    o.insert(QStringLiteral("messageReference"), mr);
    m_state.outbox.append(o);
}

void Phone::finishSubmission()
{
    setMode(Mode::Command);
    if (m_pduOverflow) {
        m_log.event(QStringLiteral("PDU longer than %1 hexadecimal digits refused").arg(kMaxPduHex));
        error();
        return;
    }
    const DecodedSubmit d = decodeSubmitPduHex(m_pduHex);
    if (!d.ok) {
        m_log.event(QStringLiteral("bad PDU refused: %1 (%2)").arg(d.error, QString::fromLatin1(m_pduHex)));
        error();
        return;
    }
    QByteArray pdu;
    for (char c : m_pduHex)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            pdu.append(c);
    pdu = QByteArray::fromHex(pdu);
    m_log.write(submissionLog(d, QStringLiteral("at"), m_declaredLength, d.tpduLength, pdu));
    // A phone takes exactly the declared number of octets; any other count
    // is a malformed submission, not a message.
    if (m_declaredLength != d.tpduLength || m_state.cmgsFail) {
        error();
        return;
    }
    const int mr = m_state.messageReference;
    m_state.messageReference = (mr + 1) % 256;
    acceptIntoOutbox(d, QStringLiteral("at"), pdu, mr);
    respond({QStringLiteral("+CMGS: %1").arg(mr)});
}

// ---------------------------------------------------------------- binary mode

void Phone::enterBinary()
{
    QByteArray answer("\r\nOK\r\n");
    if (m_faults.binarySilent) {
        // The phone never really switches: a frame the program writes anyway
        // is line noise to it, not a message to send.
        m_log.event(QStringLiteral("fault binary-silent: short answer, staying in AT mode"));
        m_port.send(answer, m_options.latencyMs);
        return;
    }
    // The program counts 25 waiting bytes, echo included, then purges: send
    // exactly that many, so nothing of ours lands after its purge.
    const int missing = kMinBinaryAnswer - m_lineEchoBytes - int(answer.size());
    if (missing >= 2) {
        const QByteArray greeting = QByteArray("T28 BINARY READY....................").left(missing - 2);
        answer += frame(greeting);
    } else if (missing == 1) {
        answer += '\0';
    }
    m_port.send(answer, m_options.latencyMs);
    setMode(Mode::Binary);
    // The program reads two frames after its purge, acknowledging each.
    queueFrame(QByteArray("IT28", 4), kFirstFrameDelayMs);
    QByteArray status("S");
    status.append(char(qMin(5, m_state.battery / 20)));
    status.append(char(m_state.signal));
    queueFrame(status, kReplyFrameDelayMs);
}

void Phone::binaryByte(char c)
{
    if (m_frameIn.isEmpty()) {
        if (c == kAck) {
            frameAcknowledged();
            return;
        }
        if (c != kFrameStart) {
            leaveBinary(QStringLiteral("byte %1 outside a frame: back to AT mode").arg(byteName(c)));
            commandByte(c);
            return;
        }
        m_frameIn.append(c);
        m_frameInTimeout.start();
        return;
    }
    m_frameIn.append(c);
    if (m_frameIn.size() >= 2 && m_frameIn.size() == 2 + int(quint8(m_frameIn.at(1)))) {
        m_frameInTimeout.stop();
        const QByteArray whole = m_frameIn;
        m_frameIn.clear();
        m_log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("frame-in")}, {QStringLiteral("hex"), hex(whole)}});
        frameReceived(whole.mid(2));
    }
}

QByteArray Phone::centreBody() const
{
    QByteArray digits;
    for (QChar ch : m_state.smscNumber)
        if (ch.isDigit())
            digits.append(char(ch.toLatin1() - '0'));
    QByteArray octets;
    for (int i = 0; i < digits.size(); i += 2) {
        const int lo = digits.at(i);
        const int hi = i + 1 < digits.size() ? digits.at(i + 1) : 0x0F;
        octets.append(char((hi << 4) | lo));
    }
    QByteArray body("BQ");
    body.append(char(octets.size() + 1));
    body.append(char(quint8(m_state.smscType)));
    body.append(octets);
    return body;
}

void Phone::frameReceived(const QByteArray &body)
{
    // A new frame from the program supersedes whatever we still repeat.
    cancelFrames();

    if (body == "AQ") {
        if (m_faults.aqSilent) {
            m_log.event(QStringLiteral("fault aq-silent: centre query ignored"));
            return;
        }
        m_port.send(QByteArray(1, kAck), m_options.latencyMs);
        queueFrame(centreBody(), kReplyFrameDelayMs);
        return;
    }

    if (body.startsWith("BQ") && body.size() >= 4) {
        m_port.send(QByteArray(1, kAck), m_options.latencyMs);
        const int k = quint8(body.at(2));
        const int toa = quint8(body.at(3));
        const QByteArray octets = body.mid(4, qMax(0, k - 1));
        if (octets.size() != k - 1)
            m_log.event(QStringLiteral("centre frame: length byte %1 but %2 address octets").arg(k).arg(body.size() - 4));
        static const char kDigit[] = "0123456789*#abc";
        QString digits;
        for (char o : octets) {
            const int lo = quint8(o) & 0x0F, hi = quint8(o) >> 4;
            if (lo != 0x0F)
                digits.append(QLatin1Char(kDigit[lo]));
            if (hi != 0x0F)
                digits.append(QLatin1Char(kDigit[hi]));
        }
        if (digits.isEmpty()) {
            m_log.event(QStringLiteral("centre frame without digits ignored"));
        } else {
            m_state.smscNumber = ((toa & 0x70) == 0x10 ? QStringLiteral("+") : QString()) + digits;
            m_state.smscType = toa;
        }
        queueFrame(QByteArray("B%"), kReplyFrameDelayMs);
        return;
    }

    if (body.startsWith(QByteArray("\x41\x07\x03\x02", 4))) {
        const QByteArray pdu = body.mid(4);
        const DecodedSubmit d = decodeSubmitPdu(pdu);
        QByteArray reply("A");
        if (!d.ok) {
            m_log.event(QStringLiteral("bad PDU in submit frame: %1 (%2)").arg(d.error, hex(pdu)));
            reply.append('&');
            reply.append('\0');
        } else {
            const int actual = 4 + 1 + d.scaLength + d.impliedTpduLength;
            m_log.write(submissionLog(d, QStringLiteral("binary"), int(body.size()), actual, pdu));
            const char verdict = m_state.submitReply.isEmpty() ? '%' : char(m_state.submitReply.at(0).toLatin1());
            const int mr = m_state.messageReference;
            if (verdict == '%') {
                m_state.messageReference = (mr + 1) % 256;
                acceptIntoOutbox(d, QStringLiteral("binary"), pdu, mr);
            }
            reply.append(verdict);
            reply.append(char(mr));
        }
        m_port.send(QByteArray(1, kAck), m_options.latencyMs);
        if (m_faults.stallFrame) {
            const QByteArray whole = frame(reply);
            m_log.event(QStringLiteral("fault stall-frame: reply cut off"));
            m_log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("frame-out")},
                                    {QStringLiteral("hex"), hex(whole.left(whole.size() / 2))}});
            m_port.send(whole.left(whole.size() / 2), kReplyFrameDelayMs);
            return;
        }
        queueFrame(reply, kReplyFrameDelayMs);
        return;
    }

    m_log.event(QStringLiteral("unknown frame body %1").arg(hex(body)));
    m_port.send(QByteArray(1, kAck), m_options.latencyMs);
    queueFrame(QByteArray("??"), kReplyFrameDelayMs);
}

void Phone::queueFrame(const QByteArray &body, int delayMs)
{
    m_framesOut.emplace_back(body, delayMs);
    if (m_currentFrame.isEmpty())
        sendNextFrame();
}

void Phone::sendNextFrame()
{
    if (m_framesOut.empty())
        return;
    const auto [body, delay] = m_framesOut.front();
    m_framesOut.pop_front();
    m_currentFrame = frame(body);
    m_currentTries = 0;
    m_currentDelay = delay;
    transmitCurrentFrame();
}

void Phone::transmitCurrentFrame()
{
    ++m_currentTries;
    const int gen = m_frameGeneration;
    m_log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("frame-out")},
                            {QStringLiteral("hex"), hex(m_currentFrame)},
                            {QStringLiteral("try"), m_currentTries}});
    // The program purges its input before it waits for a frame, so a copy may
    // be thrown away unseen: repeat until it is acknowledged.
    m_port.send(m_currentFrame, m_currentTries == 1 ? m_currentDelay : 0, kFrameTag, [this, gen] {
        if (gen == m_frameGeneration && !m_currentFrame.isEmpty())
            m_repeatTimer.start();
    });
}

void Phone::frameAcknowledged()
{
    m_log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("ack-in")}});
    if (m_currentFrame.isEmpty())
        return;
    ++m_frameGeneration;
    m_repeatTimer.stop();
    m_port.dropQueued(kFrameTag);
    m_currentFrame.clear();
    sendNextFrame();
}

void Phone::cancelFrames()
{
    ++m_frameGeneration;
    m_repeatTimer.stop();
    m_port.dropQueued(kFrameTag);
    m_currentFrame.clear();
    m_framesOut.clear();
}

void Phone::leaveBinary(const QString &why)
{
    m_log.event(why);
    cancelFrames();
    m_frameIn.clear();
    m_frameInTimeout.stop();
    setMode(Mode::Command);
}
