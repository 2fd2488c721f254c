#include "image/videoshape.h"

#include <algorithm>
#include <cmath>

namespace tavelon {

namespace {

// The disc sizes: their pixels are not square, and the NTSC ones are coded with NTSC colours.
struct DiscSize
{
    QSize size;
    PixelAspect aspect;
    bool ntsc;
};

const DiscSize *discSize(QSize size)
{
    static const DiscSize table[] = {
        {{352, 288}, {12, 11}, false}, // VCD PAL
        {{352, 240}, {10, 11}, true},  // VCD NTSC
        {{480, 576}, {8, 5}, false},   // SVCD PAL
        {{480, 480}, {4, 3}, true},    // SVCD NTSC
        {{720, 576}, {16, 15}, false}, // DVD PAL
        {{720, 480}, {8, 9}, true},    // DVD NTSC
    };
    const auto row = std::find_if(std::begin(table), std::end(table),
                                  [size](const DiscSize &r) { return r.size == size; });
    return row == std::end(table) ? nullptr : row;
}

} // namespace

PixelAspect pixelAspectFor(QSize size)
{
    const DiscSize *disc = discSize(size);
    return disc ? disc->aspect : PixelAspect{};
}

ColourStandard colourStandardFor(QSize size)
{
    if (size.height() > 576)
        return ColourStandard::Bt709;
    const DiscSize *disc = discSize(size);
    return disc && disc->ntsc ? ColourStandard::Bt601Ntsc : ColourStandard::Bt601Pal;
}

QRect paddedRect(QSize frameSize, QSize videoSize, PixelAspect aspect)
{
    const QRect whole(QPoint(0, 0), videoSize);
    if (frameSize.isEmpty() || videoSize.isEmpty() || aspect.num <= 0 || aspect.den <= 0)
        return whole;
    // Compare the shapes as shown: the video is videoWidth × num / den display units wide.
    const double shownWidth = double(videoSize.width()) * aspect.num / aspect.den;
    const double scale =
        std::min(shownWidth / frameSize.width(), double(videoSize.height()) / frameSize.height());
    const int width = std::clamp(int(std::lround(frameSize.width() * scale * aspect.den / aspect.num)), 1,
                                 videoSize.width());
    const int height = std::clamp(int(std::lround(frameSize.height() * scale)), 1, videoSize.height());
    return QRect((videoSize.width() - width) / 2, (videoSize.height() - height) / 2, width, height);
}

QRect croppedRect(QSize frameSize, QSize videoSize, PixelAspect aspect)
{
    const QRect whole(QPoint(0, 0), frameSize);
    if (frameSize.isEmpty() || videoSize.isEmpty() || aspect.num <= 0 || aspect.den <= 0)
        return whole;
    const double shownShape = double(videoSize.width()) * aspect.num / aspect.den / videoSize.height();
    const double frameShape = double(frameSize.width()) / frameSize.height();
    const int width = frameShape > shownShape ? std::clamp(int(std::lround(frameSize.height() * shownShape)),
                                                           1, frameSize.width())
                                              : frameSize.width();
    const int height = frameShape > shownShape ? frameSize.height()
                                               : std::clamp(int(std::lround(frameSize.width() / shownShape)),
                                                            1, frameSize.height());
    return QRect((frameSize.width() - width) / 2, (frameSize.height() - height) / 2, width, height);
}

} // namespace tavelon
