// The call-waiting panel inside the real main window against the simulated
// phone: the status as the network reports it, and a change the network
// refuses.
#include <QEvent>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/settings/CallWaitPanel.h"
#include "gui/common/Palette.h"
#include "gui/settings/SettingsPage.h"

namespace {
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QJsonObject &state, const QStringList &args = {}) : sim(args, state)
    {
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(Timing().scaled(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Settings));
        form->settingsPage->selectNode(QStringLiteral("Call Waiting"));
        panel = qobject_cast<CallWaitPanel *>(form->settingsPage->currentPanel());
    }
    ~Rig() { closeWindow(); }

    SimPhone sim;
    bool started = false;
    CallWaitPanel *panel = nullptr;
};

// Every text the status field was painted with, in order.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel *l) : m_label(l) { l->installEventFilter(this); }
    QStringList seen;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == m_label && e->type() == QEvent::Paint && (seen.isEmpty() || seen.last() != m_label->text()))
            seen << m_label->text();
        return false;
    }

private:
    QLabel *m_label;
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
        CallWaitPanel *p = rig.panel;
        QVERIFY(p);
        QCOMPARE(p->txtCW->text(), QStringLiteral("Status"));
        QVERIFY(p->txtCW->alignment() & Qt::AlignHCenter);
        bool busyLook = false;
        bool wrongLook = false;
        guitest::Poller poller([&] {
            if (p->txtCW->text() != QLatin1String("Requesting"))
                return;
            busyLook = true;
            wrongLook = wrongLook || Palette::painted(p->txtCW) != Palette::Teal || p->btnCWs->isVisible()
                        || !p->btnAbort6->isVisible() || p->btnCWa->isEnabled() || p->btnCWd->isEnabled()
                        || rig.form->link.BusyPage() != PhoneLink::Idle;
        });
        QTest::mouseClick(p->btnCWs, Qt::LeftButton);
        poller.stop();

        QVERIFY(busyLook);
        QVERIFY(!wrongLook);
        QCOMPARE(p->txtCW->text(), shown);
        QCOMPARE(rig.sim.commands(), QStringList{"AT+CCWA=1,2"});
        QCOMPARE(Palette::painted(p->txtCW), Palette::Silver);
        for (QPushButton *b : {p->btnCWs, p->btnCWa, p->btnCWd})
            QVERIFY(b->isVisible() && b->isEnabled());
        QVERIFY(!rig.form->ComPort1.Connected());
        QVERIFY(!rig.form->link.operationRunning());
    }

    // A refused activation: "Sending...", an empty field, then the status
    // the network still reports. (--network-delay wins over the state's
    // delay, which would outlast the network's wait.)
    void changesAndRefusal()
    {
        Rig rig({{"networkRefuses", true}, {"networkDelayMs", 5000}}, {"--network-delay", "100"});
        QVERIFY(rig.started);
        CallWaitPanel *p = rig.panel;
        QVERIFY(p);
        QTest::qWait(50); // the panel's first paint
        PaintedTexts texts(p->txtCW);
        QTest::mouseClick(p->btnCWa, Qt::LeftButton);
        QTRY_COMPARE(texts.seen, (QStringList{"Sending...", "", "Requesting", "Not Active"}));
        QCOMPARE(rig.sim.commands(), (QStringList{"AT+CCWA=1,1", "AT+CCWA=1,2"}));
        for (QPushButton *b : {p->btnCWs, p->btnCWa, p->btnCWd})
            QVERIFY(b->isVisible() && b->isEnabled());
        QVERIFY(!rig.form->ComPort1.Connected());
    }

    // Accepted changes: each one's query shows the new status.
    void activateThenDeactivate()
    {
        Rig rig({});
        QVERIFY(rig.started);
        CallWaitPanel *p = rig.panel;
        QVERIFY(p);
        QTest::mouseClick(p->btnCWa, Qt::LeftButton);
        QCOMPARE(p->txtCW->text(), QStringLiteral("Active"));
        QTest::mouseClick(p->btnCWd, Qt::LeftButton);
        QCOMPARE(p->txtCW->text(), QStringLiteral("Not Active"));
        QCOMPARE(rig.sim.commands(), (QStringList{"AT+CCWA=1,1", "AT+CCWA=1,2", "AT+CCWA=1,0", "AT+CCWA=1,2"}));
    }
};

QTEST_MAIN(TestCallWaiting)
#include "tst_call_waiting.moc"
