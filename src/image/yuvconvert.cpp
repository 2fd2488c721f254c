#include "image/yuvconvert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/kernelset.h"
#include "image/yuvconvert_avx2.h"
#include "image/yuvrows.h"

namespace tavelon {

namespace {

// The row loops of one build, plain or AVX2.
struct RowLoops
{
    int (*lumaHead)(const std::uint8_t *row, int width, const YuvWeights &w,
                    std::uint8_t *out); // pixels done
    void (*weighRows)(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
                      int, std::uint16_t *);
    void (*pixelChroma)(const std::uint16_t *, int, const YuvWeights &, std::int32_t *, std::int32_t *);
    void (*chromaRow)(const std::int32_t *, const std::int32_t *, int, std::uint8_t *, std::uint8_t *);
};

const RowLoops &rowLoops()
{
    static constexpr RowLoops plain{
        [](const std::uint8_t *, int, const YuvWeights &, std::uint8_t *) { return 0; }, weighRows,
        pixelChroma, chromaRow};
#if defined(TAVELON_AVX2_KERNELS)
    static constexpr RowLoops vector{avx2::lumaRow, avx2::weighRows, avx2::pixelChroma, avx2::chromaRow};
    if (useAvx2Kernels())
        return vector;
#endif
    return plain;
}

void lumaRow(const RowLoops &loops, const std::uint8_t *row, int width, const YuvWeights &w,
             std::uint8_t *out)
{
    const int offset = (w.yOffset << 16) + (1 << 15);
    for (int x = loops.lumaHead(row, width, w, out); x < width; ++x) {
        const std::uint8_t *p = row + x * 3;
        out[x] = std::uint8_t((w.yr * p[2] + w.yg * p[1] + w.yb * p[0] + offset) >> 16);
    }
}

int fixedPoint(double v)
{
    return int(std::lround(v * 65536.0));
}

} // namespace

YuvWeights yuvWeights(YuvMatrix matrix, bool fullRange)
{
    const double kr = matrix == YuvMatrix::Bt709 ? 0.2126 : 0.299;
    const double kb = matrix == YuvMatrix::Bt709 ? 0.0722 : 0.114;
    const double lumaScale = fullRange ? 1.0 : 219.0 / 255.0;
    const double chromaScale = fullRange ? 1.0 : 224.0 / 255.0;
    YuvWeights w{};
    // Green takes what the others leave, so that each row adds up exactly.
    w.yr = fixedPoint(kr * lumaScale);
    w.yb = fixedPoint(kb * lumaScale);
    w.yg = fixedPoint(lumaScale) - w.yr - w.yb;
    w.yOffset = fullRange ? 0 : 16;
    w.ub = fixedPoint(0.5 * chromaScale);
    w.ur = fixedPoint(-0.5 * kr / (1.0 - kb) * chromaScale);
    w.ug = -w.ur - w.ub;
    w.vr = w.ub;
    w.vb = fixedPoint(-0.5 * kb / (1.0 - kr) * chromaScale);
    w.vg = -w.vr - w.vb;
    return w;
}

void bgr24ToYuv420p(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height,
                    std::uint8_t *const planes[3], const int planeStrides[3], const YuvWeights &weights)
{
    const RowLoops &loops = rowLoops();
    for (int y = 0; y < height; ++y)
        lumaRow(loops, bgr + stride * y, width, weights, planes[0] + std::ptrdiff_t(planeStrides[0]) * y);
    // Chroma sample (i, j) sits between pixel rows 2j and 2j + 1: pairs of pixels along the row,
    // and rows 2j − 1 … 2j + 2 weighted 1, 3, 3, 1 down the column (the edge rows repeated), as
    // swscale filters it.
    const int chromaHeight = (height + 1) / 2;
    thread_local std::vector<std::uint16_t> sums;
    thread_local std::vector<std::int32_t> pu;
    thread_local std::vector<std::int32_t> pv;
    sums.resize(std::size_t(width) * 3);
    pu.resize(std::size_t(width) + 1);
    pv.resize(std::size_t(width) + 1);
    for (int j = 0; j < chromaHeight; ++j) {
        const std::uint8_t *rows[4];
        for (int k = 0; k < 4; ++k)
            rows[k] = bgr + stride * std::clamp(2 * j - 1 + k, 0, height - 1);
        loops.weighRows(rows[0], rows[1], rows[2], rows[3], width * 3, sums.data());
        std::uint8_t *u = planes[1] + std::ptrdiff_t(planeStrides[1]) * j;
        std::uint8_t *v = planes[2] + std::ptrdiff_t(planeStrides[2]) * j;
        loops.pixelChroma(sums.data(), width, weights, pu.data(), pv.data());
        if (width & 1) {
            // The odd last pixel pairs with itself.
            pu[std::size_t(width)] = pu[std::size_t(width) - 1];
            pv[std::size_t(width)] = pv[std::size_t(width) - 1];
        }
        loops.chromaRow(pu.data(), pv.data(), (width + 1) / 2, u, v);
    }
}

} // namespace tavelon
