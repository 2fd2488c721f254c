#pragma once

#include <cstdint>

#include "image/yuvconvert.h"

// The AVX2 builds of the converter's row loops (see yuvrows.h), called only when
// useAvx2Kernels() is true.
namespace tavelon::avx2 {

// Luma of the first pixels of a row, eight at a time with the plain loop's sums; returns the pixels
// done, which leaves a few at the row's end.
int lumaRow(const std::uint8_t *row, int width, const YuvWeights &w, std::uint8_t *out);
void weighRows(const std::uint8_t *r0, const std::uint8_t *r1, const std::uint8_t *r2, const std::uint8_t *r3,
               int count, std::uint16_t *out);
void pixelChroma(const std::uint16_t *sums, int width, const YuvWeights &w, std::int32_t *u, std::int32_t *v);
void chromaRow(const std::int32_t *pu, const std::int32_t *pv, int pairs, std::uint8_t *u, std::uint8_t *v);
void lumaChromaParts(const std::uint8_t *cb0, const std::uint8_t *cb1, const std::uint8_t *cr0,
                     const std::uint8_t *cr1, int chromaWidth, int yCb, int yCr, std::int32_t *p,
                     std::int32_t *pp);
void videoRangeLuma(const std::uint8_t *in, const std::int32_t *pp, int width, int scale, std::uint8_t *out);
void videoRangeChroma(const std::uint8_t *cb, const std::uint8_t *cr, int count, const int *m,
                      std::uint8_t *outCb, std::uint8_t *outCr);

} // namespace tavelon::avx2
