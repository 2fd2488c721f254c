#include "image/videoshape.h"

#include <algorithm>
#include <cmath>

namespace tavelon {

PixelAspect pixelAspectFor(QSize size)
{
    static const struct
    {
        QSize size;
        PixelAspect aspect;
    } nonSquare[] = {
        {{352, 288}, {12, 11}}, // VCD PAL
        {{352, 240}, {10, 11}}, // VCD NTSC
        {{480, 576}, {8, 5}},   // SVCD PAL
        {{480, 480}, {4, 3}},   // SVCD NTSC
        {{720, 576}, {16, 15}}, // DVD PAL
        {{720, 480}, {8, 9}},   // DVD NTSC
    };
    for (const auto &row : nonSquare) {
        if (row.size == size)
            return row.aspect;
    }
    return {};
}

ColourStandard colourStandardFor(QSize size)
{
    if (size.height() > 576)
        return ColourStandard::Bt709;
    const QSize ntsc[] = {{352, 240}, {480, 480}, {720, 480}};
    return std::find(std::begin(ntsc), std::end(ntsc), size) != std::end(ntsc) ? ColourStandard::Bt601Ntsc
                                                                               : ColourStandard::Bt601Pal;
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
