#include "ui/colorswatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavelon {

ColorSwatch::ColorSwatch(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), isEnabled() ? m_color : palette().color(QPalette::Disabled, QPalette::Window));
    // A thin dark edge keeps the light swatches visible on a light background.
    p.setPen(QColor(64, 64, 64));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColorSwatch::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

} // namespace tavelon
