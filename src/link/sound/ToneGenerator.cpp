// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/sound/ToneGenerator.h"

#include "link/port/LinkTrace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr std::int64_t NsPerMs = 1'000'000;
constexpr std::int64_t MessageSliceNs = 10 * NsPerMs;
constexpr unsigned SampleRate = 48000;
constexpr short Amplitude = 6000; // loud enough, well short of clipping through dmix
constexpr unsigned AlsaLatencyUs = 500'000; // also how long a lasting (-1) tone holds

void trace(const QString &line)
{
    LinkTrace::op(line);
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool hasBit(const unsigned long *bits, int bit)
{
    constexpr int perLong = int(sizeof(unsigned long) * 8);
    return (bits[bit / perLong] >> (bit % perLong)) & 1UL;
}

// A writable input device that can sound a tone, or -1.
int openSpeaker(QString &path)
{
    QStringList candidates{QStringLiteral("/dev/input/by-path/platform-pcspkr-event-spkr")};
    const QDir input(QStringLiteral("/dev/input"));
    for (const QString &name : input.entryList({QStringLiteral("event*")}, QDir::System, QDir::Name))
        candidates << input.filePath(name);
    for (const QString &candidate : candidates) {
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        unsigned long types[(EV_MAX + 1 + 8 * sizeof(unsigned long) - 1) / (8 * sizeof(unsigned long))] = {};
        unsigned long sounds[(SND_MAX + 1 + 8 * sizeof(unsigned long) - 1) / (8 * sizeof(unsigned long))] = {};
        if (::ioctl(fd, EVIOCGBIT(0, sizeof types), types) >= 0 && hasBit(types, EV_SND)
            && ::ioctl(fd, EVIOCGBIT(EV_SND, sizeof sounds), sounds) >= 0 && hasBit(sounds, SND_TONE)) {
            path = candidate;
            return fd;
        }
        ::close(fd);
    }
    return -1;
}

// ALSA otherwise prints its complaints on stderr; a missing card is normal here.
void quietAlsa(const char *, int, const char *, int, const char *, ...) {}

} // namespace

struct ToneGenerator::Impl {
    bool chosen = false;
    Backend backend = Backend::Silence;
    int speaker = -1;
    snd_pcm_t *pcm = nullptr;
    bool lasting = false;

    ~Impl()
    {
        stopLasting();
        if (speaker >= 0)
            ::close(speaker);
        if (pcm)
            snd_pcm_close(pcm);
    }

    void choose()
    {
        chosen = true;
        const QByteArray forced = qgetenv("MIRVAK_TONE").trimmed().toLower();
        if (!forced.isEmpty() && forced != "pcspkr" && forced != "alsa" && forced != "none")
            trace(QStringLiteral("tone: MIRVAK_TONE=%1 is not pcspkr, alsa or none; choosing by itself")
                      .arg(QString::fromLocal8Bit(forced)));
        const bool any = forced != "pcspkr" && forced != "alsa" && forced != "none";
        if (forced == "none") {
            trace(QStringLiteral("tone backend none (MIRVAK_TONE=none)"));
            return;
        }
        QString why;
        if (any || forced == "pcspkr") {
            QString path;
            speaker = openSpeaker(path);
            if (speaker >= 0) {
                backend = Backend::PcSpeaker;
                trace(QStringLiteral("tone backend pcspkr %1").arg(path));
                return;
            }
            why = QStringLiteral("no writable PC speaker device");
        }
        if (any || forced == "alsa") {
            const QString alsaWhy = openAlsa();
            if (alsaWhy.isEmpty()) {
                backend = Backend::Alsa;
                trace(QStringLiteral("tone backend alsa default"));
                return;
            }
            why += (why.isEmpty() ? QString() : QStringLiteral(", ")) + alsaWhy;
        }
        trace(QStringLiteral("tone backend none (%1)").arg(why));
    }

    // Empty on success, else why not.
    QString openAlsa()
    {
        snd_lib_error_set_handler(quietAlsa);
        int err = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
        if (err >= 0)
            err = snd_pcm_nonblock(pcm, 0);
        if (err >= 0)
            err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, SampleRate, 1,
                                     AlsaLatencyUs);
        if (err < 0) {
            if (pcm)
                snd_pcm_close(pcm);
            pcm = nullptr;
            return QStringLiteral("no sound card: %1").arg(QString::fromLocal8Bit(snd_strerror(err)));
        }
        return {};
    }

    // The rest of the program goes on without sound.
    void fallBack(const QString &why)
    {
        stopLasting();
        if (speaker >= 0)
            ::close(speaker);
        speaker = -1;
        if (pcm)
            snd_pcm_close(pcm);
        pcm = nullptr;
        backend = Backend::Silence;
        trace(QStringLiteral("tone backend none (%1)").arg(why));
    }

    bool speakerTone(int hz)
    {
        input_event ev{};
        ev.type = EV_SND;
        ev.code = SND_TONE;
        ev.value = hz;
        if (::write(speaker, &ev, sizeof ev) == ssize_t(sizeof ev))
            return true;
        fallBack(QStringLiteral("PC speaker: %1").arg(errnoText(errno)));
        return false;
    }

    // Writes the square wave; false (and silence from now on) when the card fails.
    bool alsaWrite(quint16 hz, snd_pcm_uframes_t frames)
    {
        std::vector<short> samples(std::min<snd_pcm_uframes_t>(frames, SampleRate / 10));
        snd_pcm_uframes_t done = 0;
        while (done < frames) {
            const snd_pcm_uframes_t chunk = std::min<snd_pcm_uframes_t>(frames - done, samples.size());
            for (snd_pcm_uframes_t i = 0; i < chunk; ++i) {
                // Half periods counted from the note's first sample keep the wave even.
                const std::uint64_t half = (done + i) * 2ULL * hz / SampleRate;
                samples[i] = (half & 1) ? -Amplitude : Amplitude;
            }
            const snd_pcm_sframes_t n = snd_pcm_writei(pcm, samples.data(), chunk);
            if (n == -EAGAIN)
                return true; // a lasting tone fills what the buffer holds
            if (n < 0) {
                if (snd_pcm_recover(pcm, int(n), 1) < 0) {
                    fallBack(QStringLiteral("sound card: %1").arg(QString::fromLocal8Bit(snd_strerror(int(n)))));
                    return false;
                }
                continue;
            }
            done += snd_pcm_uframes_t(n);
        }
        return true;
    }

    void alsaNote(quint16 hz, std::int64_t ns)
    {
        const auto frames = snd_pcm_uframes_t(std::max<std::int64_t>(0, ns) * SampleRate / 1'000'000'000);
        if (frames == 0 || !alsaWrite(hz, frames))
            return;
        snd_pcm_drain(pcm);
        snd_pcm_prepare(pcm);
    }

    void alsaLasting(quint16 hz)
    {
        snd_pcm_uframes_t buffer = 0, period = 0;
        if (snd_pcm_get_params(pcm, &buffer, &period) < 0 || buffer == 0)
            buffer = SampleRate * AlsaLatencyUs / 1'000'000;
        snd_pcm_nonblock(pcm, 1);
        const bool ok = alsaWrite(hz, buffer);
        if (ok) {
            if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED)
                snd_pcm_start(pcm);
            snd_pcm_nonblock(pcm, 0);
            lasting = true;
        }
    }

    void stopLasting()
    {
        if (!lasting)
            return;
        lasting = false;
        if (backend == Backend::PcSpeaker && speaker >= 0) {
            input_event ev{};
            ev.type = EV_SND;
            ev.code = SND_TONE;
            [[maybe_unused]] const auto written = ::write(speaker, &ev, sizeof ev);
        } else if (backend == Backend::Alsa && pcm) {
            snd_pcm_drop(pcm);
            snd_pcm_prepare(pcm);
        }
    }
};

ToneGenerator::ToneGenerator() : d(std::make_unique<Impl>()) {}
ToneGenerator::~ToneGenerator() = default;

ToneGenerator::Instant ToneGenerator::now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return Instant(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void ToneGenerator::WaitUntil(Instant deadline, bool processEvents)
{
    for (Instant t = now(); t < deadline; t = now()) {
        Instant wake = deadline;
        if (processEvents && QCoreApplication::instance()) {
            QCoreApplication::processEvents();
            wake = std::min(deadline, now() + MessageSliceNs);
        }
        timespec ts{time_t(wake / 1'000'000'000), long(wake % 1'000'000'000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
    }
}

void ToneGenerator::WaitMs(qint32 ms)
{
    if (ms > 0)
        WaitUntil(now() + ms * NsPerMs, ms > 1000);
}

ToneGenerator::Backend ToneGenerator::backend()
{
    if (!d->chosen)
        d->choose();
    return d->backend;
}

void ToneGenerator::PlayTone(quint16 frequency, qint32 durationMs)
{
    backend(); // opening a device is no part of the tone's time
    PlayToneAt(frequency, durationMs, now());
}

void ToneGenerator::PlayToneAt(quint16 frequency, qint32 durationMs, Instant start)
{
    if (durationMs < -1)
        throw ToneError("Bleeper: MSecs < -1");
    if (frequency < 20)
        throw ToneError("Bleeper: Freq < 20");
    if (frequency > 20000)
        throw ToneError("Bleeper: Freq > 20000");

    const Backend chosen = backend();
    if (d->lasting && !(chosen == Backend::PcSpeaker && durationMs != 0))
        d->stopLasting();
    d->lasting = false;
    trace(QStringLiteral("tone %1 Hz %2 ms").arg(frequency).arg(durationMs));

    if (durationMs == -1) {
        if (chosen == Backend::PcSpeaker && d->speakerTone(frequency))
            d->lasting = true;
        else if (chosen == Backend::Alsa)
            d->alsaLasting(frequency);
        return;
    }
    const Instant deadline = start + durationMs * NsPerMs;
    switch (chosen) {
    case Backend::PcSpeaker:
        if (durationMs > 0 && d->speakerTone(frequency)) {
            WaitUntil(deadline, durationMs > 1000);
            d->speakerTone(0);
        }
        break;
    case Backend::Alsa:
        d->alsaNote(frequency, deadline - now());
        break;
    case Backend::Silence:
        break;
    }
    WaitUntil(deadline, durationMs > 1000);
}
