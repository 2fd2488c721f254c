#include "ui/compressiondialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "form/showntexts.h"

namespace tavelon {

CompressionDialog::CompressionDialog(const MainForm &form, QWidget *parent)
    : QDialog(parent), m_compressors(availableCompressors()), m_container(new QComboBox(this)),
      m_fit(new QComboBox(this)), m_deflicker(new QCheckBox(shownText(form, ShownText::Deflicker), this)),
      m_deflickerWindow(new QSpinBox(this)), m_audio(new QLineEdit(this)), m_codec(new QComboBox(this)),
      m_quality(new QSlider(Qt::Horizontal, this)), m_qualityValue(new QLabel(this)),
      m_keyFrames(new QSpinBox(this)), m_dataRate(new QSpinBox(this)), m_browserNote(new QLabel(this)),
      m_browserNoteText(shownText(form, ShownText::NoBrowserPlayback))
{
    setWindowTitle(shownText(form, ShownText::CompressionTitle));

    setUpChoices(form);
    setUpNumbers(form);
    layOut(form);

    connect(m_container, &QComboBox::currentIndexChanged, this, &CompressionDialog::fillCodecs);
    connect(m_codec, &QComboBox::currentIndexChanged, this, &CompressionDialog::updateEnabled);
    connect(m_quality, &QSlider::valueChanged, m_qualityValue,
            [this](int value) { m_qualityValue->setNum(value); });
    setOptions(CompressOptions{});
}

void CompressionDialog::setUpChoices(const MainForm &form)
{
    m_container->setObjectName(QStringLiteral("container"));
    for (Container c : {Container::Avi, Container::Mp4})
        m_container->addItem(containerName(c).toUpper(), int(c));
    m_fit->setObjectName(QStringLiteral("fit"));
    m_fit->addItem(shownText(form, ShownText::FitStretch), int(Fit::Stretch));
    m_fit->addItem(shownText(form, ShownText::FitPad), int(Fit::Pad));
    m_fit->addItem(shownText(form, ShownText::FitCrop), int(Fit::Crop));
    m_deflicker->setObjectName(QStringLiteral("deflicker"));
    m_deflickerWindow->setObjectName(QStringLiteral("deflickerWindow"));
    m_deflickerWindow->setRange(2, kMaxDeflickerWindow);
    m_deflickerWindow->setSuffix(shownText(form, ShownText::KeyFramesUnit));
    connect(m_deflicker, &QCheckBox::toggled, m_deflickerWindow, &QSpinBox::setEnabled);
    m_audio->setObjectName(QStringLiteral("audio"));
    m_codec->setObjectName(QStringLiteral("codec"));
    m_browserNote->setObjectName(QStringLiteral("browserNote"));
    m_browserNote->setWordWrap(true);
}

void CompressionDialog::setUpNumbers(const MainForm &form)
{
    m_quality->setObjectName(QStringLiteral("quality"));
    m_quality->setRange(0, 100);
    m_quality->setPageStep(10);
    m_qualityValue->setMinimumWidth(m_qualityValue->fontMetrics().horizontalAdvance(QStringLiteral("100")));

    m_keyFrames->setObjectName(QStringLiteral("keyFrames"));
    m_keyFrames->setRange(0, 9999);
    m_keyFrames->setSpecialValueText(shownText(form, ShownText::KeyFramesDefault));
    m_keyFrames->setSuffix(shownText(form, ShownText::KeyFramesUnit));

    m_dataRate->setObjectName(QStringLiteral("dataRate"));
    m_dataRate->setRange(0, 200000);
    m_dataRate->setSingleStep(100);
    m_dataRate->setSpecialValueText(shownText(form, ShownText::DataRateOff));
    m_dataRate->setSuffix(shownText(form, ShownText::DataRateUnit));
}

void CompressionDialog::layOut(const MainForm &form)
{
    auto *chooseAudio = new QPushButton(shownText(form, ShownText::SoundtrackChoose), this);
    const QString soundtrackTitle = shownText(form, ShownText::Soundtrack);
    connect(chooseAudio, &QPushButton::clicked, this, [this, soundtrackTitle] {
        const QString file = QFileDialog::getOpenFileName(this, soundtrackTitle, m_audio->text());
        if (!file.isEmpty())
            m_audio->setText(file);
    });
    auto *qualityRow = new QHBoxLayout;
    qualityRow->addWidget(m_quality);
    qualityRow->addWidget(m_qualityValue);

    auto *rows = new QFormLayout;
    rows->addRow(shownText(form, ShownText::Container), m_container);
    rows->addRow(shownText(form, ShownText::Compressor), m_codec);
    rows->addRow(m_browserNote);
    rows->addRow(shownText(form, ShownText::Quality), qualityRow);
    rows->addRow(shownText(form, ShownText::KeyFrames), m_keyFrames);
    rows->addRow(shownText(form, ShownText::DataRate), m_dataRate);
    rows->addRow(shownText(form, ShownText::Fit), m_fit);
    auto *deflickerRow = new QHBoxLayout;
    deflickerRow->addWidget(m_deflicker);
    deflickerRow->addWidget(m_deflickerWindow);
    deflickerRow->addStretch();
    rows->addRow(deflickerRow);
    auto *audioRow = new QHBoxLayout;
    audioRow->addWidget(m_audio);
    audioRow->addWidget(chooseAudio);
    rows->addRow(soundtrackTitle, audioRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(shownText(form, ShownText::CompressionOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(shownText(form, ShownText::CompressionCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addWidget(buttons);
}

void CompressionDialog::fillCodecs()
{
    const Container container = Container(m_container->currentData().toInt());
    const QString chosen = m_codec->currentData().toString();
    const QSignalBlocker blocker(m_codec);
    m_codec->clear();
    for (const CompressorInfo &c : m_compressors) {
        if (fitsContainer(c, container))
            m_codec->addItem(c.description, c.id);
    }
    int index = m_codec->findData(chosen);
    if (index < 0)
        index = m_codec->findData(commonCompressorId());
    m_codec->setCurrentIndex(std::max(index, 0));
    updateEnabled();
}

const CompressorInfo *CompressionDialog::currentCompressor() const
{
    const QString id = m_codec->currentData().toString();
    for (const CompressorInfo &c : m_compressors) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

void CompressionDialog::setOptions(const CompressOptions &options)
{
    const int container = m_container->findData(int(options.container));
    m_container->setCurrentIndex(std::max(container, 0));
    fillCodecs();
    m_fit->setCurrentIndex(std::max(m_fit->findData(int(options.fit)), 0));
    m_deflicker->setChecked(options.deflicker >= 2);
    m_deflickerWindow->setValue(options.deflicker >= 2 ? options.deflicker : 9);
    m_deflickerWindow->setEnabled(m_deflicker->isChecked());
    m_audio->setText(options.audio);
    // A compressor that does not fit the container leaves fillCodecs()'s choice.
    const int index = m_codec->findData(options.codec);
    if (index >= 0)
        m_codec->setCurrentIndex(index);
    m_quality->setValue(options.quality);
    m_qualityValue->setNum(m_quality->value());
    m_keyFrames->setValue(options.keyFrameEvery);
    m_dataRate->setValue(options.dataRateKbps);
    updateEnabled();
}

CompressOptions CompressionDialog::options() const
{
    CompressOptions o;
    o.container = Container(m_container->currentData().toInt());
    o.fit = Fit(m_fit->currentData().toInt());
    o.deflicker = m_deflicker->isChecked() ? m_deflickerWindow->value() : 0;
    o.audio = m_audio->text().trimmed();
    o.codec = m_codec->currentData().toString();
    o.quality = m_quality->value();
    o.keyFrameEvery = m_keyFrames->value();
    o.dataRateKbps = m_dataRate->value();
    return o;
}

void CompressionDialog::updateEnabled()
{
    const CompressorInfo none;
    const CompressorInfo *found = currentCompressor();
    const CompressorInfo &c = found ? *found : none;
    m_quality->setEnabled(c.hasQuality());
    m_qualityValue->setEnabled(c.hasQuality());
    m_keyFrames->setEnabled(c.hasKeyFrames());
    m_dataRate->setEnabled(c.hasDataRate());
    // A video meant for a web page would not play: the dialog says so before it is written.
    const bool mp4 = Container(m_container->currentData().toInt()) == Container::Mp4;
    m_browserNote->setText(browserNote(m_browserNoteText, c));
    m_browserNote->setVisible(mp4 && !c.playsInBrowsers);
}

QString browserNote(const QString &pattern, const CompressorInfo &compressor)
{
    return fillPlaceholders(pattern, {compressor.description});
}

QStringList compressorLines(const MainForm &form)
{
    const QString pattern = shownText(form, ShownText::NoBrowserPlayback);
    QStringList lines;
    for (const CompressorInfo &c : availableCompressors()) {
        QString line = c.id.leftJustified(14) + QLatin1Char(' ') + c.description;
        if (c.mp4 && !c.playsInBrowsers)
            line += QStringLiteral(" (") + browserNote(pattern, c) + QLatin1Char(')');
        lines << line;
    }
    return lines;
}

DialogCompressionChooser::DialogCompressionChooser(const MainForm &form, QWidget *parent)
    : m_form(form), m_parent(parent)
{}

int DialogCompressionChooser::chooseCompression(CompressOptions &options)
{
    CompressionDialog dialog(m_form, m_parent);
    CompressOptions start;
    start.container = options.container;
    start.fit = options.fit;
    start.deflicker = options.deflicker;
    start.audio = options.audio;
    dialog.setOptions(start);
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    options = dialog.options();
    return 1;
}

} // namespace tavelon
