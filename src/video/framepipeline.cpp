#include "video/framepipeline.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "video/ffmpegptr.h"

extern "C" {
#include <libavutil/opt.h>
}

#include "video/avifile.h"
#include "image/bmpformat.h"
#include "image/yuvconvert.h"

namespace tavelon {

namespace {

constexpr int kMaxFrameSide = 16384;
constexpr int kEncoderThreads = 2;
// From this many rows on, bgr24ToYuv420pFull() gives swscale's values (within one step); on
// shorter frames swscale filters chroma differently at the edges.
constexpr int kOwnConverterMinRows = 8;

int code(AviError e)
{
    return static_cast<int>(e);
}

// Pixel format each encoder gets. The lossless ones take RGB, so they stay lossless and take any
// frame size; the others take YUV 4:2:0, whose chroma needs even sizes (see padding below).
AVPixelFormat encoderPixelFormat(const QString &id)
{
    if (id == QLatin1String("ffv1"))
        return AV_PIX_FMT_BGR0;
    if (id == QLatin1String("huffyuv"))
        return AV_PIX_FMT_RGB24;
    return AV_PIX_FMT_YUV420P;
}

FramePipeline::Result failure(AviError e, const QString &text)
{
    return {nullptr, code(e), text};
}

// A same-size converter from the DIB's pixels to the encoder's. Full-range output is asked for
// through the context's options: sws_setColorspaceDetails does not change the range of an RGB
// to YUV conversion, and the yuvj formats are deprecated.
SwsContextPtr makeConverter(int width, int height, AVPixelFormat from, AVPixelFormat to, bool fullRange)
{
    SwsContextPtr sws(sws_alloc_context());
    if (!sws)
        return sws;
    av_opt_set_int(sws.get(), "srcw", width, 0);
    av_opt_set_int(sws.get(), "srch", height, 0);
    av_opt_set_int(sws.get(), "dstw", width, 0);
    av_opt_set_int(sws.get(), "dsth", height, 0);
    av_opt_set_int(sws.get(), "src_format", from, 0);
    av_opt_set_int(sws.get(), "dst_format", to, 0);
    av_opt_set_int(sws.get(), "sws_flags", SWS_BILINEAR, 0);
    av_opt_set_int(sws.get(), "src_range", 1, 0);
    av_opt_set_int(sws.get(), "dst_range", fullRange ? 1 : 0, 0);
    if (sws_init_context(sws.get(), nullptr, nullptr) < 0)
        sws.reset();
    return sws;
}

} // namespace

std::optional<FrameFormat> frameFormatFromBitmapInfo(const void *format, std::int64_t size)
{
    if (!format || size < kBmpInfoHeaderSize)
        return std::nullopt;
    const BitmapInfoHeader h = readInfoHeader(static_cast<const std::uint8_t *>(format));
    if (h.size < kBmpInfoHeaderSize || h.size > size || h.compression != kBiRgb ||
        (h.bitCount != 24 && h.bitCount != 32))
        return std::nullopt;
    if (h.width <= 0 || h.width > kMaxFrameSide || h.height == 0 || h.height < -kMaxFrameSide ||
        h.height > kMaxFrameSide)
        return std::nullopt;
    FrameFormat f;
    f.width = h.width;
    f.height = h.height > 0 ? h.height : -h.height;
    f.bottomUp = h.height > 0;
    f.bitCount = h.bitCount;
    f.stride = dibStride(f.width, f.bitCount);
    f.imageSize = f.stride * f.height;
    return f;
}

struct FramePipeline::Codec
{
    AVPacketPtr packet;
    AVCodecContextPtr context; // null: frames are stored as they are
    SwsContextPtr sws;         // null when bgr24ToYuv420pFull() converts
    // Encoders with frame threads keep references to frames they were given; a small ring lets
    // the next frame be converted without waiting or copying.
    std::array<AVFramePtr, 3> frames;
    int nextFrame = 0;
    int frameQuality = 0; // lambda given with every frame when the quantiser is fixed
};

FramePipeline::FramePipeline(AVFormatContext *ctx, AVStream *st, const FrameFormat &format)
    : m_ctx(ctx), m_st(st), m_format(format), m_codec(std::make_unique<Codec>())
{}

FramePipeline::~FramePipeline()
{
    finish();
}

FramePipeline::Result FramePipeline::create(AVFormatContext *ctx, AVStream *st, int timeBaseNum,
                                            int timeBaseDen, const FrameFormat &format,
                                            const CompressorInfo *compressor, const CompressOptions &options)
{
    std::unique_ptr<FramePipeline> p(new FramePipeline(ctx, st, format));
    p->m_timeBaseNum = timeBaseNum;
    p->m_timeBaseDen = timeBaseDen;
    Codec &c = *p->m_codec;
    c.packet.reset(av_packet_alloc());
    if (!c.packet)
        return failure(AviError::CodecOpenFailed, ffmpegErrorText("allocating a packet", AVERROR(ENOMEM)));
    AVCodecParameters *par = st->codecpar;
    if (!compressor || compressor->encoder.isEmpty()) {
        // Stored frames: BI_RGB rows as the DIB holds them. The muxer option flipped_raw_rgb
        // (set by the caller) declares them bottom-up, as AVI players expect.
        par->codec_type = AVMEDIA_TYPE_VIDEO;
        par->codec_id = AV_CODEC_ID_RAWVIDEO;
        par->codec_tag = 0;
        par->width = format.width;
        par->height = format.height;
        par->format = format.bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
        par->bits_per_coded_sample = format.bitCount;
        if (!p->allocateSamples())
            return failure(AviError::CodecOpenFailed,
                           ffmpegErrorText("allocating frame buffers", AVERROR(ENOMEM)));
        return {std::move(p), 0, {}};
    }

    const QString &id = compressor->id;
    const AVCodec *encoder = avcodec_find_encoder_by_name(compressor->encoder.toLatin1().constData());
    c.context.reset(encoder ? avcodec_alloc_context3(encoder) : nullptr);
    if (!c.context)
        return failure(AviError::CompressorUnavailable,
                       QStringLiteral("no encoder %1").arg(compressor->encoder));
    AVCodecContext *e = c.context.get();
    const AVPixelFormat pixelFormat = encoderPixelFormat(id);
    // 4:2:0 needs even sizes: odd frames are padded by one column or row repeating the last one
    // (the video is then one pixel wider or taller) rather than losing a pixel or switching to a
    // chroma format fewer players know. The padding is made while a sample is copied into the
    // pool, so the converter sees an even frame.
    const bool halfChroma = pixelFormat == AV_PIX_FMT_YUV420P;
    p->m_padRight = halfChroma && (format.width & 1);
    p->m_padBottom = halfChroma && (format.height & 1);
    const int width = format.width + (p->m_padRight ? 1 : 0);
    const int height = format.height + (p->m_padBottom ? 1 : 0);
    e->width = width;
    e->height = height;
    e->pix_fmt = pixelFormat;
    e->time_base = AVRational{timeBaseNum, timeBaseDen};
    e->framerate = AVRational{timeBaseDen, timeBaseNum};
    e->thread_count = kEncoderThreads;
    if (ctx->oformat->flags & AVFMT_GLOBALHEADER)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (compressor->hasKeyFrames && options.keyFrameEvery > 0)
        e->gop_size = options.keyFrameEvery;
    const bool byDataRate = compressor->hasDataRate && options.dataRateKbps > 0;
    if (byDataRate)
        e->bit_rate = std::int64_t(options.dataRateKbps) * 1000;

    if (id == QLatin1String("mjpeg") || id == QLatin1String("mpeg4")) {
        if (id == QLatin1String("mjpeg"))
            e->color_range = AVCOL_RANGE_JPEG; // full-range YUV, as JPEG defines it
        if (!byDataRate) {
            // mpegvideo encoders take the fixed quantiser from each frame's quality.
            e->flags |= AV_CODEC_FLAG_QSCALE;
            e->global_quality = FF_QP2LAMBDA * qscaleForQuality(options.quality);
            c.frameQuality = e->global_quality;
        }
    } else if (id == QLatin1String("h264")) {
        // AVI keeps no presentation times, so no B-frames.
        e->max_b_frames = 0;
        av_opt_set(e->priv_data, "preset", "veryfast", 0);
        if (!byDataRate)
            av_opt_set_double(e->priv_data, "crf", crfForQuality(options.quality), 0);
    } else if (id == QLatin1String("ffv1")) {
        e->level = 3; // version 3 codes slices, which the second thread works on
    }

    int ret = avcodec_open2(e, encoder, nullptr);
    if (ret < 0)
        return failure(AviError::CodecOpenFailed, ffmpegErrorText("opening the encoder", ret));
    ret = avcodec_parameters_from_context(par, e);
    if (ret < 0)
        return failure(AviError::CodecOpenFailed, ffmpegErrorText("copying the encoder parameters", ret));
    if (id == QLatin1String("mpeg4"))
        par->codec_tag = MKTAG('X', 'V', 'I', 'D'); // the tag most players map to MPEG-4 Part 2

    const AVPixelFormat source = format.bitCount == 32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    const bool fullRange = e->color_range == AVCOL_RANGE_JPEG;
    // swscale's generic path for full-range output costs several times our own loop.
    const bool ownConverter = source == AV_PIX_FMT_BGR24 && pixelFormat == AV_PIX_FMT_YUV420P && fullRange &&
                              height >= kOwnConverterMinRows;
    if (!ownConverter)
        c.sws = makeConverter(width, height, source, pixelFormat, fullRange);
    if (!ownConverter && !c.sws)
        return failure(AviError::CodecOpenFailed, QStringLiteral("creating the pixel converter failed"));
    // Frames that need no padding are converted as they are handed over, straight from the
    // caller's rows.
    p->m_convertOnWrite = ownConverter && !p->m_padRight && !p->m_padBottom;
    // The frames the encoder is given: one per pool sample when write() converts, else a ring the
    // worker converts into.
    const auto encoderFrame = [&] {
        AVFramePtr frame(av_frame_alloc());
        if (frame) {
            frame->format = pixelFormat;
            frame->width = e->width;
            frame->height = e->height;
            frame->color_range = e->color_range;
            if (av_frame_get_buffer(frame.get(), 0) < 0)
                frame.reset();
        }
        return frame;
    };
    if (p->m_convertOnWrite) {
        for (Sample &sample : p->m_samples) {
            sample.frame = encoderFrame();
            if (!sample.frame)
                return failure(AviError::CodecOpenFailed,
                               ffmpegErrorText("allocating a frame", AVERROR(ENOMEM)));
        }
    } else {
        for (AVFramePtr &frame : c.frames) {
            frame = encoderFrame();
            if (!frame)
                return failure(AviError::CodecOpenFailed,
                               ffmpegErrorText("allocating a frame", AVERROR(ENOMEM)));
        }
    }
    if (!p->allocateSamples())
        return failure(AviError::CodecOpenFailed,
                       ffmpegErrorText("allocating frame buffers", AVERROR(ENOMEM)));
    return {std::move(p), 0, {}};
}

bool FramePipeline::allocateSamples()
{
    m_sampleWidth = m_format.width + (m_padRight ? 1 : 0);
    m_sampleHeight = m_format.height + (m_padBottom ? 1 : 0);
    m_sampleStride = dibStride(m_sampleWidth, m_format.bitCount);
    try {
        for (int i = 0; i < kSamples; ++i) {
            Sample &s = m_samples[std::size_t(i)];
            if (!s.frame)
                s.bytes.resize(std::size_t(m_sampleStride * m_sampleHeight));
            m_free.push_back(i);
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

bool FramePipeline::start()
{
    try {
        m_thread = std::thread(&FramePipeline::run, this);
    } catch (const std::system_error &) {
        fail(code(AviError::EncodeFailed), QStringLiteral("starting the encoder thread failed"));
        return false;
    }
    return true;
}

int FramePipeline::fail(int errorCode, const QString &text)
{
    std::lock_guard lock(m_mutex);
    if (m_error == 0) {
        m_error = errorCode;
        m_errorText = text;
    }
    m_changed.notify_all();
    return m_error;
}

int FramePipeline::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

QString FramePipeline::errorText() const
{
    std::lock_guard lock(m_mutex);
    return m_errorText;
}

int FramePipeline::write(std::int64_t position, const void *data, std::int64_t size, bool keyFrame)
{
    if (!data || size < m_format.imageSize)
        return code(AviError::BadArgument);
    if (position <= m_lastPosition)
        return code(AviError::BadPosition);
    int slot = -1;
    {
        std::unique_lock lock(m_mutex);
        if (!m_thread.joinable() || m_finishing)
            return code(AviError::Released);
        m_changed.wait(lock, [this] { return !m_free.empty() || m_error != 0; });
        if (m_error != 0)
            return m_error;
        slot = m_free.front();
        m_free.pop_front();
    }
    // The slot is ours until it is queued.
    Sample &s = m_samples[std::size_t(slot)];
    const auto *src = static_cast<const std::uint8_t *>(data);
    if (s.frame) {
        // The encoder may still hold the frame it was given last from this slot; then it gets
        // fresh buffers.
        const int ret = av_frame_make_writable(s.frame.get());
        if (ret < 0) {
            const int failed = fail(code(AviError::EncodeFailed), ffmpegErrorText("preparing a frame", ret));
            std::lock_guard lock(m_mutex);
            m_free.push_back(slot);
            return failed;
        }
        // A bottom-up DIB is read from its last row with a negative stride.
        const std::uint8_t *top = m_format.bottomUp ? src + (m_format.height - 1) * m_format.stride : src;
        const std::ptrdiff_t stride = m_format.bottomUp ? -m_format.stride : m_format.stride;
        bgr24ToYuv420pFull(top, stride, m_format.width, m_format.height, s.frame->data, s.frame->linesize);
    } else {
        // The rows bottom-up, as stored frames must be, padded where the encoder needs even
        // sizes; the worker's converter reads them from the last row.
        const int pixelBytes = m_format.bitCount / 8;
        const std::size_t rowBytes = std::size_t(m_format.width) * pixelBytes;
        for (int y = 0; y < m_sampleHeight; ++y) {
            const int imageRow = std::min(y, m_format.height - 1);
            const int srcRow = m_format.bottomUp ? m_format.height - 1 - imageRow : imageRow;
            std::uint8_t *dst = s.bytes.data() + (m_sampleHeight - 1 - y) * m_sampleStride;
            std::memcpy(dst, src + srcRow * m_format.stride, rowBytes);
            if (m_padRight)
                std::memcpy(dst + rowBytes, dst + rowBytes - pixelBytes, std::size_t(pixelBytes));
        }
    }
    s.position = position;
    s.keyFrame = keyFrame;
    m_lastPosition = position;
    std::lock_guard lock(m_mutex);
    m_ready.push_back(slot);
    m_changed.notify_all();
    return m_error;
}

int FramePipeline::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
    return error();
}

void FramePipeline::run()
{
    for (;;) {
        int slot = -1;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_ready.empty() || m_finishing; });
            if (m_ready.empty())
                break;
            slot = m_ready.front();
            m_ready.pop_front();
        }
        // After a failure the queue is only emptied, so that writers never wait for ever.
        if (error() == 0) {
            if (m_codec->context)
                encodeFrame(m_samples[slot]);
            else
                storeFrame(m_samples[slot]);
        }
        std::lock_guard lock(m_mutex);
        m_free.push_back(slot);
        m_changed.notify_all();
    }
    if (m_codec->context && error() == 0)
        drainEncoder(true);
}

int FramePipeline::storeFrame(const Sample &sample)
{
    AVPacket *pkt = m_codec->packet.get();
    av_packet_unref(pkt);
    // Not reference-counted: av_write_frame writes the bytes straight from the pool buffer.
    pkt->data = const_cast<std::uint8_t *>(sample.bytes.data());
    pkt->size = int(m_format.imageSize);
    pkt->stream_index = m_st->index;
    // Sample positions count in the stream header's scale / rate; the muxer may have chosen
    // another time base for the stream when it wrote the header.
    const AVRational samples{m_timeBaseNum, m_timeBaseDen};
    pkt->pts = pkt->dts = av_rescale_q(sample.position, samples, m_st->time_base);
    pkt->duration = av_rescale_q(1, samples, m_st->time_base);
    if (sample.keyFrame)
        pkt->flags |= AV_PKT_FLAG_KEY;
    const int ret = av_write_frame(m_ctx, pkt);
    pkt->data = nullptr;
    pkt->size = 0;
    if (ret < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing a frame", ret));
    if (m_ctx->pb && m_ctx->pb->error < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing a frame", m_ctx->pb->error));
    return 0;
}

int FramePipeline::encodeFrame(const Sample &sample)
{
    Codec &c = *m_codec;
    AVFrame *frame = sample.frame.get();
    if (!frame) {
        frame = c.frames[std::size_t(c.nextFrame)].get();
        c.nextFrame = (c.nextFrame + 1) % int(c.frames.size());
        const int ret = av_frame_make_writable(frame);
        if (ret < 0)
            return fail(code(AviError::EncodeFailed), ffmpegErrorText("preparing a frame", ret));
        // The bottom-up sample is read from its last row with a negative stride: flipped without
        // a copy.
        const std::uint8_t *srcData[4] = {sample.bytes.data() + (m_sampleHeight - 1) * m_sampleStride,
                                          nullptr, nullptr, nullptr};
        const int srcStride[4] = {-int(m_sampleStride), 0, 0, 0};
        if (c.sws)
            sws_scale(c.sws.get(), srcData, srcStride, 0, m_sampleHeight, frame->data, frame->linesize);
        else
            bgr24ToYuv420pFull(srcData[0], srcStride[0], m_sampleWidth, m_sampleHeight, frame->data,
                               frame->linesize);
    }
    // The encoder's time base is the stream header's scale / rate, so the position is the pts.
    frame->pts = sample.position;
    frame->quality = c.frameQuality;
    frame->pict_type = AV_PICTURE_TYPE_NONE;
    const int ret = avcodec_send_frame(c.context.get(), frame);
    if (ret < 0)
        return fail(code(AviError::EncodeFailed), ffmpegErrorText("encoding a frame", ret));
    return drainEncoder(false);
}

// Takes every packet the encoder has ready (all of them, after the end-of-stream frame when
// flush is true) and writes it.
int FramePipeline::drainEncoder(bool flush)
{
    AVCodecContext *e = m_codec->context.get();
    if (flush) {
        const int ret = avcodec_send_frame(e, nullptr);
        if (ret < 0 && ret != AVERROR_EOF)
            return fail(code(AviError::EncodeFailed), ffmpegErrorText("flushing the encoder", ret));
    }
    for (;;) {
        const int ret = avcodec_receive_packet(e, m_codec->packet.get());
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return 0;
        if (ret < 0)
            return fail(code(AviError::EncodeFailed), ffmpegErrorText("encoding a frame", ret));
        const int written = writePacket();
        if (written != 0)
            return written;
    }
}

int FramePipeline::writePacket()
{
    AVPacket *pkt = m_codec->packet.get();
    // Packets come in the encoder's time base; the stream's may differ after the header.
    av_packet_rescale_ts(pkt, m_codec->context->time_base, m_st->time_base);
    pkt->stream_index = m_st->index;
    // One stream: nothing to interleave, so packets go straight to the muxer.
    const int ret = av_write_frame(m_ctx, pkt);
    av_packet_unref(pkt);
    if (ret < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing a frame", ret));
    if (m_ctx->pb && m_ctx->pb->error < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing a frame", m_ctx->pb->error));
    return 0;
}

} // namespace tavelon
