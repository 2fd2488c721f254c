#include "ui/compressiondialog.h"

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "form/mainform.h"

using namespace tavelon;
using namespace Qt::StringLiterals;

namespace {

QComboBox *codecBox(const QDialog &dialog)
{
    return dialog.findChild<QComboBox *>("codec");
}

// Each compressor is listed; each setting is offered only where the chosen compressor has it.
TEST(CompressionDialog, ListsTheCompressorsAndEnablesTheirSettings)
{
    MainForm form;
    CompressionDialog dialog(form);
    const std::vector<CompressorInfo> all = availableCompressors();
    ASSERT_EQ(codecBox(dialog)->count(), int(all.size()));
    EXPECT_EQ(codecBox(dialog)->currentText(), u"Full Frames (Uncompressed)"_s);
    EXPECT_EQ(dialog.options(), CompressOptions{});
    for (const CompressorInfo &info : all) {
        SCOPED_TRACE(info.id.toStdString());
        codecBox(dialog)->setCurrentIndex(codecBox(dialog)->findData(info.id));
        EXPECT_EQ(codecBox(dialog)->currentText(), info.description);
        EXPECT_EQ(dialog.findChild<QSlider *>("quality")->isEnabled(), info.hasQuality());
        EXPECT_EQ(dialog.findChild<QSpinBox *>("keyFrames")->isEnabled(), info.hasKeyFrames());
        EXPECT_EQ(dialog.findChild<QSpinBox *>("dataRate")->isEnabled(), info.hasDataRate());
    }
}

// MP4 offers only the compressors that fit it, H.264 when the chosen one does not; the chosen one
// stays when the container changes back.
TEST(CompressionDialog, ContainerNarrowsTheCompressors)
{
    MainForm form;
    CompressionDialog dialog(form);
    auto *container = dialog.findChild<QComboBox *>("container");
    ASSERT_TRUE(container);
    QStringList fitting;
    for (const CompressorInfo &c : availableCompressors()) {
        if (fitsContainer(c, Container::Mp4))
            fitting << c.id;
    }
    EXPECT_EQ(fitting, (QStringList{"mpeg4", "h264"}));
    container->setCurrentIndex(container->findData(int(Container::Mp4)));
    QStringList offered;
    for (int i = 0; i < codecBox(dialog)->count(); ++i)
        offered << codecBox(dialog)->itemData(i).toString();
    EXPECT_EQ(offered, fitting);
    EXPECT_EQ(dialog.options().codec, u"h264"_s);
    EXPECT_EQ(dialog.options().container, Container::Mp4);
    container->setCurrentIndex(container->findData(int(Container::Avi)));
    EXPECT_EQ(codecBox(dialog)->count(), int(availableCompressors().size()));
    EXPECT_EQ(dialog.options().codec, u"h264"_s);
}

// The chooser opens the dialog starting from the defaults; cancelling keeps the options.
TEST(DialogCompressionChooser, ConfirmsOrCancelsStartingFromTheDefaults)
{
    MainForm form;
    DialogCompressionChooser chooser(form);
    const auto chooseAndClose = [&](CompressOptions &options, bool accept) {
        QTimer::singleShot(0, [accept] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            codecBox(*dialog)->setCurrentIndex(1);
            accept ? dialog->accept() : dialog->reject();
        });
        return chooser.chooseCompression(options);
    };
    CompressOptions options{u"ffv1"_s, 10, 5, 0};
    EXPECT_EQ(chooseAndClose(options, false), 0);
    EXPECT_EQ(options, (CompressOptions{u"ffv1"_s, 10, 5, 0}));
    ASSERT_EQ(chooseAndClose(options, true), 1);
    EXPECT_EQ(options, CompressOptions{availableCompressors()[1].id});

    // The container and the fit start from those given (the clip's), the fit box is read back.
    options = CompressOptions{};
    options.container = Container::Mp4;
    options.fit = Fit::Pad;
    ASSERT_EQ(chooseAndClose(options, true), 1);
    EXPECT_EQ((VideoOutput{options.container, options.fit}), (VideoOutput{Container::Mp4, Fit::Pad}));
    EXPECT_EQ(options.codec, u"h264"_s) << "the second of MP4's compressors";
}

} // namespace
