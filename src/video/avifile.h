#pragma once

#include "video/compressors.h"

#include <cstdint>
#include <memory>
#include <optional>

#include <QString>

namespace tavelon {

struct YuvFrame;

// Our AVI layer over FFmpeg, shaped like the calls the video writer makes. Every call returns 0
// for success and an AviError code otherwise. Handles are owned by unique_ptrs; a "release" is a
// reset that returns the first failure met while finishing the handle.
//
// A stream converts and encodes on a worker of its own: a write copies the sample into one of a
// few reused buffers (waiting while all are busy) and returns. A failure while encoding or
// writing shows in a later write or in the release. Releasing the file always finishes the
// streams and writes the index, so the frames written so far play, also after an error.
// Files past 1 GB become OpenDML (AVI 2.0) files. All calls come from one thread. The frame sizes of
// the 4:3 disc formats get their non-square pixel shape written into the file.

enum class AviError : int {
    Ok = 0,
    BadArgument,           // null handle or pointer, sample smaller than a frame
    FileOpenFailed,        // the file cannot be created or emptied
    StreamNotAllowed,      // not "vids", no rate, or a second stream
    CompressorUnavailable, // no such compressor in this build
    UnsupportedFormat,     // not a 24/32-bit BI_RGB format, or the format is already set
    CodecOpenFailed,       // the encoder refused the frame size or settings
    FormatNotSet,          // a write before the format
    BadPosition,           // a sample position not above the last one
    WriteFailed,           // writing the file failed (full disk, …)
    EncodeFailed,          // the encoder failed on a frame
    Released,              // the file was released already
    SoundtrackFailed,      // the audio file cannot be read or coded, or comes after the format
};

// The result code the calls return for an error.
constexpr int code(AviError e)
{
    return static_cast<int>(e);
}

// The four-character code of up to four characters, padded with blanks ("vids").
constexpr std::uint32_t stringToFourCC(const char *text)
{
    std::uint32_t code = 0;
    bool ended = false;
    for (int i = 0; i < 4; ++i) {
        ended = ended || text[i] == '\0';
        code |= std::uint32_t(ended ? ' ' : static_cast<unsigned char>(text[i])) << (8 * i);
    }
    return code;
}

inline constexpr std::uint32_t kStreamTypeVideo = stringToFourCC("vids");
inline constexpr std::uint32_t kAviKeyFrame = 16; // sample flag: key frame

struct AviRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The stream header record. Only type, scale, rate and the frame rectangle are used; the frame
// rate is rate / scale. The format block set later decides the frame size.
struct AviStreamInfo
{
    std::uint32_t fccType = 0;
    std::uint32_t fccHandler = 0;
    std::uint32_t flags = 0;
    std::uint32_t caps = 0;
    std::uint16_t priority = 0;
    std::uint16_t language = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t initialFrames = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t quality = 0;
    std::uint32_t sampleSize = 0;
    AviRect frame;
    std::uint32_t editCount = 0;
    std::uint32_t formatChangeCount = 0;
    QString name;
};

namespace detail {
class AviMuxer;
}

// An AVI file open for writing. Destroying it finishes its streams and writes the index.
class AviFile
{
public:
    explicit AviFile(std::shared_ptr<detail::AviMuxer> muxer);
    ~AviFile();
    AviFile(const AviFile &) = delete;
    AviFile &operator=(const AviFile &) = delete;

    // The first failure in this file, with the step that failed; empty while all went well.
    QString errorText() const;
    detail::AviMuxer &muxer() const { return *m_muxer; }
    const std::shared_ptr<detail::AviMuxer> &muxerPointer() const { return m_muxer; }

private:
    std::shared_ptr<detail::AviMuxer> m_muxer;
};

// A stream of a file, as created (stores frames as they are) or made compressed. The stream's
// encoder is finished when the last handle on it goes.
class AviStream
{
public:
    AviStream(std::shared_ptr<detail::AviMuxer> muxer, int index, std::optional<CompressOptions> options);
    ~AviStream();
    AviStream(const AviStream &) = delete;
    AviStream &operator=(const AviStream &) = delete;

    QString errorText() const;
    // Finishes the stream when this is its last handle; the code of what failed, 0 otherwise.
    int release();

    detail::AviMuxer &muxer() const { return *m_muxer; }
    const std::shared_ptr<detail::AviMuxer> &muxerPointer() const { return m_muxer; }
    int index() const { return m_index; }
    const std::optional<CompressOptions> &options() const { return m_options; }

private:
    std::shared_ptr<detail::AviMuxer> m_muxer;
    int m_index;
    std::optional<CompressOptions> m_options;
    bool m_released = false;
};

using AviFilePtr = std::unique_ptr<AviFile>;
using AviStreamPtr = std::unique_ptr<AviStream>;

// Creates or empties fileName and opens it for writing, as an AVI file or as an MP4 file (which
// takes only the compressors that fit it, and has its index before the frames).
int aviFileOpen(AviFilePtr &file, const QString &fileName, Container container = Container::Avi);
// Adds the (one) video stream described by info: fccType "vids", scale and rate above 0.
int aviFileCreateStream(AviFile *file, AviStreamPtr &stream, const AviStreamInfo &info);
// Gives the file a soundtrack from the audio file at path (a local file only), for a video of
// frames samples at the video stream's rate: AAC in MP4, MP3 in AVI, cut to the video's length with
// a one-second fade-out. Before aviStreamSetFormat(), which writes the header.
int aviFileSetSoundtrack(AviFile *file, const QString &path, std::int64_t frames);
// A handle on source's stream that encodes with options (any CompressorInfo id).
int aviMakeCompressedStream(AviStreamPtr &compressed, AviStream *source, const CompressOptions &options);
// Sets the frame format from a BITMAPINFO block (info header, optionally a colour table) at
// position 0: 24- or 32-bit BI_RGB, bottom-up or top-down. Opens the encoder and writes the
// file header.
int aviStreamSetFormat(AviStream *stream, std::int64_t position, const void *format, std::int64_t formatSize);
// Hands one frame (samples must be 1) of DIB pixel rows at sample position start to the stream;
// positions must increase. flags kAviKeyFrame marks a stored frame as key frame.
int aviStreamWrite(AviStream *stream, std::int64_t start, std::int64_t samples, const void *buffer,
                   std::int64_t bufferSize, std::uint32_t flags);
// Whether the stream (its format set) also takes frames as YCbCr planes: its encoder codes
// full-range 4:2:0 of the frame's own size, as Motion JPEG does.
bool aviStreamTakesYuv(AviStream *stream);
// Hands one frame as 4:2:0 planes of the format's size to such a stream, like aviStreamWrite();
// BadArgument for a stream that does not take them.
int aviStreamWriteYuv(AviStream *stream, std::int64_t start, const YuvFrame &frame, std::uint32_t flags);
// Resets the handle; the last handle on a stream waits for its frames to be encoded and written.
int aviStreamRelease(AviStreamPtr &stream);
// Resets the handle: finishes every stream, writes the index and closes the file.
int aviFileRelease(AviFilePtr &file);

} // namespace tavelon
