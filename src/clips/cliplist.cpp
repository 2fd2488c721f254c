#include "clips/cliplist.h"

#include <limits>

#include "services/fileservices.h"
#include "services/inifile.h"
#include "form/mainform.h"
#include "services/numbertext.h"
#include "services/clipscan.h"
#include "form/clipsettings.h"
#include "clips/formatpresets.h"
#include "overlay/overlay.h"
#include "preview/framelist.h"
#include "preview/preview.h"

namespace tavelon {

namespace {
void applyStartingFormat(MainForm &f);
void restoreOptions(MainForm &f, const ClipSettings &ini);
} // namespace

ClipList::ClipList(MainForm &form, Preview &preview, Overlay &overlay, QObject *parent)
    : QObject(parent), m_form(form), m_preview(preview), m_overlay(overlay)
{
    connect(&form.clipList, &ListControl::clicked, this, &ClipList::List1_Click);
}

void ClipList::InitMyself()
{
    MainForm &f = m_form;
    f.previewTextLabel.setCaption(QStringLiteral(" ") + f.overlayText.text() + QStringLiteral(" "));
    for (const FormatPreset &row : formatPresets())
        f.formatBox.addItem(row.name);
    f.formatBox.setText(f.formatBox.item(4));
    for (const QString &text : f.uiTexts(kUiTopLeft, kUiBottomRight))
        f.overlayCorner.addItem(text);
    for (const QString &text : f.uiTexts(kUiSmall, kUiHuge))
        f.overlaySize.addItem(text);
    // A language file may have named the directions already; the built-in names fill only what
    // it left, so the list keeps three items and a stored direction index keeps its meaning.
    const QStringList directions = {QStringLiteral("Normal (Vorwärts)"), QStringLiteral("Rückwärts"),
                                    QStringLiteral("Vorwärts + Rückwärts")};
    for (int i = f.directionBox.count(); i < directions.size(); ++i)
        f.directionBox.addItem(directions.at(i));

    f.clipFolders.clear();
    for (const QString &clip : listClips(f.state.FramesPath))
        f.clipFolders.addItem(f.state.FramesPath + clip);
    if (!FolderExists(f.state.ClipsPath)) {
        QString clips = f.state.ClipsPath;
        CreatePath(clips);
    }
    for (const QString &entry : f.clipFolders.items())
        f.clipList.addItem(LastPathPart(entry));
    // Select the first clip (the empty name when there is none) and load it.
    f.clipList.setText(f.clipList.item(0));
    List1_Click();
    f.focusDummy();
}

void ClipList::List1_Click()
{
    MainForm &f = m_form;
    f.state.ClipPath = f.state.FramesPath + f.clipList.text() + pathSeparator();
    readFrameList(f);
    f.frameSlider.setMaximum(f.frameFiles.count() - 1);
    showFrameCount(f);
    f.frameSlider.setValue(0);
    m_preview.slPre_Change();

    applyStartingFormat(f);
    restoreOptions(f, ClipSettings(f.state.ClipPath));

    if (f.showOverlay.value() == 1) {
        m_overlay.RevertPicPre();
        m_overlay.PrintCopyright();
    }
    if (f.clipList.text().isEmpty()) {
        // No clip: the counters show nothing that could be taken for a result.
        f.videoLength.setCaption(QString());
        f.clipCheckResult.setCaption(QString());
    }
    emit clipSelected();
}

namespace {

// The starting format follows the first frame's height.
void applyStartingFormat(MainForm &f)
{
    if (f.sourceFrame.frameSize().height() < 400) {
        f.formatBox.setText(QStringLiteral("VCD PAL"));
        f.frameRateBox.setText(QStringLiteral("25"));
        f.widthBox.setText(QStringLiteral("352"));
        f.heightBox.setText(QStringLiteral("288"));
    } else {
        f.formatBox.setText(QStringLiteral("DVD PAL"));
        f.frameRateBox.setText(QStringLiteral("25"));
        f.widthBox.setText(QStringLiteral("720"));
        f.heightBox.setText(QStringLiteral("576"));
    }
}

// The options stored in the clip's Clip.ini, in the order (and with the events) of the controls.
void restoreVideoOptions(MainForm &f, const ClipSettings &ini)
{
    const QString format = ini.read(ClipSettings::Format, QString());
    if (!format.isEmpty()) {
        f.formatBox.setText(format);
        f.frameRateBox.setText(ini.read(ClipSettings::FrameRate, QStringLiteral("25")));
        f.widthBox.setText(ini.read(ClipSettings::Width, QStringLiteral("720")));
        f.heightBox.setText(ini.read(ClipSettings::Height, QStringLiteral("576")));
    }
    // The speed bar still has the range the previous clip (or the start) left. It is opened up so
    // that the stored speed is taken as it is; the speed limit below then judges it against this
    // clip's own frame rate.
    f.speedBar.setMaximum(std::numeric_limits<qint16>::max());
    if (auto speed = integerValueOf(ini.read(ClipSettings::Speed, QStringLiteral("8"))))
        f.speedBar.setValue(*speed);
    if (auto direction = integerValueOf(ini.read(ClipSettings::Direction, QStringLiteral("0")))) {
        if (f.directionBox.setListIndex(*direction))
            f.directionBox.setText(f.directionBox.item(*direction));
    }
    applySpeedLimit(f);
}

void restoreOverlayOptions(MainForm &f, const ClipSettings &ini)
{
    if (auto box = integerValueOf(ini.read(ClipSettings::Box, QStringLiteral("0"))))
        f.overlayBox.setValue(*box);
    if (auto border = integerValueOf(ini.read(ClipSettings::Border, QStringLiteral("0"))))
        f.overlayBorder.setValue(*border);
    f.overlayText.setText(ini.read(ClipSettings::Text, QStringLiteral("© BRIMHOLT")));

    const QString pos = ini.read(ClipSettings::Pos, QString());
    if (!pos.isEmpty()) {
        if (auto i = integerValueOf(pos))
            f.overlayCorner.setText(f.overlayCorner.item(*i));
    } else {
        f.overlayCorner.setText(f.uiText(kUiBottomRight));
    }
    const QString size = ini.read(ClipSettings::Size, QString());
    if (!size.isEmpty()) {
        if (auto i = integerValueOf(size))
            f.overlaySize.setText(f.overlaySize.item(*i));
    } else {
        f.overlaySize.setText(f.uiText(kUiMedium));
    }
}

void restoreOptions(MainForm &f, const ClipSettings &ini)
{
    restoreVideoOptions(f, ini);
    restoreOverlayOptions(f, ini);
    // A file from before these keys (or with an unknown value) means the classic AVI, stretched.
    f.output.container =
        containerFromName(ini.read(ClipSettings::Container, QString())).value_or(Container::Avi);
    f.output.fit = fitFromName(ini.read(ClipSettings::Fit, QString())).value_or(Fit::Stretch);
    const int deflicker = integerValueOf(ini.read(ClipSettings::Deflicker, QString())).value_or(0);
    f.output.deflicker = deflicker >= 2 && deflicker <= kMaxDeflickerWindow ? deflicker : 0;
    // Checked when a video is made: a clip folder may come from someone else.
    f.output.audio = ini.read(ClipSettings::Audio, QString());
}

} // namespace

} // namespace tavelon
