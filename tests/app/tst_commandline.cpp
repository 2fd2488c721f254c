// Command-line parsing: modes, batch options, and the usage errors that exit with status 2.
#include <gtest/gtest.h>

#include "app/batchjob.h"
#include "app/commandline.h"
#include "form/mainform.h"
#include "form/showntexts.h"

using namespace tavelon;

namespace {

std::optional<CommandLine> parse(std::initializer_list<const char *> args, QString *error = nullptr)
{
    QStringList list;
    for (const char *a : args)
        list << QString::fromUtf8(a);
    return parseCommandLine(list, error);
}

TEST(CommandLine, Modes)
{
    EXPECT_EQ(parse({})->mode, CommandLine::Mode::Window);
    EXPECT_EQ(parse({"--root", "/x", "--list-clips"})->root, QLatin1String("/x"));
    EXPECT_EQ(parse({"--list-compressors"})->mode, CommandLine::Mode::ListCompressors);
    EXPECT_EQ(parse({"--help"})->mode, CommandLine::Mode::Help);
    EXPECT_EQ(parse({"--version"})->mode, CommandLine::Mode::Version);
}

TEST(CommandLine, MakeVideoOptions)
{
    const auto cl = parse({"--make-video",
                           "-x",
                           "--format",
                           "DVD PAL",
                           "--width",
                           "abc",
                           "--speed",
                           "99",
                           "--direction",
                           "2",
                           "--box",
                           "--text",
                           "",
                           "--position",
                           "0",
                           "--color",
                           "8",
                           "--overlay",
                           "--compressor",
                           "mjpeg",
                           "--quality",
                           "100",
                           "--overwrite",
                           "--container",
                           "MP4",
                           "--fit=pad"});
    ASSERT_TRUE(cl);
    const BatchOptions &b = cl->batch;
    EXPECT_EQ(b.clip, QLatin1String("-x")) << "a clip named like an option is a clip";
    EXPECT_EQ(b.width, QStringLiteral("abc")) << "box texts are taken as given";
    EXPECT_EQ(b.text, QString());
    EXPECT_EQ((QStringList{*b.format, *b.compressor}), (QStringList{"DVD PAL", "mjpeg"}));
    EXPECT_EQ(b.container, Container::Mp4);
    EXPECT_EQ(b.fit, Fit::Pad);
    EXPECT_EQ((QList<std::optional<int>>{b.speed, b.direction, b.color, b.quality}),
              (QList<std::optional<int>>{99, 2, 8, 100}));
    EXPECT_TRUE(b.box && b.overlay && b.overwrite);
    EXPECT_FALSE(b.border || b.beep);
}

TEST(CommandLine, OptionsInAnyOrderLastValueWins)
{
    const auto cl = parse(
        {"--speed=5", "--root", "/r", "--make-video", "--text", "--direction", "1", "--direction", "0"});
    ASSERT_TRUE(cl);
    EXPECT_EQ(cl->mode, CommandLine::Mode::MakeVideo);
    EXPECT_EQ(cl->batch.clip, QLatin1String("--text")) << "the clip is the argument after --make-video";
    EXPECT_EQ(cl->batch.speed, 5);
    EXPECT_EQ(cl->batch.direction, 0);
    EXPECT_EQ(cl->root, QLatin1String("/r"));
}

TEST(CommandLine, UsageErrors)
{
    const std::initializer_list<const char *> bad[] = {
        {"--bogus"},
        {"--format", "DVD PAL"},                   // a batch option without --make-video
        {"--make-video"},                          // no clip
        {"--make-video", "a", "--direction", "3"}, // out of range
        {"--make-video", "a", "--color", "7"},     // there is no swatch 7
        {"--make-video", "a", "--quality", "101"},
        {"--make-video", "a", "--position", "x"},
        {"--make-video", "a", "--speed"},      // value missing
        {"--list-clips", "--make-video", "a"}, // two modes
        {"--make-video", "a", "b"},            // a stray argument
        {"--root", ""},
        {"--make-video", "a", "--compressor", ""},
        {"--make-video", "a", "--container", "mkv"},
        {"--make-video", "a", "--fit", "crop"},
    };
    for (const auto &args : bad) {
        QString error;
        EXPECT_FALSE(parse(args, &error)) << (*args.begin());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(error.contains(QLatin1Char('\n')));
    }
}

TEST(BatchProgress, BarThenTheLanguagesWords)
{
    MainForm form;
    EXPECT_EQ(progressLine(shownText(form, ShownText::BatchProgress), 10, 40, 2.0, 10),
              QStringLiteral("[###-------] Frame 10 / 40, 5.0 Frames/s, noch 0:06"));
    EXPECT_EQ(progressLine(QStringLiteral("%1 of %2 (%4 left)"), 40, 40, 4.0, 4),
              QStringLiteral("[####] 40 of 40 (0:00 left)"));
}

} // namespace
