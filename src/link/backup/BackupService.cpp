// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/backup/BackupService.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QTime>

#include "core/at/Charset.h"
#include "core/at/ReplyParse.h"
#include "core/backup/BookRanges.h"
#include "core/io/AtomicFile.h"
#include "core/messaging/BookFile.h"
#include "core/messaging/InboxMessages.h"
#include "core/phonebooks/PhonebookAt.h"
#include "core/phonebooks/PhonebookRange.h"
#include "core/settings/CallServicesAt.h"
#include "core/status/StatusAt.h"
#include "link/PhoneLink.h"
#include "link/info/GsmInfo.h"
#include "link/melodies/PhoneMelodies.h"
#include "link/messaging/CentreService.h"
#include "link/messaging/InboxService.h"
#include "link/phonebooks/PhonebookTransfer.h"
#include "link/port/PortError.h"
#include "link/settings/CallServices.h"
#include "link/settings/PersonalRings.h"
#include "link/settings/PhoneSettings.h"

using namespace Backup;

namespace {
constexpr int Unit = 100; // progress units of one section

struct Forward {
    CallForward::Reason reason;
    const char *name;
};
constexpr Forward Reasons[] = {{CallForward::Reason::AllCalls, "all"},
                               {CallForward::Reason::Busy, "busy"},
                               {CallForward::Reason::NoAnswer, "noAnswer"},
                               {CallForward::Reason::Unreachable, "unreachable"}};
struct Class {
    CallForward::Service service;
    const char *name;
};
constexpr Class Classes[] = {{CallForward::Service::Voice, "voice"},
                             {CallForward::Service::Data, "data"},
                             {CallForward::Service::Fax, "fax"}};

QString failure(Exchange::Status status)
{
    switch (status) {
    case Exchange::Ok:
        return {};
    case Exchange::Error:
        return QStringLiteral("the phone refused it (ERROR)");
    case Exchange::CmeError:
        return QStringLiteral("the phone refused it (+CME ERROR)");
    case Exchange::Timeout:
        return QStringLiteral("the phone did not answer");
    case Exchange::Aborted:
        return QStringLiteral("aborted");
    case Exchange::PortFailed:
        return QStringLiteral("the port could not be used");
    }
    return {};
}

QString number(int n)
{
    return QString::number(n);
}

QByteArray bookFileImage(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(BookFile::FullSize) : QByteArray();
}
} // namespace

BackupService::BackupService(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link) {}

QString BackupService::StepResult::summary() const
{
    if (!error.isEmpty())
        return QStringLiteral("%1: %2").arg(stepName(step), error);
    return QStringLiteral("%1: %2 written, %3 unchanged, %4 skipped, %5 failed")
        .arg(stepName(step))
        .arg(written)
        .arg(unchanged)
        .arg(skipped)
        .arg(failed);
}

bool BackupService::RestoreOutcome::ok() const
{
    if (!started || aborted)
        return false;
    for (const StepResult &s : steps)
        if (!s.error.isEmpty() || s.failed || s.skipped)
            return false;
    return true;
}

void BackupService::abort()
{
    m_link.requestAbort();
}

bool BackupService::answered(const QString &what)
{
    const Exchange::Status status = m_link.lastStatus();
    if (status == Exchange::Timeout || status == Exchange::Aborted || status == Exchange::PortFailed
        || m_link.AbortRequested())
        throw Failed{m_link.AbortRequested() ? failure(Exchange::Aborted)
                                              : QStringLiteral("%1: %2").arg(what, failure(status))};
    return status == Exchange::Ok;
}

void BackupService::tell(const QString &section, const QString &item)
{
    emit progress(section, item, m_done, m_total);
    // An abort asked for between two exchanges ends the section here, before
    // the next one is refused.
    if (m_link.AbortRequested() && !section.isEmpty())
        throw Failed{failure(Exchange::Aborted)};
}

void BackupService::letTheLineSettle()
{
    if (!m_link.connected())
        return;
    do {
        m_link.purgeInput();
        m_link.startReplyTimer(m_link.replyInterval(Wait::Normal));
    } while (m_link.waitForBytes(1, PhoneLink::OnEither));
    m_link.stopReplyTimer();
}

// ---- backup ---------------------------------------------------------------

BackupService::Outcome BackupService::backup(const Options &options)
{
    Outcome out;
    const OperationGuard guard(m_link, options.lockPage);
    if (!guard)
        return out;
    out.started = true;
    m_total = int(options.sections.size()) * Unit;
    m_done = 0;
    QString lostPort;
    for (Section section : options.sections) {
        m_section = key(section);
        QJsonObject object;
        try {
            tell(m_section, {});
            // The books live in a file here, not on the phone.
            if (!lostPort.isEmpty() && section != Section::Books)
                throw Failed{lostPort};
            object = readSection(section, options);
            object.insert(QStringLiteral("status"), QStringLiteral("ok"));
        } catch (const Failed &f) {
            object = failedSection(f.reason);
        } catch (const PortError &e) {
            // The device went away or failed: this section is lost, the
            // next ones fail at once as the port will not open.
            m_link.closePort();
            object = failedSection(e.message());
            lostPort = e.message();
        }
        if (!sectionOk(object))
            out.failed << QStringLiteral("%1: %2").arg(m_section, object.value(QLatin1String("reason")).toString());
        out.document.set(section, object);
        // A port that failed, or would not open, fails every section after
        // it alike; they are written as failed without trying each.
        if (!sectionOk(object) && !m_link.connected() && m_link.lastStatus() == Exchange::PortFailed)
            lostPort = object.value(QLatin1String("reason")).toString();
        if (!options.path.isEmpty()) {
            const AtomicFile::Outcome saved = AtomicFile::write(options.path, serialize(out.document));
            if (!saved) {
                out.saveError = saved.text();
                break;
            }
        }
        emit sectionDone(m_section, sectionOk(object));
        m_done += Unit;
        if (m_link.AbortRequested()) {
            out.aborted = true;
            break;
        }
    }
    tell(QString(), QString());
    try {
        if (m_link.connected() && (options.sections.contains(Section::PhoneBook) || options.sections.contains(Section::Sim))) {
            // Other programs expect the SIM book selected.
            PhonebookTransfer(m_link).finish();
        }
        m_link.closePort();
    } catch (const PortError &) {
        m_link.closePort();
    }
    return out;
}

QJsonObject BackupService::readSection(Section section, const Options &options)
{
    switch (section) {
    case Section::Phone:
        return readPhone(options);
    case Section::Sim:
        return readBook(true);
    case Section::PhoneBook:
        return readBook(false);
    case Section::Messages:
        return readMessages();
    case Section::Melodies:
        return readMelodies();
    case Section::Settings:
        return readSettings(true, true);
    case Section::Books:
        return readBooks(options.bookFile);
    }
    return {};
}

QJsonObject BackupService::readPhone(const Options &options)
{
    GsmInfo info(m_link);
    QJsonObject o;
    struct Item {
        const char *key;
        std::optional<QByteArray> (GsmInfo::*read)();
    };
    for (const Item &item : {Item{"manufacturer", &GsmInfo::make}, Item{"model", &GsmInfo::model},
                             Item{"revision", &GsmInfo::software}, Item{"imei", &GsmInfo::imei}}) {
        tell(m_section, QLatin1String(item.key));
        const std::optional<QByteArray> value = (info.*item.read)();
        if (answered(QLatin1String(item.key)) && value)
            o.insert(QLatin1String(item.key), fromPhoneText(Reply::trimmed(Reply::firstLine(*value))));
    }
    o.insert(QStringLiteral("time"), QDateTime::currentDateTime().toOffsetFromUtc(
                                         QDateTime::currentDateTime().offsetFromUtc()).toString(Qt::ISODate));
    o.insert(QStringLiteral("mirvak"), options.version);
    return o;
}

QJsonObject BackupService::readBook(bool sim)
{
    const PhonebookAt::Book book = sim ? PhonebookAt::Book::Sim : PhonebookAt::Book::Phone;
    QJsonArray entries;
    QJsonObject o;
    m_link.exchange(PhonebookAt::selectCommand(book));
    if (!answered(QStringLiteral("selecting the book")))
        throw Failed{QStringLiteral("the phone refused the book (%1)").arg(failure(m_link.lastStatus()))};
    const Exchange size = m_link.exchange(PhonebookAt::RangeQuery);
    const std::optional<Limits> limits = answered(QStringLiteral("the book's size")) ? parseLimits(size.reply)
                                                                                      : std::nullopt;
    const int base = m_done;
    auto advance = [&](int location, int last) {
        m_done = base + (last ? Unit * location / last : 0);
        tell(m_section, QStringLiteral("location %1").arg(location));
    };
    if (!limits) {
        // No stated size: the transfer finds the end location by location.
        PhonebookTransfer transfer(m_link);
        PhonebookTransfer::Watch watch;
        watch.asking = advance;
        const PhonebookTransfer::Run run = transfer.readBook(book, watch);
        if (!run.complete())
            throw Failed{QStringLiteral("location %1: %2").arg(run.endedAt).arg(failure(run.status))};
        for (const PhonebookTransfer::Location &at : run.locations)
            if (at.entry != PhonebookEntry())
                entries.append(bookJson(at.location, at.entry.number, at.entry.number.startsWith('+') ? 145 : 129,
                                        at.entry.name));
    } else {
        o.insert(QStringLiteral("limits"), limitsJson(*limits));
        // Ranges as long as the phone takes them. A range it refuses, or
        // leaves unanswered, is asked again in shorter ones, and so is the
        // rest of the book: down to single locations, where a refusal or a
        // silence fails the section as in any read.
        qsizetype span = 0;
        for (int first = 1; first <= limits->last;) {
            const int length = BookRanges::Spans[span];
            const int last = qMin(limits->last, first + length - 1);
            advance(first, limits->last);
            const Exchange range = m_link.exchange(length == 1 ? PhonebookAt::readCommand(first)
                                                               : BookRanges::readCommand(first, last));
            const QString what = length == 1 ? QStringLiteral("location %1").arg(first)
                                             : QStringLiteral("locations %1 to %2").arg(first).arg(last);
            // How some phones say that nothing is stored there.
            const bool empty = range.status == Exchange::CmeError && StatusAt::cmeCode(range.reply) == 255;
            const bool shortest = span + 1 == qsizetype(std::size(BookRanges::Spans));
            if (range.status == Exchange::Timeout && !shortest)
                letTheLineSettle();
            else if (!empty && !answered(what) && shortest)
                throw Failed{QStringLiteral("%1: %2").arg(what, failure(range.status))};
            if (range.ok() || empty) {
                for (const BookRanges::Line &line : BookRanges::parse(range.reply))
                    if (line.location >= first && line.location <= last)
                        entries.append(bookJson(line.location, line.number, line.type, line.name));
                first = last + 1;
            } else {
                ++span;
            }
        }
    }
    o.insert(QStringLiteral("entries"), entries);
    return o;
}

QJsonObject BackupService::readMessages()
{
    InboxService inbox(m_link);
    const int base = m_done;
    connect(&inbox, &InboxService::progress, this, [&](int found, int total) {
        m_done = base + (total ? Unit * found / total : 0);
        emit progress(m_section, QStringLiteral("message %1 of %2").arg(found).arg(total), m_done, m_total);
    });
    InboxService::ReadResult result;
    inbox.read(InboxService::Choice::Both, result);
    if (result.aborted || m_link.AbortRequested())
        throw Failed{failure(Exchange::Aborted)};
    if (!result.complete)
        throw Failed{result.error.isEmpty() ? QStringLiteral("the stores could not be read whole") : result.error};
    QJsonArray messages;
    for (const InboxPart &part : result.parts) {
        QJsonObject m{{"store", QString::fromLatin1(InboxAt::storeName(part.store))},
                      {"location", part.stored.location},
                      {"status", int(part.stored.status)},
                      {"length", part.stored.length},
                      {"pdu", QString::fromLatin1(part.stored.pdu)},
                      {"sender", part.decoded.number},
                      {"text", part.decoded.text}};
        if (part.decoded.time.isValid())
            m.insert(QStringLiteral("time"), Inbox::isoDate(part.decoded.time));
        messages.append(m);
    }
    return {{"messages", messages}};
}

QJsonObject BackupService::readMelodies()
{
    PersonalRings rings(m_link);
    PhoneMelodies melodies(m_link, rings);
    tell(m_section, QStringLiteral("own melodies"));
    const PhoneMelodies::Read read = melodies.readMelodies();
    if (read.status != PhoneMelodies::Read::Done) {
        answered(QStringLiteral("own melodies"));
        throw Failed{QStringLiteral("own melodies: %1").arg(failure(m_link.lastStatus()))};
    }
    QJsonObject own;
    for (int slot = 1; slot <= PhoneMelodies::SlotCount; ++slot)
        if (read.melodies[slot - 1])
            own.insert(number(slot), *read.melodies[slot - 1]);
    QJsonArray codes;
    for (const QString &code : rings.ringCodes())
        if (code != RingList::Separator && !codes.contains(code))
            codes.append(code);
    QJsonObject o{{"melodies", own}, {"ringCodes", codes}};

    tell(m_section, QStringLiteral("personal rings"));
    const std::optional<int> count = rings.readRanges();
    if (!answered(QStringLiteral("personal rings")) || !count)
        return o; // a phone without personal rings
    QJsonArray entries;
    for (int index = 1; index <= *count; ++index) {
        tell(m_section, QStringLiteral("personal ring %1").arg(index));
        const std::optional<RingList::Entry> entry = rings.readEntry(index);
        if (!answered(QStringLiteral("personal ring %1").arg(index)))
            throw Failed{QStringLiteral("personal ring %1: %2").arg(index).arg(failure(m_link.lastStatus()))};
        if (entry)
            entries.append(QJsonObject{{"index", index},
                                       {"number", fromPhoneText(entry->number)},
                                       {"ring", fromPhoneText(entry->ring)}});
    }
    o.insert(QStringLiteral("personalRingCount"), *count);
    o.insert(QStringLiteral("personalRings"), entries);
    return o;
}

QJsonObject BackupService::readSettings(bool settings, bool callServices)
{
    QJsonObject values;
    QJsonArray refused;
    // One value: kept when the phone answered, named as refused when it
    // said no; silence fails the section.
    auto keep = [&](const QString &name, const std::function<std::optional<QString>()> &read) {
        tell(m_section, name);
        const std::optional<QString> value = read();
        if (!answered(name))
            refused.append(name);
        else if (value)
            values.insert(name, *value);
    };
    auto digit = [](std::optional<int> v) -> std::optional<QString> {
        return v && *v >= 0 ? std::optional<QString>(number(*v)) : std::nullopt;
    };
    QJsonObject o;
    if (settings) {
        PhoneSettings ps(m_link);
        using S = PhoneSettings::Switch;
        using C = PhoneSettings::Choice;
        keep("profile", [&] {
            const auto p = ps.readProfiles();
            return p.read && p.active >= 0 ? std::optional<QString>(number(p.active)) : std::nullopt;
        });
        keep("volume", [&] { return digit(ps.readVolume().position); });
        for (auto [name, which] : {std::pair{"silent", S::Silent}, std::pair{"minuteMinder", S::MinuteMinder},
                                   std::pair{"keyLock", S::KeyLock}})
            keep(QLatin1String(name), [&, which = which]() -> std::optional<QString> {
                const auto on = ps.readSwitch(which);
                return on ? std::optional<QString>(*on ? "1" : "0") : std::nullopt;
            });
        keep("light", [&] { return digit(ps.readLight()); });
        keep("vibration", [&] { return digit(ps.readVibration()); });
        for (auto [name, which] : {std::pair{"answerMode", C::AnswerMode}, std::pair{"keySound", C::KeySound},
                                   std::pair{"messageAlert", C::MessageAlert}})
            keep(QLatin1String(name), [&, which = which] { return digit(ps.readChoice(which)); });
        keep("voicemail", [&] { return std::optional<QString>(ps.readVoicemail()); });
        keep("language", [&] { return ps.readLanguages().current; });
        PhoneSettings::Greeting greeting;
        keep("greeting", [&] {
            greeting = ps.readGreeting();
            return greeting.text;
        });
        if (greeting.mode)
            values.insert(QStringLiteral("greetingMode"), number(*greeting.mode));
        keep("timeFormat", [&] { return digit(ps.readTimeFormat()); });
        keep("dateFormat", [&] { return digit(ps.readDateFormat()); });
        keep("alarm", [&]() -> std::optional<QString> {
            const auto alarm = ps.readAlarm();
            return alarm ? std::optional<QString>(alarm->isValid() ? alarm->toString("HH:mm") : QString())
                         : std::nullopt;
        });
        CentreService centre(m_link);
        keep("centre", [&]() -> std::optional<QString> {
            centre.GetSMSC();
            return centre.SmscRead() ? std::optional<QString>(centre.shownCentre().trimmed()) : std::nullopt;
        });
        o.insert(QStringLiteral("values"), values);
    }
    if (callServices) {
        CallServices calls(m_link);
        QJsonArray forwarding;
        for (const Forward &r : Reasons)
            for (const Class &c : Classes) {
                const QString name = QStringLiteral("forwarding %1 %2").arg(QLatin1String(r.name), QLatin1String(c.name));
                tell(m_section, name);
                const CallForward::Status status = calls.queryForwarding(c.service, r.reason);
                if (!answered(name) || status.kind == CallForward::Status::NetworkError) {
                    refused.append(name);
                    continue;
                }
                forwarding.append(QJsonObject{{"reason", r.name},
                                              {"class", c.name},
                                              {"number", status.kind == CallForward::Status::Forwarded
                                                             ? fromPhoneText(status.number)
                                                             : QString()}});
            }
        o.insert(QStringLiteral("forwarding"), forwarding);
        tell(m_section, QStringLiteral("call waiting"));
        const CallWaiting::State waiting = calls.queryWaiting();
        if (!answered(QStringLiteral("call waiting")) || waiting == CallWaiting::State::Unknown)
            refused.append(QStringLiteral("call waiting"));
        else
            o.insert(QStringLiteral("callWaiting"), waiting == CallWaiting::State::Active);
    }
    if (!o.contains(QLatin1String("values")))
        o.insert(QStringLiteral("values"), QJsonObject());
    if (!refused.isEmpty())
        o.insert(QStringLiteral("refused"), refused);
    return o;
}

QJsonObject BackupService::readBooks(const QString &path)
{
    tell(m_section, path);
    const BookFile::Contents book = BookFile::parse(bookFileImage(path));
    auto list = [](const std::array<BookFile::Entry, BookFile::Entries> &records) {
        QJsonArray a;
        for (int k = 0; k < BookFile::Entries; ++k)
            if (records[k] != BookFile::Entry())
                a.append(QJsonObject{{"record", k + 1},
                                 {"number", fromPhoneText(records[k].number)},
                                 {"name", fromPhoneText(records[k].name)}});
        return a;
    };
    return {{"sms", list(book.sms)},
            {"icq", list(book.icq)},
            {"icqSmsc", fromPhoneText(book.icqSmsc.trimmed())},
            {"icqGateway", fromPhoneText(book.icqGateway.trimmed())}};
}

// ---- restore --------------------------------------------------------------

BackupService::RestoreOutcome BackupService::preview(const Document &document, const RestoreOptions &options)
{
    return runRestore(document, options, false);
}

BackupService::RestoreOutcome BackupService::restore(const Document &document, const RestoreOptions &options)
{
    return runRestore(document, options, !options.dryRun);
}

QJsonObject BackupService::readForStep(Step step, const RestoreOptions &options)
{
    switch (step) {
    case Step::Settings:
        return readSettings(true, false);
    case Step::CallServices:
        return readSettings(false, true);
    case Step::Melodies:
    case Step::PersonalRings:
        return readMelodies();
    case Step::Books:
        return readBooks(options.bookFile);
    case Step::Sim:
        return readBook(true);
    case Step::PhoneBook:
        return readBook(false);
    }
    return {};
}

BackupService::RestoreOutcome BackupService::runRestore(const Document &document, const RestoreOptions &options,
                                                        bool write)
{
    RestoreOutcome out;
    const OperationGuard guard(m_link, options.lockPage);
    if (!guard)
        return out;
    out.started = true;
    QList<Step> steps;
    for (Step step : restoreSteps())
        if (options.sections.contains(sectionOf(step)) && document.has(sectionOf(step))
            && sectionOk(document.section(sectionOf(step))))
            steps << step;
    m_total = int(steps.size()) * Unit;
    m_done = 0;
    for (Step step : steps) {
        m_section = stepName(step);
        StepResult result;
        result.step = step;
        const QJsonObject backup = document.section(sectionOf(step));
        try {
            if (out.aborted)
                throw Failed{failure(Exchange::Aborted)};
            const QJsonObject phone = readForStep(step, options);
            const Limits target = (step == Step::Sim || step == Step::PhoneBook) ? limitsOf(phone) : Limits{};
            result.plan = plan(step, items(step, backup), items(step, phone),
                               options.replace.contains(sectionOf(step)), target);
            for (const Planned &p : result.plan) {
                if (p.change == Change::Unchanged)
                    ++result.unchanged;
                if (p.change == Change::Skipped) {
                    ++result.skipped;
                    result.problems << QStringLiteral("%1: %2").arg(p.key, p.reason);
                }
            }
            if (write && writes(result.plan))
                writeStep(result, document, options);
        } catch (const Failed &f) {
            result.error = f.reason;
        } catch (const PortError &e) {
            m_link.closePort();
            result.error = e.message();
        }
        if (m_link.AbortRequested())
            out.aborted = true;
        out.steps << result;
        emit sectionDone(m_section, result.error.isEmpty());
        m_done += Unit;
    }
    tell(QString(), QString());
    try {
        if (m_link.connected())
            PhonebookTransfer(m_link).finish();
        m_link.closePort();
    } catch (const PortError &) {
        m_link.closePort();
    }
    return out;
}

void BackupService::writeStep(StepResult &result, const Document &document, const RestoreOptions &options)
{
    const Step step = result.step;
    QList<Planned *> toWrite;
    for (Planned &p : result.plan)
        if (p.change == Change::Added || p.change == Change::Changed || p.change == Change::Cleared)
            toWrite << &p;
    // Each item written: true when the phone took it; a refusal is skipped
    // with its reason, never half-written.
    QSet<QString> taken;
    auto outcome = [&](const Planned &p, Exchange::Status status) {
        if (status == Exchange::Ok) {
            taken.insert(p.key);
        } else if (status == Exchange::Error || status == Exchange::CmeError) {
            ++result.skipped;
            result.problems << QStringLiteral("%1: %2").arg(p.key, failure(status));
        } else {
            answered(p.key); // silence, an abort, a lost port: the step ends here
        }
    };
    auto done = [&](const Planned &p) { tell(m_section, QStringLiteral("writing %1").arg(p.key)); };

    if (step == Step::Sim || step == Step::PhoneBook) {
        const PhonebookAt::Book book = step == Step::Sim ? PhonebookAt::Book::Sim : PhonebookAt::Book::Phone;
        QHash<int, PhonebookEntry> planned;
        int rows = 0;
        for (const Planned *p : toWrite) {
            const BookValue v = bookEntry(p->to);
            planned.insert(p->key.toInt(), PhonebookEntry{v.number, v.name});
            rows = qMax(rows, p->key.toInt());
        }
        PhonebookTransfer transfer(m_link);
        PhonebookTransfer::Watch watch;
        watch.asking = [&](int location, int) { tell(m_section, QStringLiteral("writing location %1").arg(location)); };
        const PhonebookTransfer::Run run = transfer.writeBook(
            book, rows,
            [&](int r) { return planned.contains(r) ? std::optional<PhonebookEntry>(planned.value(r)) : std::nullopt; },
            false, watch);
        if (run.endedAt == 0 && !run.complete())
            answered(QStringLiteral("selecting the book"));
        for (const PhonebookTransfer::Location &at : run.locations)
            for (const Planned *p : toWrite)
                if (p->key.toInt() == at.location)
                    outcome(*p, at.status);
        if (!run.complete())
            answered(QStringLiteral("location %1").arg(run.endedAt));
    } else if (step == Step::Books) {
        BookFile::Contents book = BookFile::parse(bookFileImage(options.bookFile));
        for (const Planned *p : toWrite) {
            const QStringList parts = p->to.split(QChar(0x1f));
            auto &records = p->key.startsWith(QLatin1String("sms")) ? book.sms : book.icq;
            const int k = p->key.section(QLatin1Char(' '), 1).toInt() - 1;
            if (k >= 0 && k < BookFile::Entries)
                records[k] = BookFile::Entry{toPhoneText(parts.value(0)), toPhoneText(parts.value(1))};
        }
        QByteArray image = bookFileImage(options.bookFile);
        if (image.size() < BookFile::FullSize) {
            const QJsonObject saved = document.section(Section::Books);
            image = BookFile::newImage(toPhoneText(saved.value(QLatin1String("icqSmsc")).toString()),
                                       toPhoneText(saved.value(QLatin1String("icqGateway")).toString()));
        }
        image.replace(0, BookFile::PortOffset, BookFile::smsBookBytes(book.sms));
        image.replace(BookFile::IcqBookOffset, BookFile::FullSize - BookFile::IcqBookOffset,
                      BookFile::icqBookBytes(book.icq));
        const AtomicFile::Outcome saved = AtomicFile::write(options.bookFile, image);
        for (const Planned *p : toWrite) {
            if (saved) {
                taken.insert(p->key);
            } else {
                ++result.failed;
                result.problems << QStringLiteral("%1: %2").arg(p->key, saved.text());
            }
        }
    } else {
        PhoneSettings ps(m_link);
        PersonalRings rings(m_link);
        PhoneMelodies melodies(m_link, rings);
        CallServices calls(m_link);
        CentreService centre(m_link);
        auto status = [&](bool ok) { return ok ? Exchange::Ok : m_link.lastStatus() == Exchange::Ok ? Exchange::Error : m_link.lastStatus(); };
        for (const Planned *p : toWrite) {
            done(*p);
            const QString &v = p->to;
            const QString &k = p->key;
            const int n = v.toInt();
            bool ok = false;
            using S = PhoneSettings::Switch;
            using C = PhoneSettings::Choice;
            if (k == QLatin1String("profile"))
                ok = ps.selectProfile(n);
            else if (k == QLatin1String("volume"))
                ok = ps.writeVolume(n);
            else if (k == QLatin1String("silent"))
                ok = ps.writeSwitch(S::Silent, n == 1);
            else if (k == QLatin1String("minuteMinder"))
                ok = ps.writeSwitch(S::MinuteMinder, n == 1);
            else if (k == QLatin1String("keyLock"))
                ok = ps.writeSwitch(S::KeyLock, n == 1);
            else if (k == QLatin1String("light"))
                ok = ps.writeLight(n);
            else if (k == QLatin1String("vibration"))
                ok = ps.writeVibration(n) == ServiceResult::Done;
            else if (k == QLatin1String("answerMode"))
                ok = ps.writeChoice(C::AnswerMode, n);
            else if (k == QLatin1String("keySound"))
                ok = ps.writeChoice(C::KeySound, n);
            else if (k == QLatin1String("messageAlert"))
                ok = ps.writeChoice(C::MessageAlert, n);
            else if (k == QLatin1String("voicemail"))
                ok = ps.writeVoicemail(v) == ServiceResult::Done;
            else if (k == QLatin1String("language"))
                ok = ps.writeLanguage(v);
            else if (k == QLatin1String("greeting"))
                ok = ps.writeGreeting(v);
            else if (k == QLatin1String("greetingMode"))
                ok = ps.writeGreetingMode(n);
            else if (k == QLatin1String("timeFormat"))
                ok = ps.writeTimeFormat(n);
            else if (k == QLatin1String("dateFormat"))
                ok = ps.writeDateFormat(n);
            else if (k == QLatin1String("alarm"))
                ok = ps.writeAlarm(QTime::fromString(v, QStringLiteral("HH:mm")));
            else if (k == QLatin1String("centre")) {
                const CentreService::SetResult set = centre.setCentre(v);
                centre.finishSet(set);
                if (set == CentreService::SetResult::BadNumber) {
                    ++result.skipped;
                    result.problems << QStringLiteral("centre: the phone refused \"%1\", and it is too short "
                                                      "for its binary mode").arg(v);
                    continue;
                }
                ok = set == CentreService::SetResult::SetAT || set == CentreService::SetResult::SetBinary;
            } else if (k.startsWith(QLatin1String("melody "))) {
                const int slot = k.mid(7).toInt();
                if (v.isEmpty())
                    ok = m_link.exchange("AT*ESOM=" + QByteArray::number(slot) + ",\"\"\r\n").ok();
                else
                    ok = melodies.storeMelody(slot, v) == ServiceResult::Done;
            } else if (k.startsWith(QLatin1String("personal ring "))) {
                const int index = k.mid(14).toInt();
                const QStringList parts = v.split(QChar(0x1f));
                // An empty number clears the entry; the phone still wants
                // a ring code it has, so the entry's own goes with it.
                const QByteArray ring = toPhoneText(p->from.section(QChar(0x1f), 1));
                if (v.isEmpty())
                    ok = m_link.exchange("AT*EPRW=" + QByteArray::number(index) + ",\"\",129,"
                                         + (RingList::isRingCode(ring) ? ring : QByteArray("1")) + "\r\n")
                             .ok();
                else
                    ok = rings.writeEntry(index, parts.value(0), parts.value(1)) == ServiceResult::Done;
            } else if (k.startsWith(QLatin1String("forwarding "))) {
                const QStringList words = k.split(QLatin1Char(' '));
                for (const Forward &r : Reasons)
                    for (const Class &c : Classes)
                        if (words.value(1) == QLatin1String(r.name) && words.value(2) == QLatin1String(c.name))
                            ok = (v.isEmpty() ? calls.cancelForwarding(c.service, r.reason)
                                              : calls.setForwarding(c.service, r.reason, v))
                                 == Exchange::Ok;
            } else if (k == QLatin1String("call waiting")) {
                ok = calls.switchWaiting(v == QLatin1String("on")) == Exchange::Ok;
            } else {
                ++result.skipped;
                result.problems << QStringLiteral("%1: this Mirvak does not know how to write it").arg(k);
                continue;
            }
            outcome(*p, status(ok));
        }
    }
    if (taken.isEmpty())
        return;
    // Read back what was written and compare.
    tell(m_section, QStringLiteral("reading back"));
    QHash<QString, QString> now;
    for (const Item &i : items(step, readForStep(step, options)))
        now.insert(i.key, i.value);
    for (const Planned *p : toWrite) {
        if (!taken.contains(p->key))
            continue;
        if (now.value(p->key) == p->to) {
            ++result.written;
        } else {
            ++result.failed;
            result.problems << QStringLiteral("%1: reads back as \"%2\", not \"%3\"")
                                   .arg(p->key, shown(step, now.value(p->key)), shown(step, p->to));
        }
    }
}
