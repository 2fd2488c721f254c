#include "image/bmpformat.h"

#include <cstdlib>
#include <limits>

namespace tavelon {

namespace {

std::int16_t get16(const std::uint8_t *p)
{
    return static_cast<std::int16_t>(p[0] | (p[1] << 8));
}

std::int32_t get32(const std::uint8_t *p)
{
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                                     (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
}

void put16(std::uint8_t *p, std::int16_t v)
{
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = std::uint8_t(u);
    p[1] = std::uint8_t(u >> 8);
}

void put32(std::uint8_t *p, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = std::uint8_t(u);
    p[1] = std::uint8_t(u >> 8);
    p[2] = std::uint8_t(u >> 16);
    p[3] = std::uint8_t(u >> 24);
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
