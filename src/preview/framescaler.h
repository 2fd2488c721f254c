#pragma once

class QImage;

namespace tavelon {

// Smooth (area-averaging) stretch of the whole of src into the rectangle (0, 0, width, height) of
// dst, like a halftone StretchBlt with SRCCOPY: the aspect ratio is not kept, and whatever falls
// outside dst is clipped. dst keeps its size and format.
void stretchInto(const QImage &src, QImage &dst, int width, int height);

} // namespace tavelon
