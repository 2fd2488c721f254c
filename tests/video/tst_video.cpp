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
#include "testsupport.h"
#include "video/avifile.h"
#include "video/avirepair.h"
#include "video/compressors.h"

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

class CDibTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        EXPECT_TRUE(writeFile(path(name), bytes));
        return path(name);
    }
    QTemporaryDir dir;
    ScriptedMessages messages;
    cDIB dib{messages, kTitle};
};

// Each bitmap after another one: every field replaced, header and pixel bytes where the file has
// them (behind a palette too), and written back byte for byte over a longer file, without the bytes
// that followed the pixels. An image size of 0 (left so by other writers) is computed from the rows.
TEST_F(CDibTest, LoadsAndWritesBackTheBitmapBytesRejectsFilesThatDoNotFit)
{
    const QByteArray zeroSize = patched(bmp(5, -3, 24), {{34, 0}}); // top-down, stride 16
    // file; width, height, bit count, image size, bit offset
    const std::pair<QByteArray, QList<int>> rows[] = {{bmp(5, 3, 24), {5, 3, 24, 48, 54}},
                                                      {bmp(7, 2, 8, 256), {7, 2, 8, 16, 1078}},
                                                      {bmp(3, 3, 32), {3, 3, 32, 36, 54}},
                                                      {zeroSize, {5, -3, 24, 48, 54}}};
    ASSERT_TRUE(dib.CreateFromFile(file("first.bmp", bmp(9, 4, 8, 256))));
    for (const auto &[bytes, expected] : rows) {
        SCOPED_TRACE(expected[2]);
        ASSERT_TRUE(dib.CreateFromFile(file("in.bmp", bytes + QByteArray("trailing"))));
        cDIB fresh(messages, kTitle);
        ASSERT_TRUE(fresh.CreateFromFile(dir.filePath("in.bmp")));
        EXPECT_EQ(allFields(dib), allFields(fresh));
        EXPECT_EQ((QList<int>{dib.Width(), dib.Height(), dib.BitCount(), dib.SizeImage(), dib.BitOffset()}),
                  expected);
        EXPECT_EQ(bytesAt(dib.PointerToBitmapInfo(), dib.SizeBitmapInfo()), bytes.mid(14, expected[4] - 14));
        EXPECT_EQ(bytesAt(dib.PointerToBits(), dib.SizeImage()), bytes.mid(expected[4], expected[3]));
        ASSERT_TRUE(dib.WriteToFile(file("out.bmp", QByteArray(4096, 'x'))));
        EXPECT_EQ(readFile(dir.filePath("out.bmp")), bytes);
    }
    EXPECT_EQ(allFields(dib).mid(7, 5), (QList<int>{0, 0, 2835, 3780, 19778}));
    EXPECT_TRUE(messages.messages.isEmpty());

    // Files whose header does not fit their bytes: false with the unsupported-format message, the
    // file closed, and the object keeps the bitmap it held. A missing file, a folder and a file that
    // cannot be opened get their own messages.
    const QByteArray good = bmp(); // 36 pixel bytes
    const QByteArray cases[] = {
        QByteArray::fromHex("ffd8ffe000104a46494600") + QByteArray(100, '\0'), // not BM
        QByteArray(),
        good.left(30),                       // shorter than the headers
        good.left(70),                       // pixel data cut short
        patched(good, {{10, 20}}),           // bit offset below 54
        patched(good, {{10, 5000}}),         // bit offset past the end
        patched(good, {{34, 0x80000000LL}}), // negative image size
        patched(good, {{34, 0x7fffffffLL}}),
        patched(good, {{34, 20}}),            // image size below the rows
        patched(bmp(33, 2, 1, 2), {{34, 8}}), // rows of 33 one-bit pixels take 8 bytes each, not 4
        patched(good, {{18, 100000}, {22, 100000}}),
        patched(good, {{18, -4}}),
        patched(good, {{18, 0x7fffffffLL}, {22, 0x7fffffffLL}, {28, 32}}), // rows beyond 64 bits
        patched(good, {{28, 7}}, true),                                    // bad bit count
        patched(good, {{14, 12}}),                                         // core header
        patched(good, {{14, 124}}),                                        // info header past bit offset
        patched(good, {{30, 1}, {34, 0}})                                  // zero size of RLE bitmap
    };
    ASSERT_TRUE(dib.CreateFromFile(file("good.bmp", bmp(6, 2, 32))));
    const QList<int> before = allFields(dib);
    const QByteArray beforeBits = bytesAt(dib.PointerToBits(), dib.SizeImage());
    for (const QByteArray &bytes : cases) {
        SCOPED_TRACE(&bytes - cases);
        messages.messages.clear();
        const QString p = file(u"bad.bmp"_s, bytes);
        EXPECT_FALSE(dib.CreateFromFile(p));
        ASSERT_EQ(messages.errors(), QStringList{u"File is not a supported bitmap format:\r\n"_s + p});
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(allFields(dib), before);
        EXPECT_EQ(bytesAt(dib.PointerToBits(), dib.SizeImage()), beforeBits);
        EXPECT_TRUE(QFile::remove(p)) << "the file was closed";
    }

    const QString locked = file("locked.bmp", bmp());
    QFile::setPermissions(locked, QFileDevice::Permissions());
    for (const auto &[path, text] : {std::pair{dir.filePath("none.bmp"), "File does not exist:\r\n"},
                                     std::pair{dir.path(), "File does not exist:\r\n"},
                                     std::pair{locked, "File is locked - cannot access:\r\n"}}) {
        if (path == locked && QFileInfo(locked).isReadable())
            continue; // permissions do not restrict this user
        messages.messages.clear();
        EXPECT_FALSE(dib.CreateFromFile(path));
        ASSERT_EQ(messages.errors(), QStringList{QLatin1String(text) + path});
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Stop);
        EXPECT_EQ(messages.messages[0].title, kTitle);
    }
}

// Write failures are reported, the BMP writer's too; its files are exact.
TEST_F(CDibTest, PackedDibsOfSixteenBitsAndMoreAndWriteFailures)
{
    EXPECT_FALSE(dib.WriteToFile(dir.filePath("empty.bmp"))) << "nothing loaded";
    const QByteArray file24 = bmp(5, 3, 24);
    const QByteArray packed24 = file24.mid(14);
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(packed24.constData()));
    EXPECT_EQ(std::pair(dib.SizeFileHeader(), dib.BitOffset()), std::pair(48 + 54, 54));
    ASSERT_TRUE(dib.WriteToFile(dir.filePath("packed.bmp")));
    EXPECT_EQ(readFile(dir.filePath("packed.bmp")), file24);
    EXPECT_FALSE(dib.WriteToFile(dir.filePath("no/such/folder/a.bmp")));
    EXPECT_FALSE(dib.WriteToFile(u"/dev/full"_s));
    for (const QString &path : {dir.filePath("no/such/folder/a.bmp"), u"/dev/full"_s})
        EXPECT_FALSE(writeBmp24(QImage(4, 4, QImage::Format_RGB32), path));
    EXPECT_FALSE(writeBmp24(QImage(), dir.filePath("null.bmp")));
    // Written over a larger file, a picture leaves a file of its own size with zeroed row padding.
    QImage white(64, 64, QImage::Format_RGB32), black(5, 3, QImage::Format_RGB32);
    white.fill(Qt::white);
    black.fill(Qt::black);
    const QString overwritten = dir.filePath("over.bmp");
    ASSERT_TRUE(writeBmp24(white, overwritten) && writeBmp24(black, overwritten));
    EXPECT_EQ(readFile(overwritten).mid(54), QByteArray(16 * 3, '\0'));

    const QList<int> before = allFields(dib);
    for (const QByteArray &bad :
         {bmp(4, 4, 8).mid(14), patched(packed24, {{20, 0}}), patched(packed24, {{20, 10}})})
        EXPECT_FALSE(dib.CreateFromPackedDIBPointer(bad.constData()));
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(nullptr));
    EXPECT_EQ(allFields(dib), before);
    EXPECT_TRUE(messages.messages.isEmpty());
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

AviStreamInfo streamInfo(int rate, const cDIB *dib = nullptr)
{
    return {.fccType = kStreamTypeVideo,
            .scale = 1,
            .rate = std::uint32_t(rate),
            .suggestedBufferSize = dib ? std::uint32_t(dib->SizeImage()) : 0u,
            .frame = dib ? AviRect{0, 0, dib->Width(), dib->Height()} : AviRect{},
            .name = {}};
}

// Runs the calls of the video writer: each frame goes through temp.bmp and a cDIB into the
// compressed stream. Returns the first non-zero result, the releases included.
int writeAvi(const QString &aviPath, const QString &tempPath, const CompressOptions &options,
             const QList<QImage> &frames, int rate)
{
    AviFilePtr file;
    AviStreamPtr source;
    AviStreamPtr compressed;
    ScriptedMessages messages;
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
    for (int i = 0; i < frames.size() && result == 0; ++i) {
        writeBmp24(frames[i], tempPath);
        dib.CreateFromFile(tempPath);
        result = aviStreamWrite(compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), kAviKeyFrame);
    }
    for (const int r : {aviStreamRelease(source), aviStreamRelease(compressed), aviFileRelease(file)})
        result = result ? result : r;
    return result;
}

using AviTest = CDibTest;

// Every compressor at an odd width and at an odd height: 4:2:0 compressors pad each odd side to an
// even one.
TEST_F(AviTest, RoundTripsFramesRateSizeAndColours)
{
    // id, codec name and tag as ffprobe reports them, 4:2:0, colour tolerance
    const std::tuple<const char *, const char *, const char *, bool, int> codecs[] = {
        {"uncompressed", "rawvideo", "[0][0][0][0]", false, 0},
        {"mjpeg", "mjpeg", "MJPG", true, 12},
        {"mpeg4", "mpeg4", "XVID", true, 12},
        {"h264", "h264", "H264", true, 12},
        {"ffv1", "ffv1", "FFV1", false, 0},
        {"huffyuv", "huffyuv", "HFYU", false, 0}};
    for (const auto &[id, codecName, tag, halfChroma, tolerance] : codecs) {
        if (!findCompressor(QLatin1String(id)))
            continue; // not in this libavcodec
        for (const QSize size : {QSize(63, 48), QSize(64, 47)}) {
            SCOPED_TRACE(id + std::to_string(size.width()));
            const QString avi = path(u"%1-%2.avi"_s.arg(id).arg(size.width()));
            ASSERT_EQ(writeAvi(avi, path("temp.bmp"), {QLatin1String(id), 90},
                               twoColourFrames(size.width(), size.height(), 4), 12),
                      0);
            const Probe p = probe(avi);
            EXPECT_TRUE(p.ok) << p.errors.toStdString();
            const int width = size.width() + (halfChroma ? size.width() % 2 : 0);
            const int height = size.height() + (halfChroma ? size.height() % 2 : 0);
            // No B-frames: AVI keeps no presentation times.
            EXPECT_EQ(
                std::tuple(p.codecName, p.codecTag, p.frameRate, p.hasBFrames, p.width, p.height, p.frames),
                std::tuple(QLatin1String(codecName), QLatin1String(tag), u"12/1"_s, 0, width, height, 4));
            const QByteArray rgb = decodeRgb24(avi);
            ASSERT_EQ(rgb.size(), qint64(width) * height * 3 * 4);
            const auto at = [&](int i, int y, QColor c) {
                return colourDistance(rgb, width, height, i, width / 2, y, c);
            };
            for (int i = 0; i < 4; ++i)
                EXPECT_LE(
                    std::max(at(i, height / 4, kColours[i].first), at(i, height * 3 / 4, kColours[i].second)),
                    tolerance)
                    << i;
        }
    }
}

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

// The container, the pixel shape of the disc sizes (in the file's header and in the codec's own
// field) and the MP4 index before the frames.
TEST_F(AviTest, ContainerAndPixelShapeCallsThatCannotWorkAreRejected)
{
    // container, compressor, size, pixel shape ("" for square pixels)
    const std::tuple<Container, const char *, QSize, const char *> rows[] = {
        {Container::Avi, "uncompressed", {720, 576}, "16:15"},
        {Container::Avi, "mpeg4", {352, 240}, "10:11"},
        {Container::Avi, "h264", {480, 480}, "4:3"},
        {Container::Avi, "mjpeg", {352, 288}, "12:11"},
        {Container::Avi, "h264", {64, 48}, ""},
        {Container::Mp4, "h264", {720, 480}, "8:9"},
        {Container::Mp4, "mpeg4", {480, 576}, "8:5"},
        {Container::Mp4, "h264", {63, 47}, ""}};
    for (const auto &[container, codec, size, aspect] : rows) {
        const QString name = u"%1-%2.%3"_s.arg(codec).arg(size.width()).arg(containerName(container));
        SCOPED_TRACE(name.toStdString());
        if (!findCompressor(QLatin1String(codec)))
            continue;
        const CompressOptions options{.codec = QLatin1String(codec), .container = container};
        ASSERT_EQ(writeAvi(path(name), path("temp.bmp"), options,
                           twoColourFrames(size.width(), size.height(), 3), 10),
                  0);
        const Probe p = probe(path(name));
        EXPECT_EQ(p.frames, 3);
        const bool square = !*aspect;
        EXPECT_EQ(QStringList({"", "0:1"}).contains(p.sampleAspect) ? u"1:1"_s : p.sampleAspect,
                  square ? u"1:1"_s : QLatin1String(aspect));
        if (!square && options.codec != u"uncompressed"_s) {
            EXPECT_EQ(codecSampleAspect(path(name), p.codecName), QLatin1String(aspect));
        }
        const QByteArray bytes = readFile(path(name));
        if (container == Container::Avi) {
            EXPECT_EQ(bytes.contains("vprp"), !square);
        } else {
            EXPECT_EQ(p.pixelFormat, u"yuv420p"_s);
            EXPECT_EQ(QSize(p.width, p.height), QSize((size.width() + 1) & ~1, (size.height() + 1) & ~1));
            EXPECT_GT(bytes.indexOf("moov"), 0);
            EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat")) << "the index before the frames";
        }
    }
    EXPECT_EQ(writeAvi(path("mjpeg.mp4"), path("temp.bmp"),
                       {.codec = u"mjpeg"_s, .container = Container::Mp4}, twoColourFrames(64, 48, 1), 10),
              int(AviError::CompressorUnavailable));

    const QByteArray format24 = bmp(8, 4, 24).mid(14, 40), format8 = bmp(8, 4, 8, 256).mid(14, 1064);
    const QByteArray frame(96, '\x40');
    AviStreamInfo info = streamInfo(10);
    AviFilePtr file;
    AviStreamPtr stream, compressed;
    EXPECT_EQ(aviFileOpen(file, path("no/such/folder/a.avi")), int(AviError::FileOpenFailed));
    EXPECT_FALSE(file);

    ASSERT_EQ(aviFileOpen(file, path("bad.avi")), 0);
    info.rate = 0;
    EXPECT_EQ(aviFileCreateStream(file.get(), stream, info), int(AviError::StreamNotAllowed));
    info.rate = 10;
    info.fccType = stringToFourCC("auds");
    EXPECT_EQ(aviFileCreateStream(file.get(), stream, info), int(AviError::StreamNotAllowed));
    info.fccType = kStreamTypeVideo;
    ASSERT_EQ(aviFileCreateStream(file.get(), stream, info), 0);
    EXPECT_EQ(aviFileCreateStream(file.get(), compressed, info), int(AviError::StreamNotAllowed));
    EXPECT_EQ(aviMakeCompressedStream(compressed, stream.get(), {u"cinepak"_s}),
              int(AviError::CompressorUnavailable));
    const auto write = [&](int at, int size) {
        return aviStreamWrite(stream.get(), at, 1, frame.constData(), size, kAviKeyFrame);
    };
    const auto setFormat = [&](const QByteArray &f, int size) {
        return aviStreamSetFormat(stream.get(), 0, f.constData(), size);
    };
    EXPECT_EQ(write(0, 96), int(AviError::FormatNotSet));
    EXPECT_EQ(setFormat(format8, format8.size()), int(AviError::UnsupportedFormat));
    EXPECT_EQ(setFormat(format24, 20), int(AviError::UnsupportedFormat));
    ASSERT_EQ(setFormat(format24, 40), 0);
    EXPECT_EQ(setFormat(format24, 40), int(AviError::UnsupportedFormat)) << "set twice";
    EXPECT_EQ(write(0, 95), int(AviError::BadArgument));
    EXPECT_EQ(write(0, 96), 0);
    EXPECT_EQ(write(0, 96), int(AviError::BadPosition));
    EXPECT_EQ(write(1, 96), 0);
    // The file released before its stream: the first failure of the file is reported, and the
    // frames written so far play.
    EXPECT_NE(aviFileRelease(file), 0);
    EXPECT_FALSE(file);
    EXPECT_EQ(write(2, 96), int(AviError::Released));
    aviStreamRelease(stream);
    EXPECT_EQ(probe(path("bad.avi")).frames, 2);
    EXPECT_NE(writeAvi(u"/dev/full"_s, path("temp.bmp"), {}, twoColourFrames(64, 48, 12), 10), 0);

    // A file cut inside its third frame keeps the two whole ones and counts them in its headers;
    // chunks of odd size are padded.
    const QByteArray cut =
        patched("RIFF....AVI LIST....hdrlavih...." + QByteArray(20, '\0') + "LIST....strlstrh...." +
                    QByteArray(36, '\0') + "LIST....movi" + QByteArray("00dc\3\0\0\0abc\0", 12).repeated(2) +
                    QByteArray("00dcd\0\0\0part", 12),
                {{4, 0xFFFFFFF0}, {16, 88}, {28, 20}, {56, 48}, {68, 36}, {112, 0xFFFFFFF0}});
    ASSERT_TRUE(writeFile(path("cut.avi"), cut) && trimUnfinishedAvi(path("cut.avi")));
    EXPECT_EQ(readFile(path("cut.avi")), patched(cut.left(144), {{4, 136}, {112, 28}, {48, 2}, {104, 2}}));
}

// ---- Colours ------------------------------------------------------------------------------------

// The colour description ffprobe reads from a video: matrix, primaries, transfer and range.
QString colourTags(const QString &path)
{
    QProcess p;
    p.start(u"ffprobe"_s,
            {"-v", "error", "-select_streams", "v:0", "-show_entries",
             "stream=color_space,color_primaries,color_transfer,color_range", "-of", "json", path});
    if (!p.waitForFinished(30000))
        return {};
    const QJsonObject s = QJsonDocument::fromJson(p.readAllStandardOutput())
                              .object()
                              .value("streams")
                              .toArray()
                              .first()
                              .toObject();
    QStringList tags;
    for (const char *key : {"color_space", "color_primaries", "color_transfer", "color_range"})
        tags << s.value(QLatin1String(key)).toString(u"-"_s);
    return tags.join(u' ');
}

struct ColourCase
{
    const char *name;
    Container container;
    const char *codec;
    QSize size;
    const char *tags; // as colourTags() gives them, "-" where the file says nothing
};

void PrintTo(const ColourCase &c, std::ostream *os)
{
    *os << c.name;
}

class ColourTest : public CDibTest, public ::testing::WithParamInterface<ColourCase>
{
};

// A video decoded as its colour description says (ffmpeg honours it) shows the frames' colour, and
// the description is the standard of the video's size.
TEST_P(ColourTest, DecodedByItsTagsAVideoShowsTheFramesColour)
{
    const ColourCase c = GetParam();
    if (!findCompressor(QLatin1String(c.codec)))
        GTEST_SKIP() << "no " << c.codec << " in this libavcodec";
    const QColor red(219, 60, 30);
    QImage frame(c.size, QImage::Format_RGB32);
    frame.fill(red);
    const QString video = path(u"colour."_s + containerName(c.container));
    const CompressOptions options{.codec = QLatin1String(c.codec), .quality = 100, .container = c.container};
    ASSERT_EQ(writeAvi(video, path("temp.bmp"), options, {frame, frame}, 10), 0);
    EXPECT_EQ(colourTags(video), QString::fromLatin1(c.tags));
    const Probe p = probe(video);
    EXPECT_TRUE(p.ok) << p.errors.toStdString();
    EXPECT_LE(colourDistance(decodeRgb24(video), p.width, p.height, 1, p.width / 2, p.height / 2, red), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ColourTest,
    ::testing::Values(
        ColourCase{"H264Mp4Hd", Container::Mp4, "h264", {1280, 720}, "bt709 bt709 bt709 tv"},
        ColourCase{"H264AviFullHd", Container::Avi, "h264", {1920, 1080}, "bt709 bt709 bt709 tv"},
        ColourCase{"H264AviDvdNtsc", Container::Avi, "h264", {720, 480}, "smpte170m smpte170m smpte170m tv"},
        ColourCase{"H264Mp4DvdPal", Container::Mp4, "h264", {720, 576}, "bt470bg bt470bg smpte170m tv"},
        ColourCase{"H264Mp4OtherSd", Container::Mp4, "h264", {640, 480}, "bt470bg bt470bg smpte170m tv"},
        ColourCase{"H265Mp4Hd", Container::Mp4, "h265", {1280, 720}, "bt709 bt709 bt709 tv"},
        ColourCase{"Av1Mp4DvdNtsc", Container::Mp4, "av1", {720, 480}, "smpte170m smpte170m smpte170m tv"},
        ColourCase{"Mpeg4AviHd", Container::Avi, "mpeg4", {1280, 720}, "bt709 bt709 bt709 tv"},
        ColourCase{"Mpeg4Mp4Hd", Container::Mp4, "mpeg4", {1280, 720}, "bt709 bt709 bt709 tv"},
        ColourCase{
            "Mpeg4AviVcdNtsc", Container::Avi, "mpeg4", {352, 240}, "smpte170m smpte170m smpte170m tv"},
        ColourCase{"Mpeg4Mp4SvcdPal", Container::Mp4, "mpeg4", {480, 576}, "bt470bg bt470bg smpte170m tv"},
        // JPEG's YCbCr is BT.601 in full range at every size; the file has no place for the rest.
        ColourCase{"MjpegAviHd", Container::Avi, "mjpeg", {1280, 720}, "bt470bg - - pc"},
        ColourCase{"MjpegAviDvdPal", Container::Avi, "mjpeg", {720, 576}, "bt470bg - - pc"},
        ColourCase{"UncompressedHdUntouched", Container::Avi, "uncompressed", {1280, 720}, "- - - -"}),
    [](const auto &row) { return std::string(row.param.name); });

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
    const QByteArray options = u"srcw=%1:srch=%2:dstw=%1:dsth=%2:src_format=bgr24:dst_format=yuv420p:"
                               u"sws_flags=bilinear:src_range=1:dst_range=1"_s.arg(width)
                                   .arg(height)
                                   .toLatin1();
    EXPECT_GE(av_set_options_string(sws.get(), options.constData(), "=", ":"), 0);
    EXPECT_GE(sws_init_context(sws.get(), nullptr, nullptr), 0);
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

TEST(YuvConvert, MatchesSwscaleWithinOneBottomUpRowsOddSizesAndPlainLoops)
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
