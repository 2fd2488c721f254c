#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavelon {

// Size rules of the overlay text and the font it is measured and drawn in.

// Preview text size in points for the size text: 8, 10, 12 or 14 for the first of entries (the
// four size texts, small to huge) equal to it; nullopt when none is equal (the size stays).
std::optional<int> previewPointSize(const QString &sizeText, const QStringList &entries);

// Text size and distances of the video overlay.
struct VideoTextScale
{
    int points = 12;
    int margin = 0; // OverlayMargin
    int shadow = 0; // OverlayShadow
};

// The video scale for a format text. "VCD…" uses the preview size with distances 7 and 1; "DVD…"
// and "SVC…" double the size with 14 and 2. Every other format (the HD presets, free sizes) scales
// the VCD values by frameHeight ÷ 288 (a height of 0 or less counts as 288): size and margin
// rounded down, shadow at least 1. The size never drops below 1 point.
VideoTextScale videoTextScale(const QString &formatText, int previewPoints, int frameHeight);

// Pixel size of a point size at 96 dpi, rounded as the platform's font mapping does.
int pixelSizeForPoints(int points);

// "Arial" when it resolves to Arial itself or to a metric-compatible stand-in (Liberation Sans
// through the fontconfig alias); "Liberation Sans" when "Arial" resolves to something else.
// Needs a QGuiApplication.
QString overlayFontFamily();

// The overlay font: family, bold, pixel size from points. Fixed pixel size, no subpixel
// antialiasing and an explicit hinting choice keep its pixels the same on every screen and in
// the batch mode.
QFont overlayFont(const QString &family, int points);

} // namespace tavelon
