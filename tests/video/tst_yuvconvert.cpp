// The BGR to YUV 4:2:0 converter against swscale set up as the pipeline sets it up for other
// formats (full range in and out, bilinear), its vector loops against its plain ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "image/kernelset.h"
#include "image/yuvconvert.h"

using namespace tavelon;

namespace {

using Plane = std::vector<std::uint8_t>;
using Planes = std::array<Plane, 3>;

Planes emptyPlanes(int width, int height)
{
    const auto chroma = std::size_t((width + 1) / 2 * ((height + 1) / 2));
    return {Plane(std::size_t(width * height)), Plane(chroma), Plane(chroma)};
}

// Our converter on a picture whose first row starts at bgr, rows stride bytes apart.
Planes convert(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height)
{
    Planes out = emptyPlanes(width, height);
    const int cw = (width + 1) / 2;
    std::uint8_t *const planes[3] = {out[0].data(), out[1].data(), out[2].data()};
    const int strides[3] = {width, cw, cw};
    bgr24ToYuv420pFull(bgr, stride, width, height, planes, strides);
    return out;
}

// From 8 rows on the two agree; shorter frames stay with swscale.
Planes swscaleReference(const Plane &bgr, int width, int height)
{
    std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(sws_alloc_context(), &sws_freeContext);
    for (const auto &[name, value] : {std::pair{"srcw", width},
                                      {"srch", height},
                                      {"dstw", width},
                                      {"dsth", height},
                                      {"src_format", int(AV_PIX_FMT_BGR24)},
                                      {"dst_format", int(AV_PIX_FMT_YUV420P)},
                                      {"sws_flags", SWS_BILINEAR},
                                      {"src_range", 1},
                                      {"dst_range", 1}})
        av_opt_set_int(sws.get(), name, value, 0);
    EXPECT_GE(sws_init_context(sws.get(), nullptr, nullptr), 0);
    // swscale's vector loops may write past the end of a row: give it padded rows, then copy.
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    const int strides[3] = {(width + 63) / 64 * 64, (cw + 63) / 64 * 64, (cw + 63) / 64 * 64};
    Plane padded[3];
    std::uint8_t *planes[3];
    for (int i = 0; i < 3; ++i) {
        padded[i].resize(std::size_t(strides[i] * (i ? ch : height) + 64));
        planes[i] = padded[i].data();
    }
    const std::uint8_t *src[4] = {bgr.data(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {width * 3, 0, 0, 0};
    sws_scale(sws.get(), src, srcStride, 0, height, planes, strides);
    Planes out = emptyPlanes(width, height);
    for (int i = 0; i < 3; ++i) {
        const int w = i ? cw : width;
        for (int y = 0; y < (i ? ch : height); ++y)
            std::copy_n(planes[i] + y * strides[i], w, out[i].begin() + y * w);
    }
    return out;
}

int maxDiff(const Plane &a, const Plane &b)
{
    int m = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        m = std::max(m, std::abs(int(a[i]) - int(b[i])));
    return m;
}

// Noise, a gradient, or the saturated corners of the colour cube, where chroma reaches its limits.
Plane picture(const std::string &kind, int width, int height)
{
    Plane bgr(std::size_t(width * height * 3));
    std::uint32_t seed = 7;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                seed = seed * 1664525u + 1013904223u;
                bgr[std::size_t((y * width + x) * 3 + c)] =
                    kind == "noise" ? std::uint8_t(seed >> 24)
                    : kind == "gradient"
                        ? std::uint8_t((x * (c + 1) + y * (3 - c)) * 255 / (4 * (width + height)))
                        : (((x / 2 + y / 2 * 3) >> c) & 1 ? 255 : 0);
            }
    return bgr;
}

TEST(YuvConvert, MatchesSwscaleWithinOne)
{
    std::vector<std::tuple<const char *, int, int>> rows = {{"noise", 720, 576}, {"gradient", 720, 576},
                                                            {"cube", 64, 48},    {"noise", 2, 8},
                                                            {"noise", 34, 10},   {"cube", 352, 288}};
    // Every width up to 41 runs the vector loop and the plain tail in all proportions.
    for (int width = 1; width <= 41; ++width)
        rows.emplace_back("noise", width, 8);
    for (const auto &[kind, width, height] : rows) {
        SCOPED_TRACE(std::string(kind) + " " + std::to_string(width) + "x" + std::to_string(height));
        const Plane bgr = picture(kind, width, height);
        const Planes expected = swscaleReference(bgr, width, height);
        const Planes ours = convert(bgr.data(), width * 3, width, height);
        EXPECT_LE(maxDiff(ours[0], expected[0]), 1);
        // Chroma of an odd last column: ours pairs the pixel with itself, swscale does not.
        if (width % 2 == 0) {
            EXPECT_LE(maxDiff(ours[1], expected[1]), 1);
            EXPECT_LE(maxDiff(ours[2], expected[2]), 1);
        }
    }
}

TEST(YuvConvert, BottomUpRowsOddSizesAndPlainLoops)
{
    // Read from its last row with a negative stride, a bottom-up picture gives the same planes as
    // its top-down twin.
    const int w = 10, h = 6;
    const Plane topDown = picture("noise", w, h);
    Plane bottomUp(topDown.size());
    for (int y = 0; y < h; ++y)
        std::copy_n(topDown.begin() + y * w * 3, w * 3, bottomUp.begin() + (h - 1 - y) * w * 3);
    EXPECT_EQ(convert(topDown.data(), w * 3, w, h), convert(bottomUp.data() + (h - 1) * w * 3, -w * 3, w, h));

    // Odd sides: the last column and row average with themselves, so a solid colour stays exact;
    // white, black and pure blue (whose U lies half a step above 255) land on their limits.
    const std::array<std::uint8_t, 6> colours[] = {
        {255, 255, 255, 255, 128, 128}, {0, 0, 0, 0, 128, 128}, {255, 0, 0, 29, 255, 107}};
    for (const auto &c : colours) {
        Plane bgr;
        for (int i = 0; i < 5 * 3; ++i)
            bgr.insert(bgr.end(), {c[0], c[1], c[2]});
        const Planes out = convert(bgr.data(), 5 * 3, 5, 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(out[i], Plane(out[i].size(), c[3 + i])) << int(c[0]) << " plane " << i;
    }

    if (!useAvx2Kernels())
        GTEST_SKIP() << "no AVX2 here: only the plain loops run";
    for (const auto &[width, height] : {std::pair{720, 576}, std::pair{37, 11}}) {
        const Plane bgr = picture("noise", width, height);
        const Planes vector = convert(bgr.data(), width * 3, width, height);
        forcePlainKernels(true);
        const Planes plain = convert(bgr.data(), width * 3, width, height);
        forcePlainKernels(false);
        EXPECT_EQ(vector, plain) << width;
    }
}

} // namespace
