#include "services/sound.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>

#ifdef TAVELON_HAVE_PULSE
#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>
#endif

namespace tavelon {

namespace {

struct PcmSound
{
    int channels = 0;
    int rate = 0;
    int bits = 0;
    QByteArrayView samples;
};

// The PCM format and samples of a RIFF WAVE image; nullopt for anything else or a damaged image.
std::optional<PcmSound> parseWave(QByteArrayView wave)
{
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.sliced(8, 4) != "WAVE")
        return std::nullopt;
    std::optional<PcmSound> sound;
    qsizetype at = 12;
    while (wave.size() - at >= 8) {
        const QByteArrayView id = wave.sliced(at, 4);
        const qint64 size = qFromLittleEndian<quint32>(wave.data() + at + 4);
        const qint64 available = wave.size() - at - 8;
        const char *body = wave.data() + at + 8;
        if (id == "fmt ") {
            if (size < 16 || size > available || qFromLittleEndian<quint16>(body) != 1)
                return std::nullopt;
            sound.emplace();
            sound->channels = qFromLittleEndian<quint16>(body + 2);
            sound->rate = int(qFromLittleEndian<quint32>(body + 4));
            sound->bits = qFromLittleEndian<quint16>(body + 14);
        } else if (id == "data") {
            if (!sound || sound->channels < 1 || sound->channels > 2 ||
                (sound->bits != 8 && sound->bits != 16))
                return std::nullopt;
            // A data chunk that claims more than the image holds plays what is there, in whole frames.
            const qint64 frame = sound->channels * sound->bits / 8;
            const qint64 length = std::min(size, available);
            sound->samples = QByteArrayView(body, length - length % frame);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (!sound || sound->samples.isEmpty() || sound->rate < 1000 || sound->rate > 192000)
        return std::nullopt;
    return sound;
}

#ifdef TAVELON_HAVE_PULSE

struct MainloopFree
{
    void operator()(pa_mainloop *m) const { pa_mainloop_free(m); }
};
struct ContextClose
{
    void operator()(pa_context *c) const
    {
        pa_context_disconnect(c);
        pa_context_unref(c);
    }
};
struct StreamClose
{
    void operator()(pa_stream *s) const
    {
        pa_stream_disconnect(s);
        pa_stream_unref(s);
    }
};
struct OperationUnref
{
    void operator()(pa_operation *o) const { pa_operation_unref(o); }
};

using Clock = std::chrono::steady_clock;

// Runs the main loop until done() holds; false on a loop error or when the deadline passes, so a
// server that stops answering cannot hold the program.
template <typename Done> bool runUntil(pa_mainloop *loop, Clock::time_point deadline, Done done)
{
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        if (pa_mainloop_prepare(loop, int(left.count())) < 0 || pa_mainloop_poll(loop) < 0 ||
            pa_mainloop_dispatch(loop) < 0)
            return false;
    }
    return true;
}

// The libpulse simple API cannot refuse autospawning a server and has no time limits, so this uses
// the asynchronous API with its own blocking loop.
void playPcm(const PcmSound &sound)
{
    using namespace std::chrono_literals;
    const std::unique_ptr<pa_mainloop, MainloopFree> loop(pa_mainloop_new());
    if (!loop)
        return;
    const std::unique_ptr<pa_context, ContextClose> context(
        pa_context_new(pa_mainloop_get_api(loop.get()), "Brimholt Tavelon"));
    if (!context || pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return;
    const auto contextSettled = [&] {
        const pa_context_state_t state = pa_context_get_state(context.get());
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!runUntil(loop.get(), Clock::now() + 2s, contextSettled) ||
        pa_context_get_state(context.get()) != PA_CONTEXT_READY)
        return;

    pa_sample_spec sampleFormat{};
    sampleFormat.format = sound.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sampleFormat.rate = std::uint32_t(sound.rate);
    sampleFormat.channels = std::uint8_t(sound.channels);
    const std::unique_ptr<pa_stream, StreamClose> stream(
        pa_stream_new(context.get(), "BEEP", &sampleFormat, nullptr));
    if (!stream ||
        pa_stream_connect_playback(stream.get(), nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0)
        return;
    const auto streamSettled = [&] {
        const pa_stream_state_t state = pa_stream_get_state(stream.get());
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    };
    if (!runUntil(loop.get(), Clock::now() + 2s, streamSettled) ||
        pa_stream_get_state(stream.get()) != PA_STREAM_READY)
        return;

    // The whole sound fits into the stream's buffer at once; libpulse copies the data.
    if (pa_stream_write(stream.get(), sound.samples.data(), std::size_t(sound.samples.size()), nullptr, 0,
                        PA_SEEK_RELATIVE) < 0)
        return;
    bool drained = false;
    const auto onDrained = [](pa_stream *, int, void *flag) { *static_cast<bool *>(flag) = true; };
    const std::unique_ptr<pa_operation, OperationUnref> drain(
        pa_stream_drain(stream.get(), onDrained, &drained));
    if (!drain)
        return;
    const auto bytesPerSecond = std::int64_t(sound.rate) * sound.channels * (sound.bits / 8);
    const auto length = std::chrono::milliseconds(sound.samples.size() * 1000 / bytesPerSecond);
    runUntil(loop.get(), Clock::now() + length + 3s,
             [&] { return drained || pa_stream_get_state(stream.get()) != PA_STREAM_READY; });
}

#endif

} // namespace

QByteArray resourceSound(const QString &name)
{
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_]+$"));
    if (!plainName.match(name).hasMatch())
        return {};
    QFile f(QStringLiteral(":/sounds/%1.wav").arg(name.toLower()));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void PlayResourceSound(const QString &name, std::optional<int>)
{
    const QByteArray wave = resourceSound(name);
    const std::optional<PcmSound> sound = parseWave(wave);
    if (!sound)
        return;
#ifdef TAVELON_HAVE_PULSE
    playPcm(*sound);
#endif
}

} // namespace tavelon
