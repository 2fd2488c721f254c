#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include "image/frameloader.h"
#include "image/framescaler.h"
#include "image/kernelset.h"
#include "image/videoshape.h"

using namespace tavelon;

namespace {

// Distinct colours in every 8×8 block, so swapped channels, flips and row offsets show.
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

// A plain BI_RGB bitmap file of 24 or 32 bits, bottom-up unless topDown.
QByteArray bmpBytes(const QImage &image, int bitCount, bool topDown)
{
    const int w = image.width();
    const int h = image.height();
    const int stride = (w * bitCount + 31) / 32 * 4;
    QByteArray bytes(54 + stride * h, '\0');
    auto *p = reinterpret_cast<uchar *>(bytes.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(bytes.size(), p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(topDown ? -h : h, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(bitCount, p + 28);
    for (int y = 0; y < h; ++y) {
        uchar *row = p + 54 + stride * (topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x, row += bitCount / 8) {
            const QRgb c = image.pixel(x, y);
            row[0] = qBlue(c);
            row[1] = qGreen(c);
            row[2] = qRed(c);
        }
    }
    return bytes;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

// Largest difference of any channel (alpha included) between two pictures; 256 for other sizes.
int maxDiff(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

class FrameFiles : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    // A JPEG written by Qt, and Qt's own reading of it as the reference.
    QByteArray jpeg(const QImage &image, QImage *reference = nullptr)
    {
        const QString file = path(QStringLiteral("ref.jpg"));
        EXPECT_TRUE(image.save(file, "JPG", 95));
        if (reference)
            *reference = QImage(file).convertToFormat(QImage::Format_RGB32);
        return fileBytes(file);
    }
    QByteArray qtBmp(const QImage &image)
    {
        const QString file = path(QStringLiteral("ref.bmp"));
        EXPECT_TRUE(image.save(file, "BMP"));
        return fileBytes(file);
    }

    QTemporaryDir dir;
    FrameLoader loader;
};

TEST_F(FrameFiles, DecodesJpegAndBmpVariantsByContent)
{
    const QImage source = blocks(61, 37);
    QImage jpegReference;
    const QByteArray jpegData = jpeg(blocks(64, 48), &jpegReference);
    const QImage indexed = source.convertToFormat(QImage::Format_Indexed8);
    const struct
    {
        const char *name;
        QByteArray bytes;
        QImage expected;
        int tolerance;
    } rows[] = {
        {"frame.jpg", jpegData, jpegReference, 2},
        {"jpeg-named.bmp", jpegData, jpegReference, 2},
        {"bottom-up-24.bmp", bmpBytes(source, 24, false), source, 0},
        {"top-down-24.bmp", bmpBytes(source, 24, true), source, 0},
        {"bottom-up-32.bmp", bmpBytes(source, 32, false), source, 0},
        {"top-down-32.bmp", bmpBytes(source, 32, true), source, 0},
        {"qt-written-24.bmp", qtBmp(source.convertToFormat(QImage::Format_RGB888)), source, 0},
        {"palette-8.bmp", qtBmp(indexed), indexed.convertToFormat(QImage::Format_RGB32), 0},
        {"bmp-named.jpg", bmpBytes(source, 24, false), source, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(path(row.name), row.bytes);
        const std::optional<QImage> image = loader.load(path(row.name));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->format(), QImage::Format_RGB32);
        EXPECT_LE(maxDiff(*image, row.expected), row.tolerance);
    }
}

TEST_F(FrameFiles, BrokenFilesFailAndLeaveThePictureAlone)
{
    const QByteArray goodJpeg = jpeg(blocks(64, 48));
    const QByteArray goodBmp = bmpBytes(blocks(40, 30), 24, false);
    QByteArray hugeBmp = goodBmp;
    qToLittleEndian<qint32>(100000, hugeBmp.data() + 18);
    qToLittleEndian<qint32>(100000, hugeBmp.data() + 22);
    QByteArray bigBmp = goodBmp;
    qToLittleEndian<qint32>(4000, bigBmp.data() + 18);
    qToLittleEndian<qint32>(-4000, bigBmp.data() + 22);
    QByteArray bigJpeg = goodJpeg;
    const qsizetype sof = bigJpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(16000, bigJpeg.data() + sof + 5);
    qToBigEndian<quint16>(16000, bigJpeg.data() + sof + 7);
    const QByteArray palette = qtBmp(blocks(40, 30).convertToFormat(QImage::Format_Indexed8));

    const struct
    {
        const char *name;
        std::optional<QByteArray> bytes; // nullopt: no such file
    } rows[] = {
        {"missing.jpg", std::nullopt},
        {"empty.jpg", QByteArray()},
        {"truncated.jpg", goodJpeg.left(goodJpeg.size() / 2)},
        {"truncated.bmp", goodBmp.left(goodBmp.size() - 100)},
        {"truncated-palette.bmp", palette.left(palette.size() - 100)},
        {"huge-header.bmp", hugeBmp},
        {"larger-than-file.bmp", bigBmp},
        {"larger-than-file.jpg", bigJpeg},
        {"text.jpg", QByteArray("just some text\n")},
        {"header-only.bmp", goodBmp.left(30)},
    };
    const QImage sentinel = blocks(4, 4);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        if (row.bytes)
            writeFile(path(row.name), *row.bytes);
        QImage picture = sentinel;
        EXPECT_FALSE(loader.load(path(row.name), picture));
        EXPECT_EQ(picture.cacheKey(), sentinel.cacheKey());
        EXPECT_FALSE(loader.load(path(row.name)));
    }
    QImage picture = sentinel;
    EXPECT_FALSE(loader.load(dir.path(), picture)) << "a folder is no frame";
    EXPECT_EQ(picture.cacheKey(), sentinel.cacheKey());
}

// Files with oddities that the decoder warns about but whose picture data is complete load; a
// file whose data ends early does not.
TEST_F(FrameFiles, JpegWarningsLoadTruncatedDataDoesNot)
{
    QImage reference;
    const QByteArray good = jpeg(blocks(64, 48), &reference);
    ASSERT_TRUE(good.endsWith("\xFF\xD9"));
    QByteArray extraneous = good;
    // A few bytes would vanish in the decoder's bit buffer; these are more than it holds.
    extraneous.insert(extraneous.size() - 2, QByteArray("\x12\x34\x56").repeated(6));
    // Qt writes a JFIF 1.01 segment right after the start marker; 2.01 is a revision no decoder knows.
    QByteArray jfifRevision = good;
    ASSERT_EQ(jfifRevision.mid(6, 5), QByteArray("JFIF\0", 5));
    jfifRevision[11] = 2;
    QByteArray unknownApp = good;
    unknownApp.insert(2, QByteArray("\xFF\xEB\x00\x08"
                                    "ABCDEF",
                                    10));

    const QByteArray restart = fileBytes(QStringLiteral(TAVELON_TEST_DATA "/restart-interval.jpg"));
    const qsizetype rst0 = restart.indexOf("\xFF\xD0");
    ASSERT_GT(rst0, 0);
    QByteArray wrongRestart = restart;
    wrongRestart[rst0 + 1] = char(0xD1);

    const struct
    {
        const char *name;
        QByteArray bytes;
        QSize size;
        QImage exact; // null: only the size is checked
    } loads[] = {
        {"extraneous bytes before the end marker", extraneous, {64, 48}, reference},
        {"unknown JFIF revision", jfifRevision, {64, 48}, reference},
        {"unknown APP11 segment", unknownApp, {64, 48}, reference},
        {"restart interval", restart, {32, 48}, {}},
        {"wrong restart marker number", wrongRestart, {32, 48}, {}},
    };
    for (const auto &row : loads) {
        SCOPED_TRACE(row.name);
        writeFile(path(QStringLiteral("odd.jpg")), row.bytes);
        const std::optional<QImage> image = loader.load(path(QStringLiteral("odd.jpg")));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->size(), row.size);
        if (!row.exact.isNull()) {
            EXPECT_LE(maxDiff(*image, row.exact), 2);
        }
    }

    const QImage sentinel = blocks(4, 4);
    for (const QByteArray &cut : {good.left(good.size() - 2), good.left(good.size() * 3 / 4),
                                  extraneous.left(extraneous.size() - 2), restart.left(rst0 + 4)}) {
        writeFile(path(QStringLiteral("cut.jpg")), cut);
        QImage picture = sentinel;
        EXPECT_FALSE(loader.load(path(QStringLiteral("cut.jpg")), picture)) << cut.size() << " bytes";
        EXPECT_EQ(picture.cacheKey(), sentinel.cacheKey());
    }
}

TEST_F(FrameFiles, ReusedBufferNeverChangesAPictureSomeoneStillHolds)
{
    const QImage a = blocks(32, 16);
    const QImage b = a.mirrored(true, false);
    const QImage c = a.mirrored(false, true);
    QImage picture;
    ASSERT_TRUE(loader.decode(bmpBytes(a, 24, false), picture));
    const QImage held = picture;
    ASSERT_TRUE(loader.decode(bmpBytes(b, 24, false), picture));
    ASSERT_TRUE(loader.decode(bmpBytes(c, 24, false), picture));
    EXPECT_EQ(maxDiff(held, a), 0);
    EXPECT_EQ(maxDiff(picture, c), 0);
    EXPECT_FALSE(loader.decode(QByteArray("BM"), picture));
    EXPECT_EQ(maxDiff(picture, c), 0);
}

TEST_F(FrameFiles, ReadAheadNoticesAReplacedOrVanishedFile)
{
    const QString file = path(QStringLiteral("next.bmp"));
    writeFile(file, bmpBytes(blocks(8, 8), 24, false));
    const std::optional<FrameFile> read = FrameLoader::readFile(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->bytes, fileBytes(file));
    EXPECT_TRUE(FrameLoader::isUnchanged(file, read->stamp));
    writeFile(file, bmpBytes(blocks(16, 8), 24, false));
    EXPECT_FALSE(FrameLoader::isUnchanged(file, read->stamp));
    QFile::remove(file);
    EXPECT_FALSE(FrameLoader::isUnchanged(file, read->stamp));
    EXPECT_FALSE(FrameLoader::readFile(file));
}

TEST(FrameScaler, EnlargesBetweenCentresFillsTheTargetAndClipsToDst)
{
    // A black and a white pixel doubled: the outer pixels keep their colour, the inner ones mix.
    QImage pair(2, 1, QImage::Format_RGB32);
    pair.setPixel(0, 0, qRgb(0, 0, 0));
    pair.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage enlarged = stretched(pair, 4, 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(qRed(enlarged.pixel(x, 0)), (std::array{0, 64, 191, 255})[x]);

    const QImage src = blocks(176, 144);
    const QImage full = stretched(src, 351, 287);
    EXPECT_EQ(full.pixel(0, 0), src.pixel(0, 0));
    EXPECT_EQ(full.pixel(350, 286), src.pixel(175, 143));
    // Into a smaller picture (the preview's inner area) and a larger one: clipped, the rest kept.
    const QRgb sentinel = qRgb(255, 0, 255);
    for (const QSize size : {QSize(348, 284), QSize(400, 300)}) {
        QImage dst(size, QImage::Format_RGB32);
        dst.fill(sentinel);
        stretchInto(src, dst, 351, 287);
        const QRect common = dst.rect() & full.rect();
        EXPECT_EQ(maxDiff(dst.copy(common), full.copy(common)), 0);
        EXPECT_EQ(dst.pixel(size.width() - 1, size.height() - 1),
                  size.width() > 351 ? sentinel : full.pixel(347, 283));
    }
    // A 24-bit target gets the same colours.
    QImage solid(90, 60, QImage::Format_RGB32);
    solid.fill(sentinel);
    QImage rgb888(45, 61, QImage::Format_RGB888);
    stretchInto(solid, rgb888, 45, 61);
    EXPECT_EQ(maxDiff(rgb888.convertToFormat(QImage::Format_RGB32), stretched(solid, 45, 61)), 0);
}

// The exact area average of src over destination pixel (x, y) of a width × height shrink, per
// channel.
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

// Noise, so that a tap read from the wrong pixel or weighted wrongly shows.
QImage noise(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) | 0xFF000000u);
    return image;
}

TEST(FrameScaler, ShrinksMatchTheExactAreaAverage)
{
    // The video and preview formats, odd sources, and shrinks needing more than eight taps.
    const struct
    {
        QSize from;
        QSize to;
        QSize dst;
    } rows[] = {
        {{1920, 1080}, {720, 576}, {720, 576}},
        {{1920, 1080}, {351, 287}, {348, 284}},
        {{1280, 720}, {720, 576}, {720, 576}},
        {{1921, 1081}, {37, 19}, {37, 19}},
        {{13, 7}, {5, 3}, {5, 3}},
        {{641, 480}, {90, 61}, {90, 61}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.from.width());
        const QImage src = noise(row.from, 3);
        QImage dst(row.dst, QImage::Format_RGB32);
        stretchInto(src, dst, row.to.width(), row.to.height(), ScaleThreads::Single);
        double worst = 0;
        for (int y = 0; y < dst.height(); ++y)
            for (int x = 0; x < dst.width(); ++x) {
                const std::array<double, 3> expected =
                    areaAverage(src, row.to.width(), row.to.height(), x, y);
                const QRgb p = dst.pixel(x, y);
                ASSERT_EQ(qAlpha(p), 255);
                worst = std::max({worst, std::abs(qRed(p) - expected[0]), std::abs(qGreen(p) - expected[1]),
                                  std::abs(qBlue(p) - expected[2])});
            }
        // Rounding to whole values costs half a step; the fixed-point weights may cost a bit more.
        EXPECT_LT(worst, 1.0);
    }
}

TEST(FrameScaler, SplitWorkAndPlainLoopsGiveTheSamePixels)
{
    // Shrinks of four, eight and many taps (past 64 rows down a column), and an enlargement.
    const QImage src = noise({1920, 1080}, 1);
    for (const QSize size : {QSize(351, 287), QSize(720, 576), QSize(2000, 1201), QSize(29, 15)}) {
        SCOPED_TRACE(size.width());
        QImage single(size, QImage::Format_RGB32);
        QImage split(size, QImage::Format_RGB32);
        QImage plain(size, QImage::Format_RGB32);
        stretchInto(src, single, size.width(), size.height(), ScaleThreads::Single);
        stretchInto(src, split, size.width(), size.height(), ScaleThreads::Split);
        forcePlainKernels(true);
        stretchInto(src, plain, size.width(), size.height(), ScaleThreads::Single);
        forcePlainKernels(false);
        EXPECT_EQ(single, split);
        EXPECT_EQ(single, plain);
    }
}

// A stretch into a part of the picture draws that part only, on both drawing paths.
TEST(FrameScaler, StretchIntoARectangleLeavesTheRest)
{
    QImage src(8, 8, QImage::Format_RGB32);
    src.fill(Qt::red);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
        QImage dst(20, 10, format);
        dst.fill(Qt::black);
        stretchInto(src, dst, QRect(5, 0, 10, 10), ScaleThreads::Single);
        for (auto [x, y, colour] : {std::tuple{4, 5, Qt::black}, std::tuple{5, 5, Qt::red},
                                    std::tuple{14, 9, Qt::red}, std::tuple{15, 5, Qt::black}})
            EXPECT_EQ(dst.pixelColor(x, y), QColor(colour)) << format << " " << x;
    }
}

TEST(VideoShape, PixelAspectOfTheDiscSizes)
{
    const struct
    {
        QSize size;
        PixelAspect aspect;
    } rows[] = {
        {{352, 288}, {12, 11}}, {{352, 240}, {10, 11}}, {{480, 576}, {8, 5}}, {{480, 480}, {4, 3}},
        {{720, 576}, {16, 15}}, {{720, 480}, {8, 9}},   {{1280, 720}, {}},    {{288, 352}, {}},
    };
    for (const auto &r : rows)
        EXPECT_EQ(pixelAspectFor(r.size), r.aspect) << r.size.width() << "x" << r.size.height();
}

TEST(VideoShape, PaddedRectKeepsTheShownShape)
{
    const struct
    {
        const char *name;
        QSize frame, video;
        QRect expected;
    } rows[] = {
        {"same shape", {64, 48}, {640, 480}, {0, 0, 640, 480}},
        {"4:3 into 16:9: bars left and right", {64, 48}, {1280, 720}, {160, 0, 960, 720}},
        {"16:9 into 4:3: bars above and below", {160, 90}, {640, 480}, {0, 60, 640, 360}},
        {"4:3 into DVD PAL, shown 4:3: no bars", {640, 480}, {720, 576}, {0, 0, 720, 576}},
        {"16:9 into DVD NTSC, shown 4:3", {1920, 1080}, {720, 480}, {0, 60, 720, 360}},
        {"no frame", {0, 0}, {352, 288}, {0, 0, 352, 288}},
    };
    for (const auto &r : rows)
        EXPECT_EQ(paddedRect(r.frame, r.video, pixelAspectFor(r.video)), r.expected) << r.name;
}

TEST(ReducedDecode, PicksTheLargestReductionThatStillCovers)
{
    const struct
    {
        QSize frame;
        QSize cover;
        int divisor;
    } rows[] = {
        {{6000, 4000}, {1920, 1080}, 2}, // Full-HD video from a 24-megapixel frame
        {{6000, 4000}, {720, 576}, 4},   // DVD PAL
        {{6000, 4000}, {351, 287}, 8},   // the preview
        {{3840, 2160}, {351, 287}, 4},   // 1/8 would be 270 rows, short of 287
        {{1920, 1080}, {720, 576}, 1},   // less than twice the height: full size
        {{1441, 1153}, {720, 576}, 2},   // sides rounded up: 721 × 577
        {{1438, 1200}, {720, 576}, 1},   // half is 719 columns, one short
        {{640, 480}, {}, 1},             // no cover: full size
    };
    for (const auto &row : rows)
        EXPECT_EQ(FrameLoader::reductionFor(row.frame, row.cover), row.divisor)
            << row.frame.width() << "x" << row.frame.height() << " for " << row.cover.width();
}

double psnr(const QImage &a, const QImage &b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                sum += double(d) * d;
        }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST_F(FrameFiles, ReducedDecodeShrinksToTheSamePicture)
{
    // Like a camera frame: smooth shading, and squares with sharp edges that meet the 8×8 blocks
    // of the JPEG anywhere; saved at the quality cameras use.
    QImage frame(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const bool square = (x + 13) / 150 % 2 != (y + 5) / 110 % 2;
            frame.setPixel(x, y, qRgb(x * 255 / 1600, y * 255 / 1200, square ? 210 : 40));
        }
    const QString path = dir.filePath(QStringLiteral("camera.jpg"));
    ASSERT_TRUE(frame.save(path, "JPG", 92));

    QImage full;
    ASSERT_TRUE(loader.load(path, full));
    for (const QSize cover : {QSize(720, 576), QSize(351, 287), QSize(160, 120)}) {
        SCOPED_TRACE(cover.width());
        QImage reduced;
        QSize frameSize;
        ASSERT_TRUE(loader.load(path, reduced, cover, &frameSize));
        const int divisor = FrameLoader::reductionFor(frame.size(), cover);
        ASSERT_GT(divisor, 1);
        EXPECT_EQ(reduced.size(), QSize(1600 / divisor, 1200 / divisor));
        EXPECT_EQ(frameSize, frame.size());
        QImage fromFull(cover, QImage::Format_RGB32);
        QImage fromReduced(cover, QImage::Format_RGB32);
        stretchInto(full, fromFull, cover.width(), cover.height());
        stretchInto(reduced, fromReduced, cover.width(), cover.height());
        EXPECT_GE(psnr(fromFull, fromReduced), 40.0);
    }
}

} // namespace
