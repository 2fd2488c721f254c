// Time-lapse and stop-motion videos through the batch command, read back by ffprobe and ffmpeg:
// the 4K format and the modern compressors, frames cut to cover the video, camera orientation,
// deflicker and the soundtrack.

#include <cmath>
#include <numeric>

#include "batchfixture.h"

using namespace tavelon::test;

namespace {

using TimelapseBatchTest = BatchFixture<>;

// The ninth format: 3840 × 2160 at 25 frames/s, stored by its name.
TEST_F(TimelapseBatchTest, FourKFormatWithH265TaggedForApplePlayers)
{
    fx.makeClip(u"Stadt"_s, 2, QSize(96, 54));
    const RunResult r = run({"--make-video", "Stadt", "--format", "4K UHD 16:9", "--speed", "25",
                             "--container", "mp4", "--compressor", "h265"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const Probe p = probe(mp4(u"Stadt"_s));
    EXPECT_EQ(std::tuple(p.codecName, p.codecTag, p.pixelFormat, p.width, p.height, p.frameRate, p.frames),
              std::tuple(u"hevc"_s, u"hvc1"_s, u"yuv420p"_s, 3840, 2160, u"25/1"_s, 2));
    EXPECT_EQ(clipIni({"Format"}, u"Stadt"_s), QStringList{u"4K UHD 16:9"_s});
}

// Camera JPEGs larger than the video reach a video-range HD video in their own colours (their
// samples are full-range BT.601; the video's are BT.709 in video range).
TEST_F(TimelapseBatchTest, JpegFramesKeepTheirColoursInAnHdVideo)
{
    fx.makeClip(u"Stadt"_s, 10, QSize(1600, 900), "jpg");
    ASSERT_EQ(run({"--make-video", "Stadt", "--format", "HD 16:9", "--container", "mp4"}).code, 0);
    const QByteArray rgb = decodeRgb24(mp4(u"Stadt"_s));
    // The frames of mixed colours, where a wrong matrix or range shows most.
    for (int i = 7; i < 10; ++i)
        EXPECT_LE(colourDistance(rgb, 1280, 720, i, 640, 360, FormFixture::frameColor(i)), 6) << i;
}

// A wide frame in thirds of red, green and blue: a square video keeps the green middle.
TEST_F(TimelapseBatchTest, CropKeepsTheMiddleOfAWideFrame)
{
    ASSERT_TRUE(fx.addFrame(u"Weit"_s, u"f000.bmp"_s, stripes({90, 30}, {Qt::red, Qt::green, Qt::blue})));
    ASSERT_EQ(run({"--make-video", "Weit", "--width", "30", "--height", "30", "--fit", "crop"}).code, 0);
    const QByteArray rgb = decodeRgb24(fx.video(u"Weit"_s));
    EXPECT_LT(std::max(colourDistance(rgb, 30, 30, 0, 0, 15, Qt::green),
                       colourDistance(rgb, 30, 30, 0, 29, 15, Qt::green)),
              8);
    EXPECT_EQ(clipIni({"Fit"}, u"Weit"_s), QStringList{u"crop"_s});
}

// A camera frame of 600 × 300 whose EXIF block says it was taken turned right: shown 300 × 600, so
// the clip check reports that size and the starting format is the one for tall frames (DVD PAL);
// the video shows it upright.
TEST_F(TimelapseBatchTest, TurnedCameraFrameIsCheckedAndWrittenUpright)
{
    ASSERT_TRUE(
        fx.addFrame(u"Hoch"_s, u"f000.jpg"_s, cameraJpeg(stripes({600, 300}, {Qt::red, Qt::blue}), 6)));

    EXPECT_TRUE(QString::fromUtf8(run({"--check-clip", "Hoch"}).out).contains(u"300 × 600"_s));
    ASSERT_EQ(run({"--make-video", "Hoch"}).code, 0);
    const Probe v = probe(fx.video(u"Hoch"_s));
    ASSERT_EQ(QSize(v.width, v.height), QSize(720, 576));
    // Turned right: the left half (red) is now on top, the right half (blue) below.
    const QByteArray rgb = decodeRgb24(fx.video(u"Hoch"_s));
    EXPECT_LT(colourDistance(rgb, 720, 576, 0, 360, 100, Qt::red), 12);
    EXPECT_LT(colourDistance(rgb, 720, 576, 0, 360, 476, Qt::blue), 12);
}

double average(const QList<double> &values)
{
    return std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
}

double spread(const QList<double> &values)
{
    const double mean = average(values);
    double sum = 0;
    for (const double v : values)
        sum += (v - mean) * (v - mean);
    return std::sqrt(sum / double(values.size()));
}

// The mean brightness of each frame of a 32 × 24 video.
QList<double> frameBrightness(const QString &video)
{
    const QByteArray rgb = decodeRgb24(video);
    const qsizetype frameBytes = 32 * 24 * 3;
    QList<double> result;
    for (qsizetype start = 0; start + frameBytes <= rgb.size(); start += frameBytes) {
        double sum = 0;
        for (qsizetype i = start; i < start + frameBytes; ++i)
            sum += quint8(rgb[i]);
        result << sum / double(frameBytes);
    }
    return result;
}

// Grey frames alternating between 90 and 150: with a window of 9 the spread of the frames'
// brightness falls more than fivefold, and the clip as a whole is neither darker nor brighter.
TEST_F(TimelapseBatchTest, DeflickerEvensOutAlternatingBrightness)
{
    for (int i = 0; i < 30; ++i)
        fx.addFrame(u"Licht"_s, u"f%1.bmp"_s.arg(i, 3, 10, QChar(u'0')),
                    filled({32, 24}, i % 2 ? QColor(150, 150, 150) : QColor(90, 90, 90)));
    const QStringList args{"--make-video", "Licht", "--width", "32", "--height", "24", "--overwrite"};
    ASSERT_EQ(run(args).code, 0);
    const QList<double> before = frameBrightness(fx.video(u"Licht"_s));
    ASSERT_EQ(run(args + QStringList{"--deflicker", "9"}).code, 0);
    const QList<double> after = frameBrightness(fx.video(u"Licht"_s));
    EXPECT_GT(spread(before), 5 * spread(after));
    EXPECT_NEAR(average(after), average(before), 0.2);
    EXPECT_EQ(clipIni({"Deflicker"}, u"Licht"_s), QStringList{u"9"_s});
    ASSERT_EQ(run(args + QStringList{"--deflicker", "2"}).code, 0);
    EXPECT_GT(spread(before), 2 * spread(frameBrightness(fx.video(u"Licht"_s)))) << "the smallest window";
}

// A tone longer than the video becomes a track as long as the video, also when forward and back
// nearly doubles the clip; the file is stored as the clip's soundtrack.
TEST_F(TimelapseBatchTest, SoundtrackLastsAsLongAsTheVideoAndIsStored)
{
    fx.makeClip(u"Musik"_s, 38); // forward and back: 75 frames
    const QString tone = fx.root() + u"tone.wav"_s;
    makeTone(tone, 10);
    const RunResult r = run({"--make-video", "Musik", "--speed", "25", "--direction", "2", "--container",
                             "mp4", "--audio", tone});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // The track's codec in each container: tst_soundtrack.
    EXPECT_NEAR(streamOf(mp4(u"Musik"_s), "a").second, 3.0, 0.1);
    EXPECT_EQ(clipIni({"Audio"}, u"Musik"_s), QStringList{tone});
}

// A Clip.ini from someone else's clip folder never makes the program open a URL or another
// protocol: exit status 2, one line, no video begun.
TEST_F(TimelapseBatchTest, StoredAudioUrlIsAUsageErrorBeforeAnythingIsWritten)
{
    fx.makeClip(u"Fremd"_s, 2);
    fx.writeClipIni(u"Fremd"_s, u"Audio=http://127.0.0.1:9/track.mp3\r\n"_s);
    const RunResult r = run({"--make-video", "Fremd", "--container", "mp4"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.trimmed().count(u'\n'), 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(mp4(u"Fremd"_s)));
}

} // namespace
