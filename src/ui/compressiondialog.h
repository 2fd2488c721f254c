#pragma once

#include "video/compressionchooser.h"
#include "video/compressors.h"

#include <vector>

#include <QDialog>

class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QWidget;

namespace tavelon {

class MainForm;

// The video-compression dialog: the compressors of the AVI layer by description, with the
// quality, key-frame and data-rate settings that apply to the chosen one. Its texts are the
// form's shown texts (frmCompression, lblCompressor …).
class CompressionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CompressionDialog(const MainForm &form, QWidget *parent = nullptr);

    void setOptions(const CompressOptions &options);
    CompressOptions options() const;

private:
    void updateEnabled();

    std::vector<CompressorInfo> m_compressors;
    QComboBox *m_codec;
    QSlider *m_quality;
    QLabel *m_qualityValue;
    QSpinBox *m_keyFrames;
    QSpinBox *m_dataRate;
};

// Asks with a fresh CompressionDialog that starts from the default options on every run.
class DialogCompressionChooser : public CompressionChooser
{
public:
    explicit DialogCompressionChooser(const MainForm &form, QWidget *parent = nullptr);
    int chooseCompression(CompressOptions &options) override;

private:
    const MainForm &m_form;
    QWidget *m_parent;
};

} // namespace tavelon
