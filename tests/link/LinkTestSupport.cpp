// SPDX-License-Identifier: GPL-2.0-or-later
#include "LinkTestSupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>
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
    // One file for every row of a table test too.
    QString name = QStringLiteral("trace-%1-%2.txt").arg(QTest::currentTestFunction(), QTest::currentDataTag());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("_"));
    m_trace = m_tmp.filePath(name);
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
    QElapsedTimer t;
    t.start();
    const Exchange e = link.exchange(command);
    QVERIFY(t.elapsed() >= 1500);
    QCOMPARE(e.status, Exchange::Timeout);
    QVERIFY(link.ReplyText().isEmpty());
    QVERIFY(!link.AbortRequested());
}

} // namespace linktest
