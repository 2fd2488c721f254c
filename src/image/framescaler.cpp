#include "image/framescaler.h"

#include <algorithm>
#include <array>
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

#if defined(__GNUC__) && defined(__x86_64__)
#define TAVELON_X86_SIMD 1
#include <immintrin.h>
#define TAVELON_AVX2 __attribute__((target("avx2")))
#else
#define TAVELON_X86_SIMD 0
#endif

namespace tavelon {

namespace {

// Weights are fixed-point with this many fraction bits; the weights of every destination pixel
// add up to exactly one. Everything is whole numbers: the pass along the rows keeps each channel
// in 1/128 steps (kRowShift drops the rest, rounded), which fits 16 bits; the pass down the
// columns rounds to whole channel values. A solid colour stays exactly that colour.
constexpr int kWeightBits = 12;
constexpr quint32 kWeightOne = 1u << kWeightBits;
constexpr int kRowShift = kWeightBits - 7;
constexpr int kColumnShift = kWeightBits + 7;

// Where a 32-bit pixel keeps its alpha byte.
constexpr int kAlphaByte = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? 3 : 0;

// Below this many pixel multiply-adds a second thread costs more than it saves.
constexpr qint64 kSplitWork = 200'000;

// The source pixels that make up each destination index along one axis.
struct AxisTaps
{
    std::vector<int> first;       // first source index of destination index i
    std::vector<int> start;       // taps of index i are weights[start[i]] … weights[start[i + 1] − 1]
    std::vector<quint16> weights; // per index, they add up to kWeightOne
    int sourceEnd = 0;            // one past the last source index any tap reads
    int maxTaps = 0;              // the most taps of any index

    int taps(int i) const { return start[std::size_t(i) + 1] - start[std::size_t(i)]; }
};

void addTap(AxisTaps &taps, int first, std::initializer_list<quint32> weights)
{
    taps.first.push_back(first);
    for (quint32 w : weights)
        taps.weights.push_back(quint16(w));
    taps.start.push_back(int(taps.weights.size()));
    taps.sourceEnd = std::max(taps.sourceEnd, first + int(weights.size()));
    taps.maxTaps = std::max(taps.maxTaps, int(weights.size()));
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
            taps.maxTaps = std::max(taps.maxTaps, lastSrc + 1 - firstSrc);
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
    return taps;
}

#if TAVELON_X86_SIMD
bool hasAvx2()
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

// The pass along a row, laid out for the vector loop: every destination pixel reads the same
// number of source pixels (a multiple of four, zero weights where it needs fewer) starting at
// base[x], which is moved left at the row's end so that no read leaves the row. Pixels go in pairs,
// one per 128-bit lane; each pair has 32 weights per group of four taps: w0 w1 repeated for the
// channels of each pixel's first two source pixels, then w2 w3 for the other two. The row is
// padded to whole pairs of pairs with pixels of zero weight.
struct RowKernel
{
    int taps = 0; // 0: no vector layout, the plain loop runs
    std::vector<int> base;
    std::vector<qint16> weights;
};

RowKernel rowKernel(const AxisTaps &xs, int srcWidth)
{
    RowKernel k;
#if TAVELON_X86_SIMD
    const int taps = (xs.maxTaps + 3) / 4 * 4;
    if (!hasAvx2() || taps > srcWidth)
        return k;
    const int width = int(xs.first.size());
    const int padded = (width + 3) / 4 * 4;
    const std::size_t groups = std::size_t(taps) / 4;
    k.taps = taps;
    k.base.resize(std::size_t(padded));
    k.weights.assign(std::size_t(padded) / 2 * groups * 32, 0);
    for (int x = 0; x < padded; ++x) {
        const int first = xs.first[std::size_t(std::min(x, width - 1))];
        const int base = std::min(first, srcWidth - taps);
        k.base[std::size_t(x)] = base;
        if (x >= width)
            continue;
        qint16 *w = k.weights.data() + std::size_t(x / 2) * groups * 32 + std::size_t(x % 2) * 8;
        for (int j = 0; j < xs.taps(x); ++j) {
            const int tap = first - base + j;
            qint16 *group = w + tap / 4 * 32 + (tap % 4 >= 2 ? 16 : 0);
            for (int c = 0; c < 4; ++c)
                group[c * 2 + tap % 2] = qint16(xs.weights[std::size_t(xs.start[std::size_t(x)] + j)]);
        }
    }
#else
    Q_UNUSED(xs);
    Q_UNUSED(srcWidth);
#endif
    return k;
}

// One source row weighted along x into out (four 16-bit channels per destination pixel).
void rowPassPlain(const uchar *row, qint16 *out, const AxisTaps &xs)
{
    const int width = int(xs.first.size());
    for (int x = 0; x < width; ++x) {
        const uchar *p = row + xs.first[std::size_t(x)] * 4;
        const quint16 *w = xs.weights.data() + xs.start[std::size_t(x)];
        const int taps = xs.taps(x);
        quint32 sum[4] = {1u << (kRowShift - 1), 1u << (kRowShift - 1), 1u << (kRowShift - 1),
                          1u << (kRowShift - 1)};
        for (int j = 0; j < taps; ++j, p += 4)
            for (int c = 0; c < 4; ++c)
                sum[c] += quint32(w[j]) * p[c];
        for (int c = 0; c < 4; ++c)
            out[x * 4 + c] = qint16(sum[c] >> kRowShift);
    }
}

// The weighted sum of the given rows, rounded to whole channel values; alpha becomes opaque.
// sums is scratch space for count values.
void columnPassPlain(const qint16 *const *rows, const quint16 *w, int taps, int count, qint32 *sums,
                     uchar *out)
{
    std::fill(sums, sums + count, 1 << (kColumnShift - 1));
    for (int k = 0; k < taps; ++k) {
        const qint16 *row = rows[k];
        const qint32 weight = w[k];
        for (int i = 0; i < count; ++i)
            sums[i] += weight * row[i];
    }
    for (int i = 0; i < count; ++i)
        out[i] = (i & 3) == kAlphaByte ? 0xFF : uchar(std::min(sums[i] >> kColumnShift, 255));
}

#if TAVELON_X86_SIMD
// Two destination pixels' four channels each, weighted over k.taps source pixels from p0 and p1.
TAVELON_AVX2 inline __m256i weighPair(const uchar *p0, const uchar *p1, const qint16 *w, int groups)
{
    // Channels of source pixels 0, 1 (low) or 2, 3 (high) of four, paired per channel and widened
    // to 16 bits.
    const __m256i pairLow = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0, -1, 4,
                                             -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const __m256i pairHigh = _mm256_setr_epi8(8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1, 8,
                                              -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1);
    __m256i sum = _mm256_set1_epi32(1 << (kRowShift - 1));
    for (int g = 0; g < groups; ++g, p0 += 16, p1 += 16, w += 32) {
        const __m256i v = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p0))),
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(p1)), 1);
        const __m256i wl = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(w));
        const __m256i wh = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(w + 16));
        sum = _mm256_add_epi32(sum, _mm256_madd_epi16(_mm256_shuffle_epi8(v, pairLow), wl));
        sum = _mm256_add_epi32(sum, _mm256_madd_epi16(_mm256_shuffle_epi8(v, pairHigh), wh));
    }
    return _mm256_srai_epi32(sum, kRowShift);
}

// Writes whole groups of four pixels: out needs room for up to three pixels past the row.
// Groups is the number of groups of four taps when it is known at compile time, 0 otherwise.
template <int Groups> TAVELON_AVX2 void rowPassAvx2(const uchar *row, qint16 *out, const RowKernel &k)
{
    const int padded = int(k.base.size());
    const int groups = Groups > 0 ? Groups : k.taps / 4;
    const std::size_t pairWeights = std::size_t(groups) * 32;
    const qint16 *w = k.weights.data();
    const int *base = k.base.data();
    for (int x = 0; x < padded; x += 4, w += 2 * pairWeights) {
        const __m256i a =
            weighPair(row + std::size_t(base[x]) * 4, row + std::size_t(base[x + 1]) * 4, w, groups);
        const __m256i b = weighPair(row + std::size_t(base[x + 2]) * 4, row + std::size_t(base[x + 3]) * 4,
                                    w + pairWeights, groups);
        // packs works within lanes (pixels x, x + 2 | x + 1, x + 3); the permute restores the order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x * 4), packed);
    }
}

// Shrinks by up to about 2.5 (four taps) and 6.5 (eight) get loops of a fixed length.
TAVELON_AVX2 void rowPassAvx2(const uchar *row, qint16 *out, const RowKernel &k)
{
    if (k.taps == 4)
        rowPassAvx2<1>(row, out, k);
    else if (k.taps == 8)
        rowPassAvx2<2>(row, out, k);
    else
        rowPassAvx2<0>(row, out, k);
}

TAVELON_AVX2 void columnPassAvx2(const qint16 *const *rows, const quint16 *w, int taps, int count, uchar *out)
{
    const __m256i half = _mm256_set1_epi32(1 << (kColumnShift - 1));
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 32 <= count; i += 32) {
        __m256i sums[4] = {half, half, half, half};
        for (int k = 0; k < taps; k += 2) {
            // Rows k and k + 1 interleaved, so that one multiply-add weighs both.
            const bool pair = k + 1 < taps;
            const __m256i weights =
                _mm256_set1_epi32(int(quint32(w[k]) | (pair ? quint32(w[k + 1]) << 16 : 0)));
            const qint16 *r0 = rows[k] + i;
            const qint16 *r1 = pair ? rows[k + 1] + i : r0;
            for (int h = 0; h < 2; ++h) {
                const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(r0 + h * 16));
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(r1 + h * 16));
                sums[h * 2] =
                    _mm256_add_epi32(sums[h * 2], _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), weights));
                sums[h * 2 + 1] = _mm256_add_epi32(sums[h * 2 + 1],
                                                   _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), weights));
            }
        }
        // The unpacks work within 128-bit lanes; the packs undo that within lanes, the permute
        // puts the lanes in order.
        const __m256i lo = _mm256_packs_epi32(_mm256_srai_epi32(sums[0], kColumnShift),
                                              _mm256_srai_epi32(sums[1], kColumnShift));
        const __m256i hi = _mm256_packs_epi32(_mm256_srai_epi32(sums[2], kColumnShift),
                                              _mm256_srai_epi32(sums[3], kColumnShift));
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i), _mm256_or_si256(bytes, opaque));
    }
    if (i < count) {
        std::array<const qint16 *, 64> tail{};
        std::array<qint32, 32> sums{};
        for (int k = 0; k < taps; ++k)
            tail[std::size_t(k)] = rows[k] + i;
        columnPassPlain(tail.data(), w, taps, count - i, sums.data(), out + i);
    }
}
#endif

// Destination rows [rowBegin, rowEnd): each source row they need is weighted along x once into a
// small ring of 16-bit rows, then the rows of each destination row are weighted down the columns.
void scaleRows(const QImage &src, uchar *dstBits, qsizetype dstStride, const AxisTaps &xs,
               const RowKernel &kx, const AxisTaps &ys, int rowBegin, int rowEnd)
{
    const int width = int(xs.first.size());
    const int count = width * 4;
    const int ring = ys.maxTaps;
    const std::size_t rowLen = std::size_t(count) + 16;
    std::vector<qint16> rows(rowLen * std::size_t(ring));
    std::vector<int> held(std::size_t(ring), -1);
    std::vector<const qint16 *> taps(std::size_t(ring), nullptr);
    std::vector<qint32> sums(std::size_t(count), 0);
    const uchar *srcBits = src.constBits();
    const qsizetype srcStride = src.bytesPerLine();
    for (int y = rowBegin; y < rowEnd; ++y) {
        const int n = ys.taps(y);
        for (int k = 0; k < n; ++k) {
            const int sy = ys.first[std::size_t(y)] + k;
            const std::size_t slot = std::size_t(sy % ring);
            qint16 *row = rows.data() + slot * rowLen;
            if (held[slot] != sy) {
                const uchar *line = srcBits + srcStride * sy;
#if TAVELON_X86_SIMD
                if (kx.taps > 0)
                    rowPassAvx2(line, row, kx);
                else
#endif
                    rowPassPlain(line, row, xs);
                held[slot] = sy;
            }
            taps[std::size_t(k)] = row;
        }
        const quint16 *wy = ys.weights.data() + ys.start[std::size_t(y)];
        uchar *out = dstBits + dstStride * y;
#if TAVELON_X86_SIMD
        if (hasAvx2() && n <= 64) {
            columnPassAvx2(taps.data(), wy, n, count, out);
            continue;
        }
#endif
        columnPassPlain(taps.data(), wy, n, count, sums.data(), out);
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
    const RowKernel kx = rowKernel(xs, src.width());
    const qint64 work =
        qint64(xs.weights.size()) * 4 * ys.sourceEnd + qint64(usedW) * 4 * qint64(ys.weights.size());
    const bool split = usedH >= 2 && (threads == ScaleThreads::Split ||
                                      (threads == ScaleThreads::Auto && work >= kSplitWork));
    if (split) {
        const int middle = usedH / 2;
        const bool ran =
            splitWorker().run([&] { scaleRows(src, dstBits, dstStride, xs, kx, ys, 0, middle); },
                              [&] { scaleRows(src, dstBits, dstStride, xs, kx, ys, middle, usedH); });
        if (ran)
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
