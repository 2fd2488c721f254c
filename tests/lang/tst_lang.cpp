#include <chrono>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "form/mainform.h"
#include "form/languagefile.h"
#include "form/showntexts.h"
#include "form/uitext.h"

using namespace tavelon;
using namespace Qt::StringLiterals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class LanguageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        form.state.setProgramFolder(m_dir.path());
    }

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

TEST_F(LanguageTest, BuiltInTextsWithoutUsableLanguageFile)
{
    ASSERT_EQ(builtInUiTexts().size(), kUiProgramFolder + 1);
    EXPECT_EQ(builtInUiTexts().at(15), u"überschrieben werden ?"_s);
    form.lstComments.addItem(u"stale"_s);
    FillLanguageList(form);
    EXPECT_EQ(form.lstComments.items(), builtInUiTexts());
    EXPECT_EQ(form.UiText(kUiFolderExists), u"Ordner existiert bereits !"_s);
    EXPECT_EQ(form.UiText(kUiProgramFolder + 1), QString());

    ASSERT_TRUE(QDir().mkpath(form.state.LanguagePath + u"Folder3.lng"_s));
    for (const char *name : {"Francais", "Folder", ""}) {
        SCOPED_TRACE(name);
        MainForm f;
        f.state = form.state;
        configure(QByteArray("[Orrin's Halvane]\r\nLanguage=") + name, {"#0", "lstComments", "-1", "One"});
        FillLanguageList(f);
        EXPECT_EQ(f.lstComments.items(), builtInUiTexts());
        EXPECT_EQ(f.state.LanguageName, QString::fromUtf8(name));
    }
}

TEST_F(LanguageTest, LanguageFileReplacesTheTable)
{
    QByteArrayList lines = {"*", "cmdFirst", "-1", "9", "First frame", "---", "#22", "lstComments", "-1"};
    for (int i = 0; i < 22; ++i)
        lines.append("Text " + QByteArray::number(i));
    configure("[Orrin's Halvane]\r\nLanguage=English\r\n", lines << ""
                                                                 << "---");
    FillLanguageList(form);
    ASSERT_EQ(form.lstComments.count(), builtInUiTexts().size())
        << "a classic file gets the later texts built in";
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(form.UiText(i), u"Text %1"_s.arg(i));
    EXPECT_EQ(form.UiText(kUiClipOk), builtInUiTexts().at(kUiClipOk));
    EXPECT_EQ(form.cmdFirst.toolTip(), u"First frame"_s);

    configure("[Orrin's Halvane]\r\nLanguage=English\r\n", {"^", "Frame2", "-1", "Clips:"});
    FillLanguageList(form);
    EXPECT_EQ(form.lstComments.count(), 0) << "a file without the classic table stays short";
}

TEST_F(LanguageTest, ChoiceAndInstalledLanguageFolder)
{
    struct Row
    {
        const char *name;
        const char *choice;          // --language; "" for the key of Halvane.ini
        const char *inProgramFolder; // entry 0 of the program folder's English3.lng, "" for no file
        const char *installed;       // entry 0 of the installed English3.lng, "" for no file
        const char *want;            // entry 0 after FillLanguageList; "" for the built-in text
    };
    const Row rows[] = {
        {"IniKeyAlone", "", "own", "", "own"},
        {"ChoiceWinsOverTheIniKey", "Francais", "own", "", ""},
        {"ChoiceFindsTheInstalledFile", "English", "", "installed", "installed"},
        {"ProgramFolderFileWinsOverTheInstalledOne", "English", "own", "installed", "own"},
        {"IniKeyFindsTheInstalledFile", "", "", "installed", "installed"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir installed;
        MainForm f;
        f.state.setProgramFolder(m_dir.path());
        f.state.LanguageChoice = QString::fromUtf8(row.choice);
        f.state.LanguageFallbackPath = installed.path() + QLatin1Char('/');
        QDir(f.state.LanguagePath).removeRecursively();
        configure("[Orrin's Halvane]\r\nLanguage=English\r\n",
                  {"#1", "lstComments", "-1", row.inProgramFolder});
        if (!*row.inProgramFolder)
            QFile::remove(f.state.LanguagePath + QStringLiteral("English3.lng"));
        if (*row.installed) {
            ASSERT_TRUE(writeFile(installed.filePath(QStringLiteral("English3.lng")),
                                  QByteArray("#1\r\nlstComments\r\n-1\r\n") + row.installed + "\r\n"));
        }
        FillLanguageList(f);
        EXPECT_EQ(f.UiText(0), *row.want ? QString::fromUtf8(row.want) : builtInUiTexts().at(0));
    }
}

// The lines of a language file, separated by '|'.
QByteArrayList lines(const char *joined)
{
    return QByteArray(joined).split('|');
}

TEST_F(LanguageTest, CaptionAndToolTipBlocks)
{
    // name, lines, control, index, caption, tool tip
    const std::tuple<const char *, const char *, const char *, int, QString, QString> rows[] = {
        {"caret with empty line empties", "^|Frame2|-1||---", "Frame2", -1, "", ""},
        {"degree on an array element", "\xB0|picColor|3|Gelb", "picColor", 3, "", "Gelb"},
        {"star", "*|cmdPlay|-1|4|Play", "cmdPlay", -1, "4", "Play"},
        {"array element lbl(5)", "^|LBL|5|Nr.: ", "lbl", 5, "Nr.: ", ""},
        {"empty index line is 0", "^|Command1||Go", "Command1", 0, "Go", ""},
        {"unknown control consumes", "*|cmdNoSuch|-1|^|x|^|cmdStop|-1|H", "cmdStop", -1, "H", "Stop"},
        {"missing element consumes", "^|lbl|6|^|^|cmdStop|-1|H", "cmdStop", -1, "H", "Stop"},
        {"no caption on a scroll bar", "^|slPre|-1|X|\xB0|cmdStop|-1|T", "cmdStop", -1, "<", "T"},
        {"tab strip consumes 2 x count", "~2|T|-1|a|b|c|d|^|cmdStop|-1|H", "cmdStop", -1, "H", "Stop"},
        {"unknown marker reads name and index", "x|cmdStop|-1|^|cmdStop|-1|H", "cmdStop", -1, "H", "Stop"},
        {"separators of 3, 4, 15 hyphens", "---|----|^|cmdStop|-1|H|---------------", "cmdStop", -1, "H",
         "Stop"},
        {"two hyphens are a marker line", "--|x|y|^|cmdStop|-1|H", "cmdStop", -1, "H", "Stop"},
        {"hyphens inside a block are text", "^|cmdStop|-1|---", "cmdStop", -1, "---", "Stop"},
        {"Windows-1252", "\xB0|cmdBack|-1|Zur\374ck \200", "cmdBack", -1, "7", "Zurück €"},
        {"cut off: last line read", "*|cmdPlay|-1|Nur", "cmdPlay", -1, "Nur", "Nur"},
        {"cut off after index", "*|cmdPlay|-1", "cmdPlay", -1, "-1", "-1"},
    };
    for (const auto &[name, text, control, index, caption, toolTip] : rows) {
        SCOPED_TRACE(name);
        MainForm f;
        load(f, lines(text));
        const Control *c = f.findControl(QString::fromUtf8(control), index);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->caption(), caption);
        EXPECT_EQ(c->toolTip(), toolTip);
    }
}

TEST_F(LanguageTest, ListBlocks)
{
    // name, lines, items before, items after
    const std::tuple<const char *, const char *, QStringList, QStringList> rows[] = {
        {"count + 1 lines, empty ones skipped", "#2|cboSize|-1|a|b||^", {}, {"a", "b"}},
        {"count is 0 at the start", "#|cboSize|-1|a|b", {}, {"a"}},
        {"carried count", "#2|x|-1||||#|cboSize|-1|a|b|c|d", {}, {"a", "b", "c"}},
        {"count is rounded", "# 1.6|cboSize|-1|a|b|c|d", {}, {"a", "b", "c"}},
        {"empty line ends a fresh list", "#4|cboSize|-1|a||c|d|", {}, {"a"}},
        {"replace, keep, append", "#3|cboSize|-1|S||L|H", {"K", "M"}, {"S", "M", "L", "H"}},
        {"cut off: the last line read fills the rest",
         "#5|cboSize|-1|a|b",
         {},
         {"a", "b", "b", "b", "b", "b"}},
        {"cut off after index", "#2|cboSize|-1", {}, {"-1", "-1", "-1"}},
        {"cut off after an empty line", "#4|cboSize|-1|a|", {}, {"a"}},
        // A count beyond reason fills the missing items only up to item 10,000.
        {"huge count", "#2000000000|cboSize|-1|a|b", {}, QStringList{"a"} + QStringList(10000, "b")},
        {"huger count", "#99999999999999999999|cboSize|-1|a", {}, QStringList(10001, "a")},
    };
    for (const auto &[name, text, before, after] : rows) {
        SCOPED_TRACE(name);
        MainForm f;
        for (const QString &item : before)
            f.cboSize.addItem(item);
        const auto start = std::chrono::steady_clock::now();
        load(f, lines(text));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(f.cboSize.items(), after);
    }
}

TEST_F(LanguageTest, LineEndingsCrLfCrAndLf)
{
    for (const char *eol : {"\r\n", "\r", "\n"}) {
        MainForm f;
        load(f, lines("*|cmdPlay|-1|4|Play|---|#1|cboSize|-1|S|"), eol);
        EXPECT_EQ(f.cmdPlay.toolTip(), u"Play"_s);
        EXPECT_EQ(f.cboSize.items(), QStringList({"S"}));
    }
}

TEST_F(LanguageTest, OddFiles)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(u"Dir3.lng"_s)));
    LoadLanguage(form, m_dir.filePath(u"Dir3.lng"_s));
    LoadLanguage(form, m_dir.filePath(u"Missing3.lng"_s));
    load(form, {});
    EXPECT_EQ(form.cmdStop.caption(), u"<"_s);

    load(form, {"^", "cmdStop", "-1", QByteArray(1 << 20, 'A')});
    EXPECT_EQ(form.cmdStop.caption().size(), 1 << 20);
}

TEST(FillPlaceholders, NumbersGoWhereTheTextPutsThem)
{
    const std::tuple<const char *, QStringList, const char *> rows[] = {
        {"Frame %1 / %2", {"3", "40"}, "Frame 3 / 40"},
        {"%2 Bilder, dies ist %1", {"3", "40"}, "40 Bilder, dies ist 3"},
        {"Bild %1", {"3", "40"}, "Bild 3"},
        {"100% %3 %0 %", {"3", "40"}, "100% %3 %0 %"},
        {"%1 %2", {"%2", "x"}, "%2 x"},
    };
    for (const auto &[pattern, values, expected] : rows)
        EXPECT_EQ(fillPlaceholders(QString::fromUtf8(pattern), values), QString::fromUtf8(expected));
}

} // namespace
