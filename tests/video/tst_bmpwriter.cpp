#include "image/bmpwriter.h"

#include "image/cdib.h"
#include "videotestsupport.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavelon;
using namespace tavelon::test;

namespace {

QImage pattern(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 40 % 256, y * 60 % 256, (x * y * 13) % 256, 255));
    return image.convertToFormat(format);
}

TEST(BmpWriter, WritesBottomUp24BitFilesQtReadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("temp.bmp");
    const struct
    {
        const char *name;
        QImage::Format format;
        int width;
    } cases[] = {
        {"RGB32", QImage::Format_RGB32, 5}, // 15 bytes a row, padded to 16
        {"ARGB32", QImage::Format_ARGB32, 8},
        {"RGB32, pixels in fours and a tail", QImage::Format_RGB32, 13},
        {"RGB888 through a conversion", QImage::Format_RGB888, 7},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = pattern(c.width, 3, c.format);
        // A longer file from before is cut to the bitmap's length.
        ASSERT_TRUE(writeFile(path, QByteArray(5000, 'x')));
        ASSERT_TRUE(writeBmp24(image, path));

        RecordingMessages messages;
        cDIB dib(messages);
        ASSERT_TRUE(dib.CreateFromFile(path));
        const int stride = (c.width * 3 + 3) / 4 * 4;
        EXPECT_EQ((QList<int>{dib.BitCount(), dib.Height(), dib.SizeImage(), dib.BitOffset(), dib.XPPM()}),
                  (QList<int>{24, 3, stride * 3, 54, 2835}));
        EXPECT_EQ(QFile(path).size(), 54 + stride * 3);
        // The first stored row is the image's last; blue comes first.
        const auto *bits = static_cast<const unsigned char *>(dib.PointerToBits());
        const QRgb bottomLeft = image.pixel(0, 2);
        EXPECT_EQ(bits[0], qBlue(bottomLeft));
        EXPECT_EQ(bits[2], qRed(bottomLeft));

        const QImage back(path);
        ASSERT_FALSE(back.isNull());
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));
    }
}

TEST(BmpWriter, ReportsFailures)
{
    QTemporaryDir dir;
    const QImage image = pattern(4, 4, QImage::Format_RGB32);
    EXPECT_FALSE(writeBmp24(QImage(), dir.filePath("null.bmp")));
    EXPECT_FALSE(writeBmp24(image, dir.filePath("no/such/folder/a.bmp")));
    if (QFile::exists(QStringLiteral("/dev/full"))) {
        EXPECT_FALSE(writeBmp24(image, QStringLiteral("/dev/full")));
    }
}

} // namespace
