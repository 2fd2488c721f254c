#include "ui/webdingsicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace tavelon {

namespace {

// Shapes are drawn on a 16 × 16 grid and scaled to the pixmap size.
constexpr qreal kGrid = 16.0;

QPolygonF triangleRight(qreal left, qreal right)
{
    return QPolygonF({QPointF(left, 3), QPointF(right, 8), QPointF(left, 13)});
}

QPolygonF triangleLeft(qreal left, qreal right)
{
    return QPolygonF({QPointF(right, 3), QPointF(left, 8), QPointF(right, 13)});
}

// Adds the symbol's filled outline to path; false for a character without a symbol.
bool symbolPath(QChar c, QPainterPath &path)
{
    switch (c.unicode()) {
    case u'4':
        path.addPolygon(triangleRight(4, 13));
        break;
    case u'3':
        path.addPolygon(triangleLeft(3, 12));
        break;
    case u'8':
        path.addPolygon(triangleRight(1, 8));
        path.addPolygon(triangleRight(8, 15));
        break;
    case u'7':
        path.addPolygon(triangleLeft(1, 8));
        path.addPolygon(triangleLeft(8, 15));
        break;
    case u':':
        path.addPolygon(triangleRight(1, 7));
        path.addPolygon(triangleRight(7, 13));
        path.addRect(QRectF(13, 3, 2, 10));
        break;
    case u'9':
        path.addRect(QRectF(1, 3, 2, 10));
        path.addPolygon(triangleLeft(3, 9));
        path.addPolygon(triangleLeft(9, 15));
        break;
    case u'<':
        path.addRect(QRectF(3, 3, 10, 10));
        break;
    case u';':
        path.addRect(QRectF(3, 3, 3.5, 10));
        path.addRect(QRectF(9.5, 3, 3.5, 10));
        break;
    case u'=':
        path.addEllipse(QRectF(3, 3, 10, 10));
        break;
    case u'5':
        path.addPolygon(QPolygonF({QPointF(3, 12), QPointF(8, 4), QPointF(13, 12)}));
        break;
    case u'6':
        path.addPolygon(QPolygonF({QPointF(3, 4), QPointF(8, 12), QPointF(13, 4)}));
        break;
    default:
        return false;
    }
    path.closeSubpath();
    return true;
}

QPixmap crossPixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    p.setPen(QPen(QColor(255, 0, 0), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return pm;
}

QPixmap symbolPixmap(const QPainterPath &path, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kGrid, size / kGrid);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(path);
    return pm;
}

} // namespace

QIcon webdingsIcon(QChar c)
{
    static const int sizes[] = {16, 24, 32, 48};
    QIcon icon;
    if (c == u'r') {
        for (int s : sizes)
            icon.addPixmap(crossPixmap(s));
        return icon;
    }
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (!symbolPath(c, path))
        return icon;
    for (int s : sizes)
        icon.addPixmap(symbolPixmap(path, s));
    return icon;
}

} // namespace tavelon
