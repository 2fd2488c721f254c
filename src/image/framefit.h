#pragma once

#include <QImage>
#include <QSize>

#include "form/videooutput.h"
#include "image/framescaler.h"

namespace tavelon {

// A frame scaled into a video frame as fit says: over all of it (stretch), inside it in the frame's
// own shape between black bars (pad), or over all of it in the frame's own shape with the overhang
// cut off at the sides or at top and bottom (crop). Shapes are compared as shown: the video frame's
// pixel shape follows its size (pixelAspectFor), and frameSize is the frame's own size, which a
// reduced decode in frame may round.
void fitInto(const QImage &frame, QSize frameSize, QImage &video, Fit fit, ScaleThreads threads);

// The part of frame that a video of videoSize shows with fit: all of it, or for crop the centred
// part of the video's shape, as a picture sharing frame's pixels (valid while frame is unchanged).
QImage shownPart(const QImage &frame, QSize videoSize, Fit fit);

} // namespace tavelon
