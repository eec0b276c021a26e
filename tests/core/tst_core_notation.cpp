// SPDX-License-Identifier: GPL-2.0-or-later
// The melody notation, step by step, without sound: what each melody text
// sounds as (key, octave, hertz, length) or pauses for.
#include <QtTest>

#include <cmath>

#include "core/melodies/Notation.h"

namespace {
// "index.octave:Hz/ms" per note, "p128" per pause, blank-separated.
QString heard(const QByteArray &text, bool stopRequested)
{
    QStringList out;
    Notation::playSteps(
        text,
        [&](const Notation::Step &s) {
            if (s.kind == Notation::Step::Tone)
                out << QStringLiteral("%1.%2:%3/%4").arg(s.index).arg(s.octave).arg(s.frequency).arg(s.durationMs);
            else if (s.kind == Notation::Step::Pause)
                out << QStringLiteral("p%1").arg(s.durationMs);
        },
        [stopRequested] { return stopRequested; });
    return out.join(QLatin1Char(' '));
}
} // namespace

class TestCoreNotation : public QObject {
    Q_OBJECT
private slots:
    void melodies_data();
    void melodies();
    void frequencyTable();
};

void TestCoreNotation::melodies_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("stopped"); // the stop flag already set
    QTest::addColumn<QString>("heard");
    const auto row = [](const char *name, const char *text, bool stopped, const char *heard) {
        QTest::newRow(name) << QByteArray(text) << stopped << QString::fromLatin1(heard);
    };
    row("empty", "", false, "");
    row("short scale", "cdefgab", false,
        "0.5:523/128 2.5:587/128 4.5:659/128 5.5:698/128 7.5:784/128 9.5:880/128 11.5:988/128");
    row("long scale", "CDEFGAB", false,
        "0.5:523/300 2.5:587/300 4.5:659/300 5.5:698/300 7.5:784/300 9.5:880/300 11.5:988/300");
    row("octave up", "+c", false, "0.6:1047/128");
    row("octave up sharp", "+#c", false, "1.6:1109/128");
    row("flat e", "(b)e", false, "3.5:622/128");
    row("sharp d", "#d", false, "3.5:622/128");
    row("long flat E", "(b)E", false, "3.5:622/300");
    row("octave up long flat", "+(b)E", false, "3.6:1245/300");
    row("no key: flats of C and F, sharps of B and E", "(b)c(b)f(b)C(b)F#b#e#B#E", false, "");
    row("sharp before plus is no sharp", "#+c", false, "0.6:1047/128");
    row("skipped characters", "P 1|;x", false, "");
    row("pause is lower-case p only", "cPp", false, "0.5:523/128 p128");
    row("( among the last three is ordinary", "c(b)", false, "0.5:523/128 11.5:988/128");
    row("( skips two characters whatever they are", "(q)a", false, "8.5:831/128");
    row("sharp look-behind wins over the flat mark", "(x#ac", false, "10.5:932/128 0.5:523/128");
    row("trailing plus", "c+", false, "0.5:523/128");
    row("trailing plus sharp", "c+#", false, "0.5:523/128");
    row("stopped: # is a step of its own", "#c", true, "");
    row("stopped: first note still sounds", "cd", true, "0.5:523/128");
    row("stopped: +#c is one step", "+#c", true, "1.6:1109/128");
}

void TestCoreNotation::melodies()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, stopped);
    QFETCH(QString, heard);
    const QByteArray before = text;
    QCOMPARE(::heard(text, stopped), heard);
    QCOMPARE(text, before);
}

// Equal temperament from A4 = 440 Hz, but for the three values the phone's
// melodies have always used.
void TestCoreNotation::frequencyTable()
{
    for (int index = 0; index < 12; ++index) {
        for (int octave = 1; octave <= 7; ++octave) {
            const int semitonesFromA4 = (octave - 4) * 12 + index - 9;
            int expected = int(std::lround(440.0 * std::pow(2.0, semitonesFromA4 / 12.0)));
            if (index == 10 && octave == 1)
                expected = 59;
            else if (index == 2 && octave == 6)
                expected = 1174;
            else if (index == 2 && octave == 7)
                expected = 2344;
            QCOMPARE(int(Notation::frequency(index, octave)), expected);
        }
    }
    QCOMPARE(Notation::frequency(12, 5), quint16(0));
}

QTEST_GUILESS_MAIN(TestCoreNotation)
#include "tst_core_notation.moc"
