// Clips: selecting one (the clip list, starting format, Clip.ini restore rules, the speed limit of
// a format), making its video (the command and the writer on real files, read back by ffprobe),
// checking it (numbering rules, a folder with every kind of problem, the lists following the
// folders), and the batch mode as a user runs it: the program, its exit codes, output and files.
#include <QSignalSpy>

#include "form/clipsettings.h"
#include "form/uitext.h"
#include "batchfixture.h"
#include "image/clipcheck.h"
#include "services/instancelock.h"
#include "services/numbertext.h"

using namespace tavelon::test;

namespace {

// name, first frame (a JPEG when taller than 1000), Clip.ini, then format, rate and width boxes,
// speed and its maximum
using StartRow = std::tuple<const char *, QSize, const char *, const char *>;
using StartingFormatTest = ::testing::TestWithParam<StartRow>;

// The starting format follows the first frame's height; Clip.ini then restores what it holds.
TEST_P(StartingFormatTest, FollowsTheFirstFrameThenClipIni)
{
    const auto &[name, frame, ini, shown] = GetParam();
    FormFixture fx;
    fx.makeClip(u"Garten"_s, 2, frame, frame.height() > 1000 ? "jpg" : "bmp");
    fx.writeClipIni(u"Garten"_s, QLatin1String(ini));
    fx.start();
    const MainForm &f = fx.form;
    EXPECT_EQ(u"%1 %2 %3 %4/%5"_s.arg(f.formatBox.text(), f.frameRateBox.text(), f.widthBox.text())
                  .arg(f.speedBar.value())
                  .arg(f.speedBar.maximum()),
              QLatin1String(shown));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StartingFormatTest,
    ::testing::Values(
        StartRow{"LowFrame", {320, 240}, "", "VCD PAL 25 352 8/25"},
        StartRow{"TallNarrowFrame", {64, 400}, "", "DVD PAL 25 720 8/25"},
        // The preview decodes this JPEG at a quarter; the format follows the frame's own 1200 rows.
        StartRow{"LargeJpegByItsOwnHeight", {1600, 1200}, "", "DVD PAL 25 720 8/25"},
        StartRow{"StoredFormatKeepsTheWidth", {320, 240}, "Format=HD 16:9\r\n", "HD 16:9 25 720 8/25"},
        StartRow{"NoWidthWithoutAFormat", {320, 240}, "Width=1920\r\n", "VCD PAL 25 352 8/25"},
        StartRow{"SpeedWithinRate", {320, 240}, "Format=DVD PAL\r\nSpeed=20", "DVD PAL 25 720 20/25"},
        StartRow{"SpeedAboveRate",
                 {320, 240},
                 "Format=VCD PAL\r\nFrameRate=10\r\nSpeed=20",
                 "VCD PAL 10 720 8/10"},
        StartRow{
            "EmptyValues", {320, 240}, "Format=DVD NTSC\r\nFrameRate=\r\nSpeed= ", "DVD NTSC 25 720 8/25"}),
    rowName);

TEST(ClipSelection, PositionSizeAndOverlayOptions)
{
    FormFixture fx;
    for (const char *clip : {"a", "b", "c"})
        fx.makeClip(QLatin1String(clip), 1);
    fx.writeClipIni(u"a"_s,
                    u"Pos=0\r\nSize=3\r\nText=Hallo\r\nBox=1\r\nBorder=1\r\nContainer=MP4\r\nFit=pad\r\n"_s);
    fx.writeClipIni(u"c"_s, u"Pos=7\r\nBox=0\r\nBorder=1\r\nContainer=mkv\r\nFit=pad\r\n"_s);
    fx.start();
    MainForm &f = fx.form;
    const auto shown = [&] {
        return QStringList{f.overlayCorner.text(), f.overlaySize.text(), f.overlayText.text(),
                           QString::number(f.overlayBox.value()), QString::number(f.overlayBorder.value())};
    };
    EXPECT_EQ(shown(), (QStringList{"Links oben", "Riesig", "Hallo", "0", "1"}))
        << "the border clears the box";
    EXPECT_EQ(f.output, (VideoOutput{Container::Mp4, Fit::Pad}));
    f.showOverlay.setValue(1);
    f.clipList.setListIndex(1);
    EXPECT_EQ(shown(), (QStringList{"Rechts unten", "Mittel", "© BRIMHOLT", "0", "0"})) << "no keys";
    EXPECT_EQ(f.showOverlay.value(), 1) << "the overlay switch is not part of a clip's settings";
    EXPECT_EQ(f.output, VideoOutput{}) << "no keys: AVI, stretched";
    f.clipList.setListIndex(2);
    EXPECT_EQ(shown(), (QStringList{"", "Mittel", "© BRIMHOLT", "0", "1"})) << "Pos above the last entry";
    EXPECT_EQ(f.output, (VideoOutput{Container::Avi, Fit::Pad})) << "an unknown container";
}

// The speed keeps within a new format's rate; a text that is no format changes no box, but the
// limit of the rate box still applies until the next clip restores its own.
TEST(ClipSelection, FormatChangeLimitsTheSpeed)
{
    FormFixture fx;
    fx.makeClip(u"a"_s, 1);
    fx.makeClip(u"b"_s, 1);
    fx.writeClipIni(u"b"_s, u"Format=DVD PAL\r\nFrameRate=25\r\nSpeed=20\r\n"_s);
    fx.start();
    MainForm &f = fx.form;
    const auto speed = [&] { return std::pair(f.speedBar.value(), f.speedBar.maximum()); };
    // speed set, format chosen, speed and maximum after
    for (const auto &[set, format, after] : {std::tuple{20, "DVD NTSC", std::pair(20, 30)},
                                             {30, "VCD NTSC", {30, 30}}, // the rate itself is within it
                                             {28, "VCD PAL", {8, 25}}}) {
        f.speedBar.setValue(set);
        f.formatBox.setListIndex(int(f.formatBox.items().indexOf(QLatin1String(format))));
        EXPECT_EQ(speed(), after) << format;
    }
    f.frameRateBox.setText(u"abc"_s);
    f.formatBox.setText(u"Eigenes"_s);
    emit f.formatBox.clicked();
    EXPECT_EQ(f.widthBox.text(), u"352"_s);
    EXPECT_EQ(f.speedBar.maximum(), 0);
    // A stored speed within the next clip's own rate survives whatever range this one left behind.
    f.clipList.setListIndex(1);
    EXPECT_EQ(speed(), std::pair(20, 25));
}

// Options far from every default, so that a field left out shows: applied to the form and read
// back, and stored in Clip.ini and read back over any base.
TEST(ClipOptions, ComeBackWholeFromTheFormAndFromClipIni)
{
    ClipOptions o;
    o.setFormat(formatPresets().at(5));
    o.width = u"700"_s;
    o.speed = 12;
    o.direction = PlayingDirection::ForwardAndBack;
    o.overlay = {true, false, true, u"Sommer"_s, 1, 3, QColor(255, 0, 0), QColor(0, 0, 255)};
    o.output = {Container::Mp4, Fit::Crop, 5, u"song.mp3"_s};
    FormFixture fx;
    fx.makeClip(u"a"_s, 1);
    fx.start();
    ASSERT_NE(fx.form.options(), o);
    fx.form.apply(o);
    EXPECT_EQ(fx.form.options(), o);
    EXPECT_EQ(fx.form.state.PlayDirection, PlayingDirection::ForwardAndBack) << "the direction's handler ran";
    EXPECT_EQ(fx.form.overlayCorner.text(), u"Rechts oben"_s);

    const QString clip = fx.clipPath(u"a"_s);
    ASSERT_TRUE(ClipSettings(clip).write(o, u"a"_s));
    // Whether the text box is shown is stored, never restored; the colours are not stored.
    ClipOptions base;
    base.overlay.shown = true;
    base.overlay.textColor = o.overlay.textColor;
    base.overlay.boxColor = o.overlay.boxColor;
    EXPECT_EQ(ClipSettings(clip).options(base), o);
    // A number that cannot stand for an option keeps the base's (what missing and empty keys give:
    // the clip restore tests above).
    ASSERT_TRUE(writeFile(clip + u"Clip.ini"_s, "[ClipSettings]\r\nSpeed=70000\r\n"));
    EXPECT_EQ(ClipSettings(clip).options(o).speed, o.speed);
}

TEST(NumberText, IntegerValue)
{
    QList<std::optional<int>> values;
    for (const char *text : {"  25 fps", "abc", "2.5", "3.5", "-1.5", "32767", "32768", "-32769"})
        values << integerValueOf(QLatin1String(text));
    EXPECT_EQ(values, (QList<std::optional<int>>{25, 0, 2, 4, -2, 32767, {}, {}}));
    EXPECT_DOUBLE_EQ(numberValueOf(u"12.75x"_s), 12.75);
}

// A clip made into a video by the window's command; Row is the row type of a value-parameterised test.
template <typename Row = int> class VideoCommandFixture : public ::testing::TestWithParam<Row>
{
protected:
    void start(int frames)
    {
        fx.makeClip(u"Garten"_s, frames);
        fx.start();
    }
    QString video() const { return fx.video(u"Garten"_s); }
    QString clips() const { return fx.root() + u"Clips/"_s; }
    QStringList clipsFiles() const { return QDir(clips()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QByteArray clipIni() const { return readFile(fx.clipPath(u"Garten"_s) + u"Clip.ini"_s); }
    void writeOldVideo()
    {
        QDir().mkpath(clips());
        ASSERT_TRUE(writeFile(video(), "old"));
    }
    // act runs while the writer reports its second frame.
    QMetaObject::Connection atSecondFrame(const std::function<void()> &act)
    {
        return QObject::connect(&fx.logic->writer, &VideoWriter::progress, [act](int i, int) {
            if (i == 2)
                act();
        });
    }
    // The finish sounds so far and where the video ended up.
    std::tuple<int, QString> outcome() const { return {beeps, fx.logic->command.lastVideoPath()}; }
    FormFixture fx;
    int beeps = 0;
    const QMetaObject::Connection counter =
        QObject::connect(&fx.logic->command, &VideoCommand::videoCompleted, [this] { ++beeps; });
};
using VideoCommandTest = VideoCommandFixture<>;

// The pass order is one function shared with the player (tst_preview); here the writer follows it.
TEST_F(VideoCommandTest, BackwardVideoHasTheFramesInPassOrder)
{
    start(3);
    fx.form.directionBox.setListIndex(1);
    fx.makeVideo();
    EXPECT_EQ(frameColours(video()), (QList<int>{2, 1, 0}));
    const Probe p = probe(video());
    EXPECT_EQ(std::tuple(p.ok, p.width, p.height, p.frameRate, beeps), std::tuple(true, 32, 24, u"8/1"_s, 1));
    EXPECT_EQ(QDir(fx.root()).entryList({u"temp*"_s}, QDir::Files), QStringList())
        << "the run's bitmap file is gone";
}

// A clip another copy is writing (here one on another machine sharing the folder) is refused with
// a message; nothing is written, Clip.ini included. The same process asking again is granted.
TEST_F(VideoCommandTest, ClipWrittenByAnotherCopyIsRefused)
{
    start(2);
    const InstanceLock probeLock(fx.root(), u"Garten"_s);
    ASSERT_TRUE(writeFile(probeLock.lockFilePath(), "4242\nbrimholt-tavelon\nanother-host\n"));
    fx.makeVideo();
    QFile::remove(probeLock.lockFilePath());
    EXPECT_EQ(fx.messages.errors(), QStringList{fx.form.uiText(kUiClipBusy)});
    EXPECT_FALSE(QFile::exists(video()));
    EXPECT_EQ(clipIni(), QByteArray());

    InstanceLock batch(fx.root(), u"Garten"_s);
    ASSERT_TRUE(batch.tryLock());
    fx.makeVideo();
    EXPECT_EQ(probe(video()).frames, 2);
}

TEST_F(VideoCommandTest, OverwriteQuestionAndNaming)
{
    start(1);
    writeOldVideo();
    ASSERT_TRUE(writeFile(fx.video(u"Garten_2"_s), "old"));
    fx.messages.queueAnswer(MessageAnswer::No);
    fx.makeVideo();
    ASSERT_EQ(fx.messages.messages.size(), 1);
    EXPECT_EQ(fx.messages.messages[0].defaultAnswer, MessageAnswer::No) << "its words: BatchMessageTest";
    EXPECT_TRUE(QFile::exists(fx.video(u"Garten_3"_s)));

    // A cancelled compression dialog asks nothing and changes no file (what a run that replaces a
    // video keeps is the replace tests' below).
    fx.chooser.choice.reset();
    fx.messages.messages.clear();
    fx.makeVideo();
    EXPECT_EQ(readFile(video()), "old") << "cancelled";
    EXPECT_TRUE(fx.messages.messages.isEmpty()) << "nothing is asked after a cancel";
    EXPECT_EQ(beeps, 1);
}

// A size or rate box that does not hold a positive number keeps the previous picture size and is
// not stored, so the clip's next run starts from its last good values.
TEST_F(VideoCommandTest, BadSizeBoxKeepsThePictureSizeAndIsNotStored)
{
    start(2);
    fx.makeVideo();
    fx.form.widthBox.setText(u"abc"_s);
    fx.form.heightBox.setText(u"-5"_s);
    fx.form.frameRateBox.setText(QString());
    fx.messages.queueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(fx.runCommand());
    const Probe p = probe(video());
    EXPECT_EQ(std::tuple(p.ok, p.width, p.height, p.frames), std::tuple(true, 32, 24, 2));
    EXPECT_TRUE(clipIni().contains("FrameRate=25\r\nWidth=32\r\nHeight=24\r\n")) << clipIni().toStdString();
}

// ---- A video being replaced ------------------------------------------------------------------

// Stop ends only the run it was clicked in. Yes then replaces the video only when the new one is
// complete: while frames are written the old bytes stay. The new video has the rights any new file
// gets, no scratch file is left, and the finish sound comes.
TEST_F(VideoCommandTest, StoppedRunThenACompleteOneReplacesTheVideoAtItsEnd)
{
    start(30);
    const QMetaObject::Connection stopper = atSecondFrame([this] { fx.form.stopButton.click(); });
    fx.makeVideo();
    ASSERT_EQ(beeps, 0);
    QObject::disconnect(stopper);
    const QByteArray old = readFile(video());
    QByteArray whileWriting;
    atSecondFrame([&] { whileWriting = readFile(video()); });
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.makeVideo();
    ASSERT_TRUE(writeFile(clips() + u"fresh"_s, "new"));
    EXPECT_EQ(std::tuple(whileWriting, probe(video()).frames, clipsFiles(), outcome()),
              std::tuple(old, 30, QStringList{u"Garten.avi"_s, u"fresh"_s}, std::tuple(1, video())));
    EXPECT_EQ(QFileInfo(video()).permissions(), QFileInfo(clips() + u"fresh"_s).permissions());
}

// A run cut short (Stop, or the program ending) while it replaces a video leaves the old video as it
// was; the file it wrote is closed properly, so its frames play, under the next free name. No
// finish sound; the clip's options are stored.
using CutShort = std::pair<const char *, void (*)(FormFixture &)>; // name, how the run is cut short

using CutShortRunTest = VideoCommandFixture<CutShort>;

TEST_P(CutShortRunTest, KeepsTheOldVideo)
{
    start(60);
    writeOldVideo();
    atSecondFrame([this] { GetParam().second(fx); });
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.makeVideo();
    const QString kept = fx.video(u"Garten_2"_s);
    const Probe p = probe(kept);
    // A run may have written its last frame before it is told.
    EXPECT_TRUE(p.ok && p.frames >= 2 && p.frames <= 60) << p.frames << p.errors.toStdString();
    EXPECT_EQ(std::tuple(readFile(video()), frameColours(kept).mid(0, 2), clipsFiles(), outcome()),
              std::tuple(QByteArray("old"), QList<int>{0, 1}, QStringList{u"Garten.avi"_s, u"Garten_2.avi"_s},
                         std::tuple(0, kept)));
    EXPECT_NE(clipIni(), QByteArray()) << "the options are stored";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CutShortRunTest,
    ::testing::Values(CutShort{"Stop", [](FormFixture &f) { f.form.stopButton.click(); }},
                      CutShort{"WindowClosed", [](FormFixture &f) { f.logic->shutdown(); }}),
    rowName);

// An encoder that refuses the frame size (MPEG-4 Part 2 takes no side above 8191) fails before a
// frame is written: the old video stays, nothing else is left, and the failure is reported.
TEST_F(VideoCommandTest, EncoderFailureKeepsTheOldVideoAndLeavesNothing)
{
    start(2);
    writeOldVideo();
    fx.chooser.choice = CompressOptions{u"mpeg4"_s};
    fx.setVideoSize(8200, 16);
    fx.messages.queueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(fx.runCommand());
    EXPECT_EQ(std::tuple(fx.messages.errors(), readFile(video()), clipsFiles(), outcome()),
              std::tuple(QStringList{fx.form.uiText(kUiWriteFailed)}, QByteArray("old"),
                         QStringList{u"Garten.avi"_s}, std::tuple(0, QString())));
}

// A Clip.ini written by hand keeps what the program does not own: comments, other sections, unknown
// keys and their line ends; known keys change in place, missing ones follow the section's last line
// in their order (a position that is none of the list's is stored as the first, the text in Latin-1).
TEST_F(VideoCommandTest, ClipIniKeepsWhatItDoesNotOwnAndAddsTheKeysInOrder)
{
    fx.makeClip(u"Garten"_s, 1);
    ASSERT_TRUE(writeFile(fx.clipPath(u"Garten"_s) + u"Clip.ini"_s,
                          "; von Hand\r\n[Andere]\r\nA=1\r\n[ClipSettings]\r\nUnbekannt=ja\nSpeed=12\n\r\n"
                          "[Danach]\r\nB=2"));
    fx.start();
    fx.form.overlayCorner.setText(u"nirgends"_s);
    fx.form.overlayText.setText(u"© Wald"_s);
    fx.makeVideo();
    EXPECT_EQ(
        clipIni(),
        QByteArray("; von Hand\r\n[Andere]\r\nA=1\r\n[ClipSettings]\r\nUnbekannt=ja\nSpeed=12\r\n"
                   "ClipName=Garten\r\nFormat=VCD PAL\r\nFrameRate=25\r\nWidth=32\r\nHeight=24\r\n"
                   "Direction=0\r\nCopyright=0\r\nText=\xA9 Wald\r\nBorder=0\r\nBox=0\r\nPos=0\r\n"
                   "Size=1\r\nContainer=avi\r\nFit=stretch\r\nDeflicker=0\r\nAudio=\r\n\r\n[Danach]\r\nB=2"));
}

TEST_F(VideoCommandTest, SecondRequestWhileWritingIsRefused)
{
    start(3);
    int nested = 0;
    QObject::connect(&fx.logic->command.writer(), &VideoWriter::progress, [&] {
        EXPECT_FALSE(fx.form.playButton.isEnabled() || fx.form.deleteButton.isEnabled());
        fx.form.makeVideoButton.click();
        fx.logic->command.Command1_Click(0);
        ++nested;
    });
    fx.makeVideo();
    EXPECT_EQ(nested, 3);
    EXPECT_EQ(QDir(fx.root() + u"Clips"_s).entryList(QDir::Files).size(), 1);
    EXPECT_TRUE(!fx.form.state.MakingVideo && fx.form.clipList.isEnabled() &&
                fx.form.makeVideoButton.isEnabled() && fx.form.playButton.isEnabled());
}

// Frames before the first readable one take its picture, later ones the frame before them; the run
// ends normally and says how many and which.
TEST_F(VideoCommandTest, UnreadableFramesAreReplacedAndCounted)
{
    const QString clip = fx.clipPath(u"Garten"_s);
    writeFrames(clip, {"f0.jpg", "f1.jpg", "f2.jpg", "f3.jpg", "f4.jpg", "f5.jpg", "f6.jpg"});
    for (const char *name : {"f0.jpg", "f1.jpg", "f4.jpg", "f6.jpg"}) {
        QFile file(clip + QLatin1String(name));
        ASSERT_TRUE(file.resize(file.size() / 2));
    }
    fx.start();
    QStringList notes;
    QObject::connect(&fx.logic->command, &VideoCommand::framesRepeated,
                     [&](const QString &t) { notes << t; });
    fx.makeVideo();
    EXPECT_EQ(frameColours(video()), (QList<int>{2, 2, 2, 3, 3, 5, 5}));
    EXPECT_EQ(notes, QStringList{u"4 Frames konnten nicht gelesen werden, an ihrer Stelle steht ein anderer: "
                                 u"f0.jpg, f1.jpg, f4.jpg, …"_s});
    EXPECT_TRUE(fx.messages.messages.isEmpty());
    EXPECT_EQ(beeps, 1);
}

// Folders copied from a system that ignores letter case: frames/, clips/ and a clip.ini that is read
// and rewritten.
TEST_F(VideoCommandTest, FixedNamesAreFoundWhateverTheirLetterCase)
{
    const QString root = fx.root();
    writeFrames(root + "frames/Garten", {"f0.bmp", "f1.bmp"});
    ASSERT_TRUE(QDir(root).mkpath("clips"));
    ASSERT_TRUE(writeFile(root + "frames/Garten/clip.ini", "[ClipSettings]\r\nText=Hallo\r\nSpeed=12\r\n"));
    fx.form.state.setProgramFolder(root); // start-up forms the paths once the folders are there
    fx.start();
    EXPECT_EQ(fx.form.clipList.items()
                  << fx.form.overlayText.text() << QString::number(fx.form.speedBar.value()),
              (QStringList{"Garten", "Hallo", "12"}));
    fx.makeVideo();
    EXPECT_TRUE(QFileInfo(root + "clips/Garten.avi").isFile());
    EXPECT_FALSE(QFileInfo::exists(root + "Clips") || QFileInfo::exists(root + "frames/Garten/Clip.ini"));
    EXPECT_EQ(GetIniString("ClipSettings", "ClipName", root + "frames/Garten/clip.ini", ""), "Garten");
}

using Kind = ClipProblem::Kind;

TEST(ClipCheck, NumberingRulesAndVideoLength)
{
    // frames in list order: in order; out of order with a gap; letter case ignored; time stamps
    EXPECT_EQ((QList{numberingProblems({"f001.bmp", "f002.bmp", "f003.jpg"}),
                     numberingProblems({"img1.jpg", "img10.jpg", "img9.jpg"}),
                     numberingProblems({"a1.bmp", "A2.bmp", "b1.bmp", "b3.bmp"}),
                     numberingProblems({"IMG_20240101123045.jpg", "IMG_20240101123112.jpg", "x.bmp"})}),
              (QList<QList<ClipProblem>>{
                  {},
                  {{Kind::OutOfOrder, "img9.jpg", "img10.jpg", {}}, {Kind::Gap, "img1.jpg", "img9.jpg", {}}},
                  {{Kind::Gap, "b1.bmp", "b3.bmp", {}}},
                  {}}));

    EXPECT_EQ(videoFrameCount(3, PlayingDirection::ForwardAndBack), 5);
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
    EXPECT_EQ(std::tuple(r.complete, r.frames, r.firstSize), std::tuple(true, 5, QSize(32, 24)));
    const QList<ClipProblem> expected = {{Kind::Unreadable, "f002.jpg", {}, {}},
                                         {Kind::SizeDiffers, "f003.bmp", {}, QSize(16, 16)},
                                         {Kind::Gap, "f003.bmp", "f005.bmp", {}},
                                         {Kind::NotAFrame, "notes.txt", {}, {}}};
    EXPECT_EQ(r.problems, expected) << "Clip.ini is no problem";
    fx.start();
    const QStringList report = clipCheckReport(r, fx.form, 3, PlayingDirection::ForwardAndBack);
    ASSERT_EQ(report.size(), 5);
    EXPECT_EQ(report.at(1), u"f003.bmp: 16 × 16 Pixel, der erste Frame hat 32 × 24"_s);
    EXPECT_EQ(report.last(), u"5 Frames, erster Frame 32 × 24 Pixel, Länge 3.0 s bei 3 Bildern/s"_s);
    // A check that ended before it read a frame knows the count, not the size.
    EXPECT_EQ(clipCheckReport({{}, 4, QSize(), false}, fx.form, 2, PlayingDirection::Forward),
              (QStringList{u"Prüfung unvollständig"_s,
                           u"4 Frames, erster Frame ? × ? Pixel, Länge 2.0 s bei 2 Bildern/s"_s}));

    int calls = 0;
    EXPECT_FALSE(checkClip(folder, [&] { return ++calls > 3; }).complete);
}

// The window checks the selected clip in the background and shows the video's length; a check still
// running when another clip is chosen is cancelled: only the later clip's result shows.
TEST_F(BadClip, WindowChecksTheSelectedClipAndShowsTheLength)
{
    fx.logic->startBackgroundWork();
    QSignalSpy done(&fx.logic->clipStatus, &ClipStatus::checkFinished);
    fx.start();                       // selects Bad
    fx.form.clipList.setListIndex(1); // Good: 3 frames, no Clip.ini, so speed 8 and forward
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(done.wait(300)) << "the first check is never shown";
    EXPECT_EQ(std::tuple(done.size(), fx.form.clipCheckResult.caption() + fx.form.videoLength.caption(),
                         fx.logic->clipStatus.lastResult().frames),
              std::tuple(qsizetype(1), u"Clip in OrdnungLänge: 0.4 s"_s, 3));
    fx.form.speedBar.setValue(5);
    fx.form.directionBox.setListIndex(2);
    EXPECT_EQ(fx.form.videoLength.caption(), u"Länge: 1.0 s"_s);

    fx.form.clipList.setListIndex(0); // Bad: speed 3, forward and back
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(fx.form.clipCheckResult.caption() + fx.form.videoLength.caption(),
              u"4 Probleme gefundenLänge: 3.0 s"_s);
    EXPECT_TRUE(fx.form.clipCheckResult.toolTip().startsWith(u"f002.jpg: Frame nicht lesbar"_s));
}

// Clip B of four frames, the third shown, and clip D; the lists follow the folders.
TEST(FollowingFolders, ListsChangeButNotTheSelectionOrTheFrameShownNorWhileAVideoIsWritten)
{
    FormFixture fx;
    fx.makeClip(u"B"_s, 4);
    fx.makeClip(u"D"_s, 1);
    fx.logic->startBackgroundWork();
    fx.start();
    fx.form.frameSlider.setValue(2);
    const auto b = [&](const char *file) { return fx.clipPath(u"B"_s) + QLatin1String(file); };
    writeFrames(fx.clipPath(u"B"_s), {"a.bmp"}); // sorts first
    QFile::remove(b("f003.bmp"));
    fx.makeClip(u"A"_s, 1);
    ASSERT_TRUE(QDir(fx.framesPath()).rename(u"D"_s, u"C"_s));
    fx.logic->watcher.apply();
    EXPECT_EQ(std::tuple(fx.form.clipList.items(), fx.form.clipList.listIndex(), fx.form.frameFiles.items(),
                         fx.form.frameCount.caption()),
              std::tuple(QStringList{"A", "B", "C"}, 1,
                         QStringList{"a.bmp", "f000.bmp", "f001.bmp", "f002.bmp"}, u"Frames: 4"_s));
    // Still f002.bmp, one place on.
    EXPECT_EQ(std::pair(fx.form.frameSlider.value(), fx.form.state.CurrentFramePath),
              std::pair(3, b("f002.bmp")));

    // The frame shown goes away: the next one takes its place; after the last, the one before.
    fx.form.frameSlider.setValue(1);
    QFile::remove(b("f000.bmp"));
    fx.logic->watcher.apply();
    EXPECT_EQ(fx.form.state.CurrentFramePath, b("f001.bmp"));
    fx.form.frameSlider.setValue(2);
    QFile::remove(b("f002.bmp"));
    fx.logic->watcher.apply();
    EXPECT_EQ(fx.form.frameSlider.maximum(), 1);
    EXPECT_EQ(fx.form.state.CurrentFramePath, b("f001.bmp"));

    // Nothing changes while a video is written, then one update.
    QSignalSpy frames(&fx.logic->watcher, &ClipWatcher::framesChanged);
    fx.form.state.MakingVideo = true;
    writeFrames(fx.clipPath(u"B"_s), {"f004.bmp"});
    fx.logic->watcher.apply();
    EXPECT_EQ(fx.form.frameFiles.count(), 2);
    fx.form.state.MakingVideo = false;
    fx.makeVideo();
    EXPECT_EQ(std::pair(fx.form.frameFiles.count(), int(frames.count())), std::pair(3, 1))
        << "once, after the video";

    // New files are read once their writes have settled: two files, one update.
    fx.logic->watcher.setSettleDelay(50);
    writeFrames(fx.clipPath(u"B"_s), {"f005.bmp", "f006.bmp"});
    ASSERT_TRUE(frames.wait(10000));
    EXPECT_EQ(std::pair(fx.form.frameFiles.count(), int(frames.count())), std::pair(5, 2));
}

using BatchTest = BatchFixture<>;

// Batch mode: a clip without a readable frame is a failure on stderr (exit 1) and leaves no file;
// frames replaced are named on one stderr line, and the video is made (exit 0).
TEST_F(BatchTest, UnreadableFramesAreReportedOnStderr)
{
    QFile cut(fx.clipPath(u"Garten"_s) + u"f001.bmp"_s);
    ASSERT_TRUE(cut.resize(cut.size() / 2));
    const RunResult replaced = run({"--make-video", "Garten"});
    EXPECT_EQ(std::tuple(replaced.code, replaced.err.trimmed()),
              std::tuple(
                  0, u"1 Frame konnte nicht gelesen werden, an seiner Stelle steht ein anderer: f001.bmp"_s));
    EXPECT_EQ(probe(fx.video(u"Garten"_s)).frames, 3);

    QDir().mkpath(fx.clipPath(u"Leer"_s));
    const RunResult empty = run({"--make-video", "Leer"});
    EXPECT_EQ(std::tuple(empty.code, empty.err.count(u'\n'), empty.text()), std::tuple(1, 1, QString()));
    EXPECT_TRUE(
        empty.err.contains(u"Der Clip 'Leer' hat keinen lesbaren Frame: es wurde kein Video erstellt."_s));
    EXPECT_FALSE(QFile::exists(fx.video(u"Leer"_s)));
    // Its check says in words that no video can be made, and fails.
    const RunResult check = run({"--check-clip", "Leer"});
    EXPECT_EQ(std::pair(check.code, check.text()),
              std::pair(1, u"0 Frames, keiner davon lesbar: daraus entsteht kein Video"_s));
}

TEST_F(BatchTest, MakesTheVideoAndPrintsOnlyItsPath)
{
    const RunResult r = run({"--make-video", "Garten", "--format", "VCD NTSC", "--width", "40", "--speed",
                             "99", "--direction", "2", "--compressor", "mjpeg"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // The path printed: NamesPassThroughExactly. --width after --format overrides the preset's width,
    // the height is the preset's; the speed is kept within the scroll bar's range; forward and back
    // makes 5 frames of 3.
    const Probe p = probe(fx.video(u"Garten"_s));
    EXPECT_EQ(std::tuple(p.ok, p.codecName, p.width, p.height, p.frameRate, p.frames),
              std::tuple(true, u"mjpeg"_s, 40, 240, u"30/1"_s, 5));
    EXPECT_EQ(clipIni({"Format", "Width", "Speed", "Direction"}), (QStringList{"VCD NTSC", "40", "30", "2"}));
}

// --keyframes 3 puts a key frame on every third frame from the first (the frames are alike, so the
// encoder adds none for a change of scene).
TEST_F(BatchTest, KeyFramesComeEveryNthFrame)
{
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(fx.addFrame(u"Grau"_s, u"f%1.bmp"_s.arg(i), filled({32, 24}, Qt::gray)));
    ASSERT_EQ(run({"--make-video", "Grau", "--compressor", "h264", "--keyframes", "3"}).code, 0);
    EXPECT_EQ(probe(fx.video(u"Grau"_s)).keyFrames, (QList<int>{0, 3, 6}));
}

TEST_F(BatchTest, OverlayOptionsReachTheFrames)
{
    const RunResult r = run({"--make-video", "Garten", "--format", "VCD PAL", "--overlay", "--box",
                             "--position", "0", "--size", "3", "--text", "Wald", "--color", "1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QByteArray rgb = decodeRgb24(fx.video(u"Garten"_s));
    // VCD, top left, box: anchor (7 + 3 + 7, 7 + 6), so the box starts at (12, 12), left of the text;
    // in every frame, not only in those the preview is shown.
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_LT(colourDistance(rgb, 352, 288, frame, 14, 20, QColor(64, 64, 64)), 8) << frame;
    EXPECT_EQ(clipIni({"Pos", "Size", "Box", "Text", "Copyright"}),
              (QStringList{"0", "3", "1", "Wald", "1"}));

    ASSERT_EQ(run({"--make-video", "Garten", "--overwrite"}).code, 0);
    EXPECT_GT(colourDistance(decodeRgb24(fx.video(u"Garten"_s)), 352, 288, 0, 14, 20, QColor(64, 64, 64)), 30)
        << "without --overlay the frames stay bare, whatever the stored options";
}

// Exit status 2 for usage errors (the parser's own cases are in tst_app), 1 for a failure in the
// language file's words; one line each on stderr.
TEST_F(BatchTest, ChecksAClipAtItsStoredSpeedExitStatusesAndErrorLines)
{
    fx.writeClipIni(u"Garten"_s, u"Speed=5\r\nDirection=2\r\n"_s);
    EXPECT_EQ(run({"--check-clip", "Garten"}).code, 0);
    QFile::remove(fx.clipPath(u"Garten"_s) + u"f001.bmp"_s);
    const RunResult gap = run({"--check-clip", "Garten"});
    EXPECT_EQ(gap.code, 1);
    EXPECT_EQ(QString::fromUtf8(gap.out),
              QStringLiteral("Lücke in der Nummerierung zwischen f000.bmp und f002.bmp\n"
                             "2 Frames, erster Frame 64 × 48 Pixel, Länge 0.6 s bei 5 Bildern/s\n"));
    EXPECT_EQ(run({"--check-clip", "Nirgends"}).code, 2);

    EXPECT_TRUE(run({"--help"}).out.contains("--make-video"));
    EXPECT_TRUE(run({"--list-compressors"}).out.startsWith("uncompressed "));
    // The list warns, in the language asked for, of the compressor browsers do not play in MP4.
    const QStringList listed =
        QString::fromUtf8(run({"--list-compressors", "--language", "English"}).out).split('\n');
    EXPECT_TRUE(listed.contains(
        u"mpeg4          MPEG-4 Part 2 (Web browsers do not play MPEG-4 Part 2 in MP4; choose H.264 for the web.)"_s));
    EXPECT_TRUE(listed.contains(u"h264           H.264 (x264)"_s));

    QDir().mkpath(fx.root() + u"Language"_s);
    ASSERT_TRUE(writeFile(fx.root() + u"Halvane.ini"_s, "[Orrin's Halvane]\r\nLanguage=English\r\n"));
    ASSERT_TRUE(writeFile(fx.root() + u"Language/English3.lng"_s,
                          "#0\r\nlstComments\r\n-1\r\nFrames could not be loaded!\r\n"));
    fx.writeClipIni(u"Garten"_s, u"Format=VCD PAL\r\nWidth=0\r\n"_s); // stored by an older version
    const RunResult r = run({"--make-video", "Garten"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(u"Frames could not be loaded!"_s)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(fx.video(u"Garten"_s))) << "an empty result is removed";
}

// What a refused or questioned batch run prints on stderr: one language throughout (the
// desktop's, unless --language names another; which language wins is tst_app's), and a refusal
// that comes from a stored option names it and the way out. A refused run prints nothing on stdout
// and writes nothing, Clip.ini included.
// name, locale, Clip.ini (nullptr: none), arguments, exit status, the stderr line (UTF-8)
using BatchMessageRow = std::tuple<const char *, const char *, const char *, QStringList, int, const char *>;
using BatchMessageTest = BatchFixture<BatchMessageRow>;

TEST_P(BatchMessageTest, OneLineInTheRunsLanguage)
{
    const auto &[name, locale, clipIni, args, code, line] = GetParam();
    if (clipIni)
        fx.writeClipIni(u"Garten"_s, QString::fromUtf8(clipIni));
    // A video of that name already there: the batch mode answers the question No.
    ASSERT_TRUE(QDir().mkpath(fx.root() + u"Clips"_s) && writeFile(fx.video(u"Garten"_s), "x"));
    const QByteArray ini = readFile(fx.clipPath(u"Garten"_s) + u"Clip.ini"_s);
    const RunResult r = run(args, locale);
    EXPECT_EQ(r.code, code);
    EXPECT_EQ(r.err, QString::fromUtf8(line) + u'\n');
    if (code == 2) {
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(readFile(fx.clipPath(u"Garten"_s) + u"Clip.ini"_s), ini);
        EXPECT_EQ(QDir(fx.root() + u"Clips"_s).entryList(QDir::Files), QStringList{u"Garten.avi"_s});
        EXPECT_EQ(readFile(fx.video(u"Garten"_s)), "x");
    }
}

const QStringList kOverwrite = {"--make-video", "Garten", "--overwrite"};
const char *const kStoredSize = "Width=320\r\nHeight=240\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, BatchMessageTest,
    ::testing::Values(
        BatchMessageRow{"LanguageOptionBeatsTheDesktop", "C", nullptr,
                        QStringList{"--make-video", "Garten", "--bogus", "--language=English"}, 2,
                        "brimholt-tavelon: unknown option '--bogus' (see --help)"},
        BatchMessageRow{"UnknownLanguageListsTheKnown", "C", nullptr,
                        QStringList{"--list-clips", "--language", "Klingonisch"}, 2,
                        "brimholt-tavelon: unbekannte Sprache 'Klingonisch' (bekannt: Deutsch, English)"},
        BatchMessageRow{
            "MissingRootIsAUsageError", "en_US.UTF-8", nullptr,
            QStringList{"--list-clips", "--root", "/nonexistent/tavelon"}, 2,
            "brimholt-tavelon: the program folder '/nonexistent/tavelon' does not exist (--root)"},
        BatchMessageRow{
            "UnknownCompressor", "C", nullptr, QStringList{"--make-video", "Garten", "--compressor", "nope"},
            2, "brimholt-tavelon: unbekanntes Komprimierungsprogramm 'nope' (siehe --list-compressors)"},
        BatchMessageRow{"StoredContainerNamesTheWayOut", "en_US.UTF-8", "Container=mp4\r\n",
                        QStringList{"--make-video", "Garten", "--compressor", "mjpeg"}, 2,
                        "brimholt-tavelon: compressor 'mjpeg' cannot be written into mp4, the clip's stored "
                        "container: add --container avi"},
        BatchMessageRow{"UnknownFormatListsThePresets", "C", nullptr,
                        QStringList{"--make-video", "Garten", "--format", "PAL"}, 2,
                        "brimholt-tavelon: unbekanntes Format 'PAL' (bekannt: \"VCD PAL\", \"VCD NTSC\", "
                        "\"SVCD PAL\", \"SVCD NTSC\", \"DVD PAL\", \"DVD NTSC\", \"HD 16:9\", \"Full-HD "
                        "16:9\", \"4K UHD 16:9\")"},
        // A size or rate that is not a positive number: the option named in the run's language.
        BatchMessageRow{"RateNegative", "C", kStoredSize,
                        kOverwrite + QStringList{"--format", "DVD PAL", "--fps", "-5"}, 2,
                        "brimholt-tavelon: ungültiger Wert '-5' für die Option '--fps': eine Zahl von 1 bis "
                        "32767 wird gebraucht"},
        BatchMessageRow{
            "GermanQuestion", "de_AT.UTF-8", nullptr, QStringList{"--make-video", "Garten"}, 0,
            "Brimholt Tavelon: Frage: Soll die bereits existierende Datei 'Garten.avi' überschrieben "
            "werden ? (Ja/Nein) -> Nein"},
        BatchMessageRow{
            "EnglishQuestion", "en_US.UTF-8", nullptr, QStringList{"--make-video", "Garten"}, 0,
            "Brimholt Tavelon: Question: Shall the existing file 'Garten.avi' be overwritten? (Yes/No) -> "
            "No"}),
    rowName);

// Copies lock the clip they write, not the program folder: while a window runs on the folder and
// another copy writes one clip, a batch run on another clip makes its video; one on that clip ends
// with exit status 3 and one line on stderr.
TEST_F(BatchTest, RunsBesideAWindowAndACopyOnAnotherClip)
{
    fx.makeClip(u"Wald"_s, 2);
    InstanceLock window(fx.root());
    InstanceLock otherCopy(fx.root(), u"Wald"_s);
    ASSERT_TRUE(window.tryLock() && otherCopy.tryLock());
    const RunResult r = run({"--make-video", "Garten"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(probe(fx.video(u"Garten"_s)).frames, 3);
    const RunResult locked = run({"--make-video", "Wald"});
    EXPECT_EQ(std::pair(locked.code, locked.err.count(u'\n')), std::pair(3, qsizetype(1)));
}

// MP4 with H.264 unless told otherwise, kept in Clip.ini with the fit; 64 × 48 frames in a 96 × 48
// video keep their shape between black bars 16 pixels wide, or fill it when stretched.
TEST_F(BatchTest, Mp4AndFitAreStoredAndApplied)
{
    // Exit status, whether stdout names the file, its codec and frames, what lies across the middle
    // row, the stored keys.
    const auto made = [&](const QStringList &args, const QString &file) {
        const RunResult r = run(QStringList{"--make-video", "Garten"} + args);
        const QString path = fx.root() + u"Clips/"_s + file;
        const Probe p = probe(path);
        const QByteArray rgb = decodeRgb24(path);
        QStringList seen{QString::number(r.code),
                         r.out == QFile::encodeName(QDir::cleanPath(path)) + '\n' ? file : r.err, p.codecName,
                         QString::number(p.frames)};
        for (const int x : {3, 12, 48, 84, 92})
            seen << (colourDistance(rgb, 96, 48, 0, x, 24, Qt::black) < 12                    ? u"bar"_s
                     : colourDistance(rgb, 96, 48, 0, x, 24, FormFixture::frameColor(0)) < 12 ? u"frame"_s
                                                                                              : u"?"_s);
        return (seen + clipIni({"Container", "Fit"})).join(u' ');
    };
    EXPECT_EQ(
        made({"--container", "mp4", "--fit", "pad", "--width", "96", "--height", "48"}, u"Garten.mp4"_s),
        u"0 Garten.mp4 h264 3 bar bar frame bar bar mp4 pad"_s);
    EXPECT_EQ(made({}, u"Garten_2.mp4"_s), u"0 Garten_2.mp4 h264 3 bar bar frame bar bar mp4 pad"_s);
    EXPECT_EQ(made({"--fit", "stretch", "--overwrite"}, u"Garten.mp4"_s),
              u"0 Garten.mp4 h264 3 frame frame frame frame frame mp4 stretch"_s);
}

// Clip and frame names with blanks, quotes, umlauts, other scripts and leading dashes, end to end:
// listed, made into a video whose path is printed as it is, and kept in Clip.ini (its encoding is
// tested in tst_app).
TEST_F(BatchTest, NamesPassThroughExactly)
{
    const char *const names[] = {"--root",        "-x",       "Grüße", "it's", "mit Leerzeichen",
                                 "sag \"hallo\"", "Ελληνικά", "日本"}; // as they sort
    ASSERT_TRUE(QDir(fx.clipPath(u"Garten"_s)).removeRecursively());
    QByteArray listing;
    for (const char *utf8 : names) {
        const QString name = QString::fromUtf8(utf8);
        writeFrames(fx.clipPath(name), {name + u" 0.bmp"_s, name + u" 1.jpg"_s});
        listing += QByteArray(utf8) + '\n';
    }
    for (const char *locale : {"C", "C.UTF-8"})
        EXPECT_EQ(run({"--list-clips"}, locale).out, listing) << locale;
    // Per clip: exit status, the path printed, frames of a clean video, the name stored.
    QStringList made, expected;
    for (const char *utf8 : names) {
        const QString name = QString::fromUtf8(utf8);
        const RunResult r = run({"--make-video", name, "--width", "32", "--height", "24"}, "C");
        const Probe p = probe(fx.video(name));
        made << u"%1 %2 %3 %4"_s.arg(r.code).arg(
            QString::fromUtf8(r.out), p.ok ? QString::number(p.frames) : p.errors,
            GetIniString("ClipSettings", "ClipName", fx.clipPath(name) + u"Clip.ini"_s, QString()));
        expected << u"0 %1\n 2 %2"_s.arg(
            QString::fromUtf8(QFile::encodeName(QDir::cleanPath(fx.video(name)))), name);
    }
    EXPECT_EQ(made, expected);
}

// A clip whose frames are all cut off makes no video: nothing is left in Clips/, the window says
// why, no finish sound. Another clip shown before must not stand in for its frames.
TEST_F(VideoCommandTest, CutOffFramesMakeNoVideo)
{
    fx.makeClip(u"Anderer"_s, 2);
    const QString clip = fx.clipPath(u"Garten"_s);
    writeFrames(clip, {"f0.jpg", "f1.jpg"});
    for (const char *file : {"f0.jpg", "f1.jpg"}) {
        QFile f(clip + QLatin1String(file));
        ASSERT_TRUE(f.resize(f.size() / 2));
    }
    fx.start();
    fx.form.clipList.setListIndex(1); // Garten, after the clip shown first
    fx.makeVideo();
    EXPECT_EQ(clipsFiles(), QStringList());
    ASSERT_EQ(fx.messages.errors(),
              QStringList{u"Der Clip 'Garten' hat keinen lesbaren Frame: es wurde kein Video erstellt."_s});
    EXPECT_EQ(std::pair(fx.messages.messages.last().icon, outcome()),
              std::pair(MessageIcon::Warning, std::tuple(0, QString())));
}

} // namespace
