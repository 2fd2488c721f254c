#include "form/videoboxes.h"

#include "services/numbertext.h"

namespace tavelon {

namespace {

// Digits with at most one decimal point: no sign, no exponent, nothing after the number.
bool isPlainNumber(const QString &text)
{
    bool digits = false, point = false;
    for (const QChar c : text) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            digits = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

} // namespace

int videoBoxLimit(VideoBox box)
{
    return box == VideoBox::FrameRate ? 32767 : kMaxFrameSide;
}

std::optional<int> videoBoxValue(VideoBox box, const QString &text)
{
    const QString number = text.trimmed();
    if (!isPlainNumber(number))
        return std::nullopt;
    const double value = roundHalfEven(numberValueOf(number));
    if (value < 1 || value > videoBoxLimit(box))
        return std::nullopt;
    return int(value);
}

QSize videoBoxSize(const QString &width, const QString &height, QSize kept)
{
    return {videoBoxValue(VideoBox::Width, width).value_or(kept.width()),
            videoBoxValue(VideoBox::Height, height).value_or(kept.height())};
}

} // namespace tavelon
