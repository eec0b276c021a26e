#include "link/sound/MyBleeper.h"

#include "link/port/LinkTrace.h"
#include "core/melodies/Notation.h"

#include <QCoreApplication>

namespace {

constexpr Mybleep::Instant NsPerMs = 1'000'000;
// A step this late is caught up by a shorter note; later than this (a
// nested tune from a key, a slow repaint) the timeline starts again from now.
constexpr Mybleep::Instant CatchUpNs = 30 * NsPerMs;

} // namespace

MyBleeper::MyBleeper(Mybleep &bleep, QObject *parent) : QObject(parent), m_bleep(bleep) {}

void MyBleeper::PlayTune(const QByteArray &text)
{
    m_bleep.backend(); // opening a device is no part of the first note
    // Every note starts where the previous one's gap ends, so small delays
    // between steps do not add up over a melody.
    Mybleep::Instant next = Mybleep::now();
    const auto startOnTimeline = [&next] {
        Mybleep::WaitUntil(next);
        const Mybleep::Instant now = Mybleep::now();
        return now - next < CatchUpNs ? next : now;
    };

    Notation::playSteps(
        text,
        [&](const Notation::Step &s) {
            if (s.kind == Notation::Step::Tone) {
                emit keyLit(s.index, s.octave, true);
                const Mybleep::Instant start = startOnTimeline();
                m_bleep.PlayToneAt(s.frequency, s.durationMs, start);
                emit keyLit(s.index, s.octave, false);
                next = start + (s.durationMs + Notation::GapMs) * NsPerMs;
                Mybleep::WaitUntil(next);
            } else if (s.kind == Notation::Step::Pause) {
                const Mybleep::Instant start = startOnTimeline();
                LinkTrace::op(QStringLiteral("pause %1 ms").arg(s.durationMs));
                next = start + s.durationMs * NsPerMs;
                Mybleep::WaitUntil(next);
            }
            QCoreApplication::processEvents();
        },
        [this] { return m_stopRequested; });
}
