#pragma once

#include <QSize>

#include <cstdint>
#include <vector>

namespace tavelon {

// A picture as full-range BT.601 YCbCr planes, 4:2:0, of even size: the samples a JPEG file holds
// and the layout Motion JPEG codes. The planes lie one after the other in bytes: Y (width per
// row), then Cb and Cr (width / 2 per row).
struct YuvFrame
{
    QSize size;
    std::vector<std::uint8_t> bytes;

    // Sizes the planes; false when the size is odd or empty, or memory runs out.
    bool resize(QSize newSize);
    std::uint8_t *plane(int i) { return bytes.data() + offset(i); }
    const std::uint8_t *plane(int i) const { return bytes.data() + offset(i); }
    int stride(int i) const { return i == 0 ? size.width() : size.width() / 2; }

private:
    std::size_t offset(int i) const;
};

} // namespace tavelon
