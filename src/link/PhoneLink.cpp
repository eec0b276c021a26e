// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/PhoneLink.h"

#include "link/SimLock.h"
#include "link/port/SerialPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QtDebug>

PhoneLink::PhoneLink(SerialPort &port, QObject *parent) : QObject(parent), m_port(port)
{
    setObjectName(QStringLiteral("link"));
    // A child, so the window's object tree (and a test) can find it by name.
    m_replyTimer.setParent(this);
    m_replyTimer.setObjectName(QStringLiteral("Timer2"));
    m_replyTimer.setSingleShot(true);
    // A silence shorter than the interval must never count as a time-out.
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &PhoneLink::replyTimerExpired);
}

PhoneLink::Turn::Turn(PhoneLink &link, const char *what) : m_link(link)
{
    if (link.m_inExchange) {
        qWarning("%s refused: another exchange with the phone is running", what);
        return;
    }
    m_held = true;
    link.m_inExchange = true;
    // A binary wait has no allowance of its own; an exchange sets its own.
    link.m_wait = Wait::Normal;
}

// Released however the exchange ends, a port error included.
PhoneLink::Turn::~Turn()
{
    if (m_held)
        m_link.m_inExchange = false;
}

int PhoneLink::replyInterval(Wait wait) const
{
    switch (wait) {
    case Wait::Network:
        return m_timing.network;
    case Wait::Long:
        return m_timing.longReply;
    case Wait::Normal:
        break;
    }
    return m_timing.reply;
}

std::optional<PortError> PhoneLink::openPort()
{
    try {
        m_port.open();
        m_port.purge(true, true);
        m_port.setDtr(true);
        return std::nullopt;
    } catch (const PortError &e) {
        // Left open after a failed purge or DTR, the next exchange would
        // skip both; closed, it tries the whole sequence again.
        closeAfterFailure();
        return e;
    }
}

void PhoneLink::closeAfterFailure()
{
    try {
        m_port.close();
    } catch (const PortError &) {
        // The failure that brought us here is the one worth telling.
    }
}

bool PhoneLink::openSilently()
{
    return m_port.isOpen() || !openPort();
}

namespace {
// A final result line of the extended error reports: "+CME ERROR: 10".
// Only called when the reply has just ended a line.
bool endsWithExtendedError(const QByteArray &reply)
{
    qsizetype start = reply.lastIndexOf('\n', reply.size() - 2);
    start = start < 0 ? 0 : start + 1;
    const QByteArray line = reply.mid(start);
    return line.startsWith("+CME ERROR:") || line.startsWith("+CMS ERROR:");
}
} // namespace

Exchange PhoneLink::exchange(const QByteArray &command, Wait wait)
{
    // With a PIN handler set, a refusal that names a locked SIM has the PIN
    // asked for and the command sent again; the exchanges of that unlock
    // run as plain ones.
    if (SimLock::Unlocking unlocking{*this}) {
        const Exchange result = exchange(command, wait);
        return unlocking.afterRefusal(command, wait, result);
    }
    const Turn turn(*this, "SendCommand");
    if (!turn)
        return {Exchange::Aborted, {}};
    m_commandText = command;
    m_wait = wait;

    Exchange result;
    auto finish = [&](Exchange::Status status) {
        m_replyTimer.stop();
        result.status = status;
        m_lastStatus = status;
        m_replyText = status == Exchange::Ok ? result.reply : QByteArray();
        return result;
    };

    m_replyTimer.stop();
    m_replyText.clear();
    startAfresh();
    // Aborted already: nothing more goes to the phone.
    if (m_abortRequested)
        return finish(Exchange::Aborted);

    if (!m_port.isOpen()) {
        if (const std::optional<PortError> failure = openPort()) {
            if (m_openFailure)
                m_openFailure(*failure);
            m_abortRequested = true;
            return finish(Exchange::PortFailed);
        }
    }

    startReplyTimer(replyInterval(wait));
    writeCommand(command);

    for (;;) {
        pumpOnce();
        if (!m_replyTimer.isActive())
            return finish(Exchange::Timeout);
        if (m_abortRequested) {
            // The reply timer is left running, as the next exchange stops it.
            result.status = Exchange::Aborted;
            m_lastStatus = Exchange::Aborted;
            m_replyText.clear();
            return result;
        }
        if (m_port.bytesWaiting() == 0)
            continue;
        const QByteArray byte = m_port.read(1);
        m_replyTimer.start();
        // Later Ericsson models put NUL bytes after their answers; in the
        // next reply they would shift every field a parser finds by place.
        if (byte.size() == 1 && byte.at(0) == '\0')
            continue;
        result.reply += byte;
        // Tested after every byte, so a marker can only newly appear at the
        // end: that is the same as searching the whole reply, without the
        // quadratic cost on long phonebook replies.
        if (result.reply.endsWith("ERROR\r\n")) {
            if (endsWithExtendedError(result.reply))
                return finish(Exchange::CmeError);
            return finish(Exchange::Error);
        }
        if (result.reply.endsWith("OK\r\n"))
            return finish(Exchange::Ok);
        if (result.reply.endsWith('\n') && endsWithExtendedError(result.reply))
            return finish(Exchange::CmeError);
    }
}

void PhoneLink::SendCommand(Wait wait)
{
    // A copy: the exchange records its command in m_commandText.
    exchange(QByteArray(m_commandText), wait);
}

void PhoneLink::showLinkFailure()
{
    if (m_linkFailure)
        m_linkFailure();
}

void PhoneLink::replyTimerExpired()
{
    m_replyTimer.stop();
}

void PhoneLink::requestAbort()
{
    m_abortRequested = true;
    if (m_operationRunning)
        m_abortHeld = true;
    emit abortRequested();
}

PhoneLink::PuttingBack::PuttingBack(PhoneLink &link) : m_link(link), m_held(link.m_abortHeld)
{
    link.m_abortHeld = false;
    if (m_held)
        link.m_abortRequested = false;
}

PhoneLink::PuttingBack::~PuttingBack()
{
    if (!m_held)
        return;
    m_link.m_abortHeld = m_link.m_operationRunning;
    m_link.m_abortRequested = true;
}

void PhoneLink::startReplyTimer(int ms)
{
    m_replyTimer.start(ms);
}

bool PhoneLink::connected() const
{
    return m_port.isOpen();
}

QString PhoneLink::portName() const
{
    return m_port.name();
}

void PhoneLink::usePort(const QString &name)
{
    try {
        m_port.setPort(name);
    } catch (const std::exception &e) {
        qWarning("%s", e.what());
    }
}

void PhoneLink::closePort()
{
    if (m_port.isOpen())
        m_port.close();
}

void PhoneLink::writeRaw(const QByteArray &bytes)
{
    m_port.write(bytes);
}

void PhoneLink::writeCommand(const QByteArray &command)
{
    m_port.write(command);
    forgetActivity();
    emit commandWritten(command);
}

void PhoneLink::setBreak(bool on)
{
    m_port.setBreak(on);
}

void PhoneLink::sendAhead(char byte)
{
    m_port.sendAhead(byte);
}

void PhoneLink::purgeInput()
{
    m_port.purge(true, false);
}

QByteArray PhoneLink::readBytes(int count)
{
    return m_port.read(count);
}

int PhoneLink::bytesWaiting()
{
    return m_port.bytesWaiting();
}

bool PhoneLink::waitForBytes(int count, int stopOn)
{
    for (;;) {
        // Abort first: the port may have been closed along with it.
        if ((stopOn & OnAbort) && m_abortRequested)
            return false;
        if (m_port.bytesWaiting() >= count)
            return true;
        if ((stopOn & OnTimerEnd) && !m_replyTimer.isActive())
            return false;
        pumpOnce();
    }
}

void PhoneLink::pumpOnce()
{
    // Blocking is safe only when the caller has already seen the port as it
    // is now: then nothing it waits for can change before an event comes.
    bool block = true;
    if (m_port.isOpen() && (m_port.hungUp() || m_port.activity() != m_seenActivity))
        block = false;
    QCoreApplication::processEvents(block ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    m_seenActivity = m_port.activity();
}

void PhoneLink::pumpPending()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void PhoneLink::sleep(int ms)
{
    if (ms <= 0) {
        pumpPending();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void PhoneLink::runGuarded(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const PortError &e) {
        closeAfterFailure();
        m_replyTimer.stop();
        m_abortRequested = true;
        if (m_portFailure)
            m_portFailure(e);
        else
            qWarning("%s", qPrintable(e.message()));
    }
}
