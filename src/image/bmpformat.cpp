#include "image/bmpformat.h"

#include <cstdlib>
#include <limits>

#include <QtEndian>

namespace tavelon {

namespace {

std::int16_t get16(const std::uint8_t *p)
{
    return qFromLittleEndian<qint16>(p);
}

std::int32_t get32(const std::uint8_t *p)
{
    return qFromLittleEndian<qint32>(p);
}

void put16(std::uint8_t *p, std::int16_t v)
{
    qToLittleEndian<qint16>(v, p);
}

void put32(std::uint8_t *p, std::int32_t v)
{
    qToLittleEndian<qint32>(v, p);
}

} // namespace

BitmapFileHeader readFileHeader(const std::uint8_t *p)
{
    return {get16(p), get32(p + 2), get16(p + 6), get16(p + 8), get32(p + 10)};
}

BitmapInfoHeader readInfoHeader(const std::uint8_t *p)
{
    return {get32(p),      get32(p + 4),  get32(p + 8),  get16(p + 12), get16(p + 14), get32(p + 16),
            get32(p + 20), get32(p + 24), get32(p + 28), get32(p + 32), get32(p + 36)};
}

void writeFileHeader(const BitmapFileHeader &h, std::uint8_t *p)
{
    put16(p, h.type);
    put32(p + 2, h.fileSize);
    put16(p + 6, h.reserved1);
    put16(p + 8, h.reserved2);
    put32(p + 10, h.bitOffset);
}

void writeInfoHeader(const BitmapInfoHeader &h, std::uint8_t *p)
{
    put32(p, h.size);
    put32(p + 4, h.width);
    put32(p + 8, h.height);
    put16(p + 12, h.planes);
    put16(p + 14, h.bitCount);
    put32(p + 16, h.compression);
    put32(p + 20, h.sizeImage);
    put32(p + 24, h.xPelsPerMeter);
    put32(p + 28, h.yPelsPerMeter);
    put32(p + 32, h.clrUsed);
    put32(p + 36, h.clrImportant);
}

std::int64_t dibStride(std::int64_t width, int bitCount)
{
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return 0;
    }
    if (width <= 0)
        return 0;
    return (width * bitCount + 31) / 32 * 4;
}

std::optional<std::int64_t> uncompressedImageSize(const BitmapInfoHeader &h)
{
    if (h.compression != kBiRgb && h.compression != kBiBitfields)
        return std::nullopt;
    const std::int64_t stride = dibStride(h.width, h.bitCount);
    const std::int64_t rows = std::llabs(std::int64_t(h.height));
    // Near 2^31 on both sides the product leaves the 64-bit range: no file holds such a bitmap.
    if (stride == 0 || rows == 0 || stride > std::numeric_limits<std::int64_t>::max() / rows)
        return std::nullopt;
    return stride * rows;
}

} // namespace tavelon
