#include "image/jpegplanes.h"

#include <new>

#include <turbojpeg.h>

namespace tavelon {

bool JpegPlanes::handles(int subsampling)
{
    return subsampling >= 0 && subsampling < TJ_NUMSAMP && subsampling != TJSAMP_GRAY;
}

bool JpegPlanes::prepare(QSize pictureSize, int pictureSubsampling)
{
    if (!handles(pictureSubsampling) || pictureSize.isEmpty())
        return false;
    if (pictureSize == size && pictureSubsampling == subsampling)
        return true;
    // TurboJPEG's plane sizes, chroma sides rounded up.
    std::size_t total = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        strides[i] = tjPlaneWidth(int(i), pictureSize.width(), pictureSubsampling);
        rows[i] = tjPlaneHeight(int(i), pictureSize.height(), pictureSubsampling);
        total += std::size_t(strides[i]) * std::size_t(rows[i]);
    }
    size = {};
    subsampling = -1;
    try {
        m_bytes.resize(total);
    } catch (const std::bad_alloc &) {
        return false;
    }
    unsigned char *p = m_bytes.data();
    for (std::size_t i = 0; i < 3; ++i) {
        planes[i] = p;
        p += std::size_t(strides[i]) * std::size_t(rows[i]);
    }
    size = pictureSize;
    subsampling = pictureSubsampling;
    return true;
}

} // namespace tavelon
