// Built with -mavx2; called only when useAvx2Kernels() is true.

#include <cstring>

#include <immintrin.h>

#include "image/yuvconvert_avx2.h"
#include "image/yuvrows.h"

namespace tavelon::avx2 {

// Eight pixels at a time with the same integer sums as the plain loop: each pixel's channels go
// into 16-bit pairs (blue, green) and (green, red) weighted (yb, yg − yg / 2) and (yg / 2, yr), so
// every weight fits a 16-bit multiply-add. Reads four bytes past the eighth pixel, so the loop
// stops while the row still holds them; returns the pixels done.
int lumaRow(const std::uint8_t *row, int width, const YuvWeights &w, std::uint8_t *out)
{
    // Per 128-bit lane, pixels 0, 1 (first) or 2, 3 (second) of the four the lane holds.
    const __m256i first = _mm256_setr_epi8(0, -1, 1, -1, 1, -1, 2, -1, 3, -1, 4, -1, 4, -1, 5, -1, 0, -1, 1,
                                           -1, 1, -1, 2, -1, 3, -1, 4, -1, 4, -1, 5, -1);
    const __m256i second = _mm256_setr_epi8(6, -1, 7, -1, 7, -1, 8, -1, 9, -1, 10, -1, 10, -1, 11, -1, 6, -1,
                                            7, -1, 7, -1, 8, -1, 9, -1, 10, -1, 10, -1, 11, -1);
    const auto g1 = std::int16_t(w.yg - w.yg / 2), g2 = std::int16_t(w.yg / 2);
    const auto red = std::int16_t(w.yr), blue = std::int16_t(w.yb);
    const __m256i weights =
        _mm256_setr_epi16(blue, g1, g2, red, blue, g1, g2, red, blue, g1, g2, red, blue, g1, g2, red);
    const __m256i half = _mm256_set1_epi32((w.yOffset << 16) + (1 << 15));
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
void weighRows(const std::uint8_t *r0, const std::uint8_t *r1, const std::uint8_t *r2, const std::uint8_t *r3,
               int count, std::uint16_t *out)
{
    tavelon::weighRows(r0, r1, r2, r3, count, out);
}

void pixelChroma(const std::uint16_t *sums, int width, const YuvWeights &w, std::int32_t *u, std::int32_t *v)
{
    tavelon::pixelChroma(sums, width, w, u, v);
}

void chromaRow(const std::int32_t *pu, const std::int32_t *pv, int pairs, std::uint8_t *u, std::uint8_t *v)
{
    tavelon::chromaRow(pu, pv, pairs, u, v);
}

void lumaChromaParts(const std::uint8_t *cb0, const std::uint8_t *cb1, const std::uint8_t *cr0,
                     const std::uint8_t *cr1, int chromaWidth, int yCb, int yCr, std::int32_t *p,
                     std::int32_t *pp)
{
    tavelon::lumaChromaParts(cb0, cb1, cr0, cr1, chromaWidth, yCb, yCr, p, pp);
}

void videoRangeLuma(const std::uint8_t *in, const std::int32_t *pp, int width, int scale, std::uint8_t *out)
{
    tavelon::videoRangeLuma(in, pp, width, scale, out);
}

void videoRangeChroma(const std::uint8_t *cb, const std::uint8_t *cr, int count, const int *m,
                      std::uint8_t *outCb, std::uint8_t *outCr)
{
    tavelon::videoRangeChroma(cb, cr, count, m, outCb, outCr);
}

} // namespace tavelon::avx2
