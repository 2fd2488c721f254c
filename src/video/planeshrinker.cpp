#include "video/planeshrinker.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include "image/frameloader.h"
#include "image/yuvframe.h"

namespace tavelon {

void PlaneShrinker::SwsDeleter::operator()(SwsContext *ctx) const
{
    sws_freeContext(ctx);
}

PlaneShrinker::PlaneShrinker() = default;

PlaneShrinker::~PlaneShrinker() = default;

bool PlaneShrinker::decode(FrameLoader &loader, const QByteArray &bytes, YuvFrame &out, QSize size,
                           QSize *frameSize)
{
    if (size.width() % 2 != 0 || size.height() % 2 != 0)
        return false;
    QSize own;
    if (!loader.decodeSamples(bytes, m_decoded, size, &own) || !shrink(m_decoded, size, out))
        return false;
    if (frameSize)
        *frameSize = own;
    return true;
}

bool PlaneShrinker::prepare(const JpegPlanes &planes, QSize size)
{
    if (planes.size.isEmpty() || size.isEmpty() || size.width() % 2 != 0 || size.height() % 2 != 0)
        return false;
    if (m_luma && m_chroma && planes.size == m_fromSize && size == m_toSize &&
        planes.subsampling == m_subsampling)
        return true;
    // Each plane on its own grid: sample centres map as the pixels of a picture do, which is where
    // JPEG puts its chroma samples. Where a chroma plane is smaller than the result's (4:1:1, or
    // little shrinking) swscale interpolates instead of averaging.
    m_luma.reset(sws_getContext(planes.size.width(), planes.size.height(), AV_PIX_FMT_GRAY8, size.width(),
                                size.height(), AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
    m_chroma.reset(sws_getContext(planes.strides[1], planes.rows[1], AV_PIX_FMT_GRAY8, size.width() / 2,
                                  size.height() / 2, AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
    m_fromSize = planes.size;
    m_toSize = size;
    m_subsampling = planes.subsampling;
    return m_luma && m_chroma;
}

bool PlaneShrinker::shrink(const JpegPlanes &planes, QSize size, YuvFrame &out)
{
    if (!prepare(planes, size) || (out.size != size && !out.resize(size)))
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        const unsigned char *source[] = {planes.planes[i]};
        unsigned char *target[] = {out.plane(int(i))};
        const int targetStride[] = {out.stride(int(i))};
        sws_scale(i == 0 ? m_luma.get() : m_chroma.get(), source, &planes.strides[i], 0, planes.rows[i],
                  target, targetStride);
    }
    return true;
}

} // namespace tavelon
