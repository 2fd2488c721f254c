#pragma once

// The converter's row loops, shared by the plain build (yuvconvert.cpp) and the AVX2 build
// (yuvconvert_avx2.cpp) of the same code. Internal linkage: each file keeps the copy built with
// its own flags.

#include <cstdint>

#include "image/yuvconvert.h"

namespace tavelon {
namespace {

// A chroma value from channel sums weighted 16 in all, hence 20 fraction bits, centred on 128.
inline std::uint8_t chroma(int weighted)
{
    // No std::clamp: a library template instantiated in the AVX2 build might be the copy the linker
    // keeps for everybody.
    const int value = (weighted + (128 << 20) + (1 << 19)) >> 20;
    return std::uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Rows 2j − 1 … 2j + 2 weighted 1, 3, 3, 1, byte by byte.
inline void weighRows(const std::uint8_t *__restrict r0, const std::uint8_t *__restrict r1,
                      const std::uint8_t *__restrict r2, const std::uint8_t *__restrict r3, int count,
                      std::uint16_t *__restrict out)
{
    for (int i = 0; i < count; ++i)
        out[i] = std::uint16_t(r0[i] + r3[i] + 3 * (r1[i] + r2[i]));
}

// Each pixel's U and V share from the weighted sums (blue, green, red per pixel).
inline void pixelChroma(const std::uint16_t *__restrict sums, int width, const YuvWeights &w,
                        std::int32_t *__restrict u, std::int32_t *__restrict v)
{
    const int ur = w.ur, ug = w.ug, ub = w.ub, vr = w.vr, vg = w.vg, vb = w.vb;
    for (int x = 0; x < width; ++x) {
        const std::uint16_t *p = sums + x * 3;
        u[x] = ur * p[2] + ug * p[1] + ub * p[0];
        v[x] = vr * p[2] + vg * p[1] + vb * p[0];
    }
}

// Chroma of pixel pairs.
inline void chromaRow(const std::int32_t *__restrict pu, const std::int32_t *__restrict pv, int pairs,
                      std::uint8_t *__restrict u, std::uint8_t *__restrict v)
{
    for (int i = 0; i < pairs; ++i) {
        u[i] = chroma(pu[2 * i] + pu[2 * i + 1]);
        v[i] = chroma(pv[2 * i] + pv[2 * i + 1]);
    }
}

// For the conversion of a JPEG's samples to video range: each pixel's chroma part of luma along
// one row. The part per chroma column weighs the nearer chroma row 3 and the farther 1, 4 × 16
// fraction bits; per pixel the nearer and farther columns weigh 3 and 1 again (the edge columns
// repeated), 16 in all, hence 20 fraction bits.
inline void lumaChromaParts(const std::uint8_t *__restrict cb0, const std::uint8_t *__restrict cb1,
                            const std::uint8_t *__restrict cr0, const std::uint8_t *__restrict cr1,
                            int chromaWidth, int yCb, int yCr, std::int32_t *__restrict p,
                            std::int32_t *__restrict pp)
{
    for (int i = 0; i < chromaWidth; ++i)
        p[i] = yCb * (3 * cb0[i] + cb1[i] - 512) + yCr * (3 * cr0[i] + cr1[i] - 512);
    pp[0] = 4 * p[0];
    for (int i = 1; i < chromaWidth; ++i)
        pp[2 * i] = 3 * p[i] + p[i - 1];
    for (int i = 0; i + 1 < chromaWidth; ++i)
        pp[2 * i + 1] = 3 * p[i] + p[i + 1];
    pp[2 * chromaWidth - 1] = 4 * p[chromaWidth - 1];
}

// Video-range luma from full-range luma (times scale, 20 fraction bits) and each pixel's chroma part.
inline void videoRangeLuma(const std::uint8_t *__restrict in, const std::int32_t *__restrict pp, int width,
                           int scale, std::uint8_t *__restrict out)
{
    for (int x = 0; x < width; ++x) {
        const int v = (scale * in[x] + pp[x] + (16 << 20) + (1 << 19)) >> 20;
        out[x] = std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

// Video-range chroma from full-range chroma, sample by sample: m holds the weights of Cb and Cr in
// Cb', then in Cr', 16 fraction bits.
inline void videoRangeChroma(const std::uint8_t *__restrict cb, const std::uint8_t *__restrict cr, int count,
                             const int *m, std::uint8_t *__restrict outCb, std::uint8_t *__restrict outCr)
{
    const int m0 = m[0], m1 = m[1], m2 = m[2], m3 = m[3];
    for (int i = 0; i < count; ++i) {
        const int b = cb[i] - 128, r = cr[i] - 128;
        const int u = 128 + ((m0 * b + m1 * r + (1 << 15)) >> 16);
        const int v = 128 + ((m2 * b + m3 * r + (1 << 15)) >> 16);
        outCb[i] = std::uint8_t(u < 0 ? 0 : u > 255 ? 255 : u);
        outCr[i] = std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

} // namespace
} // namespace tavelon
