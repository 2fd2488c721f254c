// The program copied into bin/ of a prefix that holds share/brimholt-tavelon/: an installed copy.
// It keeps its program folder in the home folder, makes it at the first start, and writes nothing
// anywhere else, also when the folder cannot be made.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "testsupport.h"

using namespace tavelon::test;

namespace {

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

struct RunResult
{
    int code = -1;
    QString out;
    QString err;
};

class InstalledCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QDir dir(m_dir.path());
        ASSERT_TRUE(dir.mkpath(QStringLiteral("prefix/bin")));
        ASSERT_TRUE(dir.mkpath(QStringLiteral("prefix/share/brimholt-tavelon/Language")));
        m_bin = dir.filePath(QStringLiteral("prefix/bin/brimholt-tavelon"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TAVELON_BIN), m_bin));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(TAVELON_LANGUAGE_DIR "/English3.lng"),
                        dir.filePath(QStringLiteral("prefix/share/brimholt-tavelon/Language/English3.lng"))));
        m_prefix = tree(dir.filePath(QStringLiteral("prefix")));
    }

    QString path(const QString &relative) const { return QDir(m_dir.path()).filePath(relative); }
    QString programFolder() const { return path(QStringLiteral("home/Brimholt Tavelon")); }

    RunResult run(const QStringList &args, const QString &home)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(m_bin, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        RunResult r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        r.err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        return r;
    }

    // The prefix holds what was installed, nothing more.
    void expectPrefixUntouched() { EXPECT_EQ(tree(path(QStringLiteral("prefix"))), m_prefix); }

    QTemporaryDir m_dir;
    QString m_bin;
    QStringList m_prefix;
};

TEST_F(InstalledCopy, FirstStartMakesThePerUserFolderAndMakesVideosThere)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("home"))));
    const RunResult first =
        run({QStringLiteral("--make-video"), QStringLiteral("Garten")}, path(QStringLiteral("home")));
    EXPECT_EQ(first.code, 2) << first.err.toStdString(); // no such clip yet, but the folder is there
    EXPECT_EQ(tree(programFolder()), (QStringList{QStringLiteral("Clips"), QStringLiteral("Frames")}));

    writeFrames(programFolder() + QStringLiteral("/Frames/Garten"),
                {QStringLiteral("a.bmp"), QStringLiteral("b.bmp")});
    const RunResult made =
        run({QStringLiteral("--make-video"), QStringLiteral("Garten")}, path(QStringLiteral("home")));
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, programFolder() + QStringLiteral("/Clips/Garten.avi"));
    const RunResult listed = run({QStringLiteral("--list-clips")}, path(QStringLiteral("home")));
    EXPECT_EQ(listed.out, QStringLiteral("Garten"));
    expectPrefixUntouched();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Brimholt Tavelon"))));
}

TEST_F(InstalledCopy, RootOverridesThePerUserFolder)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("home"))));
    writeFrames(path(QStringLiteral("elsewhere/Frames/Teich")), {QStringLiteral("a.bmp")});
    const RunResult made = run({QStringLiteral("--root"), path(QStringLiteral("elsewhere")),
                                QStringLiteral("--make-video"), QStringLiteral("Teich")},
                               path(QStringLiteral("home")));
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, path(QStringLiteral("elsewhere/Clips/Teich.avi")));
    EXPECT_TRUE(tree(path(QStringLiteral("home"))).isEmpty());
    expectPrefixUntouched();
}

TEST_F(InstalledCopy, FolderThatCannotBeMadeIsReportedAndNothingIsWritten)
{
    struct Row
    {
        const char *name;
        bool fileInPlace; // a file named like the program folder in the home folder
        const char *language;
        const char *message;
    };
    const Row rows[] = {
        {"FileInPlace", true, "", "Brimholt Tavelon: Error: Der Programmordner kann nicht angelegt werden:"},
        {"MissingHomeInEnglish", false, "English",
         "Brimholt Tavelon: Error: The program folder cannot be created:"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir tmp;
        const QString home = tmp.path() + QStringLiteral("/home");
        if (row.fileInPlace) {
            ASSERT_TRUE(QDir().mkpath(home));
            QFile file(home + QStringLiteral("/Brimholt Tavelon"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const QStringList before = tree(tmp.path());
        QStringList args = {QStringLiteral("--make-video"), QStringLiteral("Garten")};
        if (*row.language)
            args << QStringLiteral("--language") << QString::fromLatin1(row.language);
        const RunResult r = run(args, home);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.startsWith(QString::fromUtf8(row.message))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(home + QStringLiteral("/Brimholt Tavelon"))) << r.err.toStdString();
        EXPECT_EQ(tree(tmp.path()), before);
        expectPrefixUntouched();
    }
}

} // namespace
