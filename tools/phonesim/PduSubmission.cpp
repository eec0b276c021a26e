// SPDX-License-Identifier: GPL-2.0-or-later
#include "PduSubmission.h"

#include "Faults.h"
#include "PduDecoder.h"
#include "PhoneState.h"
#include "PtyPort.h"
#include "SimLog.h"

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
constexpr int kMaxPduHex = 2 * 200;

} // namespace

PduSubmission::PduSubmission(const PhoneContext &phone) : m_phone(phone)
{
}

bool PduSubmission::begin(const QString &args)
{
    bool isNumber = false;
    const int n = args.trimmed().toInt(&isNumber);
    if (!isNumber || n < 1 || n > 180 || m_phone.state.binaryOnly)
        return false;
    m_declaredLength = n;
    clear();
    if (m_phone.faults.noPrompt) {
        m_phone.log.event(QStringLiteral("fault no-prompt: prompt withheld"));
        return true;
    }
    m_phone.port.send(QByteArray("\r\n> "), m_phone.options.latencyMs + m_phone.state.promptDelayMs);
    return true;
}

PduSubmission::Key PduSubmission::type(char c)
{
    if (c == kCtrlZ)
        return Key::Send;
    if (c == kEsc) {
        m_phone.log.event(QStringLiteral("submission cancelled"));
        return Key::Cancel;
    }
    if (m_pduHex.size() < kMaxPduHex)
        m_pduHex.append(c);
    else
        m_pduOverflow = true;
    return Key::Digit;
}

void PduSubmission::clear()
{
    m_pduHex.clear();
    m_pduOverflow = false;
}

// What the log and the outbox both say of one submitted message.
QJsonObject PduSubmission::messageFields(const DecodedSubmit &d, const QString &way, const QByteArray &pdu) const
{
    return QJsonObject{
        {QStringLiteral("mode"), way},
        {QStringLiteral("number"), d.number},
        {QStringLiteral("toa"), d.toa},
        {QStringLiteral("text"), d.text},
        {QStringLiteral("firstOctet"), d.firstOctet},
        {QStringLiteral("replyPath"), d.replyPath},
        {QStringLiteral("validity"), d.validity},
        {QStringLiteral("pduHex"), SimLog::hex(pdu)},
        {QStringLiteral("smsc"), m_phone.state.smscNumber},
    };
}

void PduSubmission::logSubmitted(const DecodedSubmit &d, const QString &way, int declared, int actual,
                                 const QByteArray &pdu) const
{
    QJsonObject o = messageFields(d, way, pdu);
    o.insert(QStringLiteral("t"), QStringLiteral("sms"));
    o.insert(QStringLiteral("declaredLength"), declared);
    o.insert(QStringLiteral("actualLength"), actual);
    o.insert(QStringLiteral("lengthOk"), declared == actual);
    m_phone.log.write(o);
}

int PduSubmission::accept(const DecodedSubmit &d, const QString &way, const QByteArray &pdu)
{
    const int mr = m_phone.state.messageReference;
    m_phone.state.messageReference = (mr + 1) % 256;
    QJsonObject o = messageFields(d, way, pdu);
    o.insert(QStringLiteral("messageReference"), mr);
    m_phone.state.outbox.append(o);
    deliver(d, way);
    return mr;
}

void PduSubmission::deliver(const DecodedSubmit &d, const QString &way)
{
    QString text = d.text;
    int parts = 1;
    if (d.concatReference >= 0) {
        const auto key = std::make_tuple(d.number, d.concatReference, d.concatParts);
        QMap<int, QString> &taken = m_partsTaken[key];
        taken.insert(d.concatPart, d.text);
        if (taken.size() < d.concatParts)
            return;
        text.clear();
        for (const QString &t : std::as_const(taken))
            text += t;
        parts = d.concatParts;
        m_partsTaken.remove(key);
    }
    m_phone.log.write(QJsonObject{{QStringLiteral("t"), QStringLiteral("delivered")},
                                  {QStringLiteral("mode"), way},
                                  {QStringLiteral("number"), d.number},
                                  {QStringLiteral("text"), text},
                                  {QStringLiteral("parts"), parts},
                                  {QStringLiteral("ucs2"), (d.dcs & 0x0C) == 0x08}});
}

std::optional<QString> PduSubmission::finish()
{
    if (m_pduOverflow) {
        m_phone.log.event(QStringLiteral("PDU longer than %1 hexadecimal digits refused").arg(kMaxPduHex));
        return std::nullopt;
    }
    const DecodedSubmit d = decodeSubmitPduHex(m_pduHex);
    if (!d.ok) {
        m_phone.log.event(QStringLiteral("bad PDU refused: %1 (%2)").arg(d.error, QString::fromLatin1(m_pduHex)));
        return std::nullopt;
    }
    QByteArray pdu;
    for (char c : m_pduHex)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            pdu.append(c);
    pdu = QByteArray::fromHex(pdu);
    logSubmitted(d, QStringLiteral("at"), m_declaredLength, d.tpduLength, pdu);
    // A phone takes exactly the declared number of octets; any other count
    // is a malformed submission, not a message.
    if (m_declaredLength != d.tpduLength || m_phone.state.cmgsFail)
        return std::nullopt;
    return QStringLiteral("+CMGS: %1").arg(accept(d, QStringLiteral("at"), pdu));
}
