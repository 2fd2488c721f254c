#include "overlaytestsupport.h"

#include "form/uitext.h"

namespace tavelon::test {

OverlayTest::OverlayTest()
{
    for (const QString &t : builtInUiTexts())
        form.lstComments.addItem(t);
    for (const QString &text : form.UiTexts(kUiTopLeft, kUiBottomRight))
        form.cboPosition.addItem(text);
    for (const QString &text : form.UiTexts(kUiSmall, kUiHuge))
        form.cboSize.addItem(text);
    form.cboPosition.setText(form.UiText(kUiBottomRight));
    form.cboSize.setText(form.UiText(kUiMedium));
    form.cboFormats.setText(QStringLiteral("VCD PAL"));
    form.txtHeight.setText(QStringLiteral("288"));

    overlay = std::make_unique<Overlay>(form);
    options = std::make_unique<OverlayOptions>(form, *overlay);
    QObject::connect(options.get(), &OverlayOptions::redrawn, [this] { ++redraws; });
    setFlatFrame(kFrameColor);
}

void OverlayTest::setFlatFrame(const QColor &c, int width, int height)
{
    QImage frame(width, height, QImage::Format_RGB32);
    frame.fill(c);
    form.picTemp.setImage(frame);
    overlay->RevertPicPre();
}

void OverlayTest::setVideoFrame(const QString &format, int width, int height)
{
    form.cboFormats.setText(format);
    form.txtHeight.setText(QString::number(height));
    QImage frame(width, height, QImage::Format_RGB32);
    frame.fill(kFrameColor);
    form.picSave.setImage(frame);
}

QRect boundsWhere(const QImage &image, const std::function<bool(QColor)> &pick)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (pick(image.pixelColor(x, y)))
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

} // namespace tavelon::test
