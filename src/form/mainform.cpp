#include "form/mainform.h"

#include <limits>

#include "form/clipsettings.h"
#include "form/showntexts.h"

namespace tavelon {

namespace {

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

QFont arialBold(qreal points)
{
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPointSizeF(points);
    return f;
}

struct Swatch
{
    int index;
    QColor color;
};

const QList<Swatch> &textSwatches()
{
    static const QList<Swatch> s = {
        {8, rgb(224, 224, 224)}, {0, rgb(255, 255, 255)}, {1, rgb(255, 0, 0)},   {2, rgb(255, 128, 0)},
        {3, rgb(255, 255, 0)},   {4, rgb(0, 255, 0)},     {5, rgb(0, 255, 255)}, {6, rgb(0, 0, 255)},
    };
    return s;
}

} // namespace

QList<int> MainForm::textColorSwatchIndexes()
{
    QList<int> indexes;
    for (const Swatch &s : textSwatches())
        indexes.append(s.index);
    return indexes;
}

std::optional<QColor> MainForm::textSwatchColor(int i)
{
    for (const Swatch &s : textSwatches()) {
        if (s.index == i)
            return s.color;
    }
    return std::nullopt;
}

MainForm::MainForm(QObject *parent) : QObject(parent)
{
    nameControls();
    for (const Swatch &s : textSwatches()) {
        auto *p = new Picture(QStringLiteral("picColor"), s.index, this);
        p->setBackColor(s.color);
        m_textColorSwatches.append(p);
        add(p);
    }
    for (auto [i, c] : {std::pair{3, rgb(64, 64, 64)}, std::pair{2, rgb(128, 128, 128)}}) {
        auto *p = new Picture(QStringLiteral("picFramCol"), i, this);
        p->setBackColor(c);
        m_boxColorSwatches.append(p);
        add(p);
    }
    for (const ShownTextDefault &t : shownTextDefaults()) {
        auto *holder = new Label(QLatin1String(t.controlName), -1, this);
        holder->setCaption(QString::fromUtf8(t.german));
        add(holder);
    }
    setDesignTimeValues();
}

// The names language files address the controls by (with the element of a control array), the
// one place they are written.
void MainForm::nameControls()
{
    struct Named
    {
        Control *control;
        const char *name;
        int index = -1;
    };
    const Named table[] = {
        {&clipListFrame, "Frame2"},
        {&clipList, "List1"},
        {&optionsFrame, "fraPre"},
        {&formatBox, "cboFormats"},
        {&frameRateBox, "txtFPS"},
        {&widthBox, "txtWidth"},
        {&heightBox, "txtHeight"},
        {&directionBox, "cboDirections"},
        {&speedBar, "scrlSpeed"},
        {&speedValue, "lblSpeed"},
        {&overlayFrame, "Frame3"},
        {&overlayText, "Text1"},
        {&showOverlay, "Check1"},
        {&overlayCorner, "cboPosition"},
        {&overlaySize, "cboSize"},
        {&overlayBox, "Check2"},
        {&overlayBorder, "Check3"},
        {&colorCaption, "Label1"},
        {&frameNumberFrame, "Frame1"},
        {&frameNumber, "lblCurFrame"},
        {&videoLength, "lblLength"},
        {&clipCheckResult, "lblCheck"},
        {&previewPicture, "picPre"},
        {&frameSlider, "slPre"},
        {&firstButton, "cmdFirst"},
        {&backButton, "cmdBack"},
        {&nextButton, "cmdNext"},
        {&lastButton, "cmdLast"},
        {&stopButton, "cmdStop"},
        {&playButton, "cmdPlay"},
        {&deleteButton, "cmdDelFrame"},
        {&repeatBox, "chkRepeat"},
        {&makeVideoButton, "Command1", 0},
        {&uiTextList, "lstComments"},
        {&clipFolders, "Dir1"},
        {&frameFiles, "lvwFiles"},
        {&videoFrame, "picSave"},
        {&sourceFrame, "picTemp"},
        {&focusSink, "dummy"},
        {&previewTextLabel, "Label2"},
        {&videoTextLabel, "Label3"},
        // lbl(0) … lbl(8); there is no element 6.
        {&frameCount, "lbl", 0},
        {&rateCaption, "lbl", 1},
        {&rateUnit, "lbl", 2},
        {&widthCaption, "lbl", 3},
        {&heightCaption, "lbl", 4},
        {&frameNumberCaption, "lbl", 5},
        {&speedCaption, "lbl", 7},
        {&speedScale, "lbl", 8},
    };
    for (const Named &n : table) {
        n.control->setName(QLatin1String(n.name), n.index);
        add(n.control);
    }
}

void MainForm::add(Control *c)
{
    m_controls.append(c);
}

Control *MainForm::findControl(const QString &name, int index) const
{
    for (Control *c : m_controls) {
        if (c->index() == index && c->name().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return nullptr;
}

Picture *MainForm::textColorSwatch(int i) const
{
    for (Picture *p : m_textColorSwatches) {
        if (p->index() == i)
            return p;
    }
    return nullptr;
}

Picture *MainForm::boxColorSwatch(int i) const
{
    for (Picture *p : m_boxColorSwatches) {
        if (p->index() == i)
            return p;
    }
    return nullptr;
}

void MainForm::setDesignTimeValues()
{
    clipListFrame.setCaption(QStringLiteral("Gefundene Clips:"));
    optionsFrame.setCaption(QStringLiteral("Optionen:"));
    const ClipOptions start;
    formatBox.setText(start.format);
    frameRateBox.setText(start.frameRate);
    frameRateBox.setMaxLength(2);
    widthBox.setText(start.width);
    widthBox.setMaxLength(4);
    heightBox.setText(start.height);
    heightBox.setMaxLength(4);
    frameCount.setCaption(QStringLiteral("Frames: 0"));
    rateCaption.setCaption(QStringLiteral("Frames: "));
    rateUnit.setCaption(QStringLiteral("p/s"));
    widthCaption.setCaption(QStringLiteral("Breite: "));
    heightCaption.setCaption(QStringLiteral("Höhe: "));
    frameNumberCaption.setCaption(QStringLiteral("Frame Nr.: "));
    speedCaption.setCaption(QStringLiteral("Geschwindigkeit des AVI-Clips: "));
    speedScale.setCaption(QStringLiteral("langsamer        schneller"));
    directionBox.setText(QStringLiteral("Normal (Vorwärts)"));
    speedBar.setMinimum(1);
    speedBar.setMaximum(25);
    speedBar.setValue(start.speed);
    speedBar.setSteps(1, 10);
    speedValue.setCaption(QString::number(start.speed));

    overlayFrame.setCaption(QStringLiteral("Einblendung"));
    overlayFrame.setBackColor(rgb(192, 255, 192));
    overlayText.setText(start.overlay.text);
    showOverlay.setCaption(QStringLiteral("Copyright einblenden"));
    overlayCorner.setText(QStringLiteral("Rechts unten"));
    overlaySize.setText(QStringLiteral("Mittel"));
    overlayBox.setCaption(QStringLiteral("Box"));
    overlayBorder.setCaption(QStringLiteral("Rahmen"));
    colorCaption.setCaption(QStringLiteral("Farbe:"));

    frameNumberFrame.setBackColor(rgb(0xFF, 0xE0, 0xC0));
    frameNumber.setCaption(QStringLiteral("1"));
    frameNumber.setFont(arialBold(14.25));
    frameNumber.setForeColor(rgb(0, 0, 128));
    frameNumber.setBackColor(rgb(0xE0, 0xE0, 0xE0));

    previewPicture.setImage([] {
        QImage img(kPreviewInnerWidth, kPreviewInnerHeight, QImage::Format_RGB32);
        img.fill(Qt::black);
        return img;
    }());
    frameSlider.setMinimum(0);
    frameSlider.setMaximum(0);
    frameSlider.setSteps(1, 25);

    firstButton.setCaption(QStringLiteral("9"));
    firstButton.setToolTip(QStringLiteral("Erster Frame"));
    backButton.setCaption(QStringLiteral("7"));
    backButton.setToolTip(QStringLiteral("Vorheriger Frame"));
    nextButton.setCaption(QStringLiteral("8"));
    nextButton.setToolTip(QStringLiteral("Nächster Frame"));
    lastButton.setCaption(QStringLiteral(":"));
    lastButton.setToolTip(QStringLiteral("Letzter Frame"));
    stopButton.setCaption(QStringLiteral("<"));
    stopButton.setToolTip(QStringLiteral("Stop"));
    playButton.setCaption(QStringLiteral("4"));
    playButton.setToolTip(QStringLiteral("Abspielen"));
    deleteButton.setCaption(QStringLiteral("r"));
    deleteButton.setToolTip(QStringLiteral("Aktuellen Frame löschen"));
    repeatBox.setCaption(QStringLiteral("Wiederholen"));
    makeVideoButton.setCaption(QStringLiteral("Video Fertigstellen"));

    previewTextLabel.setForeColor(start.overlay.textColor);
    previewTextLabel.setFont(arialBold(12));
    videoTextLabel.setBackColor(start.overlay.boxColor);
    videoTextLabel.setFont(arialBold(12));
}

ClipOptions MainForm::options() const
{
    ClipOptions o;
    o.format = formatBox.text();
    o.frameRate = frameRateBox.text();
    o.width = widthBox.text();
    o.height = heightBox.text();
    o.speed = speedBar.value();
    o.direction = state.PlayDirection;
    o.overlay.shown = showOverlay.value() == 1;
    o.overlay.box = overlayBox.value() == 1;
    o.overlay.border = overlayBorder.value() == 1;
    o.overlay.text = overlayText.text();
    o.overlay.corner = storedListIndex(overlayCorner.items(), overlayCorner.text());
    o.overlay.size = storedListIndex(overlaySize.items(), overlaySize.text());
    o.overlay.textColor = previewTextLabel.foreColor();
    o.overlay.boxColor = videoTextLabel.backColor();
    o.output = output;
    return o;
}

void MainForm::apply(const ClipOptions &o)
{
    formatBox.setText(o.format);
    frameRateBox.setText(o.frameRate);
    widthBox.setText(o.width);
    heightBox.setText(o.height);
    // The speed bar still has the range the previous clip (or the start) left. It is opened up so
    // that the speed is taken as it is; the speed limit then judges it against this frame rate.
    speedBar.setMaximum(std::numeric_limits<qint16>::max());
    speedBar.setValue(o.speed);
    if (const int code = directionCode(o.direction); directionBox.setListIndex(code))
        directionBox.setText(directionBox.item(code));

    overlayBox.setValue(o.overlay.box ? 1 : 0);
    overlayBorder.setValue(o.overlay.border ? 1 : 0);
    overlayText.setText(o.overlay.text);
    overlayCorner.setText(overlayCorner.item(o.overlay.corner));
    overlaySize.setText(overlaySize.item(o.overlay.size));
    if (previewTextLabel.foreColor() != o.overlay.textColor)
        previewTextLabel.setForeColor(o.overlay.textColor);
    if (videoTextLabel.backColor() != o.overlay.boxColor)
        videoTextLabel.setBackColor(o.overlay.boxColor);
    showOverlay.setValue(o.overlay.shown ? 1 : 0);
    output = o.output;
}

void MainForm::applySpeedLimit()
{
    speedBar.setValue(limitedSpeed(speedBar.value(), frameRateBox.text()));
    if (const std::optional<int> max = speedMaximum(frameRateBox.text()))
        speedBar.setMaximum(*max);
}

QStringList MainForm::uiTexts(int first, int last) const
{
    QStringList texts;
    for (int i = first; i <= last; ++i)
        texts << uiText(i);
    return texts;
}

} // namespace tavelon
