#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <QTest>

namespace linktest {

static void clearComNames()
{
    for (int n = 1; n <= 16; ++n)
        qunsetenv(QStringLiteral("MIRVAK_COM%1").arg(n).toLatin1().constData());
}

void TraceFile::reset()
{
    clearComNames();
    m_trace = m_tmp.filePath(QStringLiteral("trace-%1.txt").arg(QTest::currentTestFunction()));
    qputenv("MIRVAK_TRACE", m_trace.toLocal8Bit());
}

QByteArray TraceFile::text() const
{
    return Scratch::readFile(m_trace);
}

bool SimulatedPhone::start()
{
    if (!sim.start())
        return false;
    sim.useAsCom(1);
    return true;
}

void sendRunsOutOfTime(PhoneLink &link, const QByteArray &command)
{
    link.setCommandText(command);
    QElapsedTimer t;
    t.start();
    link.SendCommand();
    QVERIFY(t.elapsed() >= 1500);
    QVERIFY(link.ReplyText().isEmpty());
    QVERIFY(!link.AbortRequested());
}

} // namespace linktest
