#include "video/avifile.h"

#include "image/bmpwriter.h"
#include "image/cdib.h"
#include "video/compressors.h"
#include "videotestsupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavelon;
using namespace tavelon::test;

namespace {

struct ColourPair
{
    QColor top;
    QColor bottom;
};

const ColourPair kColours[] = {
    {QColor(200, 30, 30), QColor(30, 30, 200)},
    {QColor(30, 200, 30), QColor(220, 220, 40)},
    {QColor(40, 40, 40), QColor(230, 230, 230)},
    {QColor(30, 180, 200), QColor(200, 60, 180)},
};

AviStreamInfo streamInfo(int rate, const cDIB *dib = nullptr)
{
    AviStreamInfo info;
    info.fccType = kStreamTypeVideo;
    info.scale = 1;
    info.rate = std::uint32_t(rate);
    if (dib) {
        info.suggestedBufferSize = std::uint32_t(dib->SizeImage());
        info.frame = AviRect{0, 0, dib->Width(), dib->Height()};
    }
    return info;
}

enum class ReleaseOrder { StreamsFirst, FileFirst };

// Runs the calls of the video writer: each frame goes through temp.bmp and a cDIB into the
// compressed stream. Writes the first `count` of frames (all when -1) and returns the first
// non-zero result, the releases included.
int writeAvi(const QString &aviPath, const QString &tempPath, const CompressOptions &options,
             const QList<QImage> &frames, int rate, int count = -1,
             ReleaseOrder order = ReleaseOrder::StreamsFirst)
{
    AviFilePtr file;
    AviStreamPtr source;
    AviStreamPtr compressed;
    RecordingMessages messages;
    cDIB dib{messages};
    int result = aviFileOpen(file, aviPath, options.container);
    if (result == 0 && !(writeBmp24(frames.first(), tempPath) && dib.CreateFromFile(tempPath)))
        result = -1;
    if (result == 0)
        result = aviFileCreateStream(file.get(), source, streamInfo(rate, &dib));
    if (result == 0)
        result = aviMakeCompressedStream(compressed, source.get(), options);
    if (result == 0)
        result = aviStreamSetFormat(compressed.get(), 0, dib.PointerToBitmapInfo(), dib.SizeBitmapInfo());
    const int n = count < 0 ? int(frames.size()) : count;
    for (int i = 0; i < n && result == 0; ++i) {
        writeBmp24(frames[i], tempPath);
        dib.CreateFromFile(tempPath);
        result = aviStreamWrite(compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), kAviKeyFrame);
    }
    const auto keep = [&result](int r) {
        if (result == 0)
            result = r;
    };
    if (order == ReleaseOrder::FileFirst)
        keep(aviFileRelease(file));
    keep(aviStreamRelease(source));
    keep(aviStreamRelease(compressed));
    keep(aviFileRelease(file));
    return result;
}

QList<QImage> twoColourFrames(int width, int height, int count)
{
    QList<QImage> frames;
    for (int i = 0; i < count; ++i)
        frames.append(twoColourFrame(width, height, kColours[i % 4].top, kColours[i % 4].bottom));
    return frames;
}

// Frame i of the decoded video shows colour pair i: top half above, bottom half below.
void expectColours(const QByteArray &rgb, int width, int height, int frames, int tolerance)
{
    for (int i = 0; i < frames; ++i) {
        SCOPED_TRACE(i);
        const ColourPair &c = kColours[i % 4];
        EXPECT_LE(colourDistance(rgb, width, height, i, width / 2, height / 4, c.top), tolerance);
        EXPECT_LE(colourDistance(rgb, width, height, i, width / 2, height * 3 / 4, c.bottom), tolerance);
    }
}

class AviTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

struct CodecCase
{
    const char *id;
    const char *codecName;
    const char *tag;
    bool halfChroma; // 4:2:0: odd sizes are padded to even ones
    int tolerance;
};

class AviCodecTest : public AviTest, public ::testing::WithParamInterface<CodecCase>
{
};

TEST_P(AviCodecTest, RoundTripsFramesRateSizeAndColours)
{
    const CodecCase &c = GetParam();
    if (!findCompressor(QString::fromLatin1(c.id)))
        GTEST_SKIP() << c.id << " is not in this libavcodec";
    const struct
    {
        int width;
        int height;
    } sizes[] = {{64, 48}, {63, 47}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size.width);
        CompressOptions options;
        options.codec = QString::fromLatin1(c.id);
        options.quality = 90;
        const QString avi = path(QStringLiteral("%1-%2.avi").arg(c.id).arg(size.width));
        ASSERT_EQ(writeAvi(avi, path("temp.bmp"), options, twoColourFrames(size.width, size.height, 4), 12),
                  0);

        const std::optional<ProbeResult> p = probe(avi);
        ASSERT_TRUE(p);
        const int width = size.width + (c.halfChroma ? size.width % 2 : 0);
        const int height = size.height + (c.halfChroma ? size.height % 2 : 0);
        EXPECT_EQ(p->codecName, QString::fromLatin1(c.codecName));
        EXPECT_EQ(p->codecTag, QString::fromLatin1(c.tag));
        EXPECT_EQ(p->hasBFrames, 0); // AVI keeps no presentation times
        EXPECT_EQ(p->width, width);
        EXPECT_EQ(p->height, height);
        EXPECT_EQ(p->frameRate, QStringLiteral("12/1"));
        EXPECT_EQ(p->frames, 4);
        const QByteArray rgb = decodeRgb24(avi);
        ASSERT_EQ(rgb.size(), qint64(width) * height * 3 * 4);
        expectColours(rgb, width, height, 4, c.tolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Compressors, AviCodecTest,
                         ::testing::Values(CodecCase{"uncompressed", "rawvideo", "[0][0][0][0]", false, 0},
                                           CodecCase{"mjpeg", "mjpeg", "MJPG", true, 12},
                                           CodecCase{"mpeg4", "mpeg4", "XVID", true, 12},
                                           CodecCase{"h264", "h264", "H264", true, 12},
                                           CodecCase{"ffv1", "ffv1", "FFV1", false, 0},
                                           CodecCase{"huffyuv", "huffyuv", "HFYU", false, 0}),
                         [](const auto &row) { return std::string(row.param.id); });

// The container, the pixel shape of the disc sizes (in the file's header and in the codec's own
// field) and the MP4 index before the frames.
TEST_F(AviTest, ContainerAndPixelShape)
{
    const struct
    {
        Container container;
        const char *codec;
        int width, height;
        const char *aspect; // "" for square pixels
    } rows[] = {
        {Container::Avi, "uncompressed", 720, 576, "16:15"},
        {Container::Avi, "mpeg4", 352, 240, "10:11"},
        {Container::Avi, "h264", 480, 480, "4:3"},
        {Container::Avi, "mjpeg", 352, 288, "12:11"},
        {Container::Avi, "h264", 64, 48, ""},
        {Container::Mp4, "h264", 720, 480, "8:9"},
        {Container::Mp4, "mpeg4", 480, 576, "8:5"},
        {Container::Mp4, "h264", 63, 47, ""},
    };
    for (const auto &row : rows) {
        const QString name = QStringLiteral("%1-%2x%3.%4")
                                 .arg(QLatin1String(row.codec))
                                 .arg(row.width)
                                 .arg(row.height)
                                 .arg(containerName(row.container));
        SCOPED_TRACE(name.toStdString());
        if (!findCompressor(QString::fromLatin1(row.codec)))
            continue;
        CompressOptions options;
        options.codec = QString::fromLatin1(row.codec);
        options.container = row.container;
        ASSERT_EQ(
            writeAvi(path(name), path("temp.bmp"), options, twoColourFrames(row.width, row.height, 3), 10),
            0);
        const std::optional<ProbeResult> p = probe(path(name));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->frames, 3);
        const bool square = !*row.aspect;
        const QString shown = p->sampleAspect.isEmpty() || p->sampleAspect == QLatin1String("0:1")
                                  ? QStringLiteral("1:1")
                                  : p->sampleAspect;
        EXPECT_EQ(shown, square ? QStringLiteral("1:1") : QLatin1String(row.aspect));
        if (!square && !options.codec.startsWith(QLatin1String("unc"))) {
            EXPECT_EQ(codecSampleAspect(path(name), p->codecName), QLatin1String(row.aspect));
        }
        const QByteArray bytes = readFile(path(name));
        if (row.container == Container::Avi) {
            EXPECT_EQ(bytes.contains("vprp"), !square);
        } else {
            EXPECT_EQ(p->pixelFormat, QLatin1String("yuv420p"));
            EXPECT_EQ(QSize(p->width, p->height), QSize((row.width + 1) & ~1, (row.height + 1) & ~1));
            const QStringList boxes = mp4TopLevelBoxes(bytes);
            EXPECT_LT(boxes.indexOf(QStringLiteral("moov")), boxes.indexOf(QStringLiteral("mdat")))
                << boxes.join(QLatin1Char(' ')).toStdString();
            EXPECT_GE(boxes.indexOf(QStringLiteral("moov")), 0);
        }
    }
    CompressOptions mjpegMp4;
    mjpegMp4.codec = QStringLiteral("mjpeg");
    mjpegMp4.container = Container::Mp4;
    EXPECT_EQ(writeAvi(path("mjpeg.mp4"), path("temp.bmp"), mjpegMp4, twoColourFrames(64, 48, 1), 10),
              int(AviError::CompressorUnavailable));
}

TEST_F(AviTest, AbandonedRunKeepsTheFramesWritten)
{
    const struct
    {
        const char *codec;
        ReleaseOrder order;
    } cases[] = {
        {"uncompressed", ReleaseOrder::StreamsFirst},
        {"mjpeg", ReleaseOrder::StreamsFirst},
        {"mjpeg", ReleaseOrder::FileFirst},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.codec);
        CompressOptions options;
        options.codec = QString::fromLatin1(c.codec);
        options.quality = 90;
        const QString avi = path("abandoned.avi");
        ASSERT_EQ(writeAvi(avi, path("temp.bmp"), options, twoColourFrames(64, 48, 10), 25, 3, c.order), 0);
        const std::optional<ProbeResult> p = probe(avi);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->frames, 3);
        expectColours(decodeRgb24(avi), 64, 48, 3, 12);
    }
}

TEST_F(AviTest, HigherQualityGivesLargerFiles)
{
    QList<QImage> noise;
    for (int i = 0; i < 3; ++i) {
        QImage image(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                image.setPixel(x, y, QRandomGenerator::global()->generate() | 0xff000000u);
        noise.append(image);
    }
    for (const char *codec : {"mjpeg", "mpeg4", "h264"}) {
        if (!findCompressor(QString::fromLatin1(codec)))
            continue;
        SCOPED_TRACE(codec);
        // Frame bytes: the file's size less that of the same file without frames.
        qint64 payload[2] = {};
        for (int q : {0, 100}) {
            CompressOptions options;
            options.codec = QString::fromLatin1(codec);
            options.quality = q;
            const QString avi = path(QStringLiteral("q%1.avi").arg(q));
            ASSERT_EQ(writeAvi(avi, path("temp.bmp"), options, noise, 10, 0), 0);
            const qint64 empty = QFile(avi).size();
            ASSERT_EQ(writeAvi(avi, path("temp.bmp"), options, noise, 10), 0);
            payload[q / 100] = QFile(avi).size() - empty;
        }
        EXPECT_GT(payload[1], payload[0] * 2);
    }
}

TEST_F(AviTest, FullDiskIsReported)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_NE(writeAvi(QStringLiteral("/dev/full"), path("temp.bmp"), CompressOptions{},
                       twoColourFrames(64, 48, 12), 10),
              0);
}

TEST_F(AviTest, RejectsCallsThatCannotWork)
{
    const QByteArray format24 = BmpBuilder{8, 4, 24, 0}.build().mid(14, 40);
    const QByteArray frame(96, '\x40');
    const AviStreamInfo info = streamInfo(10);

    AviFilePtr file;
    AviStreamPtr stream;
    AviStreamPtr compressed;
    EXPECT_EQ(aviFileOpen(file, path("no/such/folder/a.avi")), int(AviError::FileOpenFailed));
    EXPECT_FALSE(file);

    ASSERT_EQ(aviFileOpen(file, path("bad.avi")), 0);
    AviStreamInfo audio = info;
    audio.fccType = stringToFourCC("auds");
    AviStreamInfo noRate = info;
    noRate.rate = 0;
    EXPECT_EQ(aviFileCreateStream(file.get(), stream, audio), int(AviError::StreamNotAllowed));
    EXPECT_EQ(aviFileCreateStream(file.get(), stream, noRate), int(AviError::StreamNotAllowed));
    ASSERT_EQ(aviFileCreateStream(file.get(), stream, info), 0);
    EXPECT_EQ(aviFileCreateStream(file.get(), compressed, info), int(AviError::StreamNotAllowed));

    CompressOptions unknown;
    unknown.codec = QStringLiteral("cinepak");
    EXPECT_EQ(aviMakeCompressedStream(compressed, stream.get(), unknown),
              int(AviError::CompressorUnavailable));
    EXPECT_EQ(aviStreamWrite(stream.get(), 0, 1, frame.constData(), frame.size(), kAviKeyFrame),
              int(AviError::FormatNotSet));
    const QByteArray format8 = BmpBuilder{8, 4, 8, 256}.build().mid(14, 1064);
    EXPECT_EQ(aviStreamSetFormat(stream.get(), 0, format8.constData(), format8.size()),
              int(AviError::UnsupportedFormat));
    EXPECT_EQ(aviStreamSetFormat(stream.get(), 0, format24.constData(), 20),
              int(AviError::UnsupportedFormat));

    ASSERT_EQ(aviStreamSetFormat(stream.get(), 0, format24.constData(), format24.size()), 0);
    EXPECT_EQ(aviStreamSetFormat(stream.get(), 0, format24.constData(), format24.size()),
              int(AviError::UnsupportedFormat));
    EXPECT_EQ(aviStreamWrite(stream.get(), 0, 1, frame.constData(), frame.size() - 1, kAviKeyFrame),
              int(AviError::BadArgument));
    EXPECT_EQ(aviStreamWrite(stream.get(), 0, 1, frame.constData(), frame.size(), kAviKeyFrame), 0);
    EXPECT_EQ(aviStreamWrite(stream.get(), 0, 1, frame.constData(), frame.size(), kAviKeyFrame),
              int(AviError::BadPosition));
    EXPECT_EQ(aviStreamWrite(stream.get(), 1, 1, frame.constData(), frame.size(), kAviKeyFrame), 0);
    EXPECT_NE(aviFileRelease(file), 0); // the first failure of the file is reported
    EXPECT_FALSE(file);
    EXPECT_EQ(aviStreamWrite(stream.get(), 2, 1, frame.constData(), frame.size(), kAviKeyFrame),
              int(AviError::Released));
    aviStreamRelease(stream);

    const std::optional<ProbeResult> p = probe(path("bad.avi"));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->frames, 2);
}

} // namespace
