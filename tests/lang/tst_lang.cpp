#include <chrono>
#include <functional>
#include <random>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/mainform.h"
#include "lang/languagefile.h"
#include "lang/uitext.h"

using namespace tavelon;

namespace {

// Joins lines with CR LF, as language files are written.
QByteArray crlf(std::initializer_list<QByteArray> lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

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

    void load(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("Test3.lng"));
        ASSERT_TRUE(writeFile(path, bytes));
        LoadLanguage(form, path);
    }

    void configure(const QByteArray &ini, const QByteArray &languageFile)
    {
        ASSERT_TRUE(writeFile(form.state.IniFile, ini));
        ASSERT_TRUE(QDir().mkpath(form.state.LanguagePath));
        ASSERT_TRUE(writeFile(form.state.LanguagePath + QStringLiteral("English3.lng"), languageFile));
    }

    QTemporaryDir m_dir;
    MainForm form;
};

TEST(UiTextTable, BuiltInTextsKeepTheirNumbers)
{
    const QStringList &t = builtInUiTexts();
    ASSERT_EQ(t.size(), 22);
    EXPECT_EQ(t.at(0), QStringLiteral("Frames konnten nicht geladen werden !"));
    EXPECT_EQ(t.at(3), QStringLiteral("Aktuellen Frame wirklich löschen ?"));
    EXPECT_EQ(t.at(4), QStringLiteral("Frames"));
    EXPECT_EQ(t.at(9), QStringLiteral("Rechts unten"));
    EXPECT_EQ(t.at(13), QStringLiteral("Riesig"));
    EXPECT_EQ(t.at(15), QStringLiteral("überschrieben werden ?"));
    EXPECT_EQ(t.at(20), QStringLiteral("Übernehmen"));
    EXPECT_EQ(t.at(21), QStringLiteral("Ordner existiert bereits !"));
}

TEST_F(LanguageTest, WithoutIniFileTheBuiltInTextsAreUsed)
{
    form.lstComments.addItem(QStringLiteral("stale"));
    FillLanguageList(form);
    EXPECT_EQ(form.lstComments.items(), builtInUiTexts());
    EXPECT_EQ(form.UiText(21), QStringLiteral("Ordner existiert bereits !"));
    EXPECT_EQ(form.UiText(22), QString());
    EXPECT_TRUE(form.state.LanguageName.isEmpty());
}

TEST_F(LanguageTest, FallsBackToBuiltInsWhenNoLanguageFileApplies)
{
    const QByteArray validFile = crlf({"#1", "lstComments", "-1", "One", ""});
    struct Row
    {
        const char *name;
        QByteArray ini;
        QString languageName;
        bool languageFileIsFolder;
    };
    const Row rows[] = {
        {"language file missing", "[Orrin's Halvane]\r\nLanguage=Francais\r\n", QStringLiteral("Francais"),
         false},
        {"empty value", "[Orrin's Halvane]\r\nLanguage=\r\n", QString(), false},
        {"key in another section", "[Other]\r\nLanguage=English\r\n", QString(), false},
        {"language file is a folder", "[Orrin's Halvane]\r\nLanguage=Folder\r\n", QStringLiteral("Folder"),
         true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MainForm f;
        f.state = form.state;
        configure(row.ini, validFile);
        if (row.languageFileIsFolder) {
            ASSERT_TRUE(QDir().mkpath(f.state.LanguagePath + QStringLiteral("Folder3.lng")));
        }
        FillLanguageList(f);
        EXPECT_EQ(f.lstComments.items(), builtInUiTexts());
        EXPECT_EQ(f.state.LanguageName, row.languageName);
    }
}

TEST_F(LanguageTest, LanguageFileReplacesTheTableAndControls)
{
    QByteArrayList lines = {"*",   "cmdFirst",    "-1", "9", "First frame", "---------------",
                            "#22", "lstComments", "-1"};
    for (int i = 0; i < 22; ++i)
        lines.append("Text " + QByteArray::number(i));
    lines += {"", "---------------"};
    configure("[Orrin's Halvane]\r\nLanguage=English\r\n", lines.join("\r\n") + "\r\n");

    FillLanguageList(form);
    EXPECT_EQ(form.state.LanguageName, QStringLiteral("English"));
    ASSERT_EQ(form.lstComments.count(), 22);
    for (int i = 0; i < 22; ++i)
        EXPECT_EQ(form.UiText(i), QStringLiteral("Text %1").arg(i));
    EXPECT_EQ(form.UiText(22), QString());
    EXPECT_EQ(form.cmdFirst.toolTip(), QStringLiteral("First frame"));
}

TEST_F(LanguageTest, LanguageFileWithoutTableLeavesItEmpty)
{
    configure("[Orrin's Halvane]\r\nLanguage=English\r\n", crlf({"^", "Frame2", "-1", "Clips found:"}));
    FillLanguageList(form);
    EXPECT_EQ(form.lstComments.count(), 0);
    EXPECT_EQ(form.UiText(4), QString());
    EXPECT_EQ(form.Frame2.caption(), QStringLiteral("Clips found:"));
}

struct BlockCase
{
    const char *name;
    QByteArray file;
    std::function<void(MainForm &)> prepare;
    std::function<void(const MainForm &)> check;
};

TEST_F(LanguageTest, BlocksApplyToTheirControls)
{
    const auto none = [](MainForm &) {};
    const auto stopCaption = [](const char *expected) {
        return [expected](const MainForm &f) { EXPECT_EQ(f.cmdStop.caption(), QString::fromUtf8(expected)); };
    };
    const BlockCase
        cases[] =
            {
                {"caret with empty line empties the caption", crlf({"^", "Frame2", "-1", "", "---"}), none,
                 [](const MainForm &f) { EXPECT_EQ(f.Frame2.caption(), QString()); }},
                {"degree sets the tooltip of an array element", crlf({"\xB0", "picColor", "3", "Gelb"}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.picColor(3)->toolTip(), QStringLiteral("Gelb"));
                     EXPECT_EQ(f.picColor(4)->toolTip(), QString());
                 }},
                {"star sets caption and tooltip", crlf({"*", "cmdPlay", "-1", "4", "Play"}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cmdPlay.caption(), QStringLiteral("4"));
                     EXPECT_EQ(f.cmdPlay.toolTip(), QStringLiteral("Play"));
                 }},
                {"star with empty lines empties both", crlf({"*", "cmdStop", "-1", "", ""}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cmdStop.caption(), QString());
                     EXPECT_EQ(f.cmdStop.toolTip(), QString());
                 }},
                {"array element lbl(5)", crlf({"^", "lbl", "5", "Frame no.: "}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.lbl(5)->caption(), QStringLiteral("Frame no.: "));
                     EXPECT_EQ(f.lbl(4)->caption(), QStringLiteral("Höhe: "));
                 }},
                {"array element Command1(0)", crlf({"^", "Command1", "0", "Make video"}), none,
                 [](const MainForm &f) { EXPECT_EQ(f.Command1.caption(), QStringLiteral("Make video")); }},
                {"empty index line means index 0", crlf({"^", "Command1", "", "Make video"}), none,
                 [](const MainForm &f) { EXPECT_EQ(f.Command1.caption(), QStringLiteral("Make video")); }},
                {"array without index is no control",
                 crlf({"^", "Command1", "-1", "X", "^", "cmdStop", "-1", "Halt"}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.Command1.caption(), QStringLiteral("Video Fertigstellen"));
                     EXPECT_EQ(f.cmdStop.caption(), QStringLiteral("Halt"));
                 }},
                {"names ignore letter case", crlf({"^", "CMDSTOP", "-1", "Halt"}), none, stopCaption("Halt")},
                {"unknown control consumes its lines",
                 crlf({"*", "cmdNoSuch", "-1", "^", "x", "^", "cmdStop", "-1", "Halt"}), none,
                 stopCaption("Halt")},
                {"missing array element consumes its lines",
                 crlf({"^", "lbl", "6", "^", "^", "cmdStop", "-1", "Halt"}), none, stopCaption("Halt")},
                {"caption on a scroll bar is skipped",
                 crlf({"^", "slPre", "-1", "X", "^", "cmdStop", "-1", "Halt"}), none, stopCaption("Halt")},
                {"tab strip block consumes twice its count",
                 crlf({"~2", "Tabs", "-1", "a", "b", "c", "d", "^", "cmdStop", "-1", "Halt"}), none,
                 stopCaption("Halt")},
                {"list view block consumes its count",
                 crlf({"+3", "lvw", "-1", "a", "b", "c", "^", "cmdStop", "-1", "Halt"}), none,
                 stopCaption("Halt")},
                {"unknown marker reads only name and index",
                 crlf({"x", "cmdStop", "-1", "^", "cmdLast", "-1", "End"}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cmdLast.caption(), QStringLiteral("End"));
                     EXPECT_EQ(f.cmdStop.caption(), QStringLiteral("<"));
                 }},
                {"separators of 3, 4 and 15 hyphens",
                 crlf({"---", "^", "cmdStop", "-1", "Halt", "----", "^", "cmdLast", "-1", "End",
                       "---------------", "^", "cmdFirst", "-1", "Start"}),
                 none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cmdStop.caption(), QStringLiteral("Halt"));
                     EXPECT_EQ(f.cmdLast.caption(), QStringLiteral("End"));
                     EXPECT_EQ(f.cmdFirst.caption(), QStringLiteral("Start"));
                 }},
                {"two hyphens are a marker line", crlf({"--", "x", "y", "^", "cmdStop", "-1", "Halt"}), none,
                 stopCaption("Halt")},
                {"hyphens inside a block are text", crlf({"^", "cmdStop", "-1", "---"}), none,
                 stopCaption("---")},
                {"one-character marker keeps the count",
                 crlf({"#3", "cboSize", "-1", "a", "b", "c", "", "---", "#", "cboPosition", "-1", "p", "q",
                       "r", "s", "^", "cmdStop", "-1", "Halt"}),
                 none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cboSize.items(), QStringList({"a", "b", "c"}));
                     EXPECT_EQ(f.cboPosition.items(), QStringList({"p", "q", "r", "s"}));
                     EXPECT_EQ(f.cmdStop.caption(), QStringLiteral("Halt"));
                 }},
                {"count is 0 at the start",
                 crlf({"#", "cboSize", "-1", "only", "^", "cmdStop", "-1", "Halt"}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cboSize.items(), QStringList({"only"}));
                     EXPECT_EQ(f.cmdStop.caption(), QStringLiteral("Halt"));
                 }},
                {"count is rounded",
                 crlf({"# 1.6", "cboSize", "-1", "a", "b", "c", "^", "cmdStop", "-1", "Halt"}), none,
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cboSize.items(), QStringList({"a", "b", "c"}));
                     EXPECT_EQ(f.cmdStop.caption(), QStringLiteral("Halt"));
                 }},
                {"empty item line ends a fresh table",
                 crlf({"#4", "lstComments", "-1", "a", "", "c", "d", ""}), none,
                 [](const MainForm &f) { EXPECT_EQ(f.lstComments.items(), QStringList({"a"})); }},
                {"items replace, empty lines keep, then append",
                 crlf({"#3", "cboSize", "-1", "Small", "", "Large", "Huge"}),
                 [](MainForm &f) {
                     f.cboSize.addItem(QStringLiteral("K"));
                     f.cboSize.addItem(QStringLiteral("M"));
                 },
                 [](const MainForm &f) {
                     EXPECT_EQ(f.cboSize.items(), QStringList({"Small", "M", "Large", "Huge"}));
                 }},
                {"Windows-1252 bytes",
                 crlf({"\xB0", "cmdBack", "-1",
                       "Zur\xFC"
                       "ck \x80 \xDC"}),
                 none,
                 [](const MainForm &f) { EXPECT_EQ(f.cmdBack.toolTip(), QStringLiteral("Zurück € Ü")); }},
            };
    for (const BlockCase &c : cases) {
        SCOPED_TRACE(c.name);
        MainForm f;
        c.prepare(f);
        const QString path = m_dir.filePath(QStringLiteral("Case3.lng"));
        ASSERT_TRUE(writeFile(path, c.file));
        LoadLanguage(f, path);
        c.check(f);
    }
}

TEST_F(LanguageTest, LineEndingsCrLfCrAndLf)
{
    const QByteArrayList lines = {"*", "cmdPlay", "-1", "4", "Play", "---", "#1", "cboSize", "-1", "S", ""};
    for (const char *eol : {"\r\n", "\r", "\n"}) {
        SCOPED_TRACE(QByteArray(eol).toHex().constData());
        MainForm f;
        const QString path = m_dir.filePath(QStringLiteral("Eol3.lng"));
        ASSERT_TRUE(writeFile(path, lines.join(eol) + eol));
        LoadLanguage(f, path);
        EXPECT_EQ(f.cmdPlay.toolTip(), QStringLiteral("Play"));
        EXPECT_EQ(f.cboSize.items(), QStringList({"S"}));
    }
}

TEST_F(LanguageTest, CutOffBlockUsesTheLastLineRead)
{
    struct Row
    {
        const char *name;
        QByteArray file;
        QString caption;
        QString toolTip;
    };
    const Row rows[] = {
        {"tooltip missing", crlf({"*", "cmdPlay", "-1", "Nur"}), QStringLiteral("Nur"),
         QStringLiteral("Nur")},
        {"caption and tooltip missing", "*\r\ncmdPlay\r\n-1", QStringLiteral("-1"), QStringLiteral("-1")},
        {"index missing", "*\r\ncmdPlay", QStringLiteral("4"), QStringLiteral("Abspielen")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        MainForm f;
        const QString path = m_dir.filePath(QStringLiteral("Cut3.lng"));
        ASSERT_TRUE(writeFile(path, row.file));
        LoadLanguage(f, path);
        EXPECT_EQ(f.cmdPlay.caption(), row.caption);
        EXPECT_EQ(f.cmdPlay.toolTip(), row.toolTip);
    }
}

TEST_F(LanguageTest, CutOffOrHugeListEndsAtTheEndOfTheFile)
{
    for (const QByteArray &marker :
         {QByteArray("#5"), QByteArray("#2000000000"), QByteArray("#99999999999999999999")}) {
        SCOPED_TRACE(marker.constData());
        MainForm f;
        const auto start = std::chrono::steady_clock::now();
        const QString path = m_dir.filePath(QStringLiteral("Huge3.lng"));
        ASSERT_TRUE(writeFile(path, crlf({marker, "lstComments", "-1", "a", "b"})));
        LoadLanguage(f, path);
        EXPECT_EQ(f.lstComments.items(), QStringList({"a", "b"}));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
    const QList<LanguageBlock> blocks = parseLanguage(u"~2000000000\nTabs\n-1\na\nb\n^\ncmdStop\n-1\nHalt");
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_TRUE(blocks.at(0).lines.isEmpty());
}

TEST_F(LanguageTest, OddFilesChangeNothingOrLittle)
{
    const QString folder = m_dir.filePath(QStringLiteral("Dir3.lng"));
    ASSERT_TRUE(QDir().mkpath(folder));
    LoadLanguage(form, folder);
    LoadLanguage(form, m_dir.filePath(QStringLiteral("Missing3.lng")));
    load(QByteArray());
    EXPECT_EQ(form.cmdStop.caption(), QStringLiteral("<"));
    EXPECT_EQ(form.lstComments.count(), 0);

    load(crlf({"^", "cmdStop", "-1", QByteArray(1 << 20, 'A')}));
    EXPECT_EQ(form.cmdStop.caption().size(), 1 << 20);
}

TEST_F(LanguageTest, BinaryJunkDoesNotCrash)
{
    std::mt19937 rng(20261201);
    const char alphabet[] = {'#', '~', '+', '^', '*', '\xB0', '-', '\r', '\n', '\0', '1', '9', 'a', '\xFF'};
    for (int round = 0; round < 300; ++round) {
        QByteArray junk(int(rng() % 4096), '\0');
        for (char &c : junk)
            c = round % 2 ? char(rng()) : alphabet[rng() % sizeof alphabet];
        MainForm f;
        const QString path = m_dir.filePath(QStringLiteral("Junk3.lng"));
        ASSERT_TRUE(writeFile(path, junk));
        LoadLanguage(f, path);
    }
    SUCCEED();
}

} // namespace
