// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/sound/MelodyPlayer.h"

#include "link/port/LinkTrace.h"
#include "core/melodies/Notation.h"
#include "link/sound/NoteTimeline.h"

#include <QCoreApplication>

MelodyPlayer::MelodyPlayer(ToneGenerator &bleep, QObject *parent) : QObject(parent), m_bleep(bleep) {}

void MelodyPlayer::PlayTune(const QByteArray &text)
{
    m_bleep.backend(); // opening a device is no part of the first note
    NoteTimeline timeline(ToneGenerator::now());
    const auto startStep = [&timeline] {
        ToneGenerator::WaitUntil(timeline.due());
        return timeline.start(ToneGenerator::now());
    };

    Notation::playSteps(
        text,
        [&](const Notation::Step &s) {
            if (s.kind == Notation::Step::Tone) {
                emit keyLit(s.index, s.octave, true);
                const ToneGenerator::Instant start = startStep();
                m_bleep.PlayToneAt(s.frequency, s.durationMs, start);
                emit keyLit(s.index, s.octave, false);
                timeline.ran(start, s.durationMs + Notation::GapMs);
                ToneGenerator::WaitUntil(timeline.due());
            } else if (s.kind == Notation::Step::Pause) {
                const ToneGenerator::Instant start = startStep();
                LinkTrace::op(QStringLiteral("pause %1 ms").arg(s.durationMs));
                timeline.ran(start, s.durationMs);
                ToneGenerator::WaitUntil(timeline.due());
            }
            QCoreApplication::processEvents();
        },
        [this] { return m_stopRequested; });
}
