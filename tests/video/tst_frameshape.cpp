// How frames are turned, cut and evened out before they are scaled into a video: the camera's
// orientation, the part of a frame that covers the video, and deflicker.

#include <cmath>

#include "image/deflicker.h"
#include "image/framefit.h"
#include "image/frameloader.h"
#include "image/videoshape.h"
#include "testsupport.h"

using namespace tavelon::test;

namespace {

// A JPEG of 32 × 16 pixels in four quadrants (red, green / blue, white) whose EXIF block gives
// orientation.
QByteArray quadrantJpeg(int orientation)
{
    QImage image = stripes({32, 16}, {Qt::red, Qt::green});
    QPainter(&image).drawImage(0, 8, stripes({32, 8}, {Qt::blue, Qt::white}));
    return cameraJpeg(image, orientation);
}

// The colour name of the quadrant seen at a shown picture's top-left and top-right corners.
QString corner(const QImage &image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    for (const auto &[name, colour] :
         {std::pair{"red", Qt::red}, {"green", Qt::green}, {"blue", Qt::blue}, {"white", Qt::white}}) {
        if (colourDistance(c, colour) < 60)
            return QLatin1String(name);
    }
    return c.name();
}

// name, EXIF orientation, the shown size, the colours of its top corners
using OrientationRow = std::tuple<const char *, int, QSize, const char *, const char *>;
using OrientationTest = ::testing::TestWithParam<OrientationRow>;

// Each EXIF orientation turns the frame as a camera means it; the loader reports the shown size.
TEST_P(OrientationTest, FrameIsShownUpright)
{
    const auto &[name, orientation, shown, topLeft, topRight] = GetParam();
    FrameLoader loader;
    QImage image;
    QSize size;
    ASSERT_TRUE(loader.decode(quadrantJpeg(orientation), image, {}, &size));
    EXPECT_EQ(std::tuple(image.size(), size, corner(image, 2, 2), corner(image, image.width() - 3, 2)),
              std::tuple(shown, shown, QLatin1String(topLeft), QLatin1String(topRight)));
}

INSTANTIATE_TEST_SUITE_P(ExifValues, OrientationTest,
                         ::testing::Values(OrientationRow{"Upright", 1, {32, 16}, "red", "green"},
                                           OrientationRow{"Mirrored", 2, {32, 16}, "green", "red"},
                                           OrientationRow{"UpsideDown", 3, {32, 16}, "white", "blue"},
                                           OrientationRow{"UpsideDownMirrored", 4, {32, 16}, "blue", "white"},
                                           OrientationRow{"Transposed", 5, {16, 32}, "red", "blue"},
                                           OrientationRow{"TurnedRight", 6, {16, 32}, "blue", "red"},
                                           OrientationRow{"Transversed", 7, {16, 32}, "white", "green"},
                                           OrientationRow{"TurnedLeft", 8, {16, 32}, "green", "white"},
                                           OrientationRow{
                                               "OutOfRangeIsUpright", 9, {32, 16}, "red", "green"}),
                         rowName);

// A damaged EXIF block is no reason to lose the frame: it is shown as stored.
TEST(Orientation, DamagedExifBlockLeavesTheFrameAsStored)
{
    QByteArray jpeg = quadrantJpeg(6);
    jpeg[19] = char(0x7f); // the TIFF directory now lies past the EXIF block
    FrameLoader loader;
    QImage image;
    ASSERT_TRUE(loader.decode(jpeg, image));
    EXPECT_EQ(image.size(), QSize(32, 16));
}

using CropRow =
    std::tuple<const char *, QSize, QSize, PixelAspect, QRect>; // name, frame, video, aspect, kept
using CropTest = ::testing::TestWithParam<CropRow>;

// The frame covers the whole video: the part kept has the video's shape as shown, centred.
TEST_P(CropTest, KeepsTheCentredPartOfTheVideosShape)
{
    const auto &[name, frame, video, aspect, kept] = GetParam();
    EXPECT_EQ(croppedRect(frame, video, aspect), kept);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, CropTest,
    ::testing::Values(
        CropRow{"CameraFrameIn16To9CutsTopAndBottom", {6000, 4000}, {3840, 2160}, {}, {0, 312, 6000, 3375}},
        CropRow{"WideFrameIn4To3CutsTheSides", {1920, 1080}, {640, 480}, {}, {240, 0, 1440, 1080}},
        CropRow{"SameShapeKeepsAll", {1280, 720}, {1920, 1080}, {}, {0, 0, 1280, 720}},
        CropRow{"DvdIsShown4To3", {640, 480}, {720, 576}, {16, 15}, {0, 0, 640, 480}},
        CropRow{"PortraitIn16To9", {1080, 1920}, {1920, 1080}, {}, {0, 656, 1080, 608}}),
    rowName);

// Frames that could not be read take no part, and are left as they are; a window of one changes
// nothing; a gain that overshoots stops at white.
TEST(Deflicker, UnreadableFramesAndSmallWindowsChangeNothing)
{
    const double nan = std::nan("");
    const std::vector<double> gains = deflickerGains({100, nan, 200, 100}, 3);
    EXPECT_EQ(gains[1], 1.0);
    EXPECT_DOUBLE_EQ(gains[2], 0.75) << "the unreadable neighbour is left out";
    EXPECT_EQ(deflickerGains({100, 200}, 1), (std::vector<double>{1.0, 1.0}));
    QImage bright = filled({2, 2}, QColor(200, 100, 10));
    applyGain(bright, 1.5);
    EXPECT_EQ(bright.pixelColor(1, 1), QColor(255, 150, 15));
}

} // namespace
