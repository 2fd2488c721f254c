#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "services/fileservices.h"
#include "services/clipscan.h"

using namespace tavelon;

namespace {

bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

class ClipScanTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    QTemporaryDir m_dir;
};

TEST_F(ClipScanTest, ClipsAreDirectSubFoldersInCaseBlindOrder)
{
    for (const char *folder :
         {"Frames/b", "Frames/A", "Frames/c/nested", "Frames/.hidden", "Frames/x", "Frames/X", "Frames/_u"})
        ASSERT_TRUE(QDir().mkpath(path(QString::fromUtf8(folder))));
    ASSERT_TRUE(touch(path(QStringLiteral("Frames/loose.jpg"))));

    const QStringList expected = {".hidden", "_u", "A", "b", "c", "X", "x"};
    EXPECT_EQ(listClips(path(QStringLiteral("Frames"))), expected);
    EXPECT_EQ(listClips(path(QStringLiteral("Frames")) + pathSeparator()), expected);
}

TEST_F(ClipScanTest, FramesAreBmpAndJpgFilesInNameOrder)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("clip/y.jpg"))));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("clip/sub"))));
    for (const char *file :
         {"f10.jpg", "f2.bmp", "F1.BMP", "notes.txt", "x.jpeg", "g.JpG", "bmp", "sub/inner.jpg"})
        ASSERT_TRUE(touch(path(QStringLiteral("clip/") + QString::fromUtf8(file))));

    const QStringList expected = {"F1.BMP", "f10.jpg", "f2.bmp", "g.JpG"};
    EXPECT_EQ(listFrames(path(QStringLiteral("clip"))), expected);
    EXPECT_EQ(listFrames(path(QStringLiteral("clip")) + pathSeparator()), expected);
}

TEST_F(ClipScanTest, MissingFoldersGiveEmptyLists)
{
    ASSERT_TRUE(touch(path(QStringLiteral("file.bmp"))));
    for (const QString &p : {path(QStringLiteral("Frames")), path(QStringLiteral("file.bmp")), QString()}) {
        SCOPED_TRACE(p.toStdString());
        EXPECT_TRUE(listClips(p).isEmpty());
        EXPECT_TRUE(listFrames(p).isEmpty());
    }
}

} // namespace
