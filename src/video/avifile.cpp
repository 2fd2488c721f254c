#include "video/avifile.h"

#include <climits>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "video/ffmpegptr.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include "video/avirepair.h"
#include "video/framepipeline.h"
#include "video/soundtrack.h"

namespace tavelon {

namespace {

// FFmpeg logs encoder chatter (x264's statistics, …) at info level to stderr; the program
// reports failures through result codes, so only errors are logged.
void quietFfmpegLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (av_log_get_level() == AV_LOG_INFO)
            av_log_set_level(AV_LOG_ERROR);
        // SVT-AV1 prints its settings unless its own level says errors only.
        setenv("SVT_LOG", "1", 0);
    });
}

} // namespace

namespace detail {

// The output file and its one video stream. Used from the caller's thread only; each stream's
// pipeline runs its own worker, which alone touches the format context between the header and
// the pipeline's finish.
class AviMuxer
{
public:
    AviMuxer(AVFormatContextPtr ctx, Container container) : m_ctx(std::move(ctx)), m_container(container) {}
    ~AviMuxer() { close(); }

    int createStream(const AviStreamInfo &info, int &index);
    int setSoundtrack(const QString &path, std::int64_t frames);
    int setFormat(int index, const std::optional<CompressOptions> &options, std::int64_t position,
                  const void *format, std::int64_t size);
    int write(int index, std::int64_t start, std::int64_t samples, const void *data, std::int64_t size,
              std::uint32_t flags);
    bool takesYuv(int index) const;
    int writeYuv(int index, std::int64_t start, const YuvFrame &frame, std::uint32_t flags);
    void addHandle(int index) { ++m_streams[std::size_t(index)].handles; }
    int releaseHandle(int index);
    int close();

    bool isClosed() const { return m_closed; }
    QString errorText() const { return m_errorText; }
    // Records the first failure; returns errorCode.
    int fail(int errorCode, const QString &text);

private:
    struct Stream
    {
        AVStream *st = nullptr;
        AviStreamInfo info;
        int handles = 0;
        std::unique_ptr<FramePipeline> pipeline;
    };

    int finishStream(Stream &s);
    // Records a write's failure code ret with the pipeline's text.
    int failedWrite(const Stream &s, int ret);

    AVFormatContextPtr m_ctx;
    Container m_container;
    std::vector<Stream> m_streams;
    std::unique_ptr<Soundtrack> m_soundtrack;
    std::int64_t m_soundtrackFrames = 0;
    bool m_headerWritten = false;
    bool m_closed = false;
    int m_firstError = 0;
    QString m_errorText;
};

int AviMuxer::fail(int errorCode, const QString &text)
{
    if (m_firstError == 0) {
        m_firstError = errorCode;
        m_errorText = text;
    }
    return errorCode;
}

int AviMuxer::createStream(const AviStreamInfo &info, int &index)
{
    if (m_closed)
        return code(AviError::Released);
    if (info.fccType != kStreamTypeVideo || info.scale == 0 || info.rate == 0 || info.scale > INT_MAX ||
        info.rate > INT_MAX || !m_streams.empty())
        return fail(code(AviError::StreamNotAllowed),
                    QStringLiteral("creating the stream: not one video stream"));
    AVStream *st = avformat_new_stream(m_ctx.get(), nullptr);
    if (!st)
        return fail(code(AviError::StreamNotAllowed),
                    ffmpegErrorText("creating the stream", AVERROR(ENOMEM)));
    // The AVI header takes its scale and rate from the stream's time base.
    st->time_base = AVRational{int(info.scale), int(info.rate)};
    st->avg_frame_rate = AVRational{int(info.rate), int(info.scale)};
    m_streams.push_back({st, info, 0, nullptr});
    index = int(m_streams.size()) - 1;
    return 0;
}

int AviMuxer::setSoundtrack(const QString &path, std::int64_t frames)
{
    if (m_closed)
        return code(AviError::Released);
    if (m_headerWritten || m_soundtrack || frames < 0)
        return fail(code(AviError::SoundtrackFailed), QStringLiteral("adding the soundtrack: too late"));
    SoundtrackProblem problem = SoundtrackProblem::None;
    m_soundtrack = Soundtrack::open(path, problem);
    if (!m_soundtrack)
        return fail(code(AviError::SoundtrackFailed), QStringLiteral("opening the soundtrack %1").arg(path));
    m_soundtrackFrames = frames;
    return 0;
}

int AviMuxer::setFormat(int index, const std::optional<CompressOptions> &options, std::int64_t position,
                        const void *format, std::int64_t size)
{
    if (m_closed)
        return code(AviError::Released);
    Stream &s = m_streams[std::size_t(index)];
    if (position != 0 || !format)
        return fail(code(AviError::BadArgument),
                    QStringLiteral("setting the format: no format at position 0"));
    const std::optional<FrameFormat> frame = frameFormatFromBitmapInfo(format, size);
    if (!frame || s.pipeline || m_headerWritten)
        return fail(code(AviError::UnsupportedFormat),
                    QStringLiteral("setting the format: not a 24/32-bit RGB frame format, or set already"));
    const CompressOptions chosen = options.value_or(CompressOptions{});
    const std::optional<CompressorInfo> compressor = findCompressor(chosen.codec);
    if (!compressor || !fitsContainer(*compressor, m_container))
        return fail(code(AviError::CompressorUnavailable),
                    QStringLiteral("no compressor %1 for %2").arg(chosen.codec, containerName(m_container)));

    // The 4:3 disc sizes have non-square pixels: the codec's field, the AVI vprp header and the MP4
    // pasp box say so.
    const PixelAspect aspect = pixelAspectFor(QSize(frame->width, frame->height));
    const StreamSetup setup{*frame, int(s.info.scale), int(s.info.rate), *compressor, chosen,
                            aspect, m_soundtrack.get()};
    FramePipeline::Result r = FramePipeline::create(m_ctx.get(), s.st, setup);
    if (!r.pipeline)
        return fail(r.error, r.errorText);
    s.pipeline = std::move(r.pipeline);
    if (!aspect.isSquare())
        s.st->sample_aspect_ratio = AVRational{aspect.num, aspect.den};

    AVDictionaryHolder muxerOptions;
    if (m_container == Container::Avi) {
        // Stored frames are bottom-up DIB rows; without this option the muxer declares raw RGB
        // top-down. Past 1 GB the muxer goes on in RIFF AVIX parts with an OpenDML index by itself.
        av_opt_set_int(m_ctx->priv_data, "flipped_raw_rgb", 1, 0);
    } else {
        // MP4 names the codec itself (an AVI fourcc is refused), and with faststart the trailer
        // moves the moov box before the frames, so the file plays while it is downloaded.
        s.st->codecpar->codec_tag = compressor->mp4Tag;
        av_dict_set(muxerOptions.slot(), "movflags", "+faststart", 0);
    }
    if (m_soundtrack &&
        m_soundtrack->addStream(m_ctx.get(), m_container, m_soundtrackFrames * s.info.scale, s.info.rate) < 0)
        return fail(code(AviError::SoundtrackFailed), m_soundtrack->errorText());
    const int ret = avformat_write_header(m_ctx.get(), muxerOptions.slot());
    if (ret < 0)
        return fail(code(AviError::WriteFailed), ffmpegErrorText("writing the file header", ret));
    m_headerWritten = true;
    s.pipeline->start();
    return 0;
}

int AviMuxer::write(int index, std::int64_t start, std::int64_t samples, const void *data, std::int64_t size,
                    std::uint32_t flags)
{
    if (m_closed)
        return code(AviError::Released);
    Stream &s = m_streams[std::size_t(index)];
    if (!s.pipeline)
        return fail(code(AviError::FormatNotSet), QStringLiteral("writing a frame: no format set"));
    if (samples != 1 || !data)
        return fail(code(AviError::BadArgument), QStringLiteral("writing a frame: not one frame"));
    const int ret = s.pipeline->write(start, data, size, (flags & kAviKeyFrame) != 0);
    return ret != 0 ? failedWrite(s, ret) : 0;
}

bool AviMuxer::takesYuv(int index) const
{
    const Stream &s = m_streams[std::size_t(index)];
    return !m_closed && s.pipeline && s.pipeline->takesYuv();
}

int AviMuxer::writeYuv(int index, std::int64_t start, const YuvFrame &frame, std::uint32_t flags)
{
    if (!takesYuv(index))
        return fail(code(AviError::BadArgument), QStringLiteral("writing a frame: planes not taken"));
    Stream &s = m_streams[std::size_t(index)];
    const int ret = s.pipeline->writeYuv(start, frame, (flags & kAviKeyFrame) != 0);
    return ret != 0 ? failedWrite(s, ret) : 0;
}

int AviMuxer::failedWrite(const Stream &s, int ret)
{
    const QString text = s.pipeline->errorText();
    return fail(ret, text.isEmpty() ? QStringLiteral("writing a frame: bad size or position") : text);
}

int AviMuxer::finishStream(Stream &s)
{
    if (!s.pipeline)
        return 0;
    const int ret = s.pipeline->finish();
    return ret != 0 ? fail(ret, s.pipeline->errorText()) : 0;
}

int AviMuxer::releaseHandle(int index)
{
    Stream &s = m_streams[std::size_t(index)];
    if (--s.handles > 0)
        return 0;
    return finishStream(s);
}

int AviMuxer::close()
{
    if (m_closed)
        return m_firstError;
    m_closed = true;
    for (Stream &s : m_streams)
        finishStream(s);
    if (m_soundtrack && m_headerWritten && m_firstError == 0 && m_soundtrack->finish() < 0)
        fail(code(AviError::WriteFailed), m_soundtrack->errorText());
    if (m_headerWritten) {
        // Writes the index (idx1, or the OpenDML indexes of a file past 1 GB) and the final sizes.
        const int ret = av_write_trailer(m_ctx.get());
        if (ret < 0)
            fail(code(AviError::WriteFailed), ffmpegErrorText("writing the index", ret));
    }
    for (Stream &s : m_streams)
        s.pipeline.reset();
    const int ret = avio_closep(&m_ctx->pb);
    if (ret < 0)
        fail(code(AviError::WriteFailed), ffmpegErrorText("closing the file", ret));
    const QString path = QString::fromUtf8(m_ctx->url);
    m_ctx.reset();
    // After a failed write (a full disk) the file ends inside a frame, with its sizes unset.
    if (m_firstError != 0 && m_container == Container::Avi)
        trimUnfinishedAvi(path);
    return m_firstError;
}

} // namespace detail

AviFile::AviFile(std::shared_ptr<detail::AviMuxer> muxer) : m_muxer(std::move(muxer)) {}

AviFile::~AviFile()
{
    m_muxer->close();
}

QString AviFile::errorText() const
{
    return m_muxer->errorText();
}

AviStream::AviStream(std::shared_ptr<detail::AviMuxer> muxer, int index,
                     std::optional<CompressOptions> options)
    : m_muxer(std::move(muxer)), m_index(index), m_options(std::move(options))
{
    m_muxer->addHandle(m_index);
}

AviStream::~AviStream()
{
    release();
}

QString AviStream::errorText() const
{
    return m_muxer->errorText();
}

int AviStream::release()
{
    if (m_released)
        return 0;
    m_released = true;
    return m_muxer->releaseHandle(m_index);
}

int aviFileOpen(AviFilePtr &file, const QString &fileName, Container container)
{
    file.reset();
    quietFfmpegLog();
    const QByteArray path = fileName.toUtf8();
    AVFormatContext *raw = nullptr;
    const QByteArray format = containerName(container).toLatin1();
    if (avformat_alloc_output_context2(&raw, nullptr, format.constData(), path.constData()) < 0 || !raw)
        return code(AviError::FileOpenFailed);
    AVFormatContextPtr ctx(raw);
    // Creates the file or empties an existing one, as opening for writing does.
    if (avio_open(&ctx->pb, path.constData(), AVIO_FLAG_WRITE) < 0)
        return code(AviError::FileOpenFailed);
    file = std::make_unique<AviFile>(std::make_shared<detail::AviMuxer>(std::move(ctx), container));
    return 0;
}

int aviFileCreateStream(AviFile *file, AviStreamPtr &stream, const AviStreamInfo &info)
{
    stream.reset();
    if (!file)
        return code(AviError::BadArgument);
    int index = -1;
    const int ret = file->muxer().createStream(info, index);
    if (ret != 0)
        return ret;
    stream = std::make_unique<AviStream>(file->muxerPointer(), index, std::nullopt);
    return 0;
}

int aviFileSetSoundtrack(AviFile *file, const QString &path, std::int64_t frames)
{
    if (!file)
        return code(AviError::BadArgument);
    return file->muxer().setSoundtrack(path, frames);
}

int aviMakeCompressedStream(AviStreamPtr &compressed, AviStream *source, const CompressOptions &options)
{
    compressed.reset();
    if (!source)
        return code(AviError::BadArgument);
    if (source->muxer().isClosed())
        return code(AviError::Released);
    if (!findCompressor(options.codec))
        return source->muxer().fail(code(AviError::CompressorUnavailable),
                                    QStringLiteral("no compressor %1").arg(options.codec));
    compressed = std::make_unique<AviStream>(source->muxerPointer(), source->index(), options);
    return 0;
}

int aviStreamSetFormat(AviStream *stream, std::int64_t position, const void *format, std::int64_t formatSize)
{
    if (!stream)
        return code(AviError::BadArgument);
    return stream->muxer().setFormat(stream->index(), stream->options(), position, format, formatSize);
}

int aviStreamWrite(AviStream *stream, std::int64_t start, std::int64_t samples, const void *buffer,
                   std::int64_t bufferSize, std::uint32_t flags)
{
    if (!stream)
        return code(AviError::BadArgument);
    return stream->muxer().write(stream->index(), start, samples, buffer, bufferSize, flags);
}

bool aviStreamTakesYuv(AviStream *stream)
{
    return stream && stream->muxer().takesYuv(stream->index());
}

int aviStreamWriteYuv(AviStream *stream, std::int64_t start, const YuvFrame &frame, std::uint32_t flags)
{
    if (!stream)
        return code(AviError::BadArgument);
    return stream->muxer().writeYuv(stream->index(), start, frame, flags);
}

int aviStreamRelease(AviStreamPtr &stream)
{
    if (!stream)
        return 0;
    const int ret = stream->release();
    stream.reset();
    return ret;
}

int aviFileRelease(AviFilePtr &file)
{
    if (!file)
        return 0;
    const int ret = file->muxer().close();
    file.reset();
    return ret;
}

} // namespace tavelon
