// Built with -mavx2; called only when useAvx2Kernels() is true.

#include <immintrin.h>

#include "image/scalekernels.h"

namespace tavelon::avx2 {

namespace {

// Two destination pixels' four channels each, weighted over groups × 4 source pixels from p0
// and p1.
inline __m256i weighPair(const std::uint8_t *p0, const std::uint8_t *p1, const std::int16_t *w, int groups)
{
    // Channels of source pixels 0, 1 (low) or 2, 3 (high) of four, paired per channel and widened
    // to 16 bits.
    const __m256i pairLow = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4,
                                             -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const __m256i pairHigh = _mm256_setr_epi8(8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1, 8,
                                              -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1);
    __m256i sum = _mm256_set1_epi32(1 << (kRowShift - 1));
    for (int g = 0; g < groups; ++g, p0 += 16, p1 += 16, w += 32) {
        const __m256i v = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p0))),
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(p1)), 1);
        const __m256i wl = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(w));
        const __m256i wh = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(w + 16));
        sum = _mm256_add_epi32(sum, _mm256_madd_epi16(_mm256_shuffle_epi8(v, pairLow), wl));
        sum = _mm256_add_epi32(sum, _mm256_madd_epi16(_mm256_shuffle_epi8(v, pairHigh), wh));
    }
    return _mm256_srai_epi32(sum, kRowShift);
}

// Groups is the number of groups of four taps when it is known at compile time, 0 otherwise.
template <int Groups>
void rowPassGroups(const std::uint8_t *row, std::int16_t *out, const int *base, int padded,
                   const std::int16_t *w, int taps)
{
    const int groups = Groups > 0 ? Groups : taps / 4;
    const int pairWeights = groups * 32;
    for (int x = 0; x < padded; x += 4, w += 2 * pairWeights) {
        const __m256i a = weighPair(row + base[x] * 4, row + base[x + 1] * 4, w, groups);
        const __m256i b = weighPair(row + base[x + 2] * 4, row + base[x + 3] * 4, w + pairWeights, groups);
        // packs works within lanes (pixels x, x + 2 | x + 1, x + 3); the permute restores the order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x * 4), packed);
    }
}

} // namespace

// Shrinks by up to about 2.5 (four taps) and 6.5 (eight) get loops of a fixed length.
void rowPass(const std::uint8_t *row, std::int16_t *out, const int *base, int padded,
             const std::int16_t *weights, int taps)
{
    if (taps == 4)
        rowPassGroups<1>(row, out, base, padded, weights, taps);
    else if (taps == 8)
        rowPassGroups<2>(row, out, base, padded, weights, taps);
    else
        rowPassGroups<0>(row, out, base, padded, weights, taps);
}

int columnPass(const std::int16_t *const *rows, const std::uint16_t *w, int taps, int count,
               std::uint8_t *out)
{
    const __m256i half = _mm256_set1_epi32(1 << (kColumnShift - 1));
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 32 <= count; i += 32) {
        __m256i sums[4] = {half, half, half, half};
        for (int k = 0; k < taps; k += 2) {
            // Rows k and k + 1 interleaved, so that one multiply-add weighs both.
            const bool pair = k + 1 < taps;
            const __m256i weights =
                _mm256_set1_epi32(int(std::uint32_t(w[k]) | (pair ? std::uint32_t(w[k + 1]) << 16 : 0)));
            const std::int16_t *r0 = rows[k] + i;
            const std::int16_t *r1 = pair ? rows[k + 1] + i : r0;
            for (int h = 0; h < 2; ++h) {
                const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(r0 + h * 16));
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(r1 + h * 16));
                sums[h * 2] =
                    _mm256_add_epi32(sums[h * 2], _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), weights));
                sums[h * 2 + 1] = _mm256_add_epi32(sums[h * 2 + 1],
                                                   _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), weights));
            }
        }
        // The unpacks work within 128-bit lanes; the packs undo that within lanes, the permute
        // puts the lanes in order.
        const __m256i lo = _mm256_packs_epi32(_mm256_srai_epi32(sums[0], kColumnShift),
                                              _mm256_srai_epi32(sums[1], kColumnShift));
        const __m256i hi = _mm256_packs_epi32(_mm256_srai_epi32(sums[2], kColumnShift),
                                              _mm256_srai_epi32(sums[3], kColumnShift));
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i), _mm256_or_si256(bytes, opaque));
    }
    return i;
}

} // namespace tavelon::avx2
