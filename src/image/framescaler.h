#pragma once

class QImage;
class QRect;

namespace tavelon {

// Smooth (area-averaging) stretch of the whole of src into the rectangle (0, 0, width, height) of
// dst, like a halftone StretchBlt with SRCCOPY: the aspect ratio is not kept, and whatever falls
// outside dst is clipped. dst keeps its size and format.
void stretchInto(const QImage &src, QImage &dst, int width, int height);

// How stretchInto() may share its work with a second thread.
enum class ScaleThreads {
    Auto,   // split when the picture is large enough to gain from it
    Single, // always on the calling thread
    Split,  // always in two halves when a thread of the pool is free
};

// stretchInto() with a choice of threads; every choice gives the same pixels.
void stretchInto(const QImage &src, QImage &dst, int width, int height, ScaleThreads threads);

// stretchInto() into the rectangle target of dst (clipped to dst); the rest of dst is untouched.
void stretchInto(const QImage &src, QImage &dst, const QRect &target, ScaleThreads threads);

// The whole of src stretched to width × height, as a new RGB32 picture; a null picture when src is
// null or a size is not positive.
QImage stretched(const QImage &src, int width, int height);

} // namespace tavelon
