#pragma once

#include "video/compressionchooser.h"
#include "video/compressors.h"

#include <vector>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QWidget;

namespace tavelon {

class MainForm;

// The video-compression dialog: the container (AVI or MP4), the compressors that fit it by
// description, with the quality, key-frame and data-rate settings that apply to the chosen one, how
// frames of another shape are fitted, deflicker with its window, and a soundtrack. Its texts are the form's
// shown texts (frmCompression, lblCompressor …).
class CompressionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CompressionDialog(const MainForm &form, QWidget *parent = nullptr);

    void setOptions(const CompressOptions &options);
    CompressOptions options() const;

private:
    // The parts of the constructor.
    void setUpChoices(const MainForm &form);
    void setUpNumbers(const MainForm &form);
    void layOut(const MainForm &form);
    void updateEnabled();
    // The compressors that fit the chosen container; the chosen one stays when it fits, else H.264.
    void fillCodecs();
    const CompressorInfo *currentCompressor() const;

    std::vector<CompressorInfo> m_compressors;
    QComboBox *m_container;
    QComboBox *m_fit;
    QCheckBox *m_deflicker;
    QSpinBox *m_deflickerWindow;
    QLineEdit *m_audio;
    QComboBox *m_codec;
    QSlider *m_quality;
    QLabel *m_qualityValue;
    QSpinBox *m_keyFrames;
    QSpinBox *m_dataRate;
    QLabel *m_browserNote; // shown for a compressor web browsers do not play in MP4
    QString m_browserNoteText;
};

// The note that web browsers do not play compressor in an MP4 file, from pattern (its %1).
QString browserNote(const QString &pattern, const CompressorInfo &compressor);

// One line per compressor for the command line: its id, blanks, its description, and for those web
// browsers do not play in MP4 the note saying so, in the form's texts.
QStringList compressorLines(const MainForm &form);

// Asks with a fresh CompressionDialog whose compressor settings start from the defaults on every
// run, and its container, fit, deflicker and soundtrack from those given in options (the clip's).
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
