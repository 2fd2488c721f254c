#include "overlay/labelsize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <QFontInfo>

namespace tavelon {

namespace {

constexpr int kReferenceHeight = 288;
constexpr int kVcdMargin = 7;

} // namespace

std::optional<int> previewPointSize(const QString &sizeText, const QStringList &entries)
{
    static constexpr int points[] = {8, 10, 12, 14};
    const int n = std::min(int(entries.size()), 4);
    for (int i = 0; i < n; ++i) {
        if (sizeText == entries.at(i))
            return points[i];
    }
    return std::nullopt;
}

VideoTextScale videoTextScale(const QString &formatText, int previewPoints, int frameHeight)
{
    const QString prefix = formatText.left(3);
    if (prefix == u"VCD")
        return {std::max(previewPoints, 1), kVcdMargin, 1};
    if (prefix == u"DVD" || prefix == u"SVC")
        return {std::max(previewPoints * 2, 1), 2 * kVcdMargin, 2};

    const int height = frameHeight > 0 ? frameHeight : kReferenceHeight;
    // Whole-number arithmetic: size × height / 288 rounded down, without floating-point noise.
    const int points = int(std::int64_t(previewPoints) * height / kReferenceHeight);
    const int margin = kVcdMargin * height / kReferenceHeight;
    const int shadow = height / kReferenceHeight;
    return {std::max(points, 1), margin, std::max(shadow, 1)};
}

int pixelSizeForPoints(int points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

QString overlayFontFamily()
{
    const QString arial = QStringLiteral("Arial");
    const QString liberation = QStringLiteral("Liberation Sans");
    const QString resolved = QFontInfo(QFont(arial)).family();
    if (resolved.compare(arial, Qt::CaseInsensitive) == 0 ||
        resolved.compare(liberation, Qt::CaseInsensitive) == 0)
        return arial;
    return liberation;
}

QFont overlayFont(const QString &family, int points)
{
    QFont f(family);
    f.setBold(true);
    f.setPixelSize(std::max(pixelSizeForPoints(points), 1));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    return f;
}

} // namespace tavelon
