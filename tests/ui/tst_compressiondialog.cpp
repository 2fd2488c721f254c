#include "ui/compressiondialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "form/languagefile.h"
#include "form/mainform.h"

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
    MainForm form;
    CompressionDialog dialog(form);
    const Controls c = controlsOf(dialog);
    ASSERT_TRUE(c.codec && c.quality && c.keyFrames && c.dataRate);
    const std::vector<CompressorInfo> all = availableCompressors();
    ASSERT_EQ(c.codec->count(), int(all.size()));
    for (int i = 0; i < c.codec->count(); ++i)
        EXPECT_EQ(c.codec->itemText(i), all[std::size_t(i)].description);
    EXPECT_EQ(c.codec->currentText(), QStringLiteral("Full Frames (Uncompressed)"));
    EXPECT_EQ(dialog.options(), CompressOptions{});
}

// German by default; a language file replaces every text, the buttons too.
TEST(CompressionDialog, TextsComeFromTheForm)
{
    auto texts = [](const QDialog &dialog) {
        QStringList t{dialog.windowTitle()};
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            t << label->text();
        for (const QAbstractButton *button : dialog.findChild<QDialogButtonBox *>()->buttons())
            t << button->text();
        t << dialog.findChild<QCheckBox *>("fit")->text();
        for (const char *name : {"keyFrames", "dataRate"}) {
            const auto *box = dialog.findChild<QSpinBox *>(QLatin1String(name));
            t << box->specialValueText() << box->suffix();
        }
        return t;
    };
    MainForm form;
    const QStringList german = texts(CompressionDialog(form));
    for (const char *text :
         {"Videokomprimierung", "Komprimierungsprogramm:", "Komprimierungsqualität:", "Keyframe alle:",
          "Datenrate:", "OK", "Abbrechen", "Standard", " Frames", "Aus", " KBit/s", "Dateiformat:"})
        EXPECT_TRUE(german.contains(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(german.contains(QStringLiteral("Cancel")));

    QString file;
    for (const char *name : {"frmCompression", "lblCompressor", "lblQuality", "lblKeyFrames", "lblDataRate",
                             "lblKeyFramesDefault", "lblKeyFramesUnit", "lblDataRateOff", "lblDataRateUnit",
                             "cmdCompressionOk", "cmdCompressionCancel", "lblContainer", "chkFitPad"})
        file += QStringLiteral("^\r\n%1\r\n-1\r\nEN %1\r\n---\r\n").arg(QLatin1String(name));
    applyLanguage(form, parseLanguage(file));
    const QStringList english = texts(CompressionDialog(form));
    EXPECT_TRUE(english.contains(QStringLiteral("EN cmdCompressionCancel")));
    EXPECT_EQ(english.filter(QStringLiteral("EN ")).size(), 13);
}

// Each setting is offered only where the chosen compressor has it.
TEST(CompressionDialog, EnablesTheSettingsOfTheChosenCompressor)
{
    MainForm form;
    CompressionDialog dialog(form);
    const Controls c = controlsOf(dialog);
    for (const CompressorInfo &info : availableCompressors()) {
        SCOPED_TRACE(info.id.toStdString());
        c.codec->setCurrentIndex(c.codec->findData(info.id));
        EXPECT_EQ(c.quality->isEnabled(), info.hasQuality());
        EXPECT_EQ(c.keyFrames->isEnabled(), info.hasKeyFrames());
        EXPECT_EQ(c.dataRate->isEnabled(), info.hasDataRate());
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
    const QComboBox *codec = controlsOf(dialog).codec;
    QStringList fitting;
    for (const CompressorInfo &c : availableCompressors()) {
        if (fitsContainer(c, Container::Mp4))
            fitting << c.id;
    }
    EXPECT_EQ(fitting, (QStringList{"mpeg4", "h264"}));
    container->setCurrentIndex(container->findData(int(Container::Mp4)));
    QStringList offered;
    for (int i = 0; i < codec->count(); ++i)
        offered << codec->itemData(i).toString();
    EXPECT_EQ(offered, fitting);
    EXPECT_EQ(dialog.options().codec, QLatin1String("h264"));
    EXPECT_EQ(dialog.options().container, Container::Mp4);
    container->setCurrentIndex(container->findData(int(Container::Avi)));
    EXPECT_EQ(codec->count(), int(availableCompressors().size()));
    EXPECT_EQ(dialog.options().codec, QLatin1String("h264"));
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
    MainForm form;
    DialogCompressionChooser chooser(form);
    CompressOptions options{QStringLiteral("ffv1"), 10, 5, 0};
    EXPECT_EQ(chooseAndClose(chooser, options, false), 0);
    EXPECT_EQ(options, (CompressOptions{QStringLiteral("ffv1"), 10, 5, 0}));

    ASSERT_EQ(chooseAndClose(chooser, options, true), 1);
    CompressOptions expected;
    expected.codec = availableCompressors()[1].id;
    EXPECT_EQ(options, expected);

    // The container and the fit start from those given (the clip's), the fit box is read back.
    options = CompressOptions{};
    options.container = Container::Mp4;
    options.fit = Fit::Pad;
    ASSERT_EQ(chooseAndClose(chooser, options, true), 1);
    EXPECT_EQ(options.container, Container::Mp4);
    EXPECT_EQ(options.fit, Fit::Pad);
    EXPECT_EQ(options.codec, QLatin1String("h264")) << "the second of MP4's compressors";
}

} // namespace
