// The overlay: its layout as pure functions, its sizes, and its pixels in the preview and in the
// video frames, with the option events that redraw it.

#include <thread>

#include "form/uitext.h"
#include "overlay/overlay.h"
#include "overlay/overlaylayout.h"
#include "overlay/overlayoptions.h"
#include "overlay/videooverlay.h"
#include "testsupport.h"

using namespace tavelon::test;

namespace {

const QColor kFrameColor(0, 0, 128), kBoxColor(64, 64, 64), kWhite(255, 255, 255), kBlack(0, 0, 0);
const QSize kPreview(352, 288), kBlock(100, 20);

// Bounding box of the pixels of image for which pick is true; null when there are none.
QRect boundsWhere(const QImage &image, const std::function<bool(QColor)> &pick)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (pick(image.pixelColor(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}
const auto isWhiteInk = [](QColor c) { return c.red() > 160 && c.green() > 160 && c.blue() > 160; };
const auto isShadowInk = [](QColor c) { return c.red() < 40 && c.green() < 40 && c.blue() < 60; };
const auto isBox = [](QColor c) { return c == kBoxColor; };

TEST(OverlayLayout, CornersAnchorsAndBorders)
{
    const QStringList positions = {"Links oben", "Rechts oben", "Links unten", "Rechts unten"};
    EXPECT_EQ(overlayCorner(u"Rechts unten"_s, positions), OverlayCorner::BottomRight);
    EXPECT_EQ(overlayCorner(u"rechts unten"_s, positions), OverlayCorner::None);
    EXPECT_EQ(overlayCorner(u"A"_s, {"B", "A", "A"}), OverlayCorner::TopRight) << "first wins";
    // Video at m = 7 keeps the preview's plain anchors; its framed shifts differ slightly.
    using enum OverlayCorner;
    const std::tuple<OverlayCorner, bool, QPoint, QPoint> rows[] = {
        {TopLeft, false, {10, 7}, {10, 7}},
        {TopLeft, true, {16, 11}, {17, 13}},
        {TopRight, false, {245, 7}, {245, 7}},
        {TopRight, true, {241, 13}, {240, 13}},
        {BottomLeft, false, {10, 261}, {10, 261}},
        {BottomLeft, true, {16, 255}, {17, 254}},
        {BottomRight, false, {245, 261}, {245, 261}},
        {BottomRight, true, {241, 255}, {239, 254}},
        {None, true, {0, 0}, {0, 0}}};
    for (const auto &[corner, framed, preview, videoM7] : rows) {
        EXPECT_EQ(previewAnchor(corner, kPreview, kBlock, framed), preview) << int(corner) << framed;
        EXPECT_EQ(videoAnchor(corner, kPreview, kBlock, framed, 7), videoM7) << int(corner) << framed;
    }
    EXPECT_EQ(filledRect({5, 7}, {2, 3}), QRect(2, 3, 4, 5));
    EXPECT_EQ(filledRect({4, 4}, {4, 4}), QRect(4, 4, 1, 1));
    EXPECT_EQ(boxRect({16, 11}, {60, 15}), QRect(QPoint(11, 10), QPoint(71, 25)));
}

// name, the bars of a border around (40, 30), the black copy's shift
using BorderRow = std::tuple<const char *, QList<ColoredRect>, int>;
using BorderTest = ::testing::TestWithParam<BorderRow>;

// The border is a closed coloured frame over a shifted black copy.
TEST_P(BorderTest, IsAClosedFrameOverAShiftedBlackCopy)
{
    const auto &[name, bars, shift] = GetParam();
    ASSERT_EQ(bars.size(), 8);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::pair(bars[i].color, bars[i + 4].color), std::pair(BarColor::Black, BarColor::Text));
        EXPECT_EQ(bars[i].rect, bars[i + 4].rect.translated(shift, shift)) << "bar " << i;
    }
    // Top, bottom, left, right: no gaps where they meet.
    const QRect top = bars[4].rect, bottom = bars[5].rect, left = bars[6].rect, right = bars[7].rect;
    EXPECT_EQ(QList<int>({left.top(), left.bottom(), right.top(), right.bottom()}),
              QList<int>({top.top(), bottom.bottom(), top.top(), bottom.bottom()}));
    EXPECT_LE(std::max(top.left(), bottom.left()), left.right() + 1);
    EXPECT_GE(std::min(top.right(), bottom.right()) + 1, right.left());
}

INSTANTIATE_TEST_SUITE_P(Rows, BorderTest,
                         ::testing::Values(BorderRow{"Preview", previewBorder({40, 30}, kBlock), 1},
                                           BorderRow{"VideoMargin7", videoBorder({40, 30}, kBlock, 7), 1},
                                           BorderRow{"VideoMargin14", videoBorder({40, 30}, kBlock, 14), 2}),
                         rowName);

// A form with the built-in texts and option lists, a flat frame in sourceFrame, the overlay and its
// option events, and the preview showing the clean frame; Row is the row type of a
// value-parameterised test.
template <typename Row = int> class OverlayFixture : public ::testing::TestWithParam<Row>
{
protected:
    OverlayFixture()
    {
        for (const QString &t : builtInUiTexts())
            form.uiTextList.addItem(t);
        for (const QString &text : form.uiTexts(kUiTopLeft, kUiBottomRight))
            form.overlayCorner.addItem(text);
        for (const QString &text : form.uiTexts(kUiSmall, kUiHuge))
            form.overlaySize.addItem(text);
        form.overlayCorner.setText(form.uiText(kUiBottomRight));
        form.overlaySize.setText(form.uiText(kUiMedium));
        form.formatBox.setText(u"VCD PAL"_s);
        form.heightBox.setText(u"288"_s);
        form.sourceFrame.setImage(filled({176, 144}, kFrameColor));
        overlay = std::make_unique<Overlay>(form);
        options = std::make_unique<OverlayOptions>(form, *overlay);
        overlay->RevertPicPre();
        QObject::connect(options.get(), &OverlayOptions::redrawn, [this] { ++redraws; });
    }
    // videoFrame as the video writer sizes it, filled with the frame colour.
    void setVideoFrame(const char *format, int width, int height)
    {
        form.formatBox.setText(QLatin1String(format));
        form.heightBox.setText(QString::number(height));
        form.videoFrame.setImage(filled({width, height}, kFrameColor));
    }
    QColor previewPixel(int x, int y) const { return form.previewPicture.image().pixelColor(x, y); }
    QColor videoPixel(int x, int y) const { return form.videoFrame.image().pixelColor(x, y); }
    QSize previewBlock() const { return overlay->previewBlock().size(); }

    MainForm form;
    std::unique_ptr<Overlay> overlay;
    std::unique_ptr<OverlayOptions> options;
    int redraws = 0;
};
using OverlayTest = OverlayFixture<>;

// name, size, format, height box, then the preview text's points, the video text's points, margin and
// shadow offset
using LabelSizeRow = std::tuple<const char *, const char *, const char *, const char *, int, int, int, int>;
using LabelSizeTest = OverlayFixture<LabelSizeRow>;

// The video text follows the format whichever came before (a free format without a height as if
// 288 rows high), the preview text keeps its size.
TEST_P(LabelSizeTest, VideoTextFollowsTheFormatPreviewTextKeepsItsSize)
{
    const auto &[name, size, format, height, previewPoints, points, margin, shadow] = GetParam();
    form.overlaySize.setText(QString::fromUtf8(size));
    overlay->SetLabelSize();
    const QSize block = previewBlock();
    form.formatBox.setText(QLatin1String(format));
    form.heightBox.setText(QLatin1String(height));
    overlay->SetLabelSize();
    EXPECT_EQ(std::tuple(form.previewTextLabel.font().pointSize(), previewBlock(),
                         form.videoTextLabel.font().pointSize(), form.state.OverlayMargin,
                         form.state.OverlayShadow),
              std::tuple(previewPoints, block, points, margin, shadow));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LabelSizeTest,
    ::testing::Values(LabelSizeRow{"FullHd", "Gross", "Full-HD 16:9", "1080", 12, 45, 26, 3},
                      LabelSizeRow{"HugeVcdPal", "Riesig", "VCD PAL", "288", 14, 14, 7, 1},
                      LabelSizeRow{"SvcdNtsc", "Gross", "SVCD NTSC", "480", 12, 24, 14, 2},
                      LabelSizeRow{"FreeFormatWithoutHeight", "Gross", "Eigenes", "0", 12, 12, 7, 1}),
    rowName);

// The box runs from (11, 10) to (11 + lw, 10 + lh) inclusive; an empty text draws a two-space box.
// The line's top is at Y = 11: capitals start one ascent less the cap height below it.
TEST_F(OverlayTest, PreviewTopLeftWithBox)
{
    form.overlayCorner.setText(u"Links oben"_s);
    form.overlayBox.setValue(1);
    form.showOverlay.setValue(1);
    for (const QString &text : {QString(), u"HI"_s}) {
        form.overlayText.setText(text);
        const int lw = previewBlock().width(), lh = previewBlock().height();
        ASSERT_GT(lw, 0);
        EXPECT_EQ(boundsWhere(form.previewPicture.image(), isBox),
                  QRect(QPoint(11, 10), QPoint(11 + lw, 10 + lh)));
    }
    const QFontMetrics fm(overlay->previewBlock().font());
    const QRect ink = boundsWhere(form.previewPicture.image(), isWhiteInk);
    EXPECT_NEAR(ink.left(), 17, 1);
    EXPECT_NEAR(ink.top(), 11 + fm.ascent() - fm.capHeight(), 1);
}

TEST_F(OverlayTest, VideoDvdTopLeftWithBoxAndBorderAlsoFromAStyleOnAnotherThread)
{
    setVideoFrame("DVD PAL", 720, 576);
    form.overlayCorner.setText(u"Links oben"_s);
    form.overlayBox.setValue(1);
    overlay->PrintCopyrightAVI();
    const int lw = overlay->videoBlock().width(), lh = overlay->videoBlock().height();
    EXPECT_EQ(boundsWhere(form.videoFrame.image(), isBox), QRect(QPoint(29, 25), QPoint(29 + lw, 25 + lh)));
    const QRect ink = boundsWhere(form.videoFrame.image(), isWhiteInk);
    EXPECT_NEAR(ink.left(), 35.5, 1.5);
    EXPECT_GE(ink.top(), 26);

    // The border at m = 14 around the anchor (34, 26): coloured rows Y-4 … Y-2 and columns X-14 …
    // X-10, then the black copy.
    setVideoFrame("DVD PAL", 720, 576);
    const QImage clean = form.videoFrame.image();
    form.overlayBox.setValue(0);
    form.overlayBorder.setValue(1);
    overlay->PrintCopyrightAVI();
    const int x = 34, y = 26;
    QList<QColor> column, row;
    for (int i = y - 5; i <= y; ++i)
        column << videoPixel(x + 5, i);
    for (int i = x - 15; i <= x - 7; ++i)
        row << videoPixel(i, y + 5);
    EXPECT_EQ(column, (QList<QColor>{kFrameColor, kWhite, kWhite, kWhite, kBlack, kBlack}));
    EXPECT_EQ(row, (QList<QColor>{kFrameColor, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack, kBlack,
                                  kFrameColor}));

    // A style taken from the form draws, on another thread and after the form has changed, the very
    // frame the form's overlay drew when the style was taken.
    const OverlayStyle style = overlay->style();
    form.overlayText.setText(u"anders"_s);
    form.overlayBorder.setValue(0);
    QImage byThread = clean;
    std::thread([&] {
        VideoOverlay painter;
        painter.setStyle(style, overlay->fontFamily());
        painter.draw(byThread);
    }).join();
    EXPECT_EQ(byThread, form.videoFrame.image());
}

// The preview's shadow is one pixel off, the video's by the frame's size. The height box stays editable while
// a video is written: the text in an HD frame follows the frame being drawn, not the box. Frames that cannot
// be painted on are left alone.
TEST_F(OverlayTest, PreviewShadowAndTextSizeFollowTheFrameNotTheBox)
{
    form.overlayText.setText(u"I"_s);
    form.showOverlay.setValue(1);
    EXPECT_EQ(boundsWhere(form.previewPicture.image(), isShadowInk).bottomRight() -
                  boundsWhere(form.previewPicture.image(), isWhiteInk).bottomRight(),
              QPoint(1, 1));
    setVideoFrame("HD 16:9", 1280, 720);
    overlay->PrintCopyrightAVI();
    const QImage expected = form.videoFrame.image();
    EXPECT_EQ(boundsWhere(expected, isShadowInk).bottomRight() -
                  boundsWhere(expected, isWhiteInk).bottomRight(),
              QPoint(2, 2))
        << "the video's shadow is as far off as its frame's size asks";
    for (const char *typed : {"2000", "288", ""}) {
        setVideoFrame("HD 16:9", 1280, 720);
        form.heightBox.setText(QString::fromLatin1(typed));
        overlay->PrintCopyrightAVI();
        EXPECT_EQ(form.videoFrame.image(), expected) << typed;
    }
    form.videoFrame.setImage(QImage());
    overlay->PrintCopyrightAVI();
    const QImage indexed = expected.convertToFormat(QImage::Format_Indexed8);
    form.videoFrame.setImage(indexed);
    overlay->PrintCopyrightAVI();
    EXPECT_EQ(form.videoFrame.image(), indexed);
}

// Switching off restores the clean frame; without a frame the preview is painted over with its
// background, so a box moved to another corner leaves no trace at the old one. Switching on draws
// over the preview as it is.
TEST_F(OverlayTest, SwitchingOnAndOff)
{
    form.sourceFrame.setImage(stripes({640, 480}, {Qt::red, Qt::yellow, Qt::blue}));
    overlay->RevertPicPre();
    const QImage clean = form.previewPicture.image().copy();
    form.previewPicture.image().setPixelColor(200, 150, Qt::green);
    form.overlayBorder.setValue(1);
    form.showOverlay.setValue(1);
    EXPECT_EQ(previewPixel(200, 150), QColor(Qt::green));
    EXPECT_NE(form.previewPicture.image(), clean);
    form.showOverlay.setValue(0);
    EXPECT_EQ(form.previewPicture.image(), clean);

    form.sourceFrame.setImage(QImage());
    form.overlayBox.setValue(1);
    form.showOverlay.setValue(1);
    form.overlayCorner.setText(u"Links oben"_s);
    options->cboPosition_Click();
    EXPECT_EQ(boundsWhere(form.previewPicture.image(), isBox).topLeft(), QPoint(11, 10));
    EXPECT_EQ(previewPixel(347, 283), QColor(Qt::black));
}

// name, the event, the redraws it causes
using RedrawRow = std::tuple<const char *, void (*)(MainForm &), int>;
using RedrawTest = OverlayFixture<RedrawRow>;

TEST_P(RedrawTest, EachOptionEventRedrawsWhileOverlayIsOn)
{
    const auto &[name, event, expected] = GetParam();
    form.showOverlay.setValue(1);
    redraws = 0;
    event(form);
    EXPECT_EQ(redraws, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RedrawTest,
    ::testing::Values(
        RedrawRow{"NewText", [](MainForm &f) { f.overlayText.setText(u"Neu"_s); }, 1},
        RedrawRow{"Corner", [](MainForm &f) { f.overlayCorner.setListIndex(0); }, 1},
        RedrawRow{"TextColour", [](MainForm &f) { f.textColorSwatch(1)->click(); }, 1},
        RedrawRow{"BoxColourWhileTheBoxIsClear", [](MainForm &f) { f.boxColorSwatch(2)->click(); }, 0},
        RedrawRow{"Box", [](MainForm &f) { f.overlayBox.click(); }, 1},
        RedrawRow{"BoxThenBoxColour",
                  [](MainForm &f) { f.overlayBox.setValue(1), f.boxColorSwatch(3)->click(); }, 2},
        // The border clears the box.
        RedrawRow{"BoxThenBorder", [](MainForm &f) { f.overlayBox.setValue(1), f.overlayBorder.click(); },
                  3}),
    rowName);

TEST_F(OverlayTest, BoxTickedWhileTheBorderIsTickedShowsTheBoxOnly)
{
    form.showOverlay.setValue(1);
    form.overlayCorner.setText(u"Links oben"_s);
    form.overlayBorder.setValue(1);
    redraws = 0;
    form.overlayBox.click();
    // The frame's colour where the coloured left bar was.
    EXPECT_EQ(std::tuple(form.overlayBorder.value(), redraws, previewPixel(11, 10), previewPixel(9, 16)),
              std::tuple(0, 2, kBoxColor, kFrameColor));
}

} // namespace
