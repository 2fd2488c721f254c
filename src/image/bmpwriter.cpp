#include "image/bmpwriter.h"

#include "image/bmpformat.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include <QFile>
#include <QImage>
#include <QString>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TAVELON_SSSE3_ROWS 1
#else
#define TAVELON_SSSE3_ROWS 0
#endif

namespace tavelon {

namespace {

constexpr std::int32_t kPixelsPerMetre = 2835; // 72 dpi

#if TAVELON_SSSE3_ROWS
bool hasSsse3()
{
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3;
}

// Four pixels at a time: one shuffle drops their alpha bytes. Each store writes 16 bytes for 12,
// so the loop stops while the row still has room for the four extra; returns the pixels done.
__attribute__((target("ssse3"))) int packRowSsse3(const QRgb *px, int width, std::uint8_t *d)
{
    const __m128i dropAlpha = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 6 <= width; x += 4, d += 12) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(px + x));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d), _mm_shuffle_epi8(v, dropAlpha));
    }
    return x;
}
#endif

} // namespace

bool packBgr24(const QImage &image, std::uint8_t *bits, std::int64_t size)
{
    if (image.isNull())
        return false;
    const bool direct = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    const QImage converted = direct ? QImage() : image.convertToFormat(QImage::Format_RGB32);
    const QImage &src = direct ? image : converted;
    const int width = src.width();
    const int height = src.height();
    const std::int64_t stride = dibStride(width, 24);
    if (src.isNull() || size != stride * height)
        return false;

    // Bottom-up: the first row of the bitmap is the image's last.
    std::uint8_t *row = bits;
    for (int y = height - 1; y >= 0; --y, row += stride) {
        const auto *px = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        std::uint8_t *d = row;
        int x = 0;
#if TAVELON_SSSE3_ROWS
        if (hasSsse3()) {
            x = packRowSsse3(px, width, d);
            d += std::ptrdiff_t(x) * 3;
        }
#endif
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        // A pixel's bytes in memory are blue, green, red, alpha: copy all four and let the next
        // pixel overwrite the alpha byte. The last pixel of the row gets its three bytes alone.
        for (; x + 1 < width; ++x, d += 3)
            std::memcpy(d, px + x, 4);
#endif
        for (; x < width; ++x, d += 3) {
            d[0] = std::uint8_t(qBlue(px[x]));
            d[1] = std::uint8_t(qGreen(px[x]));
            d[2] = std::uint8_t(qRed(px[x]));
        }
        for (std::int64_t pad = std::int64_t(width) * 3; pad < stride; ++pad)
            row[pad] = 0;
    }
    return true;
}

bool writeBmp24(const QImage &image, const QString &path)
{
    if (image.isNull())
        return false;
    const int width = image.width();
    const int height = image.height();
    const std::int64_t imageSize = dibStride(width, 24) * height;
    const std::int64_t fileSize = kBmpFileHeaderSize + kBmpInfoHeaderSize + imageSize;
    if (fileSize > std::numeric_limits<std::int32_t>::max())
        return false;

    thread_local std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(std::size_t(fileSize));
    } catch (const std::bad_alloc &) {
        return false;
    }
    std::uint8_t *out = buffer.data();
    const int bitOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    writeFileHeader({kBmpType, std::int32_t(fileSize), 0, 0, bitOffset}, out);
    writeInfoHeader({kBmpInfoHeaderSize, width, height, 1, 24, kBiRgb, std::int32_t(imageSize),
                     kPixelsPerMetre, kPixelsPerMetre, 0, 0},
                    out + kBmpFileHeaderSize);
    if (!packBgr24(image, out + bitOffset, imageSize))
        return false;

    // The same file is rewritten every frame: overwriting its bytes in place and cutting it to
    // length afterwards is many times cheaper than truncating it first, which frees and then
    // allocates again all of its cached pages.
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const bool written =
        f.write(reinterpret_cast<const char *>(out), fileSize) == fileSize && f.resize(fileSize);
    f.close();
    return written && f.error() == QFileDevice::NoError;
}

} // namespace tavelon
