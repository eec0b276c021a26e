// SPDX-License-Identifier: GPL-2.0-or-later
// The Melodies page inside the real main window: the keyboard and the
// compose line, playing and stopping as the tone trace records it, the
// melody file, and the phone's own melodies and ring types against the
// simulated phone.
//
// Nothing here samples the window on a timer: every step that must happen
// during a tune is queued from the note that lights a key, and every
// window the program puts up is answered when it shows.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QtTest>

#include "FormRig.h"
#include "SimPhone.h"
#include "gui/common/Palette.h"
#include "gui/common/Tab.h"
#include "gui/melodies/PianoKey.h"

namespace {

// Every other caption a button was painted with, in order.
class CaptionLog : public QObject {
public:
    explicit CaptionLog(QAbstractButton *b) : m_button(b), m_last(b->text()) { b->installEventFilter(this); }
    QStringList seen;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (o == m_button && e->type() == QEvent::Paint && m_button->text() != m_last)
            seen.append(m_last = m_button->text());
        return false;
    }

private:
    QAbstractButton *m_button;
    QString m_last;
};

// Answers every window the program puts up, so that no flow waits on a
// dialog nobody will close: the melody file dialog takes nextFile (or is
// cancelled), the error window and any message box are closed. Each is
// noted in `shown`.
class Answerer : public QObject {
public:
    Answerer() { qApp->installEventFilter(this); }
    QStringList shown;
    QString nextFile;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Show || !o->isWidgetType() || !static_cast<QWidget *>(o)->isWindow())
            return false;
        auto *dialog = qobject_cast<QDialog *>(o);
        if (!dialog)
            return false;
        if (auto *files = qobject_cast<QFileDialog *>(dialog); files && !nextFile.isEmpty()) {
            shown << files->objectName();
            chooseFile(files, std::exchange(nextFile, QString()));
            return false;
        }
        auto *box = qobject_cast<QMessageBox *>(dialog);
        shown << (box ? QStringLiteral("box: ") + box->text() : dialog->objectName());
        QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        return false;
    }

private:
    // The dialog reused keeps the file chosen last time selected; the
    // folder and the name typed into it leave only the new one.
    static void chooseFile(QFileDialog *dialog, const QString &path)
    {
        const QFileInfo file(path);
        dialog->setDirectory(file.absolutePath());
        dialog->selectFile(file.fileName());
        guitest::find<QLineEdit>(dialog, QStringLiteral("fileNameEdit"))->setText(file.fileName());
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
        // Should the dialog refuse the name, the flow fails on what was
        // read instead of waiting for ever.
        QMetaObject::invokeMethod(
            dialog, [dialog] { if (dialog->isVisible()) dialog->reject(); }, Qt::QueuedConnection);
    }
};

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
        // Short holds and flashes; but no flow here waits for the phone's
        // silence, so a busy machine's slow phone is never taken for a
        // phone that does not answer.
        Timing timing = guitest::testTiming(0.2);
        timing.reply = Timing().network;
        form->link.setTiming(timing);
        form->mainTabs->setCurrentIndex(int(Tab::Melodies));
        page = guitest::find<QWidget>(form.get(), QStringLiteral("Panel3"));
        answers = std::make_unique<Answerer>();
    }
    ~Rig()
    {
        answers.reset();
        closeWindow();
        qunsetenv("MIRVAK_TRACE");
    }

    template <typename T = QPushButton> T *find(const QString &name) { return guitest::find<T>(page, name); }
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
        for (PianoKey *k : page->findChildren<PianoKey *>())
            if (Palette::painted(k) == Palette::Lime)
                return true;
        return false;
    }
    // Runs `step` between the notes, right after the n-th key (1-based,
    // nested notes counted) has lit, as a user's click would come in.
    void atNote(int n, std::function<void()> step)
    {
        auto count = std::make_shared<int>(0);
        auto conn = std::make_shared<QMetaObject::Connection>();
        *conn = QObject::connect(&form->bleeper, &MelodyPlayer::keyLit, page,
                                 [count, conn, n, step](int, int, bool lit) {
                                     if (!lit || ++*count < n)
                                         return;
                                     QObject::disconnect(*conn);
                                     QMetaObject::invokeMethod(qApp, step, Qt::QueuedConnection);
                                 });
    }
    // The context menu of a line edit, as the menu key brings it up; its
    // entry `action` is chosen. Returns the texts of the menu's entries.
    QStringList chooseFromMenu(const QString &box, const char *action)
    {
        auto *edit = find<QLineEdit>(box);
        QContextMenuEvent press(QContextMenuEvent::Keyboard, QPoint(4, 4), edit->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(edit, &press);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return {};
        QStringList texts;
        for (QAction *a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        QPointer<QAction> chosen = menu->findChild<QAction *>(QString::fromLatin1(action));
        menu->close(); // as a click on an entry closes the menu before it acts
        if (chosen)
            chosen->trigger();
        return texts;
    }
    // Plays from `play`; `pressed` is clicked once the first note has sounded.
    // Returns what sounded.
    QStringList pressDuringTune(const QString &play, const QString &pressed)
    {
        clearTrace();
        QAbstractButton *target = find<QAbstractButton>(pressed);
        atNote(1, [target] { QTest::mouseClick(target, Qt::LeftButton); });
        click(play);
        return sounds();
    }

    SimPhone sim;
    bool started = false;
    QWidget *page = nullptr;
    std::unique_ptr<Answerer> answers;

private:
    qint64 m_traceFrom = 0;
};

// The operations as PhoneLink reports them: "+page" when one starts, "-" when it ends.
class OperationLog : public QObject {
public:
    explicit OperationLog(PhoneLink &link)
    {
        connect(&link, &PhoneLink::operationChanged, this,
                [this](bool running, int page) { seen << (running ? QStringLiteral("+%1").arg(page) : "-"); });
    }
    QStringList seen;
};

const QString LongTune = QStringLiteral("cdefgabcdefgab");

} // namespace

class TestGuiMelodies : public QObject {
    Q_OBJECT
private slots:
    void keyboardAndComposeLine();
    void melodyFileMovedAndPlayed();
    void stopAndCloseDuringATune();
    void ringtonesOpenedMovedAndSaved();
    void phoneMelodiesReadAndStored();
    void ringTypesAndPlayingInThePhone();
    void clickOnThePageAbortsTheWait();
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
    QCOMPARE(rig.answers->shown, QStringList());
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

    rig.answers->nextFile = path;
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
    QList<bool> during;
    rig.atNote(1, [&] {
        during << rig.find("PlayFile")->isHidden()
               << (rig.find("TuneStop5")->geometry() == rig.find("PlayFile")->geometry())
               << !rig.find("Play1")->isEnabled() << !rig.find("PlayCustom")->isEnabled()
               << !rig.find("btnReadMelodies")->isEnabled();
        rig.form->mainTabs->setCurrentIndex(int(Tab::Sms));
        during << (rig.form->mainTabs->currentIndex() == int(Tab::Melodies));
    });
    rig.click("PlayFile");
    QCOMPARE(during, QList<bool>(6, true));
    QCOMPARE(rig.sounds(), (QStringList{"tone 523 Hz 128 ms", "tone 587 Hz 128 ms", "tone 659 Hz 128 ms"}));
    QVERIFY(!rig.find("PlayFile")->isHidden() && rig.find("Play1")->isEnabled());
    QVERIFY(rig.find("btnReadMelodies")->isEnabled());

    // " n/a", as an empty phone slot shows, plays one short A.
    rig.clearTrace();
    rig.find<QLineEdit>("editTune4")->setText(QStringLiteral(" n/a"));
    rig.click("Play4");
    QCOMPARE(rig.sounds(), QStringList{"tone 880 Hz 128 ms"});

    // Another file opened during a tune stops the tune after its note and
    // replaces every line.
    const QString other = rig.filePath("other.txt");
    QFile g(other);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write("only|CDE");
    g.close();
    rig.find<QLineEdit>("editTune1")->setText(LongTune);
    rig.answers->nextFile = other;
    QCOMPARE(rig.pressDuringTune("Play1", "btnLoadTunes"), QStringList{"tone 523 Hz 128 ms"});
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentText(), QStringLiteral("only|CDE"));
    QVERIFY(!rig.find("Play1")->isHidden());
    // Opened with no tune playing, it silences no key after it: "#c" opens
    // with its silent "#" step, the one a stop would let through alone.
    rig.answers->nextFile = path;
    rig.click("btnLoadTunes");
    QCOMPARE(list->count(), 5);
    rig.clearTrace();
    QTest::mouseClick(rig.find<PianoKey>("csharp"), Qt::LeftButton);
    QCOMPARE(rig.sounds(), QStringList{"tone 554 Hz 128 ms"});
    QCOMPARE(rig.answers->shown, (QStringList{"OpenTunes", "OpenTunes", "OpenTunes"}));
}

void TestGuiMelodies::stopAndCloseDuringATune()
{
    Rig rig;
    auto *compose = rig.find<QLineEdit>("editCompose");
    compose->setText(LongTune);

    // Stop ends the tune after its current note; a key pressed meanwhile
    // plays its own note and adds it to the line, and the tune goes on.
    rig.atNote(2, [&] { QTest::mousePress(rig.find<PianoKey>("hanote"), Qt::LeftButton); });
    rig.atNote(4, [&] { rig.click("BitBtn8"); });
    rig.click("PlayCustom");
    QCOMPARE(rig.sounds(), (QStringList{"tone 523 Hz 128 ms", "tone 587 Hz 128 ms", "tone 1760 Hz 128 ms",
                                        "tone 659 Hz 128 ms"}));
    QCOMPARE(compose->text(), LongTune + "+a");
    QVERIFY(!rig.anyKeyLit());
    QVERIFY(!rig.find("PlayCustom")->isHidden());
    QCOMPARE(rig.form->link.lockedPage(), int(PhoneLink::Idle));

    // Stop is no lasting silence: the next Play sounds from its first note.
    compose->setText(QStringLiteral("#cd"));
    rig.clearTrace();
    rig.click("PlayCustom");
    QCOMPARE(rig.sounds(), (QStringList{"tone 554 Hz 128 ms", "tone 587 Hz 128 ms"}));

    // Closing the window stops the tune, and the window then closes.
    compose->setText(LongTune);
    rig.clearTrace();
    OperationLog ops(rig.form->link);
    rig.atNote(1, [&] { rig.form->close(); });
    rig.click("PlayCustom");
    QTRY_VERIFY(!rig.form->isVisible());
    QCOMPARE(rig.sounds(), QStringList{"tone 523 Hz 128 ms"});
    QCOMPARE(ops.seen, (QStringList{"+2", "-"}));
    QVERIFY(!rig.anyKeyLit());
    QCOMPARE(rig.answers->shown, QStringList());
}

// Ringtones from the public collections: an RTTTL file opened, a tune played
// and moved into a tune box, then saved as RTTTL, opened again unchanged,
// and the compose line saved as eMelody.
void TestGuiMelodies::ringtonesOpenedMovedAndSaved()
{
    Rig rig;
    const QString nokia = QStringLiteral("Nokia:d=4,o=5,b=225:8e6,8d6,f#,g#,8c#6,8b,d,e,8b,8a,c#,e,2a");
    const QByteArray simpsons = "TheSimpsons:d=4,o=5,b=160:c.6,e6,f#6,8a6,g.6,e6,c6,8a,8f#,8f#,8f#,2g,8p";
    const QString path = rig.filePath("ringtones.rtttl");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(nokia.toLatin1() + "\r\nnot a tune\r\n\r\n" + simpsons + "\r\nBad:d=4:x5\r\n");
    f.close();
    auto *list = rig.find<QComboBox>("TuneList");
    rig.answers->nextFile = path;
    rig.click("btnLoadTunes");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(0), QStringLiteral("Nokia|+e+d#F#G+#cbDEba#CEA"));
    QCOMPARE(list->itemText(1), QStringLiteral("TheSimpsons|+C+E+#F+a+G+E+Ca#f#f#fGp"));
    QCOMPARE(rig.answers->shown,
             (QStringList{"OpenTunes", "box: 2 lines of ringtones.rtttl could not be read as melodies and were "
                                       "skipped: lines 2 and 5.\nline 2: not of the form name:settings:notes\n"
                                       "line 5: unknown note 'x5'"}));

    // Ready to play: its first note is the upper E, short.
    QCOMPARE(rig.pressDuringTune("PlayFile", "TuneStop5"), QStringList{"tone 1319 Hz 128 ms"});
    rig.click("Load2");
    QCOMPARE(rig.text("editTune2"), QStringLiteral("+e+d#F#G+#cbDEba#CEA"));
    QVERIFY(rig.find("ok2")->isEnabled());

    // Saved from the tune box's menu while it plays: the tune stops after
    // its note, then the file is named and written after it.
    rig.answers->shown.clear();
    const QString saved = rig.filePath("Ringing in.rtttl");
    rig.answers->nextFile = saved;
    QStringList entries;
    rig.clearTrace();
    rig.atNote(1, [&] { entries = rig.chooseFromMenu("editTune2", "SaveAsRtttl"); });
    rig.click("Play2");
    QCOMPARE(rig.sounds(), QStringList{"tone 1319 Hz 128 ms"});
    QVERIFY(!rig.find("Play2")->isHidden());
    QVERIFY2(entries.size() > 2, qPrintable(entries.join(','))); // the line edit's own entries stay
    QCOMPARE(entries.mid(entries.size() - 2),
             (QStringList{u"Save as RTTTL\u2026"_qs, u"Save as eMelody\u2026"_qs}));
    QCOMPARE(rig.answers->shown, QStringList{"SaveTunes"});
    QFile written(saved);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
             QByteArray("Ringing in:d=8,o=6,b=225:8e7,8d7,4f#,4g#,8c#7,8b,4d,4e,8b,8a,4c#,4e,4a\r\n"));

    // Opened again, the tune comes back as it was.
    rig.answers->nextFile = saved;
    rig.click("btnLoadTunes");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->currentText(), QStringLiteral("Ringing in|+e+d#F#G+#cbDEba#CEA"));
    rig.click("Load4");
    QCOMPARE(rig.text("editTune4"), rig.text("editTune2"));

    // The compose line as eMelody, as it plays: its name and blanks cut.
    rig.find<QLineEdit>("editCompose")->setText(QStringLiteral("x|c +#D p"));
    rig.answers->nextFile = rig.filePath("mine"); // the suffix comes with the format
    rig.chooseFromMenu("editCompose", "SaveAsEMelody");
    QFile emy(rig.filePath("mine.emy"));
    QVERIFY(emy.open(QIODevice::ReadOnly));
    QCOMPARE(emy.readAll(), QByteArray("BEGIN:EMELODY\r\nVERSION:1.0\r\nNAME:mine\r\nMELODY:c+#Dp\r\nEND:EMELODY\r\n"));
    rig.answers->nextFile = emy.fileName();
    rig.click("btnLoadTunes");
    QCOMPARE(list->currentText(), QStringLiteral("mine|c+#Dp"));

    // An empty tune box has nothing to save, and no dialog opens for it.
    rig.answers->shown.clear();
    rig.find<QLineEdit>("editTune3")->clear();
    rig.chooseFromMenu("editTune3", "SaveAsRtttl");
    QCOMPARE(rig.answers->shown, QStringList{"box: There is no melody to save."});
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

    // "Store" pressed while the box's own tune plays: the tune stops after
    // its note, then the melody goes to the phone.
    auto *box2 = rig.find<QLineEdit>("editTune2");
    box2->setText(LongTune);
    guitest::ColourLog stored(box2, QPalette::Base);
    OperationLog ops(rig.form->link);
    QCOMPARE(rig.pressDuringTune("Play2", "ok2"), QStringList{"tone 523 Hz 128 ms"});
    QCOMPARE(ops.seen, (QStringList{"+2", "-", "+2", "-"}));
    QCOMPARE(rig.commands("AT*ESOM=2").last(), "AT*ESOM=2,\"" + LongTune + "\"");
    QCOMPARE(stored.seen, (QList<QColor>{Palette::DarkGreen, Palette::Silver}));
    QVERIFY(!rig.find("Play2")->isHidden() && rig.find("Play1")->isEnabled());

    const QJsonObject dumped = rig.sim.stopAndDump();
    QCOMPARE(dumped.value("ownMelodies").toObject(),
             (QJsonObject{{"1", "cde"}, {"2", LongTune}, {"3", "abA+CB"}, {"4", "a"}}));
    // The phone gone: the error window, then the store flashes red. The port
    // is a name that never was, not the simulator's old device, which a
    // phone of another test may have been given since.
    qputenv("MIRVAK_COM1", rig.filePath("gone").toLocal8Bit());
    auto *box = rig.find<QLineEdit>("editTune1");
    guitest::ColourLog failed(box, QPalette::Base);
    QCOMPARE(rig.answers->shown, QStringList());
    rig.click("ok1");
    QCOMPARE(rig.answers->shown, QStringList{"Form2"});
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
    CaptionLog caption(rig.find("gsmPlay3"));
    rig.click("gsmPlay1");
    rig.click("gsmPlay3");
    QCOMPARE(caption.seen.value(0), QStringLiteral("X"));
    QCOMPARE(rig.find("gsmPlay3")->text(), QStringLiteral("3"));
    rings->setEditText(QStringLiteral("5"));
    rig.click("PlayCombo");
    QCOMPARE(rig.commands("AT*ERIP="), (QStringList{"AT*ERIP=7,31", "AT*ERIP=7,33", "AT*ERIP=7,5"}));
    QCOMPARE(rig.form->link.lockedPage(), int(PhoneLink::Idle));

    // Pressed while a tune plays, each of them stops the tune after its
    // note and then does its work.
    rig.find<QLineEdit>("editTune4")->setText(LongTune);
    OperationLog ops(rig.form->link);
    const QStringList oneNote{"tone 523 Hz 128 ms"};
    QCOMPARE(rig.pressDuringTune("Play4", "gsmPlay2"), oneNote);
    QCOMPARE(rig.pressDuringTune("Play4", "PlayCombo"), oneNote);
    QCOMPARE(rig.pressDuringTune("Play4", "Use3"), oneNote);
    QCOMPARE(rig.pressDuringTune("Play4", "UseCombo"), oneNote);
    QCOMPARE(rig.commands("AT*ERIP=").mid(3), (QStringList{"AT*ERIP=7,32", "AT*ERIP=7,5"}));
    QCOMPARE(rig.commands("AT*ERIN=").filter(QRegularExpression("=\\d")).mid(4),
             (QStringList{"AT*ERIN=33,1", "AT*ERIN=5,1"}));
    // The tune's operation ends before the pressed one starts.
    QCOMPARE(ops.seen, (QStringList{"+2", "-", "+2", "-", "+2", "-", "+2", "-", "+2", "-", "+100", "-", "+2",
                                    "-", "+100", "-"}));
    QVERIFY(!rig.find("Play4")->isHidden() && rig.find("Play1")->isEnabled());
    QCOMPARE(rig.answers->shown, QStringList());
}

void TestGuiMelodies::clickOnThePageAbortsTheWait()
{
    Rig rig({}, {"--fault", "silent"});
    QVERIFY(rig.started);
    // The phone's silence would last long: only the abort can end the wait soon.
    const QPoint bare(rig.page->width() - 2, rig.page->height() - 2);
    QVERIFY(!rig.page->childAt(bare));

    // Idle, a click on the page leaves nothing behind for the next operation.
    QTest::mouseClick(rig.page, Qt::LeftButton, {}, bare);
    QVERIFY(!rig.form->link.AbortRequested());

    // Melody 1 played on a phone that never answers: a click on the bare
    // page while the command waits ends the wait, and "X" says so.
    CaptionLog caption(rig.find("gsmPlay1"));
    OperationLog ops(rig.form->link);
    QObject::connect(&rig.form->link, &PhoneLink::commandWritten, rig.page,
                     [&] { QTest::mouseClick(rig.page, Qt::LeftButton, {}, bare); }, Qt::SingleShotConnection);
    rig.click("gsmPlay1");
    QCOMPARE(rig.form->link.lastStatus(), Exchange::Aborted);
    QCOMPARE(caption.seen.value(0), QStringLiteral("X"));
    QCOMPARE(rig.find("gsmPlay1")->text(), QStringLiteral("1"));
    // The abort can come before the phone has logged the line it was sent.
    QVERIFY(rig.sim.waitForCommand(QStringLiteral("AT*ERIP=7,31")));
    QCOMPARE(rig.commands("AT*ERIP="), QStringList{"AT*ERIP=7,31"});
    QCOMPARE(ops.seen, (QStringList{"+2", "-"}));
    QVERIFY(rig.find("btnReadMelodies")->isEnabled());
    QCOMPARE(rig.answers->shown, QStringList());
}

QTEST_MAIN(TestGuiMelodies)
#include "tst_gui_melodies.moc"
