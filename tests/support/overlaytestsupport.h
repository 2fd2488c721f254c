#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include <functional>
#include <memory>

#include "form/mainform.h"
#include "overlay/overlay.h"
#include "overlay/overlayoptions.h"

namespace tavelon::test {

inline const QColor kFrameColor(0, 0, 128);
inline const QColor kBoxColor(64, 64, 64);
inline const QColor kWhite(255, 255, 255);
inline const QColor kBlack(0, 0, 0);

// A form with the built-in texts and option lists, a flat frame in picTemp, the overlay and its
// option events, and the preview showing the clean frame.
class OverlayTest : public ::testing::Test
{
protected:
    OverlayTest();

    void setFlatFrame(const QColor &c, int width = 176, int height = 144);
    // picSave as the video writer sizes it, filled with the frame colour.
    void setVideoFrame(const QString &format, int width, int height);

    QColor previewPixel(int x, int y) const { return form.picPre.image().pixelColor(x, y); }
    QColor videoPixel(int x, int y) const { return form.picSave.image().pixelColor(x, y); }

    MainForm form;
    std::unique_ptr<Overlay> overlay;
    std::unique_ptr<OverlayOptions> options;
    int redraws = 0;
};

// Bounding box of the pixels of image for which pick is true; null when there are none.
QRect boundsWhere(const QImage &image, const std::function<bool(QColor)> &pick);

// Text ink in the text colour (white), antialiased edges included.
inline bool isWhiteInk(QColor c)
{
    return c.red() > 160 && c.green() > 160 && c.blue() > 160;
}

// Shadow ink: dark pixels on the navy frame.
inline bool isShadowInk(QColor c)
{
    return c.red() < 40 && c.green() < 40 && c.blue() < 60;
}

} // namespace tavelon::test
