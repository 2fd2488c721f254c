// Unusual clip names in batch mode: the program itself, its stdout and the files it writes. The
// faults themselves are checked through the form, the exit codes in tests/clips/tst_batch.
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include "services/inifile.h"
#include "faultsupport.h"
#include "formfixture.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

// Clip names as they sort, each with two frames whose names are just as odd.
const char *const kNames[] = {"--root",        "-x",       "Grüße", "it's", "mit Leerzeichen",
                              "sag \"hallo\"", "Ελληνικά", "日本"};

TEST(FaultsBatch, NamesPassThroughExactly)
{
    if (!haveFfmpegTools())
        GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
    FormFixture fx;
    // Runs the program on the fixture's folder in the given locale; exit code and stdout.
    const auto run = [&](const QStringList &args, const QByteArray &locale = "C") {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("LANG"));
        env.remove(QStringLiteral("LC_CTYPE"));
        env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVELON_BIN), QStringList{QStringLiteral("--root"), fx.root()} + args);
        p.waitForFinished(60000);
        const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return std::pair{code, p.readAllStandardOutput()};
    };
    QByteArray listing;
    for (const char *utf8 : kNames) {
        const QString name = QString::fromUtf8(utf8);
        writeFrames(fx.clipPath(name), {name + QStringLiteral(" 0.bmp"), name + QStringLiteral(" 1.jpg")});
        listing += QByteArray(utf8) + '\n';
    }
    for (const QByteArray locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale.constData());
        EXPECT_EQ(run({"--list-clips"}, locale).second, listing);
    }
    for (const char *utf8 : kNames) {
        const QString name = QString::fromUtf8(utf8);
        SCOPED_TRACE(utf8);
        const QString video = fx.root() + QStringLiteral("Clips/") + name + QStringLiteral(".avi");
        const auto [code, out] = run({"--make-video", name, "--width", "32", "--height", "24"});
        ASSERT_EQ(code, 0);
        EXPECT_EQ(out, QFile::encodeName(QDir::cleanPath(video)) + '\n');
        const PlayResult played = playCheck(video);
        EXPECT_TRUE(played.ok) << played.errors.toStdString();
        EXPECT_EQ(played.frames, 2);
        EXPECT_EQ(GetIniString(QStringLiteral("ClipSettings"), QStringLiteral("ClipName"),
                               fx.clipPath(name) + QStringLiteral("Clip.ini"), QString()),
                  name);
    }
}

} // namespace
