#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavelon {

// The colour description of a video, as ISO/IEC 23091-2 (and H.264, MPEG-4) numbers it.
struct ColourDescription
{
    std::uint8_t primaries = 2; // 2: unspecified
    std::uint8_t transfer = 2;
    std::uint8_t matrix = 2;
    bool fullRange = false;
};

// MPEG-4 Part 2 carries the colour description in the visual object header, which FFmpeg's encoder
// writes without one. Returns the stream of size bytes at data with the description put into its
// first video object header that has none; empty when there is no such header (a frame without
// headers, or one that describes its colours already).
std::vector<std::uint8_t> withMpeg4Colours(const std::uint8_t *data, std::size_t size,
                                           const ColourDescription &colours);

} // namespace tavelon
