// Median time of drawing the overlay into a 1920×1080 video frame (PrintCopyrightAVI), with the
// border, the Full-HD scale and a fresh clean frame before every drawing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "form/mainform.h"
#include "overlay/overlay.h"

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    tavelon::MainForm form;
    // UiText 6 … 13: the position and size texts; the entries before them do not matter here.
    for (int i = 0; i < 6; ++i)
        form.uiTextList.addItem(QString());
    for (const char *t :
         {"Links oben", "Rechts oben", "Links unten", "Rechts unten", "Klein", "Mittel", "Gross", "Riesig"})
        form.uiTextList.addItem(QString::fromUtf8(t));
    form.overlayCorner.setText(QStringLiteral("Rechts unten"));
    form.overlaySize.setText(QStringLiteral("Mittel"));
    form.formatBox.setText(QStringLiteral("Full-HD 16:9"));
    form.heightBox.setText(QStringLiteral("1080"));
    form.previewTextLabel.setCaption(QStringLiteral(" © BRIMHOLT "));
    form.overlayBorder.setValue(1);
    form.showOverlay.setValue(1);

    QImage clean(1920, 1080, QImage::Format_RGB32);
    clean.fill(QColor(30, 60, 90));
    form.videoFrame.setImage(QImage(1920, 1080, QImage::Format_RGB32));

    tavelon::Overlay overlay(form);
    constexpr int kFrames = 200;
    std::vector<double> ms;
    ms.reserve(kFrames);
    for (int i = 0; i < kFrames + 10; ++i) {
        // Copy the clean frame in place, as the writer paints each frame into the same picture.
        QImage &frame = form.videoFrame.image();
        std::copy_n(clean.constBits(), clean.sizeInBytes(), frame.bits());
        const auto t0 = std::chrono::steady_clock::now();
        overlay.PrintCopyrightAVI();
        const auto t1 = std::chrono::steady_clock::now();
        if (i >= 10) // the first drawings build the font and glyph caches
            ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "overlay_bench: PrintCopyrightAVI 1920x1080, border, %d frames: median %.3f ms, p90 %.3f ms\n",
        kFrames, ms[ms.size() / 2], ms[ms.size() * 9 / 10]);
    return 0;
}
