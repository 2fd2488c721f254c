// Navigation, playback passes and frame deletion, driven through the form's controls.
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

#include "form/playingdirection.h"
#include "testsupport.h"

using namespace tavelon;
using namespace tavelon::test;
using namespace Qt::StringLiterals;

namespace {

// The direction is read once for each kind of run, in the order forward, backward, forward and
// back: a change during a forward run adds the backward passes, a change back to forward during a
// backward run adds nothing. The frame count is read at the start of each pass.
TEST(PlayingDirection, RunSeesChangesAtItsNextTest)
{
    EXPECT_EQ(frameOrder(directionFromCode(2), 3), (QList<int>{0, 1, 2, 1, 0}));
    EXPECT_EQ(frameOrder(directionFromCode(2), 1), (QList<int>{0}));
    EXPECT_EQ(frameOrder(directionFromCode(-1), 3), (QList<int>{}));
    using enum PlayingDirection;
    const std::tuple<PlayingDirection, PlayingDirection, QList<int>> cases[] = {
        {Forward, Backward, {0, 1, 2, 2, 1, 0}},
        {Backward, Forward, {2, 1, 0}},
        {Forward, ForwardAndBack, {0, 1, 2, 0, 1, 2, 1, 0}},
    };
    for (const auto &[from, to, expected] : cases) {
        PlayingDirection direction = from;
        QList<int> steps;
        EXPECT_TRUE(runPasses([&] { return direction; }, [] { return 3; },
                              [&, to = to](int i) { return steps << i, direction = to, true; }));
        EXPECT_EQ(steps, expected);
    }
    int count = 3;
    QList<int> steps;
    // A frame deleted meanwhile; false ends the run.
    EXPECT_FALSE(runPasses([] { return ForwardAndBack; }, [&] { return count; },
                           [&](int i) { return steps << i, count = 2, steps.size() < 4; }));
    EXPECT_EQ(steps, (QList<int>{0, 1, 2, 0}))
        << "the return pass starts from the new count; false ends the run";
}

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Deleted frames go to a trash of the test's own, never the user's.
        QDir().mkpath(fx.root() + u"xdg"_s);
        qputenv("XDG_DATA_HOME", (fx.root() + u"xdg"_s).toUtf8());
    }
    void startWith(int frames)
    {
        fx.makeClip(u"clip"_s, frames);
        fx.start();
        fx.form.scrlSpeed.setMaximum(30);
        fx.form.scrlSpeed.setValue(30); // 10 ms a frame keeps the tests short
    }
    QList<int> play(int direction)
    {
        fx.form.cboDirections.setListIndex(direction);
        QList<int> shown;
        auto c =
            QObject::connect(&fx.form.slPre, &ScrollBar::changed, [&] { shown << fx.form.slPre.value(); });
        fx.form.cmdPlay.click();
        QObject::disconnect(c);
        return shown;
    }
    FormFixture fx;
};

TEST_F(PlayerTest, PassOrderForEachDirection)
{
    startWith(5);
    bool disabledWhilePlaying = false;
    QObject::connect(&fx.logic->player, &Player::stepped, [&] {
        disabledWhilePlaying = !fx.form.cmdNext.isEnabled() && !fx.form.cmdDelFrame.isEnabled();
    });
    EXPECT_EQ(play(0), (QList<int>{1, 2, 3, 4})); // starts on frame 0 already shown
    EXPECT_EQ(play(1), (QList<int>{3, 2, 1, 0})); // starts on the last frame
    EXPECT_EQ(play(2), (QList<int>{1, 2, 3, 4, 3, 2, 1, 0}));
    EXPECT_EQ(fx.form.cmdPlay.value(), 0) << "the end of a pass raises the play button";
    EXPECT_TRUE(disabledWhilePlaying);
    EXPECT_TRUE(fx.form.cmdNext.isEnabled() && fx.form.cmdDelFrame.isEnabled());
}

TEST_F(PlayerTest, StopDuringWaitEndsPlayback)
{
    startWith(5);
    fx.form.scrlSpeed.setValue(1); // one second a frame
    fx.form.chkRepeat.setValue(1);
    QTimer::singleShot(50, [&] { fx.form.cmdStop.click(); });
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(play(0).isEmpty());
    EXPECT_LT(t.elapsed(), 900);
    EXPECT_EQ(fx.form.cmdPlay.value(), 0);
}

// The buttons stop at the ends; a frame that cannot be read moves the counter but keeps the picture;
// while a video is written the writer, not the slider, draws the preview and no frame is deleted. In
// a clip without frames the buttons do nothing and a repeated playback ends.
TEST_F(PlayerTest, Navigation)
{
    startWith(3);
    ASSERT_TRUE(writeFile(fx.clipPath(u"clip"_s) + u"f001.bmp"_s, "not a picture"));
    fx.form.cmdBack.click();
    EXPECT_EQ(fx.form.slPre.value(), 0);
    EXPECT_EQ(fx.form.picPre.image().pixelColor(347, 283), FormFixture::frameColor(0));
    const QImage before = fx.form.picPre.image();
    fx.form.cmdNext.click();
    EXPECT_EQ(fx.form.lblCurFrame.caption(), u"2"_s);
    EXPECT_TRUE(fx.form.state.CurrentFramePath.endsWith(u"f001.bmp"_s));
    EXPECT_EQ(fx.form.picPre.image(), before);
    fx.form.state.MakingVideo = true;
    fx.form.cmdLast.click();
    EXPECT_EQ(fx.form.lblCurFrame.caption(), u"3"_s);
    EXPECT_EQ(fx.form.picTemp.image().pixelColor(0, 0), FormFixture::frameColor(2));
    EXPECT_EQ(fx.form.picPre.image(), before) << "the writer draws the preview";
    fx.form.cmdDelFrame.click();
    EXPECT_TRUE(fx.messages.messages.isEmpty());
    EXPECT_EQ(QDir(fx.clipPath(u"clip"_s)).entryList(QDir::Files).size(), 3);
    fx.form.state.MakingVideo = false;
    fx.form.cmdNext.click();
    EXPECT_EQ(fx.form.slPre.value(), 2);
    fx.form.cmdFirst.click();
    EXPECT_EQ(fx.form.state.CurrentFramePath, fx.clipPath(u"clip"_s) + u"f000.bmp"_s);

    FormFixture none;
    none.start();
    for (CommandButton *b : {&none.form.cmdFirst, &none.form.cmdBack, &none.form.cmdNext, &none.form.cmdLast})
        b->click();
    EXPECT_EQ(none.form.slPre.value(), 0);
    none.form.chkRepeat.setValue(1);
    none.form.cmdPlay.click();
    EXPECT_EQ(none.form.cmdPlay.value(), 0);
}

TEST_F(PlayerTest, DeletionUpdatesListSliderAndLabels)
{
    // frames, index, answer, frames left, index shown, file shown
    const std::tuple<int, int, MessageAnswer, int, int, const char *> rows[] = {
        {10, 3, MessageAnswer::Yes, 9, 3, "f004.bmp"},
        {10, 9, MessageAnswer::Yes, 9, 8, "f008.bmp"},
        {1, 0, MessageAnswer::Yes, 0, -1, ""},
        {4, 2, MessageAnswer::No, 4, 2, "f002.bmp"},
    };
    for (const auto &[frames, index, answer, framesLeft, shownIndex, shownFile] : rows) {
        SCOPED_TRACE(index);
        FormFixture f;
        f.makeClip(u"clip"_s, frames);
        f.start();
        f.form.slPre.setValue(index);
        f.messages.queueAnswer(answer);
        f.form.cmdDelFrame.click();
        EXPECT_EQ(f.form.cmdDelFrame.value(), 0) << "the button springs back";
        ASSERT_EQ(f.messages.messages.size(), 1);
        EXPECT_EQ(f.messages.messages[0].text, u"Aktuellen Frame wirklich löschen ?"_s);
        EXPECT_EQ(f.messages.messages[0].defaultAnswer, MessageAnswer::Yes);
        EXPECT_EQ(QDir(f.clipPath(u"clip"_s)).entryList(QDir::Files).size(), framesLeft);
        EXPECT_EQ(f.form.lbl(0)->caption(), u"Frames: %1"_s.arg(framesLeft));
        EXPECT_EQ(f.form.slPre.value(), shownIndex);
        EXPECT_EQ(f.form.lblCurFrame.caption(), QString::number(shownIndex + 1));
        EXPECT_TRUE(f.form.state.CurrentFramePath.endsWith(QLatin1String(shownFile)));
    }
}

} // namespace
