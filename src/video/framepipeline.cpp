#include "video/framepipeline.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <QtConcurrent/QtConcurrentRun>

#include "video/ffmpegptr.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "video/avifile.h"
#include "video/soundtrack.h"
#include "video/mpeg4colours.h"
#include "form/videoboxes.h"
#include "image/bmpformat.h"
#include "image/yuvframe.h"
#include "image/yuvconvert.h"

namespace tavelon {

namespace {

constexpr int kEncoderThreads = 2;
// From this many rows on, bgr24ToYuv420p() gives swscale's values (within one step); on
// shorter frames swscale filters chroma differently at the edges.
constexpr int kOwnConverterMinRows = 8;

AVPixelFormat encoderPixelFormat(CodedPixels pixels)
{
    switch (pixels) {
    case CodedPixels::Bgr0:
        return AV_PIX_FMT_BGR0;
    case CodedPixels::Rgb24:
        return AV_PIX_FMT_RGB24;
    case CodedPixels::StoredDib:
    case CodedPixels::Yuv420Full:
    case CodedPixels::Yuv420:
        break;
    }
    return AV_PIX_FMT_YUV420P;
}

// A same-size converter from the DIB's pixels to the encoder's. Full-range output is asked for
// through the context's options: sws_setColorspaceDetails does not change the range of an RGB
// to YUV conversion, and the yuvj formats are deprecated.
SwsContextPtr makeConverter(int width, int height, AVPixelFormat from, AVPixelFormat to, bool fullRange,
                            AVColorSpace matrix)
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
    av_opt_set_int(sws.get(), "sws_flags", SWS_BILINEAR | SWS_ACCURATE_RND, 0);
    av_opt_set_int(sws.get(), "src_range", 1, 0);
    av_opt_set_int(sws.get(), "dst_range", fullRange ? 1 : 0, 0);
    if (sws_init_context(sws.get(), nullptr, nullptr) < 0) {
        sws.reset();
        return sws;
    }
    // The matrix is set once the context exists, with the ranges it was made with.
    const int *coefficients = sws_getCoefficients(matrix == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
    if (sws_setColorspaceDetails(sws.get(), coefficients, 1, coefficients, fullRange ? 1 : 0, 0, 1 << 16,
                                 1 << 16) < 0)
        sws.reset();
    return sws;
}

// The colour description of a YCbCr video: the matrix its frames are converted with, their range,
// and the primaries and transfer of the standard its size belongs to. Frames coded in full range
// (Motion JPEG) are BT.601 at every size, as JPEG defines its YCbCr.
void describeColours(AVCodecContext *e, ColourStandard standard, bool fullRange)
{
    switch (standard) {
    case ColourStandard::Bt709:
        e->color_primaries = AVCOL_PRI_BT709;
        e->color_trc = AVCOL_TRC_BT709;
        e->colorspace = fullRange ? AVCOL_SPC_BT470BG : AVCOL_SPC_BT709;
        break;
    case ColourStandard::Bt601Ntsc:
        e->color_primaries = AVCOL_PRI_SMPTE170M;
        e->color_trc = AVCOL_TRC_SMPTE170M;
        e->colorspace = AVCOL_SPC_SMPTE170M;
        break;
    case ColourStandard::Bt601Pal:
        // BT.601 gives 625-line video the transfer of SMPTE 170M; BT.470's gamma 2.8 is a nominal
        // value no camera follows.
        e->color_primaries = AVCOL_PRI_BT470BG;
        e->color_trc = AVCOL_TRC_SMPTE170M;
        e->colorspace = AVCOL_SPC_BT470BG;
        break;
    }
    e->color_range = fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
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
    SwsContextPtr sws;         // null when bgr24ToYuv420p() converts
    YuvWeights weights{};      // its weights
    // The weights that convert a JPEG's full-range samples for a video-range video.
    std::optional<VideoRangeWeights> videoRange;
    // Encoders with frame threads keep references to frames they were given; a small ring lets
    // the next frame be converted without waiting or copying.
    std::array<AVFramePtr, 3> frames;
    int nextFrame = 0;
    int frameQuality = 0; // lambda given with every frame when the quantiser is fixed
    // The colours MPEG-4 key frames get written into their headers; none for other encoders.
    std::optional<ColourDescription> mpeg4Colours;
};

FramePipeline::FramePipeline(AVFormatContext *ctx, AVStream *st, const StreamSetup &setup)
    : m_ctx(ctx), m_st(st), m_format(setup.format), m_timeBaseNum(setup.timeBaseNum),
      m_timeBaseDen(setup.timeBaseDen), m_pixelAspect(setup.pixelAspect), m_soundtrack(setup.soundtrack),
      m_codec(std::make_unique<Codec>())
{}

FramePipeline::~FramePipeline()
{
    finish();
}

FramePipeline::Result FramePipeline::create(AVFormatContext *ctx, AVStream *st, const StreamSetup &setup)
{
    std::unique_ptr<FramePipeline> p(new FramePipeline(ctx, st, setup));
    p->m_codec->packet.reset(av_packet_alloc());
    if (!p->m_codec->packet) {
        p->fail(code(AviError::CodecOpenFailed), ffmpegErrorText("allocating a packet", AVERROR(ENOMEM)));
    } else if (setup.compressor.isStored()) {
        if (p->describeStoredFrames())
            p->allocateSamples();
    } else if (p->configureEncoder(setup.compressor, setup.options) && p->chooseConverter() &&
               p->allocateFrames()) {
        p->allocateSamples();
    }
    if (p->error() != 0)
        return {nullptr, p->error(), p->errorText()};
    return {std::move(p), 0, {}};
}

bool FramePipeline::describeStoredFrames()
{
    // BI_RGB rows as the DIB holds them. The muxer option flipped_raw_rgb (set by the caller)
    // declares them bottom-up, as AVI players expect.
    AVCodecParameters *par = m_st->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_RAWVIDEO;
    par->codec_tag = 0;
    par->width = m_format.width;
    par->height = m_format.height;
    par->format = m_format.bitCount == 32 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    par->bits_per_coded_sample = m_format.bitCount;
    if (!m_pixelAspect.isSquare())
        par->sample_aspect_ratio = AVRational{m_pixelAspect.num, m_pixelAspect.den};
    return true;
}

bool FramePipeline::configureEncoder(const CompressorInfo &compressor, const CompressOptions &options)
{
    const AVCodec *encoder = avcodec_find_encoder_by_name(compressor.encoder);
    m_codec->context.reset(encoder ? avcodec_alloc_context3(encoder) : nullptr);
    if (!m_codec->context) {
        fail(code(AviError::CompressorUnavailable),
             QStringLiteral("no encoder %1").arg(QLatin1String(compressor.encoder)));
        return false;
    }
    describePictures(compressor);
    chooseRateControl(compressor, options);
    return openEncoder(encoder, compressor) && describeStream(compressor);
}

void FramePipeline::describePictures(const CompressorInfo &compressor)
{
    AVCodecContext *e = m_codec->context.get();
    const AVPixelFormat pixelFormat = encoderPixelFormat(compressor.pixels);
    // 4:2:0 needs even sizes: odd frames are padded by one column or row repeating the last one
    // (the video is then one pixel wider or taller) rather than losing a pixel or switching to a
    // chroma format fewer players know. The padding is made while a sample is copied into the
    // pool, so the converter sees an even frame.
    const bool halfChroma = pixelFormat == AV_PIX_FMT_YUV420P;
    m_padRight = halfChroma && (m_format.width & 1);
    m_padBottom = halfChroma && (m_format.height & 1);
    e->width = m_format.width + (m_padRight ? 1 : 0);
    e->height = m_format.height + (m_padBottom ? 1 : 0);
    e->pix_fmt = pixelFormat;
    if (halfChroma)
        describeColours(e, colourStandardFor(QSize(m_format.width, m_format.height)),
                        compressor.pixels == CodedPixels::Yuv420Full);
    e->time_base = AVRational{m_timeBaseNum, m_timeBaseDen};
    e->framerate = AVRational{m_timeBaseDen, m_timeBaseNum};
    // The codec's own aspect field (H.264 VUI, MPEG-4 VOL, JFIF density), copied to the stream's
    // parameters by describeStream().
    if (!m_pixelAspect.isSquare())
        e->sample_aspect_ratio = AVRational{m_pixelAspect.num, m_pixelAspect.den};
    e->thread_count = kEncoderThreads;
    if (m_ctx->oformat->flags & AVFMT_GLOBALHEADER)
        e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

void FramePipeline::chooseRateControl(const CompressorInfo &compressor, const CompressOptions &options)
{
    AVCodecContext *e = m_codec->context.get();
    if (compressor.keyFrames == KeyFrameMeaning::MaxInterval && options.keyFrameEvery > 0)
        e->gop_size = options.keyFrameEvery;
    const bool byDataRate =
        compressor.dataRate == DataRateMeaning::AverageBitRate && options.dataRateKbps > 0;
    if (byDataRate)
        e->bit_rate = std::int64_t(options.dataRateKbps) * 1000;
    else if (compressor.quality == QualityMeaning::Quantiser) {
        // mpegvideo encoders take the fixed quantiser from each frame's quality.
        e->flags |= AV_CODEC_FLAG_QSCALE;
        e->global_quality = FF_QP2LAMBDA * qscaleForQuality(options.quality);
        m_codec->frameQuality = e->global_quality;
    } else if (compressor.quality == QualityMeaning::RateFactor)
        av_opt_set_double(e->priv_data, "crf", crfForQuality(options.quality), 0);
}

bool FramePipeline::openEncoder(const AVCodec *encoder, const CompressorInfo &compressor)
{
    // Options the encoder does not know stay in the dictionary; they are the table's mistake, so
    // they fail the opening rather than being ignored.
    AVDictionaryHolder encoderOptions;
    for (const auto &[name, value] : compressor.encoderOptions)
        av_dict_set(encoderOptions.slot(), name, value, 0);
    int ret = avcodec_open2(m_codec->context.get(), encoder, encoderOptions.slot());
    if (ret >= 0 && encoderOptions.count() > 0)
        ret = AVERROR_OPTION_NOT_FOUND;
    if (ret < 0) {
        fail(code(AviError::CodecOpenFailed), ffmpegErrorText("opening the encoder", ret));
        return false;
    }
    return true;
}

bool FramePipeline::describeStream(const CompressorInfo &compressor)
{
    AVCodecContext *e = m_codec->context.get();
    const int ret = avcodec_parameters_from_context(m_st->codecpar, e);
    if (ret < 0) {
        fail(code(AviError::CodecOpenFailed), ffmpegErrorText("copying the encoder parameters", ret));
        return false;
    }
    if (compressor.fourcc != 0)
        m_st->codecpar->codec_tag = compressor.fourcc;
    if (e->codec_id == AV_CODEC_ID_MPEG4 && e->pix_fmt == AV_PIX_FMT_YUV420P) {
        m_codec->mpeg4Colours =
            ColourDescription{std::uint8_t(e->color_primaries), std::uint8_t(e->color_trc),
                              std::uint8_t(e->colorspace), e->color_range == AVCOL_RANGE_JPEG};
        if (!describeMpeg4Colours(m_st->codecpar->extradata, m_st->codecpar->extradata_size)) {
            fail(code(AviError::CodecOpenFailed), ffmpegErrorText("describing the colours", AVERROR(ENOMEM)));
            return false;
        }
    }
    return true;
}

// Puts the colour description into the MPEG-4 visual object header of a global header or a key
// frame's packet, where the encoder leaves it out. data is replaced by a padded buffer of its own
// (and size changed) when the header was rewritten; false when that buffer could not be had.
bool FramePipeline::describeMpeg4Colours(std::uint8_t *&data, int &size, AVBufferRef **owner)
{
    if (!m_codec->mpeg4Colours || !data || size <= 0)
        return true;
    const std::vector<std::uint8_t> described =
        withMpeg4Colours(data, std::size_t(size), *m_codec->mpeg4Colours);
    if (described.empty())
        return true;
    const std::size_t bytes = described.size() + AV_INPUT_BUFFER_PADDING_SIZE;
    std::uint8_t *copy = nullptr;
    AVBufferRef *buffer = nullptr;
    if (owner) {
        buffer = av_buffer_alloc(bytes);
        copy = buffer ? buffer->data : nullptr;
    } else {
        copy = static_cast<std::uint8_t *>(av_malloc(bytes));
    }
    if (!copy)
        return false;
    std::copy(described.begin(), described.end(), copy);
    std::fill(copy + described.size(), copy + bytes, std::uint8_t(0));
    if (owner) {
        av_buffer_unref(owner);
        *owner = buffer;
    } else {
        av_free(data);
    }
    data = copy;
    size = int(described.size());
    return true;
}

bool FramePipeline::chooseConverter()
{
    const AVCodecContext *e = m_codec->context.get();
    const AVPixelFormat source = m_format.bitCount == 32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    const bool fullRange = e->color_range == AVCOL_RANGE_JPEG;
    // swscale's generic path costs several times our own loop.
    const bool ownConverter =
        source == AV_PIX_FMT_BGR24 && e->pix_fmt == AV_PIX_FMT_YUV420P && e->height >= kOwnConverterMinRows;
    const YuvMatrix matrix = e->colorspace == AVCOL_SPC_BT709 ? YuvMatrix::Bt709 : YuvMatrix::Bt601;
    m_codec->weights = yuvWeights(matrix, fullRange);
    if (!fullRange)
        m_codec->videoRange = videoRangeWeights(matrix);
    // Frames that need no padding are converted as they are handed over, straight from the
    // caller's rows.
    m_convertOnWrite = ownConverter && !m_padRight && !m_padBottom;
    if (ownConverter)
        return true;
    m_codec->sws = makeConverter(e->width, e->height, source, e->pix_fmt, fullRange, e->colorspace);
    if (!m_codec->sws) {
        fail(code(AviError::CodecOpenFailed), QStringLiteral("creating the pixel converter failed"));
        return false;
    }
    return true;
}

bool FramePipeline::allocateFrames()
{
    const AVCodecContext *e = m_codec->context.get();
    // The frames the encoder is given: one per pool sample when write() converts, else a ring the
    // worker converts into.
    const auto allocate = [e](AVFramePtr &frame) {
        frame.reset(av_frame_alloc());
        if (!frame)
            return false;
        frame->format = e->pix_fmt;
        frame->width = e->width;
        frame->height = e->height;
        frame->color_range = e->color_range;
        frame->colorspace = e->colorspace;
        frame->color_primaries = e->color_primaries;
        frame->color_trc = e->color_trc;
        return av_frame_get_buffer(frame.get(), 0) >= 0;
    };
    bool allocated = true;
    if (m_convertOnWrite) {
        for (Sample &sample : m_samples)
            allocated = allocated && allocate(sample.frame);
    } else {
        for (AVFramePtr &frame : m_codec->frames)
            allocated = allocated && allocate(frame);
    }
    if (!allocated)
        fail(code(AviError::CodecOpenFailed), ffmpegErrorText("allocating a frame", AVERROR(ENOMEM)));
    return allocated;
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
        fail(code(AviError::CodecOpenFailed), ffmpegErrorText("allocating frame buffers", AVERROR(ENOMEM)));
        return false;
    }
    return true;
}

void FramePipeline::start()
{
    m_pool.setMaxThreadCount(1);
    m_worker = QtConcurrent::run(&m_pool, [this] { run(); });
    m_started = true;
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

int FramePipeline::takeSlot(std::int64_t position)
{
    if (position <= m_lastPosition)
        return -code(AviError::BadPosition);
    std::unique_lock lock(m_mutex);
    if (!m_started || m_finishing)
        return -code(AviError::Released);
    m_changed.wait(lock, [this] { return !m_free.empty() || m_error != 0; });
    if (m_error != 0)
        return -m_error;
    const int slot = m_free.front();
    m_free.pop_front();
    return slot;
}

int FramePipeline::makeWritable(int slot)
{
    // The encoder may still hold the frame it was given last from this slot; then it gets fresh
    // buffers.
    const int ret = av_frame_make_writable(m_samples[std::size_t(slot)].frame.get());
    if (ret >= 0)
        return 0;
    const int failed = fail(code(AviError::EncodeFailed), ffmpegErrorText("preparing a frame", ret));
    std::lock_guard lock(m_mutex);
    m_free.push_back(slot);
    return failed;
}

int FramePipeline::queue(int slot, std::int64_t position, bool keyFrame)
{
    Sample &s = m_samples[std::size_t(slot)];
    s.position = position;
    s.keyFrame = keyFrame;
    m_lastPosition = position;
    std::lock_guard lock(m_mutex);
    m_ready.push_back(slot);
    m_changed.notify_all();
    return m_error;
}

int FramePipeline::write(std::int64_t position, const void *data, std::int64_t size, bool keyFrame)
{
    if (!data || size < m_format.imageSize)
        return code(AviError::BadArgument);
    const int slot = takeSlot(position);
    if (slot < 0)
        return -slot;
    // The slot is ours until it is queued.
    Sample &s = m_samples[std::size_t(slot)];
    const auto *src = static_cast<const std::uint8_t *>(data);
    if (s.frame) {
        if (const int failed = makeWritable(slot))
            return failed;
        // A bottom-up DIB is read from its last row with a negative stride.
        const std::uint8_t *top = m_format.bottomUp ? src + (m_format.height - 1) * m_format.stride : src;
        const std::ptrdiff_t stride = m_format.bottomUp ? -m_format.stride : m_format.stride;
        bgr24ToYuv420p(top, stride, m_format.width, m_format.height, s.frame->data, s.frame->linesize,
                       m_codec->weights);
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
    return queue(slot, position, keyFrame);
}

bool FramePipeline::takesYuv() const
{
    return m_convertOnWrite;
}

int FramePipeline::writeYuv(std::int64_t position, const YuvFrame &frame, bool keyFrame)
{
    if (!m_convertOnWrite || frame.size != QSize(m_format.width, m_format.height))
        return code(AviError::BadArgument);
    const int slot = takeSlot(position);
    if (slot < 0)
        return -slot;
    if (const int failed = makeWritable(slot))
        return failed;
    AVFrame *f = m_samples[std::size_t(slot)].frame.get();
    if (m_codec->videoRange) {
        yuv420FullToVideoRange(frame, *m_codec->videoRange, f->data, f->linesize);
        return queue(slot, position, keyFrame);
    }
    for (int i = 0; i < 3; ++i) {
        const int width = i == 0 ? m_format.width : m_format.width / 2;
        const int rows = i == 0 ? m_format.height : m_format.height / 2;
        av_image_copy_plane(f->data[i], f->linesize[i], frame.plane(i), frame.stride(i), width, rows);
    }
    return queue(slot, position, keyFrame);
}

int FramePipeline::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
        m_changed.notify_all();
    }
    m_worker.waitForFinished();
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
    // Not reference-counted: the muxer writes the bytes straight from the pool buffer.
    pkt->data = const_cast<std::uint8_t *>(sample.bytes.data());
    pkt->size = int(m_format.imageSize);
    pkt->pts = pkt->dts = sample.position;
    pkt->duration = 1;
    if (sample.keyFrame)
        pkt->flags |= AV_PKT_FLAG_KEY;
    return muxPacket(pkt);
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
            bgr24ToYuv420p(srcData[0], srcStride[0], m_sampleWidth, m_sampleHeight, frame->data,
                           frame->linesize, c.weights);
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
        AVPacket *pkt = m_codec->packet.get();
        if ((pkt->flags & AV_PKT_FLAG_KEY) && !describeMpeg4Colours(pkt->data, pkt->size, &pkt->buf))
            return fail(code(AviError::EncodeFailed),
                        ffmpegErrorText("describing the colours", AVERROR(ENOMEM)));
        const int written = muxPacket(pkt);
        if (written != 0)
            return written;
    }
}

// The one way packets reach the muxer, stored or encoded.
int FramePipeline::muxPacket(AVPacket *pkt)
{
    // The soundtrack follows the video up to the end of this packet, so the streams interleave.
    const std::int64_t at = pkt->dts != AV_NOPTS_VALUE ? pkt->dts : pkt->pts;
    const double end = double(at + std::max<std::int64_t>(pkt->duration, 1)) * m_timeBaseNum / m_timeBaseDen;
    // Packets count in samples (the encoder's time base is the same); the muxer may have chosen
    // another time base for the stream when it wrote the header.
    av_packet_rescale_ts(pkt, AVRational{m_timeBaseNum, m_timeBaseDen}, m_st->time_base);
    pkt->stream_index = m_st->index;
    // The pipeline's worker is the only writer and keeps the soundtrack in step itself, so
    // packets go straight to the muxer.
    const int ret = av_write_frame(m_ctx, pkt);
    av_packet_unref(pkt);
    if (ret < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing a frame", ret));
    if (m_ctx->pb && m_ctx->pb->error < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing a frame", m_ctx->pb->error));
    if (m_soundtrack && m_soundtrack->writeUntil(end) < 0)
        return fail(code(AviError::WriteFailed), m_soundtrack->errorText());
    return 0;
}

} // namespace tavelon
