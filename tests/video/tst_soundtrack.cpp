// H.265 and AV1 refused in AVI, and soundtracks: files written through the AVI layer, read back by ffprobe
// and ffmpeg; audio files made by ffmpeg's own generators.

#include <cmath>

#include "testsupport.h"
#include "video/avifile.h"
#include "video/compressors.h"
#include "video/soundtrack.h"

using namespace tavelon::test;

namespace {

// Runs a tool; its standard output, or "(failed)".
QByteArray run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return "(failed) " + p.readAllStandardError();
    return p.readAllStandardOutput();
}

// A tone of seconds made by ffmpeg into path.
void makeTone(const QString &path, double seconds)
{
    run(u"ffmpeg"_s, {"-v", "error", "-y", "-f", "lavfi", "-i",
                      u"sine=frequency=440:sample_rate=48000:duration=%1"_s.arg(seconds), "-ac", "1", path});
}

// The audio stream's codec and duration in seconds as ffprobe reports them.
std::pair<QString, double> audioStream(const QString &path)
{
    const QList<QByteArray> fields =
        run(u"ffprobe"_s, {"-v", "error", "-select_streams", "a:0", "-show_entries",
                           "stream=codec_name,duration", "-of", "csv=p=0", path})
            .trimmed()
            .split(',');
    return {QString::fromLatin1(fields.value(0)), fields.value(1).toDouble()};
}

// The root mean square of the decoded audio from second `from` for `length` seconds.
double loudness(const QString &path, double from, double length)
{
    const QByteArray pcm =
        run(u"ffmpeg"_s, {"-v", "error", "-i", path, "-ss", QString::number(from), "-t",
                          QString::number(length), "-map", "0:a:0", "-ac", "1", "-f", "f32le", "-"});
    const auto *samples = reinterpret_cast<const float *>(pcm.constData());
    const qsizetype count = pcm.size() / qsizetype(sizeof(float));
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count > 0 ? std::sqrt(sum / double(count)) : -1;
}

class NewCodecsTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    // frames grey frames of 320 × 240 at rate, with the soundtrack when one is named: the calls of
    // the video writer, top-down rows.
    int write(const QString &file, const CompressOptions &options, int frames, int rate,
              const QString &soundtrack = {}) const
    {
        const QByteArray format = bmp(320, -240, 24).mid(14, 40);
        const QByteArray pixels(320 * 240 * 3, '\x80');
        AviFilePtr avi;
        AviStreamPtr source, compressed;
        AviStreamInfo info;
        info.fccType = kStreamTypeVideo;
        info.scale = 1;
        info.rate = std::uint32_t(rate);
        int result = aviFileOpen(avi, file, options.container);
        if (result == 0 && !soundtrack.isEmpty())
            result = aviFileSetSoundtrack(avi.get(), soundtrack, frames);
        if (result == 0)
            result = aviFileCreateStream(avi.get(), source, info);
        if (result == 0)
            result = aviMakeCompressedStream(compressed, source.get(), options);
        if (result == 0)
            result = aviStreamSetFormat(compressed.get(), 0, format.constData(), format.size());
        for (int i = 0; i < frames && result == 0; ++i)
            result = aviStreamWrite(compressed.get(), i, 1, pixels.constData(), pixels.size(), kAviKeyFrame);
        for (const int r : {aviStreamRelease(source), aviStreamRelease(compressed), aviFileRelease(avi)})
            result = result ? result : r;
        return result;
    }

    QTemporaryDir dir;
};

TEST_F(NewCodecsTest, AviRefusesH265AndAv1)
{
    for (const QString &codec : {u"h265"_s, u"av1"_s}) {
        EXPECT_FALSE(fitsContainer(*findCompressor(codec), Container::Avi));
        EXPECT_EQ(write(path(codec + ".avi"), {.codec = codec}, 1, 25), int(AviError::CompressorUnavailable));
    }
}

// A soundtrack in each container: the container's audio codec, as long as the video, the long
// file faded out towards the end, the short one followed by silence.
struct TrackRow
{
    const char *name;
    Container container;
    const char *codec;
    const char *audioCodec;
    double toneSeconds;
};

class SoundtrackTest : public NewCodecsTest, public ::testing::WithParamInterface<TrackRow>
{
};

TEST_P(SoundtrackTest, LastsAsLongAsTheVideo)
{
    const TrackRow row = GetParam();
    makeTone(path("tone.wav"), row.toneSeconds);
    const QString video = path(u"v."_s + containerName(row.container));
    ASSERT_EQ(write(video, {.codec = QLatin1String(row.codec), .container = row.container}, 75, 25,
                    path("tone.wav")),
              0);
    const auto [codec, seconds] = audioStream(video);
    EXPECT_EQ(codec, QLatin1String(row.audioCodec));
    EXPECT_NEAR(seconds, 3.0, 0.1);
    const double steady = loudness(video, 0.5, 0.5);
    EXPECT_GT(steady, 0.05) << "the tone's own level";
    if (row.toneSeconds > 3) {
        EXPECT_LT(loudness(video, 2.8, 0.15), steady / 4) << "faded out";
        EXPECT_GT(loudness(video, 2.1, 0.15), steady * 0.7) << "the fade lasts one second";
    } else {
        EXPECT_LT(loudness(video, 2.0, 0.8), 0.001) << "silence after the file";
    }
    EXPECT_EQ(probe(video).frames, 75);
}

INSTANTIATE_TEST_SUITE_P(Containers, SoundtrackTest,
                         ::testing::Values(TrackRow{"AacInMp4", Container::Mp4, "h264", "aac", 10},
                                           TrackRow{"Mp3InAvi", Container::Avi, "mjpeg", "mp3", 10},
                                           TrackRow{"ShortFileThenSilence", Container::Mp4, "h264", "aac",
                                                    1.5}),
                         [](const auto &row) { return std::string(row.param.name); });

// Only a readable local audio file serves; nothing else is opened, and the video file is not begun.
struct RefusedRow
{
    const char *name;
    QString (*path)(const QString &folder);
    SoundtrackProblem problem;
};

class RefusedSoundtrackTest : public NewCodecsTest, public ::testing::WithParamInterface<RefusedRow>
{
};

TEST_P(RefusedSoundtrackTest, IsNamedBeforeAnythingIsWritten)
{
    const RefusedRow row = GetParam();
    writeFile(path("not-audio.mp3"), "plain text, not audio");
    makeTone(path("tone.wav"), 1);
    ASSERT_EQ(write(path("silent.avi"), {.codec = u"mjpeg"_s}, 2, 25), 0);
    const QString audio = row.path(dir.path());
    EXPECT_EQ(checkSoundtrack(audio), row.problem);
    AviFilePtr avi;
    ASSERT_EQ(aviFileOpen(avi, path("out.mp4"), Container::Mp4), 0);
    EXPECT_EQ(aviFileSetSoundtrack(avi.get(), audio, 10), int(AviError::SoundtrackFailed));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RefusedSoundtrackTest,
    ::testing::Values(
        RefusedRow{"Http", [](const QString &) { return u"http://127.0.0.1:9/tone.wav"_s; },
                   SoundtrackProblem::NotLocalFile},
        RefusedRow{"Concat", [](const QString &d) { return u"concat:%1/tone.wav|%1/tone.wav"_s.arg(d); },
                   SoundtrackProblem::NotLocalFile},
        RefusedRow{"Device", [](const QString &) { return u"/dev/zero"_s; }, SoundtrackProblem::NotLocalFile},
        RefusedRow{"Folder", [](const QString &d) { return d; }, SoundtrackProblem::NotLocalFile},
        RefusedRow{"Missing", [](const QString &d) { return d + u"/none.mp3"_s; },
                   SoundtrackProblem::Unreadable},
        RefusedRow{"NotAudio", [](const QString &d) { return d + u"/not-audio.mp3"_s; },
                   SoundtrackProblem::Unreadable},
        RefusedRow{"VideoWithoutSound", [](const QString &d) { return d + u"/silent.avi"_s; },
                   SoundtrackProblem::NoAudio}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
