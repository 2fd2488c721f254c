#include "video/soundtrack.h"

#include <algorithm>

#include <QFileInfo>
#include <QRegularExpression>

#include "video/ffmpegptr.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace tavelon {

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr std::int64_t kBitRate = 192000;
constexpr AVSampleFormat kSampleFormat = AV_SAMPLE_FMT_FLTP; // both encoders take float planes

struct SwrContextDeleter
{
    void operator()(SwrContext *ctx) const { swr_free(&ctx); }
};

struct AVAudioFifoDeleter
{
    void operator()(AVAudioFifo *fifo) const { av_audio_fifo_free(fifo); }
};

struct InputContextDeleter
{
    void operator()(AVFormatContext *ctx) const { avformat_close_input(&ctx); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;

// "http://…", "concat:…", "pipe:1": FFmpeg would take the part before the colon as a protocol. Two
// letters at least, so that a drive letter is no scheme.
bool hasScheme(const QString &path)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(path).hasMatch();
}

} // namespace

struct Soundtrack::State
{
    InputContextPtr input;
    AVCodecContextPtr decoder;
    int audioIndex = -1;
    std::unique_ptr<SwrContext, SwrContextDeleter> resampler;
    std::unique_ptr<AVAudioFifo, AVAudioFifoDeleter> queue;
    AVPacketPtr packet;
    AVFramePtr decoded;
    bool inputEnded = false;

    AVFormatContext *output = nullptr;
    AVStream *stream = nullptr;
    AVCodecContextPtr encoder;
    std::int64_t totalSamples = 0;   // the video's length in samples
    std::int64_t writtenSamples = 0; // samples handed to the encoder so far
    QString errorText;
};

Soundtrack::Soundtrack() : m_state(std::make_unique<State>()) {}

Soundtrack::~Soundtrack() = default;

SoundtrackProblem checkSoundtrack(const QString &path)
{
    SoundtrackProblem problem = SoundtrackProblem::None;
    Soundtrack::open(path, problem);
    return problem;
}

std::unique_ptr<Soundtrack> Soundtrack::open(const QString &path, SoundtrackProblem &problem)
{
    const QFileInfo info(path);
    if (hasScheme(path) || (info.exists() && !info.isFile())) {
        problem = SoundtrackProblem::NotLocalFile;
        return nullptr;
    }
    problem = SoundtrackProblem::Unreadable;
    if (!info.isReadable())
        return nullptr;
    std::unique_ptr<Soundtrack> track(new Soundtrack);
    State &s = *track->m_state;
    // The file protocol and nothing else, also for what a playlist or concat script inside names.
    AVDictionaryHolder options;
    av_dict_set(options.slot(), "protocol_whitelist", "file", 0);
    const QByteArray url = QByteArrayLiteral("file:") + QFile::encodeName(info.absoluteFilePath());
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, url.constData(), nullptr, options.slot()) < 0)
        return nullptr;
    s.input.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return nullptr;
    problem = SoundtrackProblem::NoAudio;
    const AVCodec *codec = nullptr;
    s.audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (s.audioIndex < 0 || !codec)
        return nullptr;
    s.decoder.reset(avcodec_alloc_context3(codec));
    if (!s.decoder ||
        avcodec_parameters_to_context(s.decoder.get(), raw->streams[s.audioIndex]->codecpar) < 0 ||
        avcodec_open2(s.decoder.get(), codec, nullptr) < 0)
        return nullptr;
    // Files that give only a channel count (some WAVE files) get the usual layout for it.
    if (s.decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&s.decoder->ch_layout, s.decoder->ch_layout.nb_channels);
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, kChannels);
    SwrContext *swr = nullptr;
    if (swr_alloc_set_opts2(&swr, &stereo, kSampleFormat, kSampleRate, &s.decoder->ch_layout,
                            s.decoder->sample_fmt, s.decoder->sample_rate, 0, nullptr) < 0)
        return nullptr;
    s.resampler.reset(swr);
    s.queue.reset(av_audio_fifo_alloc(kSampleFormat, kChannels, kSampleRate));
    s.packet.reset(av_packet_alloc());
    s.decoded.reset(av_frame_alloc());
    if (swr_init(swr) < 0 || !s.queue || !s.packet || !s.decoded)
        return nullptr;
    problem = SoundtrackProblem::None;
    return track;
}

int Soundtrack::addStream(AVFormatContext *ctx, Container container, std::int64_t durationNum,
                          std::int64_t durationDen)
{
    State &s = *m_state;
    const AVCodec *codec = container == Container::Mp4 ? avcodec_find_encoder(AV_CODEC_ID_AAC)
                                                       : avcodec_find_encoder_by_name("libmp3lame");
    s.encoder.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!s.encoder)
        return fail("finding the audio encoder", AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext *e = s.encoder.get();
    av_channel_layout_default(&e->ch_layout, kChannels);
    e->sample_rate = kSampleRate;
    e->sample_fmt = kSampleFormat;
    e->bit_rate = kBitRate;
    e->time_base = AVRational{1, kSampleRate};
    if (ctx->oformat->flags & AVFMT_GLOBALHEADER)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int ret = avcodec_open2(e, codec, nullptr);
    if (ret < 0)
        return fail("opening the audio encoder", ret);
    s.stream = avformat_new_stream(ctx, nullptr);
    if (!s.stream)
        return fail("creating the audio stream", AVERROR(ENOMEM));
    ret = avcodec_parameters_from_context(s.stream->codecpar, e);
    if (ret < 0)
        return fail("copying the audio encoder parameters", ret);
    s.stream->time_base = e->time_base;
    s.output = ctx;
    s.totalSamples = av_rescale(durationNum, kSampleRate, std::max<std::int64_t>(durationDen, 1));
    return 0;
}

int Soundtrack::writeUntil(double seconds)
{
    const State &s = *m_state;
    const std::int64_t target = std::min(s.totalSamples, std::int64_t(seconds * kSampleRate));
    while (m_state->writtenSamples < target) {
        if (const int ret = encodeNextFrame(); ret < 0)
            return ret;
    }
    return 0;
}

int Soundtrack::finish()
{
    if (const int ret = writeUntil(double(m_state->totalSamples) / kSampleRate); ret < 0)
        return ret;
    const int ret = avcodec_send_frame(m_state->encoder.get(), nullptr);
    if (ret < 0 && ret != AVERROR_EOF)
        return fail("flushing the audio encoder", ret);
    return writePackets(true);
}

QString Soundtrack::errorText() const
{
    return m_state->errorText;
}

int Soundtrack::fail(const char *step, int code)
{
    if (m_state->errorText.isEmpty())
        m_state->errorText = ffmpegErrorText(step, code);
    return code;
}

// One encoder frame of the track: the file's samples while they last, then silence; the last
// second fades out linearly to nothing at the video's end.
int Soundtrack::encodeNextFrame()
{
    State &s = *m_state;
    AVCodecContext *e = s.encoder.get();
    const bool smallLast = e->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE ||
                           e->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    const int frameSize = e->frame_size > 0 ? e->frame_size : 1152;
    const std::int64_t left = s.totalSamples - s.writtenSamples;
    const int count = smallLast ? int(std::min<std::int64_t>(frameSize, left)) : frameSize;
    while (!s.inputEnded && av_audio_fifo_size(s.queue.get()) < count) {
        if (const int ret = readIntoQueue(); ret < 0)
            return ret;
    }
    AVFramePtr frame(av_frame_alloc());
    if (!frame)
        return fail("allocating an audio frame", AVERROR(ENOMEM));
    frame->nb_samples = count;
    frame->format = kSampleFormat;
    frame->sample_rate = kSampleRate;
    av_channel_layout_copy(&frame->ch_layout, &e->ch_layout);
    if (const int ret = av_frame_get_buffer(frame.get(), 0); ret < 0)
        return fail("allocating an audio frame", ret);
    av_samples_set_silence(frame->extended_data, 0, count, kChannels, kSampleFormat);
    av_audio_fifo_read(s.queue.get(), reinterpret_cast<void **>(frame->extended_data), count);
    for (int i = 0; i < count; ++i) {
        const std::int64_t untilEnd = s.totalSamples - (s.writtenSamples + i);
        const float gain =
            untilEnd >= kSampleRate ? 1.0f : float(std::max<std::int64_t>(untilEnd, 0)) / kSampleRate;
        for (int c = 0; c < kChannels; ++c)
            reinterpret_cast<float *>(frame->extended_data[c])[i] *= gain;
    }
    frame->pts = s.writtenSamples;
    s.writtenSamples += count;
    if (const int ret = avcodec_send_frame(e, frame.get()); ret < 0)
        return fail("encoding the audio", ret);
    return writePackets(false);
}

// Decodes the file's next packet of the audio stream into the queue; at the file's end the
// decoder and the resampler hand over what they hold.
int Soundtrack::readIntoQueue()
{
    State &s = *m_state;
    int ret = av_read_frame(s.input.get(), s.packet.get());
    if (ret == AVERROR_EOF) {
        s.inputEnded = true;
        avcodec_send_packet(s.decoder.get(), nullptr);
    } else if (ret < 0) {
        return fail("reading the audio file", ret);
    } else {
        const bool audio = s.packet->stream_index == s.audioIndex;
        // A damaged packet is left out: the track goes on with the next one.
        ret = audio ? avcodec_send_packet(s.decoder.get(), s.packet.get()) : 0;
        av_packet_unref(s.packet.get());
        if (ret < 0 && ret != AVERROR_INVALIDDATA)
            return fail("decoding the audio", ret);
    }
    for (;;) {
        ret = avcodec_receive_frame(s.decoder.get(), s.decoded.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            break;
        if (ret < 0 && ret != AVERROR_INVALIDDATA)
            return fail("decoding the audio", ret);
        if (ret >= 0) {
            ret = convert(s.decoded.get());
            av_frame_unref(s.decoded.get());
            if (ret < 0)
                return ret;
        }
    }
    return s.inputEnded ? convert(nullptr) : 0;
}

// Resamples decoded (null: what the resampler still holds) into the queue.
int Soundtrack::convert(const AVFrame *decoded)
{
    State &s = *m_state;
    const int inSamples = decoded ? decoded->nb_samples : 0;
    const int outSamples = swr_get_out_samples(s.resampler.get(), inSamples);
    if (outSamples <= 0)
        return 0;
    std::uint8_t **planes = nullptr;
    int ret = av_samples_alloc_array_and_samples(&planes, nullptr, kChannels, outSamples, kSampleFormat, 0);
    if (ret < 0)
        return fail("allocating audio samples", ret);
    ret =
        swr_convert(s.resampler.get(), planes, outSamples,
                    decoded ? const_cast<const std::uint8_t **>(decoded->extended_data) : nullptr, inSamples);
    if (ret > 0 && av_audio_fifo_write(s.queue.get(), reinterpret_cast<void **>(planes), ret) < ret)
        ret = AVERROR(ENOMEM);
    av_freep(&planes[0]);
    av_freep(&planes);
    return ret < 0 ? fail("resampling the audio", ret) : 0;
}

int Soundtrack::writePackets(bool flush)
{
    State &s = *m_state;
    for (;;) {
        int ret = avcodec_receive_packet(s.encoder.get(), s.packet.get());
        if (ret == AVERROR(EAGAIN) || (flush && ret == AVERROR_EOF))
            return 0;
        if (ret < 0)
            return fail("encoding the audio", ret);
        av_packet_rescale_ts(s.packet.get(), s.encoder->time_base, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        ret = av_write_frame(s.output, s.packet.get());
        av_packet_unref(s.packet.get());
        if (ret < 0)
            return fail("writing the audio", ret);
    }
}

} // namespace tavelon
