// Time-lapse and stop-motion videos through the batch command, read back by ffprobe and ffmpeg:
// the 4K format and the modern compressors.

#include "services/inifile.h"
#include "testsupport.h"

using namespace tavelon::test;

namespace {

class TimelapseBatchTest : public ::testing::Test
{
protected:
    RunResult run(const QStringList &args)
    {
        return runProgram(QStringLiteral(TAVELON_BIN), QStringList{u"--root"_s, fx.root()} + args);
    }
    QString mp4(const QString &clip) const { return fx.root() + u"Clips/"_s + clip + u".mp4"_s; }

    FormFixture fx;
};

// The ninth format: 3840 × 2160 at 25 frames/s, stored by its name.
TEST_F(TimelapseBatchTest, FourKFormatWithH265TaggedForApplePlayers)
{
    fx.makeClip(u"Stadt"_s, 1, QSize(96, 54));
    const RunResult r = run({"--make-video", "Stadt", "--format", "4K UHD 16:9", "--speed", "25",
                             "--container", "mp4", "--compressor", "h265"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const Probe p = probe(mp4(u"Stadt"_s));
    EXPECT_EQ(std::tuple(p.codecName, p.codecTag, p.width, p.height, p.frameRate, p.frames),
              std::tuple(u"hevc"_s, u"hvc1"_s, 3840, 2160, u"25/1"_s, 1));
    EXPECT_EQ(GetIniString("ClipSettings", "Format", fx.clipPath(u"Stadt"_s) + "Clip.ini", QString()),
              u"4K UHD 16:9"_s);
}

TEST_F(TimelapseBatchTest, Av1OnlyInMp4)
{
    fx.makeClip(u"Stadt"_s, 3, QSize(96, 54));
    ASSERT_EQ(
        run({"--make-video", "Stadt", "--format", "HD 16:9", "--container", "mp4", "--compressor", "av1"})
            .code,
        0);
    const Probe p = probe(mp4(u"Stadt"_s));
    EXPECT_EQ(std::tuple(p.codecName, p.width, p.height, p.frames), std::tuple(u"av1"_s, 1280, 720, 3));
    EXPECT_EQ(run({"--make-video", "Stadt", "--container", "avi", "--compressor", "av1"}).code, 2);
    EXPECT_TRUE(run({"--list-compressors"}).out.contains("\nh265 "));
}

} // namespace
