// The window's size: the classic layout as its smallest size, a preview that grows with it in the
// video's shape with the text box where the video has it, the full-screen preview, and the window's
// place kept across starts.
#include <QtTest>
#include <QtWidgets>

#include "app/windowconnections.h"
#include "testsupport.h"
#include "ui/mainwindow.h"

using namespace tavelon::test;

namespace {

// A frame with detail everywhere, so that any other scaling or decode shows in the picture.
QImage patternFrame(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
    return img;
}

struct ShownClip : FormFixture
{
    explicit ShownClip(QSize frame = QSize(1600, 1200))
    {
        QDir().mkpath(clipPath(u"clip"_s));
        for (const char *name : {"f000.jpg", "f001.jpg"})
            patternFrame(frame).save(clipPath(u"clip"_s) + QLatin1String(name), "JPG", 90);
        start();
        window = std::make_unique<MainWindow>(form);
        connectWindow(*window, *logic);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    // The overlay's box without glyphs, whose pixels depend on no font.
    void showBoxOverlay()
    {
        form.overlayText.setText(u"    "_s);
        form.overlayBox.setValue(1);
        form.showOverlay.setValue(1);
    }
    QWidget *preview() const { return window->findChild<QWidget *>(u"picPre"_s); }
    std::unique_ptr<MainWindow> window;
};

// At the classic size the preview is today's: the logic's picture unscaled inside the classic
// sunken border, overlay included, and the frame decoded only as far as that picture needs.
TEST(ClassicPreview, ShowsTheLogicsPictureUnscaledInItsBorder)
{
    ShownClip c;
    c.showBoxOverlay();
    ASSERT_EQ(c.form.clipList.text(), u"clip"_s);
    EXPECT_EQ(c.form.sourceFrame.image().size(), QSize(400, 300))
        << "a quarter decode covers the classic size";
    QWidget *preview = c.preview();
    ASSERT_EQ(preview->size(), QSize(MainForm::kPreviewOuterWidth, MainForm::kPreviewOuterHeight));
    const QImage shot = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);

    QFrame border;
    border.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    border.setLineWidth(2);
    border.resize(preview->size());
    QImage expected = border.grab().toImage().convertToFormat(QImage::Format_RGB32);
    {
        QPainter p(&expected);
        p.drawImage(QPoint(2, 2), c.form.previewPicture.image(),
                    QRect(0, 0, MainForm::kPreviewInnerWidth, MainForm::kPreviewInnerHeight));
    }
    EXPECT_TRUE(shot == expected);
    // The overlay is part of the picture: the box in the bottom right corner.
    EXPECT_EQ(shot.pixelColor(MainForm::kPreviewInnerWidth - 12, MainForm::kPreviewInnerHeight - 10),
              c.form.videoTextLabel.backColor());
}

} // namespace
