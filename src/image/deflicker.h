#pragma once

#include <QImage>
#include <QStringList>

#include <vector>

namespace tavelon {

// Flicker of changing daylight taken out of a clip: each frame's brightness is scaled towards the
// moving average of the frames around it, in the clip's order.

// The mean brightness (luma, 0–255) of an RGB32 picture; NaN for an empty one. Every pixel of a
// small picture counts; a large one is sampled on a grid of about 256 × 256 points.
double meanBrightness(const QImage &image);

// The mean brightness of each frame file of a clip, from reduced decodes (a JPEG at an eighth of
// its size where that still gives 64 × 64 pixels); NaN for a frame that cannot be loaded.
std::vector<double> surveyBrightness(const QStringList &paths);

// The factor each frame's brightness is scaled by: the mean of the brightness values in the window
// of `window` frames centred on it (cut at the clip's ends; NaN values left out) over its own. 1 for
// a window below 2 and for frames whose brightness is NaN or 0.
std::vector<double> deflickerGains(const std::vector<double> &brightness, int window);

// Scales every colour channel of an RGB32 picture by gain, clamped to 255.
void applyGain(QImage &image, double gain);

} // namespace tavelon
