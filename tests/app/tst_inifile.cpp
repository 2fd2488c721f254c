#include "services/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>
#include <sys/stat.h>

#include "testsupport.h"

using namespace tavelon;
using namespace tavelon::test;
using namespace Qt::StringLiterals;

namespace {

class IniFile : public ::testing::Test
{
protected:
    QString path(const QString &name = u"Clip.ini"_s) const { return tmp.filePath(name); }
    static void put(const QString &file, const QByteArray &bytes) { ASSERT_TRUE(writeFile(file, bytes)); }
    static QByteArray bytesOf(const QString &file) { return readFile(file); }

    QTemporaryDir tmp;
};

} // namespace

TEST_F(IniFile, ReadsByRules)
{
    put(path(), "pre=outside any section\r\n"
                "; comment=not a key\r\n"
                "[ClipSettings]\r\n"
                "Format=DVD PAL\r\n"
                "  Width \t=   720 \t\r\n"
                "Height=\r\n"
                "junk line without equals\n"
                "=no key\r"
                "[unclosed\r\n"
                "\x01\x02\x7F binary=ish\r\n"
                "Fps=25\r\n"
                "fps=30\r\n"
                "[Other]\r\n"
                "Only=other\r\n"
                "[CLIPSETTINGS]\r\n"
                "Speed=8\r\n");
    // What the lookup shows; section, key, value read
    const std::tuple<const char *, const char *, const char *, const char *> rows[] = {
        {"upper-case names find mixed-case names", "CLIPSETTINGS", "FORMAT", "DVD PAL"},
        {"blanks around key and value are trimmed", "clipsettings", "width", "720"},
        {"empty value reads as the default", "ClipSettings", "Height", "dflt"},
        {"missing key", "ClipSettings", "Missing", "dflt"},
        {"missing section", "Missing", "Format", "dflt"},
        {"key before any section", "ClipSettings", "pre", "dflt"},
        {"comment is no key", "ClipSettings", "; comment", "dflt"},
        {"lines after junk still read", "ClipSettings", "Fps", "25"},
        {"duplicate key: first wins", "ClipSettings", "FPS", "25"},
        {"duplicate section: first wins", "ClipSettings", "Speed", "dflt"},
        {"other section", "other", "only", "other"},
    };
    for (const auto &[name, section, key, expected] : rows)
        EXPECT_EQ(GetIniString(section, key, path(), "dflt"), QString::fromUtf8(expected)) << name;
}

TEST_F(IniFile, FilesThatAreNoSettingsReadAsDefaults)
{
    put(path("empty.ini"), "");
    put(path("binary.ini"), QByteArray("[S]\r\nk=v\r\n\0\xFF\xFE", 12));
    ASSERT_TRUE(QDir(tmp.path()).mkdir("folder.ini"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0); // reading would block
    for (const char *name : {"empty.ini", "binary.ini", "folder.ini", "fifo.ini", "missing.ini"})
        EXPECT_EQ(GetIniString("S", "k", path(name), "d"), "d") << name;

    // Writing never turns a folder or a pipe into a settings file.
    EXPECT_FALSE(WriteIniString("S", "k", "v", path("folder.ini")));
    EXPECT_TRUE(QFileInfo(path("folder.ini")).isDir());
}

// A damaged settings file is kept once as <name>.bak and a fresh one is written in its place.
TEST_F(IniFile, DamagedFileIsKeptOnceAndReplaced)
{
    const QByteArray withNul("[ClipSettings]\r\nSpeed=12\r\n\0junk", 30);
    const QByteArray oversized(16 * 1024 * 1024 + 1, 'x');
    for (const auto &[name, damaged] :
         {std::pair{"nul.ini", withNul}, std::pair{"oversized.ini", oversized}}) {
        SCOPED_TRACE(name);
        const QString file = path(name);
        put(file, damaged);
        ASSERT_TRUE(WriteIniString("ClipSettings", "Speed", "20", file));
        EXPECT_EQ(bytesOf(file), "[ClipSettings]\r\nSpeed=20\r\n");
        EXPECT_EQ(bytesOf(file + ".bak"), damaged);

        // Damaged again: the first backup stays as it was.
        put(file, QByteArray("second\0", 7));
        ASSERT_TRUE(WriteIniString("ClipSettings", "Box", "1", file));
        EXPECT_EQ(bytesOf(file), "[ClipSettings]\r\nBox=1\r\n");
        EXPECT_EQ(bytesOf(file + ".bak"), damaged);
    }
}

TEST_F(IniFile, LongValuesAreCutAndLongLinesAreHarmless)
{
    const QString value3000(3000, u'x');
    ASSERT_TRUE(WriteIniString("S", "Long", value3000, path()));
    EXPECT_EQ(GetIniString("S", "long", path(), ""), QString(2047, u'x'));

    // A surrogate pair at the cut is not split.
    ASSERT_TRUE(WriteIniString("S", "Emoji", QString(2046, u'x') + u"😀"_s, path()));
    EXPECT_EQ(GetIniString("S", "Emoji", path(), ""), QString(2046, u'x'));

    const QByteArray megabyte(1 << 20, 'j');
    put(path("big.ini"), "[S]\r\n" + megabyte + "\r\nk=v\r\nbig=" + megabyte + "\r\n");
    EXPECT_EQ(GetIniString("S", "k", path("big.ini"), ""), "v");
    EXPECT_EQ(GetIniString("S", "big", path("big.ini"), "").size(), 2047);
    ASSERT_TRUE(WriteIniString("S", "k", "w", path("big.ini")));
    EXPECT_EQ(bytesOf(path("big.ini")), "[S]\r\n" + megabyte + "\r\nk=w\r\nbig=" + megabyte + "\r\n");
}

TEST_F(IniFile, WritesInPlaceKeepingEveryOtherLine)
{
    EXPECT_TRUE(WriteIniString("ClipSettings", "Format", "DVD PAL", path()));
    EXPECT_EQ(bytesOf(path()), "[ClipSettings]\r\nFormat=DVD PAL\r\n");

    put(path(), "; top\n[A]\nx=1\n  y = 2\n\n[B]\nz=3");
    const std::tuple<const char *, const char *, const char *, QByteArray> steps[] = {
        {"a", "Y", "20", "; top\n[A]\nx=1\nY=20\r\n\n[B]\nz=3"},
        {"A", "new", "n", "; top\n[A]\nx=1\nY=20\r\nnew=n\r\n\n[B]\nz=3"},
        {"C", "k", "v", "; top\n[A]\nx=1\nY=20\r\nnew=n\r\n\n[B]\nz=3\r\n[C]\r\nk=v\r\n"},
        {"b", "Z", "", "; top\n[A]\nx=1\nY=20\r\nnew=n\r\n\n[B]\nZ=\r\n[C]\r\nk=v\r\n"},
    };
    for (const auto &[section, key, value, expected] : steps) {
        ASSERT_TRUE(WriteIniString(section, key, value, path()));
        EXPECT_EQ(bytesOf(path()), expected) << section << "/" << key;
    }
    EXPECT_EQ(GetIniString("A", "y", path(), ""), "20");

    // Names and values that could not be read back as written are refused, the file unchanged.
    const QByteArray before = bytesOf(path());
    EXPECT_FALSE(WriteIniString("A", "a=b", "v", path()));
    EXPECT_FALSE(WriteIniString("A", "k", "two\r\nlines", path()));
    EXPECT_FALSE(WriteIniString("A]", "k", "v", path()));
    EXPECT_FALSE(WriteIniString("A", " ", "v", path()));
    // A NUL anywhere would make the reader refuse the whole file.
    const QString nul(QChar(0));
    const QStringList withNul[] = {{"A" + nul, "k", "v"}, {"A", nul + "k", "v"}, {"A", "k", "x" + nul + "y"}};
    for (const QStringList &w : withNul) {
        EXPECT_FALSE(WriteIniString(w[0], w[1], w[2], path()));
        EXPECT_EQ(bytesOf(path()), before);
    }
}

TEST_F(IniFile, EncodingRoundTrips)
{
    ASSERT_TRUE(WriteIniString("ClipSettings", "Text", u"© BRIMHOLT"_s, path()));
    EXPECT_EQ(bytesOf(path()), "[ClipSettings]\r\nText=\xA9 BRIMHOLT\r\n");
    EXPECT_EQ(GetIniString("ClipSettings", "Text", path(), ""), u"© BRIMHOLT"_s);

    // One character outside 1252 makes the whole file UTF-8; nothing is lost.
    ASSERT_TRUE(WriteIniString("ClipSettings", "Greek", u"Ω 日本"_s, path()));
    EXPECT_EQ(bytesOf(path()),
              "[ClipSettings]\r\nText=\xC2\xA9 BRIMHOLT\r\nGreek=\xCE\xA9 \xE6\x97\xA5\xE6\x9C\xAC\r\n");
    EXPECT_EQ(GetIniString("ClipSettings", "Text", path(), ""), u"© BRIMHOLT"_s);
    EXPECT_EQ(GetIniString("ClipSettings", "Greek", path(), ""), u"Ω 日本"_s);

    put(path("win.ini"), "[Labels]\r\nHeight=H\xF6he\r\nEuro=\x80\r\n");
    EXPECT_EQ(GetIniString("Labels", "Height", path("win.ini"), ""), u"Höhe"_s);
    EXPECT_EQ(GetIniString("Labels", "Euro", path("win.ini"), ""), u"€"_s);

    // 1252 bytes of "Ã©" would read as UTF-8 "é", so such a file is written as UTF-8.
    ASSERT_TRUE(WriteIniString("S", "k", u"Ã©"_s, path("mojibake.ini")));
    EXPECT_EQ(GetIniString("S", "k", path("mojibake.ini"), ""), u"Ã©"_s);

    put(path("bom.ini"), "\xEF\xBB\xBF[Labels]\r\nHeight=H\xC3\xB6he\r\n");
    EXPECT_EQ(GetIniString("Labels", "Height", path("bom.ini"), ""), u"Höhe"_s);
}

TEST_F(IniFile, FailedWriteLeavesTheOldFileWhole)
{
    const QByteArray old = "[S]\r\nk=old\r\n";
    // The temporary file beside a 250-character name needs a name longer than a folder entry
    // may be, so the write fails before the old file is touched, whoever runs the test.
    const QString longName = path(QString(246, u'n') + ".ini");
    put(longName, old);
    EXPECT_FALSE(WriteIniString("S", "k", "new", longName));
    EXPECT_EQ(bytesOf(longName), old);

    EXPECT_FALSE(WriteIniString("S", "k", "new", path("missing-folder/Clip.ini")));
}
