// SPDX-License-Identifier: GPL-2.0-or-later
// Starting the simulated phone as mirvak --demo, the tests and the
// benchmarks all do: where the simulator is looked for, what is said when it
// cannot be started, and what is left behind.
#include "HeldTerminal.h"
#include "link/sim/PhoneSimulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {

// Sets (or, with nullopt, removes) an environment variable for one scope.
class EnvOverride {
public:
    EnvOverride(const char *name, const std::optional<QString> &value)
        : m_name(name), m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }
    ~EnvOverride()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<QByteArray> m_old;
};

bool makeFile(const QString &path, bool executable)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("#!/bin/sh\n") < 0)
        return false;
    f.close();
    return !executable || f.setPermissions(f.permissions() | QFile::ExeOwner);
}

} // namespace

class TestSimulatorStart : public QObject {
    Q_OBJECT

private slots:
    void locatesAsTheDemoDoes_data();
    void locatesAsTheDemoDoes();
    void saysWhyItDidNotStart_data();
    void saysWhyItDidNotStart();
    void startsRecordsAndCleansUp();
};

// The program runs in <root>/app/bin; the candidates are the simulator beside
// it, the build tree's tools/phonesim two and one folder up, and PATH.
void TestSimulatorStart::locatesAsTheDemoDoes_data()
{
    QTest::addColumn<QStringList>("executables");
    QTest::addColumn<QStringList>("plainFiles");
    QTest::addColumn<QString>("fromEnv");
    QTest::addColumn<QString>("expected");

    const QString beside = "app/bin/mirvak-phonesim";
    const QString twoUp = "tools/phonesim/mirvak-phonesim";
    const QString oneUp = "app/tools/phonesim/mirvak-phonesim";
    const QString onPath = "path/mirvak-phonesim";
    QTest::newRow("beside wins") << QStringList{beside, twoUp, oneUp, onPath} << QStringList() << QString() << beside;
    QTest::newRow("build tree") << QStringList{twoUp, oneUp, onPath} << QStringList() << QString() << twoUp;
    QTest::newRow("bench tree") << QStringList{oneUp, onPath} << QStringList() << QString() << oneUp;
    QTest::newRow("PATH last") << QStringList{onPath} << QStringList() << QString() << onPath;
    QTest::newRow("not executable") << QStringList{onPath} << QStringList{beside, twoUp} << QString() << onPath;
    QTest::newRow("nowhere") << QStringList() << QStringList{beside} << QString() << QString();
    // The variable is taken as it is; start() says so if it is wrong.
    QTest::newRow("variable") << QStringList{beside} << QStringList() << "elsewhere/sim" << "elsewhere/sim";
}

void TestSimulatorStart::locatesAsTheDemoDoes()
{
    QFETCH(QStringList, executables);
    QFETCH(QStringList, plainFiles);
    QFETCH(QString, fromEnv);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const QString &f : executables)
        QVERIFY(makeFile(root.filePath(f), true));
    for (const QString &f : plainFiles)
        QVERIFY(makeFile(root.filePath(f), false));
    QVERIFY(QDir().mkpath(root.filePath("path")));
    QVERIFY(QDir().mkpath(root.filePath("app/bin")));

    const EnvOverride sim("MIRVAK_PHONESIM", fromEnv.isEmpty() ? std::nullopt : std::optional(root.filePath(fromEnv)));
    const EnvOverride path("PATH", root.filePath("path"));
    const QString found = PhoneSimulator::locate(root.filePath("app/bin"));
    QCOMPARE(found, expected.isEmpty() ? QString() : QDir::cleanPath(root.filePath(expected)));
}

void TestSimulatorStart::saysWhyItDidNotStart_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("said");

    const QString sim = qEnvironmentVariable("MIRVAK_PHONESIM");
    QTest::newRow("missing") << "/nonexistent/mirvak-phonesim" << QStringList()
                             << "/nonexistent/mirvak-phonesim could not be started: ";
    QTest::newRow("refuses its options") << sim << QStringList{"--fault", "explode"}
                                         << sim + " stopped before reporting its device (exit code 2).";
    QTest::newRow("prints no device") << "/bin/echo" << QStringList{"not-a-device"}
                                      << "/bin/echo reported \"not-a-device\", which is not a device.";
}

void TestSimulatorStart::saysWhyItDidNotStart()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, said);
    PhoneSimulator phone;
    phone.setProgram(program);
    phone.setArguments(arguments);
    QString error;
    QVERIFY(!phone.start(&error));
    QVERIFY2(error.startsWith(said), qPrintable(error));
    QVERIFY(!phone.running());
    QVERIFY(phone.device().isEmpty());
}

void TestSimulatorStart::startsRecordsAndCleansUp()
{
    QString kept;
    for (const bool keep : {false, true}) {
        QString folder, device;
        {
            PhoneSimulator phone;
            phone.setState(QJsonObject{{"model", "T28 Test"}});
            phone.setRecording(true);
            phone.setKeepFiles(keep);
            QString error;
            QVERIFY2(phone.start(&error), qPrintable(error));
            QVERIFY(phone.running());
            device = phone.device();
            QVERIFY(QFileInfo::exists(device));
            phone.useAsCom(7);
            QCOMPARE(qEnvironmentVariable("MIRVAK_COM7"), device);
            folder = phone.folder();
            QVERIFY(QFileInfo::exists(folder + "/state.json"));
            const QList<QJsonObject> log = phone.log();
            QVERIFY(!log.isEmpty());
            QCOMPARE(log.first().value("what").toString(), "started on " + device);

            const HeldTerminal held(device);
            QVERIFY(held.isOpen() && !held.hungUp());
            phone.stop();
            QVERIFY(!phone.running());
            QVERIFY(held.hungUp());
            QCOMPARE(phone.dumpedState().value("model").toString(), QString("T28 Test"));
        }
        QCOMPARE(QFileInfo::exists(folder), keep);
        if (keep)
            kept = folder;
    }
    QVERIFY(QDir(kept).removeRecursively());
    qunsetenv("MIRVAK_COM7");

    // Nothing asked for, nothing written: the demo's phone.
    PhoneSimulator demo;
    demo.setArguments({"--network-delay", "1500"});
    QVERIFY(demo.start());
    QVERIFY(demo.folder().isEmpty());
    QVERIFY(demo.log().isEmpty());
    QVERIFY(demo.dumpedState().isEmpty());
}

QTEST_GUILESS_MAIN(TestSimulatorStart)
#include "tst_simulator_start.moc"
