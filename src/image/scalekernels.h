#pragma once

#include <cstdint>
#include <vector>

#include "image/scaletaps.h"

namespace tavelon {

// The scaler's two passes: along a row (source pixels to 16-bit channels) and down the columns
// (16-bit rows to 32-bit pixels). The plain loops serve any processor; the AVX2 ones, in a file of
// their own built for AVX2, run where useAvx2Kernels() says so and give the same values.

// The pass along a row, laid out for the vector loop: every destination pixel reads the same
// number of source pixels (a multiple of four, zero weights where it needs fewer) starting at
// base[x], which is moved left at the row's end so that no read leaves the row. Pixels go in pairs,
// one per 128-bit lane; each pair has 32 weights per group of four taps: w0 w1 repeated for the
// channels of each pixel's first two source pixels, then w2 w3 for the other two. The row is
// padded to whole pairs of pairs with pixels of zero weight.
struct RowKernel
{
    int taps = 0; // 0: no vector layout, the plain loop runs
    std::vector<int> base;
    std::vector<std::int16_t> weights;
};

// The vector layout of xs, or none (taps 0) when the AVX2 loops are not used or the row is
// shorter than the taps.
RowKernel rowKernel(const AxisTaps &xs, int srcWidth);

// One source row of 32-bit pixels weighted along x into out (four 16-bit channels per destination
// pixel); out needs room for three pixels past the row.
void rowPass(const std::uint8_t *row, std::int16_t *out, const AxisTaps &xs, const RowKernel &k);

// The weighted sum of taps rows of count 16-bit values, rounded to whole channel values; alpha
// becomes opaque. sums is scratch space for count values.
void columnPass(const std::int16_t *const *rows, const std::uint16_t *w, int taps, int count,
                std::int32_t *sums, std::uint8_t *out);

namespace avx2 {
// Only raw pointers cross into the AVX2 file: a library template instantiated there would be built
// for AVX2 and might be the copy the linker keeps for everybody.

// All base.size() (padded) destination pixels of the row.
void rowPass(const std::uint8_t *row, std::int16_t *out, const int *base, int padded,
             const std::int16_t *weights, int taps);
// The values in whole groups of 32 from the start; returns how many it did.
int columnPass(const std::int16_t *const *rows, const std::uint16_t *w, int taps, int count,
               std::uint8_t *out);
} // namespace avx2

} // namespace tavelon
