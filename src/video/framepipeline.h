#pragma once

#include "image/videoshape.h"
#include "video/compressors.h"
#include "video/ffmpegptr.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QFuture>
#include <QString>
#include <QThreadPool>

struct AVFormatContext;
struct AVBufferRef;
struct AVPacket;
struct AVStream;

namespace tavelon {

class Soundtrack;
struct YuvFrame;

// The frame layout an AVI video format block (BITMAPINFO) describes.
struct FrameFormat
{
    int width = 0;
    int height = 0; // rows, always positive
    bool bottomUp = true;
    int bitCount = 24;
    std::int64_t stride = 0;    // bytes per row, padded to 4
    std::int64_t imageSize = 0; // stride × height
};

// The layout of a 24- or 32-bit BI_RGB BITMAPINFO block of size bytes; nullopt for anything else
// or for frames wider or taller than 16384 pixels.
std::optional<FrameFormat> frameFormatFromBitmapInfo(const void *format, std::int64_t size);

// What one output stream is made of: the frames handed over, their time base and the compressor
// that codes them.
struct StreamSetup
{
    FrameFormat format;
    int timeBaseNum = 1; // seconds per sample: timeBaseNum / timeBaseDen
    int timeBaseDen = 1;
    CompressorInfo compressor; // stored frames when isStored()
    CompressOptions options;
    PixelAspect pixelAspect;          // told to the codec and the container when not square
    Soundtrack *soundtrack = nullptr; // written up to each video packet's time, when there is one
};

// Turns DIB frames into packets of one stream on a worker of its own: stored as they are, or
// converted (with libswscale or our own converter) and encoded. Samples wait in a small pool of
// reused buffers.
class FramePipeline
{
public:
    struct Result
    {
        std::unique_ptr<FramePipeline> pipeline;
        int error = 0;
        QString errorText;
    };

    // Sets up stream st of ctx as setup describes: its parameters are set, its encoder (if any) is
    // open and the buffers are allocated. The caller writes the file header and calls start().
    static Result create(AVFormatContext *ctx, AVStream *st, const StreamSetup &setup);
    ~FramePipeline();

    void start();
    // Hands one frame to the worker, waiting while all buffers are busy: a copy of its rows, or,
    // where our own converter serves the encoder, the frame already converted (which costs less
    // than copying the rows and converting them later). The code of the first failure so far, 0
    // otherwise.
    int write(std::int64_t position, const void *data, std::int64_t size, bool keyFrame);
    // Whether writeYuv() serves: the encoder takes 4:2:0 frames of the format's size.
    bool takesYuv() const;
    // Hands one frame as a JPEG's YCbCr planes of the format's size (top row first), copied into a
    // buffer the encoder takes, converted to video range where the encoder codes it; BadArgument
    // when takesYuv() is false or the size differs.
    int writeYuv(std::int64_t position, const YuvFrame &frame, bool keyFrame);
    // Lets the worker encode and write what is queued, flushes the encoder and ends the thread.
    int finish();
    QString errorText() const;

private:
    struct Codec;
    struct Sample
    {
        std::vector<std::uint8_t> bytes; // the rows, when the worker converts
        AVFramePtr frame;                // the converted frame, when write() converts
        std::int64_t position = 0;
        bool keyFrame = false;
    };

    FramePipeline(AVFormatContext *ctx, AVStream *st, const StreamSetup &setup);
    // The steps of create(); each records its failure and returns false.
    bool describeStoredFrames();
    bool configureEncoder(const CompressorInfo &compressor, const CompressOptions &options);
    // The parts of configureEncoder().
    void describePictures(const CompressorInfo &compressor);
    void chooseRateControl(const CompressorInfo &compressor, const CompressOptions &options);
    bool openEncoder(const AVCodec *encoder, const CompressorInfo &compressor);
    bool describeStream(const CompressorInfo &compressor);
    bool chooseConverter();
    bool allocateFrames();
    bool allocateSamples();
    bool describeMpeg4Colours(std::uint8_t *&data, int &size, AVBufferRef **owner = nullptr);

    // A free pool slot for a sample at position, waiting while all are busy; minus the error code
    // when there is none to be had.
    int takeSlot(std::int64_t position);
    // Makes the slot's frame writable; the error code (the slot freed again) when it fails.
    int makeWritable(int slot);
    // Queues the filled slot for the worker.
    int queue(int slot, std::int64_t position, bool keyFrame);
    void run();
    int storeFrame(const Sample &sample);
    int encodeFrame(const Sample &sample);
    int drainEncoder(bool flush);
    int muxPacket(AVPacket *pkt);
    int fail(int code, const QString &text);
    int error() const;

    static constexpr int kSamples = 3;

    AVFormatContext *m_ctx;
    AVStream *m_st;
    FrameFormat m_format;
    int m_timeBaseNum;
    int m_timeBaseDen;
    PixelAspect m_pixelAspect;
    Soundtrack *m_soundtrack;
    std::unique_ptr<Codec> m_codec; // FFmpeg state of the worker; no encoder when frames are stored

    // Pool samples: bottom-up rows of the frame, one column / row wider where padded, or frames
    // converted by write().
    bool m_convertOnWrite = false;
    bool m_padRight = false;
    bool m_padBottom = false;
    int m_sampleWidth = 0;
    int m_sampleHeight = 0;
    std::int64_t m_sampleStride = 0;
    std::array<Sample, kSamples> m_samples;
    std::deque<int> m_free;
    std::deque<int> m_ready;
    std::int64_t m_lastPosition = -1;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_finishing = false;
    int m_error = 0;
    QString m_errorText;
    // The worker: one task on a pool of its own, so that it never waits for a thread another
    // task holds; the pool is destroyed first and waits for it.
    QFuture<void> m_worker;
    bool m_started = false;
    QThreadPool m_pool;
};

} // namespace tavelon
