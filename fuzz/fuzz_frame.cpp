// A frame file shown by the preview: the input is written as the only frame of a clip folder and
// Preview::slPre_Change() loads it into sourceFrame, scales it into previewPicture and, with showOverlay on,
// draws the overlay; a JPEG is also decoded to YCbCr planes. The last byte picks the file's extension,
// showOverlay, a read-ahead, box and border; the one before it the overlay's corner and size.

#include <QtGui>

#include "form/mainform.h"
#include "fuzzsupport.h"
#include "form/uitext.h"
#include "overlay/overlay.h"
#include "overlay/overlayoptions.h"
#include "image/frameloader.h"
#include "image/yuvframe.h"
#include "preview/preview.h"
#include "video/planeshrinker.h"

using namespace tavelon;
using namespace tavelon::fuzz;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_frame";
    static char *argv[] = {name, nullptr};
    // Fonts and painters need the application object for the whole run.
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint8_t flags = size > 0 ? data[size - 1] : 0;
    const std::uint8_t options = size > 1 ? data[size - 2] : 0;
    static const QString clip = [] {
        const QString path = scratchPath(QStringLiteral("Clip"));
        require(QDir().mkpath(path));
        return path + u'/';
    }();
    const QString name = flags & 1 ? QStringLiteral("f.jpg") : QStringLiteral("f.bmp");
    require(writeFile(clip + name, bytesOf(data, size)));

    MainForm form;
    for (const QString &text : builtInUiTexts())
        form.uiTextList.addItem(text);
    form.state.ClipPath = clip;
    form.frameFiles.addItem(name);
    form.overlayCorner.setText(form.uiText(kUiTopLeft + (options & 3)));
    form.overlaySize.setText(form.uiText(kUiSmall + (options >> 2 & 3)));
    form.overlayBox.setValue(flags >> 3 & 1);
    form.overlayBorder.setValue(flags >> 4 & 1);
    form.showOverlay.setValue(flags >> 1 & 1);

    Overlay overlay(form);
    OverlayOptions overlayOptions(form, overlay);
    Preview preview(form);
    QObject::connect(&preview, &Preview::frameShown, &overlayOptions, &OverlayOptions::previewFrameShown);
    preview.slPre_Change();

    const QImage &frame = form.sourceFrame.image();
    require(frame.isNull() ||
            (frame.width() >= 1 && frame.height() >= 1 && frame.width() <= FrameLoader::maxFrameSide &&
             frame.height() <= FrameLoader::maxFrameSide && frame.format() == QImage::Format_RGB32));
    // The way a Motion JPEG video takes a JPEG frame larger than itself: as shrunk YCbCr planes.
    YuvFrame planes;
    FrameLoader loader;
    if ((flags & 1) && PlaneShrinker().decode(loader, bytesOf(data, size), planes, {16, 8}))
        require(planes.size == QSize(16, 8) && planes.bytes.size() == 16 * 8 * 3 / 2);
    const QImage &shown = form.previewPicture.image();
    require(shown.size() == QSize(MainForm::kPreviewInnerWidth, MainForm::kPreviewInnerHeight));
    consume(qHashBits(shown.constBits(), std::size_t(shown.sizeInBytes())) + std::size_t(frame.width()));
    return 0;
}
