#include "image/yuvframe.h"

#include <new>

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

} // namespace tavelon
