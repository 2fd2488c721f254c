// The services and the form's texts: command line, window placement, the 1252 code page, files and
// folders, the clip and frame lists, the settings (INI) and language files; where the program
// folder is, and an installed copy run as a user runs it.

#include <sys/stat.h>

#include "app/batchjob.h"
#include "app/commandline.h"
#include "app/programfolder.h"
#include "clips/clipstatus.h"
#include "form/languagefile.h"
#include "form/showntexts.h"
#include "form/uitext.h"
#include "form/videoboxes.h"
#include "services/clipscan.h"
#include "services/codepage1252.h"
#include "services/desktoplanguage.h"
#include "services/fileservices.h"
#include "services/inifile.h"
#include "testsupport.h"

using namespace tavelon::test;

namespace {

// The batch options' meanings are checked end to end in tst_clips; here what the parser adds.
TEST(CommandLine, ModesAndOptionsInAnyOrderLastValueWinsUsageErrors)
{
    EXPECT_EQ(parseCommandLine({}, nullptr)->mode, CommandLine::Mode::Window);
    EXPECT_EQ(parseCommandLine({"--version"}, nullptr)->mode, CommandLine::Mode::Version);
    const auto cl = parseCommandLine({"--speed=5", "--root", "/r", "--make-video", "--text", "--direction",
                                      "1", "--direction", "2", "--quality", "100", "--box", "--container",
                                      "MP4", "--fit=pad", "--language=English"},
                                     nullptr);
    ASSERT_TRUE(cl);
    // The clip is the argument after --make-video.
    EXPECT_EQ(std::tuple(cl->root, cl->batch.clip, cl->language),
              std::tuple(u"/r"_s, u"--text"_s, u"English"_s));
    EXPECT_EQ(std::tuple(cl->batch.speed, cl->batch.direction, cl->batch.quality, cl->batch.container,
                         cl->batch.fit),
              std::tuple(std::optional(5), std::optional(2), std::optional(100),
                         std::optional(Container::Mp4), std::optional(Fit::Pad)));
    EXPECT_TRUE(cl->batch.box && !cl->batch.border && !cl->batch.compressor);
    // A refused command line is still told in the language it asks for, wherever --root and
    // --language stand; the clip after --make-video is a name even when it looks like an option.
    const CommandLine refused = rootAndLanguage(
        {"--bogus", "--root=/r", "--make-video", "--language", "--language", "English", "--speed"});
    EXPECT_EQ(std::tuple(refused.root, refused.language), std::tuple(u"/r"_s, u"English"_s));
}

// The options of "--make-video a" and args over the clip's stored ones.
ClipOptions over(const ClipOptions &stored, const QStringList &args)
{
    return withCommandLine(stored, parseCommandLine(QStringList{"--make-video", "a"} + args, nullptr)->batch);
}

// The command line's options go over the clip's stored ones, whatever their order: a format fills
// the boxes that size options override, the speed stays within the final frame rate, and overlay
// and output options change only what they name.
TEST(CommandLineOverStoredOptions, ChangeOnlyWhatTheyNameWithinTheFinalFrameRate)
{
    ClipOptions stored;
    stored.speed = 30;
    const ClipOptions o = over(stored, {"--width", "40", "--format", "VCD PAL"});
    EXPECT_EQ(std::tuple(o.format, o.frameRate, o.width, o.height),
              std::tuple(u"VCD PAL"_s, u"25"_s, u"40"_s, u"288"_s));
    EXPECT_EQ(o.speed, ClipOptions::kStartingSpeed) << "a stored speed above the format's rate falls back";
    EXPECT_EQ(over({}, {"--speed", "99"}).speed, 25);
    EXPECT_EQ(over({}, {"--speed", "40", "--fps", "50"}).speed, 40) << "the range follows --fps, given after";
    EXPECT_EQ(over({}, {"--fps", "10"}).speed, ClipOptions{}.speed) << "--fps alone leaves the speed";

    stored.overlay.box = true;
    stored.output.deflicker = 5;
    const ClipOptions changed = over(stored, {"--border", "--color", "1", "--audio", "t.wav"});
    EXPECT_EQ(std::tuple(changed.overlay.box, changed.overlay.border, changed.overlay.shown,
                         changed.overlay.textColor),
              std::tuple(false, true, false, QColor(255, 0, 0)));
    EXPECT_EQ(std::tuple(changed.overlay.text, changed.overlay.corner, changed.output.deflicker),
              std::tuple(stored.overlay.text, stored.overlay.corner, 5));
    EXPECT_EQ(changed.output.audio, QDir::current().absoluteFilePath(u"t.wav"_s));
}

// A refused command line (its arguments separated by blanks): which message, filled with which
// option and value.
struct Refusal
{
    const char *name, *args;
    ShownText text;
    const char *values;
};
using CommandLineRefusal = ::testing::TestWithParam<Refusal>;

TEST_P(CommandLineRefusal, NamesTheMessageAndWhatCausedIt)
{
    UsageError error;
    EXPECT_FALSE(parseCommandLine(QString::fromUtf8(GetParam().args).split(u' '), &error));
    EXPECT_EQ(std::tuple(error.text, error.values),
              std::tuple(GetParam().text, QString::fromUtf8(GetParam().values).split(u' ')));
}

std::vector<Refusal> refusals()
{
    using enum ShownText;
    return {{"UnknownOption", "--bogus", CliUnknownOption, "--bogus"},
            {"BatchOptionAlone", "--format DVD", CliNeedsMakeVideo, "--format"},
            {"NoClip", "--make-video", CliMissingValue, "--make-video"},
            {"ValueMissing", "--make-video a --speed", CliMissingValue, "--speed"},
            {"OutOfRange", "--make-video a --direction 3", CliInvalidValue, "3 --direction"},
            {"NoSwatchSeven", "--make-video a --color 7", CliInvalidValue, "7 --color"},
            {"DeflickerOfOneFrame", "--make-video a --deflicker 1", CliInvalidValue, "1 --deflicker"},
            {"NotANumber", "--make-video a --position x", CliInvalidValue, "x --position"},
            {"TwoModes", "--list-clips --make-video a", CliModesCombined, "--list-clips --make-video"},
            {"StrayArgument", "--make-video a b", CliStrayArgument, "b"},
            {"UnknownContainer", "--make-video a --container mkv", CliInvalidValue, "mkv --container"}};
}
INSTANTIATE_TEST_SUITE_P(Rows, CommandLineRefusal, ::testing::ValuesIn(refusals()), rowName);

// What a size or rate box's text stands for: a positive whole number the box holds, or nothing
// (the window keeps the previous picture size, batch mode refuses the option).
using BoxTextRow =
    std::tuple<const char *, VideoBox, const char *, std::optional<int>>; // name, box, text, value
using VideoBoxText = ::testing::TestWithParam<BoxTextRow>;

TEST_P(VideoBoxText, IsAPositiveNumberTheBoxHoldsOrNothing)
{
    const auto &[name, box, text, value] = GetParam();
    EXPECT_EQ(videoBoxValue(box, QString::fromUtf8(text)), value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VideoBoxText,
    ::testing::Values(BoxTextRow{"Width", VideoBox::Width, "720", 720},
                      BoxTextRow{"BlanksAround", VideoBox::Height, " 576 ", 576},
                      BoxTextRow{"FractionRoundsHalfToEven", VideoBox::FrameRate, "24.5", 24},
                      BoxTextRow{"LargestSide", VideoBox::Width, "16384", 16384},
                      BoxTextRow{"RateTooLarge", VideoBox::FrameRate, "32768", std::nullopt},
                      BoxTextRow{"Letters", VideoBox::Width, "abc", std::nullopt},
                      BoxTextRow{"Zero", VideoBox::Width, "0", std::nullopt},
                      BoxTextRow{"RoundsToZero", VideoBox::FrameRate, "0.4", std::nullopt},
                      BoxTextRow{"PointAlone", VideoBox::Height, ".", std::nullopt}),
    rowName);

TEST(ShownTexts, BatchProgressBarThenTheLanguagesWordsNumbersWhereTheTextPutsThem)
{
    MainForm form;
    EXPECT_EQ(progressLine(shownText(form, ShownText::BatchProgress), 10, 40, 2.0, 10),
              u"[###-------] Frame 10 / 40, 5.0 Frames/s, noch 0:06"_s);
    EXPECT_EQ(progressLine(u"%1 of %2 (%4 left)"_s, 40, 40, 4.0, 4), u"[####] 40 of 40 (0:00 left)"_s);
    const std::tuple<const char *, QStringList, const char *> rows[] = {
        {"Frame %1 / %2", {"3", "40"}, "Frame 3 / 40"},
        {"%2 Bilder, dies ist %1", {"3", "40"}, "40 Bilder, dies ist 3"},
        {"100% %3 %0 %", {"3", "40"}, "100% %3 %0 %"},
        {"%1 %2", {"%2", "x"}, "%2 x"}};
    for (const auto &[pattern, values, expected] : rows)
        EXPECT_EQ(fillPlaceholders(QString::fromUtf8(pattern), values), QString::fromUtf8(expected));
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

// A temporary folder for the file and INI tests.
class TempFolder : public ::testing::Test
{
protected:
    QString path(const QString &name = u"Clip.ini"_s) const { return tmp.filePath(name); }
    bool touch(const QString &name) { return QFile(root + name).open(QIODevice::WriteOnly); }
    bool mkpath(const QString &name) { return QDir().mkpath(root + name); }
    static void put(const QString &file, const QByteArray &bytes) { ASSERT_TRUE(writeFile(file, bytes)); }
    QTemporaryDir tmp;
    const QString root = tmp.path() + pathSeparator();
};
using FileServices = TempFolder;
using IniFile = TempFolder;

TEST_F(FileServices, EntriesIgnoringCaseClipsAndFrames)
{
    const std::tuple<QStringList, const char *, std::optional<QString>> rows[] = {
        {{"clip.ini", "Clip.ini", "CLIP.INI"}, "Clip.ini", "Clip.ini"}, // the exact spelling wins
        {{"a.bmp", "clip.ini"}, "Clip.ini", "clip.ini"},
        {{"frames", "FRAMES", "Frames2", "fRAMES"}, "Frames", "FRAMES"}, // the first in byte order
        {{u"ÜBUNG"_s}, "übung", u"ÜBUNG"_s},
        {{"Clip.ini.bak", "Clip.in"}, "Clip.ini", std::nullopt}};
    for (const auto &[entries, wanted, found] : rows)
        EXPECT_EQ(entryIgnoringCase(entries, QString::fromUtf8(wanted)), found) << wanted;
    ASSERT_TRUE(mkpath("frames") && touch("halvane.ini"));
    EXPECT_EQ(pathIgnoringCase(root, "Frames"), root + "frames");
    EXPECT_EQ(pathIgnoringCase(root + "missing/", "Clip.ini"), root + "missing/Clip.ini");

    // Clips are the direct sub-folders in case-blind order; frames the BMP and JPG files in name order.
    for (const char *folder :
         {"Frames/b", "Frames/A", "Frames/c/nested", "Frames/.hidden", "Frames/x", "Frames/X", "Frames/_u"})
        ASSERT_TRUE(mkpath(QString::fromUtf8(folder)));
    ASSERT_TRUE(touch("Frames/loose.jpg"));
    const QStringList clips = {".hidden", "_u", "A", "b", "c", "X", "x"};
    EXPECT_EQ(listClips(root + "Frames"), clips);

    ASSERT_TRUE(mkpath("clip/y.jpg") && mkpath("clip/sub"));
    for (const char *file :
         {"f10.jpg", "f2.bmp", "F1.BMP", "notes.txt", "x.jpeg", "g.JpG", "bmp", "sub/inner.jpg"})
        ASSERT_TRUE(touch(u"clip/"_s + QString::fromUtf8(file)));
    EXPECT_EQ(listFrames(root + "clip/"), (QStringList{"F1.BMP", "f10.jpg", "f2.bmp", "g.JpG"}));
    for (const QString &p : {root + "missing", root + "clip/f2.bmp", QString()})
        EXPECT_TRUE(listClips(p).isEmpty() && listFrames(p).isEmpty()) << p.toStdString();
}

TEST_F(IniFile, ReadsByRulesFilesThatAreNoSettingsReadAsDefaults)
{
    put(path(), "pre=outside any section\r\n; comment=not a key\r\n[ClipSettings]\r\nFormat=DVD PAL\r\n"
                "  Width \t=   720 \t\r\nHeight=\r\njunk line without equals\n=no key\r[unclosed\r\n"
                "\x01\x02\x7F binary=ish\r\nFps=25\r\nfps=30\r\n[Other]\r\nOnly=other\r\n"
                "[CLIPSETTINGS]\r\nSpeed=8\r\n");
    // What the lookup shows; section, key, value read
    const std::tuple<const char *, const char *, const char *, const char *> rows[] = {
        {"upper-case names find mixed-case names", "CLIPSETTINGS", "FORMAT", "DVD PAL"},
        {"blanks around key and value are trimmed", "clipsettings", "width", "720"},
        {"empty value reads as the default", "ClipSettings", "Height", "dflt"},
        {"missing key", "ClipSettings", "Missing", "dflt"},
        {"lines after junk still read", "ClipSettings", "Fps", "25"},
        {"duplicate key: first wins", "ClipSettings", "FPS", "25"},
        {"duplicate section: first wins", "ClipSettings", "Speed", "dflt"},
        {"other section", "other", "only", "other"}};
    for (const auto &[name, section, key, expected] : rows)
        EXPECT_EQ(GetIniString(section, key, path(), "dflt"), QString::fromUtf8(expected)) << name;

    put(path("empty.ini"), "");
    put(path("binary.ini"), QByteArray("[S]\r\nk=v\r\n\0\xFF\xFE", 12));
    ASSERT_TRUE(QDir(tmp.path()).mkdir("folder.ini"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0); // reading would block
    for (const char *name : {"empty.ini", "binary.ini", "folder.ini", "fifo.ini", "missing.ini"})
        EXPECT_EQ(GetIniString("S", "k", path(name), "d"), "d") << name;

    // Writing never turns a folder into a settings file, nor touches the old file when it fails: the
    // temporary file beside a 250-character name needs a name longer than a folder entry may be.
    EXPECT_FALSE(WriteIniString("S", "k", "v", path("folder.ini")));
    EXPECT_TRUE(QFileInfo(path("folder.ini")).isDir());
    const QString longName = path(QString(246, u'n') + ".ini");
    put(longName, "[S]\r\nk=old\r\n");
    EXPECT_FALSE(WriteIniString("S", "k", "new", longName));
    EXPECT_EQ(readFile(longName), "[S]\r\nk=old\r\n");
    EXPECT_FALSE(WriteIniString("S", "k", "new", path("missing-folder/Clip.ini")));
}

// A damaged settings file is kept as <name>.bak (.bak2 … beside earlier backups, never over one) and a
// fresh one is written in its place.
class DamagedIniFile : public TempFolder
{
protected:
    void expectKeptAndReplaced(const QByteArray &damaged)
    {
        const QString file = path();
        put(file, damaged);
        ASSERT_TRUE(WriteIniString("ClipSettings", "Speed", "20", file));
        EXPECT_EQ(readFile(file), "[ClipSettings]\r\nSpeed=20\r\n");
        EXPECT_EQ(readFile(file + ".bak"), damaged);

        // Damaged again, and again with .bak3 taken by a dangling link: each damaged file gets a
        // backup of its own next to the first, which stays as it was.
        put(file, QByteArray("second\0", 7));
        ASSERT_TRUE(WriteIniString("ClipSettings", "Box", "1", file));
        EXPECT_EQ(readFile(file), "[ClipSettings]\r\nBox=1\r\n");
        ASSERT_TRUE(QFile::link(path("nowhere"), file + ".bak3"));
        put(file, QByteArray("third\0", 6));
        ASSERT_TRUE(WriteIniString("ClipSettings", "Pos", "2", file));
        EXPECT_EQ(
            (QList<QByteArray>{readFile(file + ".bak"), readFile(file + ".bak2"), readFile(file + ".bak4")}),
            (QList<QByteArray>{damaged, QByteArray("second\0", 7), QByteArray("third\0", 6)}));
    }
};

TEST_F(DamagedIniFile, ANulByteIsKeptAsBackup)
{
    expectKeptAndReplaced(QByteArray("[ClipSettings]\r\nSpeed=12\r\n\0junk", 30));
}

TEST_F(DamagedIniFile, AnOversizedFileIsKeptAsBackup)
{
    expectKeptAndReplaced(QByteArray(16 * 1024 * 1024 + 1, 'x'));
}

// A value is cut to what the file keeps, never inside a character; a key after a long line is found.
TEST_F(IniFile, LongValuesAreCutAndLongLinesSkipped)
{
    ASSERT_TRUE(WriteIniString("S", "Long", QString(3000, u'x'), path()));
    EXPECT_EQ(GetIniString("S", "long", path(), ""), QString(2047, u'x'));
    ASSERT_TRUE(WriteIniString("S", "Emoji", QString(2046, u'x') + u"😀"_s, path()));
    EXPECT_EQ(GetIniString("S", "Emoji", path(), ""), QString(2046, u'x'));

    const QByteArray megabyte(1 << 20, 'j');
    put(path("big.ini"), "[S]\r\n" + megabyte + "\r\nk=v\r\nbig=" + megabyte + "\r\n");
    EXPECT_EQ(GetIniString("S", "k", path("big.ini"), ""), "v");
    EXPECT_EQ(GetIniString("S", "big", path("big.ini"), "").size(), 2047);
    ASSERT_TRUE(WriteIniString("S", "k", "w", path("big.ini")));
    EXPECT_EQ(readFile(path("big.ini")), "[S]\r\n" + megabyte + "\r\nk=w\r\nbig=" + megabyte + "\r\n");
}

TEST_F(IniFile, WritesInPlaceKeepingEveryOtherLine)
{
    EXPECT_TRUE(WriteIniString("ClipSettings", "Format", "DVD PAL", path()));
    EXPECT_EQ(readFile(path()), "[ClipSettings]\r\nFormat=DVD PAL\r\n");

    put(path(), "; top\n[A]\nx=1\n  y = 2\n\n[B]\nz=3");
    const std::tuple<const char *, const char *, const char *, QByteArray> steps[] = {
        {"a", "Y", "20", "; top\n[A]\nx=1\nY=20\r\n\n[B]\nz=3"},
        {"A", "new", "n", "; top\n[A]\nx=1\nY=20\r\nnew=n\r\n\n[B]\nz=3"},
        {"C", "k", "v", "; top\n[A]\nx=1\nY=20\r\nnew=n\r\n\n[B]\nz=3\r\n[C]\r\nk=v\r\n"},
        {"b", "Z", "", "; top\n[A]\nx=1\nY=20\r\nnew=n\r\n\n[B]\nZ=\r\n[C]\r\nk=v\r\n"}};
    for (const auto &[section, key, value, expected] : steps) {
        ASSERT_TRUE(WriteIniString(section, key, value, path()));
        EXPECT_EQ(readFile(path()), expected) << section << "/" << key;
    }
    EXPECT_EQ(GetIniString("A", "y", path(), ""), "20");

    // Names and values that could not be read back as written are refused, the file unchanged; a NUL
    // anywhere would make the reader refuse the whole file.
    const QByteArray before = readFile(path());
    const QString nul(QChar(0));
    const QStringList refused[] = {
        {"A", "a=b", "v"},     {"A", "k", "two\r\nlines"}, {"A]", "k", "v"},           {"A", " ", "v"},
        {"A" + nul, "k", "v"}, {"A", nul + "k", "v"},      {"A", "k", "x" + nul + "y"}};
    for (const QStringList &w : refused) {
        EXPECT_FALSE(WriteIniString(w[0], w[1], w[2], path()));
        EXPECT_EQ(readFile(path()), before);
    }
}

// A settings file is read as UTF-8 only when its bytes are strictly valid UTF-8, else as 1252.
TEST_F(IniFile, TextIsUtf8OnlyWhenStrictlyValidAndRoundTrips)
{
    // Two, three and four bytes read as UTF-8; overlong, overlong of three, a surrogate, above
    // U+10FFFF, a cut sequence, a lone continuation byte make the file 1252.
    put(path(), "[S]\r\nK=x\xC3\xB6\xE2\x82\xAC\xF0\x9F\x98\x80x\r\n");
    EXPECT_EQ(GetIniString("S", "K", path(), QString()), u"xö€😀x"_s);
    for (const char *bytes :
         {"H\xF6he", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\x80"}) {
        put(path(), "[S]\r\nK=x" + QByteArray(bytes) + "x\r\n");
        EXPECT_EQ(GetIniString("S", "K", path(), QString()), decode1252("x" + QByteArray(bytes) + "x"))
            << QByteArray(bytes).toHex().toStdString();
    }

    ASSERT_TRUE(QFile::remove(path()) && WriteIniString("ClipSettings", "Text", u"© BRIMHOLT"_s, path()));
    EXPECT_EQ(readFile(path()), "[ClipSettings]\r\nText=\xA9 BRIMHOLT\r\n");
    EXPECT_EQ(GetIniString("ClipSettings", "Text", path(), ""), u"© BRIMHOLT"_s);

    // One character outside 1252 makes the whole file UTF-8; nothing is lost.
    ASSERT_TRUE(WriteIniString("ClipSettings", "Greek", u"Ω 日本"_s, path()));
    EXPECT_EQ(readFile(path()),
              "[ClipSettings]\r\nText=\xC2\xA9 BRIMHOLT\r\nGreek=\xCE\xA9 \xE6\x97\xA5\xE6\x9C\xAC\r\n");
    EXPECT_EQ(GetIniString("ClipSettings", "Text", path(), ""), u"© BRIMHOLT"_s);
    EXPECT_EQ(GetIniString("ClipSettings", "Greek", path(), ""), u"Ω 日本"_s);

    // 1252 bytes of "Ã©" would read as UTF-8 "é", so such a file is written as UTF-8.
    ASSERT_TRUE(WriteIniString("S", "k", u"Ã©"_s, path("mojibake.ini")));
    EXPECT_EQ(GetIniString("S", "k", path("mojibake.ini"), ""), u"Ã©"_s);

    put(path("bom.ini"), "\xEF\xBB\xBF[Labels]\r\nHeight=H\xC3\xB6he\r\n");
    EXPECT_EQ(GetIniString("Labels", "Height", path("bom.ini"), ""), u"Höhe"_s);
    // Only the first of two marks is one: the line after the second is no section header, so the
    // key goes into a section of its own and reads back from there.
    put(path("bom2.ini"), "\xEF\xBB\xBF\xEF\xBB\xBF[Labels]\r\nHeight=x\r\n");
    ASSERT_TRUE(WriteIniString("Labels", "Width", u"W\u00F6"_s, path("bom2.ini")));
    EXPECT_EQ(readFile(path("bom2.ini")),
              "\xEF\xBB\xBF\xEF\xBB\xBF[Labels]\r\nHeight=x\r\n[Labels]\r\nWidth=W\xC3\xB6\r\n");
    EXPECT_EQ(GetIniString("Labels", "Width", path("bom2.ini"), ""), u"Wö"_s);
}

class LanguageTest : public ::testing::Test
{
protected:
    void SetUp() override { form.state.setProgramFolder(m_dir.path()); }

    // Writes the lines as a language file (CR LF after each) and loads it into f.
    void load(MainForm &f, const QByteArrayList &lines, const char *eol = "\r\n")
    {
        const QString path = m_dir.filePath(u"Test3.lng"_s);
        ASSERT_TRUE(writeFile(path, lines.join(eol) + eol));
        LoadLanguage(f, path);
    }

    void configure(const QByteArray &ini, const QByteArrayList &english)
    {
        ASSERT_TRUE(writeFile(form.state.IniFile, ini));
        ASSERT_TRUE(QDir().mkpath(form.state.LanguagePath));
        ASSERT_TRUE(writeFile(form.state.LanguagePath + u"English3.lng"_s, english.join("\r\n")));
    }

    QTemporaryDir m_dir;
    MainForm form;
};

TEST_F(LanguageTest, BuiltInTextsThenALanguageFileReplacesTheTable)
{
    ASSERT_EQ(builtInUiTexts().size(), kUiTextCount);
    form.uiTextList.addItem(u"stale"_s);
    FillLanguageList(form);
    EXPECT_EQ(form.uiTextList.items(), builtInUiTexts());
    EXPECT_EQ(form.uiText(kUiTextCount), QString());

    QByteArrayList lines = {"*", "cmdFirst", "-1", "9", "First frame", "---", "#22", "lstComments", "-1"};
    for (int i = 0; i < 22; ++i)
        lines.append("Text " + QByteArray::number(i));
    configure("[Orrin's Halvane]\r\nLanguage=English\r\n", lines + QByteArrayList{"", "---"});
    FillLanguageList(form);
    ASSERT_EQ(form.uiTextList.count(), builtInUiTexts().size())
        << "a classic file gets the later texts built in";
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(form.uiText(i), u"Text %1"_s.arg(i));
    EXPECT_EQ(form.uiText(kUiClipOk), builtInUiTexts().at(kUiClipOk));
    EXPECT_EQ(form.firstButton.toolTip(), u"First frame"_s);

    configure("[Orrin's Halvane]\r\nLanguage=English\r\n", {"^", "Frame2", "-1", "Clips:"});
    FillLanguageList(form);
    EXPECT_EQ(form.uiTextList.count(), 0) << "a file without the classic table stays short";
}

// Which language is used: the key of Halvane.ini, --language and the desktop's language ("": none);
// entry 0 of the program folder's English3.lng and of the installed one ("": no file); the language
// and entry 0 after FillLanguageList ("": the built-in texts). --language comes before the key, the
// key before the desktop's language, the program folder's file before the installed one; a name
// with no file to load (none, a folder of that name) leaves the built-in texts.
struct ChoiceRow
{
    const char *name, *key, *choice, *desktop, *inProgramFolder, *installed, *language, *shown;
};
using LanguageChoice = WithRows<LanguageTest, ChoiceRow>;

TEST_P(LanguageChoice, FindsTheFileOfTheLanguageNamedFirst)
{
    const ChoiceRow &row = GetParam();
    QTemporaryDir installed;
    form.state.LanguageChoice = QString::fromUtf8(row.choice);
    form.state.DesktopLanguage = QString::fromUtf8(row.desktop);
    form.state.LanguageFallbackPath = installed.path() + u'/';
    configure(QByteArray("[Orrin's Halvane]\r\nLanguage=") + row.key,
              {"#1", "lstComments", "-1", row.inProgramFolder});
    ASSERT_TRUE(QDir().mkpath(form.state.LanguagePath + u"Folder3.lng"_s));
    ASSERT_TRUE(*row.inProgramFolder || QFile::remove(form.state.LanguagePath + u"English3.lng"_s));
    ASSERT_TRUE(!*row.installed || writeFile(installed.filePath(u"English3.lng"_s),
                                             QByteArray("#1\r\nlstComments\r\n-1\r\n") + row.installed));
    FillLanguageList(form);
    EXPECT_EQ(form.state.LanguageName, QString::fromUtf8(row.language));
    if (*row.shown) {
        EXPECT_EQ(form.uiText(0), QString::fromUtf8(row.shown));
    } else {
        EXPECT_EQ(form.uiTextList.items(), builtInUiTexts());
    }
}

std::vector<ChoiceRow> choices()
{
    return {{"KeyFindsOwnFile", "English", "", "", "own", "", "English", "own"},
            {"KeyFindsInstalledFile", "English", "", "", "", "inst", "English", "inst"},
            {"OwnFileWins", "English", "English", "", "own", "inst", "English", "own"},
            {"ChoiceWinsOverTheKey", "English", "Francais", "", "own", "", "Francais", ""},
            {"KeyWithoutFile", "Francais", "", "", "own", "", "Francais", ""},
            {"NothingNamed", "", "", "", "own", "", "", ""},
            {"DesktopWhenNothingElseNamesOne", "", "", "English", "own", "", "English", "own"},
            {"KeyBeforeDesktop", "Deutsch", "", "English", "own", "", "Deutsch", ""}};
}
INSTANTIATE_TEST_SUITE_P(Rows, LanguageChoice, ::testing::ValuesIn(choices()), rowName);

// The languages the window and --language offer: the built-in one first, the program folder's
// files before the installed ones, each name once; odd names in the folders are not languages.
TEST_F(LanguageTest, AvailableLanguagesFromBothFolders)
{
    QTemporaryDir installed;
    form.state.LanguageFallbackPath = installed.path() + u'/';
    ASSERT_TRUE(QDir().mkpath(form.state.LanguagePath + u"Folder3.lng"_s));
    for (const char *file : {"Italiano3.lng", "English3.lng", "3.lng", "notes.txt"})
        ASSERT_TRUE(writeFile(form.state.LanguagePath + QString::fromUtf8(file), "#0\r\n"));
    for (const char *file : {"ENGLISH3.lng", "Espanol3.lng"})
        ASSERT_TRUE(writeFile(installed.filePath(QString::fromUtf8(file)), "#0\r\n"));
    EXPECT_EQ(availableLanguages(form.state), (QStringList{"Deutsch", "English", "Italiano", "Espanol"}));
    EXPECT_TRUE(isKnownLanguage(form.state, u"deutsch"_s) && isKnownLanguage(form.state, u"espanol"_s));
    EXPECT_FALSE(isKnownLanguage(form.state, u"Folder"_s) || isKnownLanguage(form.state, QString()));
}

// The language the desktop's locale asks for, when neither --language nor Halvane.ini names one:
// "" is the built-in German.
using LocaleRow = std::tuple<const char *, const char *, const char *>; // name, locale, language

using LocaleLanguage = ::testing::TestWithParam<LocaleRow>;

TEST_P(LocaleLanguage, GermanForGermanAndCEnglishOtherwise)
{
    EXPECT_EQ(languageForLocale(QString::fromUtf8(std::get<1>(GetParam()))),
              QString::fromUtf8(std::get<2>(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Rows, LocaleLanguage,
                         ::testing::Values(LocaleRow{"Unset", "", ""}, LocaleRow{"CUtf8", "C.UTF-8", ""},
                                           LocaleRow{"SwissGermanModifier", "de_CH.UTF-8@euro", ""},
                                           LocaleRow{"English", "en_US.UTF-8", "English"},
                                           LocaleRow{"UnknownName", "xx_YY", "English"}),
                         rowName);

// Counts of one take the singular in both languages; a text without a "|" serves every count.
TEST_F(LanguageTest, SingularAndPluralInBothLanguages)
{
    const ClipCheckResult one{{}, 1, QSize(4, 3), true}, two{{}, 2, QSize(4, 3), true};
    const auto summary = [](const MainForm &f, const ClipCheckResult &r) {
        return clipCheckReport(r, f, 8, PlayingDirection::Forward).constLast().section(u',', 0, 0);
    };
    FillLanguageList(form);
    EXPECT_EQ(std::tuple(summary(form, one), summary(form, two)), std::tuple(u"1 Frame"_s, u"2 Frames"_s));
    MainForm english;
    english.state = form.state;
    english.state.LanguageChoice = u"English"_s;
    english.state.LanguageFallbackPath = QStringLiteral(TAVELON_LANGUAGE_DIR "/");
    FillLanguageList(english);
    EXPECT_EQ(std::tuple(summary(english, one), summary(english, two)),
              std::tuple(u"1 frame"_s, u"2 frames"_s));
    EXPECT_EQ(std::tuple(pluralForm(english.uiText(kUiProblemsFound), 1).arg(1),
                         pluralForm(english.uiText(kUiProblemsFound), 3).arg(3)),
              std::tuple(u"1 problem found"_s, u"3 problems found"_s));
    EXPECT_EQ(pluralForm(u"%1 x"_s, 1), u"%1 x"_s);
}

// The lines of a language file, separated by '|'.
QByteArrayList lines(const char *joined)
{
    return QByteArray(joined).split('|');
}

// A language file and what it leaves in a control: a list's items, or the caption and tool tip of
// any other control. A list block is read quickly also for a count beyond reason, which fills the
// missing items only up to item 10,000.
struct BlockRow
{
    const char *name, *lines, *control;
    int index;
    QStringList shown;
};
using LanguageFileBlock = WithRows<LanguageTest, BlockRow>;

TEST_P(LanguageFileBlock, SetsTheControl)
{
    const auto start = std::chrono::steady_clock::now();
    load(form, lines(GetParam().lines));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    const Control *c = form.findControl(QString::fromUtf8(GetParam().control), GetParam().index);
    ASSERT_NE(c, nullptr);
    const auto *list = dynamic_cast<const ListControl *>(c);
    EXPECT_EQ((list ? list->items() : QStringList{c->caption(), c->toolTip()}), GetParam().shown);
}

std::vector<BlockRow> blocks()
{
    return {{"CaretWithEmptyLineEmpties", "^|Frame2|-1||---", "Frame2", -1, {"", ""}},
            {"DegreeOnAnArrayElement", "\xB0|picColor|3|Gelb", "picColor", 3, {"", "Gelb"}},
            {"Star", "*|cmdPlay|-1|4|Play", "cmdPlay", -1, {"4", "Play"}},
            {"ArrayElementIgnoringCase", "^|LBL|5|Nr.: ", "lbl", 5, {"Nr.: ", ""}},
            {"UnknownControlConsumes", "*|cmdNoSuch|-1|^|x|^|cmdStop|-1|H", "cmdStop", -1, {"H", "Stop"}},
            {"MissingElementConsumes", "^|lbl|6|^|^|cmdStop|-1|H", "cmdStop", -1, {"H", "Stop"}},
            {"NoCaptionOnAScrollBar", "^|slPre|-1|X|\xB0|cmdStop|-1|T", "cmdStop", -1, {"<", "T"}},
            {"TabStripConsumesTwiceCount", "~2|T|-1|a|b|c|d|^|cmdStop|-1|H", "cmdStop", -1, {"H", "Stop"}},
            {"ThreeFourFifteenHyphensSeparate",
             "---|----|^|cmdStop|-1|H|---------------",
             "cmdStop",
             -1,
             {"H", "Stop"}},
            {"Windows1252", "\xB0|cmdBack|-1|Zur\374ck \200", "cmdBack", -1, {"7", "Zurück €"}},
            {"CutOffAfterIndex", "*|cmdPlay|-1", "cmdPlay", -1, {"-1", "-1"}},
            {"ListCountPlusOneLinesEmptyOnesSkipped", "#2|cboSize|-1|a|b||^", "cboSize", -1, {"a", "b"}},
            {"ListCarriedCount", "#2|x|-1||||#|cboSize|-1|a|b|c|d", "cboSize", -1, {"a", "b", "c"}},
            {"ListEmptyLineEndsAFreshList", "#4|cboSize|-1|a||c|d|", "cboSize", -1, {"a"}},
            {"ListReplaceKeepAppend",
             "#2|cboSize|-1|K|M||#3|cboSize|-1|S||L|H",
             "cboSize",
             -1,
             {"S", "M", "L", "H"}},
            {"ListCutOffFillsTheRest", "#5|cboSize|-1|a|b", "cboSize", -1, {"a", "b", "b", "b", "b", "b"}},
            {"ListHugeCount", "#2000000000|cboSize|-1|a|b", "cboSize", -1,
             QStringList{"a"} + QStringList(10000, "b")}};
}
INSTANTIATE_TEST_SUITE_P(Rows, LanguageFileBlock, ::testing::ValuesIn(blocks()), rowName);

// A folder, a missing file or an empty one change nothing; each line ending reads.
TEST_F(LanguageTest, OddFilesAndEveryLineEnding)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(u"Dir3.lng"_s)));
    LoadLanguage(form, m_dir.filePath(u"Dir3.lng"_s));
    LoadLanguage(form, m_dir.filePath(u"Missing3.lng"_s));
    load(form, {});
    EXPECT_EQ(form.stopButton.caption(), u"<"_s);

    QStringList read;
    for (const char *eol : {"\r\n", "\r", "\n"}) {
        MainForm f;
        load(f, lines("*|cmdPlay|-1|4|Play|---|#1|cboSize|-1|S|"), eol);
        read << f.playButton.toolTip() + f.overlaySize.items().join(u'|');
    }
    EXPECT_EQ(read, (QStringList{"PlayS", "PlayS", "PlayS"}));
}

// Where the program folder is: whether prefix/share/brimholt-tavelon exists, --root, whether there
// is a home folder; the folder chosen, relative to the temporary folder ("": none); whether it is
// the per-user one.
struct LocateRow
{
    const char *name;
    bool installed;
    const char *root;
    bool withHome;
    const char *folder;
    bool perUser;
};
using ProgramFolderTest = ::testing::TestWithParam<LocateRow>;

TEST_P(ProgramFolderTest, Locate)
{
    const LocateRow &row = GetParam();
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    ASSERT_TRUE(dir.mkpath(u"prefix/bin"_s));
    ASSERT_TRUE(!row.installed || dir.mkpath(u"prefix/share/brimholt-tavelon/Language"_s));
    const QString root = *row.root ? dir.filePath(QString::fromLatin1(row.root)) : QString();
    const QString home = row.withHome ? dir.filePath(u"home"_s) : QString();
    const ProgramFolder got = locateProgramFolder(root, dir.filePath(u"prefix/bin"_s), home,
                                                  u"../share/brimholt-tavelon"_s, u"/src/data/Language/"_s);
    EXPECT_EQ(got.folder, *row.folder ? dir.filePath(QString::fromLatin1(row.folder)) : QString());
    EXPECT_EQ(got.perUser, row.perUser);
    // The installed language files serve also a folder named by --root; a copy that is not
    // installed falls back to the source tree's.
    EXPECT_EQ(got.installedLanguages, row.installed
                                          ? dir.filePath(u"prefix/share/brimholt-tavelon/Language/"_s)
                                          : u"/src/data/Language/"_s);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProgramFolderTest,
    ::testing::Values(LocateRow{"BuildFolderUsesItsOwn", false, "", true, "prefix/bin", false},
                      LocateRow{"InstalledUsesThePerUserOne", true, "", true, "home/Brimholt Tavelon", true},
                      LocateRow{"RootWins", true, "elsewhere", true, "elsewhere", false},
                      LocateRow{"RootOfABuild", false, "elsewhere", true, "elsewhere", false},
                      LocateRow{"NoHomeNoFolder", true, "", false, "", true}),
    rowName);

// Every path below folder, relative to it.
QStringList tree(const QString &folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << QDir(folder).relativeFilePath(it.next());
    paths.sort();
    return paths;
}

class InstalledCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString share = path(u"prefix/share/brimholt-tavelon/Language/"_s);
        ASSERT_TRUE(QDir().mkpath(path(u"prefix/bin"_s)) && QDir().mkpath(share));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(TAVELON_BIN), m_bin) &&
            QFile::copy(QStringLiteral(TAVELON_LANGUAGE_DIR "/English3.lng"), share + u"English3.lng"_s));
        m_prefix = tree(path(u"prefix"_s));
    }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    QString programFolder() const { return path(u"home/Brimholt Tavelon"_s); }

    RunResult run(const QStringList &args, const QString &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, home);
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s); // the built-in German texts
        return runProgram(m_bin, args, env, m_dir.path());
    }

    QTemporaryDir m_dir;
    const QString m_bin = path(u"prefix/bin/brimholt-tavelon"_s);
    QStringList m_prefix;
};

TEST_F(InstalledCopy, FirstStartMakesThePerUserFolder)
{
    ASSERT_TRUE(QDir().mkpath(path(u"home"_s)));
    const RunResult first = run({u"--make-video"_s, u"Garten"_s}, path(u"home"_s));
    EXPECT_EQ(first.code, 2) << first.err.toStdString(); // no such clip yet, but the folder is there
    EXPECT_EQ(tree(programFolder()), (QStringList{u"Clips"_s, u"Frames"_s}));

    writeFrames(programFolder() + u"/Frames/Garten"_s, {u"a.bmp"_s, u"b.bmp"_s});
    const RunResult made = run({u"--make-video"_s, u"Garten"_s}, path(u"home"_s));
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(std::pair(made.text(), run({u"--list-clips"_s}, path(u"home"_s)).text()),
              std::pair(programFolder() + u"/Clips/Garten.avi"_s, u"Garten"_s));
    EXPECT_EQ(tree(path(u"prefix"_s)), m_prefix) << "the prefix holds what was installed, nothing more";
    EXPECT_FALSE(QFileInfo::exists(path(u"Brimholt Tavelon"_s)));
}

// A file where a folder must go, relative to the home folder ("": no home folder at all); more
// arguments; the message.
struct FolderRefusal
{
    const char *name, *fileInPlace;
    QStringList more;
    const char *message;
};
using InstalledCopyRefused = WithRows<InstalledCopy, FolderRefusal>;

TEST_P(InstalledCopyRefused, SaysTheProgramFolderCannotBeMadeAndChangesNothing)
{
    QTemporaryDir tmp;
    const QString home = tmp.path() + u"/home"_s,
                  file = home + u'/' + QString::fromUtf8(GetParam().fileInPlace);
    ASSERT_TRUE(!*GetParam().fileInPlace || (QDir().mkpath(QFileInfo(file).path()) && writeFile(file, {})));
    const QStringList before = tree(tmp.path());
    const RunResult r = run(QStringList{u"--make-video"_s, u"Garten"_s} + GetParam().more, home);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith(u"Brimholt Tavelon: "_s + QString::fromUtf8(GetParam().message)))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(home + u"/Brimholt Tavelon"_s)) << r.err.toStdString();
    EXPECT_EQ(tree(tmp.path()), before);
    EXPECT_EQ(tree(path(u"prefix"_s)), m_prefix) << "the prefix holds what was installed, nothing more";
}

const char *const kCannotMakeGerman = "Fehler: Der Programmordner kann nicht angelegt werden:";
INSTANTIATE_TEST_SUITE_P(
    Rows, InstalledCopyRefused,
    ::testing::Values(FolderRefusal{"FileForTheFolder", "Brimholt Tavelon", {}, kCannotMakeGerman},
                      FolderRefusal{"NoHomeInEnglish",
                                    "",
                                    {"--language", "English"},
                                    "Error: The program folder cannot be created:"}),
    rowName);

} // namespace
