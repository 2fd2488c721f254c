#pragma once

#include <cstddef>
#include <cstdint>

namespace tavelon {

// The matrix of a YCbCr conversion: BT.601 (JPEG, SD video) or BT.709 (HD video).
enum class YuvMatrix { Bt601, Bt709 };

// An RGB → YCbCr conversion in 16-bit fixed point. Each row's weights add up exactly (to the
// luma scale, to zero for chroma), so grey stays grey: Y = yOffset + (yr·R + yg·G + yb·B) / 2¹⁶,
// Cb and Cr = 128 + (… ) / 2¹⁶.
struct YuvWeights
{
    int yr, yg, yb, yOffset;
    int ur, ug, ub;
    int vr, vg, vb;
};

// The weights of matrix in full range (0…255) or video range (16…235, chroma 16…240).
YuvWeights yuvWeights(YuvMatrix matrix, bool fullRange);

// BGR24 pixels to planar YUV 4:2:0 by weights. Row y of the picture starts at bgr + y · stride (a
// negative stride reads a bottom-up DIB from its last row). Chroma is filtered as swscale filters
// it: two pixels along the row, four rows weighted 1, 3, 3, 1 down the column; pixels past an odd
// last column or the edge rows repeat the edge.
void bgr24ToYuv420p(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height,
                    std::uint8_t *const planes[3], const int planeStrides[3], const YuvWeights &weights);

struct YuvFrame;

// Full-range BT.601 YCbCr to video-range YCbCr of another matrix, in 16-bit fixed point, on values
// centred on zero: Y' = 16 + y·Y + yCb·Cb + yCr·Cr, Cb' = 128 + cbCb·Cb + cbCr·Cr, Cr' likewise.
struct VideoRangeWeights
{
    int y, yCb, yCr;
    int cbCb, cbCr;
    int crCb, crCr;
};

// The weights that take a JPEG's samples to matrix's video range, worked out once per video.
VideoRangeWeights videoRangeWeights(YuvMatrix matrix);

// A JPEG's full-range BT.601 4:2:0 samples (frame) as video-range samples (weights), 4:2:0 of the
// same size, into planes. Each chroma sample converts on its own; a luma sample also takes the
// chroma at its place, interpolated 9:3:3:1 from the four nearest chroma samples as a JPEG
// decoder's smooth upsampling does, so that it equals converting through RGB.
void yuv420FullToVideoRange(const YuvFrame &frame, const VideoRangeWeights &weights,
                            std::uint8_t *const planes[3], const int planeStrides[3]);

} // namespace tavelon
