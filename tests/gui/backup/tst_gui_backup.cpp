// SPDX-License-Identifier: GPL-2.0-or-later
// The Backup tab driven through the real window against the simulated
// phone: back up, open the file, save its SIM book as vCard, restore with a
// preview, cancel, restore.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QJsonArray>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "../books/Observers.h"
#include "FormRig.h"
#include "core/backup/BackupFile.h"
#include "core/phonebooks/VCardFile.h"
#include "gui/backup/BackupPage.h"
#include "link/backup/BackupService.h"

using pagetest::DialogSteps;
using pagetest::typeAndAccept;

namespace {
// A received message, so the messages section has something to list.
const char Pdu[] = "07916407058099F9040A81701011223300006221708030004024C3F79C3E07D53665D086F75E6F7CA00D0ABF498136BD0D"
                   "6503DCBC40E4B7BB0C";

QJsonObject phoneState()
{
    return {{"sim", QJsonObject{{"size", 30},
                                {"entries", QJsonArray{QJsonObject{{"index", 1}, {"number", "+46701234567"}, {"name", "Anna"}},
                                                       QJsonObject{{"index", 4}, {"number", "0701112233"}, {"name", "Bob"}}}}}},
            {"ownMelodies", QJsonObject{{"1", "cdef"}}},
            {"messageStores", QJsonObject{{"SM", QJsonObject{{"size", 5}, {"messages", QJsonArray{QJsonObject{
                                                                            {"index", 2}, {"pdu", Pdu}}}}}}}}};
}

QStringList rowsUnder(const QTreeWidgetItem *item)
{
    QStringList out;
    for (int i = 0; item && i < item->childCount(); ++i)
        out << item->child(i)->text(0) + QLatin1Char('|') + item->child(i)->text(1);
    return out;
}

const QTreeWidgetItem *child(const QTreeWidgetItem *item, const QString &text)
{
    for (int i = 0; item && i < item->childCount(); ++i)
        if (item->child(i)->text(0) == text)
            return item->child(i);
    return nullptr;
}
} // namespace

class TestGuiBackup : public QObject {
    Q_OBJECT
private slots:
    void backUpOpenSaveRestore()
    {
        guitest::FormRig rig;
        QVERIFY(rig.startPhone({}, phoneState()));
        rig.openWindow(Tab::Backup);
        QVERIFY(rig.ok());
        QCOMPARE(rig.form->mainTabs->tabText(int(Tab::Backup)), QStringLiteral("Backup"));
        auto *page = rig.find<BackupPage>(QStringLiteral("BackupPage"));
        const QString file = rig.filePath(QStringLiteral("phone.json"));

        // Back up: the bar moves through the sections, the status names them.
        QStringList statuses;
        auto *status = rig.find<QLabel>(QStringLiteral("BackupStatus"));
        auto *abort = rig.find<QPushButton>(QStringLiteral("btnBackupAbort"));
        const QMetaObject::Connection watching = QObject::connect(&rig.form->link, &PhoneLink::commandWritten, page, [&] {
            if (!statuses.contains(status->text().section(':', 0, 0)))
                statuses << status->text().section(':', 0, 0);
            QVERIFY(abort->isVisible());
        });
        {
            DialogSteps steps({[&](QWidget *d) { typeAndAccept(qobject_cast<QFileDialog *>(d), file); }});
            rig.click(QStringLiteral("btnBackup"));
            QVERIFY(steps.allTaken());
        }
        QObject::disconnect(watching);
        // The books come from the book file; the SIM book selected again at the end goes out under them.
        QCOMPARE(statuses, (QStringList{"phone", "sim", "phone_book", "messages", "melodies", "settings", "books"}));
        QVERIFY2(status->text().startsWith("Backed up to phone.json."), qPrintable(status->text()));
        QVERIFY(!abort->isVisible() && rig.find<QPushButton>(QStringLiteral("btnBackup"))->isVisible());
        QCOMPARE(rig.find<QProgressBar>(QStringLiteral("BackupProgress"))->value(),
                 rig.find<QProgressBar>(QStringLiteral("BackupProgress"))->maximum());
        QVERIFY(!rig.form->link.connected());

        // Open it: the tree lists the sections with what they hold.
        {
            DialogSteps steps({[&](QWidget *d) { typeAndAccept(qobject_cast<QFileDialog *>(d), file); }});
            rig.click(QStringLiteral("btnBackupOpen"));
            QVERIFY(steps.allTaken());
        }
        auto *tree = rig.find<QTreeWidget>(QStringLiteral("BackupTree"));
        const QStringList sections = rowsUnder(tree->topLevelItem(0));
        // The picture in the README, when asked for (as the shell test makes the others).
        if (const QString pictures = qEnvironmentVariable("MIRVAK_SHELL_SCREENSHOTS"); !pictures.isEmpty())
            QVERIFY(rig.form->grab().save(QDir(pictures).filePath(QStringLiteral("backup.png"))));
        QVERIFY2(sections.contains("SIM book|2 entries") && sections.contains("melodies|1 melody, 0 personal rings")
                     && sections.contains("phone|ERICSSON 1101101-BVT28s, IMEI 520001234567897"),
                 qPrintable(sections.join('\n')));

        // The SIM book saved as vCard reads back with both entries.
        const QString card = rig.filePath(QStringLiteral("sim.vcf"));
        {
            DialogSteps steps({[&](QWidget *d) { typeAndAccept(qobject_cast<QFileDialog *>(d), card); }});
            page->saveSectionAs(Backup::Section::Sim);
            QVERIFY(steps.allTaken());
        }
        const ContactFile::Parsed parsed = VCardFile::read(rig.dir().read(QStringLiteral("sim.vcf")));
        QCOMPARE(parsed.contacts.size(), 2);
        QCOMPARE(parsed.contacts.at(0).name, QStringLiteral("Anna"));
        QCOMPARE(parsed.contacts.at(1).location, 4);

        // The phone changes; the preview shows what a restore would write.
        {
            const OperationGuard op(rig.form->link, std::nullopt);
            rig.form->link.runGuarded([&] {
                QVERIFY(rig.form->link.exchange("AT+CPBS=\"SM\"\r\n").ok());
                QVERIFY(rig.form->link.exchange("AT+CPBW=1\r\n").ok());
                QVERIFY(rig.form->link.exchange("AT+CPBW=9,\"555\",129,\"Extra\"\r\n").ok());
                rig.form->link.closePort();
            });
        }
        QString preview;
        const int before = int(rig.sim->commands().size());
        {
            DialogSteps steps({[&](QWidget *d) {
                QCOMPARE(d->objectName(), QStringLiteral("RestoreDialog"));
                QTest::mouseClick(guitest::find<QPushButton>(d, "btnRestorePreview"), Qt::LeftButton);
                auto *tree = guitest::find<QTreeWidget>(d, "RestorePreview");
                const QTreeWidgetItem *sim = nullptr;
                for (int i = 0; i < tree->topLevelItemCount(); ++i)
                    if (tree->topLevelItem(i)->text(0) == "sim")
                        sim = tree->topLevelItem(i);
                preview = rowsUnder(sim).join(',') + " / " + rowsUnder(child(sim, "added")).join(',') + " / "
                          + rowsUnder(child(sim, "unchanged")).join(',');
                QTest::mouseClick(guitest::find<QPushButton>(d, "btnRestoreCancel"), Qt::LeftButton);
            }});
            rig.click(QStringLiteral("btnRestore"));
            QVERIFY(steps.allTaken());
        }
        QCOMPARE(preview, QStringLiteral("added|1,unchanged|2 / 1|(empty) \u2192 +46701234567 Anna / "
                                         "4|0701112233 Bob,9|left alone: not in the backup"));
        QCOMPARE(rig.sim->commands().mid(before).filter(QRegularExpression("^AT\\+CPBW|^AT\\*ESOM=\\d")), QStringList());

        // Restore, this time with the SIM book replaced.
        QString summary;
        {
            DialogSteps steps({[&](QWidget *d) {
                guitest::find<QCheckBox>(d, "RestoreReplace_sim")->setChecked(true);
                QTest::mouseClick(guitest::find<QPushButton>(d, "btnRestorePreview"), Qt::LeftButton);
                QTest::mouseClick(guitest::find<QPushButton>(d, "btnRestoreRun"), Qt::LeftButton);
                summary = guitest::find<QLabel>(d, "RestoreStatus")->text();
                qobject_cast<QDialog *>(d)->reject();
            }});
            rig.click(QStringLiteral("btnRestore"));
            QVERIFY(steps.allTaken());
        }
        QVERIFY2(summary.contains("sim: 2 written, 1 unchanged, 0 skipped, 0 failed"), qPrintable(summary));
        QCOMPARE(rig.sim->commands().filter("AT+CPBW=").mid(2),
                 (QStringList{"AT+CPBW=1,\"46701234567\",145,\"Anna\"", "AT+CPBW=9,\"\",129,\"\""}));
        QVERIFY(!rig.form->link.connected());
    }

    // Abort pressed between two exchanges of the messages (the stores
    // counted, the list not yet asked for): nothing more is read, the
    // sections before are in the file, the port is closed, "Back up…" is back.
    void abortKeepsWhatWasRead()
    {
        guitest::FormRig rig;
        QVERIFY(rig.startPhone({}, phoneState()));
        rig.openWindow(Tab::Backup);
        QVERIFY(rig.ok());
        auto *page = rig.find<BackupPage>(QStringLiteral("BackupPage"));
        auto *abort = rig.find<QPushButton>(QStringLiteral("btnBackupAbort"));
        qsizetype sentBefore = -1;
        connect(page->findChild<BackupService *>(), &BackupService::progress, page,
                [&](const QString &section, const QString &item) {
            if (section == QLatin1String("messages") && item.startsWith("message ") && sentBefore < 0) {
                sentBefore = rig.sim->commands().size();
                QTest::mouseClick(abort, Qt::LeftButton);
            }
        });
        const QString file = rig.filePath(QStringLiteral("aborted.json"));
        {
            DialogSteps steps({[&](QWidget *d) { typeAndAccept(qobject_cast<QFileDialog *>(d), file); }});
            rig.click(QStringLiteral("btnBackup"));
            QVERIFY(steps.allTaken());
        }
        QVERIFY(sentBefore > 0);
        // Only the SIM book selected again, as the end of every backup leaves it.
        QCOMPARE(rig.sim->commands().mid(sentBefore), QStringList{"AT+CPBS=\"SM\""});
        QVERIFY(!rig.form->link.connected());
        QVERIFY(rig.find<QPushButton>(QStringLiteral("btnBackup"))->isVisible() && !abort->isVisible());
        QString error;
        const std::optional<Backup::Opened> opened = Backup::open(file, &error);
        QVERIFY2(opened && opened->checksumOk, qPrintable(error));
        const Backup::Document &d = opened->document;
        QCOMPARE(d.section(Backup::Section::Sim).value("entries").toArray().size(), 2);
        QVERIFY(Backup::sectionOk(d.section(Backup::Section::PhoneBook)));
        QCOMPARE(d.section(Backup::Section::Messages).value("reason").toString(), QStringLiteral("aborted"));
        QVERIFY(!d.has(Backup::Section::Melodies));
    }
};

QTEST_MAIN(TestGuiBackup)
#include "tst_gui_backup.moc"
