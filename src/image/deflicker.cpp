#include "image/deflicker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "image/frameloader.h"

namespace tavelon {

namespace {

constexpr int kSurveyGrid = 256;
const QSize kSurveyCover(64, 64);

} // namespace

double meanBrightness(const QImage &image)
{
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return std::numeric_limits<double>::quiet_NaN();
    const int stepX = std::max(1, image.width() / kSurveyGrid);
    const int stepY = std::max(1, image.height() / kSurveyGrid);
    std::uint64_t sum = 0;
    std::uint64_t count = 0;
    for (int y = 0; y < image.height(); y += stepY) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += stepX) {
            // BT.601 luma in 8-bit fixed point.
            sum += std::uint64_t(77 * qRed(row[x]) + 150 * qGreen(row[x]) + 29 * qBlue(row[x]));
            ++count;
        }
    }
    return double(sum) / 256.0 / double(count);
}

std::vector<double> surveyBrightness(const QStringList &paths)
{
    FrameLoader loader;
    QImage picture;
    std::vector<double> result;
    result.reserve(std::size_t(paths.size()));
    for (const QString &path : paths) {
        result.push_back(loader.load(path, picture, kSurveyCover) ? meanBrightness(picture)
                                                                  : std::numeric_limits<double>::quiet_NaN());
    }
    return result;
}

std::vector<double> deflickerGains(const std::vector<double> &brightness, int window)
{
    const int n = int(brightness.size());
    std::vector<double> gains(brightness.size(), 1.0);
    if (window < 2)
        return gains;
    // An even window reaches one frame further back than forward.
    const int before = window / 2;
    const int after = window - 1 - before;
    for (int i = 0; i < n; ++i) {
        const double own = brightness[std::size_t(i)];
        if (std::isnan(own) || own <= 0)
            continue;
        double sum = 0;
        int count = 0;
        for (int j = std::max(0, i - before); j <= std::min(n - 1, i + after); ++j) {
            if (!std::isnan(brightness[std::size_t(j)])) {
                sum += brightness[std::size_t(j)];
                ++count;
            }
        }
        gains[std::size_t(i)] = sum / count / own;
    }
    return gains;
}

void applyGain(QImage &image, double gain)
{
    if (image.isNull() || std::abs(gain - 1.0) < 1e-3)
        return;
    std::array<uchar, 256> table{};
    for (int v = 0; v < 256; ++v)
        table[std::size_t(v)] = uchar(std::clamp(int(std::lround(v * gain)), 0, 255));
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            row[x] = qRgb(table[qRed(p)], table[qGreen(p)], table[qBlue(p)]);
        }
    }
}

} // namespace tavelon
