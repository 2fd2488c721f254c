#include <gtest/gtest.h>

#include <QFontMetrics>

#include "overlaytestsupport.h"

namespace tavelon::test {
namespace {

class OverlayDrawTest : public OverlayTest
{
protected:
    void turnOn() { form.Check1.setValue(1); }
    QSize previewBlock() const { return overlay->previewBlock().size(); }
    QSize videoBlock() const { return overlay->videoBlock().size(); }
};

// The box runs from (11, 10) to (11 + lw, 10 + lh) inclusive; an empty text draws a two-space box.
TEST_F(OverlayDrawTest, PreviewTopLeftWithBox)
{
    form.cboPosition.setText(QStringLiteral("Links oben"));
    form.Check2.setValue(1);
    turnOn();
    for (const QString &text : {QStringLiteral("HI"), QString()}) {
        SCOPED_TRACE(text.toStdString());
        form.Text1.setText(text);
        const int lw = previewBlock().width(), lh = previewBlock().height();
        ASSERT_GT(lw, 0);
        const QRect box = boundsWhere(form.picPre.image(), [](QColor c) { return c == kBoxColor; });
        EXPECT_EQ(box, QRect(QPoint(11, 10), QPoint(11 + lw, 10 + lh)));
        EXPECT_EQ(previewPixel(11 + lw, 10 + lh), kBoxColor);
    }
    EXPECT_TRUE(boundsWhere(form.picPre.image(), isWhiteInk).isNull());

    // The line's top is at Y = 11: capitals start one ascent less the cap height below it.
    form.Text1.setText(QStringLiteral("HI"));
    const QFontMetrics fm(overlay->previewBlock().font());
    const QRect ink = boundsWhere(form.picPre.image(), isWhiteInk);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.left(), 16);
    EXPECT_LE(ink.left(), 18);
    EXPECT_NEAR(ink.top(), 11 + fm.ascent() - fm.capHeight(), 1);
}

TEST_F(OverlayDrawTest, VideoDvdTopLeftWithBox)
{
    setVideoFrame(QStringLiteral("DVD PAL"), 720, 576);
    form.cboPosition.setText(QStringLiteral("Links oben"));
    form.Check2.setValue(1);
    overlay->PrintCopyrightAVI();
    const int lw = videoBlock().width(), lh = videoBlock().height();

    EXPECT_EQ(videoPixel(29, 25), kBoxColor);
    EXPECT_EQ(videoPixel(29 + lw, 25 + lh), kBoxColor);
    EXPECT_EQ(videoPixel(28, 25), kFrameColor);
    EXPECT_EQ(videoPixel(29, 24), kFrameColor);
    EXPECT_EQ(videoPixel(30 + lw, 25 + lh), kFrameColor);
    const QRect ink = boundsWhere(form.picSave.image(), isWhiteInk);
    EXPECT_GE(ink.left(), 34);
    EXPECT_LE(ink.left(), 37);
    EXPECT_GE(ink.top(), 26);
}

TEST_F(OverlayDrawTest, VideoBorderAtM14)
{
    setVideoFrame(QStringLiteral("DVD PAL"), 720, 576);
    form.cboPosition.setText(QStringLiteral("Links oben"));
    form.Check3.setValue(1);
    overlay->PrintCopyrightAVI();
    const int x = 34, y = 26;

    // Column through the top bars: coloured rows Y-4 … Y-2, then the black copy below them.
    const int cx = x + 5;
    EXPECT_EQ(videoPixel(cx, y - 5), kFrameColor);
    for (int row = y - 4; row <= y - 2; ++row)
        EXPECT_EQ(videoPixel(cx, row), kWhite) << "row " << row;
    EXPECT_EQ(videoPixel(cx, y - 1), kBlack);
    EXPECT_EQ(videoPixel(cx, y), kBlack);

    // Row through the left bars: coloured columns X-14 … X-10, black.
    const int cy = y + 5;
    EXPECT_EQ(videoPixel(x - 15, cy), kFrameColor);
    for (int col = x - 14; col <= x - 10; ++col)
        EXPECT_EQ(videoPixel(col, cy), kWhite) << "column " << col;
    EXPECT_EQ(videoPixel(x - 9, cy), kBlack);
    EXPECT_EQ(videoPixel(x - 8, cy), kBlack);
    EXPECT_EQ(videoPixel(x - 7, cy), kFrameColor);
}

TEST_F(OverlayDrawTest, ShadowOffsetFollowsFormat)
{
    struct Row
    {
        const char *format;
        int width;
        int height;
        int shadow;
    };
    const Row rows[] = {{"VCD PAL", 352, 288, 1}, {"DVD PAL", 720, 576, 2}, {"Full-HD 16:9", 1920, 1080, 3}};
    form.Text1.setText(QStringLiteral("I"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.format);
        setVideoFrame(QString::fromUtf8(row.format), row.width, row.height);
        overlay->PrintCopyrightAVI();
        const QRect text = boundsWhere(form.picSave.image(), isWhiteInk);
        const QRect shadow = boundsWhere(form.picSave.image(), isShadowInk);
        ASSERT_FALSE(text.isNull());
        EXPECT_EQ(shadow.right() - text.right(), row.shadow);
        EXPECT_EQ(shadow.bottom() - text.bottom(), row.shadow);
    }

    turnOn();
    const QRect text = boundsWhere(form.picPre.image(), isWhiteInk);
    const QRect shadow = boundsWhere(form.picPre.image(), isShadowInk);
    EXPECT_EQ(shadow.bottomRight() - text.bottomRight(), QPoint(1, 1));
}

// The height box stays editable while a video is written: the text in an HD frame follows the
// frame being drawn, not the box.
TEST_F(OverlayDrawTest, VideoTextSizeFollowsTheFrameNotTheHeightBox)
{
    for (const char *typed : {"2000", "288", ""}) {
        SCOPED_TRACE(typed);
        setVideoFrame(QStringLiteral("HD 16:9"), 1280, 720);
        overlay->PrintCopyrightAVI();
        const QImage expected = form.picSave.image();
        const int margin = form.state.OverlayMargin;
        setVideoFrame(QStringLiteral("HD 16:9"), 1280, 720);
        form.txtHeight.setText(QString::fromLatin1(typed));
        overlay->PrintCopyrightAVI();
        EXPECT_EQ(form.picSave.image(), expected);
        EXPECT_EQ(form.state.OverlayMargin, margin);
    }
}

// Switching off restores the clean frame; without a frame the preview is painted over with its
// background, so a box moved to another corner leaves no trace at the old one.
TEST_F(OverlayDrawTest, RevertingRestoresTheCleanFrameOrTheBackground)
{
    QImage gradient(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y) {
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixelColor(x, y, QColor(x % 256, y % 256, (x + y) % 256));
    }
    form.picTemp.setImage(gradient);
    overlay->RevertPicPre();
    const QImage clean = form.picPre.image().copy();
    form.Check3.setValue(1);
    turnOn();
    EXPECT_NE(form.picPre.image(), clean);
    form.Check1.setValue(0);
    EXPECT_EQ(form.picPre.image(), clean);

    form.picTemp.setImage(QImage());
    form.Check2.setValue(1);
    turnOn();
    form.cboPosition.setText(QStringLiteral("Links oben"));
    options->cboPosition_Click();
    const QRect box = boundsWhere(form.picPre.image(), [](QColor c) { return c == kBoxColor; });
    EXPECT_EQ(box.topLeft(), QPoint(11, 10));
    EXPECT_EQ(previewPixel(347, 283), QColor(Qt::black));
}

TEST_F(OverlayDrawTest, ImagesThatCannotBePaintedAreSkipped)
{
    form.picSave.setImage(QImage());
    overlay->PrintCopyrightAVI();
    QImage indexed(64, 48, QImage::Format_Indexed8);
    indexed.setColorCount(1);
    indexed.setColor(0, qRgb(1, 2, 3));
    indexed.fill(0);
    form.picSave.setImage(indexed);
    overlay->PrintCopyrightAVI();
    EXPECT_EQ(form.picSave.image(), indexed);
}

} // namespace
} // namespace tavelon::test
