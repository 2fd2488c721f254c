#include "image/scalekernels.h"

#include <algorithm>
#include <bit>

#include "image/kernelset.h"

namespace tavelon {

namespace {

// Where a 32-bit pixel keeps its alpha byte.
constexpr int kAlphaByte = std::endian::native == std::endian::little ? 3 : 0;

void rowPassPlain(const std::uint8_t *row, std::int16_t *out, const AxisTaps &xs)
{
    const int width = int(xs.first.size());
    for (int x = 0; x < width; ++x) {
        const std::uint8_t *p = row + xs.first[std::size_t(x)] * 4;
        const std::uint16_t *w = xs.weights.data() + xs.start[std::size_t(x)];
        const int taps = xs.taps(x);
        std::uint32_t sum[4] = {1u << (kRowShift - 1), 1u << (kRowShift - 1), 1u << (kRowShift - 1),
                                1u << (kRowShift - 1)};
        for (int j = 0; j < taps; ++j, p += 4)
            for (int c = 0; c < 4; ++c)
                sum[c] += std::uint32_t(w[j]) * p[c];
        for (int c = 0; c < 4; ++c)
            out[x * 4 + c] = std::int16_t(sum[c] >> kRowShift);
    }
}

// Values [from, count) of the column pass.
void columnPassPlain(const std::int16_t *const *rows, const std::uint16_t *w, int taps, int from, int count,
                     std::int32_t *sums, std::uint8_t *out)
{
    std::fill(sums + from, sums + count, 1 << (kColumnShift - 1));
    for (int k = 0; k < taps; ++k) {
        const std::int16_t *row = rows[k];
        const std::int32_t weight = w[k];
        for (int i = from; i < count; ++i)
            sums[i] += weight * row[i];
    }
    for (int i = from; i < count; ++i)
        out[i] = (i & 3) == kAlphaByte ? 0xFF : std::uint8_t(std::min(sums[i] >> kColumnShift, 255));
}

} // namespace

RowKernel rowKernel(const AxisTaps &xs, int srcWidth)
{
    RowKernel k;
    const int taps = (xs.maxTaps + 3) / 4 * 4;
    if (!useAvx2Kernels() || taps > srcWidth)
        return k;
    const int width = int(xs.first.size());
    const int padded = (width + 3) / 4 * 4;
    const std::size_t groups = std::size_t(taps) / 4;
    k.taps = taps;
    k.base.resize(std::size_t(padded));
    k.weights.assign(std::size_t(padded) / 2 * groups * 32, 0);
    for (int x = 0; x < padded; ++x) {
        const int first = xs.first[std::size_t(std::min(x, width - 1))];
        const int base = std::min(first, srcWidth - taps);
        k.base[std::size_t(x)] = base;
        if (x >= width)
            continue;
        std::int16_t *w = k.weights.data() + std::size_t(x / 2) * groups * 32 + std::size_t(x % 2) * 8;
        for (int j = 0; j < xs.taps(x); ++j) {
            const int tap = first - base + j;
            std::int16_t *group = w + tap / 4 * 32 + (tap % 4 >= 2 ? 16 : 0);
            for (int c = 0; c < 4; ++c)
                group[c * 2 + tap % 2] = std::int16_t(xs.weights[std::size_t(xs.start[std::size_t(x)] + j)]);
        }
    }
    return k;
}

void rowPass(const std::uint8_t *row, std::int16_t *out, const AxisTaps &xs, const RowKernel &k)
{
#if defined(TAVELON_AVX2_KERNELS)
    if (k.taps > 0)
        return avx2::rowPass(row, out, k.base.data(), int(k.base.size()), k.weights.data(), k.taps);
#endif
    rowPassPlain(row, out, xs);
}

void columnPass(const std::int16_t *const *rows, const std::uint16_t *w, int taps, int count,
                std::int32_t *sums, std::uint8_t *out)
{
#if defined(TAVELON_AVX2_KERNELS)
    const int done = useAvx2Kernels() ? avx2::columnPass(rows, w, taps, count, out) : 0;
#else
    const int done = 0;
#endif
    if (done < count)
        columnPassPlain(rows, w, taps, done, count, sums, out);
}

} // namespace tavelon
