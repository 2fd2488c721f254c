// Clip and frame names with blanks, quotes, umlauts, other scripts and leading dashes, end to end
// through the form's logic: select, show, play, delete a frame, make the video, store Clip.ini.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "services/inifile.h"
#include "faultsupport.h"
#include "formfixture.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

struct NameCase
{
    const char *id;
    const char *clip;  // UTF-8
    const char *frame; // UTF-8 pattern, %1 is the frame number; frame 2 is a JPEG
    bool ansi;         // Clip.ini comes out in Windows-1252 (every character has a 1252 byte)
};

class NamesTest : public ::testing::TestWithParam<NameCase>
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
        // Deleted frames go to a trash inside the test folder.
        QDir().mkpath(fx.root() + QStringLiteral("xdg"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(fx.root() + QStringLiteral("xdg")));
        fx.useFixedCompressor();
    }
    // The colour index of the picture in picTemp, -1 when none is near.
    int shownColour() const
    {
        const QImage &img = fx.form.picTemp.image();
        return img.isNull() ? -1 : colourIndex(img.pixelColor(img.width() / 2, img.height() / 2));
    }

    FormFixture fx;
};

TEST_P(NamesTest, EndToEnd)
{
    const NameCase c = GetParam();
    const QString clip = QString::fromUtf8(c.clip);
    QStringList frames;
    for (int i = 0; i < 4; ++i) {
        const QString name = QString::fromUtf8(c.frame).arg(i);
        frames << (i == 2 ? name.chopped(4) + QStringLiteral(".jpg") : name);
    }
    writeFrames(fx.clipPath(clip), frames);
    fx.makeClip(QStringLiteral("Zweiter"), 1, QSize(32, 24));
    fx.start();

    // Select
    const int index = int(fx.form.List1.items().indexOf(clip));
    ASSERT_GE(index, 0) << fx.form.List1.items().join(QLatin1Char('|')).toStdString();
    fx.form.List1.setListIndex(index);
    EXPECT_EQ(fx.form.List1.text(), clip);
    EXPECT_EQ(fx.form.lvwFiles.items(), frames);
    EXPECT_EQ(shownColour(), 0);

    // Show
    fx.form.cmdNext.click();
    EXPECT_EQ(shownColour(), 1);
    EXPECT_EQ(fx.form.state.CurrentFramePath, fx.clipPath(clip) + frames.at(1));

    // Play one pass forwards
    fx.form.scrlSpeed.setMaximum(30);
    fx.form.scrlSpeed.setValue(30);
    fx.form.cboDirections.setListIndex(0);
    fx.form.cmdFirst.click();
    fx.form.cmdPlay.click();
    EXPECT_EQ(fx.form.slPre.value(), 3);
    EXPECT_EQ(shownColour(), 3);

    // Delete frame 1
    fx.form.cmdFirst.click();
    fx.form.cmdNext.click();
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.form.cmdDelFrame.click();
    EXPECT_FALSE(QFile::exists(fx.clipPath(clip) + frames.at(1)));
    EXPECT_EQ(fx.form.lvwFiles.items(), (QStringList{frames.at(0), frames.at(2), frames.at(3)}));
    EXPECT_EQ(shownColour(), 2);

    // Make the video, with the name as the overlay text too
    fx.form.Text1.setText(clip);
    fx.makeVideo();
    EXPECT_EQ(QDir(fx.root() + QStringLiteral("Clips")).entryList(QDir::Files), QStringList{clip + ".avi"});
    const QString video = fx.video(clip);
    const PlayResult played = playCheck(video);
    EXPECT_TRUE(played.ok) << played.errors.toStdString();
    EXPECT_EQ(frameColours(video), (QList<int>{0, 2, 3}));

    // Clip.ini keeps the names as they are
    const QString ini = fx.clipPath(clip) + QStringLiteral("Clip.ini");
    EXPECT_EQ(GetIniString(QStringLiteral("ClipSettings"), QStringLiteral("ClipName"), ini, QString()), clip);
    EXPECT_EQ(GetIniString(QStringLiteral("ClipSettings"), QStringLiteral("Text"), ini, QString()), clip);
    const QByteArray bytes = readFile(ini);
    EXPECT_TRUE(bytes.contains("ClipName=" + (c.ansi ? clip.toLatin1() : clip.toUtf8())));
    for (const RecordedMessage &m : fx.messages.messages())
        EXPECT_EQ(m.buttons, MessageButtons::YesNo) << m.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Names, NamesTest,
                         ::testing::Values(NameCase{"Blanks", "mit Leerzeichen", "frame %1.bmp", true},
                                           NameCase{"Apostrophe", "it's", "a'%1.bmp", true},
                                           NameCase{"DoubleQuotes", "sag \"hallo\"", "\"%1\".bmp", true},
                                           NameCase{"Umlauts", "Grüße", "%1 Größe.bmp", true},
                                           NameCase{"Japanese", "日本", "日本%1.bmp", false},
                                           NameCase{"Greek", "Ελληνικά", "Ελ %1.bmp", false},
                                           NameCase{"LeadingDash", "-x", "-%1.bmp", true},
                                           NameCase{"LeadingDashes", "--root", "--%1.bmp", true}),
                         [](const auto &info) { return std::string(info.param.id); });

} // namespace
