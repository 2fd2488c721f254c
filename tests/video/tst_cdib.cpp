#include "image/cdib.h"

#include "videotestsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace tavelon;
using namespace tavelon::test;

namespace {

const QString kTitle = QStringLiteral("Brimholt Tavelon");

QByteArray bytesAt(const void *p, int size)
{
    return QByteArray(static_cast<const char *>(p), size);
}

// Every property, so that two loads can be compared field by field.
QList<int> allFields(const cDIB &d)
{
    return {d.BitCount(),  d.Height(),   d.Width(),          d.Compression(), d.SizeInfoHeader(),
            d.SizeImage(), d.Planes(),   d.ClrImportant(),   d.ClrUsed(),     d.XPPM(),
            d.YPPM(),      d.FileType(), d.SizeFileHeader(), d.BitOffset(),   d.SizeBitmapInfo()};
}

class CDibTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        EXPECT_TRUE(writeFile(p, bytes));
        return p;
    }

    QTemporaryDir dir;
    RecordingMessages messages;
    cDIB dib{messages, kTitle};
};

// Each bitmap after another one: every field replaced, header and pixel bytes where the file has
// them (behind a palette too), and written back byte for byte over a longer file, without the bytes
// that followed the pixels. An image size of 0 (left so by other writers) is computed from the rows.
TEST_F(CDibTest, LoadsAndWritesBackTheBitmapBytes)
{
    QByteArray zeroSize = BmpBuilder{5, -3, 24, 0}.build(); // top-down, stride 16
    put32(zeroSize, 34, 0);
    const struct
    {
        QByteArray bytes;
        int width, height, bitCount, sizeImage, bitOffset;
    } rows[] = {{BmpBuilder{5, 3, 24, 0}.build(), 5, 3, 24, 48, 54},
                {BmpBuilder{7, 2, 8, 256}.build(), 7, 2, 8, 16, 1078},
                {BmpBuilder{3, 3, 32, 0}.build(), 3, 3, 32, 36, 54},
                {zeroSize, 5, -3, 24, 48, 54}};
    ASSERT_TRUE(dib.CreateFromFile(file("first.bmp", BmpBuilder{9, 4, 8, 256}.build())));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bitCount);
        ASSERT_TRUE(dib.CreateFromFile(file("in.bmp", row.bytes + QByteArray("trailing"))));
        cDIB fresh(messages, kTitle);
        ASSERT_TRUE(fresh.CreateFromFile(path("in.bmp")));
        EXPECT_EQ(allFields(dib), allFields(fresh));
        EXPECT_EQ((QList<int>{dib.Width(), dib.Height(), dib.BitCount(), dib.SizeImage(), dib.BitOffset()}),
                  (QList<int>{row.width, row.height, row.bitCount, row.sizeImage, row.bitOffset}));
        EXPECT_EQ(bytesAt(dib.PointerToBitmapInfo(), dib.SizeBitmapInfo()),
                  row.bytes.mid(14, row.bitOffset - 14));
        EXPECT_EQ(bytesAt(dib.PointerToBits(), dib.SizeImage()), row.bytes.mid(row.bitOffset, row.sizeImage));
        ASSERT_TRUE(writeFile(path("out.bmp"), QByteArray(4096, 'x')));
        ASSERT_TRUE(dib.WriteToFile(path("out.bmp")));
        EXPECT_EQ(readFile(path("out.bmp")), row.bytes);
    }
    EXPECT_EQ(allFields(dib).mid(7, 5), (QList<int>{0, 0, 2835, 3780, 19778}));
    EXPECT_TRUE(messages.messages.isEmpty());
}

// Files whose header does not fit their bytes: false with the unsupported-format message, and
// the object keeps the bitmap it held.
TEST_F(CDibTest, RejectsHeadersThatDoNotFitTheFile)
{
    const QByteArray good = BmpBuilder{4, 3, 24, 0}.build(); // 36 pixel bytes
    struct Patch
    {
        int offset;
        qint64 value;
        int size = 4;
    };
    const auto patched = [&](std::initializer_list<Patch> patches) {
        QByteArray b = good;
        for (const Patch &p : patches)
            p.size == 2 ? put16(b, p.offset, int(p.value)) : put32(b, p.offset, p.value);
        return b;
    };
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"not BM", QByteArray::fromHex("ffd8ffe000104a46494600") + QByteArray(100, '\0')},
        {"empty", QByteArray()},
        {"shorter than the headers", good.left(30)},
        {"pixel data cut short", good.left(70)},
        {"bit offset below 54", patched({{10, 20}})},
        {"bit offset past the end", patched({{10, 5000}})},
        {"negative image size", patched({{34, 0x80000000LL}})},
        {"absurd image size", patched({{34, 0x7fffffffLL}})},
        {"image size below the rows", patched({{34, 20}})},
        {"absurd width", patched({{18, 100000}, {22, 100000}})},
        {"rows beyond 64 bits", patched({{18, 0x7fffffffLL}, {22, 0x7fffffffLL}, {28, 32, 2}})},
        {"negative width", patched({{18, -4}})},
        {"bad bit count", patched({{28, 7, 2}})},
        {"core header", patched({{14, 12}})},
        {"info header past bit offset", patched({{14, 124}})},
        {"zero size of RLE bitmap", patched({{30, 1}, {34, 0}})},
    };
    ASSERT_TRUE(dib.CreateFromFile(file("good.bmp", BmpBuilder{6, 2, 32, 0}.build())));
    const QList<int> before = allFields(dib);
    const QByteArray beforeBits = bytesAt(dib.PointerToBits(), dib.SizeImage());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        messages.messages.clear();
        const QString p = file(QStringLiteral("bad.bmp"), c.bytes);
        EXPECT_FALSE(dib.CreateFromFile(p));
        ASSERT_EQ(messages.messages.size(), 1);
        EXPECT_EQ(messages.messages[0].text,
                  QStringLiteral("File is not a supported bitmap format:\r\n") + p);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(allFields(dib), before);
        EXPECT_EQ(bytesAt(dib.PointerToBits(), dib.SizeImage()), beforeBits);
        // The file was closed: it can be removed at once.
        EXPECT_TRUE(QFile::remove(p));
    }
}

// A missing file or a folder, and a file that cannot be opened: their own messages.
TEST_F(CDibTest, MissingOrLockedFileGivesItsMessage)
{
    const QString locked = file("locked.bmp", BmpBuilder{}.build());
    QFile::setPermissions(locked, QFileDevice::Permissions());
    const struct
    {
        QString path;
        const char *text;
    } cases[] = {{path("none.bmp"), "File does not exist:\r\n"},
                 {dir.path(), "File does not exist:\r\n"},
                 {locked, "File is locked - cannot access:\r\n"}};
    for (const auto &c : cases) {
        if (c.path == locked && QFileInfo(locked).isReadable())
            continue; // permissions do not restrict this user
        messages.messages.clear();
        EXPECT_FALSE(dib.CreateFromFile(c.path));
        ASSERT_EQ(messages.messages.size(), 1);
        EXPECT_EQ(messages.messages[0].text, QLatin1String(c.text) + c.path);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Stop);
        EXPECT_EQ(messages.messages[0].title, kTitle);
    }
}

TEST_F(CDibTest, WriteToFileReportsFailures)
{
    EXPECT_FALSE(dib.WriteToFile(path("empty.bmp"))) << "nothing loaded";
    EXPECT_EQ(dib.PointerToBits(), nullptr);
    ASSERT_TRUE(dib.CreateFromFile(file("a.bmp", BmpBuilder{}.build())));
    EXPECT_FALSE(dib.WriteToFile(path("no/such/folder/a.bmp")));
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        EXPECT_FALSE(dib.WriteToFile(QStringLiteral("/dev/full")));
    }
}

TEST_F(CDibTest, AdoptsPackedDibsOfSixteenBitsAndMore)
{
    const QByteArray file24 = BmpBuilder{5, 3, 24, 0}.build();
    const QByteArray packed24 = file24.mid(14);
    ASSERT_TRUE(dib.CreateFromPackedDIBPointer(packed24.constData()));
    EXPECT_EQ(dib.SizeFileHeader(), 48 + 54);
    EXPECT_EQ(dib.BitOffset(), 54);
    EXPECT_EQ(dib.SizeBitmapInfo(), 40);
    EXPECT_EQ(dib.FileType(), 19778);
    EXPECT_EQ(bytesAt(dib.PointerToBits(), 48), packed24.mid(40));
    ASSERT_TRUE(dib.WriteToFile(path("packed.bmp")));
    EXPECT_EQ(readFile(path("packed.bmp")), file24);

    const QList<int> before = allFields(dib);
    QByteArray zeroSize = packed24;
    put32(zeroSize, 20, 0);
    QByteArray tooSmall = packed24;
    put32(tooSmall, 20, 10);
    const QByteArray eightBit = BmpBuilder{4, 4, 8, 0}.build().mid(14);
    for (const QByteArray &bad : {eightBit, zeroSize, tooSmall})
        EXPECT_FALSE(dib.CreateFromPackedDIBPointer(bad.constData()));
    EXPECT_FALSE(dib.CreateFromPackedDIBPointer(nullptr));
    EXPECT_EQ(allFields(dib), before);
    EXPECT_TRUE(messages.messages.isEmpty());
}

} // namespace
