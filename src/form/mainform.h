#pragma once

#include <QList>
#include <QObject>

#include "form/appstate.h"
#include "form/controls.h"
#include "form/uitext.h"
#include "form/videooutput.h"

namespace tavelon {

// The main window's controls and shared state, without any widget: what the logic of every
// subsystem drives. The window in src/ui shows these models; the batch mode drives them directly.
// Control names (and array indexes) are the ones language files address.
class MainForm : public QObject
{
    Q_OBJECT
public:
    explicit MainForm(QObject *parent = nullptr);

    // The control called name (letter case ignored), element index of a control array, or the
    // single control for index -1. nullptr when the form has no such control.
    Control *findControl(const QString &name, int index) const;
    QList<Control *> controls() const { return m_controls; }

    // UiText entry i: item i of lstComments, the empty text past the end.
    QString UiText(int i) const { return lstComments.item(i); }
    // Entries first … last of the UiText table.
    QStringList UiTexts(int first, int last) const;

    // Moves the keyboard focus to the hidden text box (raises focusDummyRequested()).
    void focusDummy() { emit focusDummyRequested(); }

    AppState state;
    // The container and the fit of the next video: restored with a clip's options, set by the
    // compression dialog, stored in Clip.ini.
    VideoOutput output;

    // Clip list and options frame
    Label Frame2{QStringLiteral("Frame2")};
    ListControl List1{QStringLiteral("List1")};
    Label fraPre{QStringLiteral("fraPre")};
    ListControl cboFormats{QStringLiteral("cboFormats")};
    TextBox txtFPS{QStringLiteral("txtFPS")};
    TextBox txtWidth{QStringLiteral("txtWidth")};
    TextBox txtHeight{QStringLiteral("txtHeight")};
    ListControl cboDirections{QStringLiteral("cboDirections")};
    ScrollBar scrlSpeed{QStringLiteral("scrlSpeed")};
    Label lblSpeed{QStringLiteral("lblSpeed")};
    // lbl(0) … lbl(8); there is no element 6.
    Label *lbl(int i) const;

    // Overlay options
    Label Frame3{QStringLiteral("Frame3")};
    TextBox Text1{QStringLiteral("Text1")};
    CheckBox Check1{QStringLiteral("Check1")};
    ListControl cboPosition{QStringLiteral("cboPosition")};
    ListControl cboSize{QStringLiteral("cboSize")};
    CheckBox Check2{QStringLiteral("Check2")};
    CheckBox Check3{QStringLiteral("Check3")};
    Label Label1{QStringLiteral("Label1")};
    // Text-colour swatches 0 … 6 and 8 (no 7); box-colour swatches 2 and 3.
    Picture *picColor(int i) const;
    Picture *picFramCol(int i) const;
    static const QList<int> &picColorIndexes();

    // Frame number display
    Label Frame1{QStringLiteral("Frame1")};
    Label lblCurFrame{QStringLiteral("lblCurFrame")};
    // Beyond the classic form: the video's length next to the frame count, and the result of the
    // selected clip's check (details in its tooltip).
    Label lblLength{QStringLiteral("lblLength")};
    Label lblCheck{QStringLiteral("lblCheck")};

    // Preview and player
    Picture picPre{QStringLiteral("picPre")};
    ScrollBar slPre{QStringLiteral("slPre")};
    CommandButton cmdFirst{QStringLiteral("cmdFirst")};
    CommandButton cmdBack{QStringLiteral("cmdBack")};
    CommandButton cmdNext{QStringLiteral("cmdNext")};
    CommandButton cmdLast{QStringLiteral("cmdLast")};
    CommandButton cmdStop{QStringLiteral("cmdStop")};
    CheckBox cmdPlay{QStringLiteral("cmdPlay")};
    CheckBox cmdDelFrame{QStringLiteral("cmdDelFrame")};
    CheckBox chkRepeat{QStringLiteral("chkRepeat")};
    CommandButton Command1{QStringLiteral("Command1"), 0};

    // Auxiliary controls the user never sees: plain data with the same contents.
    ListControl lstComments{QStringLiteral("lstComments")};
    ListControl Dir1{QStringLiteral("Dir1")};
    ListControl lvwFiles{QStringLiteral("lvwFiles")};
    Picture picSave{QStringLiteral("picSave")};
    Picture picTemp{QStringLiteral("picTemp")};
    TextBox dummy{QStringLiteral("dummy")};
    Label Label2{QStringLiteral("Label2")};
    Label Label3{QStringLiteral("Label3")};

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
    void setDesignTimeValues();

    QList<Control *> m_controls;
    QList<Label *> m_lbl;
    QList<Picture *> m_picColor;
    QList<Picture *> m_picFramCol;
};

} // namespace tavelon
