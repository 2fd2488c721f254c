// Real failures through the form's logic: a full disk (a small tmpfs filled up to a few pages)
// while the AVI, the format frame's bitmap file and Clip.ini are written; frames that vanish or get cut while
// the video is written; a clips folder that is missing or a file; a desktop without a trash.

#include "form/uitext.h"
#include "services/inifile.h"
#include "testsupport.h"

using namespace tavelon::test;

namespace {

const QString kClip = u"Garten"_s;

// A tmpfs of the given size on folder while alive (needs root or CAP_SYS_ADMIN), unmounted lazily.
struct TmpfsMount
{
    TmpfsMount(const QString &f, int kilobytes) : folder(f)
    {
        QDir().mkpath(folder);
        mounted = QProcess::execute(
                      "mount", {"-t", "tmpfs", "-o", u"size=%1k"_s.arg(kilobytes), "tmpfs", folder}) == 0;
    }
    ~TmpfsMount()
    {
        if (mounted)
            QProcess::execute("umount", {"-l", folder});
    }
    QString folder;
    bool mounted = false;
};

// Writes the file filler until its file system has at most leave bytes free.
bool fillUp(const QString &filler, qint64 leave)
{
    QFile f(filler);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray page(4096, 'x');
    for (qint64 free; (free = QStorageInfo(filler).bytesAvailable()) > leave;) {
        const qint64 n = std::min<qint64>(page.size(), free - leave);
        if (f.write(page.constData(), n) != n)
            return leave == 0;
    }
    return true;
}

// Every file below folder with its bytes, except those whose path ends in one of except.
QMap<QString, QByteArray> snapshot(const QString &folder, const QStringList &except = {})
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(folder).relativeFilePath(it.next());
        if (std::none_of(except.begin(), except.end(), [&](const QString &e) { return path.endsWith(e); }))
            files.insert(path, readFile(folder + path));
    }
    return files;
}

// ---- A full disk ------------------------------------------------------------------------------

constexpr int kFrames = 20; // 20 uncompressed 32 × 24 frames: about 52 KB of AVI
const QByteArray kOldIni =
    "; written by hand\r\n[ClipSettings]\r\nText=alt\r\nSpeed=12\r\n[Andere]\r\nWert=1\r\n";

// Bytes left free, and the answer to the question whether the old video is to be replaced.
class FullDiskTest : public ::testing::TestWithParam<std::tuple<qint64, MessageAnswer>>
{
protected:
    FormFixture fx;
    qint64 freeBytes() const { return std::get<0>(GetParam()); }
    // The clip, its old Clip.ini and an old video of it on a disk with freeBytes() free; the answer
    // No keeps the old video, Yes asks to replace it. Returns what the program folder held before,
    // except.
    QMap<QString, QByteArray> runOnFullDisk(const QString &filler, const QStringList &except)
    {
        fx.makeClip(kClip, kFrames, QSize(32, 24));
        EXPECT_TRUE(writeFile(fx.clipPath(kClip) + u"Clip.ini"_s, kOldIni));
        QDir().mkpath(fx.root() + u"Clips"_s);
        EXPECT_TRUE(writeFile(fx.video(kClip), "RIFF old video"));
        EXPECT_TRUE(fillUp(filler, freeBytes()));
        const auto before = snapshot(fx.root(), except);
        fx.start();
        fx.form.overlayText.setText(u"Neu"_s);
        fx.messages.queueAnswer(std::get<1>(GetParam()));
        fx.makeVideo();
        return before;
    }
    // A video left by the failed run plays, with no more frames than the clip has.
    void expectPlayable(int atLeast)
    {
        const QString video = fx.video(kClip + u"_2"_s);
        if (atLeast == 0 && !QFile::exists(video))
            return;
        const Probe p = probe(video);
        EXPECT_TRUE(p.ok) << p.errors.toStdString();
        EXPECT_GE(p.frames, atLeast);
        EXPECT_LE(p.frames, kFrames);
    }
};

// The clips folder is full: the writer fails part-way, reports it once, and what it wrote plays
// under the next free name. The old video and the frames are untouched, no bitmap or scratch file
// is left, the options are stored.
TEST_P(FullDiskTest, ClipsFolderFull)
{
    TmpfsMount disk(fx.root() + u"Clips"_s, 1024);
    if (!disk.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs (needs root or CAP_SYS_ADMIN)";
    const QStringList except = {"Clip.ini", "Clips/Garten_2.avi"};
    const auto before = runOnFullDisk(fx.root() + u"Clips/filler"_s, except);
    EXPECT_EQ(fx.messages.errors(), QStringList{fx.form.uiText(kUiWriteFailed)});
    EXPECT_EQ(snapshot(fx.root(), except), before);
    expectPlayable(freeBytes() >= 16384 ? 1 : 0); // from four free pages on, a frame fits
    EXPECT_FALSE(fx.form.state.MakingVideo);
    EXPECT_TRUE(fx.form.clipList.isEnabled());
}

// In batch mode the same failure is a failed run: exit status 1 and no path on stdout, although
// what was written is kept.
TEST(FullDisk, BatchRunFailsAndPrintsNoVideo)
{
    FormFixture fx;
    TmpfsMount disk(fx.root() + u"Clips"_s, 1024);
    if (!disk.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs (needs root or CAP_SYS_ADMIN)";
    fx.makeClip(kClip, kFrames, QSize(32, 24));
    ASSERT_TRUE(fillUp(fx.root() + u"Clips/filler"_s, 16384));
    const RunResult r =
        runProgram(QStringLiteral(TAVELON_BIN),
                   {u"--root"_s, fx.root(), u"--make-video"_s, kClip, u"--compressor"_s, u"uncompressed"_s});
    EXPECT_EQ(std::pair(r.code, r.out), std::pair(1, QByteArray())) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(fx.video(kClip)));
}

// The whole program folder is full: the bitmap file, the AVI and Clip.ini share the little room left.
// Nothing else changes.
TEST_P(FullDiskTest, ProgramFolderFull)
{
    TmpfsMount disk(fx.root(), 1024);
    if (!disk.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs (needs root or CAP_SYS_ADMIN)";
    const qint64 leave = freeBytes();
    const QStringList except = leave > 0 ? QStringList{"Clips/Garten_2.avi", "Frames/Garten/Clip.ini"}
                                         : QStringList{"Clips/Garten_2.avi"};
    const auto before = runOnFullDisk(fx.root() + u"filler"_s, except);
    const QStringList reported = fx.messages.errors();
    ASSERT_EQ(reported.size(), 1);
    // With no room at all the bitmap file cannot be written; with a little, whatever fails first.
    EXPECT_TRUE(reported[0] == fx.form.uiText(kUiFramesNotLoaded) ||
                (leave > 0 && reported[0] == fx.form.uiText(kUiWriteFailed)));
    EXPECT_EQ(snapshot(fx.root(), except), before);
    expectPlayable(0);

    // Clip.ini is written whole or not at all: the old file, or the new values with every line kept.
    const QByteArray ini = readFile(fx.clipPath(kClip) + u"Clip.ini"_s);
    EXPECT_TRUE(ini == kOldIni ||
                (ini.startsWith(
                     "; written by hand\r\n[ClipSettings]\r\nText=Neu\r\nSpeed=12\r\nClipName=Garten\r\n") &&
                 ini.endsWith("[Andere]\r\nWert=1\r\n")))
        << ini.toStdString();
}

INSTANTIATE_TEST_SUITE_P(FreeBytes, FullDiskTest,
                         ::testing::Combine(::testing::Values(0, 4096, 8192, 16384, 36864),
                                            ::testing::Values(MessageAnswer::No, MessageAnswer::Yes)),
                         [](const auto &row) {
                             return "free" + std::to_string(std::get<0>(row.param)) +
                                    (std::get<1>(row.param) == MessageAnswer::Yes ? "Replacing" : "");
                         });

// ---- A frame changes while the video is written -------------------------------------------------

// How a frame file changes: removed, cut to half, zeroed after its signature (the
// same size), or replaced by a folder.
using Damage = bool (*)(QFile &);
const Damage kRemove = [](QFile &f) { return f.remove(); };
const Damage kHalf = [](QFile &f) { return f.resize(f.size() / 2); };
const Damage kCorrupt = [](QFile &f) {
    return f.open(QIODevice::ReadWrite) && f.seek(2) && f.write(QByteArray(f.size() - 2, '\0')) > 0;
};
const Damage kFolder = [](QFile &f) { return f.remove() && QDir().mkdir(f.fileName()); };

struct FrameCase
{
    const char *name;
    Damage damage;
    const char *extension;
    int direction;
    // Motion JPEG from JPEG frames twice the video's size goes the YCbCr way: the frames are not
    // turned into RGB. Frame 2 is then a BMP, which is.
    bool mjpeg = false;
};

class VanishingFrameTest : public ::testing::TestWithParam<FrameCase>
{
protected:
    FormFixture fx;
};

// Frames 1 (already read ahead) and 3 change after frame 0 is written: each is replaced in the
// video by the frame before it, the video keeps its length and the run counts them.
TEST_P(VanishingFrameTest, PreviousFrameIsRepeated)
{
    const FrameCase c = GetParam();
    QStringList names;
    for (int i = 0; i < 5; ++i)
        names << u"f%1.%2"_s.arg(i).arg(QLatin1String(c.mjpeg && i == 2 ? "bmp" : c.extension));
    writeFrames(fx.clipPath(kClip), names, c.mjpeg ? QSize(64, 48) : QSize(32, 24));
    fx.chooser.choice = CompressOptions{c.mjpeg ? u"mjpeg"_s : u"uncompressed"_s};
    fx.start();
    fx.form.directionBox.setListIndex(c.direction);
    fx.setVideoSize(32, 24);
    fx.logic->writer.setFrameSize(QSize(32, 24));
    // The run on this thread: the files are damaged while it runs, right after frame 0 is written.
    bool damaged = false;
    VideoRunHooks hooks;
    hooks.progress = [&](int i, int) {
        if (i == 1) {
            QFile first(fx.clipPath(kClip) + names[1]), second(fx.clipPath(kClip) + names[3]);
            damaged = c.damage(first) && c.damage(second);
        }
    };
    const VideoRunResult run =
        writeVideo(fx.logic->writer.jobFromForm(fx.video(kClip), 8, *fx.chooser.choice), hooks);
    ASSERT_TRUE(damaged);
    EXPECT_TRUE(run.messages.isEmpty());
    const QList<int> expected =
        c.direction == 0 ? QList<int>{0, 0, 2, 2, 4} : QList<int>{0, 0, 2, 2, 4, 4, 2, 2, 0};
    EXPECT_EQ(frameColours(fx.video(kClip)), expected);
    EXPECT_EQ(run.repeated, c.direction == 0 ? 2 : 4);
    EXPECT_TRUE(probe(fx.video(kClip)).ok);
}

INSTANTIATE_TEST_SUITE_P(Frames, VanishingFrameTest,
                         ::testing::Values(FrameCase{"RemovedBmp", kRemove, "bmp", 0},
                                           FrameCase{"HalfJpgBackAndForth", kHalf, "jpg", 2},
                                           FrameCase{"CorruptJpg", kCorrupt, "jpg", 0},
                                           FrameCase{"FolderBmp", kFolder, "bmp", 0},
                                           FrameCase{"RemovedJpgMjpeg", kRemove, "jpg", 0, true},
                                           FrameCase{"HalfJpgMjpegBackAndForth", kHalf, "jpg", 2, true}),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- Folders --------------------------------------------------------------------------------------

// A row's name for whether it is so.
std::string yesOrNo(const ::testing::TestParamInfo<bool> &row)
{
    return row.param ? "Yes" : "No";
}

// The clips folder vanishes after start-up, or is a file: the video cannot be created, which is
// reported; the file stays as it was and the clip's options are stored all the same.
using ClipsFolderIsAFile = ::testing::TestWithParam<bool>;

TEST_P(ClipsFolderIsAFile, OrGoneTheVideoFailsInWordsTheOptionsAreStored)
{
    const bool isFile = GetParam();
    FormFixture fx;
    fx.makeClip(kClip, 2, QSize(32, 24));
    const QString clips = fx.root() + u"Clips"_s;
    EXPECT_TRUE(!isFile || writeFile(clips, "not a folder"));
    fx.start();
    EXPECT_TRUE(isFile || QDir(clips).removeRecursively());
    fx.makeVideo();
    EXPECT_EQ(std::tuple(fx.messages.errors(), readFile(clips), QFileInfo(clips).isFile()),
              std::tuple(QStringList{fx.form.uiText(kUiWriteFailed)},
                         isFile ? QByteArray("not a folder") : QByteArray(), isFile));
    EXPECT_TRUE(QFile::exists(fx.clipPath(kClip) + u"Clip.ini"_s) &&
                QDir(fx.root()).entryList({u"temp*"_s}, QDir::Files).isEmpty() &&
                fx.form.clipList.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Rows, ClipsFolderIsAFile, ::testing::Bool(), yesOrNo);

// Deleting a frame where the desktop has no home trash (no data folder) removes the file; it never
// turns up in a "files" folder of the current folder. With a data folder it goes to the trash there.
using DeletedFrameWithDataFolder = ::testing::TestWithParam<bool>;

TEST_P(DeletedFrameWithDataFolder, GoesToItsTrashNeverIntoTheCurrentFolder)
{
    const bool haveDataFolder = GetParam();
    FormFixture fx;
    const QString data = fx.root() + u"data"_s, current = fx.root() + u"current"_s,
                  oldCurrent = QDir::currentPath();
    ASSERT_TRUE((!haveDataFolder || QDir().mkpath(data)) && QDir().mkpath(current));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    QDir::setCurrent(current);
    fx.makeClip(kClip, 3, QSize(32, 24));
    fx.start();
    fx.form.nextButton.click();
    fx.messages.queueAnswer(MessageAnswer::Yes);
    fx.form.deleteButton.click();
    QDir::setCurrent(oldCurrent);
    EXPECT_EQ(std::tuple(QFile::exists(fx.clipPath(kClip) + u"f001.bmp"_s), fx.form.frameFiles.count(),
                         QDir(current).isEmpty(), QFile::exists(data + u"/Trash/files/f001.bmp"_s)),
              std::tuple(false, 2, true, haveDataFolder));
}

INSTANTIATE_TEST_SUITE_P(Rows, DeletedFrameWithDataFolder, ::testing::Bool(), yesOrNo);

} // namespace
