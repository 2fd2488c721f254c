// The window's size: the classic layout as its smallest size, a preview that grows with it in the
// video's shape with the text box where the video has it, the full-screen preview, and the window's
// place kept across starts. The guidance a new user gets: where clips go, folders dropped as clips.
// The window while a video is written, and the finish notice.
#include <QtTest>
#include <QtWidgets>

#include "app/windowconnections.h"
#include "services/inifile.h"
#include "testsupport.h"
#include "ui/mainwindow.h"
#include "ui/previewview.h"

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

// The window as main.cpp connects it, shown on the clips made before; what it asks the desktop to
// open is recorded instead of opened.
struct ShownWindow : FormFixture
{
    void show()
    {
        QDir().mkpath(framesPath());
        form.state.LanguageFallbackPath = QStringLiteral(TAVELON_LANGUAGE_DIR "/");
        start();
        window = std::make_unique<MainWindow>(form);
        connectWindow(*window, *logic);
        window->setOverlay(&logic->overlay);
        window->setUrlOpener([this](const QUrl &url) {
            opened << url;
            return true;
        });
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    template <class W = QWidget> W *widget(const QString &name) const { return window->findChild<W *>(name); }
    std::unique_ptr<MainWindow> window;
    QList<QUrl> opened;
};

// The window on a clip of two frames.
struct ShownClip : ShownWindow
{
    explicit ShownClip(const QImage &frame = patternFrame(QSize(1600, 1200)))
    {
        for (const char *name : {"f000.jpg", "f001.jpg"})
            addFrame(u"clip"_s, QLatin1String(name), frame);
        show();
    }
    // The overlay's box without glyphs, whose pixels depend on no font.
    void showBoxOverlay()
    {
        form.overlayText.setText(u"    "_s);
        form.overlayBox.setValue(1);
        form.showOverlay.setValue(1);
    }
    PreviewView *preview() const { return widget<PreviewView>(u"picPre"_s); }
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

// The bounding rectangle of the pixels of colour c, relative to the size of area (0 … 1 each way).
QRectF placeOf(const QImage &img, const QRect &area, const QColor &c)
{
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c)
                found |= QRect(x, y, 1, 1);
    const QRectF r = found.translated(-area.topLeft());
    return {r.x() / area.width(), r.y() / area.height(), r.width() / area.width(),
            r.height() / area.height()};
}

// name, window size, video size, the video's width to height as a player shows it
using GrowingCase = std::tuple<const char *, QSize, QSize, double>;
using GrowingPreviewTest = ::testing::TestWithParam<GrowingCase>;

// A larger window gives the preview the room; the frame keeps the video's shape, is decoded for the
// pixels shown, and the text box sits where the video has it.
TEST_P(GrowingPreviewTest, KeepsTheVideosShapeAndItsTextBoxPlace)
{
    const auto &[name, windowSize, videoSize, shownShape] = GetParam();
    ShownClip c(filled(QSize(1600, 1200), QColor(200, 30, 30)));
    c.setVideoSize(videoSize.width(), videoSize.height());
    c.showBoxOverlay();
    c.window->resize(windowSize);
    ASSERT_EQ(c.window->size(), windowSize);
    QCoreApplication::processEvents();

    PreviewView *preview = c.preview();
    const QRect clips = c.widget(u"Frame2"_s)->geometry();
    const QRect slider = c.widget(u"slPre"_s)->geometry();
    EXPECT_TRUE(preview->width() > MainForm::kPreviewOuterWidth + 100 &&
                preview->height() > MainForm::kPreviewOuterHeight + 100);
    // The clip list stays right of it, the slider below it.
    EXPECT_TRUE(preview->geometry().right() < clips.left() && preview->geometry().bottom() < slider.top());

    const QRect picture = preview->pictureRect();
    EXPECT_TRUE(picture.width() == preview->contentsRect().width() ||
                picture.height() == preview->contentsRect().height());
    EXPECT_NEAR(double(picture.width()) / picture.height(), shownShape, 0.01);
    EXPECT_GE(c.form.sourceFrame.image().width(), picture.width()) << "decoded for the pixels shown";

    QImage video = filled(videoSize, Qt::black);
    VideoOverlay overlay;
    overlay.setStyle(c.logic->overlay.style(), c.logic->overlay.fontFamily());
    overlay.draw(video);
    const QColor box = c.form.videoTextLabel.backColor();
    const QRectF inVideo = placeOf(video, video.rect(), box);
    const QImage shot = preview->grab().toImage();
    const QColor centre = shot.pixelColor(picture.center());
    EXPECT_TRUE(std::abs(centre.red() - 200) < 8 && centre.green() < 40) << "the frame is shown";
    const QRectF inPreview = placeOf(shot, picture, box);
    ASSERT_FALSE(inVideo.isEmpty());
    // Each edge within a hundredth of the picture.
    EXPECT_LT(std::max((inPreview.topLeft() - inVideo.topLeft()).manhattanLength(),
                       (inPreview.bottomRight() - inVideo.bottomRight()).manhattanLength()),
              0.01);
}

INSTANTIATE_TEST_SUITE_P(
    WindowSizes, GrowingPreviewTest,
    ::testing::Values(GrowingCase{"WideWindowFullHd", QSize(1400, 700), QSize(1920, 1080), 16.0 / 9},
                      GrowingCase{"TallWindowDvdPal", QSize(900, 900), QSize(720, 576), 4.0 / 3}),
    rowName);

// A grown preview is redrawn in the fit the clip has now, also when only the fit changed (as after
// the compression dialog): a wide frame stretched shows its left part at the left, cropped its middle.
TEST(GrowingWindow, ThePreviewFollowsAChangedFit)
{
    ShownClip c(
        stripes({2400, 600}, {QColor(200, 0, 0), QColor(0, 200, 0), QColor(0, 200, 0), QColor(0, 200, 0)}));
    c.setVideoSize(1920, 1080);
    c.window->resize(1400, 700);
    QCoreApplication::processEvents();
    PreviewView *preview = c.preview();
    const QPoint nearLeft =
        preview->pictureRect().topLeft() + QPoint(preview->pictureRect().width() / 10, 20);
    const auto redAt = [&](QPoint at) { return preview->grab().toImage().pixelColor(at).red() > 150; };
    EXPECT_TRUE(redAt(nearLeft)) << "stretched";
    c.form.output.fit = Fit::Crop;
    EXPECT_FALSE(redAt(nearLeft)) << "cropped";
    c.form.output.fit = Fit::Stretch;
    EXPECT_TRUE(redAt(nearLeft)) << "stretched again";
}

// The classic layout is the smallest size; F11 or a double click shows the preview alone on the full
// screen, Escape brings the window back as it was; the next window opens where this one closed.
TEST(GrowingWindow, ClassicSizeIsTheSmallestThePreviewGoesFullScreenThePlaceIsKept)
{
    ShownClip c;
    c.window->resize(400, 300);
    EXPECT_EQ(c.window->size(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
    c.window->resize(1000, 700);
    QWidget *clips = c.widget(u"Frame2"_s);

    c.preview()->setFocus();
    QTest::keyClick(c.preview(), Qt::Key_F11);
    EXPECT_TRUE(c.window->isPreviewFullScreen() && c.window->isFullScreen());
    EXPECT_EQ(c.preview()->geometry(), c.window->rect());
    EXPECT_FALSE(clips->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(c.form.frameSlider.value(), 1) << "the player's keys act";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(c.window->isPreviewFullScreen() || c.window->isFullScreen());
    EXPECT_TRUE(clips->isVisible());
    EXPECT_EQ(c.window->size(), QSize(1000, 700));

    QTest::mouseDClick(c.preview(), Qt::LeftButton);
    EXPECT_TRUE(c.window->isPreviewFullScreen());
    QTest::mouseDClick(c.preview(), Qt::LeftButton);
    EXPECT_FALSE(c.window->isPreviewFullScreen());

    // The size and place a window had when it closed are the next window's.
    const QString ini = c.form.state.IniFile;
    // Larger than the smallest window, inside the 800 pixels wide screen newer Qt's offscreen
    // platform has: a stored place outside the screen is moved onto it.
    const QRect place(20, 40, 770, 500);
    c.window->setGeometry(place);
    c.window->storePlace(ini);
    EXPECT_TRUE(readFile(ini).contains("Window="));

    MainForm form;
    MainWindow next(form);
    next.restorePlace(ini);
    EXPECT_EQ(next.geometry(), place);
}

// Without clips the clip list's place says where they go and opens that folder; with one it is a list.
TEST(Guidance, WithoutClipsTheListSaysWhereClipsGoAndOpensTheFolder)
{
    ShownWindow w;
    w.show();
    auto *guide = w.widget(u"clipGuide"_s);
    ASSERT_TRUE(guide && guide->isVisible());
    const QString text = w.widget<QLabel>(u"clipGuideText"_s)->text();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(w.form.state.FramesPath))) << text.toStdString();
    QTest::mouseClick(w.widget<QPushButton>(u"openFramesFolder"_s), Qt::LeftButton);
    EXPECT_EQ(w.opened, QList<QUrl>{QUrl::fromLocalFile(w.form.state.FramesPath)});
    w.form.clipList.addItem(u"clip"_s);
    EXPECT_FALSE(guide->isVisible());
}

// A folder dropped on the window is linked into the frames folder as a clip and selected; a name
// that is taken is said, and changes nothing.
TEST(Guidance, ADroppedFolderBecomesAClip)
{
    ShownWindow w;
    w.show();
    QTemporaryDir elsewhere;
    const QString folder = elsewhere.path() + u"/Garden"_s;
    writeFrames(folder, {u"a.bmp"_s, u"b.bmp"_s, u"c.bmp"_s});
    QFile(elsewhere.path() + u"/note.txt"_s).open(QIODevice::WriteOnly);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(elsewhere.path() + u"/note.txt"_s)});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(w.window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(w.window.get(), &drop);
    EXPECT_EQ(std::tuple(QFileInfo(w.framesPath() + u"Garden"_s).symLinkTarget(), w.form.clipList.text(),
                         w.form.frameFiles.count(), w.messages.messages.size()),
              std::tuple(folder, u"Garden"_s, 3, qsizetype(0)));

    // The same name again: refused in words, the first link stays.
    EXPECT_TRUE(w.logic->linker.linkFolders({folder}).isEmpty());
    ASSERT_EQ(w.messages.messages.size(), 1);
    EXPECT_TRUE(w.messages.messages.last().text.contains(u"'Garden'"_s));
}

// While a clip of 24-megapixel frames is written, the window's event loop stays free: a click on
// Stop, due a few milliseconds after a frame is reported, is acted on within 100 ms of being due
// (a writer on the window's thread would let it wait for the next frame). What a stopped run leaves:
// tst_clips.
TEST(ConnectedWindow, StopIsActedOnWithin100msWhileLargeFramesAreWritten)
{
    ShownWindow w;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(
            w.addFrame(u"gross"_s, u"f%1.jpg"_s.arg(i), filled({6000, 4000}, FormFixture::frameColor(i))));
    w.show();
    w.form.directionBox.setListIndex(2); // 7 frames
    auto *stop = w.widget<QAbstractButton>(u"cmdStop"_s);
    ASSERT_NE(stop, nullptr);
    constexpr int kDueMs = 10;
    QElapsedTimer clock;
    qint64 actedAt = -1;
    QObject::connect(&w.form.stopButton, &CommandButton::clicked, [&] {
        if (w.logic->writer.wasAborted())
            actedAt = clock.elapsed();
    });
    QObject::connect(&w.logic->writer, &VideoWriter::progress, [&](int i, int) {
        if (i != 1)
            return;
        clock.start();
        QTimer::singleShot(kDueMs, Qt::PreciseTimer, stop, [&] { QTest::mouseClick(stop, Qt::LeftButton); });
    });
    w.setVideoSize(1920, 1080);
    ASSERT_TRUE(w.runCommand());
    ASSERT_GE(actedAt, kDueMs) << "Stop was not acted on while the video was written";
    EXPECT_LT(actedAt - kDueMs, 100) << "ms from the click being due to Stop acted on";
}

// The window as main.cpp connects it: busy, on top and with a progress line in the language's words
// while a video is written; then a notice that names the file and opens its folder or plays it with
// the desktop's programs. Closing the window stops a repeating playback.
TEST(ConnectedWindow, ShowsTheRunThenTheFinishNoticeClosingEndsPlayback)
{
    ShownWindow w;
    w.makeClip(u"clip"_s, 3);
    w.show();
    w.form.findControl(u"lblProgress"_s, -1)->setCaption(u"Bild %1 von %2"_s);
    QStringList seen;
    QObject::connect(&w.logic->command.writer(), &VideoWriter::progress, [&] {
        if (QApplication::overrideCursor() && w.window->isTopMost())
            seen << w.window->progressText();
    });
    w.makeVideo();
    EXPECT_EQ(seen.last(), u"Bild 3 von 3"_s);
    EXPECT_FALSE(QApplication::overrideCursor() || w.window->isTopMost() ||
                 w.widget<QLabel>(u"lblProgress"_s)->isVisible());
    QTRY_VERIFY(w.widget<QMessageBox>(u"finishNotice"_s));
    auto *notice = w.widget<QMessageBox>(u"finishNotice"_s);
    EXPECT_TRUE(notice->text().contains(QDir::toNativeSeparators(w.video(u"clip"_s))))
        << notice->text().toStdString();
    notice->findChild<QPushButton *>(u"playVideo"_s)->click();
    QTRY_VERIFY(!w.widget<QMessageBox>(u"finishNotice"_s));
    w.makeVideo();
    QTRY_VERIFY(w.widget<QMessageBox>(u"finishNotice"_s));
    w.widget<QPushButton>(u"openVideoFolder"_s)->click();
    EXPECT_EQ(w.opened, (QList<QUrl>{QUrl::fromLocalFile(w.video(u"clip"_s)),
                                     QUrl::fromLocalFile(QFileInfo(w.video(u"clip"_s)).absolutePath())}));

    w.form.repeatBox.setValue(1);
    w.form.speedBar.setValue(25);
    QTimer::singleShot(150, w.window.get(), [&] { w.window->close(); });
    w.form.playButton.click();
    QEventLoop loop;
    QObject::connect(&w.logic->player, &Player::stopRequested, &loop, &QEventLoop::quit);
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(!w.window->isVisible() && w.logic->player.isStopRequested());
}

// The window's language choice changes the texts at once, lists keep their choice, and the choice
// is stored for the next start; the built-in German comes back whole.
TEST(LanguageChoice, ChangesTheTextsAtOnceAndIsStored)
{
    ShownWindow w;
    w.makeClip(u"clip"_s, 3);
    w.show();
    MainForm &form = w.form;
    auto *choice = w.widget<QComboBox>(u"cboLanguage"_s);
    auto *makeVideo = w.widget<QAbstractButton>(u"Command1(0)"_s);
    auto *corner = w.widget<QComboBox>(u"cboPosition"_s);
    ASSERT_TRUE(choice && makeVideo && corner);
    ASSERT_GE(choice->findText(u"English"_s), 0);
    const QString german = makeVideo->text();
    corner->setCurrentIndex(0);
    form.overlayCorner.setText(form.overlayCorner.item(0));

    choice->setCurrentIndex(choice->findText(u"English"_s));
    emit choice->activated(choice->currentIndex());
    EXPECT_NE(makeVideo->text(), german);
    // The corner chosen stays chosen.
    EXPECT_EQ(std::tuple(w.widget<QLabel>(u"lblLanguage"_s)->text(), form.overlayCorner.text(),
                         corner->currentText(),
                         IniDocument(form.state.IniFile).value(u"Orrin's Halvane"_s, u"Language"_s, {})),
              std::tuple(u"Language:"_s, u"Top left"_s, u"Top left"_s, u"English"_s));

    choice->setCurrentIndex(choice->findText(u"Deutsch"_s));
    emit choice->activated(choice->currentIndex());
    EXPECT_EQ(std::tuple(makeVideo->text(), form.overlayCorner.text(),
                         IniDocument(form.state.IniFile).value(u"Orrin's Halvane"_s, u"Language"_s, {})),
              std::tuple(german, u"Links oben"_s, u"Deutsch"_s));
}

} // namespace
