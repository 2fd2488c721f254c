#include "image/yuvconvert.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define TAVELON_AVX2_LUMA 1
#else
#define TAVELON_AVX2_LUMA 0
#endif

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

#if TAVELON_AVX2_LUMA
bool hasAvx2()
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

// Eight pixels at a time with the same integer sums as the plain loop: each pixel's channels go
// into 16-bit pairs (blue, green) and (green, red) weighted (kYb, kYg / 2) and (kYg / 2, kYr), so
// every weight fits a 16-bit multiply-add. Reads four bytes past the eighth pixel, so the loop
// stops while the row still holds them; returns the pixels done.
__attribute__((target("avx2"))) int lumaRowAvx2(const std::uint8_t *row, int width, std::uint8_t *out)
{
    static_assert(kYg % 2 == 0);
    // Per 128-bit lane, pixels 0, 1 (first) or 2, 3 (second) of the four the lane holds.
    const __m256i first = _mm256_setr_epi8(0, -1, 1, -1, 1, -1, 2, -1, 3, -1, 4, -1, 4, -1, 5, -1, 0, -1, 1,
                                           -1, 1, -1, 2, -1, 3, -1, 4, -1, 4, -1, 5, -1);
    const __m256i second = _mm256_setr_epi8(6, -1, 7, -1, 7, -1, 8, -1, 9, -1, 10, -1, 10, -1, 11, -1, 6, -1,
                                            7, -1, 7, -1, 8, -1, 9, -1, 10, -1, 10, -1, 11, -1);
    const __m256i weights = _mm256_setr_epi16(kYb, kYg / 2, kYg / 2, kYr, kYb, kYg / 2, kYg / 2, kYr, kYb,
                                              kYg / 2, kYg / 2, kYr, kYb, kYg / 2, kYg / 2, kYr);
    const __m256i half = _mm256_set1_epi32(1 << 15);
    int x = 0;
    for (; x + 10 <= width; x += 8) {
        const std::uint8_t *p = row + std::ptrdiff_t(x) * 3;
        const __m256i v = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 12)), 1);
        const __m256i a = _mm256_madd_epi16(_mm256_shuffle_epi8(v, first), weights);
        const __m256i b = _mm256_madd_epi16(_mm256_shuffle_epi8(v, second), weights);
        // Pixels 0 … 3 in the low lane, 4 … 7 in the high one.
        const __m256i y = _mm256_srli_epi32(_mm256_add_epi32(_mm256_hadd_epi32(a, b), half), 16);
        const __m256i words = _mm256_packs_epi32(y, y);
        const __m256i bytes = _mm256_packus_epi16(words, words);
        const std::uint32_t low = std::uint32_t(_mm_cvtsi128_si32(_mm256_castsi256_si128(bytes)));
        const std::uint32_t high = std::uint32_t(_mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1)));
        std::memcpy(out + x, &low, 4);
        std::memcpy(out + x + 4, &high, 4);
    }
    return x;
}
#endif

void lumaRow(const std::uint8_t *__restrict row, int width, std::uint8_t *__restrict out)
{
    int x = 0;
#if TAVELON_AVX2_LUMA
    if (hasAvx2())
        x = lumaRowAvx2(row, width, out);
#endif
    for (; x < width; ++x) {
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
