// SPDX-License-Identifier: GPL-2.0-or-later
// The call-waiting panel inside the real main window against the simulated
// phone: the status as the network reports it, and a change the network
// refuses.
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include "../books/Observers.h"
#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/SettingsPage.h"

namespace {
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QJsonObject &state, const QStringList &args = {}) : sim(args, state)
    {
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(guitest::testTiming(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Settings));
        form->settingsPage->selectNode(QStringLiteral("Call Waiting"));
        panel = guitest::find<QWidget>(form.get(), QStringLiteral("PanelCallWait"));
    }
    ~Rig() { closeWindow(); }

    template <typename T> T *find(const char *name) { return guitest::find<T>(panel, QString::fromLatin1(name)); }
    QPushButton *button(const char *name) { return find<QPushButton>(name); }
    QLabel *status() { return find<QLabel>("txtCW"); }

    SimPhone sim;
    bool started = false;
    QWidget *panel = nullptr;
};
} // namespace

class TestCallWaiting : public QObject {
    Q_OBJECT
private slots:
    void getStatus_data()
    {
        QTest::addColumn<QJsonObject>("state");
        QTest::addColumn<QString>("shown");
        QTest::newRow("status 1") << QJsonObject{{"callWaiting", true}} << QStringLiteral("Active");
        QTest::newRow("status 0") << QJsonObject{{"callWaiting", false}} << QStringLiteral("Not Active");
        QTest::newRow("OK alone") << QJsonObject{{"overrides", QJsonObject{{"+CCWA=1,2", QJsonArray{}}}}}
                                  << QStringLiteral("N/A");
    }
    // Teal while the network is asked, the other buttons off, the Abort
    // button showing, the tabs free; then the status, at rest.
    void getStatus()
    {
        QFETCH(QJsonObject, state);
        QFETCH(QString, shown);
        state.insert("networkDelayMs", 100);
        Rig rig(state);
        QVERIFY(rig.started);
        QCOMPARE(rig.panel, rig.form->settingsPage->currentPanel());
        QLabel *status = rig.status();
        QCOMPARE(status->text(), QStringLiteral("Status"));
        QVERIFY(status->alignment() & Qt::AlignHCenter);
        bool queried = false;
        QObject::connect(&rig.form->link, &PhoneLink::commandWritten, rig.panel, [&] {
            queried = true;
            QCOMPARE(status->text(), QStringLiteral("Requesting"));
            QCOMPARE(Palette::painted(status), Palette::Teal);
            QVERIFY(!rig.button("btnCWs")->isVisible() && rig.button("btnAbort6")->isVisible());
            QVERIFY(!rig.button("btnCWa")->isEnabled() && !rig.button("btnCWd")->isEnabled());
            QCOMPARE(rig.form->link.lockedPage(), PhoneLink::Idle);
        });
        QTest::mouseClick(rig.button("btnCWs"), Qt::LeftButton);

        QVERIFY(queried);
        QCOMPARE(status->text(), shown);
        QCOMPARE(rig.sim.commands(), QStringList{"AT+CCWA=1,2"});
        QCOMPARE(Palette::painted(status), Palette::Silver);
        for (const char *b : {"btnCWs", "btnCWa", "btnCWd"})
            QVERIFY(rig.button(b)->isVisible() && rig.button(b)->isEnabled());
        QVERIFY(!rig.form->ComPort1.isOpen());
        QVERIFY(!rig.form->link.operationRunning());
    }

    // A refused activation: "Sending...", an empty field, then the status
    // the network still reports. (--network-delay wins over the state's
    // delay, which would outlast the network's wait.)
    void changesAndRefusal()
    {
        Rig rig({{"networkRefuses", true}, {"networkDelayMs", 5000}}, {"--network-delay", "100"});
        QVERIFY(rig.started);
        pagetest::TextLog texts(rig.status());
        QTest::mouseClick(rig.button("btnCWa"), Qt::LeftButton);
        QTRY_COMPARE(texts.seen, (QStringList{"Status", "Sending...", "", "Requesting", "Not Active"}));
        QCOMPARE(rig.sim.commands(), (QStringList{"AT+CCWA=1,1", "AT+CCWA=1,2"}));
        for (const char *b : {"btnCWs", "btnCWa", "btnCWd"})
            QVERIFY(rig.button(b)->isVisible() && rig.button(b)->isEnabled());
        QVERIFY(!rig.form->ComPort1.isOpen());
    }

    // Accepted changes: each one's query shows the new status.
    void activateThenDeactivate()
    {
        Rig rig({});
        QVERIFY(rig.started);
        QTest::mouseClick(rig.button("btnCWa"), Qt::LeftButton);
        QCOMPARE(rig.status()->text(), QStringLiteral("Active"));
        QTest::mouseClick(rig.button("btnCWd"), Qt::LeftButton);
        QCOMPARE(rig.status()->text(), QStringLiteral("Not Active"));
        QCOMPARE(rig.sim.commands(), (QStringList{"AT+CCWA=1,1", "AT+CCWA=1,2", "AT+CCWA=1,0", "AT+CCWA=1,2"}));
    }
};

QTEST_MAIN(TestCallWaiting)
#include "tst_call_waiting.moc"
