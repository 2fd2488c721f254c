#include "services/fileservices.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavelon;

namespace {

class FileServices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path() + pathSeparator();
    }
    void touch(const QString &path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    QTemporaryDir tmp;
    QString root;
};

} // namespace

TEST_F(FileServices, CreatePath)
{
    const QString cwd = QDir::currentPath();
    const QString sep = pathSeparator();

    QString existing = tmp.path();
    EXPECT_TRUE(CreatePath(existing));
    EXPECT_EQ(existing, root);
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    QString twoLevels = root + "a" + sep + "b";
    EXPECT_TRUE(CreatePath(twoLevels));
    EXPECT_TRUE(QFileInfo(root + "a" + sep + "b").isDir());

    touch(root + "file");
    QString throughFile = root + "file" + sep + "sub" + sep;
    EXPECT_FALSE(CreatePath(throughFile));
    EXPECT_TRUE(QFileInfo(root + "file").isFile());

    QString relative = QStringLiteral("rel") + sep;
    EXPECT_FALSE(CreatePath(relative));
    EXPECT_FALSE(QFileInfo::exists(cwd + sep + "rel"));
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST_F(FileServices, ExistenceQuestions)
{
    touch(root + "f.txt");
    EXPECT_TRUE(FolderExists(tmp.path()));
    EXPECT_TRUE(FolderExists(root));
    EXPECT_FALSE(FolderExists(root + "missing"));
    EXPECT_FALSE(FolderExists(root + "f.txt"));
    EXPECT_FALSE(FolderExists(QString()));

    EXPECT_TRUE(FileExists(root + "f.txt"));
    EXPECT_FALSE(FileExists(tmp.path()));
    EXPECT_FALSE(FileExists(root));
    EXPECT_FALSE(FileExists(root + "missing"));
}

TEST(FileServicesText, LastPathPartAndAddBackslash)
{
    const QString s = pathSeparator();
    EXPECT_EQ(LastPathPart("a" + s + "b" + s), "b");
    EXPECT_EQ(LastPathPart("a" + s + "b"), "b");
    EXPECT_EQ(LastPathPart("abc"), "abc");
    EXPECT_EQ(LastPathPart(""), "");
    EXPECT_EQ(LastPathPart(s), "");

    QString p;
    AddBackslash(p);
    EXPECT_EQ(p, s);
    AddBackslash(p);
    EXPECT_EQ(p, s);
}

TEST(FileServicesText, EntryIgnoringCase)
{
    const struct
    {
        const char *name;
        QStringList entries;
        const char *wanted;
        std::optional<QString> found;
    } rows[] = {
        {"exact spelling wins", {"clip.ini", "Clip.ini", "CLIP.INI"}, "Clip.ini", "Clip.ini"},
        {"other case", {"a.bmp", "clip.ini"}, "Clip.ini", "clip.ini"},
        {"several: first in byte order", {"frames", "FRAMES", "Frames2", "fRAMES"}, "Frames", "FRAMES"},
        {"non-ASCII letters", {QString::fromUtf8("ÜBUNG")}, "übung", QString::fromUtf8("ÜBUNG")},
        {"none", {"Clip.ini.bak", "Clip.in"}, "Clip.ini", std::nullopt},
        {"empty folder", {}, "Frames", std::nullopt},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(entryIgnoringCase(row.entries, QString::fromUtf8(row.wanted)), row.found);
    }
}

TEST_F(FileServices, PathIgnoringCase)
{
    ASSERT_TRUE(QDir(root).mkdir("frames"));
    touch(root + "halvane.ini");
    EXPECT_EQ(pathIgnoringCase(root, "Frames"), root + "frames");
    EXPECT_EQ(pathIgnoringCase(root, "Halvane.ini"), root + "halvane.ini");
    // Missing in every spelling: the name as asked for, to be created.
    EXPECT_EQ(pathIgnoringCase(root, "Clips"), root + "Clips");
    EXPECT_EQ(pathIgnoringCase(root + "missing" + pathSeparator(), "Clip.ini"),
              root + "missing" + pathSeparator() + "Clip.ini");
}
