// Frame files (JPEG and BMP, broken ones, reduced decodes), the area-averaging scaler against an
// exact oracle, and the player: navigation, playback passes and frame deletion through the form.

#include <QtTest>

#include "image/frameloader.h"
#include "image/framescaler.h"
#include "image/jpegplanes.h"
#include "image/kernelset.h"
#include "image/videoshape.h"
#include "testsupport.h"

using namespace tavelon::test;

namespace {

// Distinct colours in every 8×8 block, so swapped channels, flips and row
// offsets show.
QImage blocks(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y,
                qRgb((x / 8 * 53 + y / 8 * 17) % 256, (x / 8 * 29 + y / 8 * 101) % 256, (40 + y) % 256));
    return image;
}

// Noise, so that a tap read from the wrong pixel or weighted wrongly shows.
QImage noise(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) | 0xFF000000u);
    return image;
}

// image as a BI_RGB bitmap file of 24 or 32 bits, bottom-up unless topDown.
QByteArray bmpBytes(const QImage &image, int bitCount, bool topDown = false)
{
    const int w = image.width(), h = image.height(), stride = (w * bitCount + 31) / 32 * 4;
    QByteArray bytes = bmp(w, topDown ? -h : h, bitCount);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            const qsizetype at = 54 + stride * (topDown ? y : h - 1 - y) + x * bitCount / 8;
            const char bgr[] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c))};
            bytes.replace(at, 3, bgr, 3);
        }
    return bytes;
}

// Largest difference of any channel (alpha included) between two pictures; 256
// for other sizes.
int maxDiff(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

class FrameFiles : public ::testing::Test
{
protected:
    QString put(const QString &name, const QByteArray &bytes)
    {
        EXPECT_TRUE(writeFile(dir.filePath(name), bytes));
        return dir.filePath(name);
    }
    // The file Qt writes in format, and Qt's own reading of it as the reference.
    QByteArray qtFile(const QImage &image, const char *format, QImage *reference = nullptr)
    {
        const QString file = dir.filePath(u"ref."_s + format);
        EXPECT_TRUE(image.save(file, format, 95));
        if (reference)
            *reference = QImage(file).convertToFormat(QImage::Format_RGB32);
        return readFile(file);
    }
    // Fails without touching the picture it was given.
    void expectFails(const QString &path)
    {
        const QImage sentinel = blocks(4, 4);
        QImage picture = sentinel;
        EXPECT_FALSE(loader.load(path, picture));
        EXPECT_EQ(picture.cacheKey(), sentinel.cacheKey());
    }

    QTemporaryDir dir;
    FrameLoader loader;
};

// A row's name for the test's name: the file name with '_' for what a name cannot hold.
std::string fileRowName(const ::testing::TestParamInfo<const char *> &row)
{
    std::string name = row.param;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
    return name;
}

// A JPEG with more bytes after its data than the decoder's bit buffer holds.
QByteArray withExtraneousBytes(QByteArray jpeg)
{
    return jpeg.insert(jpeg.size() - 2, QByteArray("\x12\x34\x56").repeated(6));
}

// Frame files are decoded by content whatever their extension. JPEG files with oddities the decoder
// warns about but whose picture data is complete load, as do restart intervals, also with a wrong
// restart marker number; cut or broken files fail and leave the picture given alone.
using FrameFile = WithRows<FrameFiles, const char *>;

TEST_P(FrameFile, LoadsByContentOrFailsLeavingThePictureAlone)
{
    const QImage source = blocks(61, 37);
    QImage reference;
    const QByteArray jpeg = qtFile(blocks(64, 48), "jpg", &reference), extraneous = withExtraneousBytes(jpeg);
    QByteArray bigJpeg = jpeg;
    const qsizetype sof = bigJpeg.indexOf("\xFF\xC0");
    qToBigEndian<quint16>(16000, bigJpeg.data() + sof + 5);
    qToBigEndian<quint16>(16000, bigJpeg.data() + sof + 7);
    const QByteArray restart = readFile(QStringLiteral(TAVELON_TEST_DATA "/restart-interval.jpg"));
    const qsizetype rst0 = restart.indexOf("\xFF\xD0");
    QByteArray wrongRestart = restart;
    wrongRestart[rst0 + 1] = char(0xD1);
    const QImage indexed = source.convertToFormat(QImage::Format_Indexed8),
                 restartSize(32, 48, QImage::Format_RGB32);
    const QByteArray bmp24 = bmpBytes(source, 24), palette = qtFile(indexed, "bmp");
    // The bytes, the picture they hold (none when they fail), how far the decode may differ from it
    // (255: the size only).
    const std::map<std::string, std::tuple<QByteArray, QImage, int>> files = {
        {"frame.jpg", {jpeg, reference, 2}},
        {"jpeg-named.bmp", {jpeg, reference, 2}},
        {"extraneous.jpg", {extraneous, reference, 2}},
        {"restart.jpg", {restart, restartSize, 255}},
        {"wrong-restart.jpg", {wrongRestart, restartSize, 255}},
        {"bottom-up-24.bmp", {bmp24, source, 0}},
        {"top-down-32.bmp", {bmpBytes(source, 32, true), source, 0}},
        {"palette-8.bmp", {palette, indexed.convertToFormat(QImage::Format_RGB32), 0}},
        {"bmp-named.jpg", {bmp24, source, 0}},
        {"empty", {}},
        {"cut-jpeg", {jpeg.left(jpeg.size() * 3 / 4), {}, 0}},
        {"jpeg-without-end", {jpeg.left(jpeg.size() - 2), {}, 0}},
        {"extraneous-without-end", {extraneous.left(extraneous.size() - 2), {}, 0}},
        {"cut-restart", {restart.left(rst0 + 4), {}, 0}},
        {"cut-bmp", {bmp24.left(bmp24.size() - 100), {}, 0}},
        {"huge-bmp", {patched(bmp24, {{18, 100000}, {22, 100000}}), {}, 0}},
        {"big-jpeg", {bigJpeg, {}, 0}}};
    const auto &[bytes, expected, tolerance] = files.at(GetParam());
    if (expected.isNull()) {
        expectFails(put("broken.jpg", bytes));
        EXPECT_FALSE(loader.load(dir.filePath("broken.jpg")));
        return;
    }
    const std::optional<QImage> image = loader.load(put(GetParam(), bytes));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format(), QImage::Format_RGB32);
    EXPECT_LE(maxDiff(*image, expected), tolerance);
}

INSTANTIATE_TEST_SUITE_P(Files, FrameFile,
                         ::testing::Values("frame.jpg", "jpeg-named.bmp", "extraneous.jpg", "restart.jpg",
                                           "wrong-restart.jpg", "bottom-up-24.bmp", "top-down-32.bmp",
                                           "palette-8.bmp", "bmp-named.jpg", "empty", "cut-jpeg",
                                           "jpeg-without-end", "extraneous-without-end", "cut-restart",
                                           "cut-bmp", "huge-bmp", "big-jpeg"),
                         fileRowName);

// A reused buffer never changes a picture someone still holds.
TEST_F(FrameFiles, AReusedBufferKeepsHeldPictures)
{
    const QImage a = blocks(32, 16);
    const QImage c = a.mirrored(false, true);
    QImage picture;
    ASSERT_TRUE(loader.decode(bmpBytes(a, 24), picture));
    const QImage held = picture;
    ASSERT_TRUE(loader.decode(bmpBytes(a.mirrored(true, false), 24), picture));
    ASSERT_TRUE(loader.decode(bmpBytes(c, 24), picture));
    EXPECT_FALSE(loader.decode(QByteArray("BM"), picture));
    EXPECT_EQ(std::pair(maxDiff(held, a), maxDiff(picture, c)), std::pair(0, 0));
}

// A JPEG cut off anywhere never spoils the good one decoded next, along each way
// a frame is decoded: the decoder may fail on the cut file's header with a
// stale warning code and leave its state half-used.
class AfterCutOffJpeg : public FrameFiles, public ::testing::WithParamInterface<const char *>
{
protected:
    // Decodes bytes the way the row says: to RGB at full size, to RGB reduced to
    // half, or to the JPEG's own sample planes reduced to half.
    bool decodes(const QByteArray &bytes)
    {
        const QSize half(32, 24);
        QImage image;
        JpegPlanes planes;
        if (GetParam() == "Full"_L1)
            return loader.decode(bytes, image) && image.size() == QSize(64, 48);
        if (GetParam() == "Reduced"_L1)
            return loader.decode(bytes, image, half) && image.size() == half;
        return loader.decodeSamples(bytes, planes, half) && planes.size == half;
    }
};

TEST_P(AfterCutOffJpeg, TheNextGoodOneDecodes)
{
    const QByteArray good = qtFile(blocks(64, 48), "jpg");
    for (qsizetype cut = 1; cut < good.size(); ++cut) {
        EXPECT_FALSE(decodes(good.left(cut))) << "its first " << cut << " bytes";
        ASSERT_TRUE(decodes(good)) << "after its first " << cut << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, AfterCutOffJpeg, ::testing::Values("Full", "Reduced", "Planes"),
                         fileRowName);

// The largest reduction that still covers.
TEST(FrameLoader, ReductionIsTheLargestThatStillCovers)
{
    const std::tuple<QSize, QSize, int> rows[] = {
        {{6000, 4000}, {351, 287}, 8},
        {{3840, 2160}, {351, 287}, 4}, // 1/8 would be 270 rows, short of 287
        {{1441, 1153}, {720, 576}, 2}, // sides rounded up: 721 × 577
        {{1438, 1200}, {720, 576}, 1}, // half is 719 columns
        {{640, 480}, {}, 1}};
    for (const auto &[frame, cover, divisor] : rows)
        EXPECT_EQ(FrameLoader::reductionFor(frame, cover), divisor) << frame.width() << " " << cover.width();
}

// Like a camera frame: smooth shading, and squares with sharp edges that meet the 8×8 blocks of the
// JPEG anywhere; saved at the quality cameras use.
class CameraJpeg : public FrameFiles
{
protected:
    void SetUp() override
    {
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                frame.setPixel(
                    x, y,
                    qRgb(x * 255 / 1600, y * 255 / 1200, (x + 13) / 150 % 2 != (y + 5) / 110 % 2 ? 210 : 40));
        ASSERT_TRUE(frame.save(path, "JPG", 92));
        ASSERT_TRUE(loader.load(path, full));
    }
    QImage frame{1600, 1200, QImage::Format_RGB32}, full;
    const QString path = dir.filePath(u"camera.jpg"_s);
};
using ReducedDecode = WithRows<CameraJpeg, QSize>;

// Scaled down to the size it was decoded for, a reduced decode looks like the full one.
TEST_P(ReducedDecode, ShrinksToTheSamePicture)
{
    const QSize cover = GetParam();
    QImage reduced;
    QSize frameSize;
    ASSERT_TRUE(loader.load(path, reduced, cover, &frameSize));
    const int divisor = FrameLoader::reductionFor(frame.size(), cover);
    ASSERT_GT(divisor, 1);
    EXPECT_EQ(reduced.size(), frame.size() / divisor);
    EXPECT_EQ(frameSize, frame.size());
    // Scaled to the size they were decoded for, the two agree but for the JPEG's own noise.
    const QImage a = stretched(full, cover.width(), cover.height());
    const QImage b = stretched(reduced, cover.width(), cover.height());
    double squares = 0;
    for (int y = 0; y < cover.height(); ++y)
        for (int x = 0; x < cover.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += double(d) * d;
        }
    EXPECT_GE(10 * std::log10(255.0 * 255.0 * 3 * cover.width() * cover.height() / squares), 40.0) << "dB";
}

INSTANTIATE_TEST_SUITE_P(Covers, ReducedDecode, ::testing::Values(QSize(720, 576), QSize(160, 120)),
                         [](const auto &row) { return "Cover" + std::to_string(row.param.width()); });

TEST(FrameScaler, EnlargesBetweenCentresFillsTheTargetAndClipsToDst)
{
    // A black and a white pixel doubled: the outer pixels keep their colour, the
    // inner ones mix.
    const QImage enlarged = stretched(stripes({2, 1}, {Qt::black, Qt::white}), 4, 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(qRed(enlarged.pixel(x, 0)), (std::array{0, 64, 191, 255})[x]);

    const QImage src = blocks(176, 144);
    const QImage full = stretched(src, 351, 287);
    EXPECT_EQ(full.pixel(0, 0), src.pixel(0, 0));
    EXPECT_EQ(full.pixel(350, 286), src.pixel(175, 143));
    // Into a smaller picture (the preview's inner area) and a larger one:
    // clipped, the rest kept.
    const QRgb sentinel = qRgb(255, 0, 255);
    for (const QSize size : {QSize(348, 284), QSize(400, 300)}) {
        QImage dst = filled(size, sentinel);
        stretchInto(src, dst, 351, 287);
        const QRect common = dst.rect() & full.rect();
        EXPECT_EQ(maxDiff(dst.copy(common), full.copy(common)), 0);
        EXPECT_EQ(dst.pixel(size.width() - 1, size.height() - 1),
                  size.width() > 351 ? sentinel : full.pixel(347, 283));
    }
}

// The exact area average of src over destination pixel (x, y) of a width ×
// height shrink.
std::array<double, 3> areaAverage(const QImage &src, int width, int height, int x, int y)
{
    const double sx = double(src.width()) / width;
    const double sy = double(src.height()) / height;
    std::array<double, 3> sum{};
    for (int j = int(y * sy); j < src.height() && j < (y + 1) * sy; ++j) {
        const double wy = std::min<double>(j + 1, (y + 1) * sy) - std::max<double>(j, y * sy);
        for (int i = int(x * sx); i < src.width() && i < (x + 1) * sx; ++i) {
            const double w = wy * (std::min<double>(i + 1, (x + 1) * sx) - std::max<double>(i, x * sx));
            const QRgb p = src.pixel(i, j);
            sum[0] += w * qRed(p);
            sum[1] += w * qGreen(p);
            sum[2] += w * qBlue(p);
        }
    }
    for (double &c : sum)
        c /= sx * sy;
    return sum;
}

// The video and preview formats, odd sources, and shrinks needing more than eight taps: the source,
// the size shrunk to, the picture it is drawn into.
struct ShrinkRow
{
    const char *name;
    QSize from, to, size;
};
using AreaShrink = ::testing::TestWithParam<ShrinkRow>;

TEST_P(AreaShrink, MatchesTheExactAreaAverage)
{
    const auto &[name, from, to, size] = GetParam();
    const QImage src = noise(from, 3);
    QImage dst(size, QImage::Format_RGB32);
    stretchInto(src, dst, to.width(), to.height(), ScaleThreads::Single);
    double worst = 0;
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x) {
            const std::array<double, 3> expected = areaAverage(src, to.width(), to.height(), x, y);
            const QRgb p = dst.pixel(x, y);
            ASSERT_EQ(qAlpha(p), 255);
            worst = std::max({worst, std::abs(qRed(p) - expected[0]), std::abs(qGreen(p) - expected[1]),
                              std::abs(qBlue(p) - expected[2])});
        }
    // Rounding to whole values costs half a step; the fixed-point weights may cost a bit more.
    EXPECT_LT(worst, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Rows, AreaShrink,
                         ::testing::Values(ShrinkRow{"FullHdToDvd", {1920, 1080}, {720, 576}, {720, 576}},
                                           ShrinkRow{"FullHdToPreview", {1920, 1080}, {351, 287}, {348, 284}},
                                           ShrinkRow{"OddToTiny", {1921, 1081}, {37, 19}, {37, 19}},
                                           ShrinkRow{"SmallOdd", {13, 7}, {5, 3}, {5, 3}},
                                           ShrinkRow{"OddWidth", {641, 480}, {90, 61}, {90, 61}}),
                         rowName);

// Shrinks of four, eight and many taps (past 64 rows down a column), and an enlargement: split
// work and plain loops give the same pixels.
using ScalePaths = ::testing::TestWithParam<QSize>;

TEST_P(ScalePaths, SplitWorkAndPlainLoopsGiveTheSamePixels)
{
    const QImage src = noise({1920, 1080}, 1);
    const QSize size = GetParam();
    QImage single(size, QImage::Format_RGB32), split(size, QImage::Format_RGB32),
        plain(size, QImage::Format_RGB32);
    stretchInto(src, single, size.width(), size.height(), ScaleThreads::Single);
    stretchInto(src, split, size.width(), size.height(), ScaleThreads::Split);
    forcePlainKernels(true);
    stretchInto(src, plain, size.width(), size.height(), ScaleThreads::Single);
    forcePlainKernels(false);
    EXPECT_EQ(single, split);
    EXPECT_EQ(single, plain);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ScalePaths, ::testing::Values(QSize(351, 287), QSize(720, 576), QSize(2000, 1201), QSize(29, 15)),
    [](const auto &row) {
        return std::to_string(row.param.width()) + "x" + std::to_string(row.param.height());
    });

// A stretch into a part of a 24-bit picture draws that part only.
TEST(FrameScaler, DrawsOnlyThePartAskedFor)
{
    QImage dst = filled({20, 10}, Qt::black).convertToFormat(QImage::Format_RGB888);
    stretchInto(filled({8, 8}, Qt::red), dst, QRect(5, 0, 10, 10), ScaleThreads::Single);
    EXPECT_EQ(
        (QList{dst.pixelColor(4, 5), dst.pixelColor(5, 5), dst.pixelColor(14, 9), dst.pixelColor(15, 5)}),
        (QList<QColor>{Qt::black, Qt::red, Qt::red, Qt::black}));
}

// The frame's place in a video of another shape (the pixel shapes are read back from real files in
// tst_video).
TEST(VideoShape, AFrameOfAnotherShapeGetsBars)
{
    const std::tuple<QSize, QSize, QRect> rects[] = {
        {{64, 48}, {640, 480}, {0, 0, 640, 480}},      // same shape
        {{64, 48}, {1280, 720}, {160, 0, 960, 720}},   // 4:3 into 16:9: bars left and right
        {{160, 90}, {640, 480}, {0, 60, 640, 360}},    // 16:9 into 4:3: bars above and below
        {{640, 480}, {720, 576}, {0, 0, 720, 576}},    // DVD PAL is shown 4:3: no bars
        {{1920, 1080}, {720, 480}, {0, 60, 720, 360}}, // DVD NTSC is shown 4:3
        {{0, 0}, {352, 288}, {0, 0, 352, 288}}         // no frame
    };
    for (const auto &[frame, video, expected] : rects)
        EXPECT_EQ(paddedRect(frame, video, pixelAspectFor(video)), expected)
            << frame.width() << " " << video.width();
}

// Playback runs on the event loop; this runs it until the playback has ended.
void waitUntilStopped(const Player &player)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.isPlaying(); }, 10'000)) << "the playback did not end";
}

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Deleted frames go to a trash of the test's own, never the user's.
        QDir().mkpath(fx.root() + u"xdg"_s);
        qputenv("XDG_DATA_HOME", (fx.root() + u"xdg"_s).toUtf8());
    }
    void startWith(int frames, int direction = 0)
    {
        fx.makeClip(u"clip"_s, frames);
        fx.start();
        fx.form.speedBar.setMaximum(30);
        fx.form.speedBar.setValue(30); // 10 ms a frame keeps the tests short
        fx.form.directionBox.setListIndex(direction);
    }
    // What the player shows of a press on the play button (in the direction given, if one is), frame
    // by frame, also when the slider does not move.
    QList<int> stepsOfAPress(int direction = -1)
    {
        if (direction >= 0)
            fx.form.directionBox.setListIndex(direction);
        QList<int> stepped;
        auto c = QObject::connect(&fx.logic->player, &Player::stepped, [&](int i) { stepped << i; });
        fx.form.playButton.click();
        waitUntilStopped(fx.logic->player);
        QObject::disconnect(c);
        return stepped;
    }
    FormFixture fx;
};

TEST_F(PlayerTest, PassOrderForEachDirectionAndStop)
{
    // 25 frames/s is the fastest speed played at its own pace.
    EXPECT_GT(Player::frameDelay(25), Player::frameDelay(26));
    startWith(5);
    bool disabledWhilePlaying = false;
    QObject::connect(&fx.logic->player, &Player::stepped, [&] {
        disabledWhilePlaying = !fx.form.nextButton.isEnabled() && !fx.form.deleteButton.isEnabled();
    });
    EXPECT_EQ(stepsOfAPress(0), (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(stepsOfAPress(1), (QList<int>{4, 3, 2, 1, 0})); // starts on the last frame
    fx.form.directionBox.setListIndex(2);
    EXPECT_EQ(fx.form.frameSlider.value(), 0) << "a direction shows the frame its first pass starts on";
    EXPECT_EQ(stepsOfAPress(), (QList<int>{0, 1, 2, 3, 4, 3, 2, 1, 0}));
    // The end of a pass raises the play button and enables what playing disabled.
    EXPECT_TRUE(fx.form.playButton.value() == 0 && disabledWhilePlaying && fx.form.nextButton.isEnabled() &&
                fx.form.deleteButton.isEnabled());

    // Stop during a one-second wait ends a repeating playback at once.
    fx.form.speedBar.setValue(1);
    fx.form.repeatBox.setValue(1);
    QTimer::singleShot(50, [&] { fx.form.stopButton.click(); });
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(stepsOfAPress(0), QList<int>{0});
    EXPECT_TRUE(t.elapsed() < 900 && fx.form.playButton.value() == 0) << t.elapsed();
}

TEST_F(PlayerTest, RepeatStartsEachRunAgainUntilStopped)
{
    startWith(3, 2);
    fx.form.repeatBox.setValue(1);
    int shown = 0;
    QObject::connect(&fx.logic->player, &Player::stepped, [&] {
        if (++shown == 8)
            fx.form.stopButton.click();
    });
    // Frame 0 ends one run and starts the next.
    EXPECT_EQ(stepsOfAPress(), (QList<int>{0, 1, 2, 1, 0, 0, 1, 2}));
    EXPECT_EQ(fx.form.playButton.value(), 0);
    EXPECT_TRUE(fx.form.nextButton.isEnabled());
}

TEST_F(PlayerTest, ADirectionChosenDuringARunAddsItsPassAfterTheOneUnderWay)
{
    startWith(4);
    QObject::connect(&fx.logic->player, &Player::stepped, [&](int i) {
        if (i == 1 && fx.form.state.PlayDirection == PlayingDirection::Forward)
            fx.form.directionBox.setListIndex(1);
    });
    EXPECT_EQ(stepsOfAPress(), (QList<int>{0, 1, 2, 3, 3, 2, 1, 0}));
}

// The writer moves the slider itself; the playback waits for it and goes on afterwards.
TEST_F(PlayerTest, PlaybackWaitsWhileAVideoIsMade)
{
    startWith(3);
    bool stepWhileMaking = false;
    QObject::connect(&fx.logic->player, &Player::stepped, [&](int i) {
        stepWhileMaking = stepWhileMaking || fx.form.state.MakingVideo;
        if (i == 1 && !fx.form.state.MakingVideo) {
            fx.form.state.MakingVideo = true;
            QTimer::singleShot(100, [&] { fx.form.state.MakingVideo = false; });
        }
    });
    EXPECT_EQ(stepsOfAPress(), (QList<int>{0, 1, 2}));
    EXPECT_FALSE(stepWhileMaking);
}

// The buttons stop at the ends; a frame that cannot be read moves the counter but keeps the picture;
// while a video is written the writer, not the slider, draws the preview and no frame is deleted. In
// a clip without frames the buttons do nothing and a repeated playback ends.
TEST_F(PlayerTest, Navigation)
{
    startWith(3);
    ASSERT_TRUE(writeFile(fx.clipPath(u"clip"_s) + u"f001.bmp"_s, "not a picture"));
    fx.form.backButton.click();
    EXPECT_EQ(fx.form.frameSlider.value(), 0);
    EXPECT_EQ(fx.form.previewPicture.image().pixelColor(347, 283), FormFixture::frameColor(0));
    // The shown frame replaced on disk is read again when the preview redraws it.
    const QString shown = fx.clipPath(u"clip"_s) + u"f000.bmp"_s;
    ASSERT_TRUE(QFile::remove(shown) && QFile::copy(fx.clipPath(u"clip"_s) + u"f002.bmp"_s, shown));
    fx.form.frameSlider.raiseChange();
    EXPECT_EQ(fx.form.previewPicture.image().pixelColor(347, 283), FormFixture::frameColor(2));
    const QImage before = fx.form.previewPicture.image();
    fx.form.nextButton.click();
    EXPECT_EQ(std::pair(fx.form.frameNumber.caption(), fx.form.state.CurrentFramePath),
              std::pair(u"2"_s, fx.clipPath(u"clip"_s) + u"f001.bmp"_s));
    EXPECT_EQ(fx.form.previewPicture.image(), before);
    fx.form.state.MakingVideo = true;
    fx.form.lastButton.click();
    fx.form.deleteButton.click();
    EXPECT_EQ(std::pair(fx.form.frameNumber.caption(), fx.form.sourceFrame.image().pixelColor(0, 0)),
              std::pair(u"3"_s, FormFixture::frameColor(2)));
    EXPECT_EQ(fx.form.previewPicture.image(), before) << "the writer draws the preview";
    EXPECT_EQ(
        std::pair(fx.messages.messages.size(), QDir(fx.clipPath(u"clip"_s)).entryList(QDir::Files).size()),
        std::pair(qsizetype(0), qsizetype(3)));
    fx.form.state.MakingVideo = false;
    fx.form.nextButton.click();
    EXPECT_EQ(fx.form.frameSlider.value(), 2);
    fx.form.firstButton.click();
    EXPECT_EQ(fx.form.state.CurrentFramePath, fx.clipPath(u"clip"_s) + u"f000.bmp"_s);

    FormFixture none;
    none.start();
    for (CommandButton *b :
         {&none.form.firstButton, &none.form.backButton, &none.form.nextButton, &none.form.lastButton})
        b->click();
    none.form.repeatBox.setValue(1);
    none.form.playButton.click();
    EXPECT_EQ(std::pair(none.form.frameSlider.value(), none.form.playButton.value()), std::pair(0, 0));
}

// A frame deleted, or kept when the question is answered No: the frames, the one on the slider,
// the answer; the frames left, the index and file shown.
struct DeletionRow
{
    const char *name;
    int frames, index;
    MessageAnswer answer;
    int framesLeft, shownIndex;
    const char *shownFile;
};
using FrameDeletion = WithRows<PlayerTest, DeletionRow>;

TEST_P(FrameDeletion, UpdatesListSliderAndLabels)
{
    const DeletionRow &row = GetParam();
    fx.makeClip(u"clip"_s, row.frames);
    fx.start();
    fx.form.frameSlider.setValue(row.index);
    fx.messages.queueAnswer(row.answer);
    fx.form.deleteButton.click();
    ASSERT_EQ(fx.messages.messages.size(), 1);
    // The button springs back.
    EXPECT_EQ(std::tuple(fx.messages.messages[0].text, fx.messages.messages[0].defaultAnswer,
                         fx.form.deleteButton.value()),
              std::tuple(u"Aktuellen Frame wirklich löschen ?"_s, MessageAnswer::Yes, 0));
    EXPECT_EQ(std::tuple(QDir(fx.clipPath(u"clip"_s)).entryList(QDir::Files).size(),
                         fx.form.frameCount.caption(), fx.form.frameSlider.value(),
                         fx.form.frameNumber.caption()),
              std::tuple(qsizetype(row.framesLeft), u"Frames: %1"_s.arg(row.framesLeft), row.shownIndex,
                         row.shownIndex < 0 ? QString() : QString::number(row.shownIndex + 1)));
    EXPECT_TRUE(fx.form.state.CurrentFramePath.endsWith(QLatin1String(row.shownFile)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameDeletion,
    ::testing::Values(DeletionRow{"InTheMiddle", 10, 3, MessageAnswer::Yes, 9, 3, "f004.bmp"},
                      DeletionRow{"TheLast", 10, 9, MessageAnswer::Yes, 9, 8, "f008.bmp"},
                      DeletionRow{"TheOnly", 1, 0, MessageAnswer::Yes, 0, -1, ""},
                      DeletionRow{"AnsweredNo", 4, 2, MessageAnswer::No, 4, 2, "f002.bmp"}),
    rowName);

} // namespace
