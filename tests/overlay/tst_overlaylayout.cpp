#include <gtest/gtest.h>

#include <array>

#include "overlay/overlaylayout.h"

namespace tavelon {
namespace {

const QStringList kPositions = {QStringLiteral("Links oben"), QStringLiteral("Rechts oben"),
                                QStringLiteral("Links unten"), QStringLiteral("Rechts unten")};
const QSize kPreview(352, 288);
const QSize kBlock(100, 20);

TEST(OverlayLayout, CornerFromPositionText)
{
    EXPECT_EQ(overlayCorner(QStringLiteral("Links oben"), kPositions), OverlayCorner::TopLeft);
    EXPECT_EQ(overlayCorner(QStringLiteral("Rechts unten"), kPositions), OverlayCorner::BottomRight);
    EXPECT_EQ(overlayCorner(QStringLiteral("rechts unten"), kPositions), OverlayCorner::None);
    EXPECT_EQ(overlayCorner(QStringLiteral("x"), {}), OverlayCorner::None);
    // Two equal entries: the first in table order wins.
    EXPECT_EQ(
        overlayCorner(QStringLiteral("A"), {QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("A")}),
        OverlayCorner::TopRight);
}

struct AnchorRow
{
    const char *name;
    OverlayCorner corner;
    bool framed;
    QPoint preview;
    QPoint videoM7;
};

// Video at m = 7 keeps the preview's plain anchors; its framed shifts differ slightly.
const AnchorRow kAnchorRows[] = {
    {"TopLeftPlain", OverlayCorner::TopLeft, false, {10, 7}, {10, 7}},
    {"TopLeftFramed", OverlayCorner::TopLeft, true, {16, 11}, {17, 13}},
    {"TopRightPlain", OverlayCorner::TopRight, false, {245, 7}, {245, 7}},
    {"TopRightFramed", OverlayCorner::TopRight, true, {241, 13}, {240, 13}},
    {"BottomLeftPlain", OverlayCorner::BottomLeft, false, {10, 261}, {10, 261}},
    {"BottomLeftFramed", OverlayCorner::BottomLeft, true, {16, 255}, {17, 254}},
    {"BottomRightPlain", OverlayCorner::BottomRight, false, {245, 261}, {245, 261}},
    {"BottomRightFramed", OverlayCorner::BottomRight, true, {241, 255}, {239, 254}},
    {"NoneIgnoresFraming", OverlayCorner::None, true, {0, 0}, {0, 0}},
};

TEST(OverlayLayout, AnchorsOnPreviewAndVcdFrame)
{
    for (const AnchorRow &row : kAnchorRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(previewAnchor(row.corner, kPreview, kBlock, row.framed), row.preview);
        EXPECT_EQ(videoAnchor(row.corner, kPreview, kBlock, row.framed, 7), row.videoM7);
    }
}

TEST(OverlayLayout, BorderStepsRoundDown)
{
    struct Row
    {
        int m;
        int k[6];
    };
    const Row rows[] = {
        {7, {6, 5, 4, 3, 2, 1}},
        {14, {12, 10, 8, 6, 4, 2}},
        {0, {0, 0, 0, 0, 0, 0}},
        // 33 / 1.1 is exactly 30; a floating-point quotient would round it down to 29.
        {33, {30, 25, 19, 14, 9, 5}},
        {26, {23, 20, 15, 11, 7, 4}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.m);
        const BorderSteps k = borderSteps(row.m);
        EXPECT_EQ((std::array{k.k1, k.k2, k.k3, k.k4, k.k5, k.k6}),
                  (std::array{row.k[0], row.k[1], row.k[2], row.k[3], row.k[4], row.k[5]}));
    }
}

TEST(OverlayLayout, FilledRectIncludesBothCornersInEitherOrder)
{
    const QRect a = filledRect({5, 7}, {2, 3});
    EXPECT_EQ(a, filledRect({2, 3}, {5, 7}));
    EXPECT_EQ(a, QRect(2, 3, 4, 5));
    EXPECT_EQ(filledRect({4, 4}, {4, 4}), QRect(4, 4, 1, 1));
    EXPECT_EQ(boxRect({16, 11}, {60, 15}), QRect(QPoint(11, 10), QPoint(71, 25)));
}

struct BorderCase
{
    const char *name;
    QList<ColoredRect> bars;
    int shift; // the black frame is the coloured one moved this far right and down
};

TEST(OverlayLayout, BorderIsClosedColouredFrameOverShiftedBlackCopy)
{
    const QPoint a(40, 30);
    const BorderCase cases[] = {
        {"preview", previewBorder(a, kBlock), 1},
        {"video m=7", videoBorder(a, kBlock, 7), 1},
        {"video m=14", videoBorder(a, kBlock, 14), 2},
    };
    for (const BorderCase &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.bars.size(), 8);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(c.bars[i].color, BarColor::Black);
            EXPECT_EQ(c.bars[i + 4].color, BarColor::Text);
            EXPECT_EQ(c.bars[i].rect, c.bars[i + 4].rect.translated(c.shift, c.shift)) << "bar " << i;
        }
        // Top, bottom, left, right: the side bars span top to bottom and the top and bottom
        // bars reach the side bars, so the frame has no gaps.
        const QRect top = c.bars[4].rect, bottom = c.bars[5].rect, left = c.bars[6].rect,
                    right = c.bars[7].rect;
        EXPECT_EQ(left.top(), top.top());
        EXPECT_EQ(left.bottom(), bottom.bottom());
        EXPECT_EQ(right.top(), top.top());
        EXPECT_EQ(right.bottom(), bottom.bottom());
        EXPECT_LE(top.left(), left.right() + 1);
        EXPECT_GE(top.right() + 1, right.left());
        EXPECT_LE(bottom.left(), left.right() + 1);
        EXPECT_GE(bottom.right() + 1, right.left());
    }
}

} // namespace
} // namespace tavelon
