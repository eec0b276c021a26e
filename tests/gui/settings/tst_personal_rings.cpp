// SPDX-License-Identifier: GPL-2.0-or-later
// The personal-ring panel inside the real main window against the
// simulated phone: reading the list, writing an entry, playing a ring, and
// the ring codes read for the melody page.
#include <QComboBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "../books/Observers.h"
#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/settings/PersonalRingsPanel.h"
#include "gui/settings/SettingsPage.h"
#include "link/settings/PersonalRings.h"

namespace {
const QStringList ListedCodes{"1", "2", "3", "--", "5", "--", "31", "32", "33", "34", "--"};

QJsonObject phoneState(int count, const QJsonObject &overrides)
{
    return QJsonObject{
        {"overrides", overrides},
        {"personalRingCount", count},
        {"ringCodes", "1-3,5,31-34"},
        {"personalRings", QJsonArray{QJsonObject{{"index", 1}, {"number", "46701234567"}, {"type", 145}, {"ring", 12}},
                                     QJsonObject{{"index", 4}, {"number", "0701234567"}, {"type", 129}, {"ring", 5}}}},
    };
}

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// The main window on the panel, and the phone as COM1.
class Rig : public guitest::FormRig {
public:
    explicit Rig(int count, const QJsonObject &overrides = {}) : sim({}, phoneState(count, overrides))
    {
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(guitest::testTiming(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Settings));
        form->settingsPage->selectNode(QStringLiteral("Personal Rings"));
        panel = guitest::find<PersonalRingsPanel>(form.get(), QStringLiteral("PanelPersonal"));
    }
    ~Rig() { closeWindow(); }

    template <typename T> T *find(const char *name) { return guitest::find<T>(panel, QString::fromLatin1(name)); }
    void readList() { QTest::mouseClick(find<QPushButton>("btnGetPR"), Qt::LeftButton); }

    SimPhone sim;
    bool started = false;
    PersonalRingsPanel *panel = nullptr;
};
} // namespace

class TestPersonalRings : public QObject {
    Q_OBJECT
private slots:
    void readsEveryEntryOfTheRange()
    {
        Rig rig(10);
        QVERIFY(rig.started);
        QCOMPARE(rig.form->settingsPage->currentPanel(), rig.panel);
        auto *box = rig.find<QListWidget>("RingBox");
        auto *combo = rig.find<QComboBox>("ComboRings");
        auto *add = rig.find<QPushButton>("btnAdd");
        QVERIFY(!add->isEnabled());
        rig.readList();

        QStringList expected{"AT*EPRW=?"};
        for (int n = 1; n <= 10; ++n)
            expected << QStringLiteral("AT*EPRR=%1").arg(n);
        QCOMPARE(rig.sim.commands(), expected);
        QCOMPARE(box->count(), 10);
        QCOMPARE(box->item(0)->text(), QStringLiteral("1: +46701234567 - Ring 12"));
        QCOMPARE(box->item(1)->text(), QStringLiteral("2: "));
        QCOMPARE(box->item(3)->text(), QStringLiteral("4: 0701234567   - Ring 5"));
        QCOMPARE(box->item(9)->text(), QStringLiteral("10: "));
        QCOMPARE(items(combo), ListedCodes);
        QCOMPARE(combo->currentText(), QStringLiteral("1"));
        QCOMPARE(rig.form->personalRings->ringCodes(), ListedCodes);
        QVERIFY(!rig.form->ComPort1.isOpen());
        QVERIFY(!rig.form->link.operationRunning());
        QVERIFY(rig.find<QPushButton>("btnGetPR")->isEnabled());
        QVERIFY(rig.find<QPushButton>("btnPlay2")->isEnabled());
        QVERIFY(add->isEnabled());
        QCOMPARE(rig.find<QPushButton>("btnPlay2")->toolTip(), QStringLiteral("Listen to ring 1"));
    }

    // "(1-5)" reads as "5)": no count, so nothing is listed.
    void rangeOfOneDigitListsNothing()
    {
        Rig rig(5);
        QVERIFY(rig.started);
        rig.readList();
        QCOMPARE(rig.sim.commands(), QStringList{"AT*EPRW=?"});
        QCOMPARE(rig.find<QListWidget>("RingBox")->count(), 0);
        QCOMPARE(rig.find<QComboBox>("ComboRings")->count(), 0);
        QCOMPARE(rig.find<QComboBox>("ComboRings")->currentText(), QString());
        QVERIFY(rig.find<QPushButton>("btnGetPR")->isEnabled());
        QVERIFY(rig.find<QPushButton>("btnPlay2")->isEnabled());
        QVERIFY(!rig.form->ComPort1.isOpen());
    }

    void addWritesTheSelectedLine()
    {
        Rig rig(10);
        QVERIFY(rig.started);
        rig.readList();
        auto *box = rig.find<QListWidget>("RingBox");
        auto *edit = rig.find<QLineEdit>("EditPR");
        auto *combo = rig.find<QComboBox>("ComboRings");
        auto *add = rig.find<QPushButton>("btnAdd");
        pagetest::TextLog captions(add);

        // Typing stops at 14 characters; the phonebook menus may put in 16.
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("070123456789012345"));
        QCOMPARE(edit->text(), QStringLiteral("07012345678901"));
        rig.panel->setPhoneNumber(QStringLiteral("  +4670123456789012 "));
        QCOMPARE(edit->text(), QStringLiteral("+467012345678901"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("+46701234567890"));

        edit->setText(QStringLiteral("0701234567"));
        combo->setEditText(QStringLiteral("5"));
        box->setCurrentRow(2);
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(rig.sim.commands().mid(11), (QStringList{"AT*EPRW=3,\"0701234567\",129,5", "AT*EPRR=3"}));
        QCOMPARE(box->item(2)->text(), QStringLiteral("3: 0701234567   - Ring 5"));
        QVERIFY(captions.seen.contains(QStringLiteral("OK")));
        QVERIFY(!captions.seen.contains(QStringLiteral("Error")));
        QCOMPARE(add->text(), QStringLiteral("Add"));

        // An empty number box: nothing goes out, and the button says so.
        captions.clear();
        edit->clear();
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(rig.sim.commands().size(), 13);
        QVERIFY(captions.seen.contains(QStringLiteral("Error")));
        QCOMPARE(add->text(), QStringLiteral("Add"));

        // A ring code the phone lacks: refused, and the line shows what it holds.
        captions.clear();
        edit->setText(QStringLiteral("+123"));
        combo->setEditText(QStringLiteral("4"));
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(rig.sim.commands().mid(13), (QStringList{"AT*EPRW=3,\"123\",145,4", "AT*EPRR=3"}));
        QVERIFY(captions.seen.contains(QStringLiteral("Error")));
        QCOMPARE(box->item(2)->text(), QStringLiteral("3: 0701234567   - Ring 5"));

        const QJsonArray stored = rig.sim.stopAndDump().value("personalRings").toArray();
        QVERIFY(stored.contains(QJsonObject{{"index", 3}, {"number", "0701234567"}, {"type", 129}, {"ring", 5}}));
    }

    void playRefusedFlashesTheCode()
    {
        Rig rig(10);
        QVERIFY(rig.started);
        rig.readList();
        auto *combo = rig.find<QComboBox>("ComboRings");
        auto *play = rig.find<QPushButton>("btnPlay2");
        guitest::ColourLog colours(combo, QPalette::Base);

        combo->lineEdit()->clear();
        combo->setFocus();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("345"));
        QCOMPARE(combo->currentText(), QStringLiteral("34"));
        QCOMPARE(play->toolTip(), QStringLiteral("Listen to ring 34"));
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(rig.sim.commands().last(), QStringLiteral("AT*ERIP=6,34"));
        QVERIFY(!colours.saw(Palette::Red));

        combo->setEditText(QStringLiteral("99"));
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(rig.sim.commands().last(), QStringLiteral("AT*ERIP=6,99"));
        QCOMPARE(colours.seen, (QList<QColor>{Palette::Red, Palette::Silver}));
        QCOMPARE(Palette::painted(combo), Palette::Silver);

        // An empty code disables playing and adding.
        combo->setEditText(QString());
        QVERIFY(!play->isEnabled());
        QVERIFY(!rig.find<QPushButton>("btnAdd")->isEnabled());
    }

    // The melody page reads the ring codes through the service; the list
    // stays as it was and the port stays open for the melodies.
    void ringListModeFillsTheSharedCodes()
    {
        Rig rig(12, QJsonObject{{"*ERIN=?", "*ERIN: (1-2,40),(1,3-5)"}});
        QVERIFY(rig.started);
        rig.readList();
        QCOMPARE(rig.find<QListWidget>("RingBox")->count(), 12);
        QSignalSpy changed(rig.form->personalRings, &PersonalRings::ringCodesChanged);

        bool listed = false;
        {
            const OperationGuard op(rig.form->link, Tab::Melodies);
            QVERIFY(op);
            rig.form->link.runGuarded([&] { listed = rig.form->personalRings->readRingCodes(); });
        }
        QVERIFY(listed);
        QCOMPARE(rig.sim.commands().last(), QStringLiteral("AT*ERIN=?"));
        const QStringList codes{"1", "2", "--", "40"};
        QCOMPARE(rig.form->personalRings->ringCodes(), codes);
        QCOMPARE(changed.size(), 2); // emptied, then filled
        QCOMPARE(changed.last().at(0).toStringList(), codes);
        QCOMPARE(items(rig.find<QComboBox>("ComboRings")), codes);
        QCOMPARE(rig.find<QComboBox>("ComboRings")->currentText(), QStringLiteral("1"));
        QCOMPARE(rig.find<QListWidget>("RingBox")->count(), 12);
        QVERIFY(rig.form->ComPort1.isOpen());

        // The panel's own ring-list mode does the same.
        rig.panel->btnGetPRClick(true);
        QCOMPARE(rig.sim.commands().size(), 15);
        QCOMPARE(rig.sim.commands().last(), QStringLiteral("AT*ERIN=?"));
        QCOMPARE(rig.find<QListWidget>("RingBox")->count(), 12);
        QVERIFY(rig.form->ComPort1.isOpen());
        rig.form->link.closePort();
    }
};

QTEST_MAIN(TestPersonalRings)
#include "tst_personal_rings.moc"
