#include "preview/framescaler.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <QImage>
#include <QPainter>

// The hot loops also get an AVX2 build; the dynamic loader picks the one the processor supports.
#if defined(__GNUC__) && defined(__x86_64__)
#define TAVELON_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TAVELON_CLONES
#endif

namespace tavelon {

namespace {

// Weights are fixed-point with this many fraction bits; the weights of every destination pixel
// add up to exactly one. The vertical pass sums whole numbers; the horizontal pass works in float,
// where every product of a solid colour is still exact, so a solid colour stays exactly that colour.
constexpr int kWeightBits = 12;
constexpr quint32 kWeightOne = 1u << kWeightBits;
constexpr float kResultScale = 1.0f / float(kWeightOne * kWeightOne);

// The four bytes of a pixel as one vector (GCC and Clang vector extensions).
using Float4 = float __attribute__((vector_size(16)));
using Int4 = qint32 __attribute__((vector_size(16)));
using Byte4 = uchar __attribute__((vector_size(4)));

// Below this many pixel multiply-adds a second thread costs more than it saves.
constexpr qint64 kSplitWork = 200'000;

// The source pixels that make up each destination index along one axis.
struct AxisTaps
{
    std::vector<int> first;       // first source index of destination index i
    std::vector<int> start;       // taps of index i are weights[start[i]] … weights[start[i + 1] − 1]
    std::vector<quint16> weights; // per index, they add up to kWeightOne
    std::vector<float> scaled;    // weights / kWeightOne², for the horizontal pass
    int sourceEnd = 0;            // one past the last source index any tap reads
};

void addTap(AxisTaps &taps, int first, std::initializer_list<quint32> weights)
{
    taps.first.push_back(first);
    for (quint32 w : weights)
        taps.weights.push_back(quint16(w));
    taps.start.push_back(int(taps.weights.size()));
    taps.sourceEnd = std::max(taps.sourceEnd, first + int(weights.size()));
}

// Shrinking averages the source pixels each destination pixel covers, weighted by how much of
// them it covers (a box filter); enlarging interpolates between the two nearest source pixel
// centres (bilinear). Only the first `used` destination indexes are computed.
AxisTaps axisTaps(int srcLen, int dstLen, int used)
{
    AxisTaps taps;
    taps.first.reserve(used);
    taps.start.reserve(used + 1);
    taps.start.push_back(0);
    for (int i = 0; i < used; ++i) {
        if (dstLen < srcLen) {
            // Source pixel j spans [j·dstLen, (j+1)·dstLen), destination pixel i spans
            // [i·srcLen, (i+1)·srcLen); weights are the overlaps, rounded cumulatively so that
            // they add up to exactly one.
            const qint64 begin = qint64(i) * srcLen;
            const qint64 end = begin + srcLen;
            const int firstSrc = int(begin / dstLen);
            const int lastSrc = int((end - 1) / dstLen);
            qint64 covered = 0;
            quint32 given = 0;
            taps.first.push_back(firstSrc);
            for (int j = firstSrc; j <= lastSrc; ++j) {
                covered += std::min(end, qint64(j + 1) * dstLen) - std::max(begin, qint64(j) * dstLen);
                const auto upTo = quint32((covered * kWeightOne + srcLen / 2) / srcLen);
                taps.weights.push_back(quint16(upTo - given));
                given = upTo;
            }
            taps.start.push_back(int(taps.weights.size()));
            taps.sourceEnd = std::max(taps.sourceEnd, lastSrc + 1);
            continue;
        }
        // Centre of destination pixel i in source pixels, in units of 1 / (2·dstLen).
        const qint64 unit = 2 * qint64(dstLen);
        const qint64 pos = (2 * qint64(i) + 1) * srcLen - dstLen;
        if (pos <= 0) {
            addTap(taps, 0, {kWeightOne});
            continue;
        }
        const int left = int(pos / unit);
        const auto right = quint32((pos % unit * kWeightOne + unit / 2) / unit);
        if (left >= srcLen - 1 || right == 0)
            addTap(taps, std::min(left, srcLen - 1), {kWeightOne});
        else if (right == kWeightOne)
            addTap(taps, left + 1, {kWeightOne});
        else
            addTap(taps, left, {kWeightOne - right, right});
    }
    taps.scaled.reserve(taps.weights.size());
    for (quint16 w : taps.weights)
        taps.scaled.push_back(float(w) * kResultScale);
    return taps;
}

// Destination rows [rowBegin, rowEnd): first the weighted sum of the source rows, in whole numbers
// and over all four bytes of each pixel so that the loops vectorise, then the weighted sums along
// the row, a pixel's four channels at once.
TAVELON_CLONES void scaleRows(const QImage &src, uchar *dstBits, qsizetype dstStride, const AxisTaps &xs,
                              const AxisTaps &ys, int rowBegin, int rowEnd)
{
    const int rowBytes = xs.sourceEnd * 4;
    std::vector<quint32> sums(rowBytes);
    std::vector<float> floatSums(rowBytes);
    quint32 *acc = sums.data();
    float *accF = floatSums.data();
    const uchar *srcBits = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    const int width = int(xs.first.size());
    for (int y = rowBegin; y < rowEnd; ++y) {
        const quint16 *wy = ys.weights.data() + ys.start[y];
        const int last = ys.start[y + 1] - ys.start[y] - 1;
        const uchar *row = srcBits + srcStride * ys.first[y];
        // The sums stay below 2^20, so the signed conversion to float is exact.
        if (last == 0) {
            const quint16 w = wy[0];
            for (int i = 0; i < rowBytes; ++i)
                accF[i] = float(qint32(quint32(w) * row[i]));
        } else {
            const quint16 w0 = wy[0];
            for (int i = 0; i < rowBytes; ++i)
                acc[i] = quint32(w0) * row[i];
            for (int k = 1; k < last; ++k) {
                const uchar *r = row + srcStride * k;
                const quint16 w = wy[k];
                for (int i = 0; i < rowBytes; ++i)
                    acc[i] += quint32(w) * r[i];
            }
            const uchar *r = row + srcStride * last;
            const quint16 w = wy[last];
            for (int i = 0; i < rowBytes; ++i)
                accF[i] = float(qint32(acc[i] + quint32(w) * r[i]));
        }

        auto *out = reinterpret_cast<quint32 *>(dstBits + dstStride * y);
        for (int x = 0; x < width; ++x) {
            const float *a = accF + xs.first[x] * 4;
            const float *wx = xs.scaled.data() + xs.start[x];
            const int taps = xs.start[x + 1] - xs.start[x];
            Float4 c = {0.5f, 0.5f, 0.5f, 0.5f};
            for (int j = 0; j < taps; ++j, a += 4) {
                Float4 v;
                std::memcpy(&v, a, sizeof v);
                c += wx[j] * v;
            }
            const Byte4 bytes = __builtin_convertvector(__builtin_convertvector(c, Int4), Byte4);
            quint32 pixel;
            std::memcpy(&pixel, &bytes, sizeof pixel);
            out[x] = pixel | 0xFF000000u;
        }
    }
}

// One persistent helper thread that takes the second half of a split job.
class SplitWorker
{
public:
    ~SplitWorker()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    // Runs second on the helper thread while first runs on the caller, and returns when both are
    // done. Runs nothing and returns false when another caller is using the helper or it cannot be
    // started.
    bool run(const std::function<void()> &first, const std::function<void()> &second)
    {
        std::unique_lock call(m_callMutex, std::try_to_lock);
        if (!call.owns_lock())
            return false;
        {
            const std::lock_guard lock(m_mutex);
            if (!m_thread.joinable()) {
                try {
                    m_thread = std::thread(&SplitWorker::loop, this);
                } catch (const std::system_error &) {
                    return false;
                }
            }
            m_job = &second;
            m_done = false;
        }
        m_wake.notify_all();
        first();
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] { return m_done; });
        return true;
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_quit || m_job; });
            if (m_quit)
                return;
            const std::function<void()> *job = std::exchange(m_job, nullptr);
            lock.unlock();
            (*job)();
            lock.lock();
            m_done = true;
            m_finished.notify_all();
        }
    }

    std::mutex m_callMutex;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    const std::function<void()> *m_job = nullptr;
    bool m_done = true;
    bool m_quit = false;
    std::thread m_thread;
};

SplitWorker &splitWorker()
{
    static SplitWorker worker;
    return worker;
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
    const qint64 work = qint64(xs.sourceEnd) * qint64(ys.weights.size()) + qint64(xs.weights.size()) * usedH;
    const bool split = usedH >= 2 && (threads == ScaleThreads::Split ||
                                      (threads == ScaleThreads::Auto && work >= kSplitWork));
    if (split) {
        const int middle = usedH / 2;
        const bool ran =
            splitWorker().run([&] { scaleRows(src, dstBits, dstStride, xs, ys, 0, middle); },
                              [&] { scaleRows(src, dstBits, dstStride, xs, ys, middle, usedH); });
        if (ran)
            return;
    }
    scaleRows(src, dstBits, dstStride, xs, ys, 0, usedH);
}

} // namespace

void stretchInto(const QImage &src, QImage &dst, int width, int height)
{
    stretchInto(src, dst, width, height, ScaleThreads::Auto);
}

void stretchInto(const QImage &src, QImage &dst, int width, int height, ScaleThreads threads)
{
    if (src.isNull() || dst.isNull() || width <= 0 || height <= 0)
        return;
    const QImage source = src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32
                              ? src
                              : src.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        return;
    const int usedW = std::min(width, dst.width());
    const int usedH = std::min(height, dst.height());
    if (isOpaqueWritable(dst.format())) {
        uchar *bits = dst.bits();
        scaleInto(source, bits, dst.bytesPerLine(), width, height, usedW, usedH, threads);
        return;
    }
    QImage part(usedW, usedH, QImage::Format_RGB32);
    if (part.isNull())
        return;
    scaleInto(source, part.bits(), part.bytesPerLine(), width, height, usedW, usedH, threads);
    QPainter painter(&dst);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, part);
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
