// The clip check (numbering rules, a real folder with every kind of problem, ending early), the
// window's background check and length line, and the lists following the folders.

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "form/uitext.h"
#include "formfixture.h"
#include "image/clipcheck.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

using Kind = ClipProblem::Kind;

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

TEST(ClipCheck, NumberingRules)
{
    const struct
    {
        const char *name;
        QStringList frames; // in list order
        QList<ClipProblem> expected;
    } rows[] = {
        {"padded and consecutive", {"f001.bmp", "f002.bmp", "f003.jpg"}, {}},
        {"unpadded nine after ten",
         {"img1.jpg", "img10.jpg", "img9.jpg"},
         {{Kind::OutOfOrder, "img9.jpg", "img10.jpg", {}}, {Kind::Gap, "img1.jpg", "img9.jpg", {}}}},
        {"gap names the frames around it",
         {"f001.bmp", "f002.bmp", "f005.bmp"},
         {{Kind::Gap, "f002.bmp", "f005.bmp", {}}}},
        {"groups apart, letter case ignored",
         {"a1.bmp", "A2.bmp", "b1.bmp", "b3.bmp"},
         {{Kind::Gap, "b1.bmp", "b3.bmp", {}}}},
        {"time stamps and names without numbers",
         {"IMG_20240101123045.jpg", "IMG_20240101123112.jpg", "x.bmp"},
         {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(numberingProblems(row.frames), row.expected);
    }
}

TEST(ClipCheck, VideoLength)
{
    const struct
    {
        int frames, direction, speed, videoFrames;
        double seconds;
    } rows[] = {
        {3, 0, 8, 3, 0.375}, {3, 1, 8, 3, 0.375}, {3, 2, 8, 5, 0.625},
        {1, 2, 25, 1, 0.04}, {0, 2, 8, 0, 0.0},   {4, 0, 0, 4, 4.0}, // speed 0 counts as 1
    };
    for (const auto &r : rows) {
        EXPECT_EQ(videoFrameCount(r.frames, directionFromCode(r.direction)), r.videoFrames);
        EXPECT_DOUBLE_EQ(videoSeconds(r.frames, directionFromCode(r.direction), r.speed), r.seconds);
    }
}

// A clip with one problem of each kind: f002 cut off, f003 smaller, f004 missing, notes.txt.
class BadClip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.makeClip(QStringLiteral("Good"), 3);
        folder = fx.clipPath(QStringLiteral("Bad"));
        writeFrames(folder, {"f000.bmp", "f001.bmp", "f002.jpg", "f005.bmp"}, QSize(32, 24));
        writeFrames(folder, {"f003.bmp"}, QSize(16, 16));
        QFile jpeg(folder + QStringLiteral("f002.jpg"));
        ASSERT_TRUE(jpeg.resize(jpeg.size() / 2));
        ASSERT_TRUE(writeBytes(folder + QStringLiteral("notes.txt"), "x"));
        fx.writeClipIni(QStringLiteral("Bad"), QStringLiteral("Speed=3\r\nDirection=2\r\n"));
    }
    FormFixture fx;
    QString folder;
};

TEST_F(BadClip, FindsEveryKindOfProblem)
{
    const ClipCheckResult r = checkClip(folder);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.frames, 5);
    EXPECT_EQ(r.firstSize, QSize(32, 24));
    const QList<ClipProblem> expected = {
        {Kind::Unreadable, "f002.jpg", {}, {}},
        {Kind::SizeDiffers, "f003.bmp", {}, QSize(16, 16)},
        {Kind::Gap, "f003.bmp", "f005.bmp", {}},
        {Kind::NotAFrame, "notes.txt", {}, {}},
    };
    EXPECT_EQ(r.problems, expected) << "Clip.ini is no problem";

    fx.start();
    const QStringList report = clipCheckReport(r, fx.form, 3, PlayingDirection::ForwardAndBack);
    ASSERT_EQ(report.size(), 5);
    EXPECT_EQ(report.at(1), QStringLiteral("f003.bmp: 16 × 16 Pixel, der erste Frame hat 32 × 24"));
    EXPECT_EQ(report.last(),
              QStringLiteral("5 Frames, erster Frame 32 × 24 Pixel, Länge 3.0 s bei 3 Bildern/s"));
}

TEST_F(BadClip, EndsEarlyWithWhatItHas)
{
    int calls = 0;
    const ClipCheckResult cancelled = checkClip(folder, [&] { return ++calls > 3; });
    EXPECT_FALSE(cancelled.complete);

    // The folder goes away while the frames are read (asked once per listed file, then once per
    // frame): what was read before stays.
    calls = 0;
    const ClipCheckResult removed = checkClip(folder, [&] {
        if (++calls == 7 + 3)
            QDir(folder).removeRecursively();
        return false;
    });
    EXPECT_FALSE(removed.complete);
    EXPECT_EQ(removed.firstSize, QSize(32, 24));
}

TEST_F(BadClip, WindowChecksTheSelectedClipAndShowsTheLength)
{
    fx.logic->startBackgroundWork();
    QSignalSpy done(&fx.logic->clipStatus, &ClipStatus::checkFinished);
    fx.start(); // selects Bad: speed 3, forward and back
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(fx.form.lblCheck.caption(), QStringLiteral("4 Probleme gefunden"));
    EXPECT_TRUE(fx.form.lblCheck.toolTip().startsWith(QStringLiteral("f002.jpg: Frame nicht lesbar")));
    EXPECT_EQ(fx.form.lblLength.caption(), QStringLiteral("Länge: 3.0 s"));

    fx.form.List1.setListIndex(1); // Good: 3 frames, no Clip.ini, so speed 8 and forward
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(fx.form.lblCheck.caption(), QStringLiteral("Clip in Ordnung"));
    EXPECT_EQ(fx.form.lblLength.caption(), QStringLiteral("Länge: 0.4 s"));
    fx.form.scrlSpeed.setValue(5);
    EXPECT_EQ(fx.form.lblLength.caption(), QStringLiteral("Länge: 0.6 s"));
    fx.form.cboDirections.setListIndex(2);
    EXPECT_EQ(fx.form.lblLength.caption(), QStringLiteral("Länge: 1.0 s"));
}

// The one large folder: a check of it still running is cancelled by the next selection, and only
// the result for the clip selected last is shown.
TEST(ClipCheckStress, NextSelectionCancelsALargeCheck)
{
    FormFixture fx;
    fx.makeClip(QStringLiteral("A"), 2);
    const QString large = fx.clipPath(QStringLiteral("Large"));
    QDir().mkpath(large);
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(
            writeBytes(large + QStringLiteral("f%1.jpg").arg(i, 5, 10, QLatin1Char('0')), "\xFF\xD8"));
    fx.start();
    QSignalSpy done(&fx.logic->clipStatus, &ClipStatus::checkFinished);
    fx.form.List1.setListIndex(1);
    fx.logic->clipStatus.startCheck();
    fx.form.List1.setListIndex(0);
    fx.logic->clipStatus.startCheck();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(fx.logic->clipStatus.lastResult().frames, 2);
    EXPECT_EQ(done.count(), 1);
}

class FollowingFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.makeClip(QStringLiteral("B"), 4);
        fx.makeClip(QStringLiteral("D"), 1);
        fx.logic->startBackgroundWork();
        fx.start();
        fx.form.slPre.setValue(2);
    }
    ClipWatcher &watcher() { return fx.logic->watcher; }
    FormFixture fx;
};

TEST_F(FollowingFolders, ListsChangeButNotTheSelectionOrTheFrameShown)
{
    writeFrames(fx.clipPath(QStringLiteral("B")), {"a.bmp"}, QSize(32, 24)); // sorts first
    QFile::remove(fx.clipPath(QStringLiteral("B")) + QStringLiteral("f003.bmp"));
    fx.makeClip(QStringLiteral("A"), 1);
    ASSERT_TRUE(QDir(fx.framesPath()).rename(QStringLiteral("D"), QStringLiteral("C")));
    watcher().apply();

    EXPECT_EQ(fx.form.List1.items(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(fx.form.List1.text(), QStringLiteral("B"));
    EXPECT_EQ(fx.form.List1.listIndex(), 1);
    EXPECT_EQ(fx.form.lvwFiles.items(), (QStringList{"a.bmp", "f000.bmp", "f001.bmp", "f002.bmp"}));
    EXPECT_EQ(fx.form.lbl(0)->caption(), QStringLiteral("Frames: 4"));
    EXPECT_EQ(fx.form.slPre.value(), 3) << "still f002.bmp, one place on";
    EXPECT_EQ(fx.form.state.CurrentFramePath, fx.clipPath(QStringLiteral("B")) + QStringLiteral("f002.bmp"));

    // The frame shown goes away: its neighbour takes its place.
    QFile::remove(fx.clipPath(QStringLiteral("B")) + QStringLiteral("f002.bmp"));
    watcher().apply();
    EXPECT_EQ(fx.form.slPre.maximum(), 2);
    EXPECT_EQ(fx.form.state.CurrentFramePath, fx.clipPath(QStringLiteral("B")) + QStringLiteral("f001.bmp"));
}

TEST_F(FollowingFolders, NothingChangesWhileAVideoIsWritten)
{
    QSignalSpy frames(&watcher(), &ClipWatcher::framesChanged);
    fx.form.state.MakingVideo = true;
    writeFrames(fx.clipPath(QStringLiteral("B")), {"f004.bmp"}, QSize(32, 24));
    watcher().apply();
    EXPECT_EQ(fx.form.lvwFiles.count(), 4);
    fx.useFixedCompressor();
    fx.form.state.MakingVideo = false;
    fx.makeVideo();
    EXPECT_EQ(fx.form.lvwFiles.count(), 5) << "applied when the video is done";
    EXPECT_EQ(frames.count(), 1);
}

TEST_F(FollowingFolders, ReadsAFrameOnceTheWritesHaveSettled)
{
    watcher().setSettleDelay(50);
    QSignalSpy frames(&watcher(), &ClipWatcher::framesChanged);
    writeFrames(fx.clipPath(QStringLiteral("B")), {"f004.bmp", "f005.bmp"}, QSize(32, 24));
    ASSERT_TRUE(frames.wait(10000));
    EXPECT_EQ(fx.form.lvwFiles.count(), 6);
    EXPECT_EQ(frames.count(), 1) << "two files, one update";
}

} // namespace
