#include "app/centerform.h"

#include <algorithm>

namespace tavelon {

QPoint CenterForm(const QSize &window, const QSize &screen)
{
    // 0.85 × height rounded half up, in integers so no floating-point error moves a half.
    const qint64 h = screen.height();
    const qint64 scaled = h >= 0 ? (85 * h + 50) / 100 : -((-85 * h + 50) / 100);
    const qint64 top = scaled / 2 - window.height() / 2;
    const qint64 left = screen.width() / 2 - window.width() / 2;
    return QPoint(int(std::max<qint64>(left, 0)), int(std::max<qint64>(top, 0)));
}

} // namespace tavelon
