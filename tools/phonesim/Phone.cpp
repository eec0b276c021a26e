// SPDX-License-Identifier: GPL-2.0-or-later
#include "Phone.h"

#include "OwnMelodySim.h"
#include "PersonalRingSim.h"
#include "CallServicesSim.h"
#include "CallsSim.h"
#include "PtyPort.h"
#include "SettingsSim.h"
#include "SimLog.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>

namespace {

constexpr int kMaxLine = 1024;

} // namespace

Phone::Phone(PtyPort &port, PhoneState &state, SimLog &log, const Faults &faults,
             const PhoneOptions &options, QObject *parent)
    : QObject(parent), m_port(port), m_state(state), m_log(log), m_faults(faults), m_options(options),
      m_submission(PhoneContext{port, state, log, faults, options}),
      m_binary(PhoneContext{port, state, log, faults, options}, m_submission)
{
    buildCommandTable();
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
    // A T28 knows PDU mode only; later models text mode too.
    add(QStringLiteral("+CMGF=?"), false, line([this] {
        return QStringLiteral("+CMGF: (%1)").arg(m_state.messageFormats.join(u','));
    }));
    add(QStringLiteral("+CMGF?"), false, line([this] {
        return QStringLiteral("+CMGF: %1").arg(m_state.messageFormats.value(0));
    }));
    add(QStringLiteral("+CMGF="), true, [this](const QString &a) {
        const QString mode = a.trimmed();
        if (m_state.messageFormats.contains(mode) && !(mode == QLatin1String("0") && m_state.cmgfFail))
            ok();
        else
            error();
    });
    // The character sets: asked, never set, by Mirvak; none listed is a
    // phone that does not know the command.
    add(QStringLiteral("+CSCS=?"), false, [this](const QString &) {
        if (m_state.characterSets.isEmpty()) {
            error();
            return;
        }
        QStringList sets;
        for (const QString &c : std::as_const(m_state.characterSets))
            sets << QStringLiteral("\"%1\"").arg(c);
        respond({QStringLiteral("+CSCS: (%1)").arg(sets.join(u','))});
    });
    add(QStringLiteral("+CSCS?"), false, [this](const QString &) {
        if (m_state.characterSets.isEmpty())
            error();
        else
            respond({QStringLiteral("+CSCS: \"%1\"").arg(m_state.characterSets.first())});
    });
    add(QStringLiteral("+CMGS=?"), false, [this](const QString &) {
        if (m_state.binaryOnly)
            error();
        else
            ok();
    });
    add(QStringLiteral("+CMGS="), true, [this](const QString &a) {
        if (m_submission.begin(a))
            setMode(Mode::PduInput);
        else
            error();
    });
    add(QStringLiteral("*BINARY"), false, [this](const QString &) { enterBinary(); });
    // +CPBS, +CPBR, +CPBW: the phonebooks keep their own commands.
    add(QStringLiteral("+CPB"), true, [this](const QString &a) {
        const QString upper = a.toUpper();
        // The books there are, the call lists among them.
        if (upper.trimmed() == QLatin1String("S=?")) {
            respond({CallsSim::bookList(m_state.phoneCalls, m_state.books.names())});
            return;
        }
        const auto answer = m_state.books.answer(QStringLiteral("+CPB") + a);
        // Some phones refuse an empty location instead of answering OK.
        if (m_state.phoneCalls.cme255Empty && answer && answer->ok && answer->lines.isEmpty()
            && upper.startsWith(QLatin1String("R=")) && !upper.contains(u'?')) {
            respond({QStringLiteral("+CME ERROR: 255")}, Final::None);
            return;
        }
        if (m_state.phoneCalls.cpbsNoCounts && answer && upper == QLatin1String("S?")) {
            respond({answer->lines.value(0).section(u',', 0, 0)});
            return;
        }
        respond(answer ? answer->lines : QStringList(), answer && answer->ok ? Final::Ok : Final::Error);
    });
    // +CPMS, +CMGL, +CMGR, +CMGD: the message stores keep their own commands.
    for (const QString &key : {QStringLiteral("+CPMS"), QStringLiteral("+CMGL"), QStringLiteral("+CMGR"),
                               QStringLiteral("+CMGD")})
        add(key, true, [this, key](const QString &a) {
            const auto answer = MessageStoreSim::answer(m_state.messages, key + a);
            if (!answer)
                error();
            else if (answer->final == MessageStoreSim::Answer::CmsError)
                respond({QStringLiteral("+CMS ERROR: %1").arg(answer->cms)}, Final::None);
            else
                respond(answer->lines, answer->final == MessageStoreSim::Answer::Ok ? Final::Ok : Final::Error);
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
    m_binary.reset();
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
    m_submission.clear();
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

    for (const CommandFault &f : m_faults.mute) {
        if (f.matches(upper)) {
            m_log.event(QStringLiteral("fault mute: %1").arg(trimmed));
            return;
        }
    }
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
        } else if (const auto calls = CallsSim::answer(m_state.phoneCalls, rest)) {
            if (calls->cme >= 0)
                respond({QStringLiteral("+CME ERROR: %1").arg(calls->cme)}, Final::None);
            else
                respond(calls->lines, calls->ok ? Final::Ok : Final::Error);
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
    // Lines of one answer are parted by a single CR LF, as GSM 07.07 shows
    // them and as real phones send them.
    QByteArray out;
    if (!lines.isEmpty())
        out += "\r\n" + lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n";
    if (final == Final::Ok)
        out += "\r\nOK\r\n";
    else if (final == Final::Error)
        out += "\r\nERROR\r\n";
    // Later Ericsson models put NUL bytes after their answers.
    out += QByteArray(m_state.phoneCalls.nulAfterReply, '\0');
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

// ---------------------------------------------------------------- SMS submission and binary mode

void Phone::pduByte(char c)
{
    switch (m_submission.type(c)) {
    case PduSubmission::Key::Digit:
        echo(c);
        return;
    case PduSubmission::Key::Cancel:
        setMode(Mode::Command);
        ok();
        return;
    case PduSubmission::Key::Send:
        setMode(Mode::Command);
        if (const std::optional<QString> answer = m_submission.finish())
            respond({*answer});
        else
            error();
        return;
    }
}

void Phone::enterBinary()
{
    if (!m_binary.answer(m_lineEchoBytes))
        return;
    setMode(Mode::Binary);
    m_binary.greet();
}

void Phone::binaryByte(char c)
{
    if (m_binary.take(c))
        return;
    setMode(Mode::Command);
    commandByte(c);
}
