#include "ui/compressiondialog.h"

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tavelon;

namespace {

struct Controls
{
    QComboBox *codec;
    QSlider *quality;
    QSpinBox *keyFrames;
    QSpinBox *dataRate;
};

Controls controlsOf(const QDialog &dialog)
{
    return {dialog.findChild<QComboBox *>("codec"), dialog.findChild<QSlider *>("quality"),
            dialog.findChild<QSpinBox *>("keyFrames"), dialog.findChild<QSpinBox *>("dataRate")};
}

TEST(CompressionDialog, ListsTheCompressorsAndStartsFromTheDefaults)
{
    CompressionDialog dialog;
    const Controls c = controlsOf(dialog);
    ASSERT_TRUE(c.codec && c.quality && c.keyFrames && c.dataRate);
    const std::vector<CompressorInfo> all = availableCompressors();
    ASSERT_EQ(c.codec->count(), int(all.size()));
    for (int i = 0; i < c.codec->count(); ++i)
        EXPECT_EQ(c.codec->itemText(i), all[std::size_t(i)].description);
    EXPECT_EQ(c.codec->currentText(), QStringLiteral("Full Frames (Uncompressed)"));
    EXPECT_EQ(dialog.options(), CompressOptions{});
}

// Each setting is offered only where the chosen compressor has it.
TEST(CompressionDialog, EnablesTheSettingsOfTheChosenCompressor)
{
    CompressionDialog dialog;
    const Controls c = controlsOf(dialog);
    for (const CompressorInfo &info : availableCompressors()) {
        SCOPED_TRACE(info.id.toStdString());
        c.codec->setCurrentIndex(c.codec->findData(info.id));
        EXPECT_EQ(c.quality->isEnabled(), info.hasQuality());
        EXPECT_EQ(c.keyFrames->isEnabled(), info.hasKeyFrames());
        EXPECT_EQ(c.dataRate->isEnabled(), info.hasDataRate());
    }
}

// Closes the dialog that the chooser opens, as the user would, after changing the codec.
int chooseAndClose(DialogCompressionChooser &chooser, CompressOptions &options, bool accept)
{
    QTimer::singleShot(0, [accept] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        controlsOf(*dialog).codec->setCurrentIndex(1);
        accept ? dialog->accept() : dialog->reject();
    });
    return chooser.chooseCompression(options);
}

TEST(DialogCompressionChooser, ConfirmsOrCancelsStartingFromTheDefaults)
{
    DialogCompressionChooser chooser;
    CompressOptions options{QStringLiteral("ffv1"), 10, 5, 0};
    EXPECT_EQ(chooseAndClose(chooser, options, false), 0);
    EXPECT_EQ(options, (CompressOptions{QStringLiteral("ffv1"), 10, 5, 0}));

    ASSERT_EQ(chooseAndClose(chooser, options, true), 1);
    CompressOptions expected;
    expected.codec = availableCompressors()[1].id;
    EXPECT_EQ(options, expected);
}

} // namespace
