#include "ui/previewview.h"

#include <QPainter>

#include "form/controls.h"

namespace tavelon {

PreviewView::PreviewView(const Picture &picture, QWidget *parent) : QFrame(parent), m_picture(picture)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&picture, &Picture::updated, this, qOverload<>(&QWidget::update));
}

void PreviewView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect inner = contentsRect();
    p.fillRect(rect(), m_picture.backColor());
    p.setClipRect(inner);
    // The picture is drawn unscaled from the inner top left; the logic already scaled the frame
    // into it (a few pixels larger than the inner area, which the border hides).
    p.drawImage(inner.topLeft(), m_picture.image());
    p.setClipping(false);
    drawFrame(&p);
}

} // namespace tavelon
