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

namespace {

// Full-range BT.601 YCbCr to video-range YCbCr of another matrix, in 16-bit fixed point, on values
// centred on zero: Y' = 16 + y·Y + yCb·Cb + yCr·Cr, Cb' = 128 + cbCb·Cb + cbCr·Cr, Cr' likewise.
struct VideoRangeWeights
{
    int y, yCb, yCr;
    int cbCb, cbCr;
    int crCb, crCr;
};

VideoRangeWeights videoRangeWeights(YuvMatrix matrix)
{
    // Through RGB: R = Y + 2(1 − kr)·Cr, B = Y + 2(1 − kb)·Cb, G from the luma equation; then the
    // target matrix, scaled to video range.
    constexpr double kr = 0.299, kb = 0.114;
    const double tr = matrix == YuvMatrix::Bt709 ? 0.2126 : kr;
    const double tb = matrix == YuvMatrix::Bt709 ? 0.0722 : kb;
    struct Out
    {
        double y, cb, cr;
    };
    const auto convert = [&](double y, double cb, double cr) {
        const double r = y + 2 * (1 - kr) * cr;
        const double b = y + 2 * (1 - kb) * cb;
        const double g = (y - kr * r - kb * b) / (1 - kr - kb);
        const double ty = tr * r + (1 - tr - tb) * g + tb * b;
        return Out{ty * 219 / 255, (b - ty) / (2 * (1 - tb)) * 224 / 255,
                   (r - ty) / (2 * (1 - tr)) * 224 / 255};
    };
    const Out fromY = convert(1, 0, 0), fromCb = convert(0, 1, 0), fromCr = convert(0, 0, 1);
    return {fixedPoint(fromY.y),   fixedPoint(fromCb.y),  fixedPoint(fromCr.y), fixedPoint(fromCb.cb),
            fixedPoint(fromCr.cb), fixedPoint(fromCb.cr), fixedPoint(fromCr.cr)};
}

std::uint8_t clampByte(int v)
{
    return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Chroma rows: each sample on its own.
void videoRangeChroma(const YuvFrame &frame, const VideoRangeWeights &w, std::uint8_t *const planes[3],
                      const int planeStrides[3])
{
    const int width = frame.size.width() / 2;
    for (int j = 0; j < frame.size.height() / 2; ++j) {
        const std::uint8_t *cb = frame.plane(1) + std::ptrdiff_t(j) * frame.stride(1);
        const std::uint8_t *cr = frame.plane(2) + std::ptrdiff_t(j) * frame.stride(2);
        std::uint8_t *outCb = planes[1] + std::ptrdiff_t(j) * planeStrides[1];
        std::uint8_t *outCr = planes[2] + std::ptrdiff_t(j) * planeStrides[2];
        for (int i = 0; i < width; ++i) {
            const int b = cb[i] - 128, r = cr[i] - 128;
            outCb[i] = clampByte(128 + ((w.cbCb * b + w.cbCr * r + (1 << 15)) >> 16));
            outCr[i] = clampByte(128 + ((w.crCb * b + w.crCr * r + (1 << 15)) >> 16));
        }
    }
}

} // namespace

void yuv420FullToVideoRange(const YuvFrame &frame, YuvMatrix matrix, std::uint8_t *const planes[3],
                            const int planeStrides[3])
{
    const VideoRangeWeights w = videoRangeWeights(matrix);
    videoRangeChroma(frame, w, planes, planeStrides);
    const int width = frame.size.width();
    const int height = frame.size.height();
    const int chromaWidth = width / 2;
    const int chromaHeight = height / 2;
    // The chroma part of luma per chroma column of the row's nearer and farther chroma rows
    // (weighted 3 and 1), 4 × 16 fraction bits; then per pixel, the nearer and farther columns
    // weighted 3 and 1 again (the edge columns repeated), 16 in all, hence 20 fraction bits. Plain
    // loops without a branch, which the compiler turns into vector code. Luma of BT.601 takes no
    // chroma: its parts stay zero.
    const bool chromaInLuma = w.yCb != 0 || w.yCr != 0;
    thread_local std::vector<std::int32_t> part, pixelPart;
    part.assign(std::size_t(chromaWidth), 0);
    pixelPart.assign(std::size_t(width), 0);
    std::int32_t *pp = pixelPart.data();
    const int scale = w.y * 16;
    const int offset = (16 << 20) + (1 << 19);
    for (int y = 0; y < height; ++y) {
        if (chromaInLuma) {
            const int near = y / 2;
            const int far = std::clamp(y % 2 ? near + 1 : near - 1, 0, chromaHeight - 1);
            const std::uint8_t *cb0 = frame.plane(1) + std::ptrdiff_t(near) * frame.stride(1);
            const std::uint8_t *cb1 = frame.plane(1) + std::ptrdiff_t(far) * frame.stride(1);
            const std::uint8_t *cr0 = frame.plane(2) + std::ptrdiff_t(near) * frame.stride(2);
            const std::uint8_t *cr1 = frame.plane(2) + std::ptrdiff_t(far) * frame.stride(2);
            std::int32_t *p = part.data();
            for (int i = 0; i < chromaWidth; ++i)
                p[i] = w.yCb * (3 * cb0[i] + cb1[i] - 512) + w.yCr * (3 * cr0[i] + cr1[i] - 512);
            pp[0] = 4 * p[0];
            for (int i = 1; i < chromaWidth; ++i)
                pp[2 * i] = 3 * p[i] + p[i - 1];
            for (int i = 0; i + 1 < chromaWidth; ++i)
                pp[2 * i + 1] = 3 * p[i] + p[i + 1];
            pp[width - 1] = 4 * p[chromaWidth - 1];
        }
        const std::uint8_t *in = frame.plane(0) + std::ptrdiff_t(y) * frame.stride(0);
        std::uint8_t *out = planes[0] + std::ptrdiff_t(y) * planeStrides[0];
        for (int x = 0; x < width; ++x) {
            const int v = (scale * in[x] + pp[x] + offset) >> 20;
            out[x] = std::uint8_t(std::min(std::max(v, 0), 255));
        }
    }
}

} // namespace tavelon
