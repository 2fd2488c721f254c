#include "video/yuvconvert.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tavelon {

namespace {

// BT.601 in 16-bit fixed point; each row of weights adds up to exactly one, so grey stays grey.
constexpr int kYr = 19595;
constexpr int kYg = 38470;
constexpr int kYb = 7471;
constexpr int kUr = -11058;
constexpr int kUg = -21710;
constexpr int kVg = -27439;
constexpr int kVb = -5329;
constexpr int kHalf = 32768; // the weight of 0.5, and of blue in U and red in V

// The hot loops also get an AVX2 build; the dynamic loader picks the one the processor supports.
#if defined(__GNUC__) && defined(__x86_64__)
#define TAVELON_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAVELON_CLONES
#endif

// A chroma value from channel sums weighted 16 in all, hence 20 fraction bits, centred on 128.
std::uint8_t chroma(int weighted)
{
    return std::uint8_t(std::clamp((weighted + (128 << 20) + (1 << 19)) >> 20, 0, 255));
}

TAVELON_CLONES void lumaRow(const std::uint8_t *__restrict row, int width, std::uint8_t *__restrict out)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t *p = row + x * 3;
        out[x] = std::uint8_t((kYr * p[2] + kYg * p[1] + kYb * p[0] + (1 << 15)) >> 16);
    }
}

// Rows 2j − 1 … 2j + 2 weighted 1, 3, 3, 1, byte by byte.
TAVELON_CLONES void weighRows(const std::uint8_t *__restrict r0, const std::uint8_t *__restrict r1,
                              const std::uint8_t *__restrict r2, const std::uint8_t *__restrict r3, int count,
                              std::uint16_t *__restrict out)
{
    for (int i = 0; i < count; ++i)
        out[i] = std::uint16_t(r0[i] + r3[i] + 3 * (r1[i] + r2[i]));
}

// Each pixel's U and V share from the weighted sums (blue, green, red per pixel).
TAVELON_CLONES void pixelChroma(const std::uint16_t *__restrict sums, int width, std::int32_t *__restrict u,
                                std::int32_t *__restrict v)
{
    for (int x = 0; x < width; ++x) {
        const std::uint16_t *p = sums + x * 3;
        u[x] = kUr * p[2] + kUg * p[1] + kHalf * p[0];
        v[x] = kHalf * p[2] + kVg * p[1] + kVb * p[0];
    }
}

// Chroma of pixel pairs.
TAVELON_CLONES void chromaRow(const std::int32_t *__restrict pu, const std::int32_t *__restrict pv, int pairs,
                              std::uint8_t *__restrict u, std::uint8_t *__restrict v)
{
    for (int i = 0; i < pairs; ++i) {
        u[i] = chroma(pu[2 * i] + pu[2 * i + 1]);
        v[i] = chroma(pv[2 * i] + pv[2 * i + 1]);
    }
}

} // namespace

void bgr24ToYuv420pFull(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height,
                        std::uint8_t *const planes[3], const int planeStrides[3])
{
    for (int y = 0; y < height; ++y)
        lumaRow(bgr + stride * y, width, planes[0] + std::ptrdiff_t(planeStrides[0]) * y);
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
        weighRows(rows[0], rows[1], rows[2], rows[3], width * 3, sums.data());
        std::uint8_t *u = planes[1] + std::ptrdiff_t(planeStrides[1]) * j;
        std::uint8_t *v = planes[2] + std::ptrdiff_t(planeStrides[2]) * j;
        pixelChroma(sums.data(), width, pu.data(), pv.data());
        if (width & 1) {
            // The odd last pixel pairs with itself.
            pu[std::size_t(width)] = pu[std::size_t(width) - 1];
            pv[std::size_t(width)] = pv[std::size_t(width) - 1];
        }
        chromaRow(pu.data(), pv.data(), (width + 1) / 2, u, v);
    }
}

} // namespace tavelon
