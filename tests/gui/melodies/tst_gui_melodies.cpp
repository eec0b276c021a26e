// The Melodies page inside the real main window: the keyboard and the
// compose line, playing and stopping as the tone trace records it, the
// melody file, and the phone's own melodies and ring types against the
// simulated phone.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QtTest>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/melodies/MelodiesPage.h"
#include "gui/common/Palette.h"

namespace {

// The main window on the Melodies tab, with the tone trace in its scratch folder.
class Rig : public guitest::FormRig {
public:
    explicit Rig(const QJsonObject &state = {}, const QStringList &simArgs = {}) : sim(simArgs, state)
    {
        qputenv("MIRVAK_TONE", "none");
        qputenv("MIRVAK_TRACE", filePath("trace.txt").toLocal8Bit());
        started = sim.start();
        sim.useAsCom(1);
        openWindow();
        form->link.setTiming(Timing().scaled(0.2));
        form->mainTabs->setCurrentIndex(int(Tab::Melodies));
        page = form->Panel3;
    }
    ~Rig()
    {
        closeWindow();
        qunsetenv("MIRVAK_TRACE");
    }

    template <typename T = QPushButton> T *find(const QString &name) { return page->findChild<T *>(name); }
    void click(const QString &name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    QString text(const QString &name) { return find<QLineEdit>(name)->text(); }

    // Every tone and pause the trace holds, without time stamps.
    QStringList sounds()
    {
        QFile f(filePath("trace.txt"));
        f.open(QIODevice::ReadOnly);
        f.seek(m_traceFrom);
        static const QRegularExpression line(QStringLiteral(R"(^\S+ ((?:tone \d|pause).*)$)"),
                                             QRegularExpression::MultilineOption);
        QStringList out;
        for (auto it = line.globalMatch(QString::fromUtf8(f.readAll())); it.hasNext();)
            out << it.next().captured(1);
        return out;
    }
    // Later calls of sounds() see only what comes after this.
    void clearTrace() { m_traceFrom = QFileInfo(filePath("trace.txt")).size(); }
    QStringList commands(const QString &prefix)
    {
        return sim.commands().filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
    }
    bool anyKeyLit()
    {
        for (PianoKey *k : page->keys)
            if (Palette::painted(k) == Palette::Lime)
                return true;
        return false;
    }

    SimPhone sim;
    bool started = false;
    MelodiesPage *page = nullptr;

private:
    qint64 m_traceFrom = 0;
};

// Answers the melody-file dialog once it shows. The dialog selects only
// files its model has listed already; a typed name is taken as it is.
void openFileWhenAsked(QFileDialog *dialog, const QString &path)
{
    QTimer::singleShot(10, dialog, [dialog, path] {
        if (!dialog->isVisible())
            return openFileWhenAsked(dialog, path);
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

} // namespace

class TestGuiMelodies : public QObject {
    Q_OBJECT
private slots:
    void keyboardAndComposeLine();
    void melodyFileMovedAndPlayed();
    void stopAndCloseDuringATune();
    void phoneMelodiesReadAndStored();
    void ringTypesAndPlayingInThePhone();
};

void TestGuiMelodies::keyboardAndComposeLine()
{
    Rig rig;
    QCOMPARE(rig.page->objectName(), QStringLiteral("Panel3"));
    auto *hcsharp = rig.find<PianoKey>("hcsharp");
    QCOMPARE(hcsharp->toolTip(), QStringLiteral("+#c"));
    guitest::ColourLog lit(hcsharp, QPalette::Base);

    QTest::mousePress(rig.find<PianoKey>("cnote"), Qt::RightButton); // a white key takes any button
    QTest::mouseClick(hcsharp, Qt::LeftButton);
    QTest::mousePress(rig.find<PianoKey>("bnote"), Qt::LeftButton);
    QCOMPARE(rig.text("editCompose"), QStringLiteral("c+#cb"));
    QCOMPARE(rig.sounds(), (QStringList{"tone 523 Hz 128 ms", "tone 1109 Hz 128 ms", "tone 988 Hz 128 ms"}));
    QCOMPARE(lit.seen, (QList<QColor>{Palette::Lime, Qt::black}));
    QVERIFY(!rig.anyKeyLit());

    rig.click("btnDel");
    QCOMPARE(rig.text("editCompose"), QStringLiteral("c+#c"));
    rig.click("btnDel");
    QCOMPARE(rig.text("editCompose"), QStringLiteral("c"));

    rig.find<QCheckBox>("chkLong")->click();
    QCOMPARE(hcsharp->toolTip(), QStringLiteral("+#C"));
    QCOMPARE(rig.find<PianoKey>("anote")->toolTip(), QStringLiteral("A"));
    rig.clearTrace();
    QTest::mouseClick(hcsharp, Qt::LeftButton);
    QCOMPARE(rig.sounds(), QStringList{"tone 1109 Hz 300 ms"});
    rig.click("btnPause");
    QCOMPARE(rig.text("editCompose"), QStringLiteral("c+#Cp"));

    // Into tune box 3: its Store button wakes up.
    QVERIFY(!rig.find("ok3")->isEnabled());
    rig.click("load7");
    QCOMPARE(rig.text("editTune3"), QStringLiteral("c+#Cp"));
    QVERIFY(rig.find("ok3")->isEnabled());
    rig.click("BitBtn9");
    QCOMPARE(rig.text("editCompose"), QString());

    // Typing stops at 120 characters; a longer text from the program stays whole.
    auto *box = rig.find<QLineEdit>("editTune1");
    box->setFocus();
    QTest::keyClicks(box, QString(130, u'c'));
    QCOMPARE(box->text().size(), 120);
    box->setText(QString(200, u'd'));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text().size(), 199);
}

void TestGuiMelodies::melodyFileMovedAndPlayed()
{
    Rig rig;
    const QString path = rig.filePath("tunes.nmp");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    // The last line keeps 255 notation characters: 126 silent "#e" pairs
    // and "cde"; its "fg" lies beyond.
    f.write("Tune one|G#AB\r\nSong;c d e\n\na|b;c\nx|" + QByteArray("#e").repeated(126) + "cdefg\n");
    f.close();
    auto *list = rig.find<QComboBox>("TuneList");
    QCOMPARE(list->currentText(), QStringLiteral(" Load File"));

    openFileWhenAsked(rig.page->OpenTunes, path);
    rig.click("btnLoadTunes");
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentText(), QStringLiteral("Tune one|G#AB"));
    QCOMPARE(list->itemText(2), QString());
    rig.click("Load2");
    QCOMPARE(rig.text("editTune2"), QStringLiteral("G#AB"));
    list->setCurrentIndex(1);
    rig.click("Load3");
    QCOMPARE(rig.text("editTune3"), QStringLiteral("cde"));
    list->setCurrentIndex(3);
    rig.click("Load3");
    QCOMPARE(rig.text("editTune3"), QStringLiteral("c"));

    // While a tune plays: its Stop button uncovered, the other Play buttons
    // and the read off, the tab bar held on Melodies.
    list->setCurrentIndex(4);
    bool checked = false;
    guitest::Poller probe([&] {
        if (checked)
            return;
        checked = true;
        QVERIFY(rig.find("PlayFile")->isHidden());
        QCOMPARE(rig.find("TuneStop5")->geometry(), rig.find("PlayFile")->geometry());
        QVERIFY(!rig.find("Play1")->isEnabled() && !rig.find("PlayCustom")->isEnabled());
        QVERIFY(!rig.find("btnReadMelodies")->isEnabled());
        rig.form->mainTabs->setCurrentIndex(int(Tab::Sms));
        QCOMPARE(rig.form->mainTabs->currentIndex(), int(Tab::Melodies));
    });
    rig.click("PlayFile");
    QVERIFY(checked);
    QCOMPARE(rig.sounds(), (QStringList{"tone 523 Hz 128 ms", "tone 587 Hz 128 ms", "tone 659 Hz 128 ms"}));
    QVERIFY(!rig.find("PlayFile")->isHidden() && rig.find("Play1")->isEnabled());
    QVERIFY(rig.find("btnReadMelodies")->isEnabled());

    // " n/a", as an empty phone slot shows, plays one short A.
    rig.clearTrace();
    rig.find<QLineEdit>("editTune4")->setText(QStringLiteral(" n/a"));
    rig.click("Play4");
    QCOMPARE(rig.sounds(), QStringList{"tone 880 Hz 128 ms"});

    // Another file replaces every line, and stops a tune that plays.
    const QString other = rig.filePath("other.txt");
    QFile g(other);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write("only|CDE");
    g.close();
    openFileWhenAsked(rig.page->OpenTunes, other);
    rig.click("btnLoadTunes");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentText(), QStringLiteral("only|CDE"));
    QVERIFY(rig.form->bleeper.TuneStopRequested());
}

void TestGuiMelodies::stopAndCloseDuringATune()
{
    Rig rig;
    auto *compose = rig.find<QLineEdit>("editCompose");
    compose->setText(QStringLiteral("cdefgabcdefgab"));

    // Stop ends the tune after its current note; a key pressed meanwhile
    // plays its own note and adds it to the line.
    QElapsedTimer clock;
    clock.start();
    int step = 0;
    guitest::Poller during([&] {
        if (step == 0 && clock.elapsed() > 300 && ++step)
            QTest::mousePress(rig.find<PianoKey>("hanote"), Qt::LeftButton);
        if (step == 1 && clock.elapsed() > 700 && ++step)
            rig.click("BitBtn8");
    }, 10);
    rig.click("PlayCustom");
    during.stop();
    const QStringList played = rig.sounds();
    QVERIFY2(played.size() < 14 && played.contains("tone 1760 Hz 128 ms"), qPrintable(played.join(", ")));
    QCOMPARE(compose->text(), QStringLiteral("cdefgabcdefgab+a"));
    QVERIFY(!rig.anyKeyLit());
    QVERIFY(!rig.find("PlayCustom")->isHidden());
    QCOMPARE(rig.form->link.BusyPage(), int(PhoneLink::Idle));

    // Closing the window stops the tune, and the window then closes.
    rig.clearTrace();
    QTimer::singleShot(300, rig.form.get(), [&] { rig.form->close(); });
    rig.click("PlayCustom");
    QTRY_VERIFY(!rig.form->isVisible());
    QVERIFY(rig.sounds().size() < 14);
    QVERIFY(!rig.anyKeyLit());
}

void TestGuiMelodies::phoneMelodiesReadAndStored()
{
    Rig rig(QJsonObject{{"ringCodes", "1-3,5,12,31-34"},
                        {"ownMelodies", QJsonObject{{"1", "cdef"}, {"3", "+#GA(b)b"}}}});
    QVERIFY(rig.started);
    auto *rings = rig.find<QComboBox>("ComboRings2");
    QVERIFY(!rig.find("PlayCombo")->isEnabled() && !rig.find("UseCombo")->isEnabled());
    guitest::ColourLog marked(rings, QPalette::Base);

    rig.click("btnReadMelodies");
    QCOMPARE(marked.seen, (QList<QColor>{Palette::Teal, Palette::Silver}));
    QCOMPARE(rig.text("editTune1"), QStringLiteral("cdef"));
    QCOMPARE(rig.text("editTune2"), QStringLiteral(" n/a"));
    QCOMPARE(rig.text("editTune3"), QStringLiteral("+#GA(b)b"));
    QCOMPARE(rig.text("editTune4"), QStringLiteral(" n/a"));
    QCOMPARE(rings->currentText(), QStringLiteral("1"));
    QVERIFY(rings->findText("12") >= 0);
    QVERIFY(rig.find("PlayCombo")->isEnabled() && rig.find("UseCombo")->isEnabled());
    QVERIFY(rig.find("ok1")->isEnabled() && rig.find("ok3")->isEnabled());
    QVERIFY(rig.sim.commands().contains("AT*ESOM?"));

    // What the phone gets: notation only, nothing dangling; a flash says how it went.
    const QList<QPair<int, QString>> stores{{1, "c d e+"}, {2, "+#"}, {4, " n/a"}};
    for (const auto &[slot, text] : stores) {
        auto *box = rig.find<QLineEdit>(QStringLiteral("editTune%1").arg(slot));
        box->setText(text);
        guitest::ColourLog flashed(box, QPalette::Base);
        rig.click(QStringLiteral("ok%1").arg(slot));
        QCOMPARE(flashed.seen, (QList<QColor>{Palette::DarkGreen, Palette::Silver}));
    }
    QCOMPARE(rig.commands("AT*ESOM="),
             (QStringList{"AT*ESOM=1,\"cde\"", "AT*ESOM=2,\"\"", "AT*ESOM=4,\"a\""}));

    // A quote or line break typed into a box never starts a second command.
    rig.find<QLineEdit>("editTune3")->setText(QStringLiteral("ab\"\r\nAT+CPBW=1"));
    rig.click("ok3");
    QCOMPARE(rig.commands("AT*ESOM=3"), QStringList{"AT*ESOM=3,\"abA+CB\""});
    QVERIFY(rig.commands("AT+CPBW").isEmpty());

    const QJsonObject dumped = rig.sim.stopAndDump();
    QCOMPARE(dumped.value("ownMelodies").toObject(),
             (QJsonObject{{"1", "cde"}, {"3", "abA+CB"}, {"4", "a"}}));
    // The phone gone: the port's error box, then the store flashes red.
    auto *box = rig.find<QLineEdit>("editTune1");
    guitest::ColourLog failed(box, QPalette::Base);
    bool told = false;
    guitest::Poller answer([&] {
        if (rig.form->Form2->isVisible()) {
            told = true;
            rig.form->Form2->hide();
        }
    });
    rig.click("ok1");
    QVERIFY(told);
    QCOMPARE(failed.seen, (QList<QColor>{Palette::Red, Palette::Silver}));
}

void TestGuiMelodies::ringTypesAndPlayingInThePhone()
{
    Rig rig(QJsonObject{{"ringCodes", "1-3,5,12,31-34"}}, {"--fault", "error:AT*ERIP=7,33"});
    QVERIFY(rig.started);
    auto *calls = rig.find<QComboBox>("CallList");
    auto *rings = rig.find<QComboBox>("ComboRings2");
    // At start " Voice" is chosen, and the hints say so.
    QCOMPARE(calls->currentText(), QStringLiteral(" Voice"));
    QCOMPARE(rig.find("Use1")->toolTip(), QStringLiteral("Use Own-Melody 1 for \" Voice\""));
    rig.click("btnReadMelodies");

    calls->setCurrentIndex(2); // " Data"
    rig.click("Use2");
    rings->setEditText(QStringLiteral("12"));
    QCOMPARE(rig.find("UseCombo")->toolTip(), QStringLiteral("Use ring 12 for \" Data\""));
    QCOMPARE(rig.find("PlayCombo")->toolTip(), QStringLiteral("Play ring 12 in phone"));
    calls->setCurrentIndex(4); // "Alarm"
    guitest::ColourLog flashed(calls, QPalette::Base);
    rig.click("UseCombo");
    QCOMPARE(flashed.seen, (QList<QColor>{Palette::DarkGreen, Palette::Silver}));
    calls->setCurrentIndex(3); // " Fax"
    rig.click("Use1");
    rings->setEditText(QStringLiteral("4")); // not a code the phone lists
    rig.click("UseCombo");
    QCOMPARE(flashed.seen.mid(4), (QList<QColor>{Palette::Red, Palette::Silver}));
    QCOMPARE(rig.commands("AT*ERIN=").filter(QRegularExpression("=\\d")),
             (QStringList{"AT*ERIN=32,4", "AT*ERIN=12,5", "AT*ERIN=31,3", "AT*ERIN=4,3"}));
    QVERIFY(rig.find("ok1")->isEnabled() && rig.find<QGroupBox>("GroupBox1")->isEnabled());

    // " Call Type" has no digit: all five Use buttons off. An empty ring box
    // turns off its play and use buttons.
    calls->setCurrentIndex(0);
    for (const char *use : {"Use1", "Use2", "Use3", "Use4", "UseCombo"})
        QVERIFY2(!rig.find(use)->isEnabled(), use);
    calls->setCurrentIndex(1);
    rings->setEditText(QString());
    QVERIFY(!rig.find("PlayCombo")->isEnabled() && !rig.find("UseCombo")->isEnabled());
    QVERIFY(rig.find("Use4")->isEnabled());

    // Played in the phone; a refusal shows "X" on the button for a moment.
    QString during;
    guitest::Poller watch([&] {
        if (rig.find("gsmPlay3")->text() == "X")
            during = "X";
    });
    rig.click("gsmPlay1");
    rig.click("gsmPlay3");
    QCOMPARE(during, QStringLiteral("X"));
    QCOMPARE(rig.find("gsmPlay3")->text(), QStringLiteral("3"));
    rings->setEditText(QStringLiteral("5"));
    rig.click("PlayCombo");
    QCOMPARE(rig.commands("AT*ERIP="), (QStringList{"AT*ERIP=7,31", "AT*ERIP=7,33", "AT*ERIP=7,5"}));
    QCOMPARE(rig.form->link.BusyPage(), int(PhoneLink::Idle));
}

QTEST_MAIN(TestGuiMelodies)
#include "tst_gui_melodies.moc"
