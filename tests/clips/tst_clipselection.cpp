// Selecting a clip: starting format, Clip.ini restore rules and the order of the handlers it raises;
// the format presets and the speed limit.

#include <QFileInfo>

#include <gtest/gtest.h>

#include "services/numbertext.h"
#include "formfixture.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

TEST(ClipSelection, ClipsListedInNameOrderAndFirstSelected)
{
    FormFixture fx;
    fx.makeClip(QStringLiteral("b"), 1);
    fx.makeClip(QStringLiteral("A"), 12);
    fx.makeClip(QStringLiteral("c"), 1);
    fx.start();
    EXPECT_EQ(fx.form.List1.items(), (QStringList{"A", "b", "c"}));
    EXPECT_EQ(fx.form.state.ClipPath, fx.clipPath(QStringLiteral("A")));
    EXPECT_TRUE(QFileInfo(fx.root() + QStringLiteral("Clips")).isDir());
    EXPECT_EQ(fx.form.lbl(0)->caption(), QLatin1String("Frames: 12"));
    EXPECT_EQ(fx.form.slPre.maximum(), 11);
    EXPECT_EQ(fx.form.picTemp.image().pixelColor(1, 1), FormFixture::frameColor(0));
}

TEST(ClipSelection, EmptyClipListSelectsEmptyName)
{
    FormFixture fx;
    fx.start();
    EXPECT_EQ(fx.form.state.ClipPath, fx.framesPath() + QLatin1Char('/'));
    EXPECT_EQ(fx.form.lbl(0)->caption(), QLatin1String("Frames: 0"));
    EXPECT_FALSE(QFileInfo(fx.framesPath()).exists()) << "a missing Frames folder is not created";
}

// The starting format follows the first frame's height; Clip.ini then restores what it holds.
TEST(ClipSelection, StartFormatAndRestoreRules)
{
    struct Case
    {
        const char *name;
        QSize frame;
        const char *ini;
        const char *format, *fps, *width, *height;
        int speed, speedMax;
    };
    const QSize small(320, 240);
    const Case cases[] = {
        {"small", small, "", "VCD PAL", "25", "352", "288", 8, 25},
        {"large", {640, 480}, "", "DVD PAL", "25", "720", "576", 8, 25},
        {"exactly400", {64, 400}, "", "DVD PAL", "25", "720", "576", 8, 25},
        {"hdWithoutWidth", small, "Format=HD 16:9\r\n", "HD 16:9", "25", "720", "576", 8, 25},
        {"widthWithoutFormat", small, "Width=1920\r\n", "VCD PAL", "25", "352", "288", 8, 25},
        {"speedWithinRate", small, "Format=DVD PAL\r\nFrameRate=25\r\nSpeed=20\r\n", "DVD PAL", "25", "720",
         "576", 20, 25},
        {"speedAboveRate", small, "Format=VCD PAL\r\nFrameRate=10\r\nSpeed=20\r\n", "VCD PAL", "10", "720",
         "576", 8, 10},
        {"emptyValuesAreDefaults", small, "Format=DVD NTSC\r\nFrameRate=\r\nSpeed= \r\n", "DVD NTSC", "25",
         "720", "576", 8, 25},
        {"speedOutOfRangeSkipped", small, "Speed=70000\r\n", "VCD PAL", "25", "352", "288", 8, 25},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FormFixture fx;
        fx.makeClip(QStringLiteral("Garten"), 2, c.frame);
        if (*c.ini)
            fx.writeClipIni(QStringLiteral("Garten"), QLatin1String(c.ini));
        fx.start();
        EXPECT_EQ(fx.form.cboFormats.text(), QLatin1String(c.format));
        EXPECT_EQ(fx.form.txtFPS.text(), QLatin1String(c.fps));
        EXPECT_EQ(fx.form.txtWidth.text(), QLatin1String(c.width));
        EXPECT_EQ(fx.form.txtHeight.text(), QLatin1String(c.height));
        EXPECT_EQ(fx.form.scrlSpeed.value(), c.speed);
        EXPECT_EQ(fx.form.scrlSpeed.maximum(), c.speedMax);
    }
}

TEST(ClipSelection, StartFormatReadsTheFrameHeightOfAReducedDecode)
{
    // The preview decodes this JPEG at a quarter, 400 × 300 pixels; the frame has 1200 rows.
    FormFixture fx;
    fx.makeClip(QStringLiteral("Kamera"), 1, QSize(1600, 1200), "jpg");
    fx.start();
    EXPECT_LT(fx.form.picTemp.image().height(), 400);
    EXPECT_EQ(fx.form.picTemp.frameSize(), QSize(1600, 1200));
    EXPECT_EQ(fx.form.cboFormats.text(), QLatin1String("DVD PAL"));
}

// A stored speed within the clip's own rate survives whatever range the clip before left behind.
TEST(ClipSelection, StoredSpeedDoesNotDependOnThePreviousClip)
{
    struct Case
    {
        const char *name;
        const char *firstIni; // "" for no Clip.ini on the clip selected first
        const char *secondIni;
        int speed, speedMax;
    };
    const Case cases[] = {
        {"afterSlowerClip", "Format=VCD PAL\r\nFrameRate=10\r\n",
         "Format=DVD PAL\r\nFrameRate=25\r\nSpeed=20\r\n", 20, 25},
        {"ntscAtStartUp", "Format=DVD NTSC\r\nFrameRate=30\r\nSpeed=28\r\n", "", 28, 30},
        {"aboveOwnRateAfterSlowerClip", "Format=VCD PAL\r\nFrameRate=10\r\n",
         "Format=VCD PAL\r\nFrameRate=10\r\nSpeed=20\r\n", 8, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FormFixture fx;
        fx.makeClip(QStringLiteral("a"), 1);
        fx.makeClip(QStringLiteral("b"), 1);
        if (*c.firstIni)
            fx.writeClipIni(QStringLiteral("a"), QLatin1String(c.firstIni));
        if (*c.secondIni)
            fx.writeClipIni(QStringLiteral("b"), QLatin1String(c.secondIni));
        fx.start();
        if (*c.secondIni) {
            fx.form.List1.setText(QStringLiteral("b"));
            fx.form.List1.setListIndex(1);
        }
        EXPECT_EQ(fx.form.scrlSpeed.value(), c.speed);
        EXPECT_EQ(fx.form.scrlSpeed.maximum(), c.speedMax);
    }
}

TEST(ClipSelection, PositionSizeAndOverlayOptions)
{
    FormFixture fx;
    for (const char *clip : {"a", "b", "c"})
        fx.makeClip(QLatin1String(clip), 1);
    fx.writeClipIni(QStringLiteral("a"),
                    QStringLiteral("Pos=0\r\nSize=3\r\nText=Hallo\r\nBox=1\r\nBorder=1\r\nContainer=MP4\r\n"
                                   "Fit=pad\r\n"));
    fx.writeClipIni(QStringLiteral("c"), QStringLiteral("Pos=7\r\nContainer=mkv\r\nFit=pad\r\n"));
    fx.start();
    EXPECT_EQ(fx.form.cboPosition.text(), QLatin1String("Links oben"));
    EXPECT_EQ(fx.form.cboSize.text(), QLatin1String("Riesig"));
    EXPECT_EQ(fx.form.Text1.text(), QLatin1String("Hallo"));
    EXPECT_EQ(fx.form.Check2.value(), 0) << "the border applied after the box clears it";
    EXPECT_EQ(fx.form.Check3.value(), 1);
    EXPECT_EQ(fx.form.output, (VideoOutput{Container::Mp4, Fit::Pad}));

    fx.form.Check1.setValue(1);
    fx.form.List1.setText(QStringLiteral("b"));
    fx.form.List1.setListIndex(1);
    EXPECT_EQ(fx.form.cboPosition.text(), QLatin1String("Rechts unten")) << "missing Pos";
    EXPECT_EQ(fx.form.cboSize.text(), QLatin1String("Mittel"));
    EXPECT_EQ(fx.form.Text1.text(), QString::fromUtf8("© BRIMHOLT"));
    EXPECT_EQ(fx.form.Check1.value(), 1) << "the overlay switch is not part of a clip's settings";
    EXPECT_EQ(fx.form.output, VideoOutput{}) << "no keys: AVI, stretched";
    fx.form.List1.setText(QStringLiteral("c"));
    fx.form.List1.setListIndex(2);
    EXPECT_EQ(fx.form.cboPosition.text(), QString()) << "Pos above the last entry";
    EXPECT_EQ(fx.form.output, (VideoOutput{Container::Avi, Fit::Pad})) << "an unknown container";
}

TEST(ClipSelection, HandlersRunInOrder)
{
    FormFixture fx;
    fx.makeClip(QStringLiteral("a"), 3);
    fx.writeClipIni(QStringLiteral("a"),
                    QStringLiteral("Format=DVD PAL\r\nDirection=1\r\nBox=1\r\nBorder=1\r\nText=X\r\n"));
    QStringList events;
    QObject::connect(&fx.form.slPre, &ScrollBar::changed, [&] { events << QStringLiteral("slPre"); });
    QObject::connect(&fx.form.cboDirections, &ListControl::clicked,
                     [&] { events << QStringLiteral("direction"); });
    QObject::connect(&fx.form.Check2, &CheckBox::clicked,
                     [&] { events << QStringLiteral("box%1").arg(fx.form.Check2.value()); });
    QObject::connect(&fx.form.Check3, &CheckBox::clicked,
                     [&] { events << QStringLiteral("border%1").arg(fx.form.Check3.value()); });
    QObject::connect(&fx.form.Text1, &TextBox::changed, [&] { events << QStringLiteral("text"); });
    fx.start();
    // The direction handler moves the preview to the last frame (a change event of the slider).
    // The recorder runs after each handler, so nested events show first: the direction's handler
    // moves the slider and shows the frame, ticking the border clears the box from inside it.
    EXPECT_EQ(events, (QStringList{"slPre", "slPre", "direction", "box1", "box0", "border1", "text"}));
    EXPECT_EQ(fx.form.state.PlayDirection, PlayingDirection::Backward);
    EXPECT_EQ(fx.form.slPre.value(), 2);
}

// A preset fills the three boxes; the speed keeps within the new rate.
TEST(FormatPresets, BoxesAndSpeedLimit)
{
    FormFixture fx;
    fx.makeClip(QStringLiteral("a"), 1);
    fx.start();
    const int dvdNtsc = int(fx.form.cboFormats.items().indexOf(QStringLiteral("DVD NTSC")));
    const int vcdPal = int(fx.form.cboFormats.items().indexOf(QStringLiteral("VCD PAL")));
    fx.form.scrlSpeed.setValue(20);
    fx.form.cboFormats.setListIndex(dvdNtsc);
    EXPECT_EQ(fx.form.txtFPS.text() + fx.form.txtWidth.text() + fx.form.txtHeight.text(),
              QLatin1String("30720480"));
    EXPECT_EQ(fx.form.scrlSpeed.value(), 20);
    EXPECT_EQ(fx.form.scrlSpeed.maximum(), 30);
    fx.form.scrlSpeed.setValue(28);
    fx.form.cboFormats.setListIndex(vcdPal);
    EXPECT_EQ(fx.form.scrlSpeed.value(), 8);
    EXPECT_EQ(fx.form.scrlSpeed.maximum(), 25);
    // A text that is no format changes none of the boxes, but the limit still applies.
    fx.form.txtFPS.setText(QStringLiteral("abc"));
    fx.form.cboFormats.setText(QStringLiteral("Eigenes"));
    emit fx.form.cboFormats.clicked();
    EXPECT_EQ(fx.form.txtWidth.text(), QLatin1String("352"));
    EXPECT_EQ(fx.form.scrlSpeed.maximum(), 0);
}

TEST(NumberText, IntegerValue)
{
    EXPECT_EQ(integerValueOf(QStringLiteral("  25 fps")), 25);
    EXPECT_EQ(integerValueOf(QStringLiteral("abc")), 0);
    EXPECT_EQ(integerValueOf(QStringLiteral("2.5")), 2);
    EXPECT_EQ(integerValueOf(QStringLiteral("3.5")), 4);
    EXPECT_EQ(integerValueOf(QStringLiteral("-1.5")), -2);
    EXPECT_EQ(integerValueOf(QStringLiteral("32767")), 32767);
    EXPECT_EQ(integerValueOf(QStringLiteral("32768")), std::nullopt);
    EXPECT_EQ(integerValueOf(QStringLiteral("-32769")), std::nullopt);
    EXPECT_DOUBLE_EQ(numberValueOf(QStringLiteral("12.75x")), 12.75);
}

} // namespace
