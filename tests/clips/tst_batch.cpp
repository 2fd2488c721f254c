// The batch mode as a user runs it: the program itself, its exit codes, stdout and stderr, and the
// files it writes, checked with ffprobe.
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <tuple>

#include "services/inifile.h"
#include "services/instancelock.h"
#include "testsupport.h"

using namespace tavelon;
using namespace tavelon::test;
using namespace Qt::StringLiterals;

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

class BatchTest : public ::testing::Test
{
protected:
    void SetUp() override { fx.makeClip(u"Garten"_s, 3); }
    // The program on the fixture's folder, in the given locale when one is named.
    Result run(QStringList args, const char *locale = nullptr)
    {
        QProcess p;
        if (locale) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(u"LANG"_s);
            env.remove(u"LC_CTYPE"_s);
            env.insert(u"LC_ALL"_s, QString::fromLatin1(locale));
            p.setProcessEnvironment(env);
        }
        p.start(QStringLiteral(TAVELON_BIN), QStringList{u"--root"_s, fx.root()} + args);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                QString::fromLocal8Bit(p.readAllStandardError())};
    }
    QString clipIni(const char *key)
    {
        return GetIniString("ClipSettings", key, fx.clipPath(u"Garten"_s) + "Clip.ini", QString());
    }
    FormFixture fx;
};

TEST_F(BatchTest, MakesTheVideoAndPrintsOnlyItsPath)
{
    const Result r = run({"--make-video", "Garten", "--format", "VCD NTSC", "--width", "40", "--height", "30",
                          "--speed", "99", "--direction", "2", "--compressor", "mjpeg"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString path = fx.video(u"Garten"_s);
    EXPECT_EQ(r.out, QFile::encodeName(QDir::cleanPath(path)) + '\n');
    const Probe p = probe(path);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.codecName, u"mjpeg"_s);
    EXPECT_EQ(QSize(p.width, p.height), QSize(40, 30)) << "--width after --format overrides the preset";
    EXPECT_EQ(p.frameRate, u"30/1"_s) << "speed kept within the scroll bar's range";
    EXPECT_EQ(p.frames, 5) << "forward and back";
    EXPECT_EQ(QStringList({clipIni("Format"), clipIni("Width"), clipIni("Speed"), clipIni("Direction")}),
              QStringList({"VCD NTSC", "40", "30", "2"}));

    // An existing video gets the next name, and the question is reported, unless --overwrite.
    const Result second = run({"--make-video", "Garten"});
    EXPECT_TRUE(second.out.trimmed().endsWith("Garten_2.avi"));
    EXPECT_TRUE(second.err.contains(u"Garten.avi"_s));
    EXPECT_EQ(run({"--make-video", "Garten", "--overwrite"}).out, r.out);
}

TEST_F(BatchTest, OverlayOptionsReachTheFrames)
{
    const Result r = run({"--make-video", "Garten", "--format", "VCD PAL", "--overlay", "--box", "--position",
                          "0", "--text", "Wald", "--color", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray rgb = decodeRgb24(fx.video(u"Garten"_s));
    // VCD, top left, box: anchor (7 + 3 + 7, 7 + 6), so the box starts at (12, 12), left of the text.
    EXPECT_LT(colourDistance(rgb, 352, 288, 0, 14, 20, QColor(64, 64, 64)), 8);
    EXPECT_EQ(QStringList({clipIni("Pos"), clipIni("Box"), clipIni("Text"), clipIni("Copyright")}),
              QStringList({"0", "1", "Wald", "1"}));
}

// Exit status 2 for usage errors (the parser's own cases are in tst_commandline), 1 for a failure
// in the language file's words, 3 for another copy on the same folder; one line each on stderr.
TEST_F(BatchTest, ExitStatusesAndErrorLines)
{
    for (const QStringList &args :
         {QStringList{"--make-video", "Nirgends"}, QStringList{"--frobnicate"},
          QStringList{"--make-video", "Garten", "--format", "PAL"},
          QStringList{"--make-video", "Garten", "--compressor", "nope"},
          QStringList{"--make-video", "Garten", "--container", "mp4", "--compressor", "mjpeg"}}) {
        const Result r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
    }
    QDir().mkpath(fx.root() + u"Language"_s);
    ASSERT_TRUE(writeFile(fx.root() + u"Halvane.ini"_s, "[Orrin's Halvane]\r\nLanguage=English\r\n"));
    ASSERT_TRUE(writeFile(fx.root() + u"Language/English3.lng"_s,
                          "#0\r\nlstComments\r\n-1\r\nFrames could not be loaded!\r\n"));
    const Result r = run({"--make-video", "Garten", "--width", "0"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(u"Frames could not be loaded!"_s)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(fx.video(u"Garten"_s))) << "an empty result is removed";

    InstanceLock lock(fx.root());
    ASSERT_TRUE(lock.tryLock());
    const Result locked = run({"--make-video", "Garten"});
    EXPECT_EQ(locked.exitCode, 3);
    EXPECT_EQ(locked.err.count(u'\n'), 1);
}

// MP4 with H.264 unless told otherwise, kept in Clip.ini with the fit; 64 × 48 frames in a 96 × 48
// video keep their shape between black bars 16 pixels wide, or fill it when stretched.
TEST_F(BatchTest, Mp4AndFitAreStoredAndApplied)
{
    const std::tuple<QStringList, const char *, bool> runs[] = {
        {{"--container", "mp4", "--fit", "pad", "--width", "96", "--height", "48"}, "Garten.mp4", true},
        {{}, "Garten_2.mp4", true},
        {{"--fit", "stretch", "--overwrite"}, "Garten.mp4", false},
    };
    for (const auto &[args, file, bars] : runs) {
        SCOPED_TRACE(file);
        const Result r = run(QStringList{"--make-video", "Garten"} + args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString path = fx.root() + u"Clips/"_s + QLatin1String(file);
        EXPECT_EQ(r.out, QFile::encodeName(QDir::cleanPath(path)) + '\n');
        const Probe p = probe(path);
        EXPECT_EQ(p.codecName + QString::number(p.frames), u"h2643"_s);
        const QByteArray rgb = decodeRgb24(path);
        for (int x : {3, 12, 84, 92})
            EXPECT_LT(
                colourDistance(rgb, 96, 48, 0, x, 24, bars ? QColor(Qt::black) : FormFixture::frameColor(0)),
                12)
                << x;
        EXPECT_LT(colourDistance(rgb, 96, 48, 0, 48, 24, FormFixture::frameColor(0)), 12);
        EXPECT_EQ(clipIni("Container") + clipIni("Fit"), bars ? u"mp4pad"_s : u"mp4stretch"_s);
    }
}

TEST_F(BatchTest, ChecksAClipAtItsStoredSpeedHelpAndCompressors)
{
    fx.writeClipIni(u"Garten"_s, u"Speed=5\r\nDirection=2\r\n"_s);
    const Result clean = run({"--check-clip", "Garten"});
    EXPECT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(clean.out),
              u"3 Frames, erster Frame 64 × 48 Pixel, Länge 1.0 s bei 5 Bildern/s\n"_s);
    QFile::remove(fx.clipPath(u"Garten"_s) + u"f001.bmp"_s);
    const Result gap = run({"--check-clip", "Garten"});
    EXPECT_EQ(gap.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(gap.out),
              QStringLiteral("Lücke in der Nummerierung zwischen f000.bmp und f002.bmp\n"
                             "2 Frames, erster Frame 64 × 48 Pixel, Länge 0.6 s bei 5 Bildern/s\n"));
    EXPECT_EQ(run({"--check-clip", "Nirgends"}).exitCode, 2);

    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--make-video"));
    const QByteArray compressors = run({"--list-compressors"}).out;
    EXPECT_TRUE(compressors.startsWith("uncompressed "));
    for (const char *id : {"mjpeg", "mpeg4", "ffv1"})
        EXPECT_TRUE(compressors.contains(id));
}

// Clip and frame names with blanks, quotes, umlauts, other scripts and leading dashes, end to end:
// listed, made into a video whose path is printed as it is, and kept in Clip.ini (in Windows-1252
// when every character has a byte there).
TEST_F(BatchTest, NamesPassThroughExactly)
{
    const char *const names[] = {"--root",        "-x",       "Grüße", "it's", "mit Leerzeichen",
                                 "sag \"hallo\"", "Ελληνικά", "日本"}; // as they sort
    ASSERT_TRUE(QDir(fx.clipPath(u"Garten"_s)).removeRecursively());
    QByteArray listing;
    for (const char *utf8 : names) {
        const QString name = QString::fromUtf8(utf8);
        writeFrames(fx.clipPath(name), {name + u" 0.bmp"_s, name + u" 1.jpg"_s});
        listing += QByteArray(utf8) + '\n';
    }
    for (const char *locale : {"C", "C.UTF-8"})
        EXPECT_EQ(run({"--list-clips"}, locale).out, listing) << locale;
    for (const char *utf8 : names) {
        const QString name = QString::fromUtf8(utf8);
        SCOPED_TRACE(utf8);
        const Result r = run({"--make-video", name, "--width", "32", "--height", "24"}, "C");
        ASSERT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, QFile::encodeName(QDir::cleanPath(fx.video(name))) + '\n');
        const Probe p = probe(fx.video(name));
        EXPECT_TRUE(p.ok) << p.errors.toStdString();
        EXPECT_EQ(p.frames, 2);
        const QString ini = fx.clipPath(name) + u"Clip.ini"_s;
        EXPECT_EQ(GetIniString("ClipSettings", "ClipName", ini, QString()), name);
        const bool ansi = QString::fromLatin1(name.toLatin1()) == name;
        EXPECT_TRUE(readFile(ini).contains("ClipName=" + (ansi ? name.toLatin1() : name.toUtf8())));
    }
}

} // namespace
