#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "image/kernelset.h"
#include "image/yuvconvert.h"

using namespace tavelon;

namespace {

struct Yuv
{
    int width;
    int height;
    std::vector<std::uint8_t> y, u, v;

    Yuv(int w, int h)
        : width(w), height(h), y(std::size_t(w * h)), u(std::size_t((w + 1) / 2 * ((h + 1) / 2))), v(u.size())
    {}
};

// Our converter on a picture whose first row starts at bgr, rows stride bytes apart.
Yuv convert(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height)
{
    Yuv out(width, height);
    std::uint8_t *const planes[3] = {out.y.data(), out.u.data(), out.v.data()};
    const int strides[3] = {width, (width + 1) / 2, (width + 1) / 2};
    bgr24ToYuv420pFull(bgr, stride, width, height, planes, strides);
    return out;
}

// swscale set up as the pipeline sets it up for other formats: full range in and out, bilinear.
// From 8 rows on the two agree; shorter frames stay with swscale.
Yuv swscaleReference(const std::vector<std::uint8_t> &bgr, int width, int height)
{
    std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(sws_alloc_context(), &sws_freeContext);
    av_opt_set_int(sws.get(), "srcw", width, 0);
    av_opt_set_int(sws.get(), "srch", height, 0);
    av_opt_set_int(sws.get(), "dstw", width, 0);
    av_opt_set_int(sws.get(), "dsth", height, 0);
    av_opt_set_int(sws.get(), "src_format", AV_PIX_FMT_BGR24, 0);
    av_opt_set_int(sws.get(), "dst_format", AV_PIX_FMT_YUV420P, 0);
    av_opt_set_int(sws.get(), "sws_flags", SWS_BILINEAR, 0);
    av_opt_set_int(sws.get(), "src_range", 1, 0);
    av_opt_set_int(sws.get(), "dst_range", 1, 0);
    EXPECT_GE(sws_init_context(sws.get(), nullptr, nullptr), 0);
    // swscale's vector loops may write past the end of a row: give it padded rows, then copy.
    const int cw = (width + 1) / 2;
    const int ch = (height + 1) / 2;
    const int lumaStride = (width + 63) / 64 * 64;
    const int chromaStride = (cw + 63) / 64 * 64;
    std::vector<std::uint8_t> padded[3] = {std::vector<std::uint8_t>(std::size_t(lumaStride * height + 64)),
                                           std::vector<std::uint8_t>(std::size_t(chromaStride * ch + 64)),
                                           std::vector<std::uint8_t>(std::size_t(chromaStride * ch + 64))};
    std::uint8_t *planes[3] = {padded[0].data(), padded[1].data(), padded[2].data()};
    const int strides[3] = {lumaStride, chromaStride, chromaStride};
    const std::uint8_t *src[4] = {bgr.data(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {width * 3, 0, 0, 0};
    sws_scale(sws.get(), src, srcStride, 0, height, planes, strides);
    Yuv out(width, height);
    for (int y = 0; y < height; ++y)
        std::copy_n(planes[0] + y * lumaStride, width, out.y.begin() + y * width);
    for (int y = 0; y < ch; ++y) {
        std::copy_n(planes[1] + y * chromaStride, cw, out.u.begin() + y * cw);
        std::copy_n(planes[2] + y * chromaStride, cw, out.v.begin() + y * cw);
    }
    return out;
}

int maxDiff(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b)
{
    int m = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        m = std::max(m, std::abs(int(a[i]) - int(b[i])));
    return m;
}

std::vector<std::uint8_t> picture(const std::string &kind, int width, int height)
{
    std::vector<std::uint8_t> bgr(std::size_t(width * height * 3));
    std::uint32_t seed = 7;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t *p = bgr.data() + (y * width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                seed = seed * 1664525u + 1013904223u;
                if (kind == "noise")
                    p[c] = std::uint8_t(seed >> 24);
                else if (kind == "gradient")
                    p[c] = std::uint8_t((x * (c + 1) + y * (3 - c)) * 255 / (4 * (width + height)));
                else // saturated corners of the colour cube, where chroma reaches its limits
                    p[c] = ((x / 2 + y / 2 * 3) >> c) & 1 ? 255 : 0;
            }
        }
    return bgr;
}

TEST(YuvConvert, MatchesSwscaleWithinOne)
{
    const struct
    {
        const char *kind;
        int width;
        int height;
    } rows[] = {{"noise", 720, 576}, {"gradient", 720, 576}, {"cube", 64, 48},
                {"noise", 2, 8},     {"noise", 34, 10},      {"cube", 352, 288}};
    // Chroma of an odd last column: ours pairs the pixel with itself, swscale does not.
    const auto compare = [](const char *kind, int width, int height) {
        SCOPED_TRACE(std::string(kind) + " " + std::to_string(width) + "x" + std::to_string(height));
        const std::vector<std::uint8_t> bgr = picture(kind, width, height);
        const Yuv expected = swscaleReference(bgr, width, height);
        const Yuv ours = convert(bgr.data(), width * 3, width, height);
        EXPECT_LE(maxDiff(ours.y, expected.y), 1);
        if (width % 2 == 0) {
            EXPECT_LE(maxDiff(ours.u, expected.u), 1);
            EXPECT_LE(maxDiff(ours.v, expected.v), 1);
        }
    };
    for (const auto &row : rows)
        compare(row.kind, row.width, row.height);
    // Every width up to 41 runs the vector loop and the plain tail in all proportions.
    for (int width = 1; width <= 41; ++width)
        compare("noise", width, 8);
}

TEST(YuvConvert, BottomUpRowsAndOddSizes)
{
    // Read from its last row with a negative stride, a bottom-up picture gives the same planes as
    // its top-down twin.
    const int w = 10;
    const int h = 6;
    const std::vector<std::uint8_t> topDown = picture("noise", w, h);
    std::vector<std::uint8_t> bottomUp(topDown.size());
    for (int y = 0; y < h; ++y)
        std::copy_n(topDown.begin() + y * w * 3, w * 3, bottomUp.begin() + (h - 1 - y) * w * 3);
    const Yuv a = convert(topDown.data(), w * 3, w, h);
    const Yuv b = convert(bottomUp.data() + (h - 1) * w * 3, -w * 3, w, h);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.u, b.u);
    EXPECT_EQ(a.v, b.v);

    // Odd sides: the last column and row average with themselves, so a solid colour stays exact;
    // white, black and pure blue (whose U lies half a step above 255) land on their limits.
    const struct
    {
        std::uint8_t b, g, r;
        std::uint8_t y, u, v;
    } colours[] = {{255, 255, 255, 255, 128, 128},
                   {0, 0, 0, 0, 128, 128},
                   {255, 0, 0, 29, 255, 107},
                   {128, 128, 128, 128, 128, 128}};
    for (const auto &c : colours) {
        const int ow = 5;
        const int oh = 3;
        std::vector<std::uint8_t> bgr;
        for (int i = 0; i < ow * oh; ++i)
            bgr.insert(bgr.end(), {c.b, c.g, c.r});
        const Yuv out = convert(bgr.data(), ow * 3, ow, oh);
        EXPECT_EQ(out.y, std::vector<std::uint8_t>(out.y.size(), c.y));
        EXPECT_EQ(out.u, std::vector<std::uint8_t>(out.u.size(), c.u));
        EXPECT_EQ(out.v, std::vector<std::uint8_t>(out.v.size(), c.v));
    }
}

TEST(YuvConvert, PlainAndVectorLoopsGiveTheSamePlanes)
{
    if (!useAvx2Kernels())
        GTEST_SKIP() << "no AVX2 here: only the plain loops run";
    for (const auto &[width, height] : {std::pair{720, 576}, std::pair{37, 11}, std::pair{10, 8}}) {
        SCOPED_TRACE(width);
        const std::vector<std::uint8_t> bgr = picture("noise", width, height);
        const Yuv vector = convert(bgr.data(), width * 3, width, height);
        forcePlainKernels(true);
        const Yuv plain = convert(bgr.data(), width * 3, width, height);
        forcePlainKernels(false);
        EXPECT_EQ(vector.y, plain.y);
        EXPECT_EQ(vector.u, plain.u);
        EXPECT_EQ(vector.v, plain.v);
    }
}

} // namespace
