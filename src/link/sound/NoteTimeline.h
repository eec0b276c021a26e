// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where each step of a melody starts. A note starts where the previous
// one's gap ended, not where the player happened to wake, so small delays
// between steps do not add up over a melody. A step much later than that
// (a nested tune from a key, a slow repaint) cannot be caught up; the
// timeline starts again from the moment it woke.
#include <cstdint>

class NoteTimeline {
public:
    using Instant = std::int64_t; // nanoseconds on the monotonic clock
    static constexpr Instant NsPerMs = 1'000'000;
    static constexpr Instant CatchUpNs = 30 * NsPerMs;

    explicit NoteTimeline(Instant begin) : m_due(begin) {}

    // The earliest moment the next step may start.
    Instant due() const { return m_due; }
    // The step's start on the timeline, for a player that woke at `woke`
    // (never before due()).
    Instant start(Instant woke) const { return woke - m_due < CatchUpNs ? m_due : woke; }
    // The step that started at `start` takes `ms` milliseconds.
    void ran(Instant start, int ms) { m_due = start + ms * NsPerMs; }

private:
    Instant m_due;
};
