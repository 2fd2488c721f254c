// The make-video command and the video writer on real files, checked with ffprobe and ffmpeg.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "services/inifile.h"
#include "testsupport.h"

using namespace tavelon;
using namespace tavelon::test;
using namespace Qt::StringLiterals;

namespace {

class VideoCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&fx.logic->command, &VideoCommand::videoCompleted, [this] { ++beeps; });
    }
    void start(int frames)
    {
        fx.makeClip(u"Garten"_s, frames);
        fx.start();
    }
    QString video() const { return fx.video(u"Garten"_s); }
    QString ini() const { return fx.clipPath(u"Garten"_s) + u"Clip.ini"_s; }
    FormFixture fx;
    int beeps = 0;
};

// The pass order is one function shared with the player (tst_player); here the writer follows it.
TEST_F(VideoCommandTest, BackwardVideoHasTheFramesInPassOrder)
{
    start(3);
    fx.form.cboDirections.setListIndex(1);
    fx.makeVideo();
    EXPECT_EQ(frameColours(video()), (QList<int>{2, 1, 0}));
    const Probe p = probe(video());
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(QSize(p.width, p.height), QSize(32, 24));
    EXPECT_EQ(p.frameRate, u"8/1"_s);
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(QFile::exists(fx.root() + u"temp.bmp"_s));
}

TEST_F(VideoCommandTest, RateClampedToOneThroughThirty)
{
    start(2);
    VideoWriter &writer = fx.logic->command.writer();
    fx.form.state.MakingVideo = true;
    writer.setFrameSize(32, 24);
    for (auto [rate, expected] : {std::pair{0, "1/1"}, std::pair{45, "30/1"}, std::pair{12, "12/1"}}) {
        const QString path = fx.root() + u"Clips/rate%1.avi"_s.arg(rate);
        writer.MakeVideoFile(path, rate);
        EXPECT_EQ(probe(path).frameRate, QLatin1String(expected));
    }
}

TEST_F(VideoCommandTest, CancelLeavesNoFileButStoresTheOptions)
{
    start(2);
    fx.chooser.choice.reset();
    fx.makeVideo();
    EXPECT_FALSE(QFile::exists(video()));
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(fx.messages.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(fx.root() + u"temp.bmp"_s));
    EXPECT_TRUE(QFile::exists(ini()));
}

TEST_F(VideoCommandTest, OverwriteQuestionAndNaming)
{
    start(1);
    QDir().mkpath(fx.root() + u"Clips"_s);
    ASSERT_TRUE(writeFile(video(), "old"));
    ASSERT_TRUE(writeFile(fx.video(u"Garten_2"_s), "old"));
    fx.messages.queueAnswer(MessageAnswer::No);
    fx.makeVideo();
    ASSERT_EQ(fx.messages.messages.size(), 1);
    EXPECT_EQ(fx.messages.messages[0].text,
              u"Soll die bereits existierende Datei 'Garten.avi' überschrieben werden ?"_s);
    EXPECT_EQ(fx.messages.messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_TRUE(QFile::exists(fx.video(u"Garten_3"_s)));
    EXPECT_EQ(readFile(video()), "old") << "the kept file is untouched";

    // Agreeing to replace the video loses nothing until a frame is ready to take its place: not
    // when the compression dialog is cancelled, nor when no frame can be made.
    fx.chooser.choice.reset();
    fx.messages.messages.clear();
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.makeVideo();
    EXPECT_EQ(readFile(video()), "old") << "cancelled";
    EXPECT_TRUE(fx.messages.messages.isEmpty()) << "nothing is asked after a cancel";
    fx.chooser.choice = CompressOptions();
    fx.form.txtWidth.setText(u"0"_s);
    fx.logic->command.Command1_Click(0);
    EXPECT_EQ(readFile(video()), "old") << "no frame";
    EXPECT_EQ(fx.messages.messages.last().text, fx.form.UiText(0));
    EXPECT_EQ(beeps, 1);

    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.makeVideo();
    EXPECT_GT(QFileInfo(video()).size(), 3) << "Yes replaces the file";
    EXPECT_EQ(fx.logic->command.lastVideoPath(), video());
}

TEST_F(VideoCommandTest, ClipIniKeysInOrder)
{
    start(2);
    fx.form.cboPosition.setText(u"nirgends"_s);
    fx.form.Text1.setText(u"© Wald"_s);
    fx.makeVideo();
    EXPECT_EQ(QString::fromLatin1(readFile(ini())).split(u"\r\n"_s, Qt::SkipEmptyParts),
              (QStringList{"[ClipSettings]", "ClipName=Garten", "Format=VCD PAL", "FrameRate=25", "Width=32",
                           "Height=24", "Speed=8", "Direction=0", "Copyright=0",
                           QString::fromLatin1("Text=\xA9 Wald"), "Border=0", "Box=0", "Pos=0", "Size=1",
                           "Container=avi", "Fit=stretch"}));
}

TEST_F(VideoCommandTest, SecondRequestWhileWritingIsRefused)
{
    start(3);
    int nested = 0;
    QObject::connect(&fx.logic->command.writer(), &VideoWriter::progress, [&] {
        EXPECT_FALSE(fx.form.cmdPlay.isEnabled());
        EXPECT_FALSE(fx.form.cmdDelFrame.isEnabled());
        fx.form.Command1.click();
        fx.logic->command.Command1_Click(0);
        ++nested;
    });
    fx.makeVideo();
    EXPECT_EQ(nested, 3);
    EXPECT_EQ(QDir(fx.root() + u"Clips"_s).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(fx.form.state.MakingVideo);
    EXPECT_TRUE(fx.form.List1.isEnabled() && fx.form.Command1.isEnabled());
}

// The program ends while a video is written: the file is closed properly, so its frames play.
TEST_F(VideoCommandTest, AbortClosesTheFileSoItPlays)
{
    start(6);
    QObject::connect(&fx.logic->command.writer(), &VideoWriter::progress, [&](int i, int) {
        if (i == 2)
            fx.logic->shutdown();
    });
    fx.makeVideo();
    EXPECT_EQ(frameColours(video()), (QList<int>{0, 1}));
    EXPECT_TRUE(probe(video()).ok);
    EXPECT_EQ(beeps, 0);
}

// Folders copied from a system that ignores letter case: frames/, clips/, HALVANE.INI with
// Language=english beside language/English3.lng, and a clip.ini that is read and rewritten.
TEST_F(VideoCommandTest, FixedNamesAreFoundWhateverTheirLetterCase)
{
    const QString root = fx.root();
    writeFrames(root + "frames/Garten", {"f0.bmp", "f1.bmp"});
    ASSERT_TRUE(QDir(root).mkpath("clips") && QDir(root).mkpath("language"));
    ASSERT_TRUE(writeFile(root + "HALVANE.INI", "[Orrin's Halvane]\r\nLanguage=english\r\n"));
    QByteArray lng = "#22\r\nlstComments\r\n-1\r\n";
    for (int i = 0; i < 22; ++i)
        lng += "E" + QByteArray::number(i) + "\r\n";
    ASSERT_TRUE(writeFile(root + "language/English3.lng", lng + "\r\n"));
    ASSERT_TRUE(writeFile(root + "frames/Garten/clip.ini", "[ClipSettings]\r\nText=Hallo\r\nSpeed=12\r\n"));
    fx.form.state.setProgramFolder(root); // start-up forms the paths once the folders are there
    fx.start();
    EXPECT_EQ(fx.form.List1.items(), QStringList{"Garten"});
    EXPECT_EQ(fx.form.UiText(4), "E4");
    EXPECT_EQ(fx.form.Text1.text(), "Hallo");
    EXPECT_EQ(fx.form.scrlSpeed.value(), 12);
    fx.makeVideo();
    EXPECT_TRUE(QFileInfo(root + "clips/Garten.avi").isFile());
    EXPECT_FALSE(QFileInfo::exists(root + "Clips"));
    EXPECT_FALSE(QFileInfo::exists(root + "frames/Garten/Clip.ini"));
    EXPECT_EQ(GetIniString("ClipSettings", "ClipName", root + "frames/Garten/clip.ini", ""), "Garten");
}

} // namespace
