// Costs of the video writer's per-frame file round trip and of the AVI layer.
//
//   video_bench [codec] [width] [height] [frames]   median ms per stage (default mjpeg 720 576 100)
//   video_bench --odml <file.avi> <megabytes>       writes uncompressed frames past that size
//
// Frames are a synthetic pattern that changes every frame; temp.bmp goes to the temp folder.

#include "video/avifile.h"
#include "image/bmpwriter.h"
#include "image/cdib.h"
#include "services/stderrmessages.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace tavelon;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void paintFrame(QImage &canvas, int i)
{
    QPainter p(&canvas);
    p.fillRect(canvas.rect(), QColor::fromHsv((i * 7) % 360, 160, 200));
    for (int x = 0; x < canvas.width(); x += 16)
        p.fillRect(x, (i * 5 + x) % canvas.height(), 8, canvas.height() / 3,
                   QColor::fromHsv(x % 360, 200, 120));
}

struct Writer
{
    AviFilePtr file;
    AviStreamPtr source;
    AviStreamPtr compressed;

    int open(const QString &path, const CompressOptions &options, const cDIB &dib)
    {
        AviStreamInfo info;
        info.fccType = kStreamTypeVideo;
        info.scale = 1;
        info.rate = 25;
        info.suggestedBufferSize = std::uint32_t(dib.SizeImage());
        info.frame = AviRect{0, 0, dib.Width(), dib.Height()};
        int r = aviFileOpen(file, path);
        if (r == 0)
            r = aviFileCreateStream(file.get(), source, info);
        if (r == 0)
            r = aviMakeCompressedStream(compressed, source.get(), options);
        if (r == 0)
            r = aviStreamSetFormat(compressed.get(), 0, dib.PointerToBitmapInfo(), dib.SizeBitmapInfo());
        return r;
    }
    int close()
    {
        const int a = aviStreamRelease(source);
        const int b = aviStreamRelease(compressed);
        const int c = aviFileRelease(file);
        return a ? a : b ? b : c;
    }
};

int odml(const QString &path, qint64 megabytes)
{
    const QString temp = QDir::temp().filePath(QStringLiteral("video_bench_temp.bmp"));
    QImage canvas(720, 576, QImage::Format_RGB32);
    StderrMessages messages;
    cDIB dib(messages);
    paintFrame(canvas, 0);
    if (!writeBmp24(canvas, temp) || !dib.CreateFromFile(temp))
        return 2;
    Writer w;
    int r = w.open(path, CompressOptions{}, dib);
    const qint64 frames = megabytes * 1024 * 1024 / dib.SizeImage() + 1;
    for (qint64 i = 0; i < frames && r == 0; ++i)
        r = aviStreamWrite(w.compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), kAviKeyFrame);
    const int closed = w.close();
    std::printf("frames %lld result %d\n", static_cast<long long>(frames), r ? r : closed);
    return r || closed ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--odml")
        return odml(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong());

    CompressOptions options;
    options.codec = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("mjpeg");
    options.quality = 100;
    const int width = argc > 2 ? std::atoi(argv[2]) : 720;
    const int height = argc > 3 ? std::atoi(argv[3]) : 576;
    const int frames = argc > 4 ? std::atoi(argv[4]) : 100;
    const QString temp = QDir::temp().filePath(QStringLiteral("video_bench_temp.bmp"));
    const QString avi = QDir::temp().filePath(QStringLiteral("video_bench.avi"));

    QImage canvas(width, height, QImage::Format_RGB32);
    StderrMessages messages;
    cDIB dib(messages);
    Writer w;
    paintFrame(canvas, 0);
    if (!writeBmp24(canvas, temp) || !dib.CreateFromFile(temp) || w.open(avi, options, dib) != 0) {
        std::fprintf(stderr, "set-up failed\n");
        return 1;
    }
    std::vector<double> save, load, write, total;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        paintFrame(canvas, i);
        const Clock::time_point t0 = Clock::now();
        writeBmp24(canvas, temp);
        const Clock::time_point t1 = Clock::now();
        dib.CreateFromFile(temp);
        const Clock::time_point t2 = Clock::now();
        if (aviStreamWrite(w.compressed.get(), i, 1, dib.PointerToBits(), dib.SizeImage(), kAviKeyFrame) !=
            0) {
            std::fprintf(stderr, "write failed: %s\n", qPrintable(w.file->errorText()));
            return 1;
        }
        const Clock::time_point t3 = Clock::now();
        save.push_back(ms(t1 - t0));
        load.push_back(ms(t2 - t1));
        write.push_back(ms(t3 - t2));
        total.push_back(ms(t3 - t0));
    }
    const int closed = w.close();
    const double wall = ms(Clock::now() - start);
    std::printf("%s %dx%d, %d frames: writeBmp24 %.2f ms, cDIB load %.2f ms, aviStreamWrite %.2f ms, "
                "sum %.2f ms (medians); wall incl. painting and finish %.2f ms/frame; result %d\n",
                qPrintable(options.codec), width, height, frames, median(save), median(load), median(write),
                median(total), wall / frames, closed);
    QFile::remove(temp);
    QFile::remove(avi);
    return closed ? 1 : 0;
}
