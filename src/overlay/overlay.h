#pragma once

#include <QList>
#include <QString>

#include "overlay/overlaylayout.h"
#include "overlay/textblock.h"
#include "overlay/videooverlay.h"

class QImage;

namespace tavelon {

class MainForm;

// The text overlay of the preview and the video frames. Measures the text at preview and video
// size (SetLabelSize), restores the clean preview (RevertPicPre) and draws the overlay onto the
// preview (PrintCopyright) or into the video frame (videoFrame) (PrintCopyrightAVI), all from the
// option controls of the form.
class Overlay
{
public:
    explicit Overlay(MainForm &form);
    Overlay(const Overlay &) = delete;
    Overlay &operator=(const Overlay &) = delete;

    // Sets previewTextLabel's size (preview) and videoTextLabel's caption and size (video), OverlayMargin and
    // OverlayShadow, and measures both labels; the video height is the height box's value.
    void SetLabelSize();
    // Paints the clean frame of sourceFrame over previewPicture (the preview's background when there is no
    // frame yet), scaled like the frame display.
    void RevertPicPre();
    // Draws the overlay onto previewPicture at preview size. Callers that redraw call RevertPicPre first.
    void PrintCopyright();
    // Draws the overlay into videoFrame's image at video size; once per written frame.
    void PrintCopyrightAVI();

    // The measured text blocks of previewTextLabel (preview) and videoTextLabel (video), as of the last
    // SetLabelSize.
    const TextBlock &previewBlock() const { return m_preview; }
    const TextBlock &videoBlock() const { return m_video; }
    // The font family the overlay resolved "Arial" to (see overlayFontFamily()); empty until the
    // first SetLabelSize.
    QString fontFamily() const { return m_family; }
    // The overlay's options as they are now, for drawing without the form (VideoOverlay). Call on
    // the window's thread; the text size is the one of the last SetLabelSize.
    OverlayStyle style() const;

private:
    // SetLabelSize for video frames videoHeight pixels high (the HD and free formats scale by it).
    void setLabelSize(int videoHeight);
    OverlayCorner corner() const;

    MainForm &m_form;
    QString m_family;
    TextBlock m_preview;
    TextBlock m_video;
    VideoOverlay m_videoOverlay;
};

} // namespace tavelon
