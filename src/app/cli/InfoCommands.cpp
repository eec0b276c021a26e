// SPDX-License-Identifier: GPL-2.0-or-later
// The phone and the ports: "ports", "info" and "capabilities".
#include <QList>
#include <functional>

#include "app/cli/CommandSupport.h"
#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "link/info/CapabilityService.h"
#include "link/info/GsmInfo.h"
#include "link/messaging/CentreService.h"
#include "link/port/PortMap.h"
#include "link/port/PortProbe.h"

namespace CliCommands {

int ports(CliSession &s, const Invocation &)
{
    const QList<PortMapping> mappings = systemPorts();
    if (mappings.isEmpty()) {
        s.fail(Exit::Phone, QStringLiteral("no serial port found; is the cable plugged in?"));
        return s.exitCode();
    }
    QList<PortReport> reports;
    for (const PortMapping &m : mappings) {
        if (s.interrupted())
            break;
        s.progress(QStringLiteral("trying %1 (%2)").arg(m.name, m.device));
        reports << PortProbe::probe(m.name, m.device, s.link.timing());
    }
    s.endProgress();
    if (s.stopIfInterrupted())
        return s.exitCode();

    qsizetype deviceWidth = 6, idWidth = 5;
    for (const PortReport &r : reports) {
        deviceWidth = qMax(deviceWidth, r.device.size());
        idWidth = qMax(idWidth, r.byId.size());
    }
    print(QStringLiteral("%1  %2  %3  %4")
              .arg(QStringLiteral("PORT").leftJustified(5), QStringLiteral("DEVICE").leftJustified(deviceWidth),
                   QStringLiteral("BY-ID").leftJustified(idWidth), QStringLiteral("STATE")));
    bool answered = false;
    for (const PortReport &r : reports) {
        print(QStringLiteral("%1  %2  %3  %4")
                  .arg(r.name.leftJustified(5), r.device.leftJustified(deviceWidth),
                       (r.byId.isEmpty() ? QStringLiteral("-") : r.byId).leftJustified(idWidth), r.stateText()));
        answered = answered || r.state == PortReport::Answers;
    }
    if (!answered)
        s.fail(Exit::Phone, QStringLiteral("no phone answered on any port. %1").arg(PortProbe::advice(reports)));
    return s.exitCode();
}

int info(CliSession &s, const Invocation &)
{
    CentreService centre(s.link);
    QList<std::pair<QString, QString>> lines;
    bool any = false;
    auto text = [&](const char *name, const std::optional<QByteArray> &value) {
        any = any || value.has_value();
        lines.append({QString::fromLatin1(name),
                      value ? fromPhoneText(Reply::trimmed(Reply::firstLine(*value))) : QString()});
    };

    GsmInfo gsm(s.link);
    // The items in the order of the GSM information page; each exchange
    // clears an abort, so an interrupt is looked for between them.
    const QList<std::function<void()>> steps{
        [&] { text("Network", gsm.network()); },
        [&] { text("Model", gsm.model()); },
        [&] { text("Software", gsm.software()); },
        [&] {
            centre.GetSMSC();
            if (!centre.SmscRead() && !s.interrupted())
                centre.GetSMSCbinary();
            const QString smsc = centre.shownCentre().trimmed();
            any = any || !smsc.isEmpty();
            lines.append({QStringLiteral("SMSC"), smsc});
        },
        [&] { text("IMEI", gsm.imei()); },
        [&] { text("Make", gsm.make()); },
        [&] {
            const std::optional<Reply::Battery> battery = gsm.battery();
            any = any || battery.has_value();
            lines.append({QStringLiteral("Battery"),
                          battery && battery->valid ? QStringLiteral("%1%").arg(battery->value) : QString()});
        },
        [&] {
            const std::optional<Reply::SignalLevel> signal = gsm.signal();
            any = any || signal.has_value();
            lines.append({QStringLiteral("Signal"),
                          signal ? fromPhoneText(QByteArray(1, signal->shown)) + QStringLiteral("/5") : QString()});
        },
    };
    s.run([&] {
        for (const auto &step : steps) {
            // A port that would not open asks nothing more.
            if (s.interrupted() || s.failed() || (!lines.isEmpty() && !s.link.connected()))
                return;
            step();
            // Silence to the first question: no phone there to ask the rest.
            if (!any && s.link.lastStatus() == Exchange::Timeout)
                return;
        }
    });
    s.run([&] { s.link.closePort(); });

    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (!any) {
        s.fail(Exit::Phone, QStringLiteral("the phone on %1 did not answer").arg(s.where()));
        return s.exitCode();
    }
    for (const auto &[name, value] : lines)
        print(QStringLiteral("%1: %2").arg(name, value));
    return Exit::Ok;
}

int capabilities(CliSession &s, const Invocation &)
{
    CapabilityService &service = CapabilityService::of(s.link);
    CapabilityService::Outcome learned = CapabilityService::Outcome::Stopped;
    s.run([&] { learned = service.learn(); });
    s.run([&] { s.link.closePort(); });
    if (s.failed() || s.stopIfInterrupted())
        return s.exitCode();
    if (learned == CapabilityService::Outcome::Stopped || !service.current()) {
        s.fail(Exit::Phone, QStringLiteral("the phone on %1 did not answer").arg(s.where()));
        return s.exitCode();
    }
    for (const QString &line : service.current()->report())
        print(line);
    // What a locked SIM hides is shown as unknown, and said.
    if (learned == CapabilityService::Outcome::Locked)
        s.fail(Exit::Phone, QStringLiteral("the SIM waits for its PIN: its books and stores are not known"));
    return s.exitCode();
}

} // namespace CliCommands
