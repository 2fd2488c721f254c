#pragma once

// Owning handles for the FFmpeg objects of the AVI layer. Only src/video sources include this.

#include <memory>

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace tavelon {

struct AVFormatContextDeleter
{
    // The context owns its streams; its pb is ours to close when the format writes a file.
    void operator()(AVFormatContext *ctx) const
    {
        if (ctx->oformat && !(ctx->oformat->flags & AVFMT_NOFILE))
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};

struct AVCodecContextDeleter
{
    void operator()(AVCodecContext *ctx) const { avcodec_free_context(&ctx); }
};

struct AVFrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

struct AVPacketDeleter
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

struct SwsContextDeleter
{
    void operator()(SwsContext *ctx) const { sws_freeContext(ctx); }
};

// An owned dictionary of FFmpeg options; calls that fill or consume one are given slot().
class AVDictionaryHolder
{
public:
    AVDictionaryHolder() = default;
    ~AVDictionaryHolder() { av_dict_free(&m_dict); }
    AVDictionaryHolder(const AVDictionaryHolder &) = delete;
    AVDictionaryHolder &operator=(const AVDictionaryHolder &) = delete;

    AVDictionary **slot() { return &m_dict; }
    int count() const { return av_dict_count(m_dict); }

private:
    AVDictionary *m_dict = nullptr;
};

using AVFormatContextPtr = std::unique_ptr<AVFormatContext, AVFormatContextDeleter>;
using AVCodecContextPtr = std::unique_ptr<AVCodecContext, AVCodecContextDeleter>;
using AVFramePtr = std::unique_ptr<AVFrame, AVFrameDeleter>;
using AVPacketPtr = std::unique_ptr<AVPacket, AVPacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;

// "step: FFmpeg's description of code" (av_err2str is a C compound literal and does not compile
// in C++).
inline QString ffmpegErrorText(const char *step, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QStringLiteral("%1: %2").arg(QString::fromUtf8(step), QString::fromUtf8(text));
}

} // namespace tavelon
