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

// The video-compression dialog: the compressors of the AVI layer by description, with the
// quality, key-frame and data-rate settings that apply to the chosen one.
class CompressionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CompressionDialog(QWidget *parent = nullptr);

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
    explicit DialogCompressionChooser(QWidget *parent = nullptr);
    int chooseCompression(CompressOptions &options) override;

private:
    QWidget *m_parent;
};

} // namespace tavelon
