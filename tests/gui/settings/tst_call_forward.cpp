// SPDX-License-Identifier: GPL-2.0-or-later
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
#include <functional>

#include "../books/Observers.h"
#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/SettingsPage.h"

namespace {
QJsonObject forward(int reason, int cls, const char *number, int type)
{
    return {{"reason", reason}, {"class", cls}, {"number", number}, {"type", type}};
}

// The controls of the three panels by name: per row its box, its get, set
// and cancel buttons and the Abort button beneath get; per panel its
// request-all button and the Abort button beneath that.
struct RowNames {
    int reason;
    const char *edit, *get, *set, *cancel, *getAbort;
};
struct PanelNames {
    const char *node;
    int cls;
    const char *getAll, *abortAll;
    QList<RowNames> rows;
};
const QList<PanelNames> Panels{
    {"Voice", 1, "btnGetVoice", "btnAbort21",
     {{3, "editVunreachable", "btnGetVunreachable", "btnSetVunreachable", "btnCancelVunreachable", "btnAbort9"},
      {1, "editVbusy", "btnGetVBusy", "btnSetVbusy", "btnCancelVbusy", "btnAbort12"},
      {2, "editVunanswered", "btnGetVUnanswered", "btnSetVunanswered", "btnCancelVunanswered", "btnAbort15"},
      {0, "editVall", "btnGetVall", "btnSetVall", "btnCancelVall", "btnAbort18"}}},
    {"Data", 2, "btnGetAllData", "btnAbortD1",
     {{3, "editDunreachable", "btnGetDunreachable", "btnSetDunreachable", "btnCancelDunreachable", "btnAbortD2"},
      {1, "editDbusy", "btnGetDbusy", "btnSetDbusy", "btnCancelDbusy", "btnAbortD5"},
      {2, "editDunanswered", "btnGetDunanswered", "btnSetDunanswered", "btnCancelDunanswered", "btnAbortD8"},
      {0, "editDall", "btnGetDall", "btnSetDall", "btnCancelDall", "btnAbortD11"}}},
    {"Fax", 4, "btnGetAllFax", "btnAbortF1",
     {{3, "editFunreachable", "btnGetFunreachable", "btnSetFunreachable", "btnCancelFunreachable", "btnAbortF2"},
      {1, "editfbusy", "btnGetFbusy", "btnSetFbusy", "btnCancelFbusy", "btnAbortF5"},
      {2, "editFunanswered", "btnGetFunanswered", "btnSetFunanswered", "btnCancelFunanswered", "btnAbortF8"},
      {0, "editFall", "btnGetFall", "btnSetFall", "btnCancelFall", "btnAbortF11"}}},
};

const PanelNames &panelNames(const char *node)
{
    for (const PanelNames &p : Panels)
        if (qstrcmp(p.node, node) == 0)
            return p;
    qFatal("no panel %s", node);
}

// The main window on one forwarding panel, and the phone as COM1.
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QJsonObject &state = {}) : sim({}, state)
    {
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(guitest::testTiming(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Settings));
    }
    ~Rig() { closeWindow(); }

    bool open(const char *node)
    {
        form->settingsPage->selectNode(QString::fromLatin1(node));
        return form->settingsPage->currentPanel()->objectName() == QStringLiteral("Panel%1").arg(node);
    }
    template <typename T> T *find(const char *name) { return guitest::find<T>(form.get(), QString::fromLatin1(name)); }
    void click(const char *name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    QString text(const char *edit) { return find<QLineEdit>(edit)->text(); }
    bool idle() const
    {
        return !form->ComPort1.isOpen() && !form->link.operationRunning()
               && form->link.lockedPage() == PhoneLink::Idle && !form->link.AbortRequested();
    }
    // Runs `act` each time a command goes to the port.
    void onCommand(const std::function<void(const QByteArray &)> &act)
    {
        QObject::connect(&form->link, &PhoneLink::commandWritten, &form->link, act);
    }
    // Waits until the phone has the command, so that what comes next
    // happens while the network's answer is awaited.
    bool phoneHas(const QByteArray &command)
    {
        return sim.waitForCommand(QString::fromLatin1(command.trimmed()));
    }

    SimPhone sim;
    bool started = false;
};

// Every control of a panel that starts a command visible and enabled, every
// box silver.
bool panelAtRest(Rig &rig, const PanelNames &p)
{
    auto *getAll = rig.find<QPushButton>(p.getAll);
    bool rest = getAll->isVisible() && getAll->isEnabled() && !rig.find<QPushButton>(p.abortAll)->isHidden();
    for (const RowNames &row : p.rows) {
        rest = rest && Palette::painted(rig.find<QLineEdit>(row.edit)) == Palette::Silver;
        for (const char *name : {row.get, row.set, row.cancel}) {
            auto *b = rig.find<QPushButton>(name);
            rest = rest && b->isVisible() && b->isEnabled();
        }
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
        QStringList expected;
        for (const PanelNames &p : Panels) {
            QVERIFY(rig.open(p.node));
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
                QVERIFY(panelAtRest(rig, p));
            }
        }
    }

    // Request-all on voice: as each query goes out its row is teal behind
    // its Abort button, the panel's buttons are off and the tabs locked. The
    // network answers after 400 ms, longer than an ordinary command may stay
    // silent here (300 ms). A status 0 for every class at once ("0,7") is Off.
    void requestAllLocksAndShowsEachRow()
    {
        Rig rig({{"networkDelayMs", 400},
                 {"forwarding", QJsonArray{forward(3, 1, "46701234567", 145), forward(0, 1, "0701112233", 129),
                                           forward(1, 2, "999", 129)}},
                 {"overrides", QJsonObject{{"+CCFC=2,2,,,1", "+CCFC: 0,7"}}}});
        QVERIFY(rig.started);
        const PanelNames &voice = panelNames("Voice");
        QVERIFY(rig.open(voice.node));
        QStringList seen; // "row:text" of the teal row as each query goes out
        bool lockHeld = true;
        rig.onCommand([&](const QByteArray &) {
            lockHeld = lockHeld && rig.form->link.lockedPage() == int(Tab::Settings)
                       && !rig.find<QPushButton>(voice.getAll)->isEnabled()
                       && !rig.find<QPushButton>(voice.getAll)->isVisible()
                       && rig.find<QPushButton>(voice.abortAll)->isVisible();
            for (int n = 0; n < voice.rows.size(); ++n) {
                const RowNames &row = voice.rows.at(n);
                for (const char *name : {row.get, row.set, row.cancel})
                    lockHeld = lockHeld && !rig.find<QPushButton>(name)->isEnabled();
                auto *edit = rig.find<QLineEdit>(row.edit);
                if (Palette::painted(edit) != Palette::Teal)
                    continue;
                seen << QStringLiteral("%1:%2").arg(n).arg(edit->text());
                lockHeld = lockHeld && !rig.find<QPushButton>(row.get)->isVisible()
                           && rig.find<QPushButton>(row.getAbort)->isVisible();
            }
            // A change of the main tab snaps back while the request runs.
            rig.form->mainTabs->setCurrentIndex(int(Tab::Sms));
        });
        rig.click(voice.getAll);

        QCOMPARE(seen, (QStringList{"0:Requesting...", "1:Requesting...", "2:Requesting...", "3:Requesting..."}));
        QVERIFY(lockHeld);
        QCOMPARE(rig.form->mainTabs->currentIndex(), int(Tab::Settings));
        QCOMPARE(rig.text("editVunreachable"), QStringLiteral("+46701234567"));
        QCOMPARE(rig.text("editVbusy"), QStringLiteral("Off"));
        QCOMPARE(rig.text("editVunanswered"), QStringLiteral("Off"));
        QCOMPARE(rig.text("editVall"), QStringLiteral("0701112233"));
        QCOMPARE(rig.sim.commands(),
                 (QStringList{"AT+CCFC=3,2,,,1", "AT+CCFC=1,2,,,1", "AT+CCFC=2,2,,,1", "AT+CCFC=0,2,,,1"}));
        QVERIFY(rig.idle());
        QVERIFY(panelAtRest(rig, voice));
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
        QStringList shownWhileSent; // what the box showed as each command went out
        rig.onCommand([&](const QByteArray &) { shownWhileSent << edit->text(); });

        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("070-123 45 67 89 01 23"));
        QCOMPARE(edit->text(), QStringLiteral("070-123 45 67 89 0"));
        edit->setText(QStringLiteral("070-123 45 67"));
        rig.click("btnSetVunanswered");
        QCOMPARE(edit->text(), QStringLiteral("0701234567"));
        QCOMPARE(shownWhileSent, (QStringList{"Sending...", "Requesting..."}));

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
        const PanelNames &data = panelNames("Data");
        QVERIFY(rig.open(data.node));
        for (const RowNames &row : data.rows)
            rig.find<QLineEdit>(row.edit)->setText(QStringLiteral("kept"));
        QString shownAtAbort;
        rig.onCommand([&](const QByteArray &command) {
            QVERIFY(rig.phoneHas(command));
            shownAtAbort = rig.text("editDunreachable");
            rig.click(data.abortAll);
        });
        rig.click(data.getAll);

        QCOMPARE(shownAtAbort, QStringLiteral("Requesting..."));
        QCOMPARE(rig.text("editDunreachable"), QStringLiteral("Network error"));
        for (const char *later : {"editDbusy", "editDunanswered", "editDall"})
            QCOMPARE(rig.text(later), QStringLiteral("kept"));
        QCOMPARE(rig.sim.commands(), QStringList{"AT+CCFC=3,2,,,2"});
        QVERIFY(rig.idle());
        QVERIFY(panelAtRest(rig, data));
    }

    // The phone vanishes during the network's wait of a set: the port's
    // message once, "Network error" at once, no query to a port that is
    // gone, and the panel usable again. A set with the device gone shows
    // the error dialog once, not again for the query.
    void phoneVanishesWhileAwaitingTheNetwork()
    {
        Rig rig({{"networkDelayMs", 2000}});
        QVERIFY(rig.started);
        const PanelNames &fax = panelNames("Fax");
        QVERIFY(rig.open(fax.node));
        rig.find<QLineEdit>("editFall")->setText(QStringLiteral("0701"));
        QString shownAtLoss;
        bool pulled = false;
        rig.onCommand([&](const QByteArray &command) {
            if (pulled)
                return;
            pulled = true;
            QVERIFY(rig.phoneHas(command));
            shownAtLoss = rig.text("editFall");
            rig.sim.stop();
        });
        {
            pagetest::DialogSteps boxes({[](QWidget *box) { static_cast<QDialog *>(box)->accept(); }});
            rig.click("btnSetFall");
            QCOMPARE(boxes.shown, 1);
            QVERIFY(boxes.allTaken());
        }

        QCOMPARE(shownAtLoss, QStringLiteral("Sending..."));
        QVERIFY(!rig.form->portErrorDialog->isVisible());
        QCOMPARE(rig.text("editFall"), QStringLiteral("Network error"));
        QVERIFY(!rig.form->ComPort1.isOpen());
        QVERIFY(!rig.form->link.operationRunning());
        QVERIFY(panelAtRest(rig, fax));

        // The vanished phone's pty name may already serve another test's phone.
        qputenv("MIRVAK_COM1", "/nonexistent/mirvak-tty");
        pagetest::DialogSteps dialogs({[&](QWidget *dialog) {
            QCOMPARE(dialog, static_cast<QWidget *>(rig.form->portErrorDialog));
            guitest::find<QPushButton>(rig.form->portErrorDialog, "BitBtn1")->click();
        }});
        rig.click("btnCancelFall");
        QCOMPARE(dialogs.shown, 1);
        QVERIFY(dialogs.allTaken());
        QCOMPARE(rig.text("editFall"), QStringLiteral("Network error"));
        QVERIFY(panelAtRest(rig, fax));
        qunsetenv("MIRVAK_COM1");
    }
};

QTEST_MAIN(TestCallForward)
#include "tst_call_forward.moc"
