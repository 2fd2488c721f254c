#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

#include "form/videoboxes.h"

namespace tavelon {

// Size, modification and status-change time of a file, as seen when it was opened. Two stamps of
// the same path that differ mean the file was replaced, rewritten or made unreadable in between.
struct FileStamp
{
    qint64 size = -1;
    qint64 modifiedMs = 0;
    qint64 changedMs = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The whole contents of a frame file and the stamp it had when it was read.
struct FrameFile
{
    QByteArray bytes;
    FileStamp stamp;
};

struct JpegPlanes;
struct YuvFrame;

// Loads frame files (BMP or JPEG, told apart by their first bytes, whatever the extension) into
// RGB32 pictures at their own size, JPEG frames turned the way up their EXIF orientation says (the
// sizes reported are the shown ones). JPEG goes through TurboJPEG, common uncompressed 24/32-bit BMP
// through a single-pass copy, other BMP variants through QImageReader.
//
// Loading is split in two steps so that a caller can read the next frame ahead on another thread:
// readFile() touches only the file system and may run on any thread; decode() needs the loader's
// decoder and its buffers, so one loader serves one thread at a time. A file read ahead may change
// or vanish before its turn: at its turn the caller compares isUnchanged(path, stamp) and reads the
// file again when it is false, so the frame is used as it is at its turn (missing then means
// missing, and the previous picture stays).
//
// Every failure (missing, unreadable, truncated or corrupt file, a header claiming more pixels than
// the file can hold or more than maxFrameSide on a side) is a false / std::nullopt result that
// leaves the caller's picture untouched.
class FrameLoader
{
public:
    static constexpr int maxFrameSide = kMaxFrameSide;

    FrameLoader();
    ~FrameLoader();
    FrameLoader(const FrameLoader &) = delete;
    FrameLoader &operator=(const FrameLoader &) = delete;

    // Reads the whole file with one read. nullopt when it cannot be opened (missing, locked, a
    // folder), is empty, larger than any frame can be, or shrinks while it is read.
    static std::optional<FrameFile> readFile(const QString &path);
    // The file's stamp now; nullopt when it does not exist.
    static std::optional<FileStamp> stampOf(const QString &path);
    // True when path still has the given stamp.
    static bool isUnchanged(const QString &path, const FileStamp &stamp);

    // Decodes a frame file's bytes into image (RGB32, the frame's own size). On success the
    // picture's old pixel buffer is kept for the next decode of the same size, so a caller that
    // decodes frame after frame into the same QImage allocates nothing. On failure image is not
    // touched.
    //
    // A caller that will shrink the picture to cover (or less) may say so: a JPEG frame at least
    // twice as wide and as high is then decoded at 1/2, 1/4 or 1/8 of its size, the smallest of
    // them that still covers cover (much less work and memory than a full decode), and image is
    // smaller than the frame. frameSize, when given, receives the frame's own size on success.
    bool decode(const QByteArray &bytes, QImage &image, QSize cover = {}, QSize *frameSize = nullptr);
    std::optional<QImage> decode(const QByteArray &bytes);

    // Decodes a YCbCr JPEG frame at least as large as cover in both directions into
    // its own sample planes, reduced as far as they still cover it, for a caller that shrinks them
    // to cover in YCbCr. False for anything else (a BMP, a grey or CMYK JPEG, a smaller frame) and
    // when the file cannot be decoded. frameSize, when given, receives the frame's own size on
    // success.
    bool decodeSamples(const QByteArray &bytes, JpegPlanes &planes, QSize cover, QSize *frameSize = nullptr);

    // Planes turned back into an RGB32 picture of their size, into image (resized where needed);
    // false when that cannot be done.
    bool toImage(const YuvFrame &planes, QImage &image);

    // readFile() and decode() in one.
    bool load(const QString &path, QImage &image, QSize cover = {}, QSize *frameSize = nullptr);
    std::optional<QImage> load(const QString &path);

    // The divisor (1, 2, 4 or 8) of a reduced decode of a frame of size frame for cover: the
    // largest whose picture (sides rounded up) still covers cover in both directions.
    static int reductionFor(QSize frame, QSize cover);

    struct TjHandleDeleter
    {
        void operator()(void *handle) const;
    };

private:
    struct JpegHeader
    {
        int width = 0;
        int height = 0;
        int subsampling = 0;
        int colorspace = 0;
    };
    // The header of a JPEG file whose pixels TurboJPEG can decode; nullopt (with a fresh handle)
    // for a file that fails.
    std::optional<JpegHeader> readJpegHeader(const QByteArray &bytes);
    // Whether a TurboJPEG call's result is an error (a warning is not); renews the handle after
    // any result but success.
    bool failed(int result);
    void renewHandle();
    bool decodeJpeg(const QByteArray &bytes, QImage &image, QSize cover, QSize &frameSize);
    bool decodeBmp(const QByteArray &bytes, QImage &image);
    bool decodeWithQt(const QByteArray &bytes, const char *format, QImage &image);
    // m_spare sized for a frame, reusing its buffer when it is not shared; false when it cannot
    // be allocated.
    bool prepareSpare(int width, int height);

    std::unique_ptr<void, TjHandleDeleter> m_tj;
    QImage m_spare;
};

} // namespace tavelon
