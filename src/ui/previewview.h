#pragma once

#include <QFrame>
#include <QImage>

#include "form/videooutput.h"
#include "overlay/videooverlay.h"

namespace tavelon {

class MainForm;
class Overlay;

// The preview picture inside a 2-pixel sunken border, repainted whenever the picture reports an
// update. At the classic size it shows the logic's picture unscaled, on the picture's background
// colour. Grown (a larger window, the full screen, a screen with more device pixels than logical
// ones) it shows the shown frame in the video's shape, scaled to the screen's device pixels, and
// the text box as the video will have it: drawn at the video's size and scaled with the picture.
class PreviewView : public QFrame
{
    Q_OBJECT
public:
    explicit PreviewView(MainForm &form, QWidget *parent = nullptr);

    static constexpr int kBorder = 2;

    // The text box's options for the grown preview; without, a grown preview shows no text box.
    void setOverlay(const Overlay *overlay) { m_overlay = overlay; }
    // Whether the view shows the logic's picture as it is.
    bool isClassic() const;
    // Where a grown preview shows the frame: the largest centred rectangle of the video's shape as
    // shown (the frame's shape while the size boxes hold no size).
    QRect pictureRect() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QSize videoSize() const;
    // The frame and the text box at device pixels, each made again only when what it shows changed.
    const QImage &scaledFrame(QSize pixels);
    const QImage &scaledOverlay(QSize pixels);
    void reportShownPixels();

    MainForm &m_form;
    const Overlay *m_overlay = nullptr;
    struct FrameCache
    {
        qint64 source = 0;
        QSize video;
        Fit fit = Fit::Stretch;
        QImage image;
    } m_frame;
    struct OverlayCache
    {
        OverlayStyle style;
        QString family;
        QSize video;
        QImage image;
    } m_text;
};

} // namespace tavelon
