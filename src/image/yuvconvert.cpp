#include "image/yuvconvert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/kernelset.h"
#include "image/yuvframe.h"
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
    void (*lumaChromaParts)(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *,
                            const std::uint8_t *, int, int, int, std::int32_t *, std::int32_t *);
    void (*videoRangeLuma)(const std::uint8_t *, const std::int32_t *, int, int, std::uint8_t *);
    void (*videoRangeChroma)(const std::uint8_t *, const std::uint8_t *, int, const int *, std::uint8_t *,
                             std::uint8_t *);
};

const RowLoops &rowLoops()
{
    static constexpr RowLoops plain{
        [](const std::uint8_t *, int, const YuvWeights &, std::uint8_t *) { return 0; },
        weighRows,
        pixelChroma,
        chromaRow,
        lumaChromaParts,
        videoRangeLuma,
        videoRangeChroma};
#if defined(TAVELON_AVX2_KERNELS)
    static constexpr RowLoops vector{avx2::lumaRow,         avx2::weighRows,       avx2::pixelChroma,
                                     avx2::chromaRow,       avx2::lumaChromaParts, avx2::videoRangeLuma,
                                     avx2::videoRangeChroma};
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

// The shares of red and blue in a matrix's luma.
struct LumaShares
{
    double kr, kb;
};

LumaShares lumaShares(YuvMatrix matrix)
{
    return matrix == YuvMatrix::Bt709 ? LumaShares{0.2126, 0.0722} : LumaShares{0.299, 0.114};
}

// Video range spans 219 steps of luma and 224 of chroma where full range spans 255.
constexpr double kVideoLumaScale = 219.0 / 255.0;
constexpr double kVideoChromaScale = 224.0 / 255.0;

} // namespace

YuvWeights yuvWeights(YuvMatrix matrix, bool fullRange)
{
    const auto [kr, kb] = lumaShares(matrix);
    const double lumaScale = fullRange ? 1.0 : kVideoLumaScale;
    const double chromaScale = fullRange ? 1.0 : kVideoChromaScale;
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

VideoRangeWeights videoRangeWeights(YuvMatrix matrix)
{
    // Through RGB: R = Y + 2(1 − kr)·Cr, B = Y + 2(1 − kb)·Cb, G from the luma equation; then the
    // target matrix, scaled to video range.
    const LumaShares jpeg = lumaShares(YuvMatrix::Bt601), target = lumaShares(matrix);
    const double kr = jpeg.kr, kb = jpeg.kb, tr = target.kr, tb = target.kb;
    struct Out
    {
        double y, cb, cr;
    };
    const auto convert = [&](double y, double cb, double cr) {
        const double r = y + 2 * (1 - kr) * cr;
        const double b = y + 2 * (1 - kb) * cb;
        const double g = (y - kr * r - kb * b) / (1 - kr - kb);
        const double ty = tr * r + (1 - tr - tb) * g + tb * b;
        return Out{ty * kVideoLumaScale, (b - ty) / (2 * (1 - tb)) * kVideoChromaScale,
                   (r - ty) / (2 * (1 - tr)) * kVideoChromaScale};
    };
    const Out fromY = convert(1, 0, 0), fromCb = convert(0, 1, 0), fromCr = convert(0, 0, 1);
    return {fixedPoint(fromY.y),   fixedPoint(fromCb.y),  fixedPoint(fromCr.y), fixedPoint(fromCb.cb),
            fixedPoint(fromCr.cb), fixedPoint(fromCb.cr), fixedPoint(fromCr.cr)};
}

namespace {

// Chroma rows: each sample on its own.
void videoRangeChromaPlanes(const RowLoops &loops, const YuvFrame &frame, const VideoRangeWeights &w,
                            std::uint8_t *const planes[3], const int planeStrides[3])
{
    const int m[4] = {w.cbCb, w.cbCr, w.crCb, w.crCr};
    for (int j = 0; j < frame.size.height() / 2; ++j) {
        loops.videoRangeChroma(frame.plane(1) + std::ptrdiff_t(j) * frame.stride(1),
                               frame.plane(2) + std::ptrdiff_t(j) * frame.stride(2), frame.size.width() / 2,
                               m, planes[1] + std::ptrdiff_t(j) * planeStrides[1],
                               planes[2] + std::ptrdiff_t(j) * planeStrides[2]);
    }
}

} // namespace

void yuv420FullToVideoRange(const YuvFrame &frame, const VideoRangeWeights &w, std::uint8_t *const planes[3],
                            const int planeStrides[3])
{
    const RowLoops &loops = rowLoops();
    videoRangeChromaPlanes(loops, frame, w, planes, planeStrides);
    const int width = frame.size.width();
    const int height = frame.size.height();
    const int chromaWidth = width / 2;
    const int chromaHeight = height / 2;
    // Luma of BT.601 takes no chroma: its parts stay zero.
    const bool chromaInLuma = w.yCb != 0 || w.yCr != 0;
    thread_local std::vector<std::int32_t> part, pixelPart;
    part.assign(std::size_t(chromaWidth), 0);
    pixelPart.assign(std::size_t(width), 0);
    for (int y = 0; y < height; ++y) {
        if (chromaInLuma) {
            const int near = y / 2;
            const int far = std::clamp(y % 2 ? near + 1 : near - 1, 0, chromaHeight - 1);
            loops.lumaChromaParts(frame.plane(1) + std::ptrdiff_t(near) * frame.stride(1),
                                  frame.plane(1) + std::ptrdiff_t(far) * frame.stride(1),
                                  frame.plane(2) + std::ptrdiff_t(near) * frame.stride(2),
                                  frame.plane(2) + std::ptrdiff_t(far) * frame.stride(2), chromaWidth, w.yCb,
                                  w.yCr, part.data(), pixelPart.data());
        }
        loops.videoRangeLuma(frame.plane(0) + std::ptrdiff_t(y) * frame.stride(0), pixelPart.data(), width,
                             w.y * 16, planes[0] + std::ptrdiff_t(y) * planeStrides[0]);
    }
}

} // namespace tavelon
