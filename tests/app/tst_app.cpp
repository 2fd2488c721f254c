// The services below the form: command line, window placement, the 1252 code page, files and
// folders, the clip and frame lists, the instance lock and the sound.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <tuple>

#include "app/batchjob.h"
#include "app/centerform.h"
#include "app/commandline.h"
#include "form/mainform.h"
#include "form/showntexts.h"
#include "services/clipscan.h"
#include "services/codepage1252.h"
#include "services/fileservices.h"
#include "services/inifile.h"
#include "services/instancelock.h"
#include "services/sound.h"

using namespace tavelon;
using namespace Qt::StringLiterals;

namespace {

std::optional<CommandLine> parse(const QStringList &args, QString *error = nullptr)
{
    return parseCommandLine(args, error);
}

// The batch options' meanings are checked end to end in tst_batch; here what the parser adds.
TEST(CommandLine, ModesAndOptionsInAnyOrderLastValueWins)
{
    EXPECT_EQ(parse({})->mode, CommandLine::Mode::Window);
    EXPECT_EQ(parse({"--version"})->mode, CommandLine::Mode::Version);
    const auto cl =
        parse({"--speed=5", "--root", "/r", "--make-video", "--text", "--direction", "1", "--direction", "2",
               "--quality", "100", "--box", "--container", "MP4", "--fit=pad", "--language=English"});
    ASSERT_TRUE(cl);
    EXPECT_EQ(cl->root, u"/r"_s);
    EXPECT_EQ(cl->batch.clip, u"--text"_s) << "the clip is the argument after --make-video";
    EXPECT_EQ((QList<std::optional<int>>{cl->batch.speed, cl->batch.direction, cl->batch.quality}),
              (QList<std::optional<int>>{5, 2, 100}));
    EXPECT_TRUE(cl->batch.box && !cl->batch.border && !cl->batch.compressor);
    EXPECT_EQ(cl->batch.container, Container::Mp4);
    EXPECT_EQ(cl->batch.fit, Fit::Pad);
    EXPECT_EQ(cl->language, u"English"_s);
}

TEST(CommandLine, UsageErrors)
{
    const QStringList bad[] = {
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
        {"--language", ""},
        {"--language", "../../etc/English"}, // a name, not a path
    };
    for (const QStringList &args : bad) {
        QString error;
        EXPECT_FALSE(parse(args, &error)) << args.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty() || error.contains(u'\n'));
    }
}

TEST(BatchProgress, BarThenTheLanguagesWords)
{
    MainForm form;
    EXPECT_EQ(progressLine(shownText(form, ShownText::BatchProgress), 10, 40, 2.0, 10),
              u"[###-------] Frame 10 / 40, 5.0 Frames/s, noch 0:06"_s);
    EXPECT_EQ(progressLine(u"%1 of %2 (%4 left)"_s, 40, 40, 4.0, 4), u"[####] 40 of 40 (0:00 left)"_s);
}

TEST(CenterForm, PlacesWindowsByTheRule)
{
    const std::tuple<QSize, QSize, QPoint> rows[] = {
        {{10, 10}, {10, 1050}, {0, 441}},      // 0.85 × 1050 = 892.5 rounds up, then halves
        {{101, 51}, {1001, 1001}, {450, 400}}, // halves towards zero
        {{100, 900}, {1000, 1000}, {450, 0}},  // taller than 85 %
        {{1200, 100}, {1000, 1000}, {0, 375}}, // wider than the screen
    };
    for (const auto &[window, screen, expected] : rows)
        EXPECT_EQ(CenterForm(window, screen), expected) << window.width();
}

TEST(Codepage1252, EveryByteRoundTripsOtherCharactersAreRefused)
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    EXPECT_EQ(encode1252(decode1252(all)), all) << "undefined bytes keep their value";
    EXPECT_EQ(decode1252("\x80\x8A\x9F\xF6"), u"€ŠŸö"_s);
    EXPECT_FALSE(encode1252(u"Ω"_s) || encode1252(QString(QChar(0x80))) || encode1252(u"😀"_s));
}

// A settings file is read as UTF-8 only when its bytes are strictly valid UTF-8, else as 1252.
TEST(Codepage1252, IniTextIsUtf8OnlyWhenStrictlyValid)
{
    // Two, three and four bytes; overlong, overlong of three, a surrogate, above U+10FFFF, a cut
    // sequence, a lone continuation byte.
    const std::pair<QByteArray, bool> rows[] = {{"\xC3\xB6\xE2\x82\xAC\xF0\x9F\x98\x80", true},
                                                {"H\xF6he", false},
                                                {"\xC0\xAF", false},
                                                {"\xE0\x80\xAF", false},
                                                {"\xED\xA0\x80", false},
                                                {"\xF4\x90\x80\x80", false},
                                                {"\xE2\x82", false},
                                                {"\x80", false}};
    QTemporaryDir dir;
    const QString path = dir.filePath(u"t.ini"_s);
    for (const auto &[bytes, valid] : rows) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[S]\r\nK=x" + bytes + "x\r\n");
        file.close();
        EXPECT_EQ(GetIniString("S", "K", path, QString()),
                  valid ? QString::fromUtf8("x" + bytes + "x") : decode1252("x" + bytes + "x"))
            << bytes.toHex().toStdString();
    }
}

class FileServices : public ::testing::Test
{
protected:
    bool touch(const QString &path) { return QFile(root + path).open(QIODevice::WriteOnly); }
    bool mkpath(const QString &path) { return QDir().mkpath(root + path); }
    QTemporaryDir tmp;
    const QString root = tmp.path() + pathSeparator();
};

// A path through a file or a relative one cannot be made, and the current folder stays.
TEST_F(FileServices, CreatePathRefusesFilesAndRelativePaths)
{
    const QString cwd = QDir::currentPath();
    QString twoLevels = root + "a/b";
    EXPECT_TRUE(CreatePath(twoLevels) && FolderExists(twoLevels));
    ASSERT_TRUE(touch("file"));
    for (QString path : {root + "file/sub/", u"rel/"_s})
        EXPECT_FALSE(CreatePath(path)) << path.toStdString();
    EXPECT_FALSE(QFileInfo::exists(cwd + "/rel"));
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST_F(FileServices, EntriesIgnoringCase)
{
    const std::tuple<QStringList, const char *, std::optional<QString>> rows[] = {
        {{"clip.ini", "Clip.ini", "CLIP.INI"}, "Clip.ini", "Clip.ini"}, // the exact spelling wins
        {{"a.bmp", "clip.ini"}, "Clip.ini", "clip.ini"},
        {{"frames", "FRAMES", "Frames2", "fRAMES"}, "Frames", "FRAMES"}, // the first in byte order
        {{u"ÜBUNG"_s}, "übung", u"ÜBUNG"_s},
        {{"Clip.ini.bak", "Clip.in"}, "Clip.ini", std::nullopt},
    };
    for (const auto &[entries, wanted, found] : rows)
        EXPECT_EQ(entryIgnoringCase(entries, QString::fromUtf8(wanted)), found) << wanted;
    ASSERT_TRUE(mkpath("frames") && touch("halvane.ini"));
    EXPECT_EQ(pathIgnoringCase(root, "Frames"), root + "frames");
    EXPECT_EQ(pathIgnoringCase(root, "Halvane.ini"), root + "halvane.ini");
    EXPECT_EQ(pathIgnoringCase(root + "missing/", "Clip.ini"), root + "missing/Clip.ini");
}

// Clips are the direct sub-folders in case-blind order; frames the BMP and JPG files in name order.
TEST_F(FileServices, ClipAndFrameLists)
{
    for (const char *folder :
         {"Frames/b", "Frames/A", "Frames/c/nested", "Frames/.hidden", "Frames/x", "Frames/X", "Frames/_u"})
        ASSERT_TRUE(mkpath(QString::fromUtf8(folder)));
    ASSERT_TRUE(touch("Frames/loose.jpg"));
    const QStringList clips = {".hidden", "_u", "A", "b", "c", "X", "x"};
    EXPECT_EQ(listClips(root + "Frames"), clips);
    EXPECT_EQ(listClips(root + "Frames/"), clips);

    ASSERT_TRUE(mkpath("clip/y.jpg") && mkpath("clip/sub"));
    for (const char *file :
         {"f10.jpg", "f2.bmp", "F1.BMP", "notes.txt", "x.jpeg", "g.JpG", "bmp", "sub/inner.jpg"})
        ASSERT_TRUE(touch(u"clip/"_s + QString::fromUtf8(file)));
    EXPECT_EQ(listFrames(root + "clip/"), (QStringList{"F1.BMP", "f10.jpg", "f2.bmp", "g.JpG"}));
    for (const QString &p : {root + "missing", root + "clip/f2.bmp", QString()})
        EXPECT_TRUE(listClips(p).isEmpty() && listFrames(p).isEmpty()) << p.toStdString();
}

TEST(InstanceLock, OneCopyPerProgramFolder)
{
    QTemporaryDir a, b;
    auto first = std::make_unique<InstanceLock>(a.path());
    ASSERT_TRUE(first->tryLock());
    InstanceLock sameFolder(a.path() + "/./");
    EXPECT_FALSE(sameFolder.tryLock());
    EXPECT_TRUE(InstanceLock(b.path()).tryLock());
    first.reset();
    EXPECT_TRUE(sameFolder.tryLock());
}

TEST(Sound, BeepIsAWaveAndPlayingReturnsAtOnceWithoutASoundServer)
{
    EXPECT_TRUE(resourceSound("beep").startsWith("RIFF"));
    for (const char *name : {"", "NOSUCH", "../sounds/beep", "beep.wav"})
        EXPECT_TRUE(resourceSound(name).isEmpty()) << name;
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/tavelon-test/native");
    QElapsedTimer timer;
    timer.start();
    PlayResourceSound("BEEP");
    PlayResourceSound("BEEP", 6);
    EXPECT_LT(timer.elapsed(), 1000);
    qputenv("PULSE_SERVER", saved);
}

} // namespace
