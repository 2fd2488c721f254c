#pragma once

#include <QRect>
#include <QSize>

namespace tavelon {

// The width-to-height ratio of one stored pixel as shown.
struct PixelAspect
{
    int num = 1;
    int den = 1;

    bool isSquare() const { return num == den; }
    friend bool operator==(const PixelAspect &, const PixelAspect &) = default;
};

// The pixel shape of a video of size: the non-square pixels of the 4:3 VCD, SVCD and DVD frame
// sizes (352 × 288 is shown 12:11 wider, and so on), square pixels for every other size.
PixelAspect pixelAspectFor(QSize size);

// Where a frame of frameSize goes in a video of videoSize with pixels of aspect when its shape is
// kept: the largest centred rectangle that shows the frame undistorted; the rest is bars. The
// whole video when the shapes match (or a size is empty).
QRect paddedRect(QSize frameSize, QSize videoSize, PixelAspect aspect);

// The part of a frame of frameSize that fills a video of videoSize with pixels of aspect when the
// frame is to cover the whole video: the largest centred rectangle of the video's shape as shown;
// the rest is cut off at the sides or at top and bottom. The whole frame when the shapes match
// (or a size is empty).
QRect croppedRect(QSize frameSize, QSize videoSize, PixelAspect aspect);

// The colour standard a YCbCr video of a frame size is meant for: sizes of more than 576 lines are
// high definition (BT.709), as players assume for them; smaller ones standard definition (BT.601),
// with the NTSC primaries for the three NTSC disc sizes and the PAL ones otherwise.
enum class ColourStandard {
    Bt601Pal,
    Bt601Ntsc,
    Bt709,
};
ColourStandard colourStandardFor(QSize size);

} // namespace tavelon
