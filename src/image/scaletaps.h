#pragma once

#include <cstdint>
#include <vector>

namespace tavelon {

// Fixed-point weights of the scaler. The weights of every destination pixel add up to exactly
// kWeightOne. The pass along the rows keeps each channel in 1/128 steps (kRowShift drops the rest,
// rounded), which fits 16 bits; the pass down the columns rounds to whole channel values. A solid
// colour stays exactly that colour.
inline constexpr int kWeightBits = 12;
inline constexpr std::uint32_t kWeightOne = 1u << kWeightBits;
inline constexpr int kRowShift = kWeightBits - 7;
inline constexpr int kColumnShift = kWeightBits + 7;

// The source pixels that make up each destination index along one axis.
struct AxisTaps
{
    // First source index of destination index i.
    std::vector<int> first;
    // The taps of index i are weights[start[i]] … weights[start[i + 1] − 1].
    std::vector<int> start;
    // Per index, they add up to kWeightOne.
    std::vector<std::uint16_t> weights;
    // One past the last source index any tap reads.
    int sourceEnd = 0;
    // The most taps of any index.
    int maxTaps = 0;

    int taps(int i) const { return start[std::size_t(i) + 1] - start[std::size_t(i)]; }
};

// The taps of a srcLen → dstLen stretch along one axis, for the first `used` destination indexes.
// Shrinking averages the source pixels each destination pixel covers, weighted by how much of them
// it covers (a box filter); enlarging interpolates between the two nearest source pixel centres
// (bilinear).
AxisTaps axisTaps(int srcLen, int dstLen, int used);

} // namespace tavelon
