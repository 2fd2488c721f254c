#include "preview/framescaler.h"

#include <QImage>
#include <QPainter>

namespace tavelon {

void stretchInto(const QImage &src, QImage &dst, int width, int height)
{
    if (src.isNull() || dst.isNull() || width <= 0 || height <= 0)
        return;
    const QImage scaled = src.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter p(&dst);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, scaled);
}

} // namespace tavelon
