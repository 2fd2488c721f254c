#pragma once

#include <QSize>

#include <array>
#include <memory>
#include <vector>

struct SwsContext;

namespace tavelon {

struct YuvFrame;

// Shrinks the sample planes of a YCbCr JPEG frame, as TurboJPEG decodes them before any colour
// work, to a YuvFrame, plane by plane with libswscale's area filter. A video coded from YCbCr
// 4:2:0 then needs no colour conversion at all, and the shrinking handles 1.5 bytes a pixel
// instead of 4. One object serves one thread; its buffers and scalers are kept for frames of the
// same sizes.
class PlaneShrinker
{
public:
    PlaneShrinker();
    ~PlaneShrinker();
    PlaneShrinker(const PlaneShrinker &) = delete;
    PlaneShrinker &operator=(const PlaneShrinker &) = delete;

    // Whether frames of this TurboJPEG subsampling (TJSAMP_*) can be shrunk here.
    static bool handles(int subsampling);

    // Makes room for the planes of a picture of size from with the given subsampling, to be shrunk
    // to size to (even); false when it is not handled or memory runs out.
    bool prepare(QSize from, QSize to, int subsampling);
    // The planes of size from, for the decoder to fill.
    unsigned char **sourcePlanes() { return m_from.data(); }
    int *sourceStrides() { return m_fromStride.data(); }
    // Shrinks the filled planes into out, sized to the prepared size; false when out cannot be
    // sized.
    bool shrinkInto(YuvFrame &out);

private:
    struct SwsDeleter
    {
        void operator()(SwsContext *ctx) const;
    };
    using Scaler = std::unique_ptr<SwsContext, SwsDeleter>;

    std::vector<unsigned char> m_bytes;
    std::array<unsigned char *, 3> m_from{};
    std::array<int, 3> m_fromStride{};
    std::array<int, 3> m_fromRows{};
    QSize m_fromSize;
    QSize m_toSize;
    int m_subsampling = -1;
    Scaler m_luma;
    Scaler m_chroma;
};

} // namespace tavelon
