#include "image/framefit.h"

#include <QRect>

#include "image/videoshape.h"

namespace tavelon {

void fitInto(const QImage &frame, QSize frameSize, QImage &video, Fit fit, ScaleThreads threads)
{
    if (video.isNull())
        return;
    if (fit == Fit::Pad) {
        const QRect target = paddedRect(frameSize, video.size(), pixelAspectFor(video.size()));
        if (target != video.rect()) {
            video.fill(Qt::black);
            stretchInto(frame, video, target, threads);
            return;
        }
    }
    stretchInto(shownPart(frame, video.size(), fit), video, video.width(), video.height(), threads);
}

QImage shownPart(const QImage &frame, QSize videoSize, Fit fit)
{
    if (fit != Fit::Crop || frame.isNull())
        return frame;
    const QRect part = croppedRect(frame.size(), videoSize, pixelAspectFor(videoSize));
    if (part == frame.rect())
        return frame;
    // A view of the rows inside frame's own buffer: no copy of a large camera frame.
    const uchar *first = frame.constBits() + part.y() * frame.bytesPerLine() + part.x() * (frame.depth() / 8);
    return QImage(first, part.width(), part.height(), frame.bytesPerLine(), frame.format());
}

} // namespace tavelon
