#include "image/yuvframe.h"

#include <memory>
#include <new>

#include <QImage>

#include <turbojpeg.h>

namespace tavelon {

bool YuvFrame::resize(QSize newSize)
{
    if (newSize.isEmpty() || newSize.width() % 2 != 0 || newSize.height() % 2 != 0)
        return false;
    const std::size_t luma = std::size_t(newSize.width()) * std::size_t(newSize.height());
    try {
        bytes.resize(luma + luma / 2);
    } catch (const std::bad_alloc &) {
        return false;
    }
    size = newSize;
    return true;
}

std::size_t YuvFrame::offset(int i) const
{
    const std::size_t luma = std::size_t(size.width()) * std::size_t(size.height());
    return i == 0 ? 0 : luma + std::size_t(i - 1) * (luma / 4);
}

bool YuvFrame::toImage(QImage &image) const
{
    if (size.isEmpty())
        return false;
    if (image.size() != size || image.format() != QImage::Format_RGB32)
        image = QImage(size, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    const std::unique_ptr<void, int (*)(tjhandle)> tj(tjInitDecompress(), tjDestroy);
    const unsigned char *planes[] = {plane(0), plane(1), plane(2)};
    const int strides[] = {stride(0), stride(1), stride(2)};
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    constexpr int kRgb32 = TJPF_BGRX;
#else
    constexpr int kRgb32 = TJPF_XRGB;
#endif
    return tj && tjDecodeYUVPlanes(tj.get(), planes, strides, TJSAMP_420, image.bits(), size.width(),
                                   int(image.bytesPerLine()), size.height(), kRgb32, 0) == 0;
}

} // namespace tavelon
