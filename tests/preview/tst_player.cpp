// Navigation, playback passes and frame deletion, driven through the form's controls.
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include "form/playingdirection.h"
#include "formfixture.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

TEST(PlayingDirection, FrameOrderOfEachDirection)
{
    const struct
    {
        const char *name;
        int code;
        int frames;
        QList<int> order;
    } cases[] = {
        {"forward", 0, 3, {0, 1, 2}},
        {"backward", 1, 3, {2, 1, 0}},
        {"forward and back: the turning frame once", 2, 3, {0, 1, 2, 1, 0}},
        {"forward and back, one frame: the return pass is empty", 2, 1, {0}},
        {"no frames", 2, 0, {}},
        {"no direction chosen", -1, 3, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(frameOrder(directionFromCode(c.code), c.frames), c.order) << c.name;
}

// The direction is read once for each kind of run, in the order forward, backward, forward and
// back: a change during a forward run adds the backward passes, a change back to forward during a
// backward run adds nothing. The frame count is read at the start of each pass.
TEST(PlayingDirection, RunSeesChangesAtItsNextTest)
{
    const struct
    {
        const char *name;
        PlayingDirection from;
        PlayingDirection to;
        QList<int> steps;
    } cases[] = {
        {"forward, then backward", PlayingDirection::Forward, PlayingDirection::Backward, {0, 1, 2, 2, 1, 0}},
        {"backward, then forward", PlayingDirection::Backward, PlayingDirection::Forward, {2, 1, 0}},
        {"forward, then forward and back",
         PlayingDirection::Forward,
         PlayingDirection::ForwardAndBack,
         {0, 1, 2, 0, 1, 2, 1, 0}},
    };
    for (const auto &c : cases) {
        PlayingDirection direction = c.from;
        QList<int> steps;
        EXPECT_TRUE(runPasses([&] { return direction; }, [] { return 3; },
                              [&](int i) {
                                  steps << i;
                                  direction = c.to;
                                  return true;
                              }))
            << c.name;
        EXPECT_EQ(steps, c.steps) << c.name;
    }
    int count = 3;
    QList<int> steps;
    EXPECT_FALSE(runPasses([] { return PlayingDirection::ForwardAndBack; }, [&] { return count; },
                           [&](int i) {
                               steps << i;
                               count = 2; // a frame deleted meanwhile
                               return steps.size() < 4;
                           }));
    EXPECT_EQ(steps, (QList<int>{0, 1, 2, 0}))
        << "the return pass starts from the new count; false ends the run";
}

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Deleted frames go to a trash of the test's own, never the user's.
        QDir().mkpath(fx.root() + QStringLiteral("xdg"));
        qputenv("XDG_DATA_HOME", (fx.root() + QStringLiteral("xdg")).toUtf8());
    }
    void startWith(int frames)
    {
        fx.makeClip(QStringLiteral("clip"), frames);
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
    EXPECT_TRUE(fx.form.cmdNext.isEnabled());
    EXPECT_TRUE(fx.form.cmdDelFrame.isEnabled());
}

TEST_F(PlayerTest, StepsIncludeUnchangedFramesAndOneFrameClips)
{
    startWith(1);
    for (int direction : {0, 1, 2}) {
        QList<int> steps;
        auto c = QObject::connect((&fx.logic->player), &Player::stepped, [&](int i) { steps << i; });
        fx.form.cboDirections.setListIndex(direction);
        fx.form.cmdPlay.click();
        QObject::disconnect(c);
        EXPECT_EQ(steps, QList<int>{0}) << "direction " << direction;
    }
}

TEST_F(PlayerTest, StopDuringWaitEndsPlayback)
{
    startWith(5);
    fx.form.scrlSpeed.setValue(1); // one second a frame
    fx.form.chkRepeat.setValue(1);
    QTimer::singleShot(50, [&] { fx.form.cmdStop.click(); });
    QElapsedTimer t;
    t.start();
    const QList<int> shown = play(0);
    EXPECT_LT(t.elapsed(), 900);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(fx.form.cmdPlay.value(), 0);
    EXPECT_TRUE(fx.logic->player.isStopRequested());
}

TEST(FrameDelay, Speeds)
{
    const std::pair<int, float> rows[] = {{1, 1.0f}, {8, 0.125f}, {25, 0.04f}, {26, 0.01f}, {30, 0.01f}};
    for (auto [speed, seconds] : rows)
        EXPECT_FLOAT_EQ(Player::frameDelay(speed), seconds) << speed;
}

// The buttons stop at the ends; a frame that cannot be read moves the counter but keeps the picture;
// while a video is written the writer, not the slider, draws the preview. In a clip without frames
// the buttons do nothing and a repeated playback ends.
TEST_F(PlayerTest, Navigation)
{
    startWith(3);
    QFile f(fx.clipPath(QStringLiteral("clip")) + QStringLiteral("f001.bmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a picture");
    f.close();
    fx.form.cmdBack.click();
    EXPECT_EQ(fx.form.slPre.value(), 0);
    EXPECT_EQ(fx.form.picPre.image().pixelColor(347, 283), FormFixture::frameColor(0));
    const QImage before = fx.form.picPre.image();
    fx.form.cmdNext.click();
    EXPECT_EQ(fx.form.lblCurFrame.caption(), QLatin1String("2"));
    EXPECT_TRUE(fx.form.state.CurrentFramePath.endsWith(QLatin1String("f001.bmp")));
    EXPECT_EQ(fx.form.picPre.image(), before);
    EXPECT_EQ(fx.form.picTemp.image().pixelColor(0, 0), FormFixture::frameColor(0));
    fx.form.state.MakingVideo = true;
    fx.form.cmdLast.click();
    EXPECT_EQ(fx.form.slPre.value(), 2);
    EXPECT_EQ(fx.form.lblCurFrame.caption(), QLatin1String("3"));
    EXPECT_EQ(fx.form.picTemp.image().pixelColor(0, 0), FormFixture::frameColor(2));
    EXPECT_EQ(fx.form.picPre.image(), before) << "the writer draws the preview";
    fx.form.state.MakingVideo = false;
    fx.form.cmdNext.click();
    EXPECT_EQ(fx.form.slPre.value(), 2);
    fx.form.cmdFirst.click();
    EXPECT_EQ(fx.form.slPre.value(), 0);
    EXPECT_EQ(fx.form.state.CurrentFramePath,
              fx.clipPath(QStringLiteral("clip")) + QStringLiteral("f000.bmp"));

    FormFixture none;
    none.start();
    for (CommandButton *b : {&none.form.cmdFirst, &none.form.cmdBack, &none.form.cmdNext, &none.form.cmdLast})
        b->click();
    EXPECT_EQ(none.form.slPre.value(), 0);
    none.form.chkRepeat.setValue(1);
    none.form.cmdPlay.click();
    EXPECT_EQ(none.form.cmdPlay.value(), 0);
}

struct DeleteCase
{
    const char *name;
    int frames;
    int index;
    MessageAnswer answer;
    int framesLeft;
    int shownIndex;
    const char *shownFile;
};

class Deletion : public PlayerTest, public ::testing::WithParamInterface<DeleteCase>
{
};

TEST_P(Deletion, UpdatesListSliderAndLabels)
{
    const DeleteCase &c = GetParam();
    fx.makeClip(QStringLiteral("clip"), c.frames);
    fx.start();
    fx.form.slPre.setValue(c.index);
    fx.messages.queueAnswer(c.answer);
    fx.form.cmdDelFrame.click();
    EXPECT_EQ(fx.form.cmdDelFrame.value(), 0) << "the button springs back";
    ASSERT_EQ(fx.messages.messages().size(), 1);
    EXPECT_EQ(fx.messages.messages().at(0).text, QString::fromUtf8("Aktuellen Frame wirklich löschen ?"));
    EXPECT_EQ(fx.messages.messages().at(0).defaultAnswer, MessageAnswer::Yes);
    EXPECT_EQ(QDir(fx.clipPath(QStringLiteral("clip"))).entryList(QDir::Files).size(), c.framesLeft);
    EXPECT_EQ(fx.form.lbl(0)->caption(), QStringLiteral("Frames: %1").arg(c.framesLeft));
    EXPECT_EQ(fx.form.slPre.value(), c.shownIndex);
    EXPECT_EQ(fx.form.lblCurFrame.caption(), QString::number(c.shownIndex + 1));
    if (c.shownFile) {
        EXPECT_TRUE(fx.form.state.CurrentFramePath.endsWith(QLatin1String(c.shownFile)));
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, Deletion,
                         ::testing::Values(DeleteCase{"middle", 10, 3, MessageAnswer::Yes, 9, 3, "f004.bmp"},
                                           DeleteCase{"last", 10, 9, MessageAnswer::Yes, 9, 8, "f008.bmp"},
                                           DeleteCase{"only", 1, 0, MessageAnswer::Yes, 0, -1, nullptr},
                                           DeleteCase{"answerNo", 4, 2, MessageAnswer::No, 4, 2, "f002.bmp"}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST_F(PlayerTest, DeletionRefusedWhileMakingVideo)
{
    startWith(2);
    fx.form.state.MakingVideo = true;
    fx.form.cmdDelFrame.click();
    EXPECT_TRUE(fx.messages.messages().isEmpty());
    EXPECT_EQ(QDir(fx.clipPath(QStringLiteral("clip"))).entryList(QDir::Files).size(), 2);
}

} // namespace
