#pragma once

#include <cstdint>

class QImage;
class QString;

namespace tavelon {

// Writes image as a plain 24-bit bottom-up BMP (40-byte info header, image size filled in,
// 2835 pixels per metre) with one write call. RGB32 and ARGB32 pixels are converted directly
// (alpha dropped); other formats go through one conversion to RGB32. The file buffer is kept per
// thread, so frames of one size allocate nothing; an existing file is overwritten in place and cut
// to length. False on any failure, a full disk included.
bool writeBmp24(const QImage &image, const QString &path);

// The pixel rows of that BMP: image packed into bits as 24-bit bottom-up rows with zeroed padding.
// False (bits untouched) when image is null or size is not the bytes those rows take.
bool packBgr24(const QImage &image, std::uint8_t *bits, std::int64_t size);

} // namespace tavelon
