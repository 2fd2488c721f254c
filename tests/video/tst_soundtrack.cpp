// Soundtracks: files written through the AVI layer, read back by ffprobe and ffmpeg; audio files made
// by ffmpeg's own generators.

#include <cmath>

#include "testsupport.h"
#include "video/avifile.h"
#include "video/soundtrack.h"

using namespace tavelon::test;

namespace {

// The root mean square of the decoded audio from second `from` for `length` seconds.
double loudness(const QString &path, double from, double length)
{
    const QByteArray pcm =
        runProgram(u"ffmpeg"_s, {"-v", "error", "-i", path, "-ss", QString::number(from), "-t",
                                 QString::number(length), "-map", "0:a:0", "-ac", "1", "-f", "f32le", "-"})
            .out;
    const auto *samples = reinterpret_cast<const float *>(pcm.constData());
    const qsizetype count = pcm.size() / qsizetype(sizeof(float));
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count > 0 ? std::sqrt(sum / double(count)) : -1;
}

class SoundtrackFiles : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    // frames grey frames of 320 × 240 at 25 frames/s, with the soundtrack when one is named.
    int write(const QString &file, const CompressOptions &options, int frames,
              const QString &soundtrack = {}) const
    {
        return writeAvi(file, path(u"temp.bmp"_s), options,
                        QList<QImage>(frames, filled({320, 240}, Qt::gray)), 25, soundtrack);
    }

    QTemporaryDir dir;
};

// A soundtrack in each container: the container's audio codec, as long as the video, the long
// file faded out towards the end, the short one followed by silence.
// name, container, video and audio codec, the tone's length in seconds
using TrackRow = std::tuple<const char *, Container, const char *, const char *, double>;
using SoundtrackTest = WithRows<SoundtrackFiles, TrackRow>;

TEST_P(SoundtrackTest, LastsAsLongAsTheVideo)
{
    const auto &[name, container, videoCodec, audioCodec, toneSeconds] = GetParam();
    makeTone(path("tone.wav"), toneSeconds);
    const QString video = path(u"v."_s + containerName(container));
    ASSERT_EQ(
        write(video, {.codec = QLatin1String(videoCodec), .container = container}, 75, path("tone.wav")), 0);
    const auto [codec, seconds] = streamOf(video, "a");
    EXPECT_EQ(codec, QLatin1String(audioCodec));
    EXPECT_NEAR(seconds, 3.0, 0.1);
    const double steady = loudness(video, 0.5, 0.5);
    EXPECT_GT(steady, 0.05) << "the tone's own level";
    if (toneSeconds > 3) {
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
                         rowName);

// Only a readable local audio file serves; nothing else is opened, and the video file is not begun.
// name, the audio path in a folder, the problem
using RefusedRow = std::tuple<const char *, QString (*)(const QString &), SoundtrackProblem>;

using RefusedSoundtrackTest = WithRows<SoundtrackFiles, RefusedRow>;

TEST_P(RefusedSoundtrackTest, IsNamedBeforeAnythingIsWritten)
{
    const auto &[name, audioIn, problem] = GetParam();
    writeFile(path("not-audio.mp3"), "plain text, not audio");
    makeTone(path("tone.wav"), 1);
    ASSERT_EQ(write(path("silent.avi"), {.codec = u"mjpeg"_s}, 2), 0);
    const QString audio = audioIn(dir.path());
    EXPECT_EQ(checkSoundtrack(audio), problem);
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
        RefusedRow{"NotAudio", [](const QString &d) { return d + u"/not-audio.mp3"_s; },
                   SoundtrackProblem::Unreadable},
        RefusedRow{"VideoWithoutSound", [](const QString &d) { return d + u"/silent.avi"_s; },
                   SoundtrackProblem::NoAudio}),
    rowName);

} // namespace
