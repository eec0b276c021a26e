#include "Unit1/link/PhoneLink.h"

#include "CPort/TComPort.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QtDebug>

namespace {

// Clears the re-entry flag however the exchange ends, a port error included.
struct ExchangeScope {
    bool &flag;
    explicit ExchangeScope(bool &f) : flag(f) { flag = true; }
    ~ExchangeScope() { flag = false; }
};

} // namespace

PhoneLink::PhoneLink(TComPort &port, QObject *parent) : QObject(parent), ComPort1(port)
{
    setObjectName(QStringLiteral("link"));
    // A child, so the window's object tree (and a test) can find it by name.
    Timer2.setParent(this);
    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer2.setSingleShot(true);
    // A silence shorter than the interval must never count as a time-out.
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &PhoneLink::Timer2Timer);
}

bool PhoneLink::enterExchange(const char *what)
{
    if (!m_inExchange)
        return true;
    qWarning("%s refused: another exchange with the phone is running", what);
    return false;
}

int PhoneLink::replyInterval() const
{
    int ms = 1500;
    if (NetworkWait)
        ms = 15000;
    if (LongReplyWait)
        ms = 45000;
    return ms;
}

void PhoneLink::SendCommand()
{
    if (!enterExchange("SendCommand"))
        return;
    ExchangeScope scope(m_inExchange);

    Timer2.stop();
    ReplyText.clear();
    AbortRequested = false;

    if (!ComPort1.Connected()) {
        try {
            ComPort1.PortOpen();
            ComPort1.PortPurge(true, true);
            ComPort1.PortSetDtr(true);
        } catch (const EComPort &e) {
            // Left open after a failed purge or DTR, the next exchange would
            // skip both; closed, it tries the whole sequence again.
            try {
                ComPort1.PortClose();
            } catch (const EComPort &) {
            }
            if (showOpenFailure)
                showOpenFailure(e);
            ReplyText.clear();
            AbortRequested = true;
            return;
        }
    }

    startTimer2(replyInterval());
    ComPort1.PortWrite(CommandText);
    forgetActivity();

    for (;;) {
        pumpOnce();
        if (!Timer2.isActive()) {
            ReplyText.clear();
            return;
        }
        if (AbortRequested) {
            ReplyText.clear();
            return;
        }
        if (ComPort1.PortWaiting() == 0)
            continue;
        ReplyText += ComPort1.PortRead(1);
        Timer2.start();
        // Tested after every byte, so a marker can only newly appear at the
        // end: that is the same as searching the whole reply, without the
        // quadratic cost on long phonebook replies.
        if (ReplyText.endsWith("ERROR\r\n")) {
            Timer2.stop();
            ReplyText.clear();
            return;
        }
        if (ReplyText.endsWith("OK\r\n")) {
            Timer2.stop();
            return;
        }
    }
}

void PhoneLink::Timer2Timer()
{
    Timer2.stop();
}

void PhoneLink::btnAbortClick()
{
    AbortRequested = true;
    emit abortRequested();
}

void PhoneLink::startTimer2(int ms)
{
    Timer2.start(ms);
}

void PhoneLink::pumpOnce()
{
    // Blocking is safe only when the caller has already seen the port as it
    // is now: then nothing it waits for can change before an event comes.
    bool block = true;
    if (ComPort1.Connected() && (ComPort1.hungUp() || ComPort1.activity() != m_seenActivity))
        block = false;
    QCoreApplication::processEvents(block ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    m_seenActivity = ComPort1.activity();
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

void PhoneLink::GoBinary()
{
    if (!enterExchange("GoBinary"))
        return;
    ExchangeScope scope(m_inExchange);

    startTimer2(4000);
    AbortRequested = false;
    ComPort1.PortPurge(true, false);
    ComPort1.PortWrite("AT*BINARY\r\n");
    forgetActivity();
    do {
        pumpOnce();
        if (!Timer2.isActive())
            AbortRequested = true;
        if (AbortRequested)
            return;
    } while (ComPort1.PortWaiting() < 25);
    ComPort1.PortPurge(true, false);

    receiveFrame(true, false);
    if (!Timer2.isActive())
        AbortRequested = true;
    if (AbortRequested)
        return;
    receiveFrame(true, false);
    if (!Timer2.isActive())
        AbortRequested = true;
    if (!AbortRequested) {
        Timer2.stop();
        sleep(500);
    }
}

void PhoneLink::receiveFrame(bool purgeFirst, bool untilTimer)
{
    if (purgeFirst)
        ComPort1.PortPurge(true, false);
    forgetActivity();
    auto givesUp = [&] { return untilTimer ? !Timer2.isActive() : AbortRequested; };
    // Already over before it began: nothing would wake a blocking wait.
    if (givesUp()) {
        pumpPending();
        return;
    }
    do {
        pumpOnce();
        if (givesUp())
            return;
    } while (ComPort1.PortWaiting() < 2);
    const QByteArray header = ComPort1.PortRead(2);
    const int length = uchar(header.at(1));
    do {
        pumpOnce();
        if (givesUp())
            return;
    } while (ComPort1.PortWaiting() < length);
    ReplyText = ComPort1.PortRead(length);
    acknowledgeFrame();
}

void PhoneLink::GetCommand()
{
    if (!enterExchange("GetCommand"))
        return;
    ExchangeScope scope(m_inExchange);
    receiveFrame(true, false);
}

void PhoneLink::GetCommand2()
{
    if (!enterExchange("GetCommand2"))
        return;
    ExchangeScope scope(m_inExchange);
    receiveFrame(false, true);
}

void PhoneLink::SendCommBreak()
{
    ComPort1.PortSetBreak(true);
    sleep(150);
    ComPort1.PortSetBreak(false);
    sleep(150);
}

void PhoneLink::acknowledgeFrame()
{
    ComPort1.PortSendAhead(0x06);
}

void PhoneLink::runGuarded(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const EComPort &e) {
        try {
            ComPort1.PortClose();
        } catch (const EComPort &) {
        }
        Timer2.stop();
        NetworkWait = false;
        LongReplyWait = false;
        AbortRequested = true;
        if (showPortFailure)
            showPortFailure(e);
        else
            qWarning("%s", qPrintable(e.message()));
    }
}
