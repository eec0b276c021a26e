// The call-forwarding panels inside the real main window against the
// simulated phone: every row handler, request-all with its locking and
// abort, setting a number, and a phone that vanishes while the network is
// awaited.
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/settings/ForwardPanel.h"
#include "gui/common/Palette.h"
#include "gui/settings/SettingsPage.h"

namespace {
QJsonObject forward(int reason, int cls, const char *number, int type)
{
    return {{"reason", reason}, {"class", cls}, {"number", number}, {"type", type}};
}

// The main window on one forwarding panel, and the phone as COM1.
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QJsonObject &state = {}) : sim({}, state)
    {
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(Timing().scaled(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Settings));
    }
    ~Rig() { closeWindow(); }

    ForwardPanel *open(const char *node)
    {
        form->settingsPage->selectNode(QString::fromLatin1(node));
        return qobject_cast<ForwardPanel *>(form->settingsPage->currentPanel());
    }
    template <typename T> T *find(const char *name)
    {
        T *w = form->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control %s", name);
        return w;
    }
    void click(const char *name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    QString text(const char *edit) { return find<QLineEdit>(edit)->text(); }
    bool idle() const
    {
        return !form->ComPort1.Connected() && !form->link.operationRunning()
               && form->link.BusyPage() == PhoneLink::Idle && !form->link.AbortRequested();
    }

    SimPhone sim;
    bool started = false;
};

// Every control of a panel that starts a command, visible and enabled.
bool panelAtRest(ForwardPanel *p)
{
    bool rest = p->btnGetAll->isVisible() && p->btnGetAll->isEnabled() && !p->btnAbortAll->isHidden();
    for (const ForwardPanel::Row &row : p->rows()) {
        rest = rest && Palette::painted(row.edit) == Palette::Silver;
        for (QPushButton *b : row.buttons)
            rest = rest && b->isVisible() && b->isEnabled();
    }
    return rest;
}

} // namespace

class TestCallForward : public QObject {
    Q_OBJECT
private slots:
    // Every one of the 36 row handlers sends its own command, and the get
    // after a set or cancel shows what the network then holds. "All Calls"
    // of data shows its number although the echo "AT+CCFC=0,2,,,2" holds "0,2".
    void everyRowHandlerSendsItsCommand()
    {
        Rig rig;
        QVERIFY(rig.started);
        struct RowNames { int reason; const char *edit, *get, *set, *cancel; };
        struct PanelNames { const char *node; int cls; QList<RowNames> rows; };
        const QList<PanelNames> panels{
            {"Voice", 1, {{3, "editVunreachable", "btnGetVunreachable", "btnSetVunreachable", "btnCancelVunreachable"},
                          {1, "editVbusy", "btnGetVBusy", "btnSetVbusy", "btnCancelVbusy"},
                          {2, "editVunanswered", "btnGetVUnanswered", "btnSetVunanswered", "btnCancelVunanswered"},
                          {0, "editVall", "btnGetVall", "btnSetVall", "btnCancelVall"}}},
            {"Data", 2, {{3, "editDunreachable", "btnGetDunreachable", "btnSetDunreachable", "btnCancelDunreachable"},
                         {1, "editDbusy", "btnGetDbusy", "btnSetDbusy", "btnCancelDbusy"},
                         {2, "editDunanswered", "btnGetDunanswered", "btnSetDunanswered", "btnCancelDunanswered"},
                         {0, "editDall", "btnGetDall", "btnSetDall", "btnCancelDall"}}},
            {"Fax", 4, {{3, "editFunreachable", "btnGetFunreachable", "btnSetFunreachable", "btnCancelFunreachable"},
                        {1, "editfbusy", "btnGetFbusy", "btnSetFbusy", "btnCancelFbusy"},
                        {2, "editFunanswered", "btnGetFunanswered", "btnSetFunanswered", "btnCancelFunanswered"},
                        {0, "editFall", "btnGetFall", "btnSetFall", "btnCancelFall"}}},
        };
        QStringList expected;
        for (const PanelNames &p : panels) {
            ForwardPanel *panel = rig.open(p.node);
            QVERIFY(panel);
            for (const RowNames &r : p.rows) {
                const QString query = QStringLiteral("AT+CCFC=%1,2,,,%2").arg(r.reason).arg(p.cls);
                const QString number = QStringLiteral("07%1%2").arg(r.reason).arg(p.cls);
                rig.click(r.get);
                QCOMPARE(rig.text(r.edit), QStringLiteral("Off"));
                rig.find<QLineEdit>(r.edit)->setText(number);
                rig.click(r.set);
                QCOMPARE(rig.text(r.edit), number);
                rig.click(r.cancel);
                QCOMPARE(rig.text(r.edit), QStringLiteral("Off"));
                expected << query
                         << QStringLiteral("AT+CCFC=%1,1,\"%2\",128,%3").arg(r.reason).arg(number).arg(p.cls) << query
                         << QStringLiteral("AT+CCFC=%1,0,,,%2").arg(r.reason).arg(p.cls) << query;
                QCOMPARE(rig.sim.commands(), expected);
                QVERIFY(rig.idle());
                QVERIFY(panelAtRest(panel));
            }
        }
    }

    // Request-all on voice: the rows turn teal one after the other behind
    // their Abort buttons, the panel's buttons are off and the tabs locked.
    // The network answers after 400 ms, longer than an ordinary command may
    // stay silent here (300 ms).
    void requestAllLocksAndShowsEachRow()
    {
        Rig rig({{"networkDelayMs", 400},
                 {"forwarding", QJsonArray{forward(3, 1, "46701234567", 145), forward(0, 1, "0701112233", 129),
                                           forward(1, 2, "999", 129)}},
                 {"overrides", QJsonObject{{"+CCFC=2,2,,,1", "+CCFC: 0,7"}}}});
        QVERIFY(rig.started);
        ForwardPanel *panel = rig.open("Voice");
        QVERIFY(panel);
        QStringList seen; // "row:text" while the row is busy
        bool lockHeld = true;
        guitest::Poller poller([&] {
            if (!rig.form->link.operationRunning())
                return;
            lockHeld = lockHeld && rig.form->link.BusyPage() == int(Tab::Settings) && !panel->btnGetAll->isEnabled()
                       && !panel->btnGetAll->isVisible() && panel->btnAbortAll->isVisible();
            for (int n = 0; n < ForwardPanel::RowCount; ++n) {
                const ForwardPanel::Row &row = panel->rows()[size_t(n)];
                for (QPushButton *b : row.buttons)
                    lockHeld = lockHeld && !b->isEnabled();
                if (Palette::painted(row.edit) != Palette::Teal)
                    continue;
                const QString s = QStringLiteral("%1:%2").arg(n).arg(row.edit->text());
                if (seen.isEmpty() || seen.last() != s)
                    seen << s;
                lockHeld = lockHeld && !row.buttons[0]->isVisible() && row.aborts[0]->isVisible();
            }
            // A change of the main tab snaps back while the request runs.
            rig.form->mainTabs->setCurrentIndex(int(Tab::Sms));
        });
        rig.click("btnGetVoice");
        poller.stop();

        QCOMPARE(seen, (QStringList{"0:Requesting...", "1:Requesting...", "2:Requesting...", "3:Requesting..."}));
        QVERIFY(lockHeld);
        QCOMPARE(rig.form->mainTabs->currentIndex(), int(Tab::Settings));
        QCOMPARE(rig.text("editVunreachable"), QStringLiteral("+46701234567"));
        QCOMPARE(rig.text("editVbusy"), QStringLiteral("Off"));
        QCOMPARE(rig.text("editVunanswered"), QStringLiteral("Network error"));
        QCOMPARE(rig.text("editVall"), QStringLiteral("0701112233"));
        QCOMPARE(rig.sim.commands(),
                 (QStringList{"AT+CCFC=3,2,,,1", "AT+CCFC=1,2,,,1", "AT+CCFC=2,2,,,1", "AT+CCFC=0,2,,,1"}));
        QVERIFY(rig.idle());
        QVERIFY(panelAtRest(panel));
    }

    // Numbers as typed become the command's number and type; what cannot be
    // a number (nothing, a shown result) goes out empty and the network
    // refuses it, after which the row shows what the network still holds.
    void setNoAnswer()
    {
        Rig rig;
        QVERIFY(rig.started);
        QVERIFY(rig.open("Voice"));
        auto *edit = rig.find<QLineEdit>("editVunanswered");
        QStringList texts;
        guitest::Poller poller([&] {
            if (texts.isEmpty() || texts.last() != edit->text())
                texts << edit->text();
        }, 1);

        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("070-123 45 67 89 01 23"));
        QCOMPARE(edit->text(), QStringLiteral("070-123 45 67 89 0"));
        edit->setText(QStringLiteral("070-123 45 67"));
        texts.clear();
        rig.click("btnSetVunanswered");
        QCOMPARE(edit->text(), QStringLiteral("0701234567"));
        QVERIFY(texts.contains(QStringLiteral("Sending...")));
        QVERIFY(texts.indexOf(QStringLiteral("Sending...")) < texts.indexOf(QStringLiteral("Requesting...")));

        edit->setText(QStringLiteral("+46701234567"));
        rig.click("btnSetVunanswered");
        QCOMPARE(edit->text(), QStringLiteral("+46701234567"));

        edit->clear();
        rig.click("btnSetVunanswered");
        QCOMPARE(edit->text(), QStringLiteral("+46701234567"));
        edit->setText(QStringLiteral("Network error"));
        rig.click("btnSetVunanswered");
        QCOMPARE(edit->text(), QStringLiteral("+46701234567"));

        const QStringList q{"AT+CCFC=2,2,,,1"};
        QCOMPARE(rig.sim.commands(), QStringList{"AT+CCFC=2,1,\"0701234567\",128,1"} + q
                                         + QStringList{"AT+CCFC=2,1,\"46701234567\",145,1"} + q
                                         + QStringList{"AT+CCFC=2,1,\"\",128,1"} + q
                                         + QStringList{"AT+CCFC=2,1,\"\",128,1"} + q);
        QVERIFY(rig.idle());
        const QJsonArray stored = rig.sim.stopAndDump().value("forwarding").toArray();
        QCOMPARE(stored, QJsonArray{forward(2, 1, "46701234567", 145)});
    }

    // Abort while the network is awaited: the row shows "Network error" and
    // the rows not yet asked keep what they showed.
    void abortStopsRequestAll()
    {
        Rig rig({{"networkDelayMs", 1500}});
        QVERIFY(rig.started);
        ForwardPanel *panel = rig.open("Data");
        QVERIFY(panel);
        for (const ForwardPanel::Row &row : panel->rows())
            row.edit->setText(QStringLiteral("kept"));
        guitest::Poller poller([&] {
            if (rig.text("editDunreachable") == QLatin1String("Requesting...") && rig.sim.commands().size() == 1)
                rig.click("btnAbortD1");
        }, 50);
        rig.click("btnGetAllData");
        poller.stop();

        QCOMPARE(rig.text("editDunreachable"), QStringLiteral("Network error"));
        for (const char *later : {"editDbusy", "editDunanswered", "editDall"})
            QCOMPARE(rig.text(later), QStringLiteral("kept"));
        QCOMPARE(rig.sim.commands(), QStringList{"AT+CCFC=3,2,,,2"});
        QVERIFY(rig.idle());
        QVERIFY(panelAtRest(panel));
    }

    // The phone vanishes during the network's wait of a set: the port's
    // message once, "Network error" at once, no query to a port that is
    // gone, and the panel usable again. A set with the device gone shows
    // the error dialog once, not again for the query.
    void phoneVanishesWhileAwaitingTheNetwork()
    {
        Rig rig({{"networkDelayMs", 2000}});
        QVERIFY(rig.started);
        ForwardPanel *panel = rig.open("Fax");
        QVERIFY(panel);
        rig.find<QLineEdit>("editFall")->setText(QStringLiteral("0701"));
        int boxes = 0;
        guitest::Poller closer([&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                ++boxes;
                box->accept();
            }
        }, 20);
        guitest::Poller killer([&] {
            if (rig.text("editFall") == QLatin1String("Sending...") && rig.sim.commands().size() == 1)
                rig.sim.stop();
        }, 50);
        rig.click("btnSetFall");
        killer.stop();

        QCOMPARE(boxes, 1);
        QVERIFY(!rig.form->Form2->isVisible());
        QCOMPARE(rig.text("editFall"), QStringLiteral("Network error"));
        QVERIFY(!rig.form->ComPort1.Connected());
        QVERIFY(!rig.form->link.operationRunning());
        QVERIFY(panelAtRest(panel));

        // The vanished phone's pty name may already serve another test's phone.
        qputenv("MIRVAK_COM1", "/nonexistent/mirvak-tty");
        int dialogs = 0;
        guitest::Poller dialogCloser([&] {
            if (rig.form->Form2->isVisible()) {
                ++dialogs;
                rig.form->Form2->BitBtn1->click();
            }
        }, 20);
        rig.click("btnCancelFall");
        QCOMPARE(dialogs, 1);
        QCOMPARE(rig.text("editFall"), QStringLiteral("Network error"));
        QVERIFY(panelAtRest(panel));
    }
};

QTEST_MAIN(TestCallForward)
#include "tst_call_forward.moc"
