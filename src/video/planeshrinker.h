#pragma once

#include <QByteArray>
#include <QSize>

#include <memory>

#include "image/jpegplanes.h"

struct SwsContext;

namespace tavelon {

class FrameLoader;
struct YuvFrame;

// Shrinks the sample planes of a YCbCr JPEG frame to a YuvFrame, plane by plane with libswscale's
// area filter. A video coded from YCbCr 4:2:0 then needs no colour conversion at all, and the
// shrinking handles 1.5 bytes a pixel instead of 4. One object serves one thread; its buffers and
// scalers are kept for frames of the same sizes.
class PlaneShrinker
{
public:
    PlaneShrinker();
    ~PlaneShrinker();
    PlaneShrinker(const PlaneShrinker &) = delete;
    PlaneShrinker &operator=(const PlaneShrinker &) = delete;

    // Decodes a YCbCr JPEG frame at least as large as size (even) in both directions into 4:2:0
    // planes of that size, for a caller that stretches the whole frame to size and codes it as
    // YCbCr. False, out untouched, for anything else (a BMP, a grey or CMYK JPEG, a smaller frame)
    // and when the file cannot be decoded. frameSize, when given, receives the frame's own size.
    bool decode(FrameLoader &loader, const QByteArray &bytes, YuvFrame &out, QSize size,
                QSize *frameSize = nullptr);
    // Shrinks planes into out, sized to size (even); false when out cannot be sized.
    bool shrink(const JpegPlanes &planes, QSize size, YuvFrame &out);

private:
    struct SwsDeleter
    {
        void operator()(SwsContext *ctx) const;
    };
    using Scaler = std::unique_ptr<SwsContext, SwsDeleter>;

    bool prepare(const JpegPlanes &planes, QSize size);

    JpegPlanes m_decoded;
    QSize m_fromSize;
    QSize m_toSize;
    int m_subsampling = -1;
    Scaler m_luma;
    Scaler m_chroma;
};

} // namespace tavelon
