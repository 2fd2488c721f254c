// Closing the window ends the program: a running playback stops, a video being written is closed
// properly first so the frames written so far play.
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include "formfixture.h"
#include "ui/mainwindow.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

class ClosingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.makeClip(QStringLiteral("clip"), 6);
        fx.start();
        window = std::make_unique<MainWindow>(fx.form);
        QObject::connect(window.get(), &MainWindow::closed, fx.logic.get(), &FormLogic::shutdown);
        window->show();
    }
    FormFixture fx;
    std::unique_ptr<MainWindow> window;
};

TEST_F(ClosingTest, EndsARepeatingPlayback)
{
    fx.form.chkRepeat.setValue(1);
    fx.form.scrlSpeed.setValue(25);
    QTimer::singleShot(150, window.get(), [this] { window->close(); });
    fx.form.cmdPlay.click(); // returns only when the playback has ended
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fx.logic->player.isStopRequested());
}

TEST_F(ClosingTest, ClosesTheVideoBeingWrittenSoItPlays)
{
    if (!haveFfmpegTools())
        GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
    fx.useFixedCompressor();
    fx.form.txtWidth.setText(QStringLiteral("32"));
    fx.form.txtHeight.setText(QStringLiteral("24"));
    QObject::connect(&fx.logic->command.writer(), &VideoWriter::progress, window.get(), [this](int i, int) {
        if (i == 3)
            window->close();
    });
    fx.form.Command1.click();
    const auto p = probe(fx.video(QStringLiteral("clip")));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->frames, 3);
    EXPECT_FALSE(QFile::exists(fx.root() + QStringLiteral("temp.bmp")));
    EXPECT_FALSE(fx.form.state.MakingVideo);
}

} // namespace
