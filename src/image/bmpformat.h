#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tavelon {

// Layout of the Windows bitmap file: the 14-byte file header, the 40-byte info header that also
// opens a packed DIB and an AVI video format block. Little-endian throughout.
inline constexpr int kBmpFileHeaderSize = 14;
inline constexpr int kBmpInfoHeaderSize = 40;
inline constexpr std::int16_t kBmpType = 19778; // "BM"
inline constexpr int kBmpCoreHeaderSize = 12;   // the OS/2 info header, with 16-bit sizes
inline constexpr std::int32_t kBiRgb = 0;
inline constexpr std::int32_t kBiRle8 = 1;
inline constexpr std::int32_t kBiRle4 = 2;
inline constexpr std::int32_t kBiBitfields = 3;
inline constexpr std::int32_t kBiAlphaBitfields = 6;

struct BitmapFileHeader
{
    std::int16_t type = 0;
    std::int32_t fileSize = 0;
    std::int16_t reserved1 = 0;
    std::int16_t reserved2 = 0;
    std::int32_t bitOffset = 0;
};

struct BitmapInfoHeader
{
    std::int32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int16_t planes = 0;
    std::int16_t bitCount = 0;
    std::int32_t compression = 0;
    std::int32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::int32_t clrUsed = 0;
    std::int32_t clrImportant = 0;
};

// Field readers for the first 14 / 40 bytes at p (the caller guarantees the bytes are there).
BitmapFileHeader readFileHeader(const std::uint8_t *p);
BitmapInfoHeader readInfoHeader(const std::uint8_t *p);
void writeFileHeader(const BitmapFileHeader &h, std::uint8_t *p);
void writeInfoHeader(const BitmapInfoHeader &h, std::uint8_t *p);

// Bytes in one pixel row of an uncompressed DIB (rows are padded to 4 bytes). 0 for a width or bit
// count no DIB can have.
std::int64_t dibStride(std::int64_t width, int bitCount);

// Bytes the pixel rows of an uncompressed (BI_RGB / BI_BITFIELDS) DIB need; nullopt when the
// header is not one of those or its width, height or bit count are impossible.
std::optional<std::int64_t> uncompressedImageSize(const BitmapInfoHeader &h);

} // namespace tavelon
