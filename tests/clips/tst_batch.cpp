// The batch mode as a user runs it: the program itself, its exit codes, stdout and stderr, and the
// files it writes, checked with ffprobe.
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include "services/inifile.h"
#include "services/instancelock.h"
#include "formfixture.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray outBytes;
};

class BatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
        fx.makeClip(QStringLiteral("Garten"), 3);
    }
    // The program on the fixture's folder, in the given locale when one is named.
    Result run(QStringList args, const char *locale = nullptr)
    {
        QProcess p;
        if (locale) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("LANG"));
            env.remove(QStringLiteral("LC_CTYPE"));
            env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
            p.setProcessEnvironment(env);
        }
        p.setProgram(QStringLiteral(TAVELON_BIN));
        p.setArguments(QStringList{QStringLiteral("--root"), fx.root()} + args);
        p.start();
        p.waitForFinished(120000);
        const QByteArray out = p.readAllStandardOutput();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(out),
                QString::fromLocal8Bit(p.readAllStandardError()), out};
    }
    QString clipIni(const QString &key)
    {
        return GetIniString(QStringLiteral("ClipSettings"), key,
                            fx.clipPath(QStringLiteral("Garten")) + QStringLiteral("Clip.ini"), QString());
    }
    FormFixture fx;
};

TEST_F(BatchTest, MakesTheVideoAndPrintsOnlyItsPath)
{
    const Result r = run({"--make-video", "Garten", "--format", "VCD NTSC", "--width", "40", "--height", "30",
                          "--speed", "99", "--direction", "2", "--compressor", "mjpeg"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString path = fx.root() + QStringLiteral("Clips/Garten.avi");
    EXPECT_EQ(r.out, QDir::cleanPath(path) + QLatin1Char('\n'));
    const auto p = probe(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->codecName, QLatin1String("mjpeg"));
    EXPECT_EQ(p->width, 40) << "--width after --format overrides the preset";
    EXPECT_EQ(p->height, 30);
    EXPECT_EQ(p->frameRate, QLatin1String("30/1")) << "speed kept within the scroll bar's range";
    EXPECT_EQ(p->frames, 5) << "forward and back";
    EXPECT_EQ(clipIni(QStringLiteral("Format")), QLatin1String("VCD NTSC"));
    EXPECT_EQ(clipIni(QStringLiteral("Width")), QLatin1String("40"));
    EXPECT_EQ(clipIni(QStringLiteral("Speed")), QLatin1String("30"));
    EXPECT_EQ(clipIni(QStringLiteral("Direction")), QLatin1String("2"));
}

TEST_F(BatchTest, OverlayOptionsReachTheFrames)
{
    const Result r = run({"--make-video", "Garten", "--format", "VCD PAL", "--overlay", "--box", "--position",
                          "0", "--text", "Wald", "--color", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString path = fx.root() + QStringLiteral("Clips/Garten.avi");
    const QByteArray rgb = decodeRgb24(path);
    ASSERT_FALSE(rgb.isEmpty());
    // VCD, top left, box: anchor (7 + 3 + 7, 7 + 6), so the box starts at (12, 12), left of the text.
    EXPECT_LT(colourDistance(rgb, 352, 288, 0, 14, 20, QColor(64, 64, 64)), 8);
    EXPECT_EQ(clipIni(QStringLiteral("Pos")), QLatin1String("0"));
    EXPECT_EQ(clipIni(QStringLiteral("Box")), QLatin1String("1"));
    EXPECT_EQ(clipIni(QStringLiteral("Text")), QLatin1String("Wald"));
    EXPECT_EQ(clipIni(QStringLiteral("Copyright")), QLatin1String("1"));
}

TEST_F(BatchTest, ExistingVideoGetsNextNameUnlessOverwrite)
{
    ASSERT_EQ(run({"--make-video", "Garten"}).exitCode, 0);
    const Result second = run({"--make-video", "Garten"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.trimmed().endsWith(QLatin1String("Garten_2.avi")));
    EXPECT_TRUE(second.err.contains(QLatin1String("Garten.avi"))) << "the question is reported";
    const Result third = run({"--make-video", "Garten", "--overwrite"});
    EXPECT_TRUE(third.out.trimmed().endsWith(QLatin1String("Garten.avi")));
}

TEST_F(BatchTest, UsageErrorsExitTwo)
{
    for (const QStringList &args :
         {QStringList{"--make-video", "Nirgends"}, QStringList{"--make-video", "Garten", "--format", "PAL"},
          QStringList{"--make-video", "Garten", "--compressor", "nope"}, QStringList{"--frobnicate"},
          QStringList{"--check-clip", "Nirgends"},
          QStringList{"--make-video", "Garten", "--container", "mkv"},
          QStringList{"--make-video", "Garten", "--fit", "crop"},
          QStringList{"--make-video", "Garten", "--container", "mp4", "--compressor", "mjpeg"}}) {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    }
    EXPECT_FALSE(QDir(fx.root() + QStringLiteral("Clips")).exists() &&
                 !QDir(fx.root() + QStringLiteral("Clips")).entryList(QDir::Files).isEmpty());
}

// MP4 with H.264 unless told otherwise, kept in Clip.ini with the fit; 64 × 48 frames in a 96 × 48
// video keep their shape between black bars 16 pixels wide, or fill it when stretched.
TEST_F(BatchTest, Mp4AndFitAreStoredAndApplied)
{
    const struct
    {
        QStringList args;
        const char *file;
        bool bars;
    } runs[] = {
        {{"--container", "mp4", "--fit", "pad", "--width", "96", "--height", "48"}, "Garten.mp4", true},
        {{}, "Garten_2.mp4", true},
        {{"--fit", "stretch", "--overwrite"}, "Garten.mp4", false},
    };
    for (const auto &c : runs) {
        SCOPED_TRACE(c.file);
        const Result r = run(QStringList{"--make-video", "Garten"} + c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString path = fx.root() + QStringLiteral("Clips/") + QLatin1String(c.file);
        EXPECT_EQ(r.out, QDir::cleanPath(path) + QLatin1Char('\n'));
        const auto p = probe(path);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->codecName, QLatin1String("h264"));
        EXPECT_EQ(p->frames, 3);
        const QByteArray rgb = decodeRgb24(path);
        for (int x : {3, 12, 84, 92})
            EXPECT_LT(colourDistance(rgb, 96, 48, 0, x, 24,
                                     c.bars ? QColor(Qt::black) : FormFixture::frameColor(0)),
                      12)
                << x;
        EXPECT_LT(colourDistance(rgb, 96, 48, 0, 48, 24, FormFixture::frameColor(0)), 12);
        EXPECT_EQ(clipIni(QStringLiteral("Container")), QLatin1String("mp4"));
        EXPECT_EQ(clipIni(QStringLiteral("Fit")), QLatin1String(c.bars ? "pad" : "stretch"));
    }
}

TEST_F(BatchTest, FailureExitsOneWithTheLanguageFilesText)
{
    QDir().mkpath(fx.root() + QStringLiteral("Language"));
    ASSERT_TRUE(
        writeFile(fx.root() + QStringLiteral("Halvane.ini"), "[Orrin's Halvane]\r\nLanguage=English\r\n"));
    ASSERT_TRUE(writeFile(fx.root() + QStringLiteral("Language/English3.lng"),
                          "#0\r\nlstComments\r\n-1\r\nFrames could not be loaded!\r\n"));
    const Result r = run({"--make-video", "Garten", "--width", "0"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QLatin1String("Frames could not be loaded!"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(fx.root() + QStringLiteral("Clips/Garten.avi")))
        << "an empty result is removed";
}

TEST_F(BatchTest, ChecksAClipAtItsStoredSpeed)
{
    fx.writeClipIni(QStringLiteral("Garten"), QStringLiteral("Speed=5\r\nDirection=2\r\n"));
    const Result clean = run({"--check-clip", "Garten"});
    EXPECT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    EXPECT_EQ(clean.out,
              QStringLiteral("3 Frames, erster Frame 64 × 48 Pixel, Länge 1.0 s bei 5 Bildern/s\n"));

    QFile::remove(fx.clipPath(QStringLiteral("Garten")) + QStringLiteral("f001.bmp"));
    const Result gap = run({"--check-clip", "Garten"});
    EXPECT_EQ(gap.exitCode, 1);
    EXPECT_EQ(gap.out, QStringLiteral("Lücke in der Nummerierung zwischen f000.bmp und f002.bmp\n"
                                      "2 Frames, erster Frame 64 × 48 Pixel, Länge 0.6 s bei 5 Bildern/s\n"));
}

TEST_F(BatchTest, AnotherCopyOnTheSameFolderExitsThree)
{
    InstanceLock lock(fx.root());
    ASSERT_TRUE(lock.tryLock());
    const Result r = run({"--make-video", "Garten"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1);
}

TEST_F(BatchTest, HelpAndCompressorList)
{
    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QLatin1String("--make-video")));
    const QString compressors = run({"--list-compressors"}).out;
    EXPECT_TRUE(compressors.startsWith(QLatin1String("uncompressed ")));
    for (const char *id : {"mjpeg", "mpeg4", "ffv1"})
        EXPECT_TRUE(compressors.contains(QLatin1String(id)));
}

// Clip names as they sort, each with two frames whose names are just as odd.
const char *const kNames[] = {"--root",        "-x",       "Grüße", "it's", "mit Leerzeichen",
                              "sag \"hallo\"", "Ελληνικά", "日本"};

// Clip and frame names with blanks, quotes, umlauts, other scripts and leading dashes, end to end:
// listed, made into a video whose path is printed as it is, and kept in Clip.ini (in Windows-1252
// when every character has a byte there).
TEST_F(BatchTest, NamesPassThroughExactly)
{
    ASSERT_TRUE(QDir(fx.clipPath(QStringLiteral("Garten"))).removeRecursively());
    QByteArray listing;
    for (const char *utf8 : kNames) {
        const QString name = QString::fromUtf8(utf8);
        writeFrames(fx.clipPath(name), {name + QStringLiteral(" 0.bmp"), name + QStringLiteral(" 1.jpg")});
        listing += QByteArray(utf8) + '\n';
    }
    for (const char *locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale);
        EXPECT_EQ(run({"--list-clips"}, locale).outBytes, listing);
    }
    for (const char *utf8 : kNames) {
        const QString name = QString::fromUtf8(utf8);
        SCOPED_TRACE(utf8);
        const QString video = fx.root() + QStringLiteral("Clips/") + name + QStringLiteral(".avi");
        const Result r = run({"--make-video", name, "--width", "32", "--height", "24"}, "C");
        ASSERT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.outBytes, QFile::encodeName(QDir::cleanPath(video)) + '\n');
        QString errors;
        const auto p = probe(video, &errors);
        ASSERT_TRUE(p);
        EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
        EXPECT_EQ(p->frames, 2);
        const QString ini = fx.clipPath(name) + QStringLiteral("Clip.ini");
        EXPECT_EQ(GetIniString(QStringLiteral("ClipSettings"), QStringLiteral("ClipName"), ini, QString()),
                  name);
        const bool ansi = QString::fromLatin1(name.toLatin1()) == name;
        EXPECT_TRUE(readFile(ini).contains("ClipName=" + (ansi ? name.toLatin1() : name.toUtf8())));
    }
}

} // namespace
