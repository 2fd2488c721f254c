#include "form/clipoptions.h"

#include <limits>

#include "services/numbertext.h"

namespace tavelon {

void ClipOverlay::setBox(bool on)
{
    box = on;
    if (on)
        border = false;
}

void ClipOverlay::setBorder(bool on)
{
    border = on;
    if (on)
        box = false;
}

void ClipOptions::setFormat(const FormatPreset &row)
{
    format = row.name;
    frameRate = row.fps;
    width = row.width;
    height = row.height;
}

const FormatPreset &startingFormat(int firstFrameHeight)
{
    // The table's VCD PAL and DVD PAL rows.
    return formatPresets().at(firstFrameHeight < 400 ? 0 : 4);
}

int limitedSpeed(int speed, const QString &frameRate)
{
    return numberValueOf(frameRate) < speed ? ClipOptions::kStartingSpeed : speed;
}

std::optional<int> speedMaximum(const QString &frameRate)
{
    const double max = roundHalfEven(numberValueOf(frameRate));
    if (!(max >= std::numeric_limits<qint16>::min() && max <= std::numeric_limits<qint16>::max()))
        return std::nullopt;
    return int(max);
}

} // namespace tavelon
