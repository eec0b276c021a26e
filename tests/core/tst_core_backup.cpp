// SPDX-License-Identifier: GPL-2.0-or-later
// The backup file: what opens and what is refused with which words, the
// checksum, and the restore plan item by item.
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include "core/backup/BackupFile.h"
#include "core/backup/BookRanges.h"
#include "core/backup/RestorePlan.h"

using namespace Backup;

namespace {
Document sample()
{
    Document d;
    d.set(Section::Sim, {{"status", "ok"},
                         {"limits", limitsJson({10, 20, 8})},
                         {"entries", QJsonArray{bookJson(1, "46701234567", 145, "Anna"), bookJson(3, "0701", 129, "Bo\xE5")}}});
    d.set(Section::Settings, {{"status", "ok"}, {"values", QJsonObject{{"volume", "3"}, {"voicemail", ""}}}});
    d.set(Section::Messages, failedSection("the phone did not answer"));
    return d;
}

QString sim(const QByteArray &number, const QByteArray &name)
{
    return bookValue(number, number.startsWith('+') ? 145 : 129, name);
}
} // namespace

class TestCoreBackup : public QObject {
    Q_OBJECT
private slots:
    void writtenFileOpensWhole()
    {
        const QByteArray bytes = serialize(sample());
        QVERIFY(bytes.trimmed().endsWith("\"\n}") && bytes.contains("\"sha256\": \""));
        QString error;
        const auto opened = parse(bytes, &error);
        QVERIFY2(opened, qPrintable(error));
        QVERIFY(opened->checksumOk);
        QVERIFY(opened->warning().isEmpty());
        QCOMPARE(opened->document.sections, sample().sections);
        // The name's own bytes survive whatever the text shows.
        const QList<Item> entries = items(Step::Sim, opened->document.section(Section::Sim));
        QCOMPARE(bookEntry(entries.at(1).value).name, QByteArray("Bo\xE5"));
        QCOMPARE(bookEntry(entries.at(0).value).number, QByteArray("+46701234567"));
    }

    void badFileIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray whole = serialize(sample());
        QTest::newRow("not JSON") << QByteArray("PK\x03\x04 a zip") << "it is not JSON";
        QTest::newRow("cut short") << whole.left(whole.size() / 2) << "ends too early";
        QTest::newRow("empty") << QByteArray() << "not JSON";
        QTest::newRow("a list") << QByteArray("[1,2]") << "not an object";
        QTest::newRow("another format") << QByteArray("{\"format\":\"gammu\",\"version\":1,\"sections\":{}}")
                                        << "no Mirvak backup";
        QTest::newRow("newer version") << QByteArray("{\"format\":\"mirvak-backup\",\"version\":2,\"sections\":{}}")
                                       << "newer Mirvak (format version 2)";
        QTest::newRow("version as text") << QByteArray("{\"format\":\"mirvak-backup\",\"version\":\"1\",\"sections\":{}}")
                                         << "no version number";
        QTest::newRow("no sections") << QByteArray("{\"format\":\"mirvak-backup\",\"version\":1}") << "holds no sections";
    }

    void badFileIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QString error;
        QVERIFY(!parse(bytes, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // A file far too large is refused before it is read.
    void hugeFileIsRefused()
    {
        QTemporaryDir dir;
        QFile huge(dir.filePath("huge.json"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30));
        huge.close();
        QString error;
        QVERIFY(!open(huge.fileName(), &error));
        QVERIFY2(error.contains("1024 MB"), qPrintable(error));
        QVERIFY(!open(dir.filePath("missing.json"), &error));
        QVERIFY2(error.startsWith("Cannot read missing.json"), qPrintable(error));
    }

    // A changed file still opens, with a warning naming what still reads; a
    // section that no longer reads is named and left out.
    void damagedFileWarns()
    {
        QByteArray bytes = serialize(sample());
        bytes.replace("Anna", "Anne");
        QString error;
        auto opened = parse(bytes, &error);
        QVERIFY(opened && !opened->checksumOk);
        QVERIFY2(opened->warning().contains("Sections that still read: sim, messages, settings."),
                 qPrintable(opened->warning()));

        Document broken = sample();
        QJsonObject simSection = broken.section(Section::Sim);
        simSection.insert("entries", QJsonArray{QJsonObject{{"number", "1"}}});
        broken.set(Section::Sim, simSection);
        opened = parse(serialize(broken), &error);
        QVERIFY(opened && opened->checksumOk);
        QVERIFY(!opened->document.has(Section::Sim) && opened->document.has(Section::Settings));
        QCOMPARE(opened->unreadable, QStringList{"sim (entries entry 1 has no \"location\" from 1 to 9999)"});
    }

    void restorePlan_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QList<Item>>("backup");
        QTest::addColumn<QList<Item>>("phone");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QStringList>("expected"); // key:change[:reason]

        const QList<Item> book{{"1", sim("+4670", "A")}, {"2", sim("070", "B")}, {"3", sim("071", "C")}};
        const QList<Item> phone{{"2", sim("070", "B")}, {"3", sim("079", "X")}, {"4", sim("072", "D")}};
        QTest::newRow("book, kept") << int(Step::Sim) << book << phone << false
                                    << QStringList{"1:added", "2:unchanged", "3:changed",
                                                   "4:unchanged:left alone: not in the backup"};
        QTest::newRow("book, replaced") << int(Step::Sim) << book << phone << true
                                        << QStringList{"1:added", "2:unchanged", "3:changed", "4:cleared"};
        const QList<Item> settings{{"volume", "3"}, {"voicemail", ""}};
        const QList<Item> now{{"volume", "5"}, {"voicemail", "+46708"}};
        QTest::newRow("setting empty in the backup, kept")
            << int(Step::Settings) << settings << now << false
            << QStringList{"volume:changed", "voicemail:unchanged:left alone: not in the backup"};
        QTest::newRow("setting empty in the backup, replaced")
            << int(Step::Settings) << settings << now << true << QStringList{"volume:changed", "voicemail:cleared"};
        QTest::newRow("same everywhere") << int(Step::PhoneBook) << book << book << true
                                         << QStringList{"1:unchanged", "2:unchanged", "3:unchanged"};
        const QList<Item> large{{"1", sim("070", "Annabel")},
                                {"2", sim("+1234567890123", "A")},
                                {"5", sim("070", "A")},
                                {"3", sim("070", "Anna")}};
        QTest::newRow("what does not fit")
            << int(Step::Sim) << large << QList<Item>() << false
            << QStringList{"1:skipped:the name has 7 characters; the phone takes 4",
                           "2:skipped:the number has 13 digits; the phone takes 12",
                           "5:skipped:the phone's book ends at location 3", "3:added"};
    }

    void restorePlan()
    {
        QFETCH(int, step);
        QFETCH(QList<Item>, backup);
        QFETCH(QList<Item>, phone);
        QFETCH(bool, replace);
        QFETCH(QStringList, expected);
        QStringList got;
        for (const Planned &p : plan(Step(step), backup, phone, replace, Limits{3, 12, 4}))
            got << QStringList{p.key, changeName(p.change), p.reason}.join(':').remove(QRegularExpression(":$"));
        QCOMPARE(got, expected);
        QCOMPARE(writes(plan(Step(step), backup, phone, replace, Limits{3, 12, 4})),
                 expected.filter(QRegularExpression(":(added|changed|cleared)")).size() > 0);
    }

    void rangedBookReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("lines"); // location|number|type|name
        QTest::newRow("two of a range")
            << QByteArray("AT+CPBR=1,10\r\r\n+CPBR: 1,\"+4670\",145,\"Anna\"\r\n+CPBR: 7,\"070\",129,\"\"\r\n\r\nOK\r\n")
            << QStringList{"1|+4670|145|Anna", "7|070|129|"};
        QTest::newRow("a quote in the name") << QByteArray("+CPBR: 2,\"1\",129,\"A \"B\" C\"\r\n")
                                             << QStringList{"2|1|129|A \"B\" C"};
        QTest::newRow("empty range") << QByteArray("AT+CPBR=11,20\r\r\n\r\nOK\r\n") << QStringList();
        QTest::newRow("no location, no type, cut") << QByteArray("+CPBR: ,\"1\",129,\"A\"\r\n+CPBR: 3,\"1\",x,\"A\"\r\n+CPBR: 4,\"12")
                                                   << QStringList();
        QTest::newRow("limits") << QByteArray("+CPBR: (1-250),20,18") << QStringList();
    }

    void rangedBookReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, lines);
        QStringList got;
        for (const BookRanges::Line &l : BookRanges::parse(reply))
            got << QStringLiteral("%1|%2|%3|%4").arg(l.location).arg(QString::fromLatin1(l.number)).arg(l.type).arg(QString::fromLatin1(l.name));
        QCOMPARE(got, lines);
    }

    void limitsAndSections()
    {
        QCOMPARE(parseLimits("+CPBR: (1-250),20,18")->nameLength, 18);
        QCOMPARE(parseLimits("+CPBR: (1-100)")->last, 100);
        QVERIFY(!parseLimits("+CPBR: (5-1),20,18"));
        QString error;
        QCOMPARE(*sectionList(" settings,sim", &error), (QList<Section>{Section::Sim, Section::Settings}));
        QVERIFY(!sectionList("sim,contacts", &error));
        QVERIFY(error.startsWith("unknown section \"contacts\"; sections: phone, sim, phone_book"));
        QVERIFY(!sectionList(",", &error));
    }
};

QTEST_GUILESS_MAIN(TestCoreBackup)
#include "tst_core_backup.moc"
