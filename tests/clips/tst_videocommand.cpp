// The make-video command and the video writer on real files, checked with ffprobe and ffmpeg.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "services/inifile.h"
#include "faultsupport.h"
#include "formfixture.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

class VideoCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
        fx.useFixedCompressor();
        QObject::connect(&fx.logic->command, &VideoCommand::videoCompleted, [this] { ++beeps; });
    }
    void start(int frames)
    {
        fx.makeClip(QStringLiteral("Garten"), frames);
        fx.start();
        // A tiny video keeps the test fast: 32 × 24 pixels.
        fx.form.txtWidth.setText(QStringLiteral("32"));
        fx.form.txtHeight.setText(QStringLiteral("24"));
    }
    QString video(const QString &name = QStringLiteral("Garten")) const { return fx.video(name); }
    FormFixture fx;
    int beeps = 0;
};

// A clip of three frames, then one of a single frame that gives one sample in every direction.
TEST_F(VideoCommandTest, DirectionsWriteFramesInOrder)
{
    fx.makeClip(QStringLiteral("Eins"), 1);
    start(3);
    const struct
    {
        int clip;
        int direction;
        QList<int> frames;
    } cases[] = {{1, 0, {0, 1, 2}}, {1, 1, {2, 1, 0}}, {1, 2, {0, 1, 2, 1, 0}},
                 {0, 0, {0}},       {0, 1, {0}},       {0, 2, {0}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.direction);
        fx.form.List1.setListIndex(c.clip);
        fx.form.txtWidth.setText(QStringLiteral("32"));
        fx.form.txtHeight.setText(QStringLiteral("24"));
        fx.form.cboDirections.setListIndex(c.direction);
        fx.messages.queueAnswer(MessageAnswer::Yes); // replace the video of the case before
        fx.logic->command.Command1_Click(0);
        EXPECT_EQ(frameColours(video(fx.form.List1.text())), c.frames);
        const auto p = probe(video(fx.form.List1.text()));
        ASSERT_TRUE(p);
        EXPECT_EQ(QSize(p->width, p->height), QSize(32, 24));
        EXPECT_EQ(p->frameRate, QLatin1String("8/1"));
    }
    EXPECT_EQ(beeps, 6);
    EXPECT_FALSE(QFile::exists(fx.root() + QStringLiteral("temp.bmp")));
    EXPECT_TRUE(fx.messages.messages().size() >= 2);
}

TEST_F(VideoCommandTest, RateClampedToOneThroughThirty)
{
    start(2);
    VideoWriter &writer = fx.logic->command.writer();
    fx.form.state.MakingVideo = true;
    writer.setFrameSize(32, 24);
    for (auto [rate, expected] : {std::pair{0, "1/1"}, std::pair{45, "30/1"}, std::pair{12, "12/1"}}) {
        const QString path = fx.root() + QStringLiteral("Clips/rate%1.avi").arg(rate);
        writer.MakeVideoFile(path, rate);
        const auto p = probe(path);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->frameRate, QLatin1String(expected));
    }
}

TEST_F(VideoCommandTest, CancelLeavesNoFile)
{
    start(2);
    fx.chooser.choice.reset();
    fx.logic->command.Command1_Click(0);
    EXPECT_FALSE(QFile::exists(video()));
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(fx.messages.messages().isEmpty());
    EXPECT_FALSE(QFile::exists(fx.root() + QStringLiteral("temp.bmp")));
    EXPECT_TRUE(QFile::exists(fx.clipPath(QStringLiteral("Garten")) + QStringLiteral("Clip.ini")))
        << "the options are stored whether or not the video succeeded";
}

TEST_F(VideoCommandTest, OverwriteQuestionAndNaming)
{
    start(1);
    QDir().mkpath(fx.root() + QStringLiteral("Clips"));
    for (const char *name : {"Garten.avi", "Garten_2.avi"}) {
        QFile f(fx.root() + QStringLiteral("Clips/") + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    fx.messages.queueAnswer(MessageAnswer::No);
    fx.logic->command.Command1_Click(0);
    ASSERT_EQ(fx.messages.messages().size(), 1);
    EXPECT_EQ(fx.messages.messages().at(0).text,
              QString::fromUtf8("Soll die bereits existierende Datei 'Garten.avi' überschrieben werden ?"));
    EXPECT_EQ(fx.messages.messages().at(0).defaultAnswer, MessageAnswer::No);
    EXPECT_TRUE(QFile::exists(video(QStringLiteral("Garten_3"))));
    EXPECT_EQ(QFileInfo(video()).size(), 3) << "the kept file is untouched";
    EXPECT_EQ(GetIniString(QStringLiteral("ClipSettings"), QStringLiteral("ClipName"),
                           fx.clipPath(QStringLiteral("Garten")) + QStringLiteral("Clip.ini"), QString()),
              QLatin1String("Garten"));

    // Agreeing to replace the video loses nothing until a frame is ready to take its place: not
    // when the compression dialog is cancelled, nor when no frame can be made.
    const CompressOptions chosen = *fx.chooser.choice;
    fx.chooser.choice.reset();
    fx.messages.clear();
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.logic->command.Command1_Click(0);
    EXPECT_EQ(QFileInfo(video()).size(), 3) << "cancelled";
    EXPECT_EQ(fx.messages.count(), 0) << "nothing is asked after a cancel";
    fx.chooser.choice = chosen;
    fx.form.txtWidth.setText(QStringLiteral("0"));
    fx.logic->command.Command1_Click(0);
    EXPECT_EQ(QFileInfo(video()).size(), 3) << "no frame";
    EXPECT_EQ(fx.messages.last().text, fx.form.UiText(0));
    EXPECT_EQ(beeps, 1);

    fx.form.txtWidth.setText(QStringLiteral("32"));
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.logic->command.Command1_Click(0);
    EXPECT_GT(QFileInfo(video()).size(), 3) << "Yes replaces the file";
    EXPECT_EQ(fx.logic->command.lastVideoPath(), video());
}

TEST_F(VideoCommandTest, ClipIniKeysInOrder)
{
    start(2);
    fx.form.cboPosition.setText(QStringLiteral("nirgends"));
    fx.form.Text1.setText(QString::fromUtf8("© Wald"));
    fx.logic->command.Command1_Click(0);
    QFile ini(fx.clipPath(QStringLiteral("Garten")) + QStringLiteral("Clip.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(ini.readAll());
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(lines, (QStringList{"[ClipSettings]", "ClipName=Garten", "Format=VCD PAL", "FrameRate=25",
                                  "Width=32", "Height=24", "Speed=8", "Direction=0", "Copyright=0",
                                  QString::fromLatin1("Text=\xA9 Wald"), "Border=0", "Box=0", "Pos=0",
                                  "Size=1", "Container=avi", "Fit=stretch"}));
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
    fx.logic->command.Command1_Click(0);
    EXPECT_EQ(nested, 3);
    EXPECT_EQ(QDir(fx.root() + QStringLiteral("Clips")).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(fx.form.state.MakingVideo);
    EXPECT_TRUE(fx.form.List1.isEnabled());
    EXPECT_TRUE(fx.form.Command1.isEnabled());
}

TEST_F(VideoCommandTest, AbortClosesTheFileSoItPlays)
{
    start(6);
    QObject::connect(&fx.logic->command.writer(), &VideoWriter::progress, [&](int i, int) {
        if (i == 2)
            fx.logic->shutdown();
    });
    fx.logic->command.Command1_Click(0);
    EXPECT_EQ(frameColours(video()), (QList<int>{0, 1}));
    EXPECT_EQ(beeps, 0);
}

// Folders copied from a system that ignores letter case: frames/, clips/, HALVANE.INI with
// Language=english beside language/English3.lng, and a clip.ini that is read and rewritten.
TEST_F(VideoCommandTest, FixedNamesAreFoundWhateverTheirLetterCase)
{
    const QString root = fx.root();
    writeFrames(root + "frames/Garten", {"f0.bmp", "f1.bmp"});
    ASSERT_TRUE(QDir(root).mkdir("clips"));
    ASSERT_TRUE(writeFile(root + "HALVANE.INI", "[Orrin's Halvane]\r\nLanguage=english\r\n"));
    QByteArray lng = "#22\r\nlstComments\r\n-1\r\n";
    for (int i = 0; i < 22; ++i)
        lng += "E" + QByteArray::number(i) + "\r\n";
    ASSERT_TRUE(QDir(root).mkpath("language"));
    ASSERT_TRUE(writeFile(root + "language/English3.lng", lng + "\r\n"));
    ASSERT_TRUE(writeFile(root + "frames/Garten/clip.ini", "[ClipSettings]\r\nText=Hallo\r\nSpeed=12\r\n"));
    // Start-up forms the paths once the folders are there.
    fx.form.state.setProgramFolder(root);
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
