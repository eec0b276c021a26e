// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The tone generator: one square-wave tone at a time, on the PC speaker, on
// the sound card, or as timed silence when the machine has neither.
#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <stdexcept>

// A PlayTone argument out of range; what() is the message shown to the user.
class ToneError : public std::range_error {
public:
    using std::range_error::range_error;
};

class ToneGenerator {
public:
    // Nanoseconds on the monotonic clock.
    using Instant = std::int64_t;
    static Instant now();

    enum class Backend { PcSpeaker, Alsa, Silence };

    ToneGenerator();
    ~ToneGenerator(); // silences a lasting tone
    ToneGenerator(const ToneGenerator &) = delete;
    ToneGenerator &operator=(const ToneGenerator &) = delete;

    // Sounds frequency Hz for durationMs and returns when it has ended;
    // -1 starts a tone that lasts until the next call. Throws ToneError.
    void PlayTone(quint16 frequency, qint32 durationMs);
    // The same, for a tone taken to have started at `start`: it ends at
    // start + durationMs, so a caller on a timeline keeps its notes in step.
    void PlayToneAt(quint16 frequency, qint32 durationMs, Instant start);

    // Waits of up to 1000 ms keep the window still; longer ones let it respond.
    static void WaitMs(qint32 ms);
    // Sleeps until the deadline; with processEvents, wakes every few
    // milliseconds to handle pending window messages.
    static void WaitUntil(Instant deadline, bool processEvents = false);

    // Chosen on first use: MIRVAK_TONE=pcspkr|alsa|none, else the first that works.
    Backend backend();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
