// The clip check (numbering rules, a real folder with every kind of problem, ending early), the
// window's background check and length line, and the lists following the folders.
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "image/clipcheck.h"
#include "testsupport.h"

using namespace tavelon;
using namespace tavelon::test;
using namespace Qt::StringLiterals;

namespace {

using Kind = ClipProblem::Kind;

TEST(ClipCheck, NumberingRulesAndVideoLength)
{
    const std::pair<QStringList, QList<ClipProblem>> rows[] = {
        // frames in list order, problems
        {{"f001.bmp", "f002.bmp", "f003.jpg"}, {}},
        {{"img1.jpg", "img10.jpg", "img9.jpg"},
         {{Kind::OutOfOrder, "img9.jpg", "img10.jpg", {}}, {Kind::Gap, "img1.jpg", "img9.jpg", {}}}},
        {{"a1.bmp", "A2.bmp", "b1.bmp", "b3.bmp"}, {{Kind::Gap, "b1.bmp", "b3.bmp", {}}}}, // case ignored
        {{"IMG_20240101123045.jpg", "IMG_20240101123112.jpg", "x.bmp"}, {}}, // time stamps, no number
    };
    for (const auto &[frames, expected] : rows)
        EXPECT_EQ(numberingProblems(frames), expected) << frames.join(' ').toStdString();

    EXPECT_EQ(videoFrameCount(3, PlayingDirection::ForwardAndBack), 5);
    EXPECT_EQ(videoFrameCount(1, PlayingDirection::ForwardAndBack), 1);
    EXPECT_DOUBLE_EQ(videoSeconds(3, PlayingDirection::ForwardAndBack, 8), 0.625);
    EXPECT_DOUBLE_EQ(videoSeconds(4, PlayingDirection::Forward, 0), 4.0) << "speed 0 counts as 1";
}

// A clip with one problem of each kind: f002 cut off, f003 smaller, f004 missing, notes.txt.
class BadClip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.makeClip(u"Good"_s, 3);
        folder = fx.clipPath(u"Bad"_s);
        writeFrames(folder, {"f000.bmp", "f001.bmp", "f002.jpg", "f005.bmp"}, QSize(32, 24));
        writeFrames(folder, {"f003.bmp"}, QSize(16, 16));
        QFile jpeg(folder + u"f002.jpg"_s);
        ASSERT_TRUE(jpeg.resize(jpeg.size() / 2));
        ASSERT_TRUE(writeFile(folder + u"notes.txt"_s, "x"));
        fx.writeClipIni(u"Bad"_s, u"Speed=3\r\nDirection=2\r\n"_s);
    }
    FormFixture fx;
    QString folder;
};

TEST_F(BadClip, FindsEveryKindOfProblemAndEndsEarlyWithWhatItHas)
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
    EXPECT_EQ(report.at(1), u"f003.bmp: 16 × 16 Pixel, der erste Frame hat 32 × 24"_s);
    EXPECT_EQ(report.last(), u"5 Frames, erster Frame 32 × 24 Pixel, Länge 3.0 s bei 3 Bildern/s"_s);

    int calls = 0;
    EXPECT_FALSE(checkClip(folder, [&] { return ++calls > 3; }).complete);
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
    EXPECT_EQ(fx.form.lblCheck.caption(), u"4 Probleme gefunden"_s);
    EXPECT_TRUE(fx.form.lblCheck.toolTip().startsWith(u"f002.jpg: Frame nicht lesbar"_s));
    EXPECT_EQ(fx.form.lblLength.caption(), u"Länge: 3.0 s"_s);

    fx.form.List1.setListIndex(1); // Good: 3 frames, no Clip.ini, so speed 8 and forward
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(fx.form.lblCheck.caption(), u"Clip in Ordnung"_s);
    EXPECT_EQ(fx.form.lblLength.caption(), u"Länge: 0.4 s"_s);
    fx.form.scrlSpeed.setValue(5);
    fx.form.cboDirections.setListIndex(2);
    EXPECT_EQ(fx.form.lblLength.caption(), u"Länge: 1.0 s"_s);
}

class FollowingFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.makeClip(u"B"_s, 4);
        fx.makeClip(u"D"_s, 1);
        fx.logic->startBackgroundWork();
        fx.start();
        fx.form.slPre.setValue(2);
    }
    QString b(const char *file) const { return fx.clipPath(u"B"_s) + QLatin1String(file); }
    FormFixture fx;
};

TEST_F(FollowingFolders, ListsChangeButNotTheSelectionOrTheFrameShown)
{
    writeFrames(fx.clipPath(u"B"_s), {"a.bmp"}); // sorts first
    QFile::remove(b("f003.bmp"));
    fx.makeClip(u"A"_s, 1);
    ASSERT_TRUE(QDir(fx.framesPath()).rename(u"D"_s, u"C"_s));
    fx.logic->watcher.apply();
    EXPECT_EQ(fx.form.List1.items(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(fx.form.List1.listIndex(), 1);
    EXPECT_EQ(fx.form.lvwFiles.items(), (QStringList{"a.bmp", "f000.bmp", "f001.bmp", "f002.bmp"}));
    EXPECT_EQ(fx.form.lbl(0)->caption(), u"Frames: 4"_s);
    EXPECT_EQ(fx.form.slPre.value(), 3) << "still f002.bmp, one place on";
    EXPECT_EQ(fx.form.state.CurrentFramePath, b("f002.bmp"));

    // The frame shown goes away: its neighbour takes its place.
    QFile::remove(b("f002.bmp"));
    fx.logic->watcher.apply();
    EXPECT_EQ(fx.form.slPre.maximum(), 2);
    EXPECT_EQ(fx.form.state.CurrentFramePath, b("f001.bmp"));
}

TEST_F(FollowingFolders, NothingChangesWhileAVideoIsWrittenThenOneUpdate)
{
    QSignalSpy frames(&fx.logic->watcher, &ClipWatcher::framesChanged);
    fx.form.state.MakingVideo = true;
    writeFrames(fx.clipPath(u"B"_s), {"f004.bmp"});
    fx.logic->watcher.apply();
    EXPECT_EQ(fx.form.lvwFiles.count(), 4);
    fx.form.state.MakingVideo = false;
    fx.makeVideo();
    EXPECT_EQ(fx.form.lvwFiles.count(), 5) << "applied when the video is done";
    EXPECT_EQ(frames.count(), 1);

    // New files are read once their writes have settled: two files, one update.
    fx.logic->watcher.setSettleDelay(50);
    writeFrames(fx.clipPath(u"B"_s), {"f005.bmp", "f006.bmp"});
    ASSERT_TRUE(frames.wait(10000));
    EXPECT_EQ(fx.form.lvwFiles.count(), 7);
    EXPECT_EQ(frames.count(), 2);
}

} // namespace
