// SPDX-License-Identifier: GPL-2.0-or-later
// The player and the tone generator with the silent backend, as the trace
// records them: every tone and pause with its start time.
#include <QRegularExpression>
#include <QTime>
#include <QtTest>

#include "LinkTestSupport.h"
#include "link/sound/MelodyPlayer.h"
#include "link/sound/ToneGenerator.h"
#include "link/sound/NoteTimeline.h"

namespace {
struct Sound {
    int atMs; // of the day
    QString what;
};

QList<Sound> sounds(const QByteArray &trace)
{
    static const QRegularExpression line(QStringLiteral(R"(^(\S+) ((?:tone|pause) .*)$)"),
                                         QRegularExpression::MultilineOption);
    QList<Sound> out;
    for (auto it = line.globalMatch(QString::fromUtf8(trace)); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(2).startsWith(QLatin1String("tone backend")))
            continue;
        out.append({QTime::fromString(m.captured(1), QStringLiteral("hh:mm:ss.zzz")).msecsSinceStartOfDay(),
                    m.captured(2)});
    }
    return out;
}

QStringList names(const QList<Sound> &list)
{
    QStringList out;
    for (const Sound &s : list)
        out << s.what;
    return out;
}
} // namespace

class TestTone : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("MIRVAK_TONE", "none"); }
    void init() { m_trace.reset(); }
    void keyNotesAndTheirKeys();
    void noteStartsKeepTheSchedule();
    void timelineCatchesUp_data();
    void timelineCatchesUp();
    void rangeErrors_data();
    void rangeErrors();
    void stopEndsAfterTheCurrentStep();
    void keyPressDuringATune();

private:
    linktest::TraceFile m_trace;
};

void TestTone::keyNotesAndTheirKeys()
{
    ToneGenerator bleep;
    MelodyPlayer player(bleep);
    QSignalSpy lit(&player, &MelodyPlayer::keyLit);
    player.PlayTune("+#c");
    player.PlayTune("+#C");
    QCOMPARE(names(sounds(m_trace.text())), (QStringList{"tone 1109 Hz 128 ms", "tone 1109 Hz 300 ms"}));
    QCOMPARE(m_trace.text().count("tone backend none (MIRVAK_TONE=none)"), 1);
    QCOMPARE(lit.count(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(lit.at(i), (QVariantList{1, 6, i % 2 == 0}));
}

void TestTone::noteStartsKeepTheSchedule()
{
    ToneGenerator bleep;
    MelodyPlayer player(bleep);
    const int before = QTime::currentTime().msecsSinceStartOfDay();
    player.PlayTune("cdpE+#c");
    const QList<Sound> s = sounds(m_trace.text());
    QCOMPARE(names(s), (QStringList{"tone 523 Hz 128 ms", "tone 587 Hz 128 ms", "pause 128 ms",
                                    "tone 659 Hz 300 ms", "tone 1109 Hz 128 ms"}));
    // Note start to note start: its length plus the 8 ms gap; a pause has no
    // gap. A note never starts before its place; how late a busy machine
    // wakes it is the timeline's business (below) and the benchmark's.
    const int expected[] = {0, 136, 272, 400, 708};
    for (int i = 0; i < s.size(); ++i) {
        const int at = s[i].atMs - before;
        QVERIFY2(at >= expected[i] - 1, // the trace's clock counts whole milliseconds
                 qPrintable(QStringLiteral("%1 at %2 ms, before %3").arg(s[i].what).arg(at).arg(expected[i])));
    }
}

void TestTone::timelineCatchesUp_data()
{
    QTest::addColumn<int>("lateUs");   // how late the player wakes for the second note
    QTest::addColumn<int>("secondMs"); // where the second note then starts
    QTest::addColumn<int>("thirdMs");  // and the third, woken on time
    QTest::newRow("on time") << 0 << 136 << 272;
    QTest::newRow("a little late: caught up by the second note") << 5000 << 136 << 272;
    QTest::newRow("just short of too late") << 29999 << 136 << 272;
    QTest::newRow("too late: the timeline starts again") << 30000 << 166 << 302;
    QTest::newRow("after a nested tune") << 500000 << 636 << 772;
}

void TestTone::timelineCatchesUp()
{
    QFETCH(int, lateUs);
    QFETCH(int, secondMs);
    QFETCH(int, thirdMs);
    constexpr NoteTimeline::Instant ms = NoteTimeline::NsPerMs;
    const NoteTimeline::Instant begin = 1000 * ms; // any moment
    NoteTimeline timeline(begin);
    QCOMPARE(timeline.due(), begin);
    const auto step = [&](NoteTimeline::Instant woke) {
        const NoteTimeline::Instant start = timeline.start(woke);
        timeline.ran(start, 128 + 8);
        return (start - begin) / ms;
    };
    QCOMPARE(step(timeline.due()), 0);
    QCOMPARE(step(timeline.due() + lateUs * NoteTimeline::Instant(1000)), secondMs);
    QCOMPARE(step(timeline.due()), thirdMs);
}

void TestTone::rangeErrors_data()
{
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("durationMs");
    QTest::addColumn<QString>("error"); // empty: sounds
    QTest::newRow("length below -1") << 440 << -2 << "Bleeper: MSecs < -1";
    QTest::newRow("length checked first") << 5 << -2 << "Bleeper: MSecs < -1";
    QTest::newRow("too low") << 19 << 10 << "Bleeper: Freq < 20";
    QTest::newRow("too high") << 20001 << 10 << "Bleeper: Freq > 20000";
    QTest::newRow("lowest, no length") << 20 << 0 << "";
    QTest::newRow("highest, lasting") << 20000 << -1 << "";
}

void TestTone::rangeErrors()
{
    QFETCH(int, frequency);
    QFETCH(int, durationMs);
    QFETCH(QString, error);
    ToneGenerator bleep;
    const auto before = sounds(m_trace.text()).size(); // the rows share one trace file
    QString thrown;
    try {
        bleep.PlayTone(quint16(frequency), durationMs);
    } catch (const std::range_error &e) {
        thrown = QString::fromLatin1(e.what());
    }
    QCOMPARE(thrown, error);
    // A refused tone sounds nothing.
    QCOMPARE(sounds(m_trace.text()).size() - before, error.isEmpty() ? 1 : 0);
}

void TestTone::stopEndsAfterTheCurrentStep()
{
    ToneGenerator bleep;
    MelodyPlayer player(bleep);
    connect(&player, &MelodyPlayer::keyLit, &player, [&player] { player.setTuneStopRequested(true); });
    player.PlayTune("cde");
    QVERIFY(player.TuneStopRequested()); // only a Play button clears it
    // Still set: the first step runs, which for "#c" is the silent "#".
    player.PlayTune("#c");
    player.PlayTune("+#cd");
    QCOMPARE(names(sounds(m_trace.text())), (QStringList{"tone 523 Hz 128 ms", "tone 1109 Hz 128 ms"}));
}

void TestTone::keyPressDuringATune()
{
    ToneGenerator bleep;
    MelodyPlayer player(bleep);
    QList<QVariantList> keys;
    bool pressed = false;
    connect(&player, &MelodyPlayer::keyLit, &player, [&](int index, int octave, bool lit) {
        keys.append({index, octave, lit});
        if (!pressed) {
            pressed = true; // handled after the first note, like a click on a key
            QTimer::singleShot(0, &player, [&player] { player.PlayTune("+c"); });
        }
    });
    player.PlayTune("cd");
    QCOMPARE(names(sounds(m_trace.text())),
             (QStringList{"tone 523 Hz 128 ms", "tone 1047 Hz 128 ms", "tone 587 Hz 128 ms"}));
    QCOMPARE(keys, (QList<QVariantList>{{0, 5, true}, {0, 5, false}, {0, 6, true}, {0, 6, false},
                                        {2, 5, true}, {2, 5, false}}));
}

QTEST_GUILESS_MAIN(TestTone)
#include "tst_tone.moc"
