// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/port/PortProbe.h"

#include "link/PhoneLink.h"
#include "link/port/PortMap.h"
#include "link/port/SerialPort.h"

#include <QDir>
#include <QFileInfo>

QString PortReport::stateText() const
{
    switch (state) {
    case Answers:
        return dtrLow ? QStringLiteral("phone answers with DTR low") : QStringLiteral("phone answers");
    case NoAnswer:
        return heardBytes ? QStringLiteral("no answer (bytes, but no OK)") : QStringLiteral("no answer");
    case Busy:
    case Unusable:
        break;
    }
    return detail;
}

namespace PortProbe {

QString byIdName(const QString &device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir dir(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.canonicalFilePath() == target)
            return link.fileName();
    }
    return {};
}

PortReport probe(const QString &comName, const QString &device, const Timing &timing)
{
    PortReport report;
    report.name = comName;
    report.device = device;
    report.byId = byIdName(device);

    SerialPort port;
    PhoneLink link(port);
    link.setTiming(timing);
    port.setPort(comName);
    try {
        port.open();
    } catch (const PortError &e) {
        if (e.busy()) {
            report.state = PortReport::Busy;
            report.detail = e.holders() ? PortAdvice::busyShort(*e.holders())
                                        : QStringLiteral("busy (held by another program)");
        } else {
            report.state = PortReport::Unusable;
            report.detail = e.reason();
        }
        return report;
    }
    try {
        // Left-overs of an earlier conversation must not pass for an answer.
        port.purge(true, true);
        Exchange e = link.exchange("AT\r\n");
        report.heardBytes = !e.reply.isEmpty();
        if (!e.ok() && e.status != Exchange::Aborted) {
            // Some phones say nothing while DTR is high: once more with it low.
            port.setDtr(false);
            port.purge(true, true);
            e = link.exchange("AT\r\n");
            report.heardBytes = report.heardBytes || !e.reply.isEmpty();
            report.dtrLow = e.ok();
        }
        report.state = e.ok() ? PortReport::Answers : PortReport::NoAnswer;
        port.close();
    } catch (const PortError &e) {
        report.state = PortReport::Unusable;
        report.detail = e.reason();
        try {
            port.close();
        } catch (const PortError &) {
            // The failure above is the one to tell.
        }
    }
    return report;
}

QString advice(const QList<PortReport> &reports)
{
    bool heard = false;
    for (const PortReport &r : reports) {
        if (r.state == PortReport::Answers)
            return {};
        heard = heard || r.heardBytes;
    }
    if (reports.isEmpty())
        return {};
    if (heard)
        return QStringLiteral("Something came back, but no phone answered: check that the phone is an Ericsson "
                              "T28-class phone, switched on, and not in a call or a menu.");
    // No echo and no answer anywhere: the line carries nothing back.
    return QStringLiteral("Nothing came back on any port, not even an echo. Check that the cable is a data cable "
                          "(not a charging cable or a service cable), that the phone is switched on, and that your "
                          "user is in the dialout group.");
}

QList<PortReport> probeAll(const Timing &timing)
{
    QList<PortReport> out;
    for (const PortMapping &m : systemPorts())
        out << probe(m.name, m.device, timing);
    return out;
}

} // namespace PortProbe
