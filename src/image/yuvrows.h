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

} // namespace
} // namespace tavelon
