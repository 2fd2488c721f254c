// Bitmaps and video files: cDIB byte for byte; the AVI calls of the video writer (each frame through
// the BMP writer and cDIB) on real files, read back by ffprobe and ffmpeg; the YUV converter against
// swscale.

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "image/bmpwriter.h"
#include "image/cdib.h"
#include "image/kernelset.h"
#include "image/yuvconvert.h"
#include "image/yuvframe.h"
#include "testsupport.h"
#include "video/avifile.h"
#include "video/avirepair.h"

using namespace tavelon::test;

namespace {

const QString kTitle = u"Brimholt Tavelon"_s;

const auto bytesAt = [](const void *p, int size) { return QByteArray(static_cast<const char *>(p), size); };

// Every property, so that two loads can be compared field by field.
QList<int> allFields(const cDIB &d)
{
    return {d.BitCount(),  d.Height(),   d.Width(),          d.Compression(), d.SizeInfoHeader(),
            d.SizeImage(), d.Planes(),   d.ClrImportant(),   d.ClrUsed(),     d.XPPM(),
            d.YPPM(),      d.FileType(), d.SizeFileHeader(), d.BitOffset(),   d.SizeBitmapInfo()};
}

// A temporary folder and a cDIB; Row is the row type of a value-parameterised test.
template <typename Row = int> class VideoFileTest : public ::testing::TestWithParam<Row>
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        EXPECT_TRUE(writeFile(path(name), bytes));
        return path(name);
    }
    // Loads path; the messages it gave as "icon title: text" lines, or "(loaded)".
    QString refusal(const QString &path)
    {
        messages.messages.clear();
        if (dib.CreateFromFile(path))
            return u"(loaded)"_s;
        QStringList shown;
        for (const ScriptedMessages::Message &m : messages.messages)
            shown << shownMessage(m.icon, m.text);
        return shown.join(u'\n');
    }
    static QString shownMessage(MessageIcon icon, const QString &text)
    {
        return u"%1 %2: %3"_s.arg(int(icon)).arg(kTitle, text);
    }
    QByteArray bits() const { return bytesAt(dib.PointerToBits(), dib.SizeImage()); }

    QTemporaryDir dir;
    ScriptedMessages messages;
    cDIB dib{messages, kTitle};
};
using CDibTest = VideoFileTest<>;

// name, file, then width, height, bit count, image size, bit offset, palette entries used
using DibRow = std::tuple<const char *, QByteArray, QList<int>>;

using DibRoundTripTest = VideoFileTest<DibRow>;

// A bitmap loaded after another one: every field replaced, header and pixel bytes where the file
// has them (behind a palette too), and written back byte for byte over a longer file, without the
// bytes that followed the pixels.
TEST_P(DibRoundTripTest, LoadsEveryFieldAndWritesTheBytesBack)
{
    const auto &[name, bytes, expected] = GetParam();
    ASSERT_TRUE(dib.CreateFromFile(file("first.bmp", bmp(9, 4, 8, 256))));
    ASSERT_TRUE(dib.CreateFromFile(file("in.bmp", bytes + QByteArray("trailing"))));
    cDIB fresh(messages, kTitle);
    ASSERT_TRUE(fresh.CreateFromFile(path("in.bmp")));
    EXPECT_EQ(allFields(dib), allFields(fresh));
    EXPECT_EQ((QList<int>{dib.Width(), dib.Height(), dib.BitCount(), dib.SizeImage(), dib.BitOffset(),
                          dib.ClrUsed(), dib.XPPM(), dib.YPPM(), dib.FileType()}),
              expected + QList<int>({2835, 3780, 19778}));
    EXPECT_EQ(std::pair(bytesAt(dib.PointerToBitmapInfo(), dib.SizeBitmapInfo()), bits()),
              std::pair(bytes.mid(14, expected[4] - 14), bytes.mid(expected[4], expected[3])));
    ASSERT_TRUE(dib.WriteToFile(file("out.bmp", QByteArray(4096, 'x'))));
    EXPECT_EQ(std::pair(readFile(path("out.bmp")), messages.messages.size()), std::pair(bytes, qsizetype(0)));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DibRoundTripTest,
    ::testing::Values(
        DibRow{"TwentyFourBits", bmp(5, 3, 24), {5, 3, 24, 48, 54, 0}},
        DibRow{"EightBitsBehindAPalette", bmp(7, 2, 8, 256), {7, 2, 8, 16, 1078, 256}},
        DibRow{"ThirtyTwoBits", bmp(3, 3, 32), {3, 3, 32, 36, 54, 0}},
        // Left so by other writers: the size is computed from the rows (stride 16).
        DibRow{"TopDownWithImageSizeZero", patched(bmp(5, -3, 24), {{34, 0}}), {5, -3, 24, 48, 54, 0}}),
    rowName);

using BadDibRow = std::pair<const char *, QByteArray>;

using DibRejectedTest = VideoFileTest<BadDibRow>;

// A file whose header does not fit its bytes: false with the unsupported-format message, the file
// closed, and the object keeps the bitmap it held.
TEST_P(DibRejectedTest, WithTheFormatMessageKeepingTheBitmapItHeld)
{
    ASSERT_TRUE(dib.CreateFromFile(file("good.bmp", bmp(6, 2, 32))));
    const QList<int> before = allFields(dib);
    const QByteArray beforeBits = bits();
    const QString p = file(u"bad.bmp"_s, GetParam().second);
    EXPECT_EQ(refusal(p),
              shownMessage(MessageIcon::Information, u"File is not a supported bitmap format:\r\n"_s + p));
    EXPECT_EQ(allFields(dib), before);
    EXPECT_EQ(bits(), beforeBits);
    EXPECT_TRUE(QFile::remove(p)) << "the file was closed";
}

const QByteArray kGood = bmp(); // 4 × 3, 36 pixel bytes

INSTANTIATE_TEST_SUITE_P(
    Rows, DibRejectedTest,
    ::testing::Values(BadDibRow{"NotBm",
                                QByteArray::fromHex("ffd8ffe000104a46494600") + QByteArray(100, '\0')},
                      BadDibRow{"ShorterThanTheHeaders", kGood.left(30)},
                      BadDibRow{"PixelsCutShort", kGood.left(70)},
                      BadDibRow{"BitOffsetInsideTheHeaders", patched(kGood, {{10, 20}})},
                      BadDibRow{"HugeImageSize", patched(kGood, {{34, 0x7fffffffLL}})},
                      BadDibRow{"ImageSizeBelowTheRows", patched(kGood, {{34, 20}})},
                      BadDibRow{"NegativeWidth", patched(kGood, {{18, -4}})},
                      // rows of 33 one-bit pixels take 8 bytes each, not 4
                      BadDibRow{"OneBitRowsCountedShort", patched(bmp(33, 2, 1, 2), {{34, 8}})},
                      BadDibRow{"BadBitCount", patched(kGood, {{28, 7}}, true)},
                      BadDibRow{"CoreHeader", patched(kGood, {{14, 12}})},
                      BadDibRow{"RleWithImageSizeZero", patched(kGood, {{30, 1}, {34, 0}})}),
    rowName);

// The BMP writer's failures are reported; a picture written over a larger file leaves a file of its
// own size with zeroed row padding.
TEST_F(CDibTest, BmpWriterReportsFailuresAndZeroesThePadding)
{
    for (const QString &p : {path("no/such/folder/a.bmp"), u"/dev/full"_s})
        EXPECT_FALSE(writeBmp24(QImage(4, 4, QImage::Format_RGB32), p));
    EXPECT_FALSE(writeBmp24(QImage(), path("null.bmp")));
    const QString overwritten = path("over.bmp");
    ASSERT_TRUE(writeBmp24(filled({64, 64}, Qt::white), overwritten) &&
                writeBmp24(filled({5, 3}, Qt::black), overwritten));
    EXPECT_EQ(readFile(overwritten).mid(54), QByteArray(16 * 3, '\0'));
    // A packed bitmap (no file header) of 24 bits gets the file header it lacks.
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(bmp(5, 3, 24).mid(14).constData()));
    EXPECT_EQ(std::pair(dib.SizeFileHeader(), dib.BitOffset()), std::pair(48 + 54, 54));
}

// ---- AVI files ----------------------------------------------------------------------------------

const std::pair<QColor, QColor> kColours[] = {{QColor(200, 30, 30), QColor(30, 30, 200)},
                                              {QColor(30, 200, 30), QColor(220, 220, 40)},
                                              {QColor(40, 40, 40), QColor(230, 230, 230)},
                                              {QColor(30, 180, 200), QColor(200, 60, 180)}};

// Frames whose top half and bottom half have the colours of kColours[i % 4].
QList<QImage> twoColourFrames(int width, int height, int count)
{
    QList<QImage> frames;
    for (int i = 0; i < count; ++i) {
        QImage image(width, height, QImage::Format_RGB32);
        QPainter p(&image);
        p.fillRect(0, 0, width, height / 2, kColours[i % 4].first);
        p.fillRect(0, height / 2, width, height - height / 2, kColours[i % 4].second);
        frames << image;
    }
    return frames;
}

using AviTest = CDibTest;

// The sample aspect ratio the codec's own bitstream gives (H.264, MPEG-4 Part 2, Motion JPEG): the
// video stream copied out of its container (MPEG-4's out-of-band headers put back) and probed alone.
QString codecSampleAspect(const QString &path, const QString &codecName)
{
    const bool mpeg4 = codecName == u"mpeg4"_s;
    QProcess p;
    p.start(u"ffmpeg"_s, {"-v", "error", "-y", "-i", path, "-map", "0:v:0", "-c", "copy", "-bsf:v",
                          mpeg4 ? "dump_extra" : "null", "-f", mpeg4 ? u"m4v"_s : codecName, path + ".es"});
    return p.waitForFinished(30000) && p.exitCode() == 0 ? probe(path + ".es").sampleAspect
                                                         : u"(copy failed)"_s;
}

// A compressor the container has no place for, a file that cannot be opened and a full disk fail
// with a result, not a file that does not play.
TEST_F(AviTest, WritesThatCannotWorkFail)
{
    // Motion JPEG has no place in MP4, H.265 and AV1 none in AVI.
    for (const auto &[codec, container] :
         {std::pair{u"mjpeg"_s, Container::Mp4}, {u"h265"_s, Container::Avi}, {u"av1"_s, Container::Avi}}) {
        EXPECT_EQ(writeAvi(path(u"v."_s + containerName(container)), path("temp.bmp"),
                           {.codec = codec, .container = container}, twoColourFrames(64, 48, 1), 10),
                  int(AviError::CompressorUnavailable))
            << codec.toStdString();
    }
    AviFilePtr file;
    EXPECT_EQ(aviFileOpen(file, path("no/such/folder/a.avi")), int(AviError::FileOpenFailed));
    EXPECT_FALSE(file);
    EXPECT_NE(writeAvi(u"/dev/full"_s, path("temp.bmp"), {}, twoColourFrames(64, 48, 12), 10), 0);
}

// A file cut inside its third frame keeps the two whole ones and counts them in its headers; chunks
// of odd size are padded.
TEST_F(AviTest, CutFileKeepsItsWholeFrames)
{
    const QByteArray cut =
        patched("RIFF....AVI LIST....hdrlavih...." + QByteArray(20, '\0') + "LIST....strlstrh...." +
                    QByteArray(36, '\0') + "LIST....movi" + QByteArray("00dc\3\0\0\0abc\0", 12).repeated(2) +
                    QByteArray("00dcd\0\0\0part", 12),
                {{4, 0xFFFFFFF0}, {16, 88}, {28, 20}, {56, 48}, {68, 36}, {112, 0xFFFFFFF0}});
    ASSERT_TRUE(writeFile(path("cut.avi"), cut) && trimUnfinishedAvi(path("cut.avi")));
    EXPECT_EQ(readFile(path("cut.avi")), patched(cut.left(144), {{4, 136}, {112, 28}, {48, 2}, {104, 2}}));
}

// ---- Videos of each compressor and size -------------------------------------------------------

// A video written through the AVI calls: its container, compressor and fourcc, the frames' size and
// the size coded (4:2:0 pads an odd side), how far the colours may stray beside the padding, the
// pixel shape ("1:1" for square pixels) and Probe::colourTags ("-" where the file says nothing).
struct VideoRow
{
    const char *name;
    Container container;
    const char *codec, *tag;
    QSize size, coded;
    int tolerance;
    const char *aspect, *colourTags;
};
using VideoTest = VideoFileTest<VideoRow>;

// The video keeps the frames, their rate and size, with no B-frames (AVI keeps no presentation
// times). Decoded as its colour description says (ffmpeg honours it) it shows the frames' colours;
// the description is the standard of the video's size. The pixel shape of the disc sizes is in the
// video's header and in the codec's own field. MP4 puts its index before the frames.
TEST_P(VideoTest, KeepsFramesShapeAndColours)
{
    const VideoRow &row = GetParam();
    if (!findCompressor(QLatin1String(row.codec)))
        GTEST_SKIP() << "no " << row.codec << " in this libavcodec";
    const QString video = path(u"v."_s + containerName(row.container));
    const CompressOptions options{
        .codec = QLatin1String(row.codec), .quality = 100, .container = row.container};
    const int w = row.size.width(), h = row.size.height();
    ASSERT_EQ(writeAvi(video, path("temp.bmp"), options, twoColourFrames(w, h, 4), 12), 0);
    const Probe p = probe(video);
    EXPECT_TRUE(p.ok) << p.errors.toStdString();
    EXPECT_EQ(
        std::tuple(p.codecTag, p.frameRate, p.hasBFrames, QSize(p.width, p.height), p.frames, p.colourTags),
        std::tuple(QLatin1String(row.tag), u"12/1"_s, 0, row.coded, 4, QLatin1String(row.colourTags)));
    // Each half's colour in the middle, and in the frame's last column and row.
    const QByteArray rgb = decodeRgb24(video);
    const auto off = [&](int i, int x, int y, QColor colour) {
        return colourDistance(rgb, p.width, p.height, i, x, y, colour);
    };
    QStringList offColours;
    for (int i = 0; i < 4; ++i) {
        if (off(i, w / 2, h / 4, kColours[i].first) > 3 || off(i, w / 2, h * 3 / 4, kColours[i].second) > 3 ||
            off(i, w - 1, h / 4, kColours[i].first) > row.tolerance ||
            off(i, w / 2, h - 1, kColours[i].second) > row.tolerance)
            offColours << u"frame %1"_s.arg(i);
    }
    EXPECT_EQ(offColours, QStringList());
    const bool square = row.aspect == "1:1"_L1;
    EXPECT_EQ(QStringList({"", "0:1"}).contains(p.sampleAspect) ? u"1:1"_s : p.sampleAspect,
              QLatin1String(row.aspect));
    if (!square && QStringList({"h264", "mpeg4", "mjpeg"}).contains(options.codec)) {
        EXPECT_EQ(codecSampleAspect(video, p.codecName), QLatin1String(row.aspect));
    }
    const QByteArray bytes = readFile(video);
    if (row.container == Container::Avi) {
        EXPECT_EQ(bytes.contains("vprp"), !square);
    } else {
        EXPECT_EQ(p.pixelFormat, u"yuv420p"_s);
        EXPECT_GT(bytes.indexOf("moov"), 0);
        EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat")) << "the index before the frames";
    }
}

const char *const kHdTags = "bt709 bt709 bt709 tv", *const kNtscTags = "smpte170m smpte170m smpte170m tv",
                  *const kSdTags = "bt470bg bt470bg smpte170m tv", *const kJpegTags = "bt470bg - - pc",
                  *const kRgbTags = "- - - -", *const kRaw = "[0][0][0][0]";
constexpr auto kAvi = Container::Avi, kMp4 = Container::Mp4;
constexpr QSize kOddWidth(63, 48), kOddHeight(64, 47), kEven(64, 48), kDvdPal(720, 576), kDvdNtsc(720, 480),
    kHd(1280, 720);
INSTANTIATE_TEST_SUITE_P(
    Rows, VideoTest,
    ::testing::Values(
        VideoRow{"UncompressedOddWidthAvi", kAvi, "uncompressed", kRaw, kOddWidth, kOddWidth, 0, "1:1",
                 kRgbTags},
        VideoRow{"UncompressedDvdPalAvi", kAvi, "uncompressed", kRaw, kDvdPal, kDvdPal, 0, "16:15", kRgbTags},
        VideoRow{"Ffv1OddWidthAvi", kAvi, "ffv1", "FFV1", kOddWidth, kOddWidth, 0, "1:1", kRgbTags},
        VideoRow{"HuffyuvOddWidthAvi", kAvi, "huffyuv", "HFYU", kOddWidth, kOddWidth, 0, "1:1", kRgbTags},
        VideoRow{"MjpegOddWidthAvi", kAvi, "mjpeg", "MJPG", kOddWidth, kEven, 12, "1:1", kJpegTags},
        VideoRow{"MjpegOddHeightAvi", kAvi, "mjpeg", "MJPG", kOddHeight, kEven, 12, "1:1", kJpegTags},
        VideoRow{"MjpegVcdPalAvi", kAvi, "mjpeg", "MJPG", {352, 288}, {352, 288}, 12, "12:11", kJpegTags},
        VideoRow{"MjpegHdAvi", kAvi, "mjpeg", "MJPG", kHd, kHd, 12, "1:1", kJpegTags},
        VideoRow{"Mpeg4OddWidthAvi", kAvi, "mpeg4", "XVID", kOddWidth, kEven, 12, "1:1", kSdTags},
        VideoRow{"Mpeg4OddHeightAvi", kAvi, "mpeg4", "XVID", kOddHeight, kEven, 12, "1:1", kSdTags},
        VideoRow{"Mpeg4VcdNtscAvi", kAvi, "mpeg4", "XVID", {352, 240}, {352, 240}, 12, "10:11", kNtscTags},
        VideoRow{"H264OddWidthAvi", kAvi, "h264", "H264", kOddWidth, kEven, 12, "1:1", kSdTags},
        VideoRow{"H264OddHeightAvi", kAvi, "h264", "H264", kOddHeight, kEven, 12, "1:1", kSdTags},
        VideoRow{"H264SvcdNtscAvi", kAvi, "h264", "H264", {480, 480}, {480, 480}, 12, "4:3", kNtscTags},
        VideoRow{"H264DvdNtscMp4", kMp4, "h264", "avc1", kDvdNtsc, kDvdNtsc, 12, "8:9", kNtscTags},
        VideoRow{"H264DvdPalMp4", kMp4, "h264", "avc1", kDvdPal, kDvdPal, 12, "16:15", kSdTags},
        VideoRow{"H264OtherSdMp4", kMp4, "h264", "avc1", {640, 480}, {640, 480}, 12, "1:1", kSdTags},
        VideoRow{"H264OddSidesMp4", kMp4, "h264", "avc1", {63, 47}, kEven, 12, "1:1", kSdTags},
        VideoRow{"H264HdMp4", kMp4, "h264", "avc1", kHd, kHd, 12, "1:1", kHdTags},
        VideoRow{"H265HdMp4", kMp4, "h265", "hvc1", kHd, kHd, 12, "1:1", kHdTags},
        VideoRow{"Av1DvdNtscMp4", kMp4, "av1", "av01", kDvdNtsc, kDvdNtsc, 12, "8:9", kNtscTags},
        VideoRow{"Mpeg4HdMp4", kMp4, "mpeg4", "mp4v", kHd, kHd, 12, "1:1", kHdTags},
        VideoRow{"Mpeg4SvcdPalMp4", kMp4, "mpeg4", "mp4v", {480, 576}, {480, 576}, 12, "8:5", kSdTags}),
    rowName);

using Plane = std::vector<std::uint8_t>;
using Planes = std::array<Plane, 3>;

Planes emptyPlanes(int width, int height)
{
    const auto chroma = std::size_t((width + 1) / 2 * ((height + 1) / 2));
    return {Plane(std::size_t(width * height)), Plane(chroma), Plane(chroma)};
}

// Our converter on a picture whose first row starts at bgr, rows stride bytes apart.
const YuvWeights kJpeg = yuvWeights(YuvMatrix::Bt601, true);

Planes convert(const std::uint8_t *bgr, std::ptrdiff_t stride, int width, int height,
               const YuvWeights &weights = kJpeg)
{
    Planes out = emptyPlanes(width, height);
    const int cw = (width + 1) / 2;
    std::uint8_t *const planes[3] = {out[0].data(), out[1].data(), out[2].data()};
    const int strides[3] = {width, cw, cw};
    bgr24ToYuv420p(bgr, stride, width, height, planes, strides, weights);
    return out;
}

// From 8 rows on the two agree; shorter frames stay with swscale.
Planes swscaleReference(const Plane &bgr, int width, int height, YuvMatrix matrix, bool fullRange)
{
    std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(sws_alloc_context(), &sws_freeContext);
    const QByteArray options = u"srcw=%1:srch=%2:dstw=%1:dsth=%2:src_format=bgr24:dst_format=yuv420p:"
                               u"sws_flags=bilinear+accurate_rnd:src_range=1:dst_range=%3"_s.arg(width)
                                   .arg(height)
                                   .arg(fullRange ? 1 : 0)
                                   .toLatin1();
    EXPECT_GE(av_set_options_string(sws.get(), options.constData(), "=", ":"), 0);
    EXPECT_GE(sws_init_context(sws.get(), nullptr, nullptr), 0);
    const int *coefficients = sws_getCoefficients(matrix == YuvMatrix::Bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
    EXPECT_GE(
        sws_setColorspaceDetails(sws.get(), coefficients, 1, coefficients, fullRange, 0, 1 << 16, 1 << 16),
        0);
    // swscale's vector loops may write past the end of a row: give it padded rows, then copy.
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    const int strides[3] = {(width + 63) / 64 * 64, (cw + 63) / 64 * 64, (cw + 63) / 64 * 64};
    Plane padded[3] = {Plane(std::size_t(strides[0] * height + 64)), Plane(std::size_t(strides[1] * ch + 64)),
                       Plane(std::size_t(strides[2] * ch + 64))};
    std::uint8_t *const planes[3] = {padded[0].data(), padded[1].data(), padded[2].data()};
    const std::uint8_t *const src[4] = {bgr.data()};
    const int srcStride[4] = {width * 3};
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

// The largest difference to swscale of each plane (chroma left out for an odd width: ours pairs the
// last column with itself, swscale does not).
QList<int> swscaleDifference(const char *kind, int width, int height, YuvMatrix matrix = YuvMatrix::Bt601,
                             bool fullRange = true)
{
    const Plane bgr = picture(kind, width, height);
    const Planes expected = swscaleReference(bgr, width, height, matrix, fullRange);
    const Planes ours = convert(bgr.data(), width * 3, width, height, yuvWeights(matrix, fullRange));
    QList<int> diffs;
    for (int i = 0; i < (width % 2 ? 1 : 3); ++i)
        diffs << maxDiff(ours[i], expected[i]);
    return diffs;
}

// name, kind, width, height; JPEG's full range BT.601 unless a matrix and video range are named
using PictureRow = std::tuple<const char *, const char *, int, int, YuvMatrix, bool>;

using YuvConvertTest = ::testing::TestWithParam<PictureRow>;

TEST_P(YuvConvertTest, MatchesSwscaleWithinOne)
{
    const auto &[name, kind, width, height, matrix, fullRange] = GetParam();
    for (const int diff : swscaleDifference(kind, width, height, matrix, fullRange))
        EXPECT_LE(diff, 1);
}

constexpr auto kBt601 = YuvMatrix::Bt601;
constexpr auto kBt709 = YuvMatrix::Bt709;

INSTANTIATE_TEST_SUITE_P(Rows, YuvConvertTest,
                         ::testing::Values(PictureRow{"NoiseDvd", "noise", 720, 576, kBt601, true},
                                           PictureRow{"CubeSmall", "cube", 64, 48, kBt601, true},
                                           PictureRow{"NoiseTenRows", "noise", 34, 10, kBt601, true},
                                           PictureRow{"NoiseHdVideoRange", "noise", 1280, 720, kBt709, false},
                                           PictureRow{"CubeHdVideoRange", "cube", 640, 360, kBt709, false},
                                           PictureRow{"GradientDvdVideoRange", "gradient", 720, 576, kBt601,
                                                      false}),
                         rowName);

// An odd last column pairs with itself, so a solid colour stays exact: pure blue, whose U lies half
// a step above 255, lands on its limits.
TEST(YuvConvert, SolidColourOfAnOddWidthIsExact)
{
    Plane blue;
    for (int i = 0; i < 5 * 3; ++i)
        blue.insert(blue.end(), {255, 0, 0});
    EXPECT_EQ(convert(blue.data(), 5 * 3, 5, 3), (Planes{Plane(15, 29), Plane(6, 255), Plane(6, 107)}));
}

// A JPEG's own samples taken to BT.709's video range give the luma a way through RGB gives, also
// where chroma changes inside the samples' pairs (luma takes chroma interpolated at its place).
TEST(YuvConvert, JpegSamplesGoToVideoRangeAsThroughRgb)
{
    const int w = 24, h = 16;
    YuvFrame jpeg;
    ASSERT_TRUE(jpeg.resize(QSize(w, h)));
    // Stripes three pixels wide of a green and a purple whose chroma parts of BT.709 luma add up;
    // no colour between them leaves the RGB cube.
    Plane stripes;
    for (int i = 0; i < w * h; ++i)
        stripes.insert(stripes.end(), (i % w) / 3 % 2 ? std::initializer_list<std::uint8_t>{60, 160, 60}
                                                      : std::initializer_list<std::uint8_t>{170, 80, 170});
    const Planes samples = convert(stripes.data(), w * 3, w, h);
    for (int i = 0; i < 3; ++i)
        std::copy(samples[i].begin(), samples[i].end(), jpeg.plane(i));

    Plane rgb(std::size_t(w * h * 3));
    std::unique_ptr<SwsContext, decltype(&sws_freeContext)> sws(
        sws_getContext(w, h, AV_PIX_FMT_YUVJ420P, w, h, AV_PIX_FMT_BGR24,
                       SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr),
        &sws_freeContext);
    const std::uint8_t *const src[4] = {jpeg.plane(0), jpeg.plane(1), jpeg.plane(2)};
    const int srcStrides[4] = {w, w / 2, w / 2};
    std::uint8_t *const dst[4] = {rgb.data()};
    const int dstStrides[4] = {w * 3};
    sws_scale(sws.get(), src, srcStrides, 0, h, dst, dstStrides);
    const Planes throughRgb = convert(rgb.data(), w * 3, w, h, yuvWeights(YuvMatrix::Bt709, false));

    Planes ours = emptyPlanes(w, h);
    std::uint8_t *const planes[3] = {ours[0].data(), ours[1].data(), ours[2].data()};
    const int strides[3] = {w, w / 2, w / 2};
    yuv420FullToVideoRange(jpeg, videoRangeWeights(YuvMatrix::Bt709), planes, strides);
    EXPECT_LE(maxDiff(ours[0], throughRgb[0]), 1);
}

TEST(YuvConvert, VectorAndPlainLoopsAgree)
{
    if (!useAvx2Kernels())
        GTEST_SKIP() << "no AVX2 here: only the plain loops run";
    // BT.601 in video range gives green an odd weight, split unevenly over the vector loop's pairs.
    const YuvWeights videoRange = yuvWeights(YuvMatrix::Bt601, false);
    for (const auto &[width, height] : {std::pair{720, 576}, std::pair{37, 11}}) {
        const Plane bgr = picture("noise", width, height);
        const Planes vector = convert(bgr.data(), width * 3, width, height);
        const Planes vectorVideoRange = convert(bgr.data(), width * 3, width, height, videoRange);
        forcePlainKernels(true);
        const Planes plain = convert(bgr.data(), width * 3, width, height);
        const Planes plainVideoRange = convert(bgr.data(), width * 3, width, height, videoRange);
        forcePlainKernels(false);
        EXPECT_EQ(vector, plain) << width;
        EXPECT_EQ(vectorVideoRange, plainVideoRange) << width;
    }
}

} // namespace
