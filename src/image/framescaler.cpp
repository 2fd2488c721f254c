#include "image/framescaler.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include "image/scalekernels.h"
#include "image/scaletaps.h"

namespace tavelon {

namespace {

// Below this many pixel multiply-adds a second thread costs more than it saves.
constexpr qint64 kSplitWork = 200'000;

// Destination rows [rowBegin, rowEnd): each source row they need is weighted along x once into a
// small ring of 16-bit rows, then the rows of each destination row are weighted down the columns.
void scaleRows(const QImage &src, uchar *dstBits, qsizetype dstStride, const AxisTaps &xs,
               const RowKernel &kx, const AxisTaps &ys, int rowBegin, int rowEnd)
{
    const int width = int(xs.first.size());
    const int count = width * 4;
    const int ring = ys.maxTaps;
    const std::size_t rowLen = std::size_t(count) + 16;
    std::vector<std::int16_t> rows(rowLen * std::size_t(ring));
    std::vector<int> held(std::size_t(ring), -1);
    std::vector<const std::int16_t *> taps(std::size_t(ring), nullptr);
    std::vector<std::int32_t> sums(std::size_t(count), 0);
    const uchar *srcBits = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    for (int y = rowBegin; y < rowEnd; ++y) {
        const int n = ys.taps(y);
        for (int k = 0; k < n; ++k) {
            const int sy = ys.first[std::size_t(y)] + k;
            const std::size_t slot = std::size_t(sy % ring);
            std::int16_t *row = rows.data() + slot * rowLen;
            if (held[slot] != sy) {
                rowPass(srcBits + srcStride * sy, row, xs, kx);
                held[slot] = sy;
            }
            taps[std::size_t(k)] = row;
        }
        columnPass(taps.data(), ys.weights.data() + ys.start[std::size_t(y)], n, count, sums.data(),
                   dstBits + dstStride * y);
    }
}

// Runs second on a thread of the program's pool while first runs on the caller, and returns when
// both are done. A second that no pool thread has taken yet runs on the caller instead (waiting
// takes it back), so a pool thread that scales never waits for a queued task.
template <typename First, typename Second> void runSplit(First &&first, Second &&second)
{
    QFuture<void> other = QtConcurrent::run(std::forward<Second>(second));
    first();
    other.waitForFinished();
}

bool isOpaqueWritable(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// Scales src (RGB32 or ARGB32, alpha ignored) into the top-left usedW × usedH pixels of a 32-bit
// destination buffer, as part of a width × height stretch.
void scaleInto(const QImage &src, uchar *dstBits, qsizetype dstStride, int width, int height, int usedW,
               int usedH, ScaleThreads threads)
{
    if (width == src.width() && height == src.height() && src.format() == QImage::Format_RGB32) {
        for (int y = 0; y < usedH; ++y)
            std::memcpy(dstBits + dstStride * y, src.constScanLine(y), size_t(usedW) * 4);
        return;
    }
    const AxisTaps xs = axisTaps(src.width(), width, usedW);
    const AxisTaps ys = axisTaps(src.height(), height, usedH);
    const RowKernel kx = rowKernel(xs, src.width());
    const qint64 work =
        qint64(xs.weights.size()) * 4 * ys.sourceEnd + qint64(usedW) * 4 * qint64(ys.weights.size());
    const bool split = usedH >= 2 && (threads == ScaleThreads::Split ||
                                      (threads == ScaleThreads::Auto && work >= kSplitWork));
    if (split) {
        const int middle = usedH / 2;
        runSplit([&] { scaleRows(src, dstBits, dstStride, xs, kx, ys, 0, middle); },
                 [&] { scaleRows(src, dstBits, dstStride, xs, kx, ys, middle, usedH); });
        return;
    }
    scaleRows(src, dstBits, dstStride, xs, kx, ys, 0, usedH);
}

} // namespace

void stretchInto(const QImage &src, QImage &dst, int width, int height)
{
    stretchInto(src, dst, width, height, ScaleThreads::Auto);
}

void stretchInto(const QImage &src, QImage &dst, int width, int height, ScaleThreads threads)
{
    stretchInto(src, dst, QRect(0, 0, width, height), threads);
}

void stretchInto(const QImage &src, QImage &dst, const QRect &target, ScaleThreads threads)
{
    const int width = target.width();
    const int height = target.height();
    if (src.isNull() || dst.isNull() || width <= 0 || height <= 0 || target.x() < 0 || target.y() < 0)
        return;
    const QImage source = src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32
                              ? src
                              : src.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        return;
    const int usedW = std::min(width, dst.width() - target.x());
    const int usedH = std::min(height, dst.height() - target.y());
    if (usedW <= 0 || usedH <= 0)
        return;
    if (isOpaqueWritable(dst.format())) {
        uchar *bits = dst.bits() + target.y() * dst.bytesPerLine() + qsizetype(target.x()) * 4;
        scaleInto(source, bits, dst.bytesPerLine(), width, height, usedW, usedH, threads);
        return;
    }
    QImage part(usedW, usedH, QImage::Format_RGB32);
    if (part.isNull())
        return;
    scaleInto(source, part.bits(), part.bytesPerLine(), width, height, usedW, usedH, threads);
    QPainter painter(&dst);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target.topLeft(), part);
}

QImage stretched(const QImage &src, int width, int height)
{
    if (src.isNull() || width <= 0 || height <= 0)
        return {};
    QImage out(width, height, QImage::Format_RGB32);
    if (!out.isNull())
        stretchInto(src, out, width, height);
    return out;
}

} // namespace tavelon
