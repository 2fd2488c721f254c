#include "clips/cliplist.h"

#include "services/fileservices.h"
#include "form/mainform.h"
#include "services/clipscan.h"
#include "form/clipsettings.h"
#include "form/formatpreset.h"
#include "overlay/overlay.h"
#include "overlay/videooverlay.h"
#include "preview/framelist.h"
#include "preview/preview.h"

namespace tavelon {

namespace {
void fillLanguageLists(MainForm &f)
{
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
}
} // namespace

ClipList::ClipList(MainForm &form, Preview &preview, Overlay &overlay, QObject *parent)
    : QObject(parent), m_form(form), m_preview(preview), m_overlay(overlay)
{
    connect(&form.clipList, &ListControl::clicked, this, &ClipList::List1_Click);
}

void ClipList::InitMyself()
{
    MainForm &f = m_form;
    f.previewTextLabel.setCaption(paddedOverlayText(f.overlayText.text()));
    for (const FormatPreset &row : formatPresets())
        f.formatBox.addItem(row.name);
    f.formatBox.setText(f.formatBox.item(4));
    fillLanguageLists(f);

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

void ClipList::changeLanguage(const QString &name)
{
    MainForm &f = m_form;
    const int corner = f.overlayCorner.items().indexOf(f.overlayCorner.text());
    const int size = f.overlaySize.items().indexOf(f.overlaySize.text());
    const int direction = f.directionBox.items().indexOf(f.directionBox.text());
    for (ListControl *list : {&f.overlayCorner, &f.overlaySize, &f.directionBox})
        list->clear();
    switchLanguage(f, name);
    fillLanguageLists(f);
    for (const auto &[list, index] : {std::pair{&f.overlayCorner, corner}, std::pair{&f.overlaySize, size},
                                      std::pair{&f.directionBox, direction}}) {
        if (index >= 0 && index < list->count()) {
            list->setListIndex(index);
            list->setText(list->item(index));
        }
    }
    showFrameCount(f);
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

    // The starting format follows the first frame's height; Clip.ini's options come over it.
    ClipOptions options = f.options();
    options.setFormat(startingFormat(f.sourceFrame.frameSize().height()));
    f.apply(ClipSettings(f.state.ClipPath).options(options));
    f.applySpeedLimit();

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

} // namespace tavelon
