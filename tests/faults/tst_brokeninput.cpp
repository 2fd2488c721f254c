// Input that breaks under the program's feet: frames that vanish or get cut while the video is
// written, clips and frames folders that are missing, unreadable or files, and settings and
// language files that are folders, empty or binary.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <random>

#include "faultsupport.h"
#include "formfixture.h"
#include "form/uitext.h"
#include "videotestsupport.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

const QString kClip = QStringLiteral("Garten");

class BrokenInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!haveFfmpegTools())
            GTEST_SKIP() << "ffprobe/ffmpeg are not installed";
        fx.useFixedCompressor();
    }
    // A fresh program folder with a two-frame clip, for tests that loop over cases.
    static std::unique_ptr<FormFixture> freshFixture()
    {
        auto f = std::make_unique<FormFixture>();
        f->useFixedCompressor();
        f->makeClip(kClip, 2, QSize(32, 24));
        return f;
    }
    static void unlock(const QString &path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    FormFixture fx;
};

// ---- A frame changes while the video is written ----------------------------------------------

enum class Damage { Remove, TruncateHalf, TruncateEmpty, CorruptSameSize, Folder, Unreadable };

struct FrameCase
{
    const char *name;
    Damage damage;
    const char *extension;
    int direction;
};

class VanishingFrameTest : public BrokenInputTest, public ::testing::WithParamInterface<FrameCase>
{
protected:
    static bool damage(const QString &path, Damage how)
    {
        QFile f(path);
        switch (how) {
        case Damage::Remove:
            return f.remove();
        case Damage::TruncateHalf:
            return f.resize(f.size() / 2);
        case Damage::TruncateEmpty:
            return f.resize(0);
        case Damage::CorruptSameSize: {
            // The signature stays, everything after it is zero.
            const qint64 size = f.size();
            return f.open(QIODevice::ReadWrite) && f.seek(2) &&
                   f.write(QByteArray(size - 2, '\0')) == size - 2;
        }
        case Damage::Folder:
            return f.remove() && QDir().mkdir(path);
        case Damage::Unreadable:
            return f.setPermissions({});
        }
        return false;
    }
};

// Frames 1 (already read ahead) and 3 change after frame 0 is written: each is replaced in the
// video by the frame before it, and the video keeps its length.
TEST_P(VanishingFrameTest, PreviousFrameIsRepeated)
{
    const FrameCase c = GetParam();
    QStringList names;
    for (int i = 0; i < 5; ++i)
        names << QStringLiteral("f%1.%2").arg(i).arg(QLatin1String(c.extension));
    writeFrames(fx.clipPath(kClip), names);
    std::optional<PermissionsEnforced> enforced;
    if (c.damage == Damage::Unreadable)
        enforced.emplace();
    fx.start();
    fx.form.cboDirections.setListIndex(c.direction);
    bool damaged = false;
    QObject::connect(&fx.logic->command.writer(), &VideoWriter::progress, [&](int i, int) {
        if (i == 1)
            damaged = damage(fx.clipPath(kClip) + names.at(1), c.damage) &&
                      damage(fx.clipPath(kClip) + names.at(3), c.damage);
    });
    fx.makeVideo();
    ASSERT_TRUE(damaged);
    if (c.damage == Damage::Unreadable && !isUnreadable(fx.clipPath(kClip) + names.at(1)))
        GTEST_SKIP()
            << "file permissions do not bind this process (root without a way to drop CAP_DAC_OVERRIDE)";

    EXPECT_TRUE(fx.errors().isEmpty());
    const QList<int> expected =
        c.direction == 0 ? QList<int>{0, 0, 2, 2, 4} : QList<int>{0, 0, 2, 2, 4, 4, 2, 2, 0};
    EXPECT_EQ(frameColours(fx.video(kClip)), expected);
    EXPECT_TRUE(playCheck(fx.video(kClip)).ok);
}

INSTANTIATE_TEST_SUITE_P(Frames, VanishingFrameTest,
                         ::testing::Values(FrameCase{"RemovedBmp", Damage::Remove, "bmp", 0},
                                           FrameCase{"HalfJpgBackAndForth", Damage::TruncateHalf, "jpg", 2},
                                           FrameCase{"EmptyBmpBackAndForth", Damage::TruncateEmpty, "bmp", 2},
                                           FrameCase{"CorruptJpg", Damage::CorruptSameSize, "jpg", 0},
                                           FrameCase{"CorruptBmp", Damage::CorruptSameSize, "bmp", 0},
                                           FrameCase{"FolderBmp", Damage::Folder, "bmp", 0},
                                           FrameCase{"UnreadableJpgBackAndForth", Damage::Unreadable, "jpg",
                                                     2}),
                         [](const auto &row) { return std::string(row.param.name); });

// ---- Folders ----------------------------------------------------------------------------------

// The clips folder vanishes after start-up, or is a file: the video cannot be created, which is
// reported; the file stays as it was and the clip's options are stored all the same.
TEST_F(BrokenInputTest, ClipsFolderGoneOrAFile)
{
    for (const bool isFile : {false, true}) {
        SCOPED_TRACE(isFile ? "a file" : "removed");
        const auto fresh = freshFixture();
        FormFixture &local = *fresh;
        const QString clips = local.root() + QStringLiteral("Clips");
        if (isFile) {
            ASSERT_TRUE(writeFile(clips, "not a folder"));
        }
        local.start();
        if (!isFile) {
            ASSERT_TRUE(QDir(clips).removeRecursively());
        }
        local.makeVideo();
        ASSERT_EQ(local.messages.count(), 1);
        EXPECT_EQ(local.messages.last().text, local.form.UiText(kUiWriteFailed));
        EXPECT_EQ(readFile(clips), isFile ? QByteArray("not a folder") : QByteArray());
        EXPECT_EQ(QFileInfo(clips).isFile(), isFile);
        EXPECT_TRUE(QFile::exists(local.clipPath(kClip) + QStringLiteral("Clip.ini")));
        EXPECT_FALSE(QFile::exists(local.root() + QStringLiteral("temp.bmp")));
        EXPECT_TRUE(local.form.List1.isEnabled());
    }
}

// The frames folder or the clip's folder cannot be listed: no clip or no frame, a video without
// frames at most, nothing changed in the frames folder.
TEST_F(BrokenInputTest, UnreadableFramesOrClipFolder)
{
    for (const bool wholeFolder : {true, false}) {
        SCOPED_TRACE(wholeFolder ? "Frames" : "Frames/Garten");
        const auto fresh = freshFixture();
        FormFixture &local = *fresh;
        const QString locked = wholeFolder ? local.framesPath() : local.clipPath(kClip);
        const auto before = snapshot(local.framesPath());
        ASSERT_TRUE(QFile::setPermissions(locked, {}));
        {
            PermissionsEnforced enforced;
            if (!isUnreadable(locked)) {
                unlock(locked);
                GTEST_SKIP() << "file permissions do not bind this process (root without a way to drop "
                                "CAP_DAC_OVERRIDE)";
            }
            local.start();
            EXPECT_EQ(local.form.List1.count(), wholeFolder ? 0 : 1);
            EXPECT_EQ(local.form.lvwFiles.count(), 0);
            local.makeVideo();
        }
        unlock(locked);
        const QString made = local.video(wholeFolder ? QString() : kClip);
        if (QFile::exists(made)) {
            const PlayResult r = playCheck(made);
            EXPECT_TRUE(r.ok) << r.errors.toStdString();
            EXPECT_EQ(r.frames, 0);
        }
        EXPECT_EQ(snapshot(local.framesPath()), before) << "not even a Clip.ini can be written there";
        EXPECT_FALSE(QFile::exists(local.root() + QStringLiteral("temp.bmp")));
    }
}

// Deleting a frame where the desktop has no home trash (no data folder) removes the file; it
// never turns up in a "files" folder of the current folder. With a data folder it goes to the
// trash there.
TEST_F(BrokenInputTest, DeletedFrameNeverLandsInTheCurrentFolder)
{
    const bool hadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QString oldCurrent = QDir::currentPath();
    for (const bool haveDataFolder : {false, true}) {
        SCOPED_TRACE(haveDataFolder ? "data folder" : "no data folder");
        FormFixture local;
        const QString data = local.root() + QStringLiteral("data");
        const QString current = local.root() + QStringLiteral("current");
        if (haveDataFolder)
            QDir().mkpath(data);
        QDir().mkpath(current);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        QDir::setCurrent(current);
        local.makeClip(kClip, 3, QSize(32, 24));
        local.start();
        local.form.cmdNext.click();
        local.messages.queueAnswer(MessageAnswer::Yes);
        local.form.cmdDelFrame.click();
        QDir::setCurrent(oldCurrent);
        EXPECT_FALSE(QFile::exists(local.clipPath(kClip) + QStringLiteral("f001.bmp")));
        EXPECT_EQ(local.form.lvwFiles.count(), 2);
        EXPECT_TRUE(QDir(current).isEmpty());
        EXPECT_EQ(QFile::exists(data + QStringLiteral("/Trash/files/f001.bmp")), haveDataFolder);
    }
    if (hadData)
        qputenv("XDG_DATA_HOME", oldData);
    else
        qunsetenv("XDG_DATA_HOME");
}

// ---- Settings and language files --------------------------------------------------------------

QByteArray noise(int size, unsigned seed)
{
    std::mt19937 gen(seed);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = char(gen() & 0xff);
    return bytes;
}

// Settings and language files that are folders, empty, binary or UTF-16: the built-in texts (or
// the file's, as far as its rules give any), full option lists, and an overlay that still draws.
// The reading rules themselves are checked in tst_inifile and tst_lang.
TEST_F(BrokenInputTest, OddSettingsAndLanguageFiles)
{
    const QByteArray english = "[Orrin's Halvane]\r\nLanguage=English\r\n";
    const QString text = QString::fromLatin1(english);
    const QByteArray utf16(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    const QByteArray folder = "<folder>";
    const struct
    {
        const char *name;
        QByteArray halvane;               // Halvane.ini
        QByteArray language;              // Language/English3.lng
        std::optional<QStringList> table; // nullopt: the built-in table
        bool checkTable;
    } rows[] = {
        {"settings file is a folder", folder, {}, std::nullopt, true},
        {"settings file empty", "", {}, std::nullopt, true},
        {"settings file binary", noise(4096, 1), {}, std::nullopt, true},
        {"settings file UTF-16", utf16, "#0\r\nlstComments\r\n-1\r\nX\r\n", std::nullopt, true},
        {"language file is a folder", english, folder, std::nullopt, true},
        {"language file empty", english, "", QStringList(), true},
        {"language file binary", english, noise(65536, 2), std::nullopt, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FormFixture local;
        for (auto [file, entry] : {std::pair{QStringLiteral("Halvane.ini"), row.halvane},
                                   std::pair{QStringLiteral("Language/English3.lng"), row.language}}) {
            const QString path = local.root() + file;
            QDir().mkpath(QFileInfo(path).path());
            if (entry == folder)
                QDir().mkpath(path);
            else if (!entry.isNull())
                writeFile(path, entry);
        }
        local.makeClip(kClip, 2, QSize(32, 24));
        local.start();
        if (row.checkTable) {
            EXPECT_EQ(local.form.lstComments.items(), row.table.value_or(builtInUiTexts()));
        }
        EXPECT_EQ(local.form.cboPosition.count(), 4);
        EXPECT_EQ(local.form.cboSize.count(), 4);
        local.form.Check2.setValue(1);
        local.form.Check1.setValue(1);
        local.form.cmdNext.click();
        EXPECT_TRUE(local.errors().isEmpty());
    }
}

} // namespace
