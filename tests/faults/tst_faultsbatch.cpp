// The batch mode under real failures and with unusual clip names: the program itself, its exit
// codes, stdout and stderr, and the files it leaves.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

#include "app/inifile.h"
#include "faultsupport.h"
#include "formfixture.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

class FaultsBatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
    }
    // Runs the program on the fixture's folder; with enforcePermissions, as root without the
    // capabilities that override file permissions.
    Result run(const QStringList &args, bool enforcePermissions = false, const QByteArray &locale = "C")
    {
        QProcess p;
        QStringList all = QStringList{QStringLiteral("--root"), fx.root()} + args;
        if (enforcePermissions && geteuid() == 0) {
            p.setProgram(QStringLiteral("setpriv"));
            all = QStringList{QStringLiteral("--bounding-set"),
                              QStringLiteral("-dac_override,-dac_read_search"), QStringLiteral("--"),
                              QStringLiteral(TAVELON_BIN)} +
                  all;
        } else {
            p.setProgram(QStringLiteral(TAVELON_BIN));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LANG"));
        env.remove(QStringLiteral("LC_CTYPE"));
        env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
        p.setProcessEnvironment(env);
        p.setArguments(all);
        p.start();
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QString video(const QString &name) const
    {
        return fx.root() + QStringLiteral("Clips/") + name + QStringLiteral(".avi");
    }
    void makeGarten()
    {
        fx.makeClip(QStringLiteral("Garten"), 20, QSize(32, 24));
        fx.writeClipIni(QStringLiteral("Garten"),
                        QStringLiteral("ClipName=alt\r\nFormat=VCD PAL\r\nWidth=32\r\nHeight=24\r\n"));
        QDir().mkpath(fx.root() + QStringLiteral("Clips"));
        ASSERT_TRUE(writeFile(video(QStringLiteral("Garten")), "RIFF old video"));
    }

    FormFixture fx;
};

TEST_F(FaultsBatchTest, FullClipsFolderExitsOneAndWhatWasWrittenPlays)
{
    TmpfsMount disk(fx.root() + QStringLiteral("Clips"), 1024);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.why();
    makeGarten();
    ASSERT_TRUE(fillUp(fx.root() + QStringLiteral("Clips/filler"), 16384));
    const auto before = snapshot(fx.root());
    const Result r = run({"--make-video", "Garten"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QLatin1String("Fehler beim Schreiben der Datei."))) << r.err.toStdString();
    EXPECT_EQ(readFile(video(QStringLiteral("Garten"))), QByteArray("RIFF old video"));
    const PlayResult played = playCheck(video(QStringLiteral("Garten_2")));
    EXPECT_TRUE(played.ok) << played.errors.toStdString();
    EXPECT_GE(played.frames, 1);
    EXPECT_LT(played.frames, 20);
    EXPECT_EQ(differences(before, snapshot(fx.root()), {"Clip.ini", "Clips/Garten_2.avi"}), QStringList());
}

TEST_F(FaultsBatchTest, FullProgramFolderExitsOneAndChangesNothing)
{
    TmpfsMount disk(fx.root(), 1024);
    if (!disk.isMounted())
        GTEST_SKIP() << disk.why();
    makeGarten();
    ASSERT_TRUE(fillUp(fx.root() + QStringLiteral("filler"), 0));
    const auto before = snapshot(fx.root());
    const Result r = run({"--make-video", "Garten"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QLatin1String("Frames konnten nicht geladen werden !")))
        << r.err.toStdString();
    EXPECT_EQ(snapshot(fx.root()), before);
}

TEST_F(FaultsBatchTest, ClipsFolderIsAFileExitsOne)
{
    fx.makeClip(QStringLiteral("Garten"), 2, QSize(32, 24));
    ASSERT_TRUE(writeFile(fx.root() + QStringLiteral("Clips"), "not a folder"));
    const Result r = run({"--make-video", "Garten"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QLatin1String("Fehler beim Schreiben der Datei."))) << r.err.toStdString();
    EXPECT_EQ(readFile(fx.root() + QStringLiteral("Clips")), QByteArray("not a folder"));
    EXPECT_FALSE(QFile::exists(fx.root() + QStringLiteral("temp.bmp")));
}

TEST_F(FaultsBatchTest, UnreadableFramesFolderListsNothing)
{
    if (geteuid() == 0 && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        GTEST_SKIP()
            << "running as root without setpriv: file permissions cannot be made to bind the program";
    fx.makeClip(QStringLiteral("Garten"), 2, QSize(32, 24));
    ASSERT_TRUE(QFile::setPermissions(fx.framesPath(), {}));
    const Result list = run({"--list-clips"}, true);
    const Result make = run({"--make-video", "Garten"}, true);
    QFile::setPermissions(fx.framesPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.isEmpty());
    EXPECT_EQ(make.exitCode, 2) << "the clip is not listed";
    EXPECT_EQ(make.err.count(QLatin1Char('\n')), 1) << make.err.toStdString();
}

// Clip names as they sort, each with two frames whose names are just as odd.
const char *const kNames[] = {"--root",        "-x",       "Grüße", "it's", "mit Leerzeichen",
                              "sag \"hallo\"", "Ελληνικά", "日本"};

TEST_F(FaultsBatchTest, NamesPassThroughExactly)
{
    QByteArray listing;
    for (const char *utf8 : kNames) {
        const QString name = QString::fromUtf8(utf8);
        writeFrames(fx.clipPath(name), {name + QStringLiteral(" 0.bmp"), name + QStringLiteral(" 1.jpg")});
        listing += QByteArray(utf8) + '\n';
    }
    for (const QByteArray locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale.constData());
        EXPECT_EQ(run({"--list-clips"}, false, locale).out, listing);
    }
    for (const char *utf8 : kNames) {
        const QString name = QString::fromUtf8(utf8);
        SCOPED_TRACE(utf8);
        const Result r = run({"--make-video", name, "--width", "32", "--height", "24"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, QFile::encodeName(QDir::cleanPath(video(name))) + '\n');
        const PlayResult played = playCheck(video(name));
        EXPECT_TRUE(played.ok) << played.errors.toStdString();
        EXPECT_EQ(played.frames, 2);
        EXPECT_EQ(GetIniString(QStringLiteral("ClipSettings"), QStringLiteral("ClipName"),
                               fx.clipPath(name) + QStringLiteral("Clip.ini"), QString()),
                  name);
    }
}

} // namespace
