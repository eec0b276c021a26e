// SPDX-License-Identifier: GPL-2.0-or-later
// The whole phone: "backup" and "restore".
#include <QDateTime>
#include <QDir>

#include "app/cli/CommandSupport.h"
#include "core/backup/BackupFile.h"
#include "core/backup/RestorePlan.h"
#include "link/backup/BackupService.h"

namespace CliCommands {

namespace {

const QString BookFileName = QStringLiteral("QXsms.phb");

// The sections --only names, all of them without it; nothing, told, for a
// name that is none.
std::optional<QList<Backup::Section>> chosen(const Invocation &call)
{
    if (!call.options.isSet(QStringLiteral("only")))
        return Backup::allSections();
    QString error;
    const auto sections = Backup::sectionList(call.options.value(QStringLiteral("only")), &error);
    if (!sections)
        usage(QStringLiteral("--only: %1").arg(error));
    return sections;
}

void showProgress(CliSession &s, BackupService &service)
{
    QObject::connect(&service, &BackupService::progress, &s,
                     [&s](const QString &section, const QString &item, int done, int total) {
                         if (section.isEmpty())
                             return;
                         s.progress(QStringLiteral("%1%  %2 %3")
                                        .arg(total ? 100 * done / total : 0, 3)
                                        .arg(section, item));
                     });
}

} // namespace

int backup(CliSession &s, const Invocation &call)
{
    const auto sections = chosen(call);
    if (!sections)
        return Exit::Usage;
    QString path = call.options.value(QStringLiteral("output"));
    if (path.isEmpty())
        path = QStringLiteral("mirvak-backup-%1.json")
                   .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    if (path == QLatin1String("-"))
        return usage(QStringLiteral("backup writes a file as it goes; give -o FILE"));

    BackupService service(s.link);
    showProgress(s, service);
    BackupService::Options options;
    options.sections = *sections;
    options.path = path;
    options.bookFile = BookFileName;
    options.version = QCoreApplication::applicationVersion();
    const BackupService::Outcome out = service.backup(options);
    s.endProgress();
    if (!out.saveError.isEmpty()) {
        s.fail(Exit::Usage, out.saveError);
        return s.exitCode();
    }
    for (const QString &failed : out.failed)
        s.fail(Exit::Phone, QStringLiteral("section %1").arg(failed));
    s.stopIfInterrupted();
    print(path);
    return s.exitCode();
}

int restore(CliSession &s, const Invocation &call)
{
    const auto sections = chosen(call);
    if (!sections)
        return Exit::Usage;
    const QString path = call.arguments.value(0);
    QString error;
    const std::optional<Backup::Opened> opened = Backup::open(path, &error);
    if (!opened)
        return usage(error);
    if (const QString warning = opened->warning(); !warning.isEmpty()) {
        CliSession::say(warning);
        if (!opened->checksumOk && !call.options.isSet(QStringLiteral("force")))
            return usage(QStringLiteral("nothing restored; give --force to restore the sections that still read"));
    }

    BackupService service(s.link);
    showProgress(s, service);
    BackupService::RestoreOptions options;
    options.sections = *sections;
    if (call.options.isSet(QStringLiteral("replace")))
        for (Backup::Section section : *sections)
            options.replace.insert(section);
    options.bookFile = BookFileName;
    options.dryRun = call.options.isSet(QStringLiteral("dry-run"));
    const BackupService::RestoreOutcome out = service.restore(opened->document, options);
    s.endProgress();
    for (const BackupService::StepResult &step : out.steps) {
        if (options.dryRun) {
            for (const Backup::Planned &p : step.plan)
                if (p.change != Backup::Change::Unchanged)
                    print(QStringLiteral("%1 %2 %3: %4 -> %5%6")
                              .arg(Backup::stepName(step.step), Backup::changeName(p.change), p.key,
                                   Backup::shown(step.step, p.from), Backup::shown(step.step, p.to),
                                   p.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(p.reason)));
            continue;
        }
        print(step.summary());
        for (const QString &problem : step.problems)
            CliSession::say(QStringLiteral("%1: %2").arg(Backup::stepName(step.step), problem));
    }
    if (s.stopIfInterrupted())
        return s.exitCode();
    for (const BackupService::StepResult &step : out.steps)
        if (!step.error.isEmpty() || (!options.dryRun && (step.failed || step.skipped)))
            s.fail(Exit::Phone, step.summary());
    return s.exitCode();
}

} // namespace CliCommands
