#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/programfolder.h"

using namespace tavelon;

namespace {

struct LocateCase
{
    const char *name;
    bool installed; // prefix/share/brimholt-tavelon exists
    const char *root;
    bool withHome;
    const char *folder; // relative to the temporary directory; "" for none
    bool perUser;
};

const LocateCase kLocateCases[] = {
    {"BuildFolderUsesItsOwnFolder", false, "", true, "prefix/bin", false},
    {"InstalledCopyUsesThePerUserFolder", true, "", true, "home/Brimholt Tavelon", true},
    {"RootWinsOverThePerUserFolder", true, "elsewhere", true, "elsewhere", false},
    {"RootWinsInTheBuildFolder", false, "elsewhere", true, "elsewhere", false},
    {"InstalledCopyWithoutHomeHasNoFolder", true, "", false, "", true},
};

TEST(ProgramFolderTest, Locate)
{
    for (const LocateCase &c : kLocateCases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const QDir dir(tmp.path());
        ASSERT_TRUE(dir.mkpath(QStringLiteral("prefix/bin")));
        if (c.installed) {
            ASSERT_TRUE(dir.mkpath(QStringLiteral("prefix/share/brimholt-tavelon/Language")));
        }
        const QString root = *c.root ? dir.filePath(QString::fromLatin1(c.root)) : QString();
        const QString home = c.withHome ? dir.filePath(QStringLiteral("home")) : QString();
        const ProgramFolder got = locateProgramFolder(root, dir.filePath(QStringLiteral("prefix/bin")), home,
                                                      QStringLiteral("../share/brimholt-tavelon"),
                                                      QStringLiteral("/src/data/Language/"));
        EXPECT_EQ(got.folder, *c.folder ? dir.filePath(QString::fromLatin1(c.folder)) : QString());
        EXPECT_EQ(got.perUser, c.perUser);
        // The installed language files serve also a folder named by --root; a copy that is not
        // installed falls back to the source tree's.
        EXPECT_EQ(got.installedLanguages,
                  c.installed ? dir.filePath(QStringLiteral("prefix/share/brimholt-tavelon/Language/"))
                              : QStringLiteral("/src/data/Language/"));
    }
}

TEST(ProgramFolderTest, CreatesFramesAndClipsAndKeepsWhatIsThere)
{
    QTemporaryDir home;
    const QString folder = QDir(home.path()).filePath(perUserFolderName());
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/Frames/Garten")));
    ASSERT_TRUE(createProgramFolder(folder));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Clips")).isDir());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Frames/Garten")).isDir());
    ASSERT_TRUE(createProgramFolder(folder)); // a second start finds everything in place
}

struct FailCase
{
    const char *name;
    const char *fileInPlace; // a file where a folder must go, relative to home
    bool missingHome;
    bool readOnlyHome;
};

const FailCase kFailCases[] = {
    {"FileInThePlaceOfTheFolder", "Brimholt Tavelon", false, false},
    {"FileInThePlaceOfFrames", "Brimholt Tavelon/Frames", false, false},
    {"MissingHomeIsNotMade", "", true, false},
    {"ReadOnlyHome", "", false, true},
};

TEST(ProgramFolderTest, FolderThatCannotBeMadeFailsAndWritesNothingElse)
{
    for (const FailCase &c : kFailCases) {
        SCOPED_TRACE(c.name);
        if (c.readOnlyHome && geteuid() == 0)
            continue; // permissions do not stop root
        QTemporaryDir tmp;
        const QString home = tmp.path() + QStringLiteral("/home");
        if (!c.missingHome) {
            ASSERT_TRUE(QDir().mkpath(home));
        }
        if (*c.fileInPlace) {
            const QString file = home + QLatin1Char('/') + QString::fromUtf8(c.fileInPlace);
            QDir().mkpath(QFileInfo(file).path());
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        if (c.readOnlyHome)
            QFile::setPermissions(home, QFile::ReadOwner | QFile::ExeOwner);
        const QStringList before = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        EXPECT_FALSE(createProgramFolder(home + QLatin1Char('/') + perUserFolderName()));
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        EXPECT_FALSE(QFileInfo(home + QStringLiteral("/Brimholt Tavelon/Clips")).exists());
        QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    EXPECT_FALSE(createProgramFolder(QString()));
}

} // namespace
