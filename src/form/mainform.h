#pragma once

#include <QList>
#include <QObject>

#include "form/appstate.h"
#include "form/clipoptions.h"
#include "form/controls.h"
#include "form/uitext.h"
#include "form/videooutput.h"

namespace tavelon {

// The main window's controls and shared state, without any widget: what the logic of every
// subsystem drives. The window in src/ui shows these models; the batch mode drives them directly.
// Members are named for what they hold; the names (and array indexes) language files address
// are given to them in one table, in mainform.cpp.
class MainForm : public QObject
{
    Q_OBJECT
public:
    explicit MainForm(QObject *parent = nullptr);

    // The control called name (letter case ignored), element index of a control array, or the
    // single control for index -1. nullptr when the form has no such control.
    Control *findControl(const QString &name, int index) const;
    QList<Control *> controls() const { return m_controls; }

    // UiText entry i: item i of uiTextList, the empty text past the end.
    QString uiText(int i) const { return uiTextList.item(i); }
    // Entries first … last of the UiText table.
    QStringList uiTexts(int first, int last) const;

    // The clip options the controls hold now.
    ClipOptions options() const;
    // Sets the controls to options, one after another in the order of the option frames, each
    // raising its events (so the direction's handler records it and box and border clear each
    // other); the speed is taken as it is, within the speed bar's widest range.
    void apply(const ClipOptions &options);
    // The speed limit on the controls: see limitedSpeed(), speedMaximum().
    void applySpeedLimit();

    // Moves the keyboard focus to the hidden text box (raises focusDummyRequested()).
    void focusDummy() { emit focusDummyRequested(); }

    AppState state;
    // The container and the fit of the next video: restored with a clip's options, set by the
    // compression dialog, stored in Clip.ini.
    VideoOutput output;

    // Clip list and options frame
    Label clipListFrame;
    ListControl clipList;
    Label optionsFrame;
    ListControl formatBox;
    TextBox frameRateBox;
    TextBox widthBox;
    TextBox heightBox;
    ListControl directionBox;
    ScrollBar speedBar;
    Label speedValue;
    Label rateCaption;
    Label rateUnit;
    Label widthCaption;
    Label heightCaption;
    Label speedCaption;
    Label speedScale;

    // Overlay options
    Label overlayFrame;
    TextBox overlayText;
    CheckBox showOverlay;
    ListControl overlayCorner;
    ListControl overlaySize;
    CheckBox overlayBox;
    CheckBox overlayBorder;
    Label colorCaption;
    // Text-colour swatches 0 … 6 and 8 (no 7); box-colour swatches 2 and 3.
    Picture *textColorSwatch(int i) const;
    Picture *boxColorSwatch(int i) const;
    static QList<int> textColorSwatchIndexes();
    // The colour of text-colour swatch i; nothing for an index without a swatch.
    static std::optional<QColor> textSwatchColor(int i);

    // Frame number display
    Label frameNumberFrame;
    Label frameNumberCaption;
    Label frameNumber;
    Label frameCount;
    // Beyond the classic form: the video's length next to the frame count, and the result of the
    // selected clip's check (details in its tooltip).
    Label videoLength;
    Label clipCheckResult;

    // Preview and player
    Picture previewPicture;
    ScrollBar frameSlider;
    CommandButton firstButton;
    CommandButton backButton;
    CommandButton nextButton;
    CommandButton lastButton;
    CommandButton stopButton;
    CheckBox playButton;
    CheckBox deleteButton;
    CheckBox repeatBox;
    CommandButton makeVideoButton;

    // Auxiliary controls the user never sees: plain data with the same contents.
    // The UiText table, one entry an item.
    ListControl uiTextList;
    // The clip folders, one path an item; the clip list shows their names.
    ListControl clipFolders;
    // The selected clip's frame file names, in the program's order.
    ListControl frameFiles;
    // The video frame being composed, and the frame as loaded from its file.
    Picture videoFrame;
    Picture sourceFrame;
    // Takes the keyboard focus away from the other controls.
    TextBox focusSink;
    // The overlay text's measuring labels: at preview size with the text colour, at video size
    // with the box colour.
    Label previewTextLabel;
    Label videoTextLabel;

    // Preview geometry: outer size 352 × 288 with a 2-pixel sunken border.
    static constexpr int kPreviewOuterWidth = 352;
    static constexpr int kPreviewOuterHeight = 288;
    static constexpr int kPreviewInnerWidth = 348;
    static constexpr int kPreviewInnerHeight = 284;

signals:
    // The logic moves the keyboard focus to the hidden text box.
    void focusDummyRequested();

private:
    void add(Control *c);
    void nameControls();
    void setDesignTimeValues();

    QList<Control *> m_controls;
    QList<Picture *> m_textColorSwatches;
    QList<Picture *> m_boxColorSwatches;
};

} // namespace tavelon
