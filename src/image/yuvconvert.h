#pragma once

#include <cstddef>
#include <cstdint>

namespace tavelon {

// BGR24 pixels to planar YUV 4:2:0 with full-range (JPEG) BT.601 values, the format Motion JPEG
// is encoded from. Row y of the picture starts at bgr + y · stride (a negative stride reads a
// bottom-up DIB from its last row). Chroma is filtered as swscale filters it for this format:
// two pixels along the row, four rows weighted 1, 3, 3, 1 down the column; pixels past an odd
// last column or the edge rows repeat the edge.
void bgr24ToYuv420pFull(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height,
                        std::uint8_t *const planes[3], const int planeStrides[3]);

} // namespace tavelon
