// Selecting a clip: the clip list, starting format and Clip.ini restore rules; the speed limit of a
// format.
#include <QFileInfo>

#include <gtest/gtest.h>

#include <tuple>

#include "services/numbertext.h"
#include "testsupport.h"

using namespace tavelon;
using namespace tavelon::test;
using namespace Qt::StringLiterals;

namespace {

TEST(ClipSelection, ClipsListedInNameOrderAndFirstSelected)
{
    FormFixture fx;
    fx.makeClip(u"b"_s, 1);
    fx.makeClip(u"A"_s, 12);
    fx.start();
    EXPECT_EQ(fx.form.List1.items(), (QStringList{"A", "b"}));
    EXPECT_EQ(fx.form.state.ClipPath, fx.clipPath(u"A"_s));
    EXPECT_TRUE(QFileInfo(fx.root() + u"Clips"_s).isDir());
    EXPECT_EQ(fx.form.lbl(0)->caption(), u"Frames: 12"_s);
    EXPECT_EQ(fx.form.slPre.maximum(), 11);
    EXPECT_EQ(fx.form.picTemp.image().pixelColor(1, 1), FormFixture::frameColor(0));

    FormFixture empty;
    empty.start();
    EXPECT_EQ(empty.form.state.ClipPath, empty.framesPath() + u'/');
    EXPECT_EQ(empty.form.lbl(0)->caption(), u"Frames: 0"_s);
    EXPECT_FALSE(QFileInfo::exists(empty.framesPath())) << "a missing Frames folder is not created";
}

// The starting format follows the first frame's height; Clip.ini then restores what it holds.
TEST(ClipSelection, StartFormatAndRestoreRules)
{
    // first frame, Clip.ini, then format, rate, width, speed and its maximum
    const std::tuple<QSize, const char *, const char *, int, int> cases[] = {
        {{320, 240}, "", "VCD PAL 25 352", 8, 25},
        {{64, 400}, "", "DVD PAL 25 720", 8, 25},
        {{320, 240}, "Format=HD 16:9\r\n", "HD 16:9 25 720", 8, 25}, // the width stays
        {{320, 240}, "Width=1920\r\n", "VCD PAL 25 352", 8, 25},     // no width without a format
        {{320, 240}, "Format=DVD PAL\r\nFrameRate=25\r\nSpeed=20\r\n", "DVD PAL 25 720", 20, 25},
        {{320, 240}, "Format=VCD PAL\r\nFrameRate=10\r\nSpeed=20\r\n", "VCD PAL 10 720", 8, 10},
        {{320, 240}, "Format=DVD NTSC\r\nFrameRate=\r\nSpeed= \r\n", "DVD NTSC 25 720", 8, 25},
        {{320, 240}, "Speed=70000\r\n", "VCD PAL 25 352", 8, 25},
    };
    for (const auto &[frame, ini, boxes, speed, speedMax] : cases) {
        SCOPED_TRACE(ini);
        FormFixture fx;
        fx.makeClip(u"Garten"_s, 2, frame);
        fx.writeClipIni(u"Garten"_s, QLatin1String(ini));
        fx.start();
        EXPECT_EQ(fx.form.cboFormats.text() + " " + fx.form.txtFPS.text() + " " + fx.form.txtWidth.text(),
                  QLatin1String(boxes));
        EXPECT_EQ(fx.form.scrlSpeed.value(), speed);
        EXPECT_EQ(fx.form.scrlSpeed.maximum(), speedMax);
    }
    // The preview decodes this JPEG at a quarter, 400 × 300 pixels; the frame has 1200 rows.
    FormFixture fx;
    fx.makeClip(u"Kamera"_s, 1, QSize(1600, 1200), "jpg");
    fx.start();
    EXPECT_LT(fx.form.picTemp.image().height(), 400);
    EXPECT_EQ(fx.form.cboFormats.text(), u"DVD PAL"_s);
}

// A stored speed within the clip's own rate survives whatever range the clip before left behind.
TEST(ClipSelection, StoredSpeedDoesNotDependOnThePreviousClip)
{
    // the first clip's Clip.ini, the second's ("": none), the speed and its maximum
    const std::tuple<const char *, const char *, int, int> cases[] = {
        {"Format=VCD PAL\r\nFrameRate=10\r\n", "Format=DVD PAL\r\nFrameRate=25\r\nSpeed=20\r\n", 20, 25},
        {"Format=DVD NTSC\r\nFrameRate=30\r\nSpeed=28\r\n", "", 28, 30},
        {"Format=VCD PAL\r\nFrameRate=10\r\n", "Format=VCD PAL\r\nFrameRate=10\r\nSpeed=20\r\n", 8, 10},
    };
    for (const auto &[firstIni, secondIni, speed, speedMax] : cases) {
        SCOPED_TRACE(secondIni);
        FormFixture fx;
        fx.makeClip(u"a"_s, 1);
        fx.makeClip(u"b"_s, 1);
        fx.writeClipIni(u"a"_s, QLatin1String(firstIni));
        if (*secondIni) {
            fx.writeClipIni(u"b"_s, QLatin1String(secondIni));
            fx.start();
            fx.form.List1.setText(u"b"_s);
            fx.form.List1.setListIndex(1);
        } else {
            fx.start();
        }
        EXPECT_EQ(fx.form.scrlSpeed.value(), speed);
        EXPECT_EQ(fx.form.scrlSpeed.maximum(), speedMax);
    }
}

TEST(ClipSelection, PositionSizeAndOverlayOptions)
{
    FormFixture fx;
    for (const char *clip : {"a", "b", "c"})
        fx.makeClip(QLatin1String(clip), 1);
    fx.writeClipIni(u"a"_s,
                    u"Pos=0\r\nSize=3\r\nText=Hallo\r\nBox=1\r\nBorder=1\r\nContainer=MP4\r\nFit=pad\r\n"_s);
    fx.writeClipIni(u"c"_s, u"Pos=7\r\nContainer=mkv\r\nFit=pad\r\n"_s);
    fx.start();
    EXPECT_EQ(fx.form.cboPosition.text(), u"Links oben"_s);
    EXPECT_EQ(fx.form.cboSize.text(), u"Riesig"_s);
    EXPECT_EQ(fx.form.Text1.text(), u"Hallo"_s);
    EXPECT_EQ(fx.form.Check2.value(), 0) << "the border applied after the box clears it";
    EXPECT_EQ(fx.form.Check3.value(), 1);
    EXPECT_EQ(fx.form.output, (VideoOutput{Container::Mp4, Fit::Pad}));

    fx.form.Check1.setValue(1);
    fx.form.List1.setText(u"b"_s);
    fx.form.List1.setListIndex(1);
    EXPECT_EQ(fx.form.cboPosition.text(), u"Rechts unten"_s) << "missing Pos";
    EXPECT_EQ(fx.form.cboSize.text(), u"Mittel"_s);
    EXPECT_EQ(fx.form.Text1.text(), u"© BRIMHOLT"_s);
    EXPECT_EQ(fx.form.Check1.value(), 1) << "the overlay switch is not part of a clip's settings";
    EXPECT_EQ(fx.form.output, VideoOutput{}) << "no keys: AVI, stretched";
    fx.form.List1.setText(u"c"_s);
    fx.form.List1.setListIndex(2);
    EXPECT_EQ(fx.form.cboPosition.text(), QString()) << "Pos above the last entry";
    EXPECT_EQ(fx.form.output, (VideoOutput{Container::Avi, Fit::Pad})) << "an unknown container";
}

// The speed keeps within a new format's rate; a text that is no format changes no box, but the
// limit of the rate box still applies.
TEST(ClipSelection, FormatChangeLimitsTheSpeed)
{
    FormFixture fx;
    fx.makeClip(u"a"_s, 1);
    fx.start();
    fx.form.scrlSpeed.setValue(20);
    fx.form.cboFormats.setListIndex(int(fx.form.cboFormats.items().indexOf(u"DVD NTSC"_s)));
    EXPECT_EQ(fx.form.scrlSpeed.value(), 20);
    EXPECT_EQ(fx.form.scrlSpeed.maximum(), 30);
    fx.form.scrlSpeed.setValue(28);
    fx.form.cboFormats.setListIndex(int(fx.form.cboFormats.items().indexOf(u"VCD PAL"_s)));
    EXPECT_EQ(fx.form.scrlSpeed.value(), 8);
    EXPECT_EQ(fx.form.scrlSpeed.maximum(), 25);
    fx.form.txtFPS.setText(u"abc"_s);
    fx.form.cboFormats.setText(u"Eigenes"_s);
    emit fx.form.cboFormats.clicked();
    EXPECT_EQ(fx.form.txtWidth.text(), u"352"_s);
    EXPECT_EQ(fx.form.scrlSpeed.maximum(), 0);
}

TEST(NumberText, IntegerValue)
{
    const std::pair<const char *, std::optional<int>> rows[] = {{"  25 fps", 25},
                                                                {"abc", 0},
                                                                {"2.5", 2},
                                                                {"3.5", 4},
                                                                {"-1.5", -2},
                                                                {"32767", 32767},
                                                                {"32768", std::nullopt},
                                                                {"-32769", std::nullopt}};
    for (const auto &[text, value] : rows)
        EXPECT_EQ(integerValueOf(QLatin1String(text)), value) << text;
    EXPECT_DOUBLE_EQ(numberValueOf(u"12.75x"_s), 12.75);
}

} // namespace
