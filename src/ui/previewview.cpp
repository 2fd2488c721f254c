#include "ui/previewview.h"

#include <QPainter>

#include "form/mainform.h"
#include "image/framefit.h"
#include "image/framescaler.h"
#include "image/videoshape.h"
#include "overlay/overlay.h"
#include "form/videoboxes.h"

namespace tavelon {

namespace {

// Larger videos have their text box drawn at a reduced size of the same shape.
constexpr int kMaxOverlayHeight = 2160;

} // namespace

PreviewView::PreviewView(MainForm &form, QWidget *parent) : QFrame(parent), m_form(form)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&form.previewPicture, &Picture::updated, this, qOverload<>(&QWidget::update));
    for (TextBox *box : {&form.widthBox, &form.heightBox})
        connect(box, &TextBox::textChanged, this, qOverload<>(&QWidget::update));
}

bool PreviewView::isClassic() const
{
    return contentsRect().size() == QSize(MainForm::kPreviewInnerWidth, MainForm::kPreviewInnerHeight) &&
           devicePixelRatioF() == 1.0;
}

QSize PreviewView::videoSize() const
{
    return videoBoxSize(m_form.widthBox.text(), m_form.heightBox.text(), m_form.videoFrame.image().size());
}

QRect PreviewView::pictureRect() const
{
    const QRect inner = contentsRect();
    const QSize video = videoSize();
    QSize shape = m_form.sourceFrame.frameSize();
    if (!video.isEmpty()) {
        const PixelAspect aspect = pixelAspectFor(video);
        shape = QSize(video.width() * aspect.num, video.height() * aspect.den);
    }
    if (shape.isEmpty())
        return inner;
    const QSize size = shape.scaled(inner.size(), Qt::KeepAspectRatio);
    return QRect(inner.topLeft() +
                     QPoint((inner.width() - size.width()) / 2, (inner.height() - size.height()) / 2),
                 size);
}

void PreviewView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect inner = contentsRect();
    p.fillRect(rect(), m_form.previewPicture.backColor());
    p.setClipRect(inner);
    if (isClassic()) {
        // The picture is drawn unscaled from the inner top left; the logic already scaled the frame
        // into it (a few pixels larger than the inner area, which the border hides).
        p.drawImage(inner.topLeft(), m_form.previewPicture.image());
    } else if (m_form.state.MakingVideo) {
        // The frames being written come at the classic picture's size.
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(pictureRect()), m_form.previewPicture.image(),
                    QRectF(0, 0, MainForm::kPreviewInnerWidth, MainForm::kPreviewInnerHeight));
    } else if (!m_form.sourceFrame.image().isNull()) {
        const QRect target = pictureRect();
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
        p.drawImage(target.topLeft(), scaledFrame(pixels));
        if (m_overlay && m_form.showOverlay.value() == 1)
            p.drawImage(target.topLeft(), scaledOverlay(pixels));
    }
    p.setClipping(false);
    drawFrame(&p);
}

const QImage &PreviewView::scaledFrame(QSize pixels)
{
    const QImage &source = m_form.sourceFrame.image();
    const QSize video = videoSize();
    if (m_frame.source != source.cacheKey() || m_frame.video != video || m_frame.fit != m_form.output.fit ||
        m_frame.image.size() != pixels) {
        m_frame.source = source.cacheKey();
        m_frame.video = video;
        m_frame.fit = m_form.output.fit;
        if (m_frame.image.size() != pixels)
            m_frame.image = QImage(pixels, QImage::Format_RGB32);
        // A frame that will be cropped is shown cropped, as the video will show it.
        stretchInto(shownPart(source, video, m_frame.fit), m_frame.image, pixels.width(), pixels.height());
        m_frame.image.setDevicePixelRatio(devicePixelRatioF());
    }
    return m_frame.image;
}

const QImage &PreviewView::scaledOverlay(QSize pixels)
{
    QSize video = videoSize();
    if (video.isEmpty())
        video = pixels;
    const OverlayStyle style = m_overlay->style();
    const QString family = m_overlay->fontFamily();
    if (m_text.style == style && m_text.family == family && m_text.video == video &&
        m_text.image.size() == pixels)
        return m_text.image;
    m_text.style = style;
    m_text.family = family;
    m_text.video = video;
    // Drawn as into a video frame, on a transparent picture of the video's size, then scaled.
    QImage layer(video.height() > kMaxOverlayHeight
                     ? video.scaled(video.width(), kMaxOverlayHeight, Qt::KeepAspectRatio)
                     : video,
                 QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    VideoOverlay overlay;
    overlay.setStyle(style, family);
    overlay.draw(layer);
    m_text.image = layer.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_text.image.setDevicePixelRatio(devicePixelRatioF());
    return m_text.image;
}

void PreviewView::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    reportShownPixels();
}

void PreviewView::reportShownPixels()
{
    m_form.previewPicture.setShownPixels(
        isClassic() ? QSize() : (QSizeF(contentsRect().size()) * devicePixelRatioF()).toSize());
}

void PreviewView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QFrame::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace tavelon
