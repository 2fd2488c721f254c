#include "image/scaletaps.h"

#include <algorithm>
#include <initializer_list>

namespace tavelon {

namespace {

void addTap(AxisTaps &taps, int first, std::initializer_list<std::uint32_t> weights)
{
    taps.first.push_back(first);
    for (std::uint32_t w : weights)
        taps.weights.push_back(std::uint16_t(w));
    taps.start.push_back(int(taps.weights.size()));
    taps.sourceEnd = std::max(taps.sourceEnd, first + int(weights.size()));
    taps.maxTaps = std::max(taps.maxTaps, int(weights.size()));
}

} // namespace

AxisTaps axisTaps(int srcLen, int dstLen, int used)
{
    AxisTaps taps;
    taps.first.reserve(std::size_t(used));
    taps.start.reserve(std::size_t(used) + 1);
    taps.start.push_back(0);
    for (int i = 0; i < used; ++i) {
        if (dstLen < srcLen) {
            // Source pixel j spans [j·dstLen, (j+1)·dstLen), destination pixel i spans
            // [i·srcLen, (i+1)·srcLen); weights are the overlaps, rounded cumulatively so that
            // they add up to exactly one.
            const std::int64_t begin = std::int64_t(i) * srcLen;
            const std::int64_t end = begin + srcLen;
            const int firstSrc = int(begin / dstLen);
            const int lastSrc = int((end - 1) / dstLen);
            std::int64_t covered = 0;
            std::uint32_t given = 0;
            taps.first.push_back(firstSrc);
            for (int j = firstSrc; j <= lastSrc; ++j) {
                covered +=
                    std::min(end, std::int64_t(j + 1) * dstLen) - std::max(begin, std::int64_t(j) * dstLen);
                const auto upTo = std::uint32_t((covered * kWeightOne + srcLen / 2) / srcLen);
                taps.weights.push_back(std::uint16_t(upTo - given));
                given = upTo;
            }
            taps.start.push_back(int(taps.weights.size()));
            taps.sourceEnd = std::max(taps.sourceEnd, lastSrc + 1);
            taps.maxTaps = std::max(taps.maxTaps, lastSrc + 1 - firstSrc);
            continue;
        }
        // Centre of destination pixel i in source pixels, in units of 1 / (2·dstLen).
        const std::int64_t unit = 2 * std::int64_t(dstLen);
        const std::int64_t pos = (2 * std::int64_t(i) + 1) * srcLen - dstLen;
        if (pos <= 0) {
            addTap(taps, 0, {kWeightOne});
            continue;
        }
        const int left = int(pos / unit);
        const auto right = std::uint32_t((pos % unit * kWeightOne + unit / 2) / unit);
        if (left >= srcLen - 1 || right == 0)
            addTap(taps, std::min(left, srcLen - 1), {kWeightOne});
        else if (right == kWeightOne)
            addTap(taps, left + 1, {kWeightOne});
        else
            addTap(taps, left, {kWeightOne - right, right});
    }
    return taps;
}

} // namespace tavelon
