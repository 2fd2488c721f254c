#include "image/frameloader.h"

#include <utility>

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <turbojpeg.h>

#include "image/bmpformat.h"
#include "image/jpegplanes.h"
#include "image/orientation.h"
#include "image/yuvframe.h"

namespace tavelon {

namespace {

// The largest frame file worth reading: an uncompressed 32-bit picture of the largest frame size,
// with room for headers and a colour table.
constexpr qint64 kMaxFileBytes = 4LL * FrameLoader::maxFrameSide * FrameLoader::maxFrameSide + (1 << 20);

// No valid Huffman-coded JPEG needs less than one byte per 512 pixels (one bit per 8×8 block of a
// grey picture); a header claiming eight times that is a lie, not a picture worth allocating for.
constexpr qint64 kJpegMaxPixelsPerByte = 4096;

// TurboJPEG's layout of Format_RGB32 (0xffRRGGBB in a native 32-bit word).
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr TJPF kRgb32PixelFormat = TJPF_BGRX;
#else
constexpr TJPF kRgb32PixelFormat = TJPF_XRGB;
#endif

enum class FrameKind { Unknown, Jpeg, Bmp };

FrameKind kindOf(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    if (bytes.size() >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF)
        return FrameKind::Jpeg;
    if (bytes.size() >= 2 && p[0] == 'B' && p[1] == 'M')
        return FrameKind::Bmp;
    return FrameKind::Unknown;
}

// True when an end-of-image marker follows the first scan header. Inside entropy-coded data a
// 0xFF byte is always followed by 0x00 or a restart marker, so any FF D9 after the scan header ends
// the picture data; a file cut off (or still being written) has none. The search runs from the
// end, where the marker of a whole file sits, rather than through megabytes of picture data.
bool hasEndMarker(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype pos = 2;
    while (pos + 1 < n) {
        // Decoders skip stray bytes and fill bytes between segments; so does this walk.
        if (p[pos] != 0xFF || p[pos + 1] == 0xFF) {
            ++pos;
            continue;
        }
        const uchar marker = p[pos + 1];
        // Markers without a length: the start marker, restart markers, TEM.
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            pos += 2;
            continue;
        }
        if (pos + 4 > n)
            return false;
        const qsizetype segmentEnd = pos + 2 + qFromBigEndian<quint16>(p + pos + 2);
        if (marker == 0xDA)
            return bytes.lastIndexOf("\xFF\xD9") >= segmentEnd;
        pos = segmentEnd;
    }
    return false;
}

bool isPlausibleSize(qint64 width, qint64 height)
{
    return width >= 1 && height >= 1 && width <= FrameLoader::maxFrameSide &&
           height <= FrameLoader::maxFrameSide;
}

// The size of a decode of frame reduced for cover (sides rounded up, as TurboJPEG rounds them).
QSize reducedSize(QSize frame, QSize cover)
{
    const int divisor = FrameLoader::reductionFor(frame, cover);
    return {(frame.width() + divisor - 1) / divisor, (frame.height() + divisor - 1) / divisor};
}

// Copies uncompressed 24- or 32-bit BMP rows (blue, green, red[, unused] bytes) into an RGB32
// picture of the same size, flipping bottom-up files.
void copyBmpRows(const uchar *pixels, qint64 stride, bool bottomUp, int bytesPerPixel, QImage &out)
{
    const int width = out.width();
    const int height = out.height();
    uchar *outBits = out.bits();
    const qsizetype outStride = out.bytesPerLine();
    for (int y = 0; y < height; ++y) {
        const uchar *s = pixels + stride * (bottomUp ? height - 1 - y : y);
        auto *d = reinterpret_cast<QRgb *>(outBits + outStride * y);
        for (int x = 0; x < width; ++x, s += bytesPerPixel)
            d[x] = qRgb(s[2], s[1], s[0]);
    }
}

} // namespace

void FrameLoader::TjHandleDeleter::operator()(void *handle) const
{
    tjDestroy(handle);
}

FrameLoader::FrameLoader() : m_tj(tjInitDecompress()) {}

FrameLoader::~FrameLoader() = default;

std::optional<FrameFile> FrameLoader::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    FrameFile frame;
    frame.stamp.size = file.size();
    frame.stamp.modifiedMs = file.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
    frame.stamp.changedMs = file.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch();
    if (frame.stamp.size <= 0 || frame.stamp.size > kMaxFileBytes)
        return std::nullopt;
    frame.bytes = QByteArray(frame.stamp.size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < frame.stamp.size) {
        const qint64 got = file.read(frame.bytes.data() + done, frame.stamp.size - done);
        if (got <= 0)
            return std::nullopt;
        done += got;
    }
    return frame;
}

std::optional<FileStamp> FrameLoader::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch(),
                     info.metadataChangeTime().toMSecsSinceEpoch()};
}

bool FrameLoader::isUnchanged(const QString &path, const FileStamp &stamp)
{
    const std::optional<FileStamp> now = stampOf(path);
    return now && *now == stamp;
}

bool FrameLoader::decode(const QByteArray &bytes, QImage &image, QSize cover, QSize *frameSize)
{
    QSize size;
    bool decoded = false;
    switch (kindOf(bytes)) {
    case FrameKind::Jpeg: {
        // Camera frames are shown, checked and written the way up their EXIF block says; cover is
        // meant for the picture as shown.
        const Orientation orientation = jpegOrientation(bytes);
        decoded = decodeJpeg(bytes, image, swapsSides(orientation) ? cover.transposed() : cover, size);
        if (decoded && orientation != Orientation::Upright) {
            image = shownImage(image, orientation);
            size = shownSize(size, orientation);
        }
        break;
    }
    case FrameKind::Bmp:
        decoded = decodeBmp(bytes, image);
        size = image.size();
        break;
    case FrameKind::Unknown:
        break;
    }
    if (decoded && frameSize)
        *frameSize = size;
    return decoded;
}

int FrameLoader::reductionFor(QSize frame, QSize cover)
{
    if (cover.isEmpty())
        return 1;
    for (const int divisor : {8, 4, 2}) {
        if ((frame.width() + divisor - 1) / divisor >= cover.width() &&
            (frame.height() + divisor - 1) / divisor >= cover.height())
            return divisor;
    }
    return 1;
}

std::optional<QImage> FrameLoader::decode(const QByteArray &bytes)
{
    QImage image;
    if (!decode(bytes, image))
        return std::nullopt;
    return image;
}

bool FrameLoader::load(const QString &path, QImage &image, QSize cover, QSize *frameSize)
{
    const std::optional<FrameFile> file = readFile(path);
    return file && decode(file->bytes, image, cover, frameSize);
}

std::optional<QImage> FrameLoader::load(const QString &path)
{
    const std::optional<FrameFile> file = readFile(path);
    if (!file)
        return std::nullopt;
    return decode(file->bytes);
}

bool FrameLoader::failed(int result)
{
    if (result == 0)
        return false;
    // A call that returned anything but success may leave the handle half-used, and the error code
    // cannot tell: TurboJPEG 3 keeps an earlier warning's code through a later error. So the
    // handle is renewed either way, and only the code decides whether the result is usable.
    const bool error = tjGetErrorCode(m_tj.get()) != TJERR_WARNING;
    renewHandle();
    return error;
}

void FrameLoader::renewHandle()
{
    // After a cut-off file TurboJPEG can report the next file's header as read, without its size
    // or with the cut one's, or fail the next decode once; a fresh handle reads it properly.
    m_tj.reset(tjInitDecompress());
}

std::optional<FrameLoader::JpegHeader> FrameLoader::readJpegHeader(const QByteArray &bytes)
{
    JpegHeader h;
    // A warning (an unknown JFIF revision, say) still gives the header; only an error fails.
    if (failed(tjDecompressHeader3(m_tj.get(), reinterpret_cast<const uchar *>(bytes.constData()),
                                   static_cast<unsigned long>(bytes.size()), &h.width, &h.height,
                                   &h.subsampling, &h.colorspace)))
        return std::nullopt;
    if (!isPlausibleSize(h.width, h.height) ||
        qint64(h.width) * h.height > bytes.size() * kJpegMaxPixelsPerByte) {
        renewHandle();
        return std::nullopt;
    }
    return h;
}

bool FrameLoader::decodeJpeg(const QByteArray &bytes, QImage &image, QSize cover, QSize &frameSize)
{
    const auto decodeFull = [&] {
        const bool decoded = decodeWithQt(bytes, "jpeg", image);
        if (decoded)
            frameSize = image.size();
        return decoded;
    };
    if (!m_tj)
        return decodeFull();
    const std::optional<JpegHeader> h = readJpegHeader(bytes);
    if (!h)
        return false;
    // TurboJPEG cannot turn CMYK into RGB; Qt's reader can.
    if (h->colorspace == TJCS_CMYK || h->colorspace == TJCS_YCCK)
        return decodeFull();

    // A file whose data ends early (cut off, or still being written) must not show up half grey.
    // Warnings about anything else (stray bytes before a marker, an unknown JFIF revision, a
    // restart marker out of step) leave a picture that ordinary viewers show, so it is used.
    if (!hasEndMarker(bytes))
        return false;
    // A reduced decode skips most of the inverse DCT and colour work; entropy decoding still
    // reads every byte.
    const QSize decoded = reducedSize({h->width, h->height}, cover);
    if (!prepareSpare(decoded.width(), decoded.height()))
        return false;
    if (failed(tjDecompress2(m_tj.get(), reinterpret_cast<const uchar *>(bytes.constData()),
                             static_cast<unsigned long>(bytes.size()), m_spare.bits(), decoded.width(),
                             int(m_spare.bytesPerLine()), decoded.height(), kRgb32PixelFormat,
                             TJFLAG_LIMITSCANS)))
        return false;
    std::swap(image, m_spare);
    frameSize = QSize(h->width, h->height);
    return true;
}

bool FrameLoader::decodeSamples(const QByteArray &bytes, JpegPlanes &planes, QSize cover, QSize *frameSize)
{
    if (!m_tj || kindOf(bytes) != FrameKind::Jpeg)
        return false;
    const std::optional<JpegHeader> h = readJpegHeader(bytes);
    // Turned or mirrored frames go through decode(), which turns them.
    if (!h || jpegOrientation(bytes) != Orientation::Upright || h->colorspace != TJCS_YCbCr ||
        h->width < cover.width() || h->height < cover.height() || !JpegPlanes::handles(h->subsampling) ||
        !hasEndMarker(bytes))
        return false;
    // The reduced decode that still covers cover; the chroma planes of 4:2:0 then hold at least
    // half of it, which is all a 4:2:0 result keeps.
    const QSize decoded = reducedSize({h->width, h->height}, cover);
    if (!planes.prepare(decoded, h->subsampling))
        return false;
    if (failed(tjDecompressToYUVPlanes(m_tj.get(), reinterpret_cast<const uchar *>(bytes.constData()),
                                       static_cast<unsigned long>(bytes.size()), planes.planes.data(),
                                       decoded.width(), planes.strides.data(), decoded.height(),
                                       TJFLAG_LIMITSCANS)))
        return false;
    if (frameSize)
        *frameSize = QSize(h->width, h->height);
    return true;
}

bool FrameLoader::toImage(const YuvFrame &planes, QImage &image)
{
    if (!m_tj || planes.size.isEmpty())
        return false;
    if (image.size() != planes.size || image.format() != QImage::Format_RGB32)
        image = QImage(planes.size, QImage::Format_RGB32);
    const unsigned char *data[] = {planes.plane(0), planes.plane(1), planes.plane(2)};
    const int strides[] = {planes.stride(0), planes.stride(1), planes.stride(2)};
    return !image.isNull() &&
           !failed(tjDecodeYUVPlanes(m_tj.get(), data, strides, TJSAMP_420, image.bits(), planes.size.width(),
                                     int(image.bytesPerLine()), planes.size.height(), kRgb32PixelFormat, 0));
}

bool FrameLoader::decodeBmp(const QByteArray &bytes, QImage &image)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 fileSize = bytes.size();
    constexpr int kHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    if (fileSize < kBmpFileHeaderSize + kBmpCoreHeaderSize)
        return false;
    const qint64 bitOffset = quint32(readFileHeader(p).bitOffset);
    // Every info header starts with its own size.
    const quint32 headerSize = qFromLittleEndian<quint32>(p + kBmpFileHeaderSize);
    if (headerSize < quint32(kBmpInfoHeaderSize)) {
        // OS/2 core header with 16-bit sizes: rare enough for Qt's reader, which checks the size.
        if (headerSize != quint32(kBmpCoreHeaderSize) || bitOffset >= fileSize)
            return false;
        return decodeWithQt(bytes, "bmp", image);
    }
    if (fileSize < kHeadersSize)
        return false;
    const BitmapInfoHeader info = readInfoHeader(p + kBmpFileHeaderSize);
    const qint64 width = info.width;
    const bool bottomUp = info.height > 0;
    const qint64 height = bottomUp ? qint64(info.height) : -qint64(info.height);
    const int bitCount = quint16(info.bitCount);
    if (!isPlausibleSize(width, height) || bitOffset < kHeadersSize || bitOffset >= fileSize)
        return false;

    const std::int32_t compression = info.compression;
    const qint64 stride = dibStride(width, bitCount);
    const bool uncompressed =
        compression == kBiRgb || compression == kBiBitfields || compression == kBiAlphaBitfields;
    if (uncompressed) {
        // dibStride() is 0 for a bit count no bitmap can have.
        if (stride == 0 || bitOffset + stride * height > fileSize)
            return false;
    } else if (compression != kBiRle8 && compression != kBiRle4) {
        return false;
    }

    // Bit fields that only name the usual byte order are plain 32-bit pixels.
    auto maskAt = [p](int offset) { return qFromLittleEndian<quint32>(p + kHeadersSize + offset); };
    const bool standardMasks = fileSize >= kHeadersSize + 12 && maskAt(0) == 0x00FF0000u &&
                               maskAt(4) == 0x0000FF00u && maskAt(8) == 0x000000FFu;
    const bool fast =
        info.planes == 1 &&
        ((bitCount == 24 && compression == kBiRgb) ||
         (bitCount == 32 && (compression == kBiRgb || (compression == kBiBitfields && standardMasks))));
    if (!fast)
        return decodeWithQt(bytes, "bmp", image);

    if (!prepareSpare(int(width), int(height)))
        return false;
    copyBmpRows(p + bitOffset, stride, bottomUp, bitCount / 8, m_spare);
    std::swap(image, m_spare);
    return true;
}

bool FrameLoader::decodeWithQt(const QByteArray &bytes, const char *format, QImage &image)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return false;
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!isPlausibleSize(size.width(), size.height()))
        return false;
    QImage decoded;
    if (!reader.read(&decoded) || decoded.size() != size)
        return false;
    decoded.convertTo(QImage::Format_RGB32);
    if (decoded.isNull())
        return false;
    image = std::move(decoded);
    return true;
}

bool FrameLoader::prepareSpare(int width, int height)
{
    if (m_spare.width() != width || m_spare.height() != height || m_spare.format() != QImage::Format_RGB32 ||
        !m_spare.isDetached()) {
        m_spare = QImage();
        m_spare = QImage(width, height, QImage::Format_RGB32);
    }
    return !m_spare.isNull();
}

} // namespace tavelon
