#include "image/planeshrinker.h"

#include <new>

#include <turbojpeg.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include "image/yuvframe.h"

namespace tavelon {

void PlaneShrinker::SwsDeleter::operator()(SwsContext *ctx) const
{
    sws_freeContext(ctx);
}

PlaneShrinker::PlaneShrinker() = default;

PlaneShrinker::~PlaneShrinker() = default;

bool PlaneShrinker::handles(int subsampling)
{
    return subsampling >= 0 && subsampling < TJ_NUMSAMP && subsampling != TJSAMP_GRAY;
}

bool PlaneShrinker::prepare(QSize from, QSize to, int subsampling)
{
    if (!handles(subsampling) || from.isEmpty() || to.isEmpty() || to.width() % 2 != 0 ||
        to.height() % 2 != 0)
        return false;
    if (m_luma && m_chroma && from == m_fromSize && to == m_toSize && subsampling == m_subsampling)
        return true;
    m_luma.reset();
    m_chroma.reset();
    // TurboJPEG's plane sizes, chroma sides rounded up.
    std::size_t total = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        m_fromStride[i] = tjPlaneWidth(int(i), from.width(), subsampling);
        m_fromRows[i] = tjPlaneHeight(int(i), from.height(), subsampling);
        total += std::size_t(m_fromStride[i]) * std::size_t(m_fromRows[i]);
    }
    try {
        m_bytes.resize(total);
    } catch (const std::bad_alloc &) {
        return false;
    }
    unsigned char *p = m_bytes.data();
    for (std::size_t i = 0; i < 3; ++i) {
        m_from[i] = p;
        p += std::size_t(m_fromStride[i]) * std::size_t(m_fromRows[i]);
    }
    // Each plane on its own grid: sample centres map as the pixels of a picture do, which is where
    // JPEG puts its chroma samples. Where a chroma plane is smaller than the result's (4:1:1, or
    // little shrinking) swscale interpolates instead of averaging.
    m_luma.reset(sws_getContext(from.width(), from.height(), AV_PIX_FMT_GRAY8, to.width(), to.height(),
                                AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
    m_chroma.reset(sws_getContext(m_fromStride[1], m_fromRows[1], AV_PIX_FMT_GRAY8, to.width() / 2,
                                  to.height() / 2, AV_PIX_FMT_GRAY8, SWS_AREA, nullptr, nullptr, nullptr));
    m_fromSize = from;
    m_toSize = to;
    m_subsampling = subsampling;
    return m_luma && m_chroma;
}

bool PlaneShrinker::shrinkInto(YuvFrame &out)
{
    if (!m_luma || (out.size != m_toSize && !out.resize(m_toSize)))
        return false;
    for (int i = 0; i < 3; ++i) {
        const unsigned char *source[] = {m_from[std::size_t(i)]};
        unsigned char *target[] = {out.plane(i)};
        const int targetStride[] = {out.stride(i)};
        sws_scale(i == 0 ? m_luma.get() : m_chroma.get(), source, &m_fromStride[std::size_t(i)], 0,
                  m_fromRows[std::size_t(i)], target, targetStride);
    }
    return true;
}

} // namespace tavelon
