// A full disk while the make-video command writes the AVI, temp.bmp and Clip.ini: a small tmpfs
// stands for the disk, filled up to a few pages.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "services/inifile.h"
#include "form/clipsettings.h"
#include "faultsupport.h"
#include "formfixture.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

const QString kClip = QStringLiteral("Garten");
constexpr int kFrames = 20; // 20 uncompressed 32 × 24 frames: about 52 KB of AVI
const char *const kKeys[] = {"ClipName",  "Format", "FrameRate", "Width", "Height", "Speed", "Direction",
                             "Copyright", "Text",   "Border",    "Box",   "Pos",    "Size"};

class FullDiskTest : public ::testing::TestWithParam<qint64>
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
        fx.useFixedCompressor();
    }
    // The clip, its old Clip.ini and an old video of it; the answer No keeps that video.
    void makeProgramFolder()
    {
        fx.makeClip(kClip, kFrames, QSize(32, 24));
        QString ini = QStringLiteral("; written by hand\r\n");
        for (const char *key : kKeys)
            ini += QLatin1String(key) + QStringLiteral("=alt\r\n");
        ini += QStringLiteral("[Andere]\r\nWert=1\r\n");
        fx.writeClipIni(kClip, ini);
        QDir().mkpath(fx.root() + QStringLiteral("Clips"));
        ASSERT_TRUE(writeFile(fx.root() + QStringLiteral("Clips/Garten.avi"), "RIFF old video"));
    }
    void makeVideo()
    {
        fx.start();
        fx.form.Text1.setText(QStringLiteral("Neu"));
        fx.messages.queueAnswer(MessageAnswer::No);
        fx.makeVideo();
    }
    // A video left by the failed run plays, with no more frames than the clip has.
    void expectPlayable(const QString &video, int atLeast)
    {
        if (atLeast == 0 && !QFile::exists(video))
            return;
        const PlayResult r = playCheck(video);
        EXPECT_TRUE(r.ok) << r.errors.toStdString();
        EXPECT_GE(r.frames, atLeast);
        EXPECT_LE(r.frames, kFrames);
    }

    FormFixture fx;
};

// The clips folder is full: the writer fails part-way, reports it once, and what it wrote plays.
TEST_P(FullDiskTest, ClipsFolderFull)
{
    const qint64 leave = GetParam();
    TmpfsMount disk(fx.root() + QStringLiteral("Clips"), 1024);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.why();
    makeProgramFolder();
    ASSERT_TRUE(fillUp(fx.root() + QStringLiteral("Clips/filler"), leave));
    const auto before = snapshot(fx.root());

    makeVideo();

    EXPECT_EQ(fx.errors(), QStringList{fx.form.UiText(kUiWriteFailed)});
    // The old video and the frames are untouched and no temp.bmp is left; the clip's options are
    // stored on the other disk.
    EXPECT_EQ(differences(before, snapshot(fx.root()), {"Clip.ini", "Clips/Garten_2.avi"}), QStringList());
    // From four free pages on, the header and at least one frame fit.
    expectPlayable(fx.root() + QStringLiteral("Clips/Garten_2.avi"), leave >= 16384 ? 1 : 0);
    EXPECT_FALSE(fx.form.state.MakingVideo);
    EXPECT_TRUE(fx.form.List1.isEnabled());
}

// The whole program folder is full: temp.bmp, the AVI and Clip.ini share the little room left.
// Clip.ini keeps every value either old or new and loses no line; nothing else changes.
TEST_P(FullDiskTest, ProgramFolderFull)
{
    const qint64 leave = GetParam();
    TmpfsMount disk(fx.root(), 1024);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.why();
    makeProgramFolder();
    const QString iniPath = fx.clipPath(kClip) + QStringLiteral("Clip.ini");
    ASSERT_TRUE(fillUp(fx.root() + QStringLiteral("filler"), leave));
    const auto before = snapshot(fx.root());

    makeVideo();

    const QStringList reported = fx.errors();
    ASSERT_EQ(reported.size(), 1);
    // With no room at all temp.bmp cannot be written; with a little, whatever fails first.
    if (leave == 0) {
        EXPECT_EQ(reported.at(0), fx.form.UiText(kUiFramesNotLoaded));
    } else {
        EXPECT_TRUE(reported.at(0) == fx.form.UiText(kUiFramesNotLoaded) ||
                    reported.at(0) == fx.form.UiText(kUiWriteFailed));
    }
    QStringList changeable = {QStringLiteral("Clips/Garten_2.avi")};
    if (leave > 0)
        changeable << QStringLiteral("Frames/Garten/Clip.ini");
    EXPECT_EQ(differences(before, snapshot(fx.root()), changeable), QStringList());
    expectPlayable(fx.root() + QStringLiteral("Clips/Garten_2.avi"), 0);

    // The values the command meant to store, written where there is room.
    QFile::remove(fx.root() + QStringLiteral("filler"));
    const QString wanted = fx.root() + QStringLiteral("wanted/");
    QDir().mkpath(wanted);
    ClipSettings(wanted).writeFrom(fx.form);
    for (const char *key : kKeys) {
        const QString value =
            GetIniString(QStringLiteral("ClipSettings"), QLatin1String(key), iniPath, QString());
        const QString meant = GetIniString(QStringLiteral("ClipSettings"), QLatin1String(key),
                                           wanted + QStringLiteral("Clip.ini"), QString());
        EXPECT_TRUE(value == QLatin1String("alt") || value == meant) << key << ": " << value.toStdString();
    }
    EXPECT_TRUE(readFile(iniPath).contains("\r\n; written by hand\r\n"));
    EXPECT_EQ(GetIniString(QStringLiteral("Andere"), QStringLiteral("Wert"), iniPath, QString()),
              QLatin1String("1"));
}

INSTANTIATE_TEST_SUITE_P(FreeBytes, FullDiskTest, ::testing::Values(0, 4096, 8192, 16384, 36864),
                         [](const auto &row) { return "free" + std::to_string(row.param); });

} // namespace
